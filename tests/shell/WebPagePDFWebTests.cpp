#include "shell/AppController.h"
#include "shell/WebPagePDF.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/FakeWebView.h"
#include "platform/web/WebServices.h"
#include "platform/web/WebViewDelegate.h"
#include "support/DocumentTestSupport.h"
#include "export/pdf/HTMLToPDFTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

using namespace testing_support;

constexpr double kPagePDFWaitSeconds = 60;

class LoadCounter final : public WebViewDelegate {
public:
    void webViewDidFinishLoad(WebView&) override { ++finishedLoads; }
    int finishedLoads = 0;
};

// The application controller's page conversion on the real engine.
class WebPagePDFWebTest : public testing::Test {
protected:
    // The page in a real web view, loaded.
    std::unique_ptr<WebView> loadedPage(const std::string& html)
    {
        Result<std::unique_ptr<WebView>> view = WebServices::shared().makeWebView(makeRect(0, 0, 600, 600));
        EXPECT_TRUE(view.ok()) << view.error().message;
        if (!view)
            return nullptr;
        (*view)->setDelegate(&m_loads);
        (*view)->loadHTMLString(html, "file:///folio-test/");
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return m_loads.finishedLoads > 0; }, kPagePDFWaitSeconds));
        return std::move(*view);
    }

    Result<std::string> convert(WebView& page)
    {
        std::optional<Result<std::string>> outcome;
        m_controller.convertToPDF(page, [&](Result<std::string> result) { outcome = std::move(result); });
        if (!RunLoop::main().runUntil([&] { return outcome.has_value(); }, kPagePDFWaitSeconds))
            return Error{"test", 0, "the conversion did not finish"};
        return *outcome;
    }

    // Intermediate prints left in the temporary folder.
    static int leftoverPrints()
    {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(AppFolders::temporaryFolder()))
            count += entry.path().filename().string().rfind("page-print-", 0) == 0;
        return count;
    }

    LoadCounter m_loads;
    AppController m_controller;
};

TEST_F(WebPagePDFWebTest, aLongPageGivesItsFirstTwoSquarePages)
{
    std::unique_ptr<WebView> page = loadedPage(
        "<html><body style='margin:0'><p style='break-after:page'>Amber lantern</p>"
        "<p style='break-after:page'>Copper kettle</p><p>Brass compass</p></body></html>");
    ASSERT_TRUE(page);
    Result<std::string> pdf = convert(*page);
    ASSERT_TRUE(pdf.ok()) << pdf.error().message;
    EXPECT_EQ(*pdf, WebPagePDF::path());
    EXPECT_EQ(pdfPageCount(*pdf), 2);
    EXPECT_EQ(pdfPageSize(*pdf), "612 x 612");
    EXPECT_NE(pdfText(*pdf, 1).find("Amber lantern"), std::string::npos) << pdfText(*pdf, 1);
    EXPECT_NE(pdfText(*pdf, 2).find("Copper kettle"), std::string::npos) << pdfText(*pdf, 2);
    EXPECT_EQ((pdfText(*pdf, 1) + pdfText(*pdf, 2)).find("Brass"), std::string::npos);
    EXPECT_EQ(leftoverPrints(), 0);
}

TEST_F(WebPagePDFWebTest, aShortPageStillGivesTwoPagesTheSecondBlank)
{
    std::unique_ptr<WebView> page = loadedPage("<html><body><p>Amber lantern</p></body></html>");
    ASSERT_TRUE(page);
    Result<std::string> pdf = convert(*page);
    ASSERT_TRUE(pdf.ok()) << pdf.error().message;
    EXPECT_EQ(pdfPageCount(*pdf), 2);
    EXPECT_EQ(pdfPageSize(*pdf), "612 x 612");
    EXPECT_NE(pdfText(*pdf, 1).find("Amber lantern"), std::string::npos);
    EXPECT_EQ(pdfText(*pdf, 2).find_first_not_of(" \n\f"), std::string::npos) << pdfText(*pdf, 2);
}

// A print that fails, or writes nothing, is an error, and the last file stays.
TEST_F(WebPagePDFWebTest, aFailedPrintKeepsTheLastFile)
{
    writeFile(WebPagePDF::path(), "last");
    FakeWebView page;
    page.setPrintResult(Status(Error{"test", 1, "no printer"}));
    Result<std::string> failed = convert(page);
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().message, "no printer");
    page.setPrintResult(Status::success());
    EXPECT_FALSE(convert(page).ok()) << "a print that wrote no file";
    EXPECT_EQ(readFile(WebPagePDF::path()), "last");
    ASSERT_EQ(page.printRequests().size(), 2u);
    EXPECT_EQ(page.printRequests()[0].pageSize, (Size{612, 612}));
    EXPECT_EQ(page.printRequests()[0].margins, EdgeInsets{});
}

} // namespace
} // namespace folio
