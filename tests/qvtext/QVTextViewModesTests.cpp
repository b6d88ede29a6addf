#include "engine/css/ColorHTML.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/web/FakeWebView.h"
#include "qvtext/QVPaper.h"
#include "qvtext/QVTextZoom.h"
#include "qvtext/QVViewModes.h"
#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

constexpr const char* kZoomScripts = "webkitTextSizeAdjust";

class QVTextZoomTest : public test::VirtualClockTest {
protected:
    QVTextZoomTest() : connection(&page)
    {
        device.setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
        zoom.pageDidBecomeReady();
    }

    std::vector<std::string> zooms() const { return page.scriptsMatching(kZoomScripts); }

    testing_support::ScratchFolder folder{"qvtext-zoom"};
    UserDefaults defaults{folder.path("Preferences.plist")};
    NotificationCenter center;
    Device device{center};
    FakeWebView page;
    PageConnection connection;
    bool ready = true;
    QVTextZoom zoom{connection, device, defaults, {[this] { return ready; }}};
};

TEST_F(QVTextZoomTest, theFirstZoomAfterThePageIsReadyReachesItEvenAtNormalSize)
{
    zoom.documentViewZoomModified(100.7);
    EXPECT_TRUE(zooms().empty()) << "applied on the next turn";
    loop.runOnce();
    ASSERT_EQ(zooms(), std::vector<std::string>{"tinymce.activeEditor.getBody().style.webkitTextSizeAdjust='100%'"});
    EXPECT_EQ(page.scriptsMatching("folioQVViewZoom").back(), "folioQVViewZoom(100);");
    // The same level again sends nothing more.
    zoom.documentViewZoomModified(100);
    loop.runOnce();
    EXPECT_EQ(zooms().size(), 1u);
    // Normal size on a tablet clears the switch and the indicator.
    EXPECT_EQ(defaults.boolForKey("zoomEnabled"), false);
    EXPECT_TRUE(zoom.zoomEnabledButton()->isHidden());
    EXPECT_FALSE(zoom.isZoomingDocumentText());

    zoom.documentViewZoomModified(180);
    loop.runOnce();
    EXPECT_EQ(zooms().back(), "tinymce.activeEditor.getBody().style.webkitTextSizeAdjust='180%'");
    EXPECT_EQ(defaults.boolForKey("zoomEnabled"), true);
    EXPECT_FALSE(zoom.zoomEnabledButton()->isHidden());
    EXPECT_TRUE(zoom.zoomEnabledButton()->isSelected());
    EXPECT_TRUE(zoom.isZoomingDocumentText());
}

TEST_F(QVTextZoomTest, aPinchStepsThroughTheLadderAndAppliesASecondLater)
{
    zoom.pinchEnded(0.5);
    EXPECT_EQ(zoom.currentPercent(), 80);
    EXPECT_EQ(ProgressHUD::shared().status(), u"Zoom 0.8x");
    loop.advanceVirtualClock(0.9);
    EXPECT_TRUE(zooms().empty());
    loop.advanceVirtualClock(0.1);
    EXPECT_EQ(zooms().back(), "tinymce.activeEditor.getBody().style.webkitTextSizeAdjust='80%'");
    zoom.pinchEnded(0.5);
    zoom.pinchEnded(0.5);
    EXPECT_EQ(zoom.currentPercent(), 100) << "zooming out of 60 % returns to normal size";
    EXPECT_EQ(ProgressHUD::shared().status(), u"Zoom 1x");
    for (double scale : {1.2, 1.2, 1.2})
        zoom.pinchEnded(scale);
    EXPECT_EQ(zoom.currentPercent(), 100) << "150, 200, then back to 100";
}

TEST_F(QVTextZoomTest, aLevelOffTheLadderStaysButIsStillApplied)
{
    zoom.documentViewZoomModified(250);
    loop.runOnce();
    zoom.pinchEnded(2.0);
    EXPECT_EQ(zoom.currentPercent(), 100);
    loop.advanceVirtualClock(1.0);
    EXPECT_EQ(zooms().back(), "tinymce.activeEditor.getBody().style.webkitTextSizeAdjust='100%'");

    zoom.documentViewZoomModified(120);
    loop.runOnce();
    ProgressHUD::dismiss();
    zoom.pinchEnded(2.0);
    EXPECT_EQ(zoom.currentPercent(), 120);
    EXPECT_FALSE(ProgressHUD::isVisible());
    zoom.documentViewZoomModified(130);
    std::size_t sent = zooms().size();
    loop.advanceVirtualClock(1.0);
    EXPECT_EQ(zooms().size(), sent + 1);
}

TEST_F(QVTextZoomTest, pinchesBeforeThePageIsReadyDoNothing)
{
    ready = false;
    zoom.pinchEnded(2.0);
    loop.advanceVirtualClock(2.0);
    EXPECT_EQ(zoom.currentPercent(), 100);
    EXPECT_TRUE(zooms().empty());
}

TEST_F(QVTextZoomTest, theToolsMenuTogglesBetweenNormalSizeAndOneAndAHalf)
{
    zoom.toogleZoomTextMode();
    EXPECT_EQ(ProgressHUD::shared().status(), u"Zoom 1.5x");
    EXPECT_EQ(defaults.boolForKey("zoomEnabled"), true);
    loop.advanceVirtualClock(1.0);
    EXPECT_EQ(zooms().back(), "tinymce.activeEditor.getBody().style.webkitTextSizeAdjust='150%'");
    zoom.toogleZoomTextMode();
    EXPECT_EQ(ProgressHUD::shared().status(), u"Normal Size");
    loop.advanceVirtualClock(1.0);
    EXPECT_EQ(zooms().back(), "tinymce.activeEditor.getBody().style.webkitTextSizeAdjust='100%'");
    EXPECT_EQ(defaults.boolForKey("zoomEnabled"), false);
}

TEST_F(QVTextZoomTest, theKeysStepAndResetOnTheNextTurn)
{
    zoom.zoomIn();
    loop.runOnce();
    EXPECT_EQ(zooms().back(), "tinymce.activeEditor.getBody().style.webkitTextSizeAdjust='150%'");
    zoom.zoomOut();
    zoom.zoomOut();
    loop.runOnce();
    EXPECT_EQ(zooms().back(), "tinymce.activeEditor.getBody().style.webkitTextSizeAdjust='80%'");
    zoom.zoomToNormalSize();
    loop.runOnce();
    EXPECT_EQ(zooms().back(), "tinymce.activeEditor.getBody().style.webkitTextSizeAdjust='100%'");
}

class QVViewModesTest : public test::VirtualClockTest {
protected:
    QVViewModesTest() : connection(&page)
    {
        QVViewModes::Host host;
        host.endEditing = [this] { ++editingEnded; };
        host.isEditing = [this] { return editing; };
        host.setEditing = [this](bool on) { editing = on; };
        host.isSoftKeyboardPresent = [this] { return softKeyboard; };
        host.isLandscape = [] { return true; };
        host.showRulerAndBanner = [this](bool restore) { rulerShown = restore; };
        host.setNavigationBarHidden = [this](bool hidden) { barsHidden = hidden; };
        host.showPageCounter = [this](bool shown) { counterShown = shown; };
        host.webViewFrame = [this] { return webFrame; };
        host.setWebViewFrame = [this](const Rect& frame) { webFrame = frame; };
        host.viewFrame = [this] { return viewFrame; };
        host.setViewFrame = [this](const Rect& frame) { viewFrame = frame; };
        host.setSpellCheckingEnabled = [this](bool on) { spelling = on; };
        host.paintBackground = [this](const Color& color) { background = color; };
        host.arrangeWindow = [this](QVViewModes::Arrangement arrangement) {
            arrangements.push_back(arrangement);
            // The window is arranged once the bar is in its new state.
            barsHiddenWhenArranged.push_back(barsHidden);
        };
        modes = std::make_unique<QVViewModes>(connection, paper, defaults, host);
    }

    std::vector<std::string> sent() const
    {
        std::vector<std::string> scripts;
        for (const FakeWebView::ScriptCall& call : page.scripts())
            scripts.push_back(call.script);
        return scripts;
    }

    testing_support::ScratchFolder folder{"qvtext-modes"};
    UserDefaults defaults{folder.path("Preferences.plist")};
    FakeWebView page;
    PageConnection connection;
    std::optional<Color> paperShown;
    QVPaper paper{connection, {[this](const std::optional<Color>& color) { paperShown = color; }, {}, {}}};
    std::unique_ptr<QVViewModes> modes;
    int editingEnded = 0;
    bool editing = true;
    bool softKeyboard = false;
    bool rulerShown = true;
    bool barsHidden = false;
    bool counterShown = true;
    bool spelling = false;
    Rect webFrame = makeRect(0, 24, 1000, 700);
    Rect viewFrame = makeRect(0, 0, 1000, 760);
    std::optional<Color> background;
    std::vector<QVViewModes::Arrangement> arrangements;
    std::vector<bool> barsHiddenWhenArranged;
};

TEST_F(QVViewModesTest, theNightPapersSwitchAndStoreTheirSwitch)
{
    // The papers on the real page:
    // QVTextFormattingWebTest.theNightPapersFullScreenAndPaperColoursShowOnThePage.
    modes->toggleNightMode(true);
    EXPECT_EQ(defaults.boolForKey("nightMode"), true);
    EXPECT_EQ(paperShown, colorWithHTMLName("#f5efdc"));
    modes->toggleNightMode(true);
    EXPECT_EQ(defaults.boolForKey("nightMode"), false);

    modes->toggleDarkNightMode(true);
    EXPECT_EQ(defaults.boolForKey("darknightMode"), true);
    EXPECT_EQ(background, Color::colorWithRed(47 / 255.0, 47 / 255.0, 47 / 255.0));
    EXPECT_EQ(modes->keyboardBarColor(), Color::colorWithRed(70 / 255.0, 70 / 255.0, 70 / 255.0));
    // A colour the user picks ends the dark page first.
    modes->leaveNightModes();
    EXPECT_EQ(defaults.boolForKey("darknightMode"), false);
    EXPECT_EQ(background, Color::colorWithWhite(1));
}

TEST_F(QVViewModesTest, fullScreenMakesThePageReadOnlyAndItsExitRestoresTheBars)
{
    modes->fullScreenDocumentMode();
    EXPECT_TRUE(modes->isFullScreenDocumentMode());
    // The page read-only and back: QVTextFormattingWebTest.theNightPapersFullScreenAndPaperColoursShowOnThePage.
    EXPECT_TRUE(barsHidden);
    EXPECT_FALSE(rulerShown);
    EXPECT_FALSE(modes->exitFullScreenMode()->isHidden());

    modes->exitFullScreenMode()->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    EXPECT_FALSE(modes->isFullScreenDocumentMode());
    EXPECT_FALSE(barsHidden);
    EXPECT_TRUE(rulerShown);
    EXPECT_TRUE(modes->exitFullScreenMode()->isHidden());
    EXPECT_EQ(webFrame, makeRect(0, 24, 1000, 636));
}

TEST_F(QVViewModesTest, withTheOnScreenKeyboardUpFullScreenOnlyEndsEditing)
{
    softKeyboard = true;
    modes->fullScreenDocumentMode();
    EXPECT_TRUE(modes->isFullScreenDocumentMode());
    EXPECT_EQ(editingEnded, 1);
    EXPECT_TRUE(page.scriptsMatching("readonly").empty());
    EXPECT_FALSE(barsHidden);
}

TEST_F(QVViewModesTest, typewriterModeShowsTheTextInABandAndItsExitGivesThePageBack)
{
    modes->typewriterMode();
    EXPECT_TRUE(modes->isTypewriterMode());
    EXPECT_EQ(webFrame, makeRect(0, 140, 1000, 130));
    EXPECT_EQ(viewFrame, makeRect(0, -44, 1000, 804));
    EXPECT_EQ(modes->topDividerTypewriter()->frame().minY(), 136);
    EXPECT_EQ(modes->bottomDividerTypewriter()->frame().minY(), 276);
    EXPECT_FALSE(counterShown);
    EXPECT_FALSE(page.scriptsMatching("'height', '108px'").empty());

    // Leaving full screen in typewriter mode leaves typewriter mode.
    modes->closeFullScreenDocumentMode();
    EXPECT_FALSE(modes->isTypewriterMode());
    EXPECT_EQ(viewFrame, makeRect(0, 0, 1000, 760));
    EXPECT_EQ(modes->topDividerTypewriter()->frame().minY(), -55);
    EXPECT_TRUE(counterShown);
    EXPECT_TRUE(rulerShown);
    EXPECT_FALSE(editing);
}

TEST_F(QVViewModesTest, theWindowIsArrangedForEachModeAfterTheBarWentAndWhenItCameBack)
{
    using Arrangement = QVViewModes::Arrangement;
    modes->fullScreenDocumentMode();
    modes->closeFullScreenDocumentMode();
    modes->typewriterMode();
    modes->layoutTypeWriteModeAfterAppEnterForeground();
    modes->closeFullScreenDocumentMode();
    EXPECT_EQ(arrangements, (std::vector<Arrangement>{Arrangement::FullScreen, Arrangement::Page, Arrangement::Typewriter,
                                                      Arrangement::Typewriter, Arrangement::Page}));
    EXPECT_EQ(barsHiddenWhenArranged, (std::vector<bool>{true, false, true, true, false}));
    // Full screen with the on-screen keyboard up keeps the page as it is.
    arrangements.clear();
    softKeyboard = true;
    modes->fullScreenDocumentMode();
    EXPECT_TRUE(arrangements.empty());

    // The band, its lines and the button stand where the mode puts them.
    for (bool landscape : {true, false}) {
        PageModeLayout::TypewriterBand band = QVViewModes::typewriterBand(landscape);
        EXPECT_EQ(band.pageY, landscape ? 140 : 200);
        EXPECT_EQ(band.pageHeight, QVViewModes::kTypewriterBandHeight);
        EXPECT_EQ(band.topDividerY, landscape ? 136 : 196);
        EXPECT_EQ(band.bottomDividerY, landscape ? 276 : 336);
        EXPECT_LT(band.topDividerY, band.pageY) << "the top line above the band";
        EXPECT_GT(band.bottomDividerY, band.pageY + band.pageHeight) << "the bottom line below it";
        EXPECT_EQ(band.exitButtonY, 0);
    }
}

TEST_F(QVViewModesTest, theSwitchesStoreTheNegationOfWhatTheyRead)
{
    modes->toggleSmartQuotes();
    EXPECT_EQ(page.lastScript(), "smartQuotesEnabled = true;");
    EXPECT_EQ(defaults.boolForKey("smartQuotesEnabled"), true);
    modes->toggleSmartQuotes();
    EXPECT_EQ(page.lastScript(), "smartQuotesEnabled = false;");

    modes->toggleAutoCheckSpelling();
    EXPECT_TRUE(spelling);
    EXPECT_EQ(defaults.boolForKey("autocorrectEnabled"), true);
    modes->togglePageNumbers();
    EXPECT_EQ(defaults.boolForKey("pageNumbersEnabled"), true);
    modes->toggleWordCounterVisible();
    EXPECT_TRUE(modes->wordCounterVisible());
    EXPECT_EQ(defaults.boolForKey("wordCounterVisible"), true);
    modes->toggleTypeWriterSounds(false);
    EXPECT_TRUE(modes->typeWriterSoundModeActivated());
    EXPECT_EQ(defaults.boolForKey("typewriterSounds"), std::nullopt) << "not stored when asked not to";
}

TEST(QVPaperTest, paperColoursPaintThePageAndColoursByValueGoByTheirNearestName)
{
    FakeWebView page;
    PageConnection connection(&page);
    std::vector<std::optional<Color>> painted;
    int nightLeft = 0;
    int dirtied = 0;
    QVPaper paper(connection, {[&](const std::optional<Color>& color) { painted.push_back(color); },
                               [&] { ++nightLeft; }, [&] { ++dirtied; }});
    // What the page shows: QVTextFormattingWebTest.theNightPapersFullScreenAndPaperColoursShowOnThePage.
    paper.setPaperColor("gainsboro");
    EXPECT_EQ(painted.back(), Color::colorWithRed(220 / 255.0, 220 / 255.0, 220 / 255.0));
    EXPECT_EQ(dirtied, 0);

    paper.userSelectedBackgroundColor("#fff8dc");
    EXPECT_EQ(nightLeft, 1);
    EXPECT_EQ(dirtied, 1);
    EXPECT_EQ(paper.currentDocumentBackgroundColor(), colorWithHTMLName("cornsilk"));

    paper.setCurrentBackgroundDocumentColor(Color::colorWithRed(1, 0.99, 0.99));
    EXPECT_EQ(painted.back(), colorWithHTMLName("snow"));
    paper.setPaperColor("red';alert(1);'");
    EXPECT_EQ(painted.back(), std::nullopt);
}

TEST(QVPaperTest, everyPaperOfThePopoverHasItsSizeAndAnUnknownNameIsLetter)
{
    Size a5Landscape = QVPaper::sizeFromPageSize("A5 Landscape");
    EXPECT_NEAR(a5Landscape.width, 595.44, 1e-3);
    EXPECT_NEAR(a5Landscape.height, 419.76, 1e-3);
    EXPECT_NEAR(QVPaper::sizeFromPageSize("Japanese B12").width, 45.36, 1e-4);
    EXPECT_NEAR(QVPaper::sizeFromPageSize("Japanese B12").height, 62.64, 1e-4);
    EXPECT_EQ(QVPaper::sizeFromPageSize("A4 landscape"), (Size{612, 792}));
    EXPECT_EQ(QVPaper::sizeFromPageSize(""), (Size{612, 792}));
}

} // namespace
} // namespace folio
