#pragma once

#include "platform/drawing/CairoGraphicsContext.h"
#include "platform/graphics/PDFContext.h"

typedef struct _cairo_surface cairo_surface_t;

namespace folio {

// The PDF document on cairo's PDF surface.
class CairoPDFContext final : public PDFContext {
public:
    static Result<std::unique_ptr<PDFContext>> create();
    ~CairoPDFContext() override;

    GraphicsContext* beginPage(Size size) override;
    void endPage() override;
    int pageCount() const override { return m_pageCount; }
    Result<std::vector<std::uint8_t>> close() override;

private:
    CairoPDFContext() = default;

    cairo_surface_t* m_surface = nullptr;
    std::unique_ptr<CairoGraphicsContext> m_page;
    std::vector<std::uint8_t> m_bytes;
    int m_pageCount = 0;
    bool m_closed = false;
};

} // namespace folio
