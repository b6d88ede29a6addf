#include "documents/DocumentSeeds.h"
#include "documents/TextDocument.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Action.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/View.h"
#include "platform/graphics/Image.h"
#include "qvtext/QVPageNavigator.h"
#include "qvtext/QVPictureCommands.h"
#include "platform/ui/Menu.h"
#include "platform/docframework/DKMenuController.h"
#include "platform/web/FakeWebView.h"
#include "platform/foundation/Data.h"
#include "platform/ui/Button.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/NavigationItem.h"
#include "qvoutline/QVOutlineSpeechText.h"
#include "qvtext/QVTextAssistant.h"
#include "qvtext/QVTextWritingTools.h"
#include "tools/assistant/WritingAssistant.h"
#include "webeditor/EditorBarItems.h"
#include "webeditor/EditorInspectors.h"
#include "webeditor/EditorPopovers.h"
#include "webeditor/EditorToolCommands.h"
#include "platform/ui/ProgressHUD.h"
#include "webeditor/PageConnection.h"
#include "qvoutline/QVOutlineViewController.h"
#include "qvtext/QVTextStyling.h"
#include "tools/textstyle/TSTextStylePickerViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "webeditor/ReadyPoller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

namespace folio {
namespace {

using testing_support::writeFile;

constexpr const char* kOutline =
    "<div id=\"noteDate\">Mar 5, 2024</div><ul id=\"left-tree\"><li class=\"tree-branch branch-level-1\" "
    "data-id=\"1\" data-parent=\"0\" data-level=\"1\"><div class=\"contents\"><div class=\"branch-wrapper\">"
    "<div class=\"left-sidebar\"><div class=\"branch-title\" id=\"1\">Plan</div></div></div></div>"
    "<span class=\"children-bus\"></span></li></ul>";

// The outline editor beside the QV text editor, each on a scripted page, so
// that every difference shows against what the QV text editor does with the
// same input.
class QVOutlineDifferencesTest : public test::VirtualClockTest {
protected:
    enum class Kind { Text, Outline };

    struct Editor {
        std::shared_ptr<TextDocument> document;
        std::shared_ptr<QVTextViewController> controller;
        FakeWebView* page = nullptr;
    };

    ~QVOutlineDifferencesTest() override
    {
        Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
        Device::current().setOrientation(DeviceOrientation::LandscapeLeft);
    }

    // Every document is closed before the next test, so that no save of
    // the changes made here is still under way when the loop is cleared.
    void TearDown() override
    {
        for (const std::shared_ptr<TextDocument>& document : documents) {
            bool closed = false;
            document->closeWithCompletionHandler([&closed](bool) { closed = true; });
            EXPECT_TRUE(loop.runUntil([&] { return closed; }, 60));
        }
    }

    Editor open(Kind kind)
    {
        Editor editor;
        std::string path = folder.path(kind == Kind::Outline ? "Plan.qvoutline" : "Plan.qvtext");
        writeFile(path, std::string(DocumentSeeds::compressedPage(kOutline)->stringView()));
        editor.document = std::make_shared<TextDocument>(path);
        documents.push_back(editor.document);
        EXPECT_TRUE(editor.document->readFromURL(path).ok());
        auto factory = FakeWebView::factoryKeeping(editor.page);
        if (kind == Kind::Outline)
            editor.controller = std::make_shared<QVOutlineViewController>(*editor.document, factory);
        else
            editor.controller = std::make_shared<QVTextViewController>(*editor.document, factory);
        editor.controller->loadViewIfNeeded();
        return editor;
    }

    // Ready, with a page that answers the undo questions as the test says.
    Editor openReady(Kind kind)
    {
        Editor editor = open(kind);
        FakeWebView& page = *editor.page;
        loop.runOnce();
        page.finishLoad();
        page.sendPageMessage(kind == Kind::Outline ? ReadyPoller::kDOMLoadedSignal : QVTextDialect::kReadySignal);
        loop.advanceVirtualClock(1);
        EXPECT_TRUE(editor.controller->isPageReady());
        // The undo items' own questions; the style poll asks its own.
        page.answerMatching("activeEditor\\.undoManager\\.hasUndo\\(\\)",
                            [this, &page](const std::string&) { return release(page, canUndo); });
        page.answerMatching("activeEditor\\.undoManager\\.hasRedo\\(\\)",
                            [this, &page](const std::string&) { return release(page, canRedo); });
        page.clearScripts();
        return editor;
    }

    std::string release(FakeWebView& page, bool answer)
    {
        loop.post([&page] { page.releaseAll(); });
        return answer ? "true" : "false";
    }

    static QVOutlineViewController& outlineOf(const Editor& editor)
    {
        return static_cast<QVOutlineViewController&>(*editor.controller);
    }

    static size_t undoQuestions(const Editor& editor) { return editor.page->scriptsMatching("activeEditor\\.undoManager\\.hasUndo\\(\\)").size(); }

    // What the editor did to the page, without its questions.
    static std::vector<std::string> changes(const Editor& editor)
    {
        // Questions, and the page counter's own traffic (where the page
        // stands, the room kept for the counter), are no changes.
        static const std::regex question("hasUndo|hasRedo|getSelection\\(\\)\\.toString\\(\\)\\.length;$|queryCommand|"
                                         "^folioPageScrollState\\(\\);$|^document\\.querySelector\\('\\.container'\\)\\.style\\.right");
        std::vector<std::string> result;
        for (const FakeWebView::ScriptCall& call : editor.page->scripts()) {
            if (!std::regex_search(call.script, question))
                result.push_back(call.script);
        }
        return result;
    }

    testing_support::ScratchFolder folder{"qvoutline-differences"};
    std::vector<std::shared_ptr<TextDocument>> documents;
    bool canUndo = true;
    bool canRedo = false;
};

TEST_F(QVOutlineDifferencesTest, aBurstOfChangesRefreshesTheUndoItemsOnceThreeSecondsAfterItsFirstChange)
{
    Editor outline = openReady(Kind::Outline);
    Editor text = openReady(Kind::Text);
    QVOutlineViewController& controller = outlineOf(outline);
    EXPECT_FALSE(controller.undoBarButtonItem()->isEnabled()) << "nothing to undo before the page says so";
    EXPECT_FALSE(controller.redoBarButtonItem()->isEnabled());

    for (int change = 0; change < 3; ++change) {
        if (change > 0)
            loop.advanceVirtualClock(1);
        outline.page->sendPageMessage("rte://dirtyEvent");
        text.page->sendPageMessage("rte://dirtyEvent");
    }
    loop.advanceVirtualClock(0.9);
    EXPECT_EQ(undoQuestions(outline), 0u) << "not before three seconds have passed since the first change";
    loop.advanceVirtualClock(0.2);
    EXPECT_EQ(undoQuestions(outline), 1u) << "one refresh, three seconds after the first change";
    EXPECT_TRUE(controller.undoBarButtonItem()->isEnabled());
    EXPECT_FALSE(controller.redoBarButtonItem()->isEnabled());
    loop.advanceVirtualClock(5);
    EXPECT_EQ(undoQuestions(outline), 1u) << "the first refresh cancels those the later changes asked for";
    EXPECT_EQ(outline.document->changeCount(), 3) << "every change still counts";

    EXPECT_EQ(undoQuestions(text), 0u) << "the QV text editor leaves its items to the page counter";

    // Undoing is a change too: the page now has something to redo.
    canUndo = false;
    canRedo = true;
    controller.undoBarButtonItem()->tap();
    EXPECT_EQ(outline.page->scriptsMatching("execCommand\\('undo'\\)").size(), 1u);
    loop.advanceVirtualClock(3.1);
    EXPECT_FALSE(controller.undoBarButtonItem()->isEnabled());
    EXPECT_TRUE(controller.redoBarButtonItem()->isEnabled());
}

TEST_F(QVOutlineDifferencesTest, typingForTenSecondsRefreshesTheUndoItemsAboutEveryThreeSeconds)
{
    Editor outline = openReady(Kind::Outline);
    // A key every half second: each refresh cancels what the keys before it
    // asked for, and the keys after it ask anew three seconds on.
    for (int key = 0; key < 20; ++key) {
        outline.page->sendPageMessage("rte://onkeydownEvent");
        loop.advanceVirtualClock(0.5);
    }
    EXPECT_EQ(undoQuestions(outline), 3u) << "at 3, 6 and 9 seconds, not once per key";
    loop.advanceVirtualClock(4);
    EXPECT_EQ(undoQuestions(outline), 4u) << "and once more for the last keys";
}

TEST_F(QVOutlineDifferencesTest, closingDropsAPendingRefreshAndAChangeWhileClosingRefreshesWithoutCounting)
{
    Editor outline = openReady(Kind::Outline);
    outline.controller->dirtyState().setClosing(true);
    outline.controller->documentIsDirty();
    EXPECT_EQ(outline.document->changeCount(), 0) << "a change while closing does not count";
    loop.advanceVirtualClock(3.1);
    EXPECT_EQ(undoQuestions(outline), 1u) << "but the items still follow the page";
    outline.controller->dirtyState().setClosing(false);

    outline.controller->documentIsDirty();
    outline.controller->documentDidClose();
    loop.advanceVirtualClock(5);
    EXPECT_EQ(undoQuestions(outline), 1u) << "the refresh asked for before the close never runs";
    EXPECT_FALSE(outlineOf(outline).undoBarButtonItem()->isEnabled()) << "a closed editor offers no undo";
    EXPECT_FALSE(outlineOf(outline).redoBarButtonItem()->isEnabled());
}

TEST_F(QVOutlineDifferencesTest, anEditorThatGoesWhileItsRefreshAsksThePageIsLeftAlone)
{
    Editor outline = open(Kind::Outline);
    loop.runOnce();
    outline.page->finishLoad();
    outline.page->sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    loop.advanceVirtualClock(1);
    // The page's answer never comes: while the refresh waits for it, the
    // editor is let go of.
    outline.page->answerMatching("activeEditor\\.undoManager\\.hasUndo\\(\\)", [&](const std::string&) {
        loop.post([&] {
            outline.page = nullptr;
            outline.controller.reset();
        });
        return std::string("true");
    });
    outline.controller->documentIsDirty();
    loop.advanceVirtualClock(3.1);
    EXPECT_EQ(outline.controller, nullptr);
}

TEST_F(QVOutlineDifferencesTest, theDefaultStyleOnlyClearsTheFormattingOfAnOutline)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setString("defaultFont", "Georgia");
    defaults.setDouble("defaultFontSize", 18);
    Editor outline = openReady(Kind::Outline);
    Editor text = openReady(Kind::Text);

    for (Editor* editor : {&outline, &text}) {
        editor->controller->styling().optionSelected(0);
        loop.runOnce();
    }
    EXPECT_EQ(changes(outline), std::vector<std::string>{"tinymce.activeEditor.execCommand('removeFormat',false,false);"})
        << "no font, size, colour, spacing, indent or paper script follows";
    EXPECT_GE(outline.document->changeCount(), 1);
    EXPECT_GT(text.page->scripts().size(), 1u) << "the QV text editor applies its default style after clearing";
    EXPECT_FALSE(text.page->scriptsMatching("backColor").empty());

    // The text-style popover's default-style choices only mark the outline changed.
    outline.page->clearScripts();
    int changes = outline.document->changeCount();
    QVTextStyleCallbacks& callbacks = outline.controller->styling().textStyleCallbacks();
    TSTextStylePickerViewController picker{defaults};
    callbacks.textStylePickerViewControllerSelectedDefaultStyle(picker);
    callbacks.textStylePickerViewControllerReplaceDefaultStyleWithFontTextColor(picker, FontChoice{}, "red");
    EXPECT_TRUE(outline.page->scripts().empty());
    EXPECT_EQ(outline.document->changeCount(), changes + 2);
    defaults.removeObjectForKey("defaultFont");
    defaults.removeObjectForKey("defaultFontSize");
}

TEST_F(QVOutlineDifferencesTest, aUserStyleIsAppliedToAnOutlineAsToAText)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setString("defaultFont1", "Georgia");
    defaults.setDouble("defaultFontSize1", 18);
    Editor outline = openReady(Kind::Outline);
    Editor text = openReady(Kind::Text);
    for (Editor* editor : {&outline, &text}) {
        editor->controller->styling().optionSelected(1);
        loop.runOnce();
    }
    EXPECT_EQ(changes(outline), changes(text));
    EXPECT_FALSE(outline.page->scriptsMatching("Georgia").empty());
    defaults.removeObjectForKey("defaultFont1");
    defaults.removeObjectForKey("defaultFontSize1");
}

TEST_F(QVOutlineDifferencesTest, theStyleBarsAlignmentMenuOfAnOutlineOffersNoDirections)
{
    Editor outline = openReady(Kind::Outline);
    Editor text = openReady(Kind::Text);
    auto titles = [](const std::shared_ptr<Menu>& menu) {
        std::vector<std::u16string> result;
        for (const auto& child : menu->children())
            result.push_back(std::dynamic_pointer_cast<Action>(child)->title());
        return result;
    };
    std::shared_ptr<Menu> outlineMenu = outline.controller->styling().showAlignKeyMenuActions();
    EXPECT_EQ(titles(outlineMenu), (std::vector<std::u16string>{u"Justify", u"Center", u"Right", u"Left"}));
    EXPECT_EQ(text.controller->styling().showAlignKeyMenuActions()->children().size(), 6u);
    // What its choices do to the page: QVOutlineEditorWebTest.theStyleBarsAlignmentChoicesAlignTheCaretsBranch.

    // The popover list keeps both directions.
    outline.controller->styling().showAlignKeyMenu();
    ASSERT_NE(outline.controller->styling().alignPicker(), nullptr);
    EXPECT_EQ(outline.controller->styling().alignPicker()->topOptions().size(), 6u);
}

TEST_F(QVOutlineDifferencesTest, aNewWidthNarrowsTheOutlineBodyAndRedrawsTheTree)
{
    // The width asked of the body: a phone on its side keeps room for its
    // bars. That the body stays within the page whatever it is asked:
    // QVOutlineEditorWebTest.aNewSizeLeavesTheOutlineBodyWithinThePageOnEveryDevice.
    EXPECT_EQ(QVOutlineViewController::bodyWidthForSize(Size{844, 390}, true), 664);
    EXPECT_EQ(QVOutlineViewController::bodyWidthForSize(Size{844, 390}, false), 812);
    EXPECT_EQ(QVOutlineViewController::bodyWidthForSize(Size{390, 844}, false), 358);

    Editor text = openReady(Kind::Text);
    text.controller->transitionToSize(Size{844, 390});
    EXPECT_TRUE(text.page->scripts().empty()) << "the QV text page keeps its own width";
}

TEST_F(QVOutlineDifferencesTest, theAssistantsAnswerGoesToTheOldSelectionOrIntoANewBranch)
{
    Editor outline = openReady(Kind::Outline);
    QVOutlineViewController& controller = outlineOf(outline);
    controller.rememberEditingBeforeAssistant();
    EXPECT_EQ(outline.page->lastScript(), "wasWebEditorFocusedBeforePrompt = false;");
    outline.page->sendPageMessage("rte://onkeydownEvent");
    controller.rememberEditingBeforeAssistant();
    EXPECT_EQ(outline.page->lastScript(), "wasWebEditorFocusedBeforePrompt = true;");

    bool focused = false;
    outline.page->answerMatching("^wasWebEditorFocusedBeforePrompt$", [&](const std::string&) {
        return release(*outline.page, focused);
    });
    int changes = outline.document->changeCount();
    outline.page->clearScripts();
    // The keyboard was down: the answer becomes a new branch
    // (QVOutlineEditorWebTest.theAssistantsAnswersBecomeBranchesWhoseMarkupStaysWords).
    controller.AI_LeafcraftViewController_insertText("It's new", "<p>It's new</p>", 1);
    EXPECT_EQ(outline.document->changeCount(), changes) << "the page's dirty event marks the change";

    focused = true;
    for (unsigned long type : {0ul, 1ul, 2ul}) {
        outline.page->clearScripts();
        controller.AI_LeafcraftViewController_insertText("Next", "", type);
        std::vector<std::string> collapse = outline.page->scriptsMatching("collapse\\(\\);$");
        EXPECT_EQ(collapse.size(), type == 2 ? 0u : 1u) << "type " << type << ": only type 2 replaces the selection";
        EXPECT_EQ(outline.page->lastScript(),
                  "tinymce.activeEditor.selection.moveToBookmark(textSelectionBookmark);"
                  "tinymce.activeEditor.selection.setContent('Next');tinymce.activeEditor.undoManager.add();"
                  "window.location='rte://dirtyEvent';");
    }

    // The answer is text: markup in it stays text in the page.
    controller.AI_LeafcraftViewController_insertText("a <b> & c", "", 2);
    EXPECT_NE(outline.page->lastScript()->find("setContent('a &lt;b&gt; &amp; c')"), std::string::npos);

    controller.addContentFromWisperant("Waiting");
    EXPECT_EQ(outline.document->changeCount(), changes + 1);
}

TEST_F(QVOutlineDifferencesTest, anOutlinesPictureIsUneditableInARightToLeftPageAndComesInUnselected)
{
    Editor outline = openReady(Kind::Outline);
    Editor text = openReady(Kind::Text);
    std::vector<std::uint8_t> pixels(4 * 4 * 4, 200);
    Image::Pointer image = *Image::imageWithPixels(4, 4, std::move(pixels));
    for (Editor* editor : {&outline, &text}) {
        editor->page->answerMatching("tinymce\\.activeEditor\\.rtl", [this, page = editor->page](const std::string&) {
            return release(*page, true);
        });
        editor->page->answerMatching("insertHTML", [this, page = editor->page](const std::string&) {
            return release(*page, true);
        });
        ASSERT_TRUE(editor->controller->pictures().insertImage(image).ok());
        loop.advanceVirtualClock(1);
    }
    std::vector<std::string> outlineInsert = outline.page->scriptsMatching("insertHTML");
    ASSERT_EQ(outlineInsert.size(), 1u);
    EXPECT_NE(outlineInsert[0].find("contenteditable=false"), std::string::npos) << outlineInsert[0];
    EXPECT_NE(outlineInsert[0].find("text-align:right;\\\"\\u003E\\u003Cbr\\u003E"), std::string::npos) << outlineInsert[0];
    EXPECT_TRUE(outline.page->scriptsMatching("getSize").empty()) << "the outline selects no inserted picture";

    std::vector<std::string> textInsert = text.page->scriptsMatching("insertHTML");
    ASSERT_EQ(textInsert.size(), 1u);
    EXPECT_EQ(textInsert[0].find("contenteditable"), std::string::npos) << "a right-to-left text keeps it editable";
    EXPECT_EQ(text.page->scriptsMatching("getSize").size(), 1u) << "the text editor selects it half a second later";
}

TEST_F(QVOutlineDifferencesTest, aTouchOnAnOutlinePictureWhileThePageScrollsSelectsNothing)
{
    Editor outline = openReady(Kind::Outline);
    Editor text = openReady(Kind::Text);
    for (Editor* editor : {&outline, &text}) {
        editor->page->sendPageMessage("rte://scrollEvent");
        editor->page->sendPageMessage("rte://imageTouchedEvent");
        loop.advanceVirtualClock(1);
    }
    EXPECT_TRUE(outline.page->scriptsMatching("getSize").empty());
    EXPECT_EQ(text.page->scriptsMatching("getSize").size(), 1u);
    // Once the scrolling has ended, a touch selects.
    outline.page->sendPageMessage("rte://endScrollEvent#0_100");
    outline.page->sendPageMessage("rte://imageTouchedEvent");
    loop.advanceVirtualClock(1);
    EXPECT_EQ(outline.page->scriptsMatching("getSize").size(), 1u);
}

TEST_F(QVOutlineDifferencesTest, theOutlinesPageCounterStandsCloserToTheRightEdge)
{
    Editor outline = openReady(Kind::Outline);
    Editor text = openReady(Kind::Text);
    outline.controller->transitionToSize(Size{1000, 800});
    text.controller->transitionToSize(Size{1000, 800});
    const Rect outlineCounter = outline.controller->pages().pageUpDownView()->frame();
    EXPECT_EQ(text.controller->pages().pageUpDownView()->frame().minX(), 952);
    EXPECT_GT(outlineCounter.minX(), 952);
    // Its edge is 36 points from the right, but the counter is wider than
    // that: a window would cut it, so it stands whole at the edge.
    EXPECT_LE(outlineCounter.maxX(), 1000);
}

TEST_F(QVOutlineDifferencesTest, theAssistantAndHighlightOfTheEditMenuWaitUntilTheOutlineHasNoKeyboard)
{
    Editor outline = openReady(Kind::Outline);
    for (const char* action : {"highlightYellowTextSelection:", "wisperantActionFromContextualMenu:"})
        EXPECT_TRUE(outline.controller->canPerformAction(action, nullptr)) << action;
    outline.page->sendPageMessage("rte://onkeydownEvent");
    for (const char* action : {"highlightYellowTextSelection:", "wisperantActionFromContextualMenu:"})
        EXPECT_FALSE(outline.controller->canPerformAction(action, nullptr)) << action;
    EXPECT_FALSE(outline.controller->canPerformAction("cropImage:", nullptr)) << "no picture is selected";
}

TEST_F(QVOutlineDifferencesTest, theOutlinesHeaderAndFooterPlaceholdersAreSpansWhereTheTextEditorsAreDivs)
{
    Editor outline = open(Kind::Outline);
    Editor text = open(Kind::Text);
    const std::string header = text.controller->getCurrentPageHeaderControl();
    EXPECT_EQ(header, "<div id=\"pageHeader\" contenteditable=false style=\"visibility:hidden;display: none;height:1.0;"
                      "overflow: hidden; font-family:Helvetica;font-size:12;text-align:right; color:black;\" "
                      "data-topMargin=\"0.5\" data-enabled=\"NO\">Header Author: Mara Quillet [date] - Page "
                      "[pagenumber] of [totalpages]</div>");
    EXPECT_EQ(text.controller->getCurrentPageFooterControl(),
              "<div id=\"pageFooter\" contenteditable=false style=\"visibility:hidden;display: none;height:1.0;"
              "overflow: hidden; font-family:Helvetica;font-size:12;text-align:right; color:black;\" "
              "data-bottomMargin=\"0.5\" data-enabled=\"NO\"> Footer Author: Mara Quillet [date] - Page "
              "[pagenumber] of [totalpages]</div>");
    auto asSpan = [](std::string html) {
        html.replace(1, 3, "span");
        html.replace(html.size() - 4, 3, "span");
        return html;
    };
    EXPECT_EQ(outline.controller->getCurrentPageHeaderControl(), asSpan(header));
    EXPECT_EQ(outline.controller->getCurrentPageFooterControl(), asSpan(text.controller->getCurrentPageFooterControl()));
}

TEST_F(QVOutlineDifferencesTest, theOutlineDepartsFromTheTextEditorInItsFrameBarsAndKeyboardHandling)
{
    Editor outline = open(Kind::Outline);
    Editor text = open(Kind::Text);
    const QVTextDialect::EditorTraits& o = outline.controller->editorTraits();
    const QVTextDialect::EditorTraits& t = text.controller->editorTraits();
    // On a phone the outline's page is 14 points shorter.
    EXPECT_EQ(o.editorHeightInset - t.editorHeightInset, 14);
    EXPECT_EQ(o.pageUpDownRightInset, 36);
    EXPECT_EQ(t.pageUpDownRightInset, 48);
    // Each switch the other way round from the QV text editor's.
    const std::pair<bool, bool> switches[] = {
        {o.hasTextStyleItem, t.hasTextStyleItem},
        {o.toolsItemFollowsKeyboard, t.toolsItemFollowsKeyboard},
        {o.pageCounterEnablesUndoRedo, t.pageCounterEnablesUndoRedo},
        {o.savesCaretBeforePanels, t.savesCaretBeforePanels},
        {o.readAloudShowsSpeechMenu, t.readAloudShowsSpeechMenu},
        {!o.keyboardAlwaysScrollsSelectionIntoView, !t.keyboardAlwaysScrollsSelectionIntoView},
        {o.selectsInsertedPicture, t.selectsInsertedPicture},
        {!o.ignoresPictureTouchWhileScrolling, !t.ignoresPictureTouchWhileScrolling},
    };
    for (size_t i = 0; i < std::size(switches); ++i) {
        EXPECT_FALSE(switches[i].first) << "switch " << i;
        EXPECT_TRUE(switches[i].second) << "switch " << i;
    }
}

TEST_F(QVOutlineDifferencesTest, theUndoItemsThePageRefreshesAreTheOnesInTheBarAndStartDisabled)
{
    Editor outline = openReady(Kind::Outline);
    Editor text = openReady(Kind::Text);
    QVOutlineViewController& controller = outlineOf(outline);
    auto barItems = [](QVTextViewController& editor) {
        std::vector<std::shared_ptr<BarButtonItem>> items = editor.navigationItem()->effectiveLeadingItems();
        std::vector<std::shared_ptr<BarButtonItem>> trailing = editor.navigationItem()->effectiveTrailingItems();
        items.insert(items.end(), trailing.begin(), trailing.end());
        return items;
    };
    std::vector<std::shared_ptr<BarButtonItem>> shown = barItems(controller);
    ASSERT_NE(std::find(shown.begin(), shown.end(), controller.undoBarButtonItem()), shown.end())
        << "the bar shows the items the refresh enables";
    ASSERT_NE(std::find(shown.begin(), shown.end(), controller.redoBarButtonItem()), shown.end());
    EXPECT_FALSE(controller.undoBarButtonItem()->isEnabled());
    EXPECT_FALSE(controller.redoBarButtonItem()->isEnabled());
    EXPECT_FALSE(controller.undoBarButtonItem()->tap()) << "a disabled item does nothing";
    EXPECT_TRUE(outline.page->scriptsMatching("execCommand\\('undo'\\)").empty());
    EXPECT_TRUE(text.controller->tools().barItems().undoBarButtonItem()->isEnabled())
        << "the QV text editor's undo is there from the start";

    outline.page->sendPageMessage("rte://dirtyEvent");
    loop.advanceVirtualClock(3.1);
    EXPECT_TRUE(controller.undoBarButtonItem()->isEnabled());
    EXPECT_TRUE(controller.undoBarButtonItem()->tap());
    EXPECT_EQ(outline.page->scriptsMatching("execCommand\\('undo'\\)").size(), 1u);
}

TEST_F(QVOutlineDifferencesTest, theOutlinesCompactCloseSymbolIsAsSmallAsItsOthersOnAPhone)
{
    Device& device = Device::current();
    device.setUserInterfaceIdiom(UserInterfaceIdiom::Phone);
    Editor outline = open(Kind::Outline);
    Editor text = open(Kind::Text);
    EditorBarItems& outlineItems = outline.controller->tools().barItems();
    EditorBarItems& textItems = text.controller->tools().barItems();
    EXPECT_EQ(outlineItems.compactCloseDocumentBarButtonItem()->symbolPointSize(), 14);
    EXPECT_EQ(textItems.compactCloseDocumentBarButtonItem()->symbolPointSize(), 16);
    for (EditorBarItems* items : {&outlineItems, &textItems}) {
        EXPECT_EQ(items->undoBarButtonItem()->symbolPointSize(), 14);
        EXPECT_EQ(items->toolsBarButtonItem()->symbolPointSize(), 14);
        EXPECT_EQ(items->insertItemBarButtonItem()->symbolPointSize(), 14);
    }

    device.setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
    Editor padOutline = open(Kind::Outline);
    EXPECT_EQ(padOutline.controller->tools().barItems().compactCloseDocumentBarButtonItem()->symbolPointSize(), 18);
    EXPECT_EQ(padOutline.controller->tools().barItems().shareDocumentBarButtonItem()->symbolPointSize(), 18);
}

// The assistant as this system's would answer if it could: it records what
// it was opened with and answers when the test says.
struct AnsweringAssistant : WritingAssistant {
    bool isAvailable() const override { return true; }
    Status open(ViewController&, std::weak_ptr<WritingAssistantDelegate> to, SourceFileType source,
                const std::u16string& selected) override
    {
        delegate = std::move(to);
        sources.push_back(static_cast<int>(source));
        selections.push_back(selected);
        return Status::success();
    }
    void answer(const std::u16string& text, WritingAssistantInsertion insertion)
    {
        if (auto listener = delegate.lock())
            listener->writingAssistantInsertText(text, u"", insertion);
    }
    std::weak_ptr<WritingAssistantDelegate> delegate;
    std::vector<int> sources;
    std::vector<std::u16string> selections;
};

TEST_F(QVOutlineDifferencesTest, theAssistantOpenedFromTheOutlineNotesTheKeyboardAndItsAnswerBecomesABranch)
{
    auto service = std::make_shared<AnsweringAssistant>();
    WritingAssistant::setShared(service);
    Editor outline = openReady(Kind::Outline);
    Editor text = openReady(Kind::Text);
    for (Editor* editor : {&outline, &text}) {
        FakeWebView* page = editor->page;
        page->answerMatching("selection\\.getContent", [this, page](const std::string&) {
            loop.post([page] { page->releaseAll(); });
            return std::string("Plan");
        });
        editor->controller->tools().assistant().showWisperant();
    }
    ASSERT_EQ(service->sources, (std::vector<int>{5, 1}));
    EXPECT_EQ(service->selections, (std::vector<std::u16string>{u"Plan", u"Plan"}));
    std::vector<std::string> opened = changes(outline);
    ASSERT_GE(opened.size(), 2u);
    EXPECT_EQ(opened[0], QVTextAssistant::kBookmarkScript);
    EXPECT_EQ(opened[1], "wasWebEditorFocusedBeforePrompt = false;") << "right after the bookmark";
    EXPECT_TRUE(text.page->scriptsMatching("wasWebEditorFocusedBeforePrompt").empty());

    // The outline opened last; its answer, with the keyboard down, is a new branch.
    outline.page->answerMatching("^wasWebEditorFocusedBeforePrompt$",
                                 [&](const std::string&) { return release(*outline.page, false); });
    outline.controller->tools().assistant().showWisperant();
    outline.page->clearScripts();
    service->answer(u"It's next", WritingAssistantInsertion::ReplaceSelection);
    EXPECT_EQ(outline.page->lastScript(),
              "leftSortable.addNewBranchWithContent('It\\'s next');window.location='rte://dirtyEvent';");
    EXPECT_TRUE(outline.page->scriptsMatching("setContent").empty());

    // The QV text editor's answer goes to its bookmark, as ever.
    text.controller->tools().assistant().showWisperant();
    text.page->clearScripts();
    service->answer(u"It's next", WritingAssistantInsertion::ReplaceSelection);
    EXPECT_EQ(text.page->scriptsMatching("setContent").size(), 1u);
    EXPECT_TRUE(text.page->scriptsMatching("leftSortable").empty());

    // Text left while no editor was open becomes a branch holding its text.
    ASSERT_TRUE(Data::fromString("<p>Drafted</p>").writeToFile(QVTextAssistant::waitingFilePath()).ok());
    outline.page->clearScripts();
    int before = outline.document->changeCount();
    outline.controller->tools().assistant().addContentFromWisperant();
    EXPECT_EQ(outline.page->scriptsMatching("addNewBranchWithContent").size(), 1u);
    EXPECT_NE(outline.page->lastScript()->find("'html');"), std::string::npos) << *outline.page->lastScript();
    EXPECT_TRUE(outline.page->scriptsMatching("mceInsertContent").empty());
    EXPECT_EQ(outline.document->changeCount(), before + 1);
    EXPECT_FALSE(std::filesystem::exists(QVTextAssistant::waitingFilePath()));
    WritingAssistant::setShared(nullptr);
}

TEST_F(QVOutlineDifferencesTest, readingAloudAnOutlineKeepsItsLinesAndReadsASelectionsSentencesAsOne)
{
    const std::u16string selection = u"Plan. Do it.\nThen \"more\"";
    QVTextToolsDialect outline = QVOutlineViewController::outlineToolsDialect();
    ASSERT_TRUE(outline.cleanTextForSpeech);
    // The reading cuts its utterances at full stops.
    EXPECT_EQ(outline.cleanTextForSpeech(selection, PageReadAloud::Source::Selection), u"Plan\nDo it.\nThen  more ")
        << "a full stop before a blank ends a line, and the line ends stay";
    EXPECT_EQ(QVTextWritingTools::cleanedTextForSpeech(selection), u"Plan. Do it..Then  more ")
        << "the QV text editor reads every line as a sentence";
    EXPECT_EQ(outline.cleanTextForSpeech(u"One\nTwo", PageReadAloud::Source::FromCaret), u"One\nTwo");
}

TEST_F(QVOutlineDifferencesTest, theHiddenButtonsMenuOpensOnTouchDownOnly)
{
    Editor outline = open(Kind::Outline);
    QVOutlineViewController& controller = outlineOf(outline);
    ASSERT_TRUE(controller.dummyInvisibleButton()->isHidden());
    std::vector<std::string> events;
    controller.dummyInvisibleButton()->addAction(ControlEvent::TouchDown, [&](Control&) { events.push_back("down"); });
    controller.dummyInvisibleButton()->addAction(ControlEvent::TouchUpInside, [&](Control&) { events.push_back("up"); });
    controller.showDummyInvisibleButtonMenu();
    EXPECT_EQ(events, std::vector<std::string>{"down"});
}

TEST_F(QVOutlineDifferencesTest, theOutlinesPanelsScannerAndSpellingLeaveTheCaretAlone)
{
    Editor outline = openReady(Kind::Outline);
    Editor text = openReady(Kind::Text);
    for (Editor* editor : {&outline, &text}) {
        QVTextTools& tools = editor->controller->tools();
        tools.commands().checkSpelling();
        tools.inspectors().showNotEditingMessageFromBarButton({tools.barItems().toolsBarButtonItem(), {}});
        tools.popovers().dismissAllPopover();
        tools.inspectors().showTextToolsInspectorMenu({nullptr, Rect{{0, 0}, {10, 10}}});
        tools.popovers().dismissAllPopover();
        tools.writingTools().insertTextFromLiveTextScanner();
        loop.advanceVirtualClock(1);
    }
    ProgressHUD::dismiss();
    // Only the spelling walk keeps the outline's caret, to put it back
    // where it was once the walk has gone through every branch.
    EXPECT_EQ(outline.page->scriptsMatching("saveCaretSelection").size(), 1u);
    EXPECT_EQ(text.page->scriptsMatching("saveCaretSelection").size(), 5u)
        << "the QV text editor keeps its caret before each of them, and the walk once more";
}

} // namespace
} // namespace folio
