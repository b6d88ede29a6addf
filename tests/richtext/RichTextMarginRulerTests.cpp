#include "richtext/RichTextMarginRuler.h"

#include "documents/TextDocument.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/foundation/ScratchFolder.h"
#include "support/VirtualClock.h"
#include "tools/ruler/RulerRangeSlider.h"
#include "webeditor/EditorFlags.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

class MarginRulerTest : public test::VirtualClockTest {
protected:
    MarginRulerTest()
    {
        device.setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
        device.setOrientation(DeviceOrientation::Portrait);
        device.setScreenBounds(makeRect(0, 0, 1024, 1366));
        EditorFlags::shared().reset();
        RichTextMarginRuler::Host host;
        host.sendScript = [this](const std::string& script) { scripts.push_back(script); };
        host.document = [this] { return &document; };
        host.documentIsDirty = [this] { ++dirtied; };
        host.isTypewriterMode = [this] { return typewriter; };
        host.isNote = [] { return false; };
        host.isInForeground = [this] { return foreground; };
        host.wasInBackground = [] { return false; };
        host.isPageLoaded = [] { return true; };
        host.isInMultitaskingMode = [this] { return multitasking; };
        host.windowWidth = [this] { return windowWidth; };
        host.viewSize = [] { return std::pair{1024.0, 1366.0}; };
        host.wordCounterVisible = [] { return false; };
        host.updateEditorPageSize = [this] { ++pageSizeUpdates; };
        ruler = std::make_unique<RichTextMarginRuler>(device, defaults, host);
        ruler->viewDidLoad();
    }

    NotificationCenter center;
    Device device{center};
    test::ScratchFolder folder;
    UserDefaults defaults{folder.file("Preferences.plist")};
    TextDocument document;
    std::vector<std::string> scripts;
    int dirtied = 0;
    int pageSizeUpdates = 0;
    bool typewriter = false;
    bool foreground = true;
    bool multitasking = false;
    double windowWidth = 1024;
    std::unique_ptr<RichTextMarginRuler> ruler;
};

TEST(MarginRulerFactorTest, theSheetIsScaledByDeviceOrientationAndWindowWidth)
{
    EXPECT_DOUBLE_EQ(RichTextMarginRuler::screenFactor(0, false, std::nullopt), 0.905);
    EXPECT_DOUBLE_EQ(RichTextMarginRuler::screenFactor(0, true, std::nullopt), 1.215);
    EXPECT_DOUBLE_EQ(RichTextMarginRuler::screenFactor(2, true, std::nullopt), 0.405);
    EXPECT_DOUBLE_EQ(RichTextMarginRuler::screenFactor(1, false, std::nullopt), 0.22625);
    EXPECT_DOUBLE_EQ(RichTextMarginRuler::screenFactor(1, true, std::nullopt), 0.30375);
    EXPECT_DOUBLE_EQ(RichTextMarginRuler::screenFactor(0, false, 320.0), 0.905 / 4);
    EXPECT_DOUBLE_EQ(RichTextMarginRuler::screenFactor(0, true, 438.0), 1.215 / 3.3);
    EXPECT_DOUBLE_EQ(RichTextMarginRuler::screenFactor(0, false, 507.0), 0.905 / 3);
    EXPECT_DOUBLE_EQ(RichTextMarginRuler::screenFactor(0, false, 678.0), 0.905 / 2.9);
    EXPECT_DOUBLE_EQ(RichTextMarginRuler::screenFactor(0, true, 694.0), 1.215 / 2.8);
    EXPECT_DOUBLE_EQ(RichTextMarginRuler::screenFactor(0, false, 800.0), 0.905 / 4);
    EXPECT_TRUE(RichTextMarginRuler::isMultitaskingWidth(507));
    EXPECT_FALSE(RichTextMarginRuler::isMultitaskingWidth(1024));
}

TEST_F(MarginRulerTest, theRulerSpansALetterSheetWithHandlesTwoCentimetresApart)
{
    RulerRangeSlider& slider = ruler->slider();
    EXPECT_FLOAT_EQ(slider.minimumValue(), 0);
    EXPECT_FLOAT_EQ(slider.maximumValue(), 21.59f);
    EXPECT_FLOAT_EQ(slider.lowerValue(), 0);
    EXPECT_FLOAT_EQ(slider.upperValue(), 21.59f);
    EXPECT_FLOAT_EQ(slider.minimumRange(), 2.0f);
    EXPECT_FLOAT_EQ(slider.stepValue(), 0.1f);
    EXPECT_FALSE(slider.stepValueContinuously());
    EXPECT_FALSE(slider.isHidden());
    // No top or bottom margin is set: the usual inch.
    EXPECT_EQ(document.docTopMargin(), "2.54");
    EXPECT_EQ(document.docBottomMargin(), "2.54");
}

TEST_F(MarginRulerTest, movingTheRulerIndentsThePageShowsTheBannerAndClearsItLater)
{
    ruler->slider().setLowerValue(2.54f);
    ruler->slider().setUpperValue(19.05f);
    ruler->rulerMarginValuesChanged();
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(scripts[0], "document.getElementById('content').style.marginLeft='2.30cm';"
                          "document.getElementById('content').style.marginRight='2.30cm';");
    EXPECT_EQ(ruler->topAlertBar()->text(), u"Margin Left 1.0 - Margin Right 7.5");
    EXPECT_EQ(dirtied, 1);

    // A second change postpones the clearing.
    loop.advanceVirtualClock(4.0);
    ruler->rulerMarginValuesChanged();
    loop.advanceVirtualClock(4.0);
    EXPECT_FALSE(ruler->topAlertBar()->text().empty());
    loop.advanceVirtualClock(1.5);
    EXPECT_TRUE(ruler->topAlertBar()->text().empty());
    EXPECT_EQ(scripts.back(), "updateEditorScrollOffsets();");
}

TEST_F(MarginRulerTest, theExtremesReadZeroAndEightAndAHalfInches)
{
    ruler->rulerMarginValuesChanged();
    EXPECT_EQ(ruler->topAlertBar()->text(), u"Margin Left 0.0 - Margin Right 8.5");
    EXPECT_EQ(scripts[0], "document.getElementById('content').style.marginLeft='0.00cm';"
                          "document.getElementById('content').style.marginRight='0.00cm';");
}

TEST_F(MarginRulerTest, typewriterModeAndTheBackgroundLeaveTheDocumentAlone)
{
    typewriter = true;
    ruler->rulerMarginValuesChanged();
    EXPECT_TRUE(scripts.empty());
    EXPECT_TRUE(ruler->topAlertBar()->text().empty());
    EXPECT_EQ(dirtied, 0);

    typewriter = false;
    foreground = false;
    ruler->rulerMarginValuesChanged();
    EXPECT_EQ(scripts.size(), 1u);
    EXPECT_EQ(dirtied, 0);
    loop.advanceVirtualClock(10);
    EXPECT_FALSE(ruler->topAlertBar()->text().empty());
}

TEST_F(MarginRulerTest, aSplitWindowHidesTheRulerAndSendsNoMargins)
{
    multitasking = true;
    windowWidth = 507;
    ruler->rulerMarginValuesChanged();
    EXPECT_TRUE(scripts.empty());
    EXPECT_TRUE(ruler->slider().isHidden());
    EXPECT_TRUE(ruler->topAlertBar()->isHidden());
    // Back from the background the page gets the split window's scale.
    ruler->slider().setLowerValue(3.0f);
    ruler->rulerMarginValuesChangedNoDocumentDirty();
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_NE(scripts[0].find("marginLeft='0.91cm'"), std::string::npos);
    EXPECT_EQ(dirtied, 1);
}

TEST_F(MarginRulerTest, storedMarginsLoadTheRulerAndAZeroRightMarginIsTheSheetEdge)
{
    defaults.setFloat("marquentPageMarginLeft", 3.0f);
    defaults.setFloat("marquentPageMarginRight", 0.0f);
    ruler->updateRulerMarginValues();
    EXPECT_FLOAT_EQ(ruler->slider().lowerValue(), 3.0f);
    EXPECT_FLOAT_EQ(ruler->slider().upperValue(), 21.59f);
    ASSERT_FALSE(scripts.empty());
    EXPECT_NE(scripts[0].find("marginRight='0.00cm'"), std::string::npos);
    EXPECT_EQ(dirtied, 0);

    defaults.setFloat("marquentPageMarginRight", 2.5f);
    ruler->updateRulerMarginValues();
    EXPECT_NEAR(ruler->slider().upperValue(), 19.09f, 1e-5);
    // The banner clears two seconds after loading.
    loop.advanceVirtualClock(2.1);
    EXPECT_TRUE(ruler->topAlertBar()->text().empty());
}

// The page is built with the indents its ready step then gives it, so that
// it is laid out once; a page the ready step leaves alone is built without.
TEST_F(MarginRulerTest, aPageBuiltWithTheIndentsOnceLoadedGetsTheSameIndentsWhenReady)
{
    struct Case {
        float left, right;
        bool landscape, split, blank;
    } const cases[] = {
        {3.0f, 2.5f, false, false, false},
        {1.27f, 0.0f, false, false, false},
        {2.0f, 1.0f, true, false, false},
        {2.0f, 1.0f, false, true, false},
        {2.0f, 1.0f, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.left << " " << c.right << " " << c.landscape << c.split << c.blank);
        defaults.setFloat("marquentPageMarginLeft", c.left);
        defaults.setFloat("marquentPageMarginRight", c.right);
        device.setOrientation(c.landscape ? DeviceOrientation::LandscapeLeft : DeviceOrientation::Portrait);
        multitasking = c.split;
        windowWidth = c.split ? 507 : 1024;
        document.setIsNewBlankDocument(c.blank);
        scripts.clear();
        std::optional<RichTextMarginRuler::PageIndents> built = ruler->indentsOnceLoaded();
        ruler->updateRulerMarginValues();
        if (c.split || c.blank) {
            EXPECT_FALSE(built.has_value());
            continue;
        }
        ASSERT_TRUE(built.has_value());
        EXPECT_GT(built->left, 0);
        EXPECT_EQ(scripts, std::vector<std::string>{RichTextMarginRuler::marginScript(built->left, built->right)});
    }
}

TEST_F(MarginRulerTest, thePickersMarginsReachTheDocumentTheRulerAndThePageHeight)
{
    ruler->paperMarginChanged(0, 1.0);
    EXPECT_EQ(document.docLeftMargin(), "2.54");
    EXPECT_FLOAT_EQ(ruler->slider().lowerValue(), 2.54f);
    ruler->paperMarginChanged(1, 7.5);
    EXPECT_EQ(document.docRightMargin(), "19.05");
    EXPECT_FLOAT_EQ(ruler->slider().upperValue(), 19.05f);
    ruler->paperMarginChanged(2, 0.5);
    EXPECT_EQ(document.docTopMargin(), "1.27");
    EXPECT_FLOAT_EQ(defaults.floatForKey("marquentPageMarginTop").value_or(0), 1.27f);
    ruler->paperMarginChanged(3, 2.0);
    EXPECT_EQ(document.docBottomMargin(), "5.08");
    EXPECT_EQ(pageSizeUpdates, 2);

    int dirtyBefore = dirtied;
    ruler->paperMarginChanged(4, 3.0);
    EXPECT_EQ(dirtied, dirtyBefore + 1);
    EXPECT_EQ(document.docBottomMargin(), "5.08");
    EXPECT_FLOAT_EQ(ruler->slider().upperValue(), 19.05f);

    ruler->actionPageMarginBottom(1440);
    EXPECT_NEAR(defaults.floatForKey("marquentPageMarginBottom").value_or(0), 1440 / 566.96f, 1e-5);
    EXPECT_EQ(pageSizeUpdates, 3);
}

TEST_F(MarginRulerTest, savingTakesTheSideMarginsFromTheRulerOnceItIsLoaded)
{
    EXPECT_FALSE(ruler->holdsDocumentMargins());
    defaults.setFloat("marquentPageMarginLeft", 2.0f);
    defaults.setFloat("marquentPageMarginRight", 3.29f);
    ruler->updateRulerMarginValues();
    EXPECT_TRUE(ruler->holdsDocumentMargins());
    document.setDocTopMargin("1.50");
    EditorContent::Margins margins = ruler->marginsToSave(document);
    EXPECT_EQ(margins.left, "2.00");
    EXPECT_EQ(margins.right, "18.30");
    EXPECT_EQ(margins.top, "1.50");
    EXPECT_EQ(margins.bottom, "2.54");
    ruler->slider().setUpperValue(21.59f);
    EXPECT_EQ(ruler->marginsToSave(document).right, "21.59");
}

} // namespace
} // namespace folio
