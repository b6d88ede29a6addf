#include "export/pdf/UIPrintPageRendererMarquent.h"

#include "export/pdf/PDFHeaderFooterDrawer.h"
#include "documents/PageSizes.h"
#include "platform/docframework/ReaderDocument.h"
#include "export/ExportPreferences.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/PDFContext.h"


namespace folio {

namespace {

constexpr double kMarquentPointsPerCentimetre = 72 / 2.54;

} // namespace

UIPrintPageRendererMarquent::Options UIPrintPageRendererMarquent::optionsFromPreferences(const ExportPreferences& preferences,
                                                                                      DocumentKind kind,
                                                                                      Options::Pages pages)
{
    Options options;
    options.pageNumbers = preferences.pageNumbers;
    // Prints on the paper the user chose, as the PDF export does.
    options.pageSize = preferences.pageSize.value_or(PageSizes::sizeFromPageSize("Letter"));
    bool qv = kind == DocumentKind::QVText || kind == DocumentKind::QVOutline;
    options.rightMargin = qv ? 0 : preferences.documentMargins.right * kMarquentPointsPerCentimetre;
    options.pages = pages;
    return options;
}

Rect UIPrintPageRendererMarquent::numberRect(const Options& options)
{
    return Rect{{options.pageSize.width - options.rightMargin - 60, 36}, {50, 14}};
}

Status UIPrintPageRendererMarquent::printToPDF(const std::string& printedPDFPath, const std::string& outputPath,
                                               const Options& options)
{
    Result<std::shared_ptr<ReaderDocument>> printed = ReaderDocument::withDocumentFilePath(printedPDFPath);
    if (!printed)
        return printed.error();
    std::size_t count = (*printed)->pageCount();
    if (options.pages == Options::Pages::OnePageDocument && count == 2)
        count = 1;
    Result<std::unique_ptr<PDFContext>> output = PDFContext::create();
    if (!output)
        return output.error();
    Rect number = numberRect(options);
    PDFHeaderFooterDrawer::TextStyle style{"Helvetica", 10, TextAlignment::Right, "black"};
    for (std::size_t index = 0; index < count; ++index) {
        GraphicsContext* page = (*output)->beginPage(options.pageSize);
        if (!page)
            return Error{ReaderDocument::kErrorDomain, ReaderDocument::DrawingFailed, "Cannot start page " + std::to_string(index + 1)};
        page->saveGState();
        Status drawn = (*printed)->drawPage(index, page->cairoContext(), ReaderDocument::Purpose::Printing);
        page->restoreGState();
        if (!drawn)
            return drawn;
        if (options.pageNumbers) {
            // The drawer's box runs from rect.x to rect.width.
            Rect box{{number.minX(), 0}, {number.maxX(), number.height()}};
            PDFHeaderFooterDrawer::drawHeaderForPageAtIndex(*page, index, toUtf16(std::to_string(index + 1)), number.minY(),
                                                           style, box);
        }
        (*output)->endPage();
    }
    return (*output)->closeToFile(outputPath);
}

} // namespace folio
