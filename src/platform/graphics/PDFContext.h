#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/GraphicsContext.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace folio {

// A PDF document drawn page by page, by cairo in the drawing services. The
// document is built in memory and written to its file only when closed,
// atomically, so a failed export never leaves half a PDF over a good one.
class PDFContext {
public:
    static Result<std::unique_ptr<PDFContext>> create();
    PDFContext() = default;
    virtual ~PDFContext() = default;
    PDFContext(const PDFContext&) = delete;
    PDFContext& operator=(const PDFContext&) = delete;

    // Starts a page of `size` points and answers the context to draw it with,
    // valid until endPage. A page still open is ended first.
    virtual GraphicsContext* beginPage(Size size) = 0;
    virtual void endPage() = 0;
    virtual int pageCount() const = 0;

    // Finishes the document (ending an open page) and answers its bytes.
    virtual Result<std::vector<std::uint8_t>> close() = 0;
    // Finishes the document and writes it to `path`.
    Status closeToFile(const std::string& path);
};

} // namespace folio
