#include "documents/DocumentSeeds.h"
#include "documents/TextDocument.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/services/NetworkReachability.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/docframework/DKWebViewController.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/Window.h"
#include "platform/web/FakeWebView.h"
#include "qvtext/QVMarginRuler.h"
#include "qvtext/QVTextAssistant.h"
#include "qvtext/QVTextDialect.h"
#include "qvtext/QVTextTools.h"
#include "qvtext/QVTextViewController.h"
#include "support/SnapshotTakingApp.h"
#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "webeditor/EditorToolCommands.h"
#include "webeditor/LinkAlertBar.h"
#include "webeditor/WebPageViewer.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::writeFile;


// What the QV text editor does beyond its page: the header and footer it
// adds, the snapshot, the offline paths and the banner that shows links.
class QVTextOutingsTest : public test::VirtualClockTest {
protected:
    QVTextOutingsTest()
    {
        // The banner doubles as the word counter's line when an earlier test left that on.
        UserDefaults::standardUserDefaults().removeObjectForKey("wordCounterVisible");
        Result<Data> stored = DocumentSeeds::compressedPage("<p>Text <a href=\"https://example.org/\">here</a></p>");
        writeFile(path, std::string(stored->stringView()));
        document = std::make_shared<TextDocument>(path);
        EXPECT_TRUE(document->readFromURL(path).ok());
        editor = std::make_shared<QVTextViewController>(*document, FakeWebView::factoryKeeping(page));
        navigation = NavigationController::withRootViewController(editor);
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
        editor->loadViewIfNeeded();
        loop.runOnce();
        page->finishLoad();
        page->sendPageMessage(QVTextDialect::kReadySignal);
        ProgressHUD::dismiss();
    }
    ~QVTextOutingsTest() override
    {
        NetworkReachability::setAnswerForTesting(std::nullopt);
        ProgressHUD::dismiss();
    }

    // The page answers a read matching the pattern as soon as it is asked.
    void answerRead(const std::string& pattern, std::string answer)
    {
        page->answerMatching(pattern, [this, answer](const std::string&) {
            loop.post([this] { page->releaseAll(); });
            return answer;
        });
    }

    std::shared_ptr<AlertController> presentedAlert() const
    {
        for (ViewController* shown : {static_cast<ViewController*>(editor.get()),
                                      static_cast<ViewController*>(navigation.get())}) {
            if (auto alert = std::dynamic_pointer_cast<AlertController>(shown->presentedViewController()))
                return alert;
        }
        return nullptr;
    }

    testing_support::ScratchFolder folder{"qvtext-outings"};
    std::string path = folder.path("Notes.qvtext");
    std::shared_ptr<TextDocument> document;
    FakeWebView* page = nullptr;
    std::shared_ptr<QVTextViewController> editor;
    std::shared_ptr<NavigationController> navigation;
    std::shared_ptr<Window> window = std::make_shared<Window>(Rect{{0, 0}, {1024, 768}});
};

TEST_F(QVTextOutingsTest, theHeaderInspectorAddsTheHiddenHeaderAndFooterOnlyWhereThePageHasNone)
{
    page->clearScripts();
    editor->tools().run("showHeaderInspector");
    std::vector<std::string> header = page->scriptsMatching("getElementById\\('pageHeader'\\);if \\(!elem\\)");
    std::vector<std::string> footer = page->scriptsMatching("getElementById\\('pageFooter'\\);if \\(!elem\\)");
    ASSERT_EQ(header.size(), 1u);
    ASSERT_EQ(footer.size(), 1u);
    EXPECT_NE(header[0].find("insertAdjacentHTML('beforeend', "), std::string::npos);
    EXPECT_NE(header[0].find("Header Author: Mara Quillet [date] - Page [pagenumber] of [totalpages]"), std::string::npos);
    EXPECT_NE(header[0].find("data-topMargin=\\\"0.5\\\""), std::string::npos) << header[0];
    EXPECT_NE(footer[0].find(" Footer Author: Mara Quillet [date] - Page [pagenumber] of [totalpages]"), std::string::npos);
    EXPECT_NE(footer[0].find("data-bottomMargin"), std::string::npos);
    EXPECT_NE(header[0].find("'\\u003Cdiv id="), std::string::npos) << "the QV text page's placeholders are divs";
}

TEST_F(QVTextOutingsTest, aSnapshotIsTheApplicationsPictureOfTheFileAndAFailureSaysSo)
{
    // Without the application's controller there is nothing to take it.
    editor->tools().run("takeSnapshot");
    EXPECT_EQ(ProgressHUD::shared().kind(), ProgressHUDKind::Error);

    SnapshotTakingApp app{"/pictures/Notes.png"};
    editor->tools().commands().toolsOptionSelected(0);
    EXPECT_EQ(app.asked, (std::vector<std::string>{document->fileURL()}));
    EXPECT_EQ(ProgressHUD::shared().kind(), ProgressHUDKind::Success);
    EXPECT_NE(ProgressHUD::shared().status().find(u"/pictures/Notes.png"), std::u16string::npos)
        << "the user is told where the picture went";

    app.outcome = Error{"test", 1, "The picture could not be written"};
    editor->tools().commands().toolsOptionSelected(0);
    EXPECT_EQ(ProgressHUD::shared().kind(), ProgressHUDKind::Error);
    EXPECT_EQ(ProgressHUD::shared().status(), u"The picture could not be written");
}

TEST_F(QVTextOutingsTest, withoutANetworkTheBrowserAndTheAssistantShowTheNoConnectionAlert)
{
    NetworkReachability::setAnswerForTesting(false);
    editor->tools().commands().toolsOptionSelected(11);
    std::shared_ptr<AlertController> alert = presentedAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), u"No Internet Connection");
    EXPECT_EQ(alert->message(), u"This needs an Internet connection. Please connect and try again.");
    EXPECT_EQ(editor->webPageViewer(), nullptr) << "no browser opened";
    alert->dismissViewControllerAnimated(false);

    page->clearScripts();
    editor->tools().assistant().showWisperant();
    ASSERT_NE(presentedAlert(), nullptr);
    EXPECT_EQ(presentedAlert()->title(), u"No Internet Connection");
    EXPECT_TRUE(page->scriptsMatching("getBookmark").empty()) << "the assistant does not open";
}

TEST_F(QVTextOutingsTest, theResearchBrowserStartsAtTheLastWebPageBrowsedElseTheStartPage)
{
    std::vector<FakeWebView*> browsing;
    editor->setBrowsingPageFactory([&](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
        auto view = std::make_unique<FakeWebView>(frame);
        browsing.push_back(view.get());
        return std::unique_ptr<WebView>(std::move(view));
    });
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    auto shownAddress = [&] {
        const auto& controller = editor->webPageViewer()->webViewController();
        return controller && controller->addressField() ? toUtf8(controller->addressField()->text()) : std::string();
    };

    defaults.setString(WebPageViewer::kWebClipLastUsedURLKey, "https://research.example/last");
    editor->tools().toolsOptionSelected(12);
    ASSERT_NE(editor->webPageViewer(), nullptr);
    EXPECT_EQ(shownAddress(), "https://research.example/last");
    ASSERT_EQ(browsing.size(), 1u);
    EXPECT_NE(static_cast<WebView*>(browsing[0]), editor->webView()) << "never the document's page";
    EXPECT_EQ(navigation->presentedViewController(), editor->webPageViewer()->navigationController());
    editor->webPageViewer()->webViewController()->close();
    loop.runUntil([&] { return navigation->presentedViewController() == nullptr; }, 5);

    // A stored address that is not a web page is not taken up.
    defaults.setString(WebPageViewer::kWebClipLastUsedURLKey, "file:///etc/passwd");
    editor->tools().toolsOptionSelected(12);
    EXPECT_EQ(shownAddress(), WebPageViewer::kDefaultResearchPage);
    defaults.removeObjectForKey(WebPageViewer::kWebClipLastUsedURLKey);
}

// A touched web link opens in the in-app viewer, one without a scheme as a
// web address; a mail link never becomes a web request there, and a link
// of any other kind is refused with a message that names it.
TEST_F(QVTextOutingsTest, touchedLinksOpenByTheirSchemeAndOthersAreRefused)
{
    editor->setBrowsingPageFactory([](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
        return std::unique_ptr<WebView>(std::make_unique<FakeWebView>(frame));
    });
    auto shownAddress = [&] {
        const auto& viewer = editor->webPageViewer();
        const auto& controller = viewer ? viewer->webViewController() : nullptr;
        return controller && controller->addressField() ? toUtf8(controller->addressField()->text()) : std::string();
    };
    for (const char* refused : {"mailto:ann@example.test", "javascript:alert(1)", "file:///etc/passwd", "evil://x"}) {
        page->sendPageMessage(std::string("rte://linkTouchedEvent#") + refused);
        EXPECT_EQ(shownAddress(), "") << refused << " opened in the viewer";
        if (std::string(refused).starts_with("mailto"))
            continue;
        EXPECT_EQ(ProgressHUD::shared().kind(), ProgressHUDKind::Error) << refused;
        std::string said = toUtf8(ProgressHUD::shared().status());
        EXPECT_NE(said.find(std::string(refused).substr(0, std::string(refused).find(':') + 1)), std::string::npos)
            << said;
        ProgressHUD::dismiss();
    }
    page->sendPageMessage("rte://linkTouchedEvent#example.org/notes");
    EXPECT_EQ(shownAddress(), "http://example.org/notes");
    page->sendPageMessage("rte://linkTouchedEvent#HTTPS://example.org/loud");
    EXPECT_EQ(shownAddress(), "https://example.org/loud");
}

TEST_F(QVTextOutingsTest, theCaretInALinkShowsItsAddressAboveThePageForFiveSeconds)
{
    const std::shared_ptr<Label>& banner = editor->margins().topAlertBar();
    answerRead("isALink\\(\\);", "https://example.org/");
    page->sendPageMessage("rte://linkSelectedEvent");
    EXPECT_EQ(banner->text(), u"Link: https://example.org/");
    EXPECT_FALSE(banner->isHidden());
    EXPECT_EQ(banner->alpha(), 1.0);
    loop.advanceVirtualClock(4.9);
    EXPECT_EQ(banner->text(), u"Link: https://example.org/");
    // Another link starts the five seconds again.
    answerRead("isALink\\(\\);", "https://example.com/");
    page->sendPageMessage("rte://linkSelectedEvent");
    loop.advanceVirtualClock(4.9);
    EXPECT_EQ(banner->text(), u"Link: https://example.com/");
    loop.advanceVirtualClock(0.2);
    EXPECT_EQ(banner->text(), u"");
    EXPECT_TRUE(banner->isHidden()) << "the word counter is off";

    // Outside a link nothing shows.
    answerRead("isALink\\(\\);", "");
    page->sendPageMessage("rte://linkSelectedEvent");
    EXPECT_EQ(banner->text(), u"");
}

} // namespace
} // namespace folio
