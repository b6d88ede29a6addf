#include "export/pdf/PageRenderer.h"

#include "platform/docframework/ReaderDocument.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/PDFContext.h"


#include <algorithm>

namespace folio {

Rect PageRenderer::printableRect()
{
    return Rect{{kPrintableInset, kPrintableInset},
                {kPaperSize.width - 2 * kPrintableInset, kPaperSize.height - 2 * kPrintableInset}};
}

Result<std::vector<std::uint8_t>> PageRenderer::printToPDF(const std::string& printedPDFPath)
{
    Result<std::shared_ptr<ReaderDocument>> printed = ReaderDocument::withDocumentFilePath(printedPDFPath);
    if (!printed)
        return printed.error();
    Result<std::unique_ptr<PDFContext>> output = PDFContext::create();
    if (!output)
        return output.error();
    Rect printable = printableRect();
    for (std::size_t index = 0; index < (*printed)->pageCount(); ++index) {
        Result<Size> size = (*printed)->pageSize(index);
        if (!size)
            return size.error();
        GraphicsContext* page = (*output)->beginPage(kPaperSize);
        if (!page)
            return Error{ReaderDocument::kErrorDomain, ReaderDocument::DrawingFailed, "Cannot start page " + std::to_string(index + 1)};
        // Fitted, keeping its proportions, at the printable area's top left.
        double scale = std::min(printable.width() / std::max(1.0, size->width), printable.height() / std::max(1.0, size->height));
        page->saveGState();
        page->translateCTM(printable.minX(), printable.minY());
        page->scaleCTM(scale, scale);
        Status drawn = (*printed)->drawPage(index, page->cairoContext(), ReaderDocument::Purpose::Printing);
        page->restoreGState();
        if (!drawn)
            return drawn.error();
        (*output)->endPage();
    }
    return (*output)->close();
}

} // namespace folio
