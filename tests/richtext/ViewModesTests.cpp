#include "engine/css/ColorHTML.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/View.h"
#include "richtext/RichTextViewModes.h"
#include "support/VirtualClock.h"
#include "webeditor/EditorFlags.h"

#include <gtest/gtest.h>

#include <map>

namespace folio {
namespace {

class ViewModesTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        EditorFlags::shared().reset();
        ProgressHUD::dismiss();
    }
    void TearDown() override { ProgressHUD::dismiss(); }

    RichTextViewModes::Host host()
    {
        return RichTextViewModes::Host{
            .sendScript = [this](const std::string& script) { scripts.push_back(script); },
            .isPageLoaded = [this] { return pageLoaded; },
            .isPad = [this] { return pad; },
            .view = [this] { return view; },
            .webViewFrame = [this] { return webFrame; },
            .setWebViewFrame = [this](Rect frame) { webFrame = frame; },
            .setNavigationBarHidden = [this](bool hidden) { navigationHidden = hidden; },
            .isEditing = [this] { return editing; },
            .endEditing = [this] { ++calls["endEditing"]; editing = false; },
            .clearEditing = [this] { ++calls["clearEditing"]; },
            .isSoftKeyboardPresent = [this] { return softKeyboard; },
            .isHardwareKeyboardConnected = [] { return false; },
            .isFindOnPageVisible = [] { return false; },
            .hideFindOnPage = {},
            .isRTFDocument = [this] { return readOnly; },
            .isTypewriterMode = [this] { return typewriter; },
            .exitTypeWriterMode = [this] { ++calls["exitTypeWriterMode"]; },
            .setRulerHidden = [this](bool hidden) { rulerHidden = hidden; },
            .setBannerHidden = [this](bool hidden) { bannerHidden = hidden; },
            .setBannerTextColor = [this](const Color& color) { bannerColor = color; },
            .setDefaultTextEditorSizeValues = [this] { ++calls["setDefaultTextEditorSizeValues"]; },
            .setSpellChecking = [this](bool on) { spelling = on; },
            .updateWordCounter = [this] { ++calls["updateWordCounter"]; },
            .hideWordCounter = [this] { ++calls["hideWordCounter"]; },
            .setTypewriterSounds = [this](bool on) { sounds = on; },
            .bars = [this] { return std::vector<std::shared_ptr<View>>{bar}; },
            .arrangeWindow = [this](bool fullScreen) { arranged.push_back(fullScreen); }};
    }
    std::size_t scriptsContaining(const std::string& part) const
    {
        std::size_t count = 0;
        for (const std::string& script : scripts)
            count += script.find(part) != std::string::npos;
        return count;
    }
    void pinch(GestureRecognizerState state, double scale) { modes.pinchAction(state, scale); }

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    std::vector<std::string> scripts;
    std::map<std::string, int> calls;
    std::shared_ptr<View> view = std::make_shared<View>(Rect{{0, 0}, {1024, 700}});
    std::shared_ptr<View> bar = std::make_shared<View>();
    Rect webFrame{{0, 30}, {1024, 670}};
    bool pageLoaded = true, pad = false, editing = false, softKeyboard = false, readOnly = false, typewriter = false;
    bool navigationHidden = false, rulerHidden = false, bannerHidden = false, spelling = false, sounds = false;
    Color bannerColor = Color::colorWithRed(1, 0, 0);
    // Each time the window was arranged: for full screen or for the page.
    std::vector<bool> arranged;
    RichTextViewModes modes{defaults, host()};
};

TEST(ZoomSteps, pinchingWalksTheFiveStepsAndWrapsBackToNormal)
{
    const std::map<long long, long long> in{{200, 150}, {150, 100}, {100, 80}, {80, 60}, {60, 100}, {120, 120}, {300, 300}};
    const std::map<long long, long long> out{{60, 80}, {80, 100}, {100, 150}, {150, 200}, {200, 100}, {300, 100}, {70, 70}};
    for (auto [from, to] : in)
        EXPECT_EQ(RichTextViewModes::zoomAfterPinch(from, false), to) << "in from " << from;
    for (auto [from, to] : out)
        EXPECT_EQ(RichTextViewModes::zoomAfterPinch(from, true), to) << "out from " << from;
    EXPECT_EQ(RichTextViewModes::zoomLabel(60), "Zoom 0.6x");
    EXPECT_EQ(RichTextViewModes::zoomLabel(80), "Zoom 0.8x");
    EXPECT_EQ(RichTextViewModes::zoomLabel(100), "Zoom 1x");
    EXPECT_EQ(RichTextViewModes::zoomLabel(150), "Zoom 1.5x");
    EXPECT_EQ(RichTextViewModes::zoomLabel(200), "Zoom 2x");
    EXPECT_EQ(RichTextViewModes::zoomLabel(120), "");
}

TEST_F(ViewModesTest, anEndedPinchShowsTheNewStepAndAppliesItASecondLater)
{
    modes.resetZoom();
    pinch(GestureRecognizerState::Ended, 0.7);
    EXPECT_EQ(modes.zoomPercent(), 80);
    EXPECT_TRUE(ProgressHUD::isVisible());
    EXPECT_EQ(ProgressHUD::shared().status(), u"Zoom 0.8x");
    loop.advanceVirtualClock(0.9);
    EXPECT_TRUE(scripts.empty());
    loop.advanceVirtualClock(0.2);
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(scripts[0], "document.getElementById('content').style.webkitTextSizeAdjust='80%'");
    EXPECT_EQ(modes.previousDocumentTextZoomPercent(), 80);
    EXPECT_FALSE(ProgressHUD::isVisible());
    // A phone never touches the zoom switch or its button.
    EXPECT_FALSE(defaults.boolForKey("zoomEnabled").has_value());
    EXPECT_TRUE(modes.zoomEnabledButton()->isHidden());
}

TEST_F(ViewModesTest, aPinchThatDoesNotEndChangesNothingButCancelsTheSameZoomPending)
{
    modes.resetZoom();
    // Back to normal from the menu: the apply that would close the indicator waits.
    defaults.setBool("zoomEnabled", true);
    modes.toogleZoomTextMode();
    pinch(GestureRecognizerState::Changed, 1.2);
    pinch(GestureRecognizerState::Cancelled, 0.8);
    EXPECT_EQ(modes.zoomPercent(), 100);
    loop.advanceVirtualClock(2);
    EXPECT_TRUE(ProgressHUD::isVisible()) << "the pending apply was cancelled";
    EXPECT_TRUE(scripts.empty());

    // Another zoom pending is left to run.
    pinch(GestureRecognizerState::Ended, 1.4);
    pinch(GestureRecognizerState::Changed, 1.2);
    loop.advanceVirtualClock(2);
    EXPECT_EQ(scripts, (std::vector<std::string>{"document.getElementById('content').style.webkitTextSizeAdjust='150%'"}));
    // Nothing happens before the page has loaded.
    pageLoaded = false;
    pinch(GestureRecognizerState::Ended, 1.4);
    EXPECT_EQ(modes.zoomPercent(), 150);
}

TEST_F(ViewModesTest, onATabletTheZoomSwitchAndButtonFollowTheZoom)
{
    pad = true;
    modes.resetZoom();
    pinch(GestureRecognizerState::Ended, 2.0);
    loop.advanceVirtualClock(1.1);
    EXPECT_EQ(defaults.boolForKey("zoomEnabled"), true);
    EXPECT_FALSE(modes.zoomEnabledButton()->isHidden());
    EXPECT_TRUE(modes.zoomEnabledButton()->isSelected());
    pinch(GestureRecognizerState::Ended, 0.5);
    loop.advanceVirtualClock(1.1);
    EXPECT_EQ(defaults.boolForKey("zoomEnabled"), false);
    EXPECT_TRUE(modes.zoomEnabledButton()->isHidden());
    EXPECT_FALSE(modes.isZoomingDocumentText());
}

TEST_F(ViewModesTest, theInspectorAndTheMenuSwitchZoomToo)
{
    modes.resetZoom();
    modes.documentViewZoomModified(237.9);
    EXPECT_EQ(modes.zoomPercent(), 237);
    loop.advanceVirtualClock(0.01);
    EXPECT_EQ(scripts.back(), "document.getElementById('content').style.webkitTextSizeAdjust='237%'");

    modes.toogleZoomTextMode();
    EXPECT_EQ(ProgressHUD::shared().status(), u"Zoom 1.5x");
    EXPECT_EQ(defaults.boolForKey("zoomEnabled"), true);
    loop.advanceVirtualClock(1.1);
    EXPECT_EQ(scripts.back(), "document.getElementById('content').style.webkitTextSizeAdjust='150%'");
    modes.toogleZoomTextMode();
    EXPECT_EQ(ProgressHUD::shared().status(), u"Normal Size");
    loop.advanceVirtualClock(1.1);
    EXPECT_EQ(scripts.back(), "document.getElementById('content').style.webkitTextSizeAdjust='100%'");
    EXPECT_EQ(defaults.boolForKey("zoomEnabled"), false);
}

TEST_F(ViewModesTest, fullScreenHidesTheBarsAndLeavingItPutsThemBack)
{
    editing = true;
    modes.fullScreenDocumentMode();
    EXPECT_TRUE(modes.isFullScreenDocumentMode());
    EXPECT_TRUE(navigationHidden);
    EXPECT_TRUE(rulerHidden);
    EXPECT_TRUE(bannerHidden);
    EXPECT_FALSE(modes.exitFullScreenMode()->isHidden());
    EXPECT_EQ(webFrame, (Rect{{0, 0}, {1024, 700 + 64}}));
    EXPECT_EQ(scripts, (std::vector<std::string>{
                           "document.getElementById('content').contentEditable=false",
                           "setRichTextPageHeight(690, 690);"}));

    scripts.clear();
    modes.closeFullScreenDocumentMode();
    EXPECT_FALSE(modes.isFullScreenDocumentMode());
    EXPECT_FALSE(navigationHidden);
    EXPECT_FALSE(bannerHidden);
    EXPECT_TRUE(modes.exitFullScreenMode()->isHidden());
    EXPECT_EQ(webFrame, (Rect{{0, 30}, {1024, 700}}));
    EXPECT_EQ(scripts, (std::vector<std::string>{"document.getElementById('content').contentEditable=true"}));
    EXPECT_EQ(calls["setDefaultTextEditorSizeValues"], 1);
    EXPECT_EQ(arranged, (std::vector<bool>{true, false}));

    // A read-only document stays read-only; typewriter mode is left its own way.
    readOnly = true;
    scripts.clear();
    modes.closeFullScreenDocumentMode();
    EXPECT_EQ(scripts, (std::vector<std::string>{"document.getElementById('content').contentEditable=false"}));
    typewriter = true;
    modes.closeFullScreenDocumentMode();
    EXPECT_EQ(calls["exitTypeWriterMode"], 1);
}

TEST_F(ViewModesTest, fullScreenAskedForOverTheSoftKeyboardOnlyRemembersIt)
{
    softKeyboard = true;
    modes.fullScreenDocumentMode();
    EXPECT_TRUE(modes.isFullScreenDocumentMode());
    EXPECT_TRUE(scripts.empty());
    EXPECT_FALSE(navigationHidden);
}

TEST_F(ViewModesTest, nightPaperAndDarkDisplayAreUndoneByTheSecondToggle)
{
    modes.toggleNightMode();
    EXPECT_EQ(defaults.boolForKey("nightMode"), true);
    EXPECT_EQ(scripts.back(), "document.body.style.backgroundColor ='#f5efdc'");
    EXPECT_EQ(view->backgroundColor(), colorWithHTMLName(std::string_view("#f5efdc")));
    EXPECT_EQ(modes.backgroundRTFLayer()->backgroundColor(), view->backgroundColor());
    modes.toggleNightMode();
    EXPECT_EQ(defaults.boolForKey("nightMode"), false);
    EXPECT_EQ(scripts.back(), "document.body.style.backgroundColor ='white'");
    EXPECT_EQ(view->backgroundColor(), colorWithHTMLName(std::string_view("white")));

    scripts.clear();
    modes.toggleDarkNightMode();
    EXPECT_EQ(defaults.boolForKey("darknightMode"), true);
    EXPECT_EQ(scripts, (std::vector<std::string>{"addcss('html,img,object {-webkit-filter: invert(1) hue-rotate(180deg);}');",
                                                 "addcss('object.footnote,object.annotation {-webkit-filter: none;}');",
                                                 "document.body.style.backgroundColor ='#d0d0d0'"}));
    EXPECT_EQ(bar->backgroundColor(), Color::colorWithRed(70 / 255.0, 70 / 255.0, 70 / 255.0));
    EXPECT_EQ(view->backgroundColor(), Color::colorWithRed(47 / 255.0, 47 / 255.0, 47 / 255.0));
    EXPECT_EQ(bannerColor, Color::colorWithWhite(1));
    scripts.clear();
    modes.toggleDarkNightMode();
    EXPECT_EQ(defaults.boolForKey("darknightMode"), false);
    EXPECT_EQ(scripts, (std::vector<std::string>{"addcss('html,img,object {-webkit-filter: invert(0) hue-rotate(360deg);}');",
                                                 "document.body.style.backgroundColor ='#ffffff'"}));
    EXPECT_EQ(bar->backgroundColor(), Color::colorWithRed(200 / 255.0, 203 / 255.0, 210 / 255.0));
    EXPECT_EQ(view->backgroundColor(), Color::colorWithWhite(1));
    EXPECT_EQ(bannerColor, Color::colorWithWhite(0));
    EXPECT_EQ(calls["endEditing"], 2);

    // A page loaded while the display is dark is made dark again.
    modes.toggleDarkNightMode();
    scripts.clear();
    modes.pageDidBecomeReady();
    EXPECT_EQ(scriptsContaining("invert(1)"), 1u);
}

TEST_F(ViewModesTest, switchesAreInvertedAndKeptAcrossLaunches)
{
    modes.toggleSmartQuotes();
    EXPECT_EQ(scripts.back(), "smartQuotesEnabled = true;");
    modes.toggleAutoCheckSpelling();
    EXPECT_TRUE(spelling);
    modes.togglePageNumbers();
    modes.toggleWordCounterVisible();
    EXPECT_EQ(calls["updateWordCounter"], 1);
    modes.toggleTypeWriterSounds();
    EXPECT_TRUE(sounds);

    UserDefaults reopened{scratch.file("Preferences.plist")};
    for (const char* key : {"smartQuotesEnabled", "autocorrectEnabled", "pageNumbersEnabled", "wordCounterVisible",
                            "typewriterSounds"})
        EXPECT_EQ(reopened.boolForKey(key), true) << key;

    modes.toggleSmartQuotes();
    EXPECT_EQ(scripts.back(), "smartQuotesEnabled = false;");
    modes.toggleAutoCheckSpelling();
    EXPECT_FALSE(spelling);
    modes.togglePageNumbers();
    modes.toggleWordCounterVisible();
    EXPECT_EQ(calls["hideWordCounter"], 1);
    modes.toggleTypeWriterSounds();
    EXPECT_FALSE(sounds);
    UserDefaults again{scratch.file("Preferences.plist")};
    for (const char* key : {"smartQuotesEnabled", "autocorrectEnabled", "pageNumbersEnabled", "wordCounterVisible",
                            "typewriterSounds"})
        EXPECT_EQ(again.boolForKey(key), false) << key;
}

} // namespace
} // namespace folio
