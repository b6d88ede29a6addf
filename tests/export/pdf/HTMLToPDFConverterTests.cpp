#include "export/pdf/NDHTMLtoPDF.h"
#include "export/pdf/PageHeaderFooterSettings.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/FakeWebView.h"

#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "export/pdf/HTMLToPDFTestSupport.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using namespace testing_support;

class RecordingDelegate final : public NDHTMLtoPDFDelegate {
public:
    void HTMLtoPDFDidSucceed(NDHTMLtoPDF&) override { ++succeeded; }
    void HTMLtoPDFDidFail(NDHTMLtoPDF&) override { ++failed; }
    int succeeded = 0;
    int failed = 0;
};

class HTMLToPDFConverter : public testing::Test {
protected:
    static PDFPageSetup page(PDFPageKind kind, EdgeInsets margins = {1, 1, 1, 1})
    {
        PDFPageSetup setup;
        setup.kind = kind;
        setup.margins = margins;
        return setup;
    }

    std::shared_ptr<NDHTMLtoPDF> convert(const std::string& html, PDFPageKind kind)
    {
        return convert(html, page(kind));
    }

    std::shared_ptr<NDHTMLtoPDF> convert(const std::string& html, const PDFPageSetup& setup)
    {
        NDHTMLtoPDFEnvironment environment;
        environment.fontRules = [] { return std::string("/*RULES*/"); };
        environment.baseURL = "file:///base/";
        environment.printedPDFPath = m_folder.path("printed.pdf");
        environment.webViewFactory = [this](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
            auto view = std::make_unique<FakeWebView>(frame);
            m_page = view.get();
            if (m_configure)
                m_configure(*view);
            return std::unique_ptr<WebView>(std::move(view));
        };
        return NDHTMLtoPDF::createPDFWithHTML(html, "My Doc", m_folder.path("out.pdf"), &m_delegate, setup, PDFAction::Preview,
                                              environment);
    }

    bool waitForOutcome(const NDHTMLtoPDF& converter)
    {
        return RunLoop::main().runUntil([&] { return converter.isFinished(); }, 30);
    }

    ScratchFolder m_folder{"html-to-pdf-converter"};
    RecordingDelegate m_delegate;
    FakeWebView* m_page = nullptr;
    std::function<void(FakeWebView&)> m_configure;
};

TEST_F(HTMLToPDFConverter, TemplateFollowsThePageKind)
{
    PDFPageSetup richText = page(PDFPageKind::RichText);
    richText.sideLeft = 1.5;
    richText.pageSize = {612, 792};
    auto rich = convert("<p>rich</p>", richText);
    EXPECT_NE(rich->HTML().find("margin-left:1.50cm;"), std::string::npos);
    EXPECT_NE(rich->HTML().find("/*RULES*/"), std::string::npos);
    EXPECT_EQ(m_page->loadedHTML(), rich->HTML());
    EXPECT_EQ(m_page->loadedBaseURL(), "file:///base/");
    EXPECT_DOUBLE_EQ(rich->headerLeftMargin(), 1.5);
    EXPECT_EQ(rich->pageSize(), (Size{612, 792}));

    auto markdown = convert("<h1>md</h1>", PDFPageKind::Markdown);
    EXPECT_NE(markdown->HTML().find("line-height:1.61"), std::string::npos);
    EXPECT_NE(convert("<p>q</p>", PDFPageKind::QVText)->HTML().find(".tox.tox-tinymce"), std::string::npos);
    EXPECT_NE(convert("<p>q</p>", PDFPageKind::QVOutline)->HTML().find(".branch-title"), std::string::npos);
}

TEST_F(HTMLToPDFConverter, PaperColourWrapsRichTextOnly)
{
    PDFPageSetup setup = page(PDFPageKind::RichText);
    setup.paperColor = "FFEEDD";
    EXPECT_NE(convert("<p>x</p>", setup)->HTML().find("background-color:#FFEEDD;"), std::string::npos);
    setup.paperColor = "FFFFFF";
    EXPECT_EQ(convert("<p>x</p>", setup)->HTML().find("background-color"), std::string::npos);
}

TEST_F(HTMLToPDFConverter, PrintsWithTopAndBottomMarginsInPoints)
{
    m_configure = [](FakeWebView& page) { page.setPrintResult(Status(Error{"test", 1, "no printer"})); };
    auto converter = convert("<div id=\"bodyStyle\" style=\"margin: 2cm 1cm 3cm 1cm;\"></div><p>qv</p>",
                             page(PDFPageKind::QVText, {9, 9, 9, 9}));
    m_page->finishLoad();
    ASSERT_EQ(m_page->printRequests().size(), 1u);
    const auto& request = m_page->printRequests()[0];
    EXPECT_EQ(request.path, m_folder.path("printed.pdf"));
    EXPECT_EQ(request.pageSize, (Size{612, 810}));
    EXPECT_NEAR(request.margins.top, 2 * 72 / 2.54, 1e-9);
    EXPECT_NEAR(request.margins.bottom, 3 * 72 / 2.54, 1e-9);
    EXPECT_EQ(request.margins.left, 0);
    EXPECT_EQ(request.margins.right, 0);
    ASSERT_TRUE(waitForOutcome(*converter));
    EXPECT_EQ(m_delegate.failed, 1);
    EXPECT_EQ(m_delegate.succeeded, 0);
    ASSERT_TRUE(converter->error());
    EXPECT_EQ(converter->error()->code, NDHTMLtoPDF::PrintFailed);
    EXPECT_EQ(converter->webview(), nullptr);
}

TEST_F(HTMLToPDFConverter, LoadFailureEndsOnceAndLaterEventsAreIgnored)
{
    // On the virtual clock, so that the load's time limit can be passed.
    test::VirtualClockScope clock;
    auto converter = convert("<p>x</p>", PDFPageKind::RichText);
    m_page->failLoad("gone");
    EXPECT_TRUE(converter->isFinished());
    EXPECT_EQ(m_delegate.failed, 1);
    EXPECT_EQ(converter->error()->code, NDHTMLtoPDF::LoadFailed);
    converter->webViewDidFinishLoad(*m_page);
    converter->webViewDidFailLoad(*m_page, "again");
    // Everything the converter set going has come due: what the late
    // events posted, and the load's time limit.
    RunLoop::main().advanceVirtualClock(NDHTMLtoPDF::kLoadTimeoutSeconds + 1);
    EXPECT_EQ(m_delegate.failed, 1);
    EXPECT_EQ(m_delegate.succeeded, 0);
}

TEST_F(HTMLToPDFConverter, CrashedPageEndsTheConversionAtOnce)
{
    auto converter = convert("<p>x</p>", PDFPageKind::QVText);
    m_page->terminateWebProcess("the web page crashed");
    EXPECT_TRUE(converter->isFinished());
    EXPECT_EQ(m_delegate.failed, 1);
    ASSERT_TRUE(converter->error());
    EXPECT_EQ(converter->error()->code, NDHTMLtoPDF::PageCrashed);
    EXPECT_NE(converter->error()->message.find("crashed"), std::string::npos);
}

TEST_F(HTMLToPDFConverter, MissingWebViewFailsOnALaterTurn)
{
    NDHTMLtoPDFEnvironment environment;
    environment.fontRules = [] { return std::string(); };
    environment.webViewFactory = [](const Rect&) -> Result<std::unique_ptr<WebView>> {
        return Error{"test", 1, "no display"};
    };
    auto converter = NDHTMLtoPDF::createPDFWithHTML("<p>x</p>", "n", m_folder.path("out.pdf"), &m_delegate,
                                                    PDFPageSetup{}, PDFAction::Preview, environment);
    EXPECT_EQ(m_delegate.failed, 0);
    ASSERT_TRUE(waitForOutcome(*converter));
    EXPECT_EQ(m_delegate.failed, 1);
    EXPECT_EQ(converter->error()->code, NDHTMLtoPDF::NoWebView);
}

TEST_F(HTMLToPDFConverter, SuccessDrawsHeaderAndFooterFromSettings)
{
    PDFPageSetup setup = page(PDFPageKind::RichText);
    setup.headerSettings = "DejaVu Sans::10::left::black::0.5::YES::[title] [pagenumber]/[totalpages]";
    setup.footerSettings = "DejaVu Sans::10::right::red::0.5::NO::Never";
    writeFile(m_folder.path("out.pdf"), "an older export");
    m_configure = [this](FakeWebView& page) {
        page.setPrintResult(Status::success());
        writePrintedPDF(m_folder.path("printed.pdf"), 2, {612, 810});
    };
    auto converter = convert("<p>x</p>", setup);
    std::vector<std::size_t> progress;
    converter->setPageProgressHandler([&](std::size_t index, std::size_t) { progress.push_back(index); });
    // The older export stays until the new one is whole.
    EXPECT_EQ(readFile(m_folder.path("out.pdf")), "an older export");
    EXPECT_TRUE(converter->header().enabled);
    EXPECT_FALSE(converter->footer().enabled);
    EXPECT_DOUBLE_EQ(converter->header().distanceFromEdge, 36);
    m_page->finishLoad();
    ASSERT_TRUE(waitForOutcome(*converter));
    EXPECT_EQ(m_delegate.succeeded, 1);
    EXPECT_EQ(m_delegate.failed, 0);
    EXPECT_EQ(converter->pageCount(), 2u);
    EXPECT_EQ(progress, (std::vector<std::size_t>{0, 1}));
    std::string out = m_folder.path("out.pdf");
    EXPECT_EQ(pdfPageCount(out), 2);
    EXPECT_NE(pdfText(out, 2).find("My Doc 2/2"), std::string::npos);
    EXPECT_EQ(pdfText(out, 1).find("Never"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_folder.path("printed.pdf")));
}

TEST_F(HTMLToPDFConverter, WithoutHeaderOrFooterThePrintedPDFIsTheResult)
{
    PDFPageSetup setup = page(PDFPageKind::RichText);
    setup.footerSettings = "DejaVu Sans::10::right::red::0.5::NO::Never";
    writeFile(m_folder.path("out.pdf"), "an older export");
    std::string printed;
    m_configure = [&](FakeWebView& page) {
        page.setPrintResult(Status::success());
        writePrintedPDF(m_folder.path("printed.pdf"), 3, {612, 810});
        printed = readFile(m_folder.path("printed.pdf"));
    };
    auto converter = convert("<p>x</p>", setup);
    std::vector<std::size_t> progress;
    converter->setPageProgressHandler([&](std::size_t index, std::size_t count) {
        EXPECT_EQ(count, 3u);
        progress.push_back(index);
    });
    EXPECT_FALSE(converter->header().enabled);
    EXPECT_FALSE(converter->footer().enabled);
    m_page->finishLoad();
    ASSERT_TRUE(waitForOutcome(*converter));
    EXPECT_EQ(m_delegate.succeeded, 1);
    EXPECT_EQ(converter->pageCount(), 3u);
    EXPECT_EQ(progress, (std::vector<std::size_t>{0, 1, 2}));
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(readFile(m_folder.path("out.pdf")), printed);
    EXPECT_FALSE(std::filesystem::exists(m_folder.path("printed.pdf")));
}

TEST_F(HTMLToPDFConverter, AFailedExportKeepsTheFileAlreadyThereAndLeavesNoPart)
{
    writeFile(m_folder.path("out.pdf"), "an older export");
    m_configure = [this](FakeWebView& page) {
        page.setPrintResult(Status::success());
        writeFile(m_folder.path("printed.pdf"), "%PDF-1.4 cut short");
    };
    auto converter = convert("<p>x</p>", PDFPageKind::RichText);
    m_page->finishLoad();
    ASSERT_TRUE(waitForOutcome(*converter));
    EXPECT_EQ(m_delegate.failed, 1);
    EXPECT_EQ(readFile(m_folder.path("out.pdf")), "an older export");
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(m_folder.path("out.pdf")).parent_path()))
        EXPECT_EQ(entry.path().filename().string().find("partial"), std::string::npos) << entry.path();
}

// A document of sections prints a part at a time; a part the page cannot
// show ends the conversion, and no print of a part is left behind.
TEST_F(HTMLToPDFConverter, APartThePageCannotShowEndsTheConversionLeavingNoPrint)
{
    writeFile(m_folder.path("out.pdf"), "an older export");
    m_configure = [this](FakeWebView& page) {
        page.answerMatching("folioPrintSections\\.breaks\\(\\)", "landscape\nodd-page");
        page.answerMatching("folioPrintSections\\.show\\(", "1");
        page.answerMatching("folioPrintSections\\.show\\(1,", "");
        page.setPrintResult(Status::success());
        writePrintedPDF(m_folder.path("printed.pdf"), 1, {612, 792});
    };
    auto converter = convert("<p>x</p>", PDFPageKind::RichText);
    m_page->finishLoad();
    ASSERT_TRUE(waitForOutcome(*converter));
    EXPECT_EQ(m_delegate.failed, 1);
    EXPECT_EQ(converter->error()->code, NDHTMLtoPDF::PrintFailed);
    EXPECT_EQ(m_page->printRequests().size(), 1u);
    EXPECT_EQ(readFile(m_folder.path("out.pdf")), "an older export");
    EXPECT_FALSE(std::filesystem::exists(m_folder.path("printed.pdf")));
}

TEST_F(HTMLToPDFConverter, QVHeaderComesFromThePageElement)
{
    m_configure = [](FakeWebView& page) {
        page.answerMatching("pageHeader'\\)\\.getAttribute\\('data-enabled", "1");
        page.answerMatching("pageHeader'\\)\\.getAttribute\\('data-topMargin", "0.5");
        page.answerMatching("pageHeader'\\)\\.style\\.fontSize", "0");
        page.answerMatching("pageHeader'\\)\\.textContent", "Page [pagenumber]");
        page.answerMatching("pageFooter'\\)\\.getAttribute\\('data-enabled", "0");
        page.answerMatching("bodyStyle'\\)\\.style\\.backgroundColor", "rgb(1, 2, 3)");
        page.setPrintResult(Status(Error{"test", 1, "stop here"}));
    };
    auto converter = convert("<p>q</p>", PDFPageKind::QVOutline);
    EXPECT_FALSE(converter->header().enabled);
    m_page->finishLoad();
    EXPECT_TRUE(converter->header().enabled);
    EXPECT_DOUBLE_EQ(converter->header().distanceFromEdge, 15);
    EXPECT_DOUBLE_EQ(converter->header().fontSize, 10);
    EXPECT_EQ(converter->header().fontName, "Helvetica");
    EXPECT_EQ(converter->header().textTemplate, u"Page [pagenumber]");
    EXPECT_FALSE(converter->footer().enabled);
    EXPECT_EQ(m_page->scriptsMatching("document\\.body\\.style\\.backgroundColor ='rgb\\(1, 2, 3\\)'").size(), 1u);
    ASSERT_TRUE(waitForOutcome(*converter));
}

} // namespace
} // namespace folio
