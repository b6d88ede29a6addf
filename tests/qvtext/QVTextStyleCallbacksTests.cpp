#include "platform/foundation/UserDefaults.h"
#include "platform/web/FakeWebView.h"
#include "qvtext/QVCharacterStyleCommander.h"
#include "qvtext/QVStylePresets.h"
#include "qvtext/QVStyleStore.h"
#include "qvtext/QVTextStyleCallbacks.h"
#include "support/DecimalCommaLocale.h"
#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "tools/textstyle/TSTextStylePickerViewController.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class QVTextStyleCallbacksTest : public test::VirtualClockTest {
protected:
    QVTextStyleCallbacksTest()
        : connection(&page)
        , characters(connection, {[this] { ++dirtyCount; }, {}})
        , presets(connection, characters, store, {[this] { ++dirtyCount; }, {}, {}})
        , callbacks(connection, characters, presets, defaults,
                    {[this] { ++dirtyCount; }, [this](const std::string& name) { titles.push_back(name); }, {},
                     [this](long side, double margin) { margins.emplace_back(side, margin); }})
    {
    }

    testing_support::ScratchFolder folder{"qvtext-callbacks"};
    UserDefaults defaults{folder.path("Preferences.plist")};
    QVStyleStore store{defaults};
    TSTextStylePickerViewController picker{defaults};
    FakeWebView page;
    PageConnection connection;
    int dirtyCount = 0;
    std::vector<std::string> titles;
    std::vector<std::pair<long, double>> margins;
    QVCharacterStyleCommander characters;
    QVStylePresets presets;
    QVTextStyleCallbacks callbacks;
};

TEST_F(QVTextStyleCallbacksTest, eachPopoverChangeReachesThePage)
{
    test::DecimalCommaLocale comma;
    struct Row {
        std::function<void()> call;
        std::string script;
    };
    const std::vector<Row> rows = {
        {[&] { callbacks.textStylePickerViewControllerLineSpacingChangedUserSelectedLineSpacing(picker, 1.5); },
         "tinymce.activeEditor.execCommand('LineHeight', false, '1.500000');"},
        {[&] { callbacks.textStylePickerViewControllerParagraphSpacingChangedUserSelectedParagraphSpacing(picker, 6); },
         "tinymce.activeEditor.dom.setStyle(tinymce.activeEditor.selection.getNode(),'marginBottom', '6.000000pt');"},
        {[&] {
             callbacks.textStylePickerViewControllerParagraphSpacingBeforeChangedUserSelectedParagraphSpacingBefore(picker,
                                                                                                                    4.5);
         },
         "modifyParagraphSpacingBefore(4.50);scrollToView();"},
        {[&] { callbacks.textStylePickerViewControllerFirstLineIndentChangedUserSelectedFirstLineIndent(picker, 0.63); },
         "modifyFirstLineIndent(0.63);scrollToView();"},
        {[&] { callbacks.textStylePickerViewControllerUserSelectedBackgroundColor(picker, "yellow"); },
         "tinymce.activeEditor.execCommand('backColor', false, 'yellow');"},
        {[&] { callbacks.setCurrentParagraphIndent(0); }, "tinymce.activeEditor.execCommand('outdent',false,false);"},
        {[&] { callbacks.setCurrentParagraphIndent(1); }, "tinymce.activeEditor.execCommand('indent',false,false);"},
    };
    for (const Row& row : rows) {
        int dirty = dirtyCount;
        row.call();
        EXPECT_EQ(page.lastScript(), row.script);
        EXPECT_EQ(dirtyCount - dirty, 1) << row.script;
    }
    EXPECT_NEAR(defaults.doubleForKey("marquentParagraphSpacingBefore").value_or(0), 4.5, 1e-6);
}

TEST_F(QVTextStyleCallbacksTest, aChosenColourIsAppliedAndKeptForTheNextSizeUnlessSpacingComesFirst)
{
    callbacks.textStylePickerViewControllerUserSelectedTextColor(picker, "darkred");
    EXPECT_EQ(page.lastScript(), "tinymce.activeEditor.execCommand('foreColor', false, 'darkred');");
    EXPECT_EQ(picker.selectedTextColour(), "darkred");
    EXPECT_TRUE(characters.pendingColorChangeExists());
    callbacks.setCurrenLineSpacing(2);
    EXPECT_FALSE(characters.pendingColorChangeExists());
}

TEST_F(QVTextStyleCallbacksTest, fontsSetTheTitleAndTheSizeInPoints)
{
    callbacks.textStylePickerViewControllerFontSizeChangedUserSelectedFont(picker, FontChoice{"Georgia", 18.9});
    EXPECT_EQ(page.scriptsMatching("'FontSize', false, '18pt'").size(), 1u);
    EXPECT_EQ(page.lastScript(), "tinymce.activeEditor.execCommand('fontName', false, 'Georgia')");
    callbacks.textStylePickerViewControllerUserSelectedFont(picker, FontChoice{"Courier", 12});
    EXPECT_EQ(titles, (std::vector<std::string>{"Georgia", "Courier"}));
}

TEST_F(QVTextStyleCallbacksTest, theDefaultStyleCallbacksApplyTheStoredDefaultStyle)
{
    callbacks.textStylePickerViewControllerSelectedDefaultStyle(picker);
    EXPECT_EQ(page.scriptsMatching("'fontName', false, 'Helvetica'").size(), 1u);
    page.clearScripts();
    callbacks.textStylePickerViewControllerReplaceDefaultStyleWithFontTextColor(picker, FontChoice{"X", 3}, "red");
    EXPECT_EQ(page.scriptsMatching("'fontName', false, 'Helvetica'").size(), 1u);
    callbacks.textStylePickerViewControllerPaperMarginChanged(2, 1.5);
    EXPECT_EQ(margins, (std::vector<std::pair<long, double>>{{2, 1.5}}));
}

} // namespace
} // namespace folio
