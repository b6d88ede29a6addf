#include "platform/gtk/EngineWebServices.h"

#include "platform/web/DMWebView.h"
#include "platform/gtk/PopplerReaderDocument.h"
#include "platform/web/PrintedPDFFontSubsetter.h"
#include "platform/foundation/VirtualDisplay.h"

namespace folio {

Status EngineWebServices::ensureDisplay()
{
    return VirtualDisplay::ensureDisplay();
}

Result<std::unique_ptr<WebView>> EngineWebServices::makeWebView(const Rect& frame)
{
    Result<std::unique_ptr<DMWebView>> view = DMWebView::create(frame);
    if (!view)
        return view.error();
    return std::unique_ptr<WebView>(std::move(*view));
}

Result<std::unique_ptr<WebView>> EngineWebServices::makeEditorWebView(const Rect& frame,
                                                                      std::vector<std::string> readableFolders)
{
    Result<std::unique_ptr<DMWebView>> view = DMWebView::createForEditor(frame, std::move(readableFolders));
    if (!view)
        return view.error();
    return std::unique_ptr<WebView>(std::move(*view));
}

void EngineWebServices::prepareEditorWebView(std::vector<std::string> readableFolders)
{
    // A page that cannot be prepared is made, and fails, when the editor asks.
    (void)DMWebView::prepareEditor(std::move(readableFolders));
}

void EngineWebServices::discardPreparedEditorWebView()
{
    DMWebView::discardPreparedEditor();
}

Result<std::unique_ptr<WebView>> EngineWebServices::makeDocumentWebView(const Rect& frame,
                                                                        std::vector<std::string> readableFolders)
{
    Result<std::unique_ptr<DMWebView>> view = DMWebView::createForDocument(frame, std::move(readableFolders));
    if (!view)
        return view.error();
    return std::unique_ptr<WebView>(std::move(*view));
}

Result<std::unique_ptr<WebView>> EngineWebServices::makeBrowsingWebView(const Rect& frame)
{
    Result<std::unique_ptr<DMWebView>> view = DMWebView::createForBrowsing(frame);
    if (!view)
        return view.error();
    return std::unique_ptr<WebView>(std::move(*view));
}

Status EngineWebServices::renderPrintedPDF(const std::string& printedPDFPath, const std::string& outputPath,
                                           const PrintedPDFRenderer::PageCallback& pageCallback)
{
    return PrintedPDFRenderer::renderToFile(printedPDFPath, outputPath, pageCallback);
}

Status EngineWebServices::renderPrintedPDFParts(const std::vector<PrintedPDFRenderer::PrintedPart>& parts,
                                                const std::string& outputPath,
                                                const PrintedPDFRenderer::PartPageCallback& pageCallback)
{
    return PrintedPDFRenderer::renderPartsToFile(parts, outputPath, pageCallback);
}

Status EngineWebServices::renderPrintedPDFPages(const std::string& printedPDFPath, const std::string& outputPath,
                                                Range pages)
{
    return PrintedPDFRenderer::renderPageRangeToFile(printedPDFPath, outputPath, pages);
}

Result<std::vector<std::size_t>> EngineWebServices::printedMarkPages(const std::string& printedPDFPath, int pixelWidth,
                                                                   int pixelHeight)
{
    return PrintedPDFRenderer::markPages(printedPDFPath, pixelWidth, pixelHeight);
}

Result<std::size_t> EngineWebServices::pdfPageCount(const std::string& path)
{
    return PrintedPDFRenderer::pageCount(path);
}

Result<std::size_t> EngineWebServices::writePrintedPDF(const std::string& printedPDFPath, const std::string& outputPath)
{
    return PrintedPDFFontSubsetter::writeToFile(printedPDFPath, outputPath);
}

Result<std::shared_ptr<ReaderDocument>> EngineWebServices::openReaderDocument(const std::string& path)
{
    return PopplerReaderDocument::open(path);
}

EngineWebServices& EngineWebServices::instance()
{
    static EngineWebServices services;
    return services;
}

} // namespace folio
