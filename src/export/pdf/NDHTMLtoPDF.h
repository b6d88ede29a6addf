#pragma once

#include "export/PDFAction.h"
#include "export/pdf/PDFPageSetup.h"
#include "export/pdf/PDFSectionPages.h"
#include "export/pdf/PageHeaderFooterSettings.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/web/WebViewDelegate.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class GraphicsContext;
class NDHTMLtoPDF;
class WebView;

// What the converter needs from its surroundings; tests replace them.
struct NDHTMLtoPDFEnvironment {
    using WebViewFactory = std::function<Result<std::unique_ptr<WebView>>(const Rect& frame)>;

    WebViewFactory webViewFactory;              // an off-screen DMWebView when empty
    std::function<std::string()> fontRules;     // the application's font rules when empty
    std::optional<std::string> baseURL;         // the document data folder when unset
    std::optional<std::string> printedPDFPath;  // a file in the temporary folder when unset
    // Where the default web view may read the document's pictures from.
    std::vector<std::string> readableFolders;
};

// Told how a conversion ended; exactly one of the two is called.
class NDHTMLtoPDFDelegate {
public:
    virtual ~NDHTMLtoPDFDelegate() = default;
    virtual void HTMLtoPDFDidSucceed(NDHTMLtoPDF& converter) { (void)converter; }
    virtual void HTMLtoPDFDidFail(NDHTMLtoPDF& converter) { (void)converter; }
};

// Turns a document's HTML into a PDF file without showing anything: the HTML
// is wrapped in the page of its document type, loaded into an off-screen web
// view and printed at the chosen page size with the top and bottom margins;
// the printed pages are then drawn into the final PDF with the running
// header and footer on each. A rich-text document of several sections is
// printed a part at a time, each on its own paper, and the parts joined. The
// action code rides along for the delegate, which decides what happens with
// the file.
//
// Main thread only. The conversion is under way when the creator returns and
// ends, later, in exactly one delegate call. The creator keeps the converter
// alive until then.
class NDHTMLtoPDF final : public WebViewDelegate, public std::enable_shared_from_this<NDHTMLtoPDF> {
public:
    static constexpr const char* kErrorDomain = "NDHTMLtoPDF";
    enum ErrorCode { NoWebView = 1, LoadFailed = 2, TimedOut = 3, PrintFailed = 4, NoPath = 5, PageCrashed = 6, NotALocalFile = 7, TooManyPages = 8 };
    // More pages than any document has: the page is taken to be hostile.
    static constexpr double kMaximumPages = 20000;
    // The page size when the user chose none (not quite Letter).
    static constexpr Size kUnsetPageSize{612, 810};
    // A page that neither loads nor fails in this time ends the conversion.
    static constexpr double kLoadTimeoutSeconds = 120;

    using WebViewFactory = NDHTMLtoPDFEnvironment::WebViewFactory;
    using Environment = NDHTMLtoPDFEnvironment;
    using PageProgress = std::function<void(std::size_t pageIndex, std::size_t pageCount)>;


    static std::shared_ptr<NDHTMLtoPDF> createPDFWithHTML(const std::string& HTML, const std::string& nameForPDF,
                                                          const std::string& pathForPDF,
                                                          NDHTMLtoPDFDelegate* delegate, const PDFPageSetup& setup,
                                                          PDFAction action, Environment environment = {});

    // The same for the page at a URL, which must be a local file: the
    // converter fetches nothing from elsewhere. The page's relative links
    // resolve beside it. An unreadable or remote address is answered at once.
    static Result<std::shared_ptr<NDHTMLtoPDF>> createPDFWithURL(const std::string& URL, const std::string& nameForPDF,
                                                                 const std::string& pathForPDF,
                                                                 NDHTMLtoPDFDelegate* delegate, const PDFPageSetup& setup,
                                                                 PDFAction action, Environment environment = {});

    ~NDHTMLtoPDF() override;
    // The address the page came from; empty for a converter made from HTML.
    const std::string& URL() const { return m_URL; }

    NDHTMLtoPDFDelegate* delegate() const { return m_delegate; }
    void setDelegate(NDHTMLtoPDFDelegate* delegate) { m_delegate = delegate; }
    PDFAction PDFaction() const { return m_action; }
    const std::string& PDFpath() const { return m_path; }
    const std::string& PDFname() const { return m_name; }
    PDFPageKind pageKind() const { return m_setup.kind; }
    // The wrapped page once set up.
    const std::string& HTML() const { return m_html; }
    const Size& pageSize() const { return m_setup.pageSize; }
    const EdgeInsets& pageMargins() const { return m_setup.margins; }
    // Side margins (centimetres) that place the header and footer.
    double headerLeftMargin() const { return m_setup.sideLeft; }
    double headerRightMargin() const { return m_setup.sideRight; }
    std::size_t pageCount() const { return m_pageCount; }
    const PageHeaderFooter& header() const { return m_header; }
    const PageHeaderFooter& footer() const { return m_footer; }
    const std::string& printedPDFPath() const { return m_printedPath; }
    bool isFinished() const { return m_finished; }
    // Why the conversion failed; nothing while running or after success.
    const std::optional<Error>& error() const { return m_error; }
    WebView* webview() const { return m_webView.get(); }

    // Called after each page is drawn; for progress displays.
    void setPageProgressHandler(PageProgress handler) { m_progress = std::move(handler); }


    // WebViewDelegate
    void webViewDidFinishLoad(WebView& webView) override;
    void webViewDidFailLoad(WebView& webView, const std::string& message) override;
    void webViewWebProcessDidTerminate(WebView& webView, const std::string& reason) override;

private:
    NDHTMLtoPDF(std::string html, NDHTMLtoPDFDelegate* delegate, std::string name, std::string path,
                PDFPageSetup setup, PDFAction action, Environment environment);

    void start();
    void setUpPage();
    void readHeaderAndFooterFromPage();
    // How many times larger than its paper the page is laid out and printed;
    // a document of sections prints at its paper's own size.
    double magnification() const;
    // How many pages the laid-out page would print on, roughly.
    double estimatedPageCount();
    void print();
    void printed(const Status& status);
    // Reads the page's section breaks into the parts to print: none for a
    // document of one section, which prints whole.
    void readSections();
    // Shows one part on the page and prints it to its own file.
    void printPart(std::size_t index);
    // Marks where the part's sections with running heads of their own begin
    // on the shown page; whether every mark is set and ready to print.
    bool markSections(const PDFSectionPages::Part& part);
    // Prints the part shown to its file; a marked part twice, the second
    // time without its marks.
    void printShownPart(std::size_t index);
    EdgeInsets partMargins(const PDFSectionPages::Part& part) const;
    void partPrinted(std::size_t index, const Status& status);
    std::string partPath(std::size_t index) const;
    void removePrintedFiles();
    // The printed pages with the header and footer drawn on them, written to the path.
    Status renderHeaderAndFooter(const std::string& outputPath);
    // The printed pages as they are, moved to the path.
    Status takePrintedPages(const std::string& outputPath);
    // The printed parts joined, with the header and footer (where there are
    // any) drawn on their pages.
    Status joinPrintedParts(const std::string& outputPath);
    // Whether any page has a header or footer to draw.
    bool headed() const;
    // The header and footer of one page of `section` (the number of the
    // break it starts at): its title page's own (`titlePageOf`, the same
    // number) where the page is one, else its running ones, at the
    // section's distances from the paper's edge where it gives them.
    void drawHeads(GraphicsContext& page, std::size_t index, std::size_t count, const Size& size,
                   std::size_t section, std::optional<std::size_t> titlePageOf, std::optional<double> headerDistance,
                   std::optional<double> footerDistance, const PDFPageSetup& setup) const;
    // The header and footer the page at `index` prints, as drawHeads takes them.
    std::pair<PageHeaderFooter, PageHeaderFooter> headsOfPage(std::size_t index, std::size_t section,
                                                              std::optional<std::size_t> titlePageOf,
                                                              std::optional<double> headerDistance,
                                                              std::optional<double> footerDistance) const;
    // The top and bottom margins (points) a print of the setup's pages takes,
    // clear of every header and footer they may print: a title page's
    // (`titlePageOf`) where it starts with one, left and right pages', and
    // the running ones of `laterSections` where pages begin in them.
    EdgeInsets printMargins(const PDFPageSetup& setup, std::size_t section, std::optional<std::size_t> titlePageOf,
                            std::optional<double> headerDistance, std::optional<double> footerDistance,
                            const std::vector<std::size_t>& laterSections = {}) const;
    void succeed();
    void fail(Error error);
    void terminateWebTask();

    Environment m_environment;
    NDHTMLtoPDFDelegate* m_delegate;
    std::string m_html;
    std::string m_URL;
    std::string m_name;
    std::string m_path;
    std::string m_printedPath;
    PDFPageSetup m_setup;
    PDFAction m_action;
    std::size_t m_pageCount = 0;
    PageHeaderFooter m_header;
    PageHeaderFooter m_footer;
    PageHeaderFooter m_titleHeader;
    PageHeaderFooter m_titleFooter;
    // The left pages' own, where the document has facing pages.
    PageHeaderFooter m_leftHeader;
    PageHeaderFooter m_leftFooter;
    // Later sections' own title page heads, by the file's section they
    // were read in.
    std::map<std::size_t, PageHeaderFooter> m_laterTitleHeaders;
    std::map<std::size_t, PageHeaderFooter> m_laterTitleFooters;
    // Later sections' own running heads, and their left pages' own, the
    // same way.
    std::map<std::size_t, PageHeaderFooter> m_laterHeaders;
    std::map<std::size_t, PageHeaderFooter> m_laterFooters;
    std::map<std::size_t, PageHeaderFooter> m_laterLeftHeaders;
    std::map<std::size_t, PageHeaderFooter> m_laterLeftFooters;
    std::vector<PDFSectionPages::Part> m_parts;
    // By part: whether its sections' marks were set, and the printed pages
    // they landed on (PDFSectionPages::headsSectionOfPage).
    std::vector<bool> m_partMarked;
    std::vector<std::vector<std::size_t>> m_sectionEnds;
    std::vector<std::optional<std::size_t>> m_markedPageCounts;
    // The file's section each break on the page was read as, in the order
    // of the text: breaks deleted before a section leave its heads its own.
    std::vector<std::optional<int>> m_fileSections;
    std::unique_ptr<WebView> m_webView;
    std::uint64_t m_timeout = 0;
    bool m_printing = false;
    bool m_finished = false;
    std::optional<Error> m_error;
    PageProgress m_progress;
};

} // namespace folio
