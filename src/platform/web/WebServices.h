#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/web/PrintedPDFRenderer.h"
#include "platform/web/WebView.h"

#include <memory>
#include <string>
#include <vector>

namespace folio {

class ReaderDocument;

// What only the web engine and the PDF page reader provide. The program
// opens them on first use (see app/DesktopModule), so that commands that
// show no page start without loading WebKit, GTK or poppler; tests and
// benchmarks link them and get the engine directly (EngineWebServices in
// platform/gtk, the platform layer that sees them all).
class WebServices {
public:
    virtual ~WebServices() = default;

    // When neither DISPLAY nor WAYLAND_DISPLAY is set, starts a private
    // virtual display for the rest of the program's life.
    virtual Status ensureDisplay() = 0;
    // An off-screen web view on the engine; a display is started first when
    // there is none.
    virtual Result<std::unique_ptr<WebView>> makeWebView(const Rect& frame) = 0;
    // A web view for an editor's page that holds a document's content
    // (DMWebView::createForEditor): the page's own scripts run, loads stay
    // inside `readableFolders`, messages come from its main frame only.
    virtual Result<std::unique_ptr<WebView>> makeEditorWebView(const Rect& frame,
                                                               std::vector<std::string> readableFolders) = 0;
    // Starts making the next editor's web view with these folders while its
    // document is read (DMWebView::prepareEditor); nothing where web views
    // cannot be made.
    virtual void prepareEditorWebView(std::vector<std::string> readableFolders) { (void)readableFolders; }
    // Ends a web view prepared that no editor took (DMWebView::discardPreparedEditor).
    virtual void discardPreparedEditorWebView() {}
    // A web view for a document's content (DMWebView::createForDocument):
    // no script of the page's own, nothing loaded from outside but
    // pictures in `readableFolders`.
    virtual Result<std::unique_ptr<WebView>> makeDocumentWebView(const Rect& frame,
                                                                 std::vector<std::string> readableFolders) = 0;
    // A web view that browses the web (DMWebView::createForBrowsing): never
    // one that shows a document or an editor's page.
    virtual Result<std::unique_ptr<WebView>> makeBrowsingWebView(const Rect& frame) = 0;

    // The printed PDF drawn page by page into a new one (PrintedPDFRenderer).
    virtual Status renderPrintedPDF(const std::string& printedPDFPath, const std::string& outputPath,
                                    const PrintedPDFRenderer::PageCallback& pageCallback) = 0;
    // Several prints joined into one PDF (PrintedPDFRenderer::renderPartsToFile).
    virtual Status renderPrintedPDFParts(const std::vector<PrintedPDFRenderer::PrintedPart>& parts,
                                         const std::string& outputPath,
                                         const PrintedPDFRenderer::PartPageCallback& pageCallback) = 0;
    // Only the printed pages of `pages` (PrintedPDFRenderer::renderPageRangeToFile).
    virtual Status renderPrintedPDFPages(const std::string& printedPDFPath, const std::string& outputPath,
                                         Range pages) = 0;
    // The pages of a print's marks (PrintedPDFRenderer::markPages).
    virtual Result<std::vector<std::size_t>> printedMarkPages(const std::string& printedPDFPath, int pixelWidth,
                                                              int pixelHeight) = 0;
    virtual Result<std::size_t> pdfPageCount(const std::string& path) = 0;
    // The printed PDF as a document of its own, its embedded faces cut down
    // to the glyphs it shows (PrintedPDFFontSubsetter::writeToFile); answers
    // its number of pages.
    virtual Result<std::size_t> writePrintedPDF(const std::string& printedPDFPath, const std::string& outputPath) = 0;
    // A PDF file for the in-app reader (ReaderDocument::withDocumentFilePath).
    virtual Result<std::shared_ptr<ReaderDocument>> openReaderDocument(const std::string& path) = 0;

    // The process's services; when they cannot be loaded, every call answers
    // an error that says why.
    static WebServices& shared();
};

} // namespace folio
