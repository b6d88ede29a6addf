#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/ui/Action.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Device.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/web/FakeWebView.h"
#include "richtext/RichTextStyling.h"
#include "richtext/RichTextToolCommands.h"
#include "richtext/SelectionTransformer.h"
#include "support/VirtualClock.h"
#include "webeditor/EditorFlags.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class ToolCommandsTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
        EditorFlags::shared().reset();
        ProgressHUD::dismiss();
        loop.scheduleTimer(0.001, true, [this] { view.releaseAll(); });
    }
    void TearDown() override
    {
        FontCatalog::setShared(nullptr);
        ProgressHUD::dismiss();
    }
    RichTextToolCommands::Host host()
    {
        RichTextToolCommands::Host h;
        h.run = [this](const std::string& command) { ran.push_back(command); };
        h.ask = [this](const std::string& question) { return answers.count(question) && answers.at(question); };
        h.documentIsDirty = [this] { ++dirty; };
        h.dismissAllPopover = [this] { ran.push_back("dismissAllPopover"); };
        h.present = [this](std::shared_ptr<ViewController> controller, bool animated) {
            presented.push_back(controller);
            presentedAnimated = animated;
        };
        return h;
    }
    std::vector<std::string> pageScripts(const std::string& pattern) const { return view.scriptsMatching(pattern); }
    std::shared_ptr<AlertController> lastAlert() const
    {
        return presented.empty() ? nullptr : std::dynamic_pointer_cast<AlertController>(presented.back());
    }

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    NotificationCenter center;
    Pasteboard pasteboard{center};
    FakeWebView view;
    PageConnection page{&view};
    int dirty = 0;
    std::vector<std::string> ran;
    std::map<std::string, bool> answers;
    std::vector<std::shared_ptr<ViewController>> presented;
    bool presentedAnimated = true;
    RichTextStyling styling{page, defaults, RichTextStyling::Host{.documentIsDirty = [this] { ++dirty; }}};
    SelectionTransformer transformer{page, styling.toolbar(), styling.characters(), [] {}};
    RichTextToolCommands commands{page, transformer, styling.presets(), defaults, pasteboard, host()};
};

TEST_F(ToolCommandsTest, cursorOptionsRunTheirCommandsAndSelectionsRefreshAVisibleWordCounter)
{
    answers["wordCounterVisible"] = true;
    commands.magicCursorOptionSelected(2);
    EXPECT_EQ(ran, (std::vector<std::string>{"dismissAllPopover", "selectLine", "updateWordCounter"}));
    ran.clear();
    commands.magicCursorOptionSelected(1);
    EXPECT_EQ(pageScripts("selectAll").size(), 1u);
    EXPECT_EQ(ran, (std::vector<std::string>{"dismissAllPopover", "showMenu", "updateWordCounter"}));
    ran.clear();
    commands.magicCursorOptionSelected(8);
    EXPECT_EQ(pageScripts("unselect").size(), 1u);
    EXPECT_EQ(ran, (std::vector<std::string>{"dismissAllPopover", "moveToBeginOfDocument"}));
    ran.clear();
    commands.magicCursorOptionSelected(9);
    EXPECT_EQ(ran, (std::vector<std::string>{"dismissAllPopover", "gotoPageinDoc"}));
    ran.clear();
    // The same command from the key row first takes the custom keys away and refreshes nothing.
    commands.showMiscToolsMenu()->performActionWithTitle(u"Go to Page");
    commands.showMiscToolsMenu()->performActionWithTitle(u"Select Line");
    EXPECT_EQ(ran, (std::vector<std::string>{"removeCustomKeyboard", "gotoPageinDoc", "selectLine"}));

    ran.clear();
    commands.magicCursorOptionSelected(11);
    EXPECT_EQ(view.scripts().back().script,
              "selectAllOfDocument();modifyLineSpacing(2.00);document.execCommand('unselect');");
    answers["isEditing"] = true;
    commands.magicCursorOptionSelected(12);
    EXPECT_EQ(view.scripts().back().script,
              "selectAllOfDocument();modifyLineSpacing(1.00);document.execCommand('unselect');");
    EXPECT_EQ(ran, (std::vector<std::string>{"dismissAllPopover", "dismissAllPopover", "endEditing"}));

    ran.clear();
    commands.magicCursorOptionSelected(20);
    commands.magicCursorOptionSelected(-1);
    EXPECT_EQ(ran, (std::vector<std::string>{"dismissAllPopover", "dismissAllPopover"}));
}

TEST_F(ToolCommandsTest, keyRowMenuListsTheCursorCommandsIncreaseIndentFirst)
{
    std::vector<std::shared_ptr<Action>> actions = commands.showMiscToolsMenu()->allActions();
    ASSERT_EQ(actions.size(), 20u);
    EXPECT_EQ(actions.front()->title(), u"Increase Indent");
    EXPECT_EQ(actions.front()->symbolName(), "increase.indent");
    EXPECT_EQ(actions.back()->title(), u"Check Spelling");
    EXPECT_EQ(actions[4]->title(), u"Uppercase Selection");
    std::vector<std::shared_ptr<Action>> size = commands.showSizeOptionsMenu([this](const std::string& row) { ran.push_back(row); })->allActions();
    ASSERT_EQ(size.size(), 1u);
    size[0]->perform();
    EXPECT_EQ(ran, (std::vector<std::string>{"+1"}));
}

TEST_F(ToolCommandsTest, indentIsCappedAtSixteenAndDecreaseHasNoFloor)
{
    for (int i = 0; i < 17; ++i)
        commands.magicCursorOptionSelected(19);
    EXPECT_EQ(commands.numberOfIndents(), 16);
    EXPECT_EQ(pageScripts("modifyLeftIndent\\(40\\)").size(), 16u);
    EXPECT_EQ(dirty, 17);

    RichTextToolCommands fresh{page, transformer, styling.presets(), defaults, pasteboard, host()};
    dirty = 0;
    fresh.miscToolsPickerOptionSelected(9);
    EXPECT_EQ(fresh.numberOfIndents(), -1);
    EXPECT_EQ(pageScripts("modifyLeftIndent\\(-40\\)").size(), 1u);
    // The editing-commands picker does not mark the document for indents.
    EXPECT_EQ(dirty, 0);
}

TEST_F(ToolCommandsTest, plainPasteOfAnEmptyPasteboardSaysSoAndPastesNothing)
{
    commands.magicCursorOptionSelected(10);
    auto alert = lastAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), u"Pasteboard Empty");
    EXPECT_EQ(alert->message(), u"Nothing to paste.");
    ASSERT_EQ(alert->actions().size(), 1u);
    EXPECT_EQ(alert->actions()[0]->title(), u"Dismiss");
    EXPECT_EQ(alert->actions()[0]->style(), AlertActionStyle::Cancel);
    EXPECT_FALSE(presentedAnimated);
    EXPECT_EQ(std::count(ran.begin(), ran.end(), "paste2"), 0);

    pasteboard.setString(u"words");
    commands.miscToolsPickerOptionSelected(1);
    EXPECT_EQ(std::count(ran.begin(), ran.end(), "paste2"), 1);
    EXPECT_EQ(dirty, 1);
}

TEST_F(ToolCommandsTest, copyOutLeavesOutThePlaceholderCharacterAndSaysWhatWasCopied)
{
    view.answer("document.getElementById('content').innerHTML", "<p>a\xEF\xBB\xBF" "b</p>\xEF\xBB\xBF");
    view.answer("document.getElementById('content').innerText", "\xEF\xBB\xBFplain");
    commands.toolsOptionSelected(12);
    loop.runUntil([&] { return !presented.empty(); }, 1);
    EXPECT_EQ(pasteboard.dataForPasteboardType(kPasteboardTypeUTF8PlainText),
              (std::vector<std::uint8_t>{'<', 'p', '>', 'a', 'b', '<', '/', 'p', '>'}));
    ASSERT_NE(lastAlert(), nullptr);
    EXPECT_EQ(lastAlert()->title(), u"Copy");
    EXPECT_EQ(lastAlert()->message().substr(0, 56), u"The document has been converted to HTML source code and ");

    commands.toolsOptionSelected(13);
    loop.runUntil([&] { return presented.size() == 2; }, 1);
    EXPECT_EQ(pasteboard.string(), u"plain");
    EXPECT_EQ(lastAlert()->message().substr(0, 48), u"The document has been converted to plain text an");
}

TEST_F(ToolCommandsTest, toolsOptionsToggleReadingAndNightModesAndNeedAConnectionForTheBrowser)
{
    commands.toolsOptionSelected(3);
    answers["isSpeaking"] = true;
    commands.toolsOptionSelected(3);
    EXPECT_EQ(ran, (std::vector<std::string>{"readAloudFromCursorToEnd", "regenerateToolsMenu", "cancelSpeak",
                                             "regenerateToolsMenu"}));
    ran.clear();
    answers["isSpeaking"] = false;
    defaults.setBool("darknightMode", true);
    commands.toolsOptionSelected(7);
    commands.toolsOptionSelected(14);
    defaults.setBool("nightMode", true);
    commands.toolsOptionSelected(14);
    EXPECT_EQ(ran, (std::vector<std::string>{"toggleDarkNightMode", "toggleNightMode", "toggleDarkNightMode",
                                             "toggleNightMode", "toggleDarkNightMode"}));
    ran.clear();
    commands.toolsOptionSelected(11);
    answers["internetConnected"] = true;
    commands.toolsOptionSelected(11);
    commands.toolsOptionSelected(18);
    commands.toolsOptionSelected(0);
    EXPECT_EQ(ran, (std::vector<std::string>{"showNoConnectionAvailableAlert", "showInAppWebBrowser", "takeSnapshot"}));
    EXPECT_EQ(ProgressHUD::shared().status(), u"Creating Snapshot...");
}

TEST_F(ToolCommandsTest, spellingShowsTheOverlayAndChecksAfterATenthOfASecond)
{
    commands.miscToolsPickerOptionSelected(0);
    EXPECT_EQ(ProgressHUD::shared().status(), u"Checking Spelling...");
    EXPECT_EQ(pageScripts("saveCaretSelection").size(), 1u);
    EXPECT_EQ(std::count(ran.begin(), ran.end(), "checkDocSpelling"), 0);
    loop.advanceVirtualClock(0.1);
    EXPECT_EQ(std::count(ran.begin(), ran.end(), "checkDocSpelling"), 1);
}

} // namespace
} // namespace folio
