#pragma once

#include "platform/web/WebServices.h"

namespace folio {

// The web services on WebKitGTK and poppler, in this process.
class EngineWebServices final : public WebServices {
public:
    Status ensureDisplay() override;
    Result<std::unique_ptr<WebView>> makeWebView(const Rect& frame) override;
    Result<std::unique_ptr<WebView>> makeEditorWebView(const Rect& frame,
                                                       std::vector<std::string> readableFolders) override;
    void prepareEditorWebView(std::vector<std::string> readableFolders) override;
    void discardPreparedEditorWebView() override;
    Result<std::unique_ptr<WebView>> makeDocumentWebView(const Rect& frame,
                                                         std::vector<std::string> readableFolders) override;
    Result<std::unique_ptr<WebView>> makeBrowsingWebView(const Rect& frame) override;
    Status renderPrintedPDF(const std::string& printedPDFPath, const std::string& outputPath,
                            const PrintedPDFRenderer::PageCallback& pageCallback) override;
    Status renderPrintedPDFParts(const std::vector<PrintedPDFRenderer::PrintedPart>& parts,
                                 const std::string& outputPath,
                                 const PrintedPDFRenderer::PartPageCallback& pageCallback) override;
    Status renderPrintedPDFPages(const std::string& printedPDFPath, const std::string& outputPath,
                                 Range pages) override;
    Result<std::vector<std::size_t>> printedMarkPages(const std::string& printedPDFPath, int pixelWidth,
                                                      int pixelHeight) override;
    Result<std::size_t> pdfPageCount(const std::string& path) override;
    Result<std::size_t> writePrintedPDF(const std::string& printedPDFPath, const std::string& outputPath) override;
    Result<std::shared_ptr<ReaderDocument>> openReaderDocument(const std::string& path) override;

    static EngineWebServices& instance();
};

} // namespace folio
