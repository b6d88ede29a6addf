#include "platform/foundation/Unicode.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/View.h"
#include "platform/web/FakeWebView.h"
#include "support/VirtualClock.h"
#include "webeditor/CaretSelectionCommander.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

#include <memory>

namespace folio {
namespace {

constexpr const char* kForwardScript = "sel.modify('move', 'forward', 'character')";
constexpr const char* kBackwardScript = "sel.modify('move', 'backward', 'character')";

class CaretSelectionTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        MenuController::shared().hideMenu();
        ProgressHUD::dismiss();
        loop.scheduleTimer(0.001, true, [this] { webView.releaseAll(); });
    }
    void TearDown() override
    {
        MenuController::shared().hideMenu();
        ProgressHUD::dismiss();
    }

    CaretSelectionCommander::Host host()
    {
        CaretSelectionCommander::Host h;
        h.isRTLLanguage = [this] { return rtl; };
        h.isTypewriterMode = [this] { return typewriter; };
        h.isOrientationLandscape = [this] { return landscape; };
        h.isEditing = [this] { return editing; };
        h.isPad = [this] { return pad; };
        h.hasSelection = [this] { return collapsed; };
        h.updatePageUpDownControl = [this] { ++pageControls; };
        h.documentIsDirty = [this] { ++dirtyCount; };
        h.endEditing = [this] { ++endedEditing; };
        h.view = [this] { return view; };
        h.setContentOffsetY = [this](double y) { offsets.push_back(y); };
        return h;
    }

    std::vector<std::string> scripts() const
    {
        std::vector<std::string> all;
        for (const FakeWebView::ScriptCall& call : webView.scripts())
            all.push_back(call.script);
        return all;
    }
    std::vector<std::string> commands() const
    {
        std::vector<std::string> all;
        for (const FakeWebView::EditingCommand& command : webView.editingCommands())
            all.push_back(command.command);
        return all;
    }
    std::size_t sentCount(const std::string& fragment) const
    {
        std::size_t count = 0;
        for (const std::string& script : scripts())
            count += script.find(fragment) != std::string::npos;
        return count;
    }

    bool rtl = false;
    bool typewriter = false;
    bool landscape = false;
    bool editing = true;
    bool pad = false;
    bool collapsed = true;
    int pageControls = 0;
    int dirtyCount = 0;
    int endedEditing = 0;
    std::vector<double> offsets;
    std::shared_ptr<View> view = std::make_shared<View>(Rect{{0, 0}, {768, 1024}});
    FakeWebView webView;
    PageConnection page{&webView};
    CaretSelectionCommander caret{page, host()};
};

// --- directions ----------------------------------------------------------------

TEST_F(CaretSelectionTest, leftAndRightSwapInARightToLeftLanguageOnPadsAndKeys)
{
    std::vector<std::shared_ptr<KeyCommand>> keys =
        CaretSelectionCommander::arrowKeyCommands([this] { return &caret; });
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0]->input(), kKeyInputUpArrow);
    EXPECT_EQ(keys[1]->input(), kKeyInputDownArrow);
    EXPECT_EQ(keys[2]->input(), kKeyInputLeftArrow);
    EXPECT_EQ(keys[3]->input(), kKeyInputRightArrow);
    for (const auto& key : keys)
        EXPECT_EQ(key->modifierFlags(), KeyModifierNone);

    keys[2]->perform();
    caret.magicCursorLeftTap();
    caret.cursorBwd();
    EXPECT_EQ(sentCount(kBackwardScript), 3u);
    EXPECT_EQ(sentCount(kForwardScript), 0u);
    keys[3]->perform();
    caret.magicCursorRightTap();
    caret.cursorFwd();
    EXPECT_EQ(sentCount(kForwardScript), 3u);

    webView.clearScripts();
    rtl = true;
    keys[2]->perform();
    caret.magicCursorLeftTap();
    caret.cursorBwd();
    EXPECT_EQ(sentCount(kForwardScript), 3u) << "left moves forward in a right-to-left language";
    EXPECT_EQ(sentCount(kBackwardScript), 0u);
    keys[3]->perform();
    caret.magicCursorRightTap();
    EXPECT_EQ(sentCount(kBackwardScript), 2u);

    // Up and down are not swapped, and go to the web view as line moves.
    keys[0]->perform();
    keys[1]->perform();
    EXPECT_EQ(commands(), (std::vector<std::string>{"MoveUp", "MoveDown"}));
}

TEST_F(CaretSelectionTest, aRangeGrowsByACharacterAtItsFocusAndWordsMoveByTheSelectionLibrary)
{
    // Where the caret and the selection then stand on the page:
    // RichTextEditorWebTest.theCaretCommandsMoveTheCaretAndTheSelectionOnThePage.
    caret.cursorForward();
    caret.cursorBack();
    caret.magicCursorLeft2Tap();
    caret.magicCursorRight2Tap();
    EXPECT_EQ(dirtyCount, 0) << "moving the caret changes nothing";
}

TEST_F(CaretSelectionTest, theDoubleTapSelectsTheWordThenCollapsesAndFlipsTheExtendSwitch)
{
    collapsed = true;
    // What it selects: RichTextEditorWebTest.theCaretCommandsMoveTheCaretAndTheSelectionOnThePage.
    caret.magicCursor2Tap();
    EXPECT_TRUE(caret.magicCursorButton().isHighlighted());

    // While the switch is on, line moves extend the selection.
    caret.cursorDown();
    caret.cursorUp();
    EXPECT_EQ(commands(), (std::vector<std::string>{"MoveDownAndModifySelection", "MoveUpAndModifySelection"}));
    EXPECT_EQ(pageControls, 2);

    collapsed = false;
    webView.clearScripts();
    caret.magicCursor2Tap();
    EXPECT_FALSE(caret.magicCursorButton().isHighlighted());
    caret.cursorDown();
    EXPECT_EQ(commands().back(), "MoveDown");
}

// --- named commands and the edit menu --------------------------------------------

TEST_F(CaretSelectionTest, namedCommandsGoToTheWebViewAndOnlySomeRaiseTheMenu)
{
    collapsed = false;
    webView.answer("getCaretEditorPosition()", "{120, 300}");

    caret.selectToEndOfDoc();
    loop.advanceVirtualClock(2);
    EXPECT_FALSE(MenuController::shared().isMenuVisible()) << "selecting to the end raises no menu";

    caret.selectToStartOfDoc();
    loop.advanceVirtualClock(1.19);
    EXPECT_FALSE(MenuController::shared().isMenuVisible());
    loop.advanceVirtualClock(0.02);
    ASSERT_TRUE(MenuController::shared().isMenuVisible());
    EXPECT_EQ(MenuController::shared().targetView(), view);
    EXPECT_EQ(MenuController::shared().targetRect(), (Rect{{120, 308}, {1, 1}}));

    caret.selectLine();
    caret.selectParagraph();
    caret.selectSentence();
    ProgressHUD::show();
    caret.moveToEndOfDoc();
    EXPECT_FALSE(ProgressHUD::isVisible());
    EXPECT_EQ(commands(), (std::vector<std::string>{"MoveToEndOfDocumentAndModifySelection",
                                                    "MoveToBeginningOfDocumentAndModifySelection", "SelectLine",
                                                    "SelectParagraph", "SelectSentence", "MoveToEndOfDocument"}));

    // Where they leave the caret, and what the delete takes out of the file:
    // RichTextEditorWebTest.theCaretCommandsMoveTheCaretAndTheSelectionOnThePage.
    caret.moveToBeginOfDocument();
    caret.deleteForwardKey();
    EXPECT_EQ(dirtyCount, 1);
}

TEST_F(CaretSelectionTest, withoutAPageNothingMovesAndTheOverlayStaysWithItsCaller)
{
    page.disconnect();
    ProgressHUD::show();
    caret.moveToEndOfDoc();
    caret.cursorDown();
    caret.selectLine();
    EXPECT_TRUE(webView.editingCommands().empty());
    EXPECT_TRUE(ProgressHUD::isVisible());
    EXPECT_EQ(pageControls, 0);
}

TEST_F(CaretSelectionTest, theMenuWaitRestartsAndNeverShowsInTypewriterModeOrForACaret)
{
    collapsed = false;
    webView.answer("getCaretEditorPosition()", "{300, 40}");
    caret.showMenu();
    loop.advanceVirtualClock(1.0);
    caret.showMenu();
    loop.advanceVirtualClock(1.0);
    EXPECT_FALSE(MenuController::shared().isMenuVisible()) << "the second request starts the wait again";
    loop.advanceVirtualClock(0.3);
    EXPECT_TRUE(MenuController::shared().isMenuVisible());

    MenuController::shared().hideMenu();
    typewriter = true;
    caret.showMenu();
    loop.advanceVirtualClock(2);
    EXPECT_FALSE(MenuController::shared().isMenuVisible());

    typewriter = false;
    collapsed = true;
    caret.showMenu();
    loop.advanceVirtualClock(2);
    EXPECT_FALSE(MenuController::shared().isMenuVisible());
}

// A read serves the loop while it waits: the editor, and the commander with
// it, can close before the answer comes. Neither the menu nor the spelling
// walk goes on with what closed, and the walk's overlay goes all the same.
TEST_F(CaretSelectionTest, anEditorClosedWhileAReadWaitsGoesNoFurther)
{
    collapsed = false;
    auto closing = std::make_unique<CaretSelectionCommander>(page, host());
    webView.answerMatching("getCaretEditorPosition", [&closing](const std::string&) {
        closing.reset();
        return std::string("{300, 40}");
    });
    closing->showMenu();
    loop.advanceVirtualClock(2);
    EXPECT_FALSE(closing);
    EXPECT_FALSE(MenuController::shared().isMenuVisible());

    closing = std::make_unique<CaretSelectionCommander>(page, host());
    webView.answerMatching("innerText", [&closing](const std::string&) {
        closing.reset();
        return std::string("one\ntwo\n");
    });
    ProgressHUD::show();
    closing->checkDocSpelling();
    EXPECT_FALSE(closing);
    EXPECT_TRUE(webView.editingCommands().empty()) << "no line of the walk after it closed";
    EXPECT_FALSE(ProgressHUD::isVisible());
}

TEST(CaretMenuPositionTest, theMenuPointFollowsTheScreenLimits)
{
    using C = CaretSelectionCommander;
    EXPECT_EQ(C::menuPoint({800, 100}, false), (std::optional<Point>(Point{50, 108})));
    EXPECT_EQ(C::menuPoint({800, 100}, true), (std::optional<Point>(Point{800, 108})));
    EXPECT_EQ(C::menuPoint({712, 100}, false), (std::optional<Point>(Point{712, 108})));
    EXPECT_EQ(C::menuPoint({975, 100}, true), (std::optional<Point>(Point{50, 108})));
    EXPECT_EQ(C::menuPoint({30, -20}, false), (std::optional<Point>(Point{38, 58})));
    EXPECT_EQ(C::menuPoint({0, -20}, false), (std::optional<Point>(Point{8, 58})));
    EXPECT_EQ(C::menuPoint({0, 0}, false), std::nullopt) << "an unreadable caret shows no menu";
    EXPECT_EQ(C::menuPoint({0, 300}, false), std::nullopt);

    EXPECT_EQ(C::pointFromString("{120, 300}"), (Point{120, 300}));
    EXPECT_EQ(C::pointFromString("{-4.5,7}"), (Point{-4.5, 7}));
    EXPECT_EQ(C::pointFromString(""), (Point{0, 0}));
    EXPECT_EQ(C::pointFromString("nonsense"), (Point{0, 0}));
}

// --- pad pans on the virtual clock --------------------------------------------------

TEST_F(CaretSelectionTest, padPansMoveOncePerQuietIntervalAndOnlyInClearDirections)
{
    auto recognizer = std::make_shared<PanGestureRecognizer>([this](GestureRecognizer& r) { caret.pan(r); });
    view->addGestureRecognizer(recognizer);
    ASSERT_TRUE(recognizer->beginPan({10, 10}));

    // A stream of rightward events: one move, 0.013 s after the last.
    for (int i = 0; i < 5; ++i) {
        recognizer->movePan({2, 0}, {40, 0});
        loop.advanceVirtualClock(0.005);
    }
    EXPECT_EQ(sentCount(kForwardScript), 0u);
    loop.advanceVirtualClock(0.01);
    EXPECT_EQ(sentCount(kForwardScript), 1u);
    EXPECT_EQ(caret.lastPanX(), 40.0f);
    EXPECT_EQ(caret.lastPanY(), 0.0f);

    recognizer->movePan({-2, 0}, {-30, 0});
    loop.advanceVirtualClock(0.014);
    EXPECT_EQ(sentCount(kBackwardScript), 1u);
    EXPECT_EQ(caret.lastPanX(), -30.0f);

    // Straight down: a line down after 0.04 s; the stored values stay.
    recognizer->movePan({0, 2}, {0, 25});
    loop.advanceVirtualClock(0.039);
    EXPECT_TRUE(commands().empty());
    loop.advanceVirtualClock(0.002);
    EXPECT_EQ(commands(), std::vector<std::string>{"MoveDown"});
    EXPECT_EQ(caret.lastPanX(), -30.0f);

    // Upward with a sideways speed of 10 at most still moves up.
    recognizer->movePan({1, -2}, {-10, -25});
    loop.advanceVirtualClock(0.05);
    EXPECT_EQ(commands().back(), "MoveUp");
    EXPECT_EQ(caret.lastPanX(), -30.0f);

    // Any other mixed direction only records the speeds.
    recognizer->movePan({1, -2}, {11, -25});
    recognizer->movePan({1, 2}, {3, 4});
    loop.advanceVirtualClock(0.1);
    EXPECT_EQ(commands().size(), 2u);
    EXPECT_EQ(sentCount(kForwardScript) + sentCount(kBackwardScript), 2u);
    EXPECT_EQ(caret.lastPanX(), 3.0f);
    EXPECT_EQ(caret.lastPanY(), 4.0f);

    // A line move cancels a pending character move.
    recognizer->movePan({2, 0}, {40, 0});
    recognizer->movePan({0, 2}, {0, 25});
    loop.advanceVirtualClock(0.1);
    EXPECT_EQ(sentCount(kForwardScript), 1u);
    EXPECT_EQ(commands().size(), 3u);

    // Only the changed state counts.
    recognizer->endPan({50, 0});
    loop.advanceVirtualClock(0.1);
    EXPECT_EQ(sentCount(kForwardScript), 1u);
}

TEST_F(CaretSelectionTest, aHorizontalPanMovesByWordsFollowingItsDirection)
{
    auto recognizer = std::make_shared<PanGestureRecognizer>([this](GestureRecognizer& r) { caret.pan2(r); });
    view->addGestureRecognizer(recognizer);
    ASSERT_TRUE(recognizer->beginPan({0, 0}));
    recognizer->movePan({12, 0}, {1, 0});
    recognizer->movePan({-5, 0}, {1, 0});
    EXPECT_EQ(scripts(), (std::vector<std::string>{"rangy.getSelection().move('word', 1);",
                                                   "rangy.getSelection().move('word', -1);"}));
    EXPECT_EQ(caret.lastPanX(), 7.0f);
}

TEST_F(CaretSelectionTest, padGesturesAreAttachedOnceAndHoldingRepeatsOnTwoPads)
{
    auto makePad = [] {
        return CaretSelectionCommander::CursorPad{std::make_shared<View>(), std::make_shared<View>(),
                                                  std::make_shared<View>(), std::make_shared<View>(),
                                                  std::make_shared<View>()};
    };
    CaretSelectionCommander::CursorPad main = makePad(), small = makePad(), second = makePad();
    caret.attachCursorPadGestures(main, small, second);
    caret.attachCursorPadGestures(main, small, second);
    for (const auto* pad : {&main, &small, &second})
        EXPECT_EQ(pad->pad->gestureRecognizers().size(), 3u);
    EXPECT_EQ(main.left->gestureRecognizers().size(), 2u);
    EXPECT_EQ(second.down->gestureRecognizers().size(), 2u);
    EXPECT_EQ(small.up->gestureRecognizers().size(), 1u) << "the small pad does not repeat";
    auto hold = std::dynamic_pointer_cast<LongPressGestureRecognizer>(main.right->gestureRecognizers()[1]);
    ASSERT_TRUE(hold);
    EXPECT_EQ(hold->minimumPressDuration(), 0.3);

    rtl = true;
    auto tap = std::dynamic_pointer_cast<TapGestureRecognizer>(small.left->gestureRecognizers()[0]);
    ASSERT_TRUE(tap && tap->tap({1, 1}));
    EXPECT_EQ(sentCount(kForwardScript), 1u);
    ASSERT_TRUE(hold->press({1, 1}, 0.5));
    EXPECT_GE(sentCount(kBackwardScript), 1u);

    // A double tap on the pad selects; a two-finger tap does nothing.
    webView.clearScripts();
    auto doubleTap = std::dynamic_pointer_cast<TapGestureRecognizer>(main.pad->gestureRecognizers()[2]);
    ASSERT_TRUE(doubleTap && doubleTap->tap({1, 1}, 2));
    EXPECT_TRUE(caret.magicCursorButton().isHighlighted());
    auto twoFingers = std::dynamic_pointer_cast<TapGestureRecognizer>(main.pad->gestureRecognizers()[1]);
    ASSERT_TRUE(twoFingers && twoFingers->tap({1, 1}, 1, 2));
    EXPECT_EQ(scripts().size(), 1u);
}

TEST_F(CaretSelectionTest, swipingHidesTheKeyboardOnlyWhileEditing)
{
    auto recognizer = std::make_shared<PanGestureRecognizer>();
    caret.panningDismissKeyboard(*recognizer);
    EXPECT_EQ(endedEditing, 1);
    editing = false;
    caret.panningDismissKeyboard(*recognizer);
    EXPECT_EQ(endedEditing, 1);
}

// --- spell walk -----------------------------------------------------------------------

TEST_F(CaretSelectionTest, theSpellWalkMovesOncePerLineAtMost50000Times)
{
    std::string text;
    for (int i = 0; i < 60000; ++i)
        text += "line\n";
    webView.answer("document.getElementById('content').innerText", text);
    webView.answer("window.pageYOffset", "240.5");
    collapsed = false;
    ProgressHUD::show();
    caret.checkDocSpelling();
    ASSERT_GE(scripts().size(), 2u);
    EXPECT_EQ(scripts()[0], "saveCaretSelection ();");
    EXPECT_EQ(scripts()[1], "jumpCaretToTop();");
    EXPECT_EQ(webView.editingCommands().size(), 50000u);
    EXPECT_EQ(offsets, std::vector<double>{240.5});
    EXPECT_EQ(scripts().back(), "restoreCaretSelection ();");
    EXPECT_FALSE(ProgressHUD::isVisible());
    loop.advanceVirtualClock(2);
    EXPECT_FALSE(MenuController::shared().isMenuVisible()) << "the walk leaves no menu behind";

    webView.clearScripts();
    webView.answer("document.getElementById('content').innerText", "one\r\ntwo\u2028three");
    std::size_t before = webView.editingCommands().size();
    caret.checkDocSpelling();
    EXPECT_EQ(webView.editingCommands().size() - before, 3u);
}

TEST(CaretLineCountTest, linesAreCountedAsTheLineEnumerationCountsThem)
{
    EXPECT_EQ(CaretSelectionCommander::lineCount(u""), 0u);
    EXPECT_EQ(CaretSelectionCommander::lineCount(u"one"), 1u);
    EXPECT_EQ(CaretSelectionCommander::lineCount(u"one\n"), 1u);
    EXPECT_EQ(CaretSelectionCommander::lineCount(u"one\n\ntwo"), 3u);
    EXPECT_EQ(CaretSelectionCommander::lineCount(u"a\r\nb\rc\u2029d"), 4u);
}

TEST_F(CaretSelectionTest, automaticSpellCheckingFollowsTheFlag)
{
    CaretSelectionCommander::updateSCheck(&webView, true);
    EXPECT_TRUE(webView.isSpellCheckingEnabled());
    CaretSelectionCommander::updateSCheck(&webView, false);
    EXPECT_FALSE(webView.isSpellCheckingEnabled());
    CaretSelectionCommander::updateSCheck(nullptr, true);
}

// --- palm rejection and the selection snapshot -------------------------------------------

TEST_F(CaretSelectionTest, thePalmHandleIsClampedAndTheShieldAndPageControlFollow)
{
    auto handle = std::make_shared<View>(Rect{{10, 500}, {40, 40}});
    auto layer = std::make_shared<View>(Rect{{0, 547}, {768, 400}});
    auto pageControl = std::make_shared<View>(Rect{{700, 254}, {50, 80}});
    caret.setPalmRejectionViews(handle, layer, pageControl);
    auto recognizer =
        std::make_shared<PanGestureRecognizer>([this](GestureRecognizer& r) { caret.movePalmRejectionLayer(r); });
    view->addGestureRecognizer(recognizer);

    auto drag = [&](double dy) {
        double before = handle->frame().origin.y;
        ASSERT_TRUE(recognizer->beginPan({20, 20}));
        recognizer->movePan({0, dy}, {0, 1});
        EXPECT_EQ(handle->frame().origin.y, before) << "nothing moves before the end";
        recognizer->endPan({0, 0});
    };
    drag(-400);
    EXPECT_EQ(handle->frame().origin.y, 215);
    EXPECT_EQ(layer->frame().origin.y, 262);
    EXPECT_EQ(pageControl->frame().origin.y, -31);
    EXPECT_EQ(layer->frame().origin.x, 0);
    EXPECT_EQ(layer->frame().size, (Size{768, 400}));

    drag(1000);
    EXPECT_EQ(handle->frame().origin.y, 932);
    landscape = true;
    drag(10);
    EXPECT_EQ(handle->frame().origin.y, 676);
    drag(-100);
    EXPECT_EQ(handle->frame().origin.y, 576);
    EXPECT_EQ(layer->frame().origin.y, 623);
    EXPECT_EQ(pageControl->frame().origin.y, 330);
}

TEST_F(CaretSelectionTest, theSelectionSnapshotIsOnlyMadeOnPhonesForARange)
{
    pad = true;
    collapsed = false;
    caret.addFakeTextSelectionView();
    EXPECT_FALSE(caret.fakeTextSelectionImageView());
    pad = false;
    collapsed = true;
    caret.addFakeTextSelectionView();
    EXPECT_FALSE(caret.fakeTextSelectionImageView());

    collapsed = false;
    caret.addFakeTextSelectionView();
    caret.addFakeTextSelectionView();
    ASSERT_TRUE(caret.fakeTextSelectionImageView());
    EXPECT_EQ(view->subviews().size(), 1u) << "a second snapshot replaces the first";
    EXPECT_EQ(caret.fakeTextSelectionImageView()->alpha(), 0.5);
    EXPECT_EQ(caret.fakeTextSelectionImageView()->frame().size.height, 23);
    EXPECT_EQ(caret.fakeTextSelectionImageView()->image(), nullptr);

    caret.removeFakeTextSelectionView();
    EXPECT_FALSE(caret.fakeTextSelectionImageView());
    EXPECT_TRUE(view->subviews().empty());
    caret.removeFakeTextSelectionView();
}

} // namespace
} // namespace folio
