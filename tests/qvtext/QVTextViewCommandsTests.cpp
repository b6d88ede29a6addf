#include "documents/DocumentSeeds.h"
#include "documents/TextDocument.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "platform/web/FakeWebView.h"
#include "qvtext/QVMarginRuler.h"
#include "qvtext/QVPageNavigator.h"
#include "qvtext/QVTextStyling.h"
#include "qvtext/QVTextDialect.h"
#include "qvtext/QVTextViewController.h"
#include "qvtext/QVTextZoom.h"
#include "qvtext/QVViewModes.h"
#include "platform/ui/BarButtonItem.h"
#include "webeditor/EditorBarItems.h"
#include "webeditor/EditorToolCommands.h"
#include "support/DocumentTestSupport.h"
#include "support/QVMenuCommandWalk.h"
#include "support/VirtualClock.h"
#include "webeditor/WebPageViewer.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::writeFile;

// The QV text editor's view commands as the editor wires them, on a
// scripted page.
class QVTextViewCommandsTest : public test::VirtualClockTest {
protected:
    QVTextViewCommandsTest()
    {
        writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Text</p>")->stringView()));
        document = std::make_shared<TextDocument>(path);
        EXPECT_TRUE(document->readFromURL(path).ok());
        editor = std::make_shared<QVTextViewController>(
            *document,
            FakeWebView::factoryKeeping(page),
            [this](const std::string& url) { opened.push_back(url); });
        editor->loadViewIfNeeded();
        loop.runOnce();
        page->answerMatching("", [this](const std::string&) {
            loop.post([this] { page->releaseAll(); });
            return std::string();
        });
        page->finishLoad();
        page->sendPageMessage(QVTextDialect::kReadySignal);
        editor->dirtyState().setInForeground(true);
    }

    std::shared_ptr<KeyCommand> key(const std::string& input, unsigned modifiers)
    {
        for (const std::shared_ptr<KeyCommand>& command : editor->keyCommands())
            if (command->matches(input, modifiers))
                return command;
        return nullptr;
    }

    testing_support::ScratchFolder folder{"qvtext-view-commands"};
    std::string path = folder.path("Notes.qvtext");
    std::shared_ptr<TextDocument> document;
    FakeWebView* page = nullptr;
    std::shared_ptr<QVTextViewController> editor;
    std::vector<std::string> opened;
};

TEST_F(QVTextViewCommandsTest, theReadyPageStartsTheZoomThePagesAndTheRuler)
{
    ASSERT_TRUE(editor->isPageReady());
    EXPECT_EQ(editor->zoom().currentPercent(), 100);
    EXPECT_EQ(editor->zoom().previousPercent(), QVTextZoom::kUnappliedPercent);
    EXPECT_EQ(editor->pages().counter().pageHeight(), 735);
    // The counter comes half a second after the page.
    EXPECT_TRUE(editor->pages().pageUpDownView()->isHidden());
    loop.advanceVirtualClock(QVPageNavigator::kRefreshDelaySeconds);
    EXPECT_FALSE(editor->pages().pageUpDownView()->isHidden());
    EXPECT_EQ(editor->pages().pageTotal()->text(), u"1");
}

TEST_F(QVTextViewCommandsTest, zoomAndPageKeysReachTheirCommands)
{
    std::shared_ptr<KeyCommand> zoomIn = key("=", KeyModifierCommand);
    ASSERT_NE(zoomIn, nullptr);
    zoomIn->perform();
    loop.runOnce();
    EXPECT_EQ(page->scriptsMatching("webkitTextSizeAdjust").back(),
              "tinymce.activeEditor.getBody().style.webkitTextSizeAdjust='150%'");
    ASSERT_NE(key("-", KeyModifierCommand), nullptr);
    ASSERT_NE(key("0", KeyModifierCommand), nullptr);
    ASSERT_NE(key(kKeyInputPageDown, KeyModifierNone), nullptr);
    std::shared_ptr<KeyCommand> pageUp = key(kKeyInputPageUp, KeyModifierNone);
    ASSERT_NE(pageUp, nullptr);
    pageUp->perform();
    EXPECT_TRUE(editor->pages().isPageButtonPressed());
    // The zoom slice reaches the editor as every web-view editor's.
    editor->documentViewZoomModified(80);
    loop.runOnce();
    EXPECT_EQ(page->scriptsMatching("webkitTextSizeAdjust").back(),
              "tinymce.activeEditor.getBody().style.webkitTextSizeAdjust='80%'");
}

TEST_F(QVTextViewCommandsTest, aPinchOnTheViewStepsTheZoomASecondAfterItEnds)
{
    std::shared_ptr<PinchGestureRecognizer> pinch;
    for (const std::shared_ptr<GestureRecognizer>& recognizer : editor->view()->gestureRecognizers())
        if (auto found = std::dynamic_pointer_cast<PinchGestureRecognizer>(recognizer))
            pinch = found;
    ASSERT_NE(pinch, nullptr);
    ASSERT_TRUE(pinch->beginPinch({100, 100}));
    pinch->changePinch(1.6, 1);
    pinch->endPinch();
    EXPECT_EQ(editor->zoom().currentPercent(), 150);
    loop.advanceVirtualClock(QVTextZoom::kPinchApplyDelaySeconds);
    EXPECT_EQ(page->scriptsMatching("webkitTextSizeAdjust").back(),
              "tinymce.activeEditor.getBody().style.webkitTextSizeAdjust='150%'");
}

TEST_F(QVTextViewCommandsTest, pictureActionsNeedASelectedPicture)
{
    EXPECT_FALSE(editor->canPerformAction("deleteImage:", nullptr));
    EXPECT_FALSE(editor->canPerformAction("cropImage:", nullptr));
    EXPECT_FALSE(editor->canPerformAction("executeCropImage:", nullptr));
    EXPECT_TRUE(editor->respondsToAction("borderImage:"));
    EXPECT_FALSE(editor->performAction("boldExecCommand:", nullptr));
}

TEST_F(QVTextViewCommandsTest, linksToWebPagesGoToTheViewerMailToTheDesktopAndLocalPagesNowhere)
{
    FakeWebView* browsing = nullptr;
    editor->setBrowsingPageFactory([&](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
        auto view = std::make_unique<FakeWebView>(frame);
        browsing = view.get();
        return std::unique_ptr<WebView>(std::move(view));
    });
    // A local page or a script is never handed to the desktop nor shown.
    EXPECT_FALSE(page->simulateNavigation("file:///no/such/page.html", NavigationType::LinkClicked));
    EXPECT_FALSE(page->simulateNavigation("javascript:alert(1)", NavigationType::LinkClicked));
    EXPECT_TRUE(!editor->webPageViewer() || !editor->webPageViewer()->webViewController());
    EXPECT_TRUE(opened.empty());

    // A web link is not followed in the document's page: the viewer browses it in a page of its own.
    EXPECT_FALSE(page->simulateNavigation("https://example.com/a", NavigationType::LinkClicked));
    ASSERT_NE(editor->webPageViewer()->webViewController(), nullptr);
    EXPECT_EQ(editor->webPageViewer()->webViewController()->webView(), browsing);
    EXPECT_NE(browsing, nullptr);
    EXPECT_TRUE(opened.empty());

    EXPECT_FALSE(page->simulateNavigation("mailto:someone@example.com", NavigationType::LinkClicked));
    EXPECT_EQ(opened, std::vector<std::string>{"mailto:someone@example.com"});
}

TEST_F(QVTextViewCommandsTest, thePopoversPaperSizeAndMarginsReachThePage)
{
    // The popover's margins are inches; the page's centimetres.
    editor->styling().textStyleCallbacks().textStylePickerViewControllerPaperMarginChanged(1, 2.0);
    EXPECT_EQ(page->scriptsMatching("style\\.marginRight").back(),
              "tinymce.activeEditor.getBody().style.marginRight = '5.08cm';");
    EXPECT_TRUE(document->hasUnsavedChanges());

    UserDefaults::standardUserDefaults().setFloat("marquentPageMarginTop", 3.0f);
    editor->setCurrentDocumentPageSize();
    EXPECT_EQ(editor->pages().counter().pageHeight(), 737);
    UserDefaults::standardUserDefaults().removeObjectForKey("marquentPageMarginTop");

    // A style's paper paints the page and the view behind it.
    editor->styling().presets().setDefaultStyle();
    ASSERT_TRUE(editor->view()->backgroundColor());
    EXPECT_EQ(page->scriptsMatching("getBody\\(\\)\\.style\\.backgroundColor = ").size(), 1u);
}

TEST_F(QVTextViewCommandsTest, aWindowNarrowerThanTheScreenIsASplitScreenWindowThatStillShowsThePageNumbers)
{
    Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
    Device::current().setScreenBounds(makeRect(0, 0, 1366, 1024));
    editor->transitionToSize({1366, 1000});
    EXPECT_FALSE(editor->isInMultitaskingMode());
    editor->transitionToSize({694, 1000});
    EXPECT_TRUE(editor->isInMultitaskingMode());
    EXPECT_EQ(editor->pages().pageUpDownView()->frame().minX(), 694 - 48);
    // A desktop window narrower than the screen still counts its pages.
    loop.advanceVirtualClock(QVPageNavigator::kRefreshDelaySeconds);
    EXPECT_FALSE(editor->pages().pageUpDownView()->isHidden());
    EXPECT_FALSE(editor->pages().pageNumber()->text().empty());
}

// Every row of the menus reaches a command the editor has: none is only
// noted in the log while the row does nothing.
TEST_F(QVTextViewCommandsTest, everyMenuRowReachesACommandOfTheEditor)
{
    std::set<std::string> missing = test::commandsTheMenusMiss(editor->tools(), [this] { loop.advanceVirtualClock(2); });
    std::string names;
    for (const std::string& name : missing)
        names += name + " ";
    EXPECT_TRUE(missing.empty()) << "rows that do nothing: " << names;
}

TEST_F(QVTextViewCommandsTest, aSaveTakesTheRulersMarginsAndHoldsTheCloseItemsUntilItEnds)
{
    const std::shared_ptr<BarButtonItem>& close = editor->tools().barItems().closeDocumentBarButtonItem();
    const std::shared_ptr<BarButtonItem>& compactClose = editor->tools().barItems().compactCloseDocumentBarButtonItem();
    editor->documentWillSave();
    EXPECT_EQ(document->docLeftMargin(), "0.00");
    EXPECT_EQ(document->docRightMargin(), "21.59");
    EXPECT_FALSE(close->isEnabled());
    EXPECT_FALSE(compactClose->isEnabled());
    // The document is not saving: a moment later the items are back.
    loop.advanceVirtualClock(0.1);
    EXPECT_TRUE(close->isEnabled());
    EXPECT_TRUE(compactClose->isEnabled());
}

} // namespace
} // namespace folio

namespace folio {
namespace {

// The banner line's counts follow the page: when the counter is switched
// on, after typing settles, and after a selection made from the cursor menu.
TEST_F(QVTextViewCommandsTest, theWordCounterOnTheBannerFollowsTheSwitchTypingAndSelections)
{
    std::string words = "2";
    page->answerMatching("", [this, &words](const std::string& script) {
        loop.post([this] { page->releaseAll(); });
        if (script.find("isCollapsed") != std::string::npos)
            return std::string("true");
        if (script.find("getWordCount") != std::string::npos)
            return words;
        if (script.find("getCharacterCount") != std::string::npos)
            return std::string("9");
        return std::string();
    });
    const std::shared_ptr<Label>& banner = editor->margins().topAlertBar();
    bool wasOn = editor->viewModes().wordCounterVisible();
    if (wasOn)
        editor->viewModes().toggleWordCounterVisible();
    page->sendPageMessage("rte://dirtyEvent");
    loop.advanceVirtualClock(1.0);
    EXPECT_NE(banner->text(), u"Chars 9 Words 2") << "off, nothing is counted";

    editor->tools().run("toggleWordCounterVisible");
    EXPECT_EQ(banner->text(), u"Chars 9 Words 2");
    words = "3";
    page->sendPageMessage("rte://dirtyEvent");
    EXPECT_EQ(banner->text(), u"Chars 9 Words 2") << "not while the keys still come";
    loop.advanceVirtualClock(1.0);
    EXPECT_EQ(banner->text(), u"Chars 9 Words 3");
    words = "4";
    editor->tools().commands().magicCursorOptionSelected(1);
    EXPECT_EQ(banner->text(), u"Chars 9 Words 4") << "a selection from the cursor menu is counted at once";
    editor->tools().run("toggleWordCounterVisible");
    if (wasOn)
        editor->viewModes().toggleWordCounterVisible();
}

} // namespace
} // namespace folio
