#include "export/pdf/NDHTMLtoPDF.h"

#include "formats/html/CSSFontRules.h"
#include "export/pdf/PDFHeaderFooterDrawer.h"
#include "export/pdf/PDFHeaderFooterParagraphs.h"
#include "export/pdf/PDFPageTemplates.h"
#include "export/pdf/PDFSourceHTML.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UUID.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/web/WebServices.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>

#include <unistd.h>

namespace folio {

namespace {

constexpr double kPointsPerCentimetre = 72 / 2.54;
// Large enough for any page's layout; the frame does not limit printing.
constexpr Rect kWebViewFrame{{0, 0}, {1024, 1366}};
// How many times larger than its paper a rich-text page is laid out and
// printed. The engine rounds each line's ascent, descent and gap to whole
// pixels (three quarters of a point): Arial at 10 points would print 11.25
// points apart rather than the 11.5 its metrics give, and a long document
// on pages fewer than word processors print it on. Laid out this much
// larger, the roundings are as many times smaller.
constexpr double kRichTextMagnification = 8;

Error converterError(NDHTMLtoPDF::ErrorCode code, std::string message)
{
    return Error{NDHTMLtoPDF::kErrorDomain, code, std::move(message)};
}

} // namespace

NDHTMLtoPDF::NDHTMLtoPDF(std::string html, NDHTMLtoPDFDelegate* delegate, std::string name, std::string path,
                         PDFPageSetup setup, PDFAction action, Environment environment)
    : m_environment(std::move(environment))
    , m_delegate(delegate)
    , m_html(std::move(html))
    , m_name(std::move(name))
    , m_path(std::move(path))
    , m_setup(std::move(setup))
    , m_action(action)
{
    m_printedPath = m_environment.printedPDFPath.value_or(AppFolders::temporaryFolder() + "/printed-"
                                                           + makeUUIDString() + ".pdf");
}

NDHTMLtoPDF::~NDHTMLtoPDF()
{
    if (m_timeout)
        RunLoop::main().invalidate(m_timeout);
    if (m_webView)
        m_webView->setDelegate(nullptr);
    removePrintedFiles();
}

std::shared_ptr<NDHTMLtoPDF> NDHTMLtoPDF::createPDFWithHTML(const std::string& HTML, const std::string& nameForPDF,
                                                            const std::string& pathForPDF,
                                                            NDHTMLtoPDFDelegate* delegate, const PDFPageSetup& setup,
                                                            PDFAction action, Environment environment)
{
    PDFSourceHTML::Prepared source = PDFSourceHTML::prepare(HTML, setup.paperColor, setup.margins);
    PDFPageSetup prepared = setup;
    prepared.margins = source.margins;
    std::shared_ptr<NDHTMLtoPDF> converter(new NDHTMLtoPDF(std::move(source.html), delegate, nameForPDF, pathForPDF,
                                                           std::move(prepared), action, std::move(environment)));
    converter->start();
    return converter;
}

Result<std::shared_ptr<NDHTMLtoPDF>> NDHTMLtoPDF::createPDFWithURL(const std::string& URL, const std::string& nameForPDF,
                                                                   const std::string& pathForPDF,
                                                                   NDHTMLtoPDFDelegate* delegate, const PDFPageSetup& setup,
                                                                   PDFAction action, Environment environment)
{
    std::optional<folio::URL> address = folio::URL::URLWithString(URL);
    if (!address || !address->isFileURL())
        return converterError(NotALocalFile, "Only a local file can be converted to PDF, not " + URL);
    Result<Data> page = Data::dataWithContentsOfFile(address->path());
    if (!page)
        return page.error();
    environment.baseURL = address->absoluteString();
    // The page's own pictures lie beside it.
    environment.readableFolders.push_back(std::filesystem::path(address->path()).parent_path().string());
    std::shared_ptr<NDHTMLtoPDF> converter =
        createPDFWithHTML(page->toString(), nameForPDF, pathForPDF, delegate, setup, action, std::move(environment));
    converter->m_URL = address->absoluteString();
    return converter;
}

void NDHTMLtoPDF::start()
{
    if (m_path.empty()) {
        // Reported on a later turn, like every outcome, so that the creator
        // holds the converter before its delegate hears of it.
        std::weak_ptr<NDHTMLtoPDF> weak = weak_from_this();
        RunLoop::main().post([weak] {
            if (auto self = weak.lock())
                self->fail(converterError(NoPath, "No file to write the PDF to"));
        });
        return;
    }
    setUpPage();
}

void NDHTMLtoPDF::setUpPage()
{
    std::string fontRules = m_environment.fontRules
        ? m_environment.fontRules()
        : CSSFontRules::currentRules(CSSFontRules::CustomNameVariants::NameOnly);
    switch (m_setup.kind) {
    case PDFPageKind::Markdown:
        m_html = PDFPageTemplates::markdownPage(fontRules, m_setup.markdownStyle, m_html);
        break;
    case PDFPageKind::QVText:
        m_html = PDFPageTemplates::qvTextPage(fontRules, m_html);
        break;
    case PDFPageKind::QVOutline:
        m_html = PDFPageTemplates::qvOutlinePage(fontRules, m_html);
        break;
    case PDFPageKind::RichText:
        m_html = PDFPageTemplates::richTextPage(fontRules, m_setup.sideLeft, m_setup.sideRight, m_html,
                                                m_setup.hyphenated ? PDFPageTemplates::Hyphenation::Automatic
                                                                   : PDFPageTemplates::Hyphenation::Manual);
        break;
    }

    m_pageCount = 0;
    m_parts.clear();
    m_partMarked.clear();
    m_sectionEnds.clear();
    m_markedPageCounts.clear();
    m_fileSections.clear();
    m_header = {};
    m_footer = {};
    m_titleHeader = {};
    m_titleFooter = {};
    m_leftHeader = {};
    m_leftFooter = {};
    m_laterTitleHeaders.clear();
    m_laterTitleFooters.clear();
    m_laterHeaders.clear();
    m_laterFooters.clear();
    m_laterLeftHeaders.clear();
    m_laterLeftFooters.clear();
    if (!m_setup.isQV()) {
        auto placeholders =
            PageHeaderFooterSettings::placeholdersForConversion(toUtf16(m_name), std::chrono::system_clock::now());
        m_header = PageHeaderFooterSettings::fromSettings(m_setup.headerSettings, placeholders);
        m_footer = PageHeaderFooterSettings::fromSettings(m_setup.footerSettings, placeholders);
        m_titleHeader = PageHeaderFooterSettings::fromSettings(m_setup.titlePageHeaderSettings, placeholders);
        m_titleFooter = PageHeaderFooterSettings::fromSettings(m_setup.titlePageFooterSettings, placeholders);
        // A section's headers of every form stand at its one distance from
        // the paper's edge.
        if (m_header.enabled)
            m_titleHeader.distanceFromEdge = m_header.distanceFromEdge;
        if (m_footer.enabled)
            m_titleFooter.distanceFromEdge = m_footer.distanceFromEdge;
        if (m_setup.facingPages) {
            m_leftHeader = PageHeaderFooterSettings::fromSettings(m_setup.leftPageHeaderSettings, placeholders);
            m_leftFooter = PageHeaderFooterSettings::fromSettings(m_setup.leftPageFooterSettings, placeholders);
            if (m_header.enabled)
                m_leftHeader.distanceFromEdge = m_header.distanceFromEdge;
            if (m_footer.enabled)
                m_leftFooter.distanceFromEdge = m_footer.distanceFromEdge;
        }
        for (const auto& [section, settings] : m_setup.laterTitlePageHeaderSettings) {
            PageHeaderFooter header = PageHeaderFooterSettings::fromSettings(settings, placeholders);
            header.distanceFromEdge = m_titleHeader.enabled ? m_titleHeader.distanceFromEdge : m_header.distanceFromEdge;
            m_laterTitleHeaders.emplace(section, header);
        }
        for (const auto& [section, settings] : m_setup.laterTitlePageFooterSettings) {
            PageHeaderFooter footer = PageHeaderFooterSettings::fromSettings(settings, placeholders);
            footer.distanceFromEdge = m_titleFooter.enabled ? m_titleFooter.distanceFromEdge : m_footer.distanceFromEdge;
            m_laterTitleFooters.emplace(section, footer);
        }
        // A later section's running heads stand where the document's do
        // until its break gives its own distance.
        auto addLater = [&](std::map<std::size_t, PageHeaderFooter>& records,
                            const std::map<std::size_t, std::string>& settings,
                            const std::map<std::size_t, PDFPageSetup::Paragraphs>& paragraphs,
                            const PageHeaderFooter& document) {
            for (const auto& [section, given] : settings) {
                PageHeaderFooter record = PageHeaderFooterSettings::fromSettings(given, placeholders);
                if (document.enabled)
                    record.distanceFromEdge = document.distanceFromEdge;
                if (auto found = paragraphs.find(section); record.enabled && found != paragraphs.end() && found->second)
                    record.paragraphs = found->second->withConversionPlaceholders(placeholders);
                records.emplace(section, std::move(record));
            }
        };
        addLater(m_laterHeaders, m_setup.laterHeaderSettings, m_setup.laterHeaderParagraphs, m_header);
        addLater(m_laterFooters, m_setup.laterFooterSettings, m_setup.laterFooterParagraphs, m_footer);
        if (m_setup.facingPages) {
            addLater(m_laterLeftHeaders, m_setup.laterLeftHeaderSettings, m_setup.laterLeftHeaderParagraphs, m_header);
            addLater(m_laterLeftFooters, m_setup.laterLeftFooterSettings, m_setup.laterLeftFooterParagraphs, m_footer);
        }
        // The paragraphs another program wrote print in place of the one
        // line their settings show.
        auto withParagraphs = [&](PageHeaderFooter& record, const PDFPageSetup::Paragraphs& paragraphs) {
            if (record.enabled && paragraphs)
                record.paragraphs = paragraphs->withConversionPlaceholders(placeholders);
        };
        withParagraphs(m_header, m_setup.headerParagraphs);
        withParagraphs(m_footer, m_setup.footerParagraphs);
        withParagraphs(m_titleHeader, m_setup.titlePageHeaderParagraphs);
        withParagraphs(m_titleFooter, m_setup.titlePageFooterParagraphs);
        withParagraphs(m_leftHeader, m_setup.leftPageHeaderParagraphs);
        withParagraphs(m_leftFooter, m_setup.leftPageFooterParagraphs);
        for (auto& [section, header] : m_laterTitleHeaders) {
            if (auto found = m_setup.laterTitlePageHeaderParagraphs.find(section);
                found != m_setup.laterTitlePageHeaderParagraphs.end())
                withParagraphs(header, found->second);
        }
        for (auto& [section, footer] : m_laterTitleFooters) {
            if (auto found = m_setup.laterTitlePageFooterParagraphs.find(section);
                found != m_setup.laterTitlePageFooterParagraphs.end())
                withParagraphs(footer, found->second);
        }
    }

    WebViewFactory factory = m_environment.webViewFactory;
    if (!factory) {
        factory = [folders = m_environment.readableFolders](const Rect& frame) {
            return WebServices::shared().makeDocumentWebView(frame, folders);
        };
    }
    Result<std::unique_ptr<WebView>> webView = factory(kWebViewFrame);
    if (!webView) {
        std::weak_ptr<NDHTMLtoPDF> weak = weak_from_this();
        Error error = converterError(NoWebView, "Cannot make a web view: " + webView.error().message);
        RunLoop::main().post([weak, error] {
            if (auto self = weak.lock())
                self->fail(error);
        });
        return;
    }
    m_webView = std::move(*webView);
    m_webView->setDelegate(this);

    std::weak_ptr<NDHTMLtoPDF> weak = weak_from_this();
    m_timeout = RunLoop::main().postAfterDelay(kLoadTimeoutSeconds, [weak] {
        if (auto self = weak.lock()) {
            self->m_timeout = 0;
            self->fail(converterError(TimedOut, "The page did not load in time"));
        }
    });
    std::string baseURL = m_environment.baseURL.value_or(
        URL::fileURLWithPath(AppFolders::documentDataFolder(), true).absoluteString());
    m_webView->loadHTMLString(m_html, baseURL);
}

void NDHTMLtoPDF::webViewDidFinishLoad(WebView&)
{
    if (m_finished || m_printing)
        return;
    m_printing = true;
    if (m_setup.kind == PDFPageKind::RichText) {
        // Before anything measures the page, a document of sections too:
        // the scripts measure in CSS pixels, and the one that lays out
        // sections divides out the zoom where the engine answers a length
        // in the page's own pixels.
        m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::zoomScript(magnification()));
        if (m_finished)
            return;
    }
    if (m_setup.isQV())
        readHeaderAndFooterFromPage();
    if (!m_finished && m_setup.kind == PDFPageKind::RichText) {
        // Before anything reads the layout: the space it takes away moves
        // every line after it.
        m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::contextualSpaceScript());
        // After the space taken away, which leaves nothing to add up.
        if (!m_finished)
            m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::paragraphSpacingScript());
        if (!m_finished)
            m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::blankRunScript());
        if (!m_finished)
            m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::borderWidthScript());
        if (!m_finished)
            readSections();
    }
    // The page's own markup runs no script: the application sets the tabs,
    // for a document of sections on each part as it is shown.
    if (!m_finished && m_parts.empty() && m_setup.kind == PDFPageKind::RichText) {
        const EdgeInsets margins =
            printMargins(m_setup, 0, m_setup.titlePage ? std::optional<std::size_t>(0) : std::nullopt, {}, {});
        const double side = m_setup.sideLeft * kPointsPerCentimetre;
        m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::frameScript(
            m_setup.pageSize, m_setup.pageSize.width - side - m_setup.sideRight * kPointsPerCentimetre, side,
            margins.top));
    }
    if (!m_finished && m_parts.empty())
        m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::tabStopScript(
            m_setup.defaultTabInterval,
            m_setup.defaultTabInterval > 0
                ? m_setup.pageSize.width - (m_setup.sideLeft + m_setup.sideRight) * kPointsPerCentimetre
                : 0));
    if (m_finished)
        return;
    if (double pages = estimatedPageCount(); pages > kMaximumPages) {
        fail(converterError(TooManyPages, "The document would print on about " + std::to_string(std::lround(pages))
                                              + " pages, more than the " + std::to_string(std::lround(kMaximumPages))
                                              + " a document may have"));
        return;
    }
    if (m_parts.empty())
        print();
    else
        printPart(0);
}

void NDHTMLtoPDF::readSections()
{
    std::string answer = m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::sectionBreaksScript());
    std::vector<std::u16string> breaks;
    if (!answer.empty()) {
        for (const std::string& line : componentsSeparatedByString(answer, "\n"))
            breaks.push_back(toUtf16(line));
    }
    m_fileSections.clear();
    for (const std::u16string& text : breaks)
        m_fileSections.push_back(TESectionBreak::settingsFromAttributeText(text).fileSection);
    m_parts = breaks.empty() ? std::vector<PDFSectionPages::Part>{}
                             : PDFSectionPages::parts(m_setup, breaks, headed(), [this](std::size_t fileSection) {
                                   return m_laterHeaders.contains(fileSection) || m_laterFooters.contains(fileSection)
                                       || m_laterLeftHeaders.contains(fileSection)
                                       || m_laterLeftFooters.contains(fileSection);
                               });
    m_partMarked.assign(m_parts.size(), false);
    m_sectionEnds.assign(m_parts.size(), {});
    m_markedPageCounts.assign(m_parts.size(), std::nullopt);
}

std::string NDHTMLtoPDF::partPath(std::size_t index) const
{
    return index == 0 ? m_printedPath : m_printedPath + "." + std::to_string(index);
}

void NDHTMLtoPDF::removePrintedFiles()
{
    std::error_code ignored;
    for (std::size_t index = 0; index < std::max<std::size_t>(m_parts.size(), 1); ++index)
        std::filesystem::remove(partPath(index), ignored);
}

void NDHTMLtoPDF::printPart(std::size_t index)
{
    auto keepAlive = shared_from_this();
    const PDFSectionPages::Part& part = m_parts[index];
    const EdgeInsets margins = partMargins(part);
    const Size text{part.setup.pageSize.width - (part.setup.sideLeft + part.setup.sideRight) * kPointsPerCentimetre,
                    part.setup.pageSize.height - margins.top - margins.bottom};
    std::string shown = m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::showSectionsScript(
        part.firstSection, part.lastSection, part.setup.sideLeft, part.setup.sideRight, part.newPageSections,
        part.nextColumnSections, part.columns, text));
    if (m_finished)
        return;
    if (shown != "1") {
        fail(converterError(PrintFailed, "The page could not show section " + std::to_string(part.firstSection + 1)
                                             + " of its document"));
        return;
    }
    m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::frameScript(
        part.setup.pageSize, text.width, part.setup.sideLeft * kPointsPerCentimetre, margins.top));
    if (m_finished)
        return;
    m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::tabStopScript(m_setup.defaultTabInterval, text.width));
    if (m_finished)
        return;
    m_partMarked[index] = !part.ownHeadsSections.empty() && markSections(part);
    if (m_finished)
        return;
    printShownPart(index);
}

EdgeInsets NDHTMLtoPDF::partMargins(const PDFSectionPages::Part& part) const
{
    return printMargins(part.setup, part.firstSection,
                        part.titlePage ? std::optional<std::size_t>(part.firstSection) : std::nullopt,
                        part.headerDistance, part.footerDistance, part.ownHeadsSections);
}

void NDHTMLtoPDF::printShownPart(std::size_t index)
{
    const PDFSectionPages::Part& part = m_parts[index];
    std::weak_ptr<NDHTMLtoPDF> weak = weak_from_this();
    m_webView->printToPDF(
        partPath(index), part.setup.pageSize, partMargins(part),
        [weak, index](Status status) {
            // As for a whole print: the next part starts on the next turn.
            RunLoop::main().post([weak, index, status] {
                if (auto self = weak.lock())
                    self->partPrinted(index, status);
            });
        },
        magnification());
}

bool NDHTMLtoPDF::markSections(const PDFSectionPages::Part& part)
{
    const std::string set =
        m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::markSectionsScript(part.ownHeadsSections));
    if (m_finished || set != std::to_string(part.ownHeadsSections.size()))
        return false;
    // The marks' picture is read on the page's own time; a print started
    // before would leave it out. Where it never comes, the part's pages
    // print its first section's heads.
    constexpr int kReadyChecks = 200;
    constexpr double kReadyCheckSeconds = 0.01;
    for (int check = 0; check < kReadyChecks; ++check) {
        const std::string ready = m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::sectionMarksReadyScript());
        if (m_finished)
            return false;
        if (ready == "1")
            return true;
        RunLoop::main().runUntil([this] { return m_finished; }, kReadyCheckSeconds);
        if (m_finished)
            return false;
    }
    return false;
}

void NDHTMLtoPDF::partPrinted(std::size_t index, const Status& status)
{
    if (m_finished)
        return;
    if (status && m_partMarked[index]) {
        m_partMarked[index] = false;
        // Each mark stands where the section before one with heads of its
        // own ends: the pages after it begin in that one.
        Result<std::vector<std::size_t>> ends = WebServices::shared().printedMarkPages(
            partPath(index), PDFPageTemplates::kSectionMarkWidth, PDFPageTemplates::kSectionMarkHeight);
        Result<std::size_t> pages = WebServices::shared().pdfPageCount(partPath(index));
        if (ends && pages && ends->size() == m_parts[index].ownHeadsSections.size()) {
            m_sectionEnds[index] = std::move(*ends);
            m_markedPageCounts[index] = *pages;
        }
        // The marks have told what they can; the part prints again without
        // them, on the same pages, as they stand out of the text's flow.
        m_webView->stringByEvaluatingJavaScript(PDFPageTemplates::unmarkSectionsScript());
        if (!m_finished)
            printShownPart(index);
        return;
    }
    if (status && m_markedPageCounts[index]) {
        // Should the print without marks differ after all, its pages are
        // not those the marks were counted on.
        Result<std::size_t> pages = WebServices::shared().pdfPageCount(partPath(index));
        if (!pages || *pages != *m_markedPageCounts[index])
            m_sectionEnds[index].clear();
    }
    if (status && index + 1 < m_parts.size())
        printPart(index + 1);
    else
        printed(status);
}

double NDHTMLtoPDF::magnification() const
{
    return m_setup.kind == PDFPageKind::RichText ? kRichTextMagnification : 1;
}

double NDHTMLtoPDF::estimatedPageCount()
{
    // The laid-out height over one page's printable height, in CSS pixels
    // (four to every three points); a page that answers nothing counts as one.
    constexpr double kPixelsPerPoint = 4.0 / 3.0;
    const double printable = (m_setup.pageSize.height
                              - (m_setup.margins.top + m_setup.margins.bottom) * kPointsPerCentimetre)
        * kPixelsPerPoint;
    const double height = doubleValue(m_webView->stringByEvaluatingJavaScript("document.documentElement.scrollHeight"));
    if (!(printable > 0) || !(height > 0))
        return 1;
    return height / printable;
}

void NDHTMLtoPDF::webViewDidFailLoad(WebView&, const std::string& message)
{
    if (!m_finished)
        fail(converterError(LoadFailed, "The page did not load: " + message));
}

void NDHTMLtoPDF::webViewWebProcessDidTerminate(WebView&, const std::string& reason)
{
    if (!m_finished)
        fail(converterError(PageCrashed, "The page could not be laid out: " + reason));
}

void NDHTMLtoPDF::readHeaderAndFooterFromPage()
{
    using Settings = PageHeaderFooterSettings;
    auto placeholders = Settings::placeholdersForConversion(toUtf16(m_name), std::chrono::system_clock::now());
    for (Settings::Kind kind : {Settings::Kind::Header, Settings::Kind::Footer}) {
        auto read = [&](Settings::PageElementProperty property) {
            return m_webView->stringByEvaluatingJavaScript(Settings::pageElementScript(kind, property));
        };
        Settings::PageElementValues values;
        values.enabled = read(Settings::PageElementProperty::Enabled);
        if (values.enabled.empty() || m_finished) {
            // Also when the page has no such element: nothing is drawn.
            (kind == Settings::Kind::Header ? m_header : m_footer) = {};
            continue;
        }
        values.fontFamily = read(Settings::PageElementProperty::FontFamily);
        values.color = read(Settings::PageElementProperty::Color);
        values.fontSize = read(Settings::PageElementProperty::FontSize);
        values.textAlign = read(Settings::PageElementProperty::TextAlign);
        values.distance = read(Settings::PageElementProperty::Distance);
        std::string text = read(Settings::PageElementProperty::TextContent);
        if (!text.empty())
            values.textContent = toUtf16(text);
        (kind == Settings::Kind::Header ? m_header : m_footer) = Settings::fromPageElement(values, placeholders);
    }
    if (m_finished)
        return;
    std::string background =
        m_webView->stringByEvaluatingJavaScript("document.getElementById('bodyStyle').style.backgroundColor;");
    if (!background.empty() && !m_finished) {
        // The colour came from the page's own style; keep it a plain value
        // when it goes back into a script.
        std::string quoted;
        for (char c : background) {
            if (c == '\'' || c == '\\' || c == '\n' || c == '\r' || c == '<')
                continue;
            quoted += c;
        }
        m_webView->stringByEvaluatingJavaScript("document.body.style.backgroundColor ='" + quoted + "'");
    }
}

void NDHTMLtoPDF::print()
{
    const EdgeInsets margins =
        printMargins(m_setup, 0, m_setup.titlePage ? std::optional<std::size_t>(0) : std::nullopt, {}, {});
    std::weak_ptr<NDHTMLtoPDF> weak = weak_from_this();
    m_webView->printToPDF(
        m_printedPath, m_setup.pageSize, margins,
        [weak](Status status) {
            // The web view is in the middle of its own callback: finish on the
            // next turn, when it may be released.
            RunLoop::main().post([weak, status] {
                if (auto self = weak.lock())
                    self->printed(status);
            });
        },
        magnification());
}

void NDHTMLtoPDF::printed(const Status& status)
{
    if (m_finished)
        return;
    if (!status) {
        fail(converterError(PrintFailed, status.error().message));
        return;
    }
    // The file already at the path stays until the new one is whole.
    Result<TemporaryFile> partial = FileManager::makeTemporaryBeside(m_path);
    if (!partial) {
        removePrintedFiles();
        fail(converterError(PrintFailed, partial.error().message));
        return;
    }
    ::close(partial->descriptor);
    const std::string& partialPath = partial->path;
    // A document of sections prints each page's heads by the section it
    // begins in, even on one paper.
    const bool sections = m_parts.size() > 1 || (!m_parts.empty() && headed());
    Status rendered = sections ? joinPrintedParts(partialPath)
        : headed()             ? renderHeaderAndFooter(partialPath)
                               : takePrintedPages(partialPath);
    std::error_code ignored;
    removePrintedFiles();
    if (rendered) {
        if (Status replaced = FileManager::replaceWithTemporary(partialPath, m_path); !replaced)
            rendered = converterError(PrintFailed, replaced.error().message);
    }
    if (!rendered) {
        std::filesystem::remove(partialPath, ignored);
        fail(rendered.error());
        return;
    }
    succeed();
}

Status NDHTMLtoPDF::renderHeaderAndFooter(const std::string& outputPath)
{
    return WebServices::shared().renderPrintedPDF(
        m_printedPath, outputPath, [this](GraphicsContext& page, const Size& size, std::size_t index, std::size_t count) {
            m_pageCount = count;
            drawHeads(page, index, count, size, 0,
                      m_setup.titlePage && index == 0 ? std::optional<std::size_t>(0) : std::nullopt, {}, {}, m_setup);
            if (m_progress)
                m_progress(index, count);
        });
}

Status NDHTMLtoPDF::takePrintedPages(const std::string& outputPath)
{
    // With nothing to draw on its pages the printed PDF is the result, once
    // it has been read: a print cut short is no document.
    Result<std::size_t> count = WebServices::shared().writePrintedPDF(m_printedPath, outputPath);
    if (!count)
        return converterError(PrintFailed, count.error().message);
    if (*count == 0)
        return converterError(PrintFailed, m_printedPath + " has no pages");
    m_pageCount = *count;
    if (m_progress) {
        for (std::size_t index = 0; index < m_pageCount; ++index)
            m_progress(index, m_pageCount);
    }
    return Status::success();
}

Status NDHTMLtoPDF::joinPrintedParts(const std::string& outputPath)
{
    std::vector<PrintedPDFRenderer::PrintedPart> printed;
    for (std::size_t index = 0; index < m_parts.size(); ++index)
        printed.push_back({partPath(index), m_parts[index].firstPage});
    // The pages come in order; the first of a part is where its index changes.
    std::optional<std::size_t> currentPart;
    std::size_t partStart = 0;
    return WebServices::shared().renderPrintedPDFParts(
        printed, outputPath,
        [this, &currentPart, &partStart](GraphicsContext& page, const Size& size, std::size_t index,
                                         std::size_t count, std::size_t part) {
            m_pageCount = count;
            if (currentPart != part) {
                currentPart = part;
                partStart = index;
            }
            const PDFSectionPages::Part& section = m_parts[part];
            drawHeads(page, index, count, size,
                      PDFSectionPages::headsSectionOfPage(section, m_sectionEnds[part], index - partStart),
                      section.titlePage && index == partStart ? std::optional<std::size_t>(section.firstSection)
                                                              : std::nullopt,
                      section.headerDistance,
                      section.footerDistance, section.setup);
            if (m_progress)
                m_progress(index, count);
        });
}

bool NDHTMLtoPDF::headed() const
{
    return m_header.enabled || m_footer.enabled || m_titleHeader.enabled || m_titleFooter.enabled
        || m_leftHeader.enabled || m_leftFooter.enabled || !m_laterTitleHeaders.empty()
        || !m_laterTitleFooters.empty() || !m_laterHeaders.empty() || !m_laterFooters.empty();
}

std::pair<PageHeaderFooter, PageHeaderFooter> NDHTMLtoPDF::headsOfPage(std::size_t index, std::size_t section,
                                                                       std::optional<std::size_t> titlePageOf,
                                                                       std::optional<double> headerDistance,
                                                                       std::optional<double> footerDistance) const
{
    // A section that gives no title page heads of its own takes those of
    // the last one before it that does, and at last the document's.
    auto titleHead = [&](const std::map<std::size_t, PageHeaderFooter>& later, const PageHeaderFooter& first) {
        const std::optional<std::size_t> section = PDFSectionPages::headsSection(
            m_fileSections, *titlePageOf, [&](std::size_t fileSection) { return later.contains(fileSection); });
        return section ? later.at(*section) : first;
    };
    // The running heads likewise, each form on its own: a section's own,
    // else that of the last section before it that gives one, at last the
    // document's.
    auto runningHead = [&](const std::map<std::size_t, PageHeaderFooter>& later, const PageHeaderFooter& document) {
        const std::optional<std::size_t> own = PDFSectionPages::headsSection(
            m_fileSections, section, [&](std::size_t fileSection) { return later.contains(fileSection); });
        return own ? later.at(*own) : document;
    };
    // Pages are numbered from one: the second is the first left page.
    const bool leftPage = m_setup.facingPages && index % 2 == 1;
    PageHeaderFooter header = titlePageOf ? titleHead(m_laterTitleHeaders, m_titleHeader)
        : leftPage                        ? runningHead(m_laterLeftHeaders, m_leftHeader)
                                          : runningHead(m_laterHeaders, m_header);
    PageHeaderFooter footer = titlePageOf ? titleHead(m_laterTitleFooters, m_titleFooter)
        : leftPage                        ? runningHead(m_laterLeftFooters, m_leftFooter)
                                          : runningHead(m_laterFooters, m_footer);
    header.distanceFromEdge = headerDistance.value_or(header.distanceFromEdge);
    footer.distanceFromEdge = footerDistance.value_or(footer.distanceFromEdge);
    return {std::move(header), std::move(footer)};
}

void NDHTMLtoPDF::drawHeads(GraphicsContext& page, std::size_t index, std::size_t count, const Size& size,
                            std::size_t section, std::optional<std::size_t> titlePageOf,
                            std::optional<double> headerDistance, std::optional<double> footerDistance,
                            const PDFPageSetup& setup) const
{
    auto [header, footer] = headsOfPage(index, section, titlePageOf, headerDistance, footerDistance);
    // Each section's header and footer stand within its own side margins.
    PDFHeaderFooterDrawer::drawPage(page, index, count, size, header, footer, setup.sideLeft, setup.sideRight);
}

EdgeInsets NDHTMLtoPDF::printMargins(const PDFPageSetup& setup, std::size_t section,
                                     std::optional<std::size_t> titlePageOf,
                                     std::optional<double> headerDistance, std::optional<double> footerDistance,
                                     const std::vector<std::size_t>& laterSections) const
{
    const EdgeInsets margins{setup.margins.top * kPointsPerCentimetre, 0,
                             setup.margins.bottom * kPointsPerCentimetre, 0};
    if (!headed())
        return margins;
    // The body runs at one height on every page of a print: below the
    // tallest of its heads. Where a print starts is not known before it is
    // laid out, so both a left and a right page count.
    std::vector<PageHeaderFooter> headers;
    std::vector<PageHeaderFooter> footers;
    for (std::size_t index : {std::size_t(0), std::size_t(1), std::size_t(2)}) {
        auto [header, footer] =
            headsOfPage(index, section, index == 0 ? titlePageOf : std::nullopt, headerDistance, footerDistance);
        headers.push_back(std::move(header));
        footers.push_back(std::move(footer));
        for (std::size_t later : laterSections) {
            auto [laterHeader, laterFooter] = headsOfPage(index, later, std::nullopt, headerDistance, footerDistance);
            headers.push_back(std::move(laterHeader));
            footers.push_back(std::move(laterFooter));
        }
    }
    Result<std::unique_ptr<GraphicsContext>> measure = GraphicsContext::imageContext({1, 1});
    if (!measure)
        return margins;
    return PDFHeaderFooterDrawer::marginsClearOfHeads(**measure, margins, setup.pageSize, headers, footers,
                                                      setup.sideLeft, setup.sideRight);
}

void NDHTMLtoPDF::terminateWebTask()
{
    if (m_timeout) {
        RunLoop::main().invalidate(m_timeout);
        m_timeout = 0;
    }
    if (!m_webView)
        return;
    m_webView->setDelegate(nullptr);
    // Released on a later turn: an outcome may be reported from inside one of
    // the web view's own callbacks.
    std::shared_ptr<WebView> released(m_webView.release());
    RunLoop::main().post([released] {});
}

void NDHTMLtoPDF::succeed()
{
    if (m_finished)
        return;
    m_finished = true;
    auto keepAlive = shared_from_this();
    terminateWebTask();
    if (m_delegate)
        m_delegate->HTMLtoPDFDidSucceed(*this);
}

void NDHTMLtoPDF::fail(Error error)
{
    if (m_finished)
        return;
    m_finished = true;
    m_error = std::move(error);
    auto keepAlive = shared_from_this();
    terminateWebTask();
    removePrintedFiles();
    if (m_delegate)
        m_delegate->HTMLtoPDFDidFail(*this);
}

} // namespace folio
