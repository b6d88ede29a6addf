#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/GraphicsContext.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

namespace folio {

// A PDF document drawn page by page with cairo. The document is built in
// memory and written to its file only when closed, atomically, so a failed
// export never leaves half a PDF over a good one.
class PDFContext {
public:
    static Result<std::unique_ptr<PDFContext>> create();
    ~PDFContext();
    PDFContext(const PDFContext&) = delete;
    PDFContext& operator=(const PDFContext&) = delete;

    // Starts a page of `size` points and answers the context to draw it with,
    // valid until endPage. A page still open is ended first.
    GraphicsContext* beginPage(Size size);
    void endPage();
    int pageCount() const { return m_pageCount; }

    // Finishes the document (ending an open page) and answers its bytes.
    Result<std::vector<std::uint8_t>> close();
    // Finishes the document and writes it to `path`.
    Status closeToFile(const std::string& path);

private:
    PDFContext() = default;

    cairo_surface_t* m_surface = nullptr;
    std::unique_ptr<GraphicsContext> m_page;
    std::vector<std::uint8_t> m_bytes;
    int m_pageCount = 0;
    bool m_closed = false;
};

} // namespace folio
