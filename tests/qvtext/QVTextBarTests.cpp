#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "tools/assistant/WritingAssistant.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/BarButtonItemGroup.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/web/FakeWebView.h"
#include "qvtext/QVTextAssistant.h"
#include "qvtext/QVTextBarLayout.h"
#include "qvtext/QVTextKeyBars.h"
#include "support/VirtualClock.h"
#include "webeditor/EditorBarItems.h"
#include "webeditor/PageConnection.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace folio {
namespace {

BarLayout::Result layout(bool phone, double w, double h, double screenW, double screenH,
                         DeviceOrientation orientation = DeviceOrientation::Portrait)
{
    BarLayout::Input input;
    input.isPhone = phone;
    input.viewSize = {w, h};
    input.screenBounds = Rect{{0, 0}, {screenW, screenH}};
    input.orientation = orientation;
    return QVTextBarLayout::layoutFor(input);
}

TEST(QVTextBarLayoutTest, eachIdiomAndWindowGetsItsRowOfTheTable)
{
    using R = BarLayout::Result;
    // A phone in any orientation: the assistant between style and insert.
    EXPECT_EQ(layout(true, 390, 844, 390, 844), (R{true, true, false, "CUR", "YWITS"}));
    EXPECT_EQ(layout(true, 844, 390, 844, 390, DeviceOrientation::LandscapeLeft), (R{true, true, false, "CUR", "YWITS"}));
    // Tablet portrait, short side 834, long side 1194 and 1112.
    EXPECT_EQ(layout(false, 600, 1194, 834, 1194), (R{true, true, false, "CWUR", "YITS"}));
    EXPECT_EQ(layout(false, 600, 1112, 834, 1112), (R{true, true, false, "CWUR", "YITS"}));
    EXPECT_EQ(layout(false, 800, 1112, 820, 1112), (R{true, false, false, "CWUR", "YITS"}));
    EXPECT_EQ(layout(false, 417, 1194, 834, 1194), (R{true, true, false, "CW", "URYITS"}));
    EXPECT_EQ(layout(false, 834, 1194, 834, 1194), (R{true, false, false, "CWUR", "YITS"}));
    // Tablet landscape, long side 1194.
    EXPECT_EQ(layout(false, 700, 834, 1194, 834), (R{true, true, false, "CURW", "YITS"}));
    EXPECT_EQ(layout(false, 800, 834, 1194, 834), (R{true, false, false, "CURW", "YITS"}));
    EXPECT_EQ(layout(false, 500, 834, 1194, 834), (R{true, true, false, "CWUR", "YITS"}));
    EXPECT_EQ(layout(false, 398, 834, 1194, 834), (R{true, true, false, "CW", "URYITS"}));
    EXPECT_EQ(layout(false, 1194, 834, 1194, 834), (R{true, false, false, "CWUR", "YITS"}));
    // Before grouped bars: share, tools only in a regular width.
    BarLayout::Input old;
    old.systemMajorVersion = 15;
    EXPECT_EQ(QVTextBarLayout::layoutFor(old), (R{false, false, false, "C__UR", "STIY"}));
    old.regularWidth = false;
    EXPECT_EQ(QVTextBarLayout::layoutFor(old), (R{false, true, true, "C__UR", "SIY"}));
}

TEST(QVTextBarLayoutTest, groupsCarryTheEditorsCustomisationNamesAndTheAssistant)
{
    bool toolsShown = false;
    EditorBarItems items(EditorBarItems::Host{.showToolsMenu = [&](BarButtonItem&) { toolsShown = true; },
                                              .groupPrefix = "QVText",
                                              .layout = QVTextBarLayout::layoutFor});
    auto assistant = BarButtonItem::withSymbol("AIAssistantPrompt", {});
    items.setWisperantBarButtonItem(assistant);
    NavigationItem navigation;
    items.apply(navigation, BarLayout::Result{true, false, false, "CURW", "YITS"});
    std::vector<std::string> names;
    for (const auto& group : navigation.leadingItemGroups())
        names.push_back(group->customizationIdentifier());
    for (const auto& group : navigation.trailingItemGroups())
        names.push_back(group->customizationIdentifier());
    EXPECT_EQ(names, (std::vector<std::string>{"", "QVText_Undo_GroupCustomization", "QVText_Redo_GroupCustomization", "",
                                               "QVText_TextStyle_GroupCustomization", "QVText_InsertItem_GroupCustomization",
                                               "QVText_Tools_GroupCustomization", "QVText_Share_GroupCustomization"}));
    EXPECT_EQ(navigation.leadingItemGroups()[3]->barButtonItems().front(), assistant);
    // Without a menu from the application the tools item shows the tools picker.
    EXPECT_FALSE(items.toolsBarButtonItem()->isHidden());
    items.toolsBarButtonItem()->tap();
    EXPECT_TRUE(toolsShown);
}

class QVTextAssistantTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        loop.scheduleTimer(0.001, true, [this] { view.releaseAll(); });
        std::filesystem::remove(QVTextAssistant::waitingFilePath());
    }
    void TearDown() override { std::filesystem::remove(QVTextAssistant::waitingFilePath()); }

    QVTextAssistant::Host host()
    {
        return QVTextAssistant::Host{.documentIsDirty = [this] { ++dirty; },
                                     .presenter = [this] { return &editor; },
                                     .present = [this](std::shared_ptr<ViewController> shown) { presented.push_back(shown); },
                                     .internetConnected = [this] { return connected; },
                                     .showNoConnectionAvailableAlert = [this] { ++noConnection; }};
    }

    struct RecordingAssistant : WritingAssistant {
        bool isAvailable() const override { return true; }
        Status open(ViewController&, std::weak_ptr<WritingAssistantDelegate> to, SourceFileType source,
                    const std::u16string& selected) override
        {
            opened.push_back({static_cast<int>(source), selected});
            delegate = std::move(to);
            return Status::success();
        }
        void answer(const std::u16string& text, WritingAssistantInsertion insertion)
        {
            if (auto listener = delegate.lock())
                listener->writingAssistantInsertText(text, {}, insertion);
        }
        std::vector<std::pair<int, std::u16string>> opened;
        std::weak_ptr<WritingAssistantDelegate> delegate;
    };

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    FakeWebView view;
    PageConnection page{&view};
    ViewController editor;
    std::vector<std::shared_ptr<ViewController>> presented;
    bool connected = true;
    int noConnection = 0;
    int dirty = 0;
};

TEST_F(QVTextAssistantTest, theAssistantGetsTheSelectionAndItsAnswerGoesInAtTheBookmark)
{
    RecordingAssistant service;
    QVTextAssistant assistant(page, defaults, host(), WritingAssistant::SourceFileType::QVText, &service);
    EXPECT_EQ(assistant.wisperantBarButtonItem()->title(), u"AI Assistant");
    view.answer(QVTextAssistant::kSelectedTextScript, "chosen words");
    assistant.showWisperant();
    ASSERT_EQ(service.opened.size(), 1u);
    EXPECT_EQ(service.opened[0], (std::pair<int, std::u16string>{1, u"chosen words"}));
    EXPECT_EQ(view.scriptsMatching("textSelectionBookmark = tinymce.activeEditor.selection.getBookmark\\(\\);").size(), 1u);

    // Type 1 keeps the selection and adds after it; the text is text, and one undo step.
    view.clearScripts();
    service.answer(u"It's <b>\nnew", WritingAssistantInsertion::AfterSelection);
    ASSERT_EQ(view.scriptsMatching("collapse\\(\\)").size(), 1u);
    std::vector<std::string> set = view.scriptsMatching("setContent");
    ASSERT_EQ(set.size(), 1u);
    EXPECT_NE(set[0].find("It&#39;s &lt;b&gt;\\u003Cbr\\u003Enew"), std::string::npos) << set[0];
    EXPECT_NE(set[0].find("undoManager.add();"), std::string::npos);
    EXPECT_EQ(dirty, 1);
    view.clearScripts();
    service.answer(u"replacing", WritingAssistantInsertion::ReplaceSelection);
    EXPECT_TRUE(view.scriptsMatching("collapse").empty());
    EXPECT_EQ(view.scriptsMatching("setContent").size(), 1u);

    // Without a connection it does not open.
    connected = false;
    assistant.showWisperant();
    EXPECT_EQ(noConnection, 1);
    EXPECT_EQ(service.opened.size(), 1u);
}

TEST_F(QVTextAssistantTest, thisSystemsAssistantSaysItIsNotAvailable)
{
    QVTextAssistant assistant(page, defaults, host());
    view.answer(QVTextAssistant::kSelectedTextScript, "");
    assistant.wisperantBarButtonItem()->tap();
    ASSERT_EQ(presented.size(), 1u);
    auto alert = std::dynamic_pointer_cast<AlertController>(presented[0]);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), u"AI Assistant");
    EXPECT_NE(alert->message().find(u"not available"), std::u16string::npos);
    EXPECT_TRUE(view.scriptsMatching("setContent").empty());
}

TEST_F(QVTextAssistantTest, waitingTextGoesInOnceAndItsFileGoes)
{
    QVTextAssistant assistant(page, defaults, host());
    // Nothing waits: nothing is inserted, least of all a "(null)".
    defaults.setBool(QVTextAssistant::kWaitingKey, true);
    assistant.pageDidBecomeReady();
    EXPECT_FALSE(defaults.boolForKey(QVTextAssistant::kWaitingKey).value_or(true));
    loop.advanceVirtualClock(QVTextAssistant::kWaitingTextDelay);
    EXPECT_TRUE(view.scriptsMatching("mceInsertContent").empty());
    EXPECT_EQ(dirty, 0);

    ASSERT_TRUE(Data::fromString("<p>Drafted 'it'</p>").writeToFile(QVTextAssistant::waitingFilePath()).ok());
    defaults.setBool(QVTextAssistant::kWaitingKey, true);
    assistant.pageDidBecomeReady();
    loop.advanceVirtualClock(QVTextAssistant::kWaitingTextDelay / 2);
    EXPECT_TRUE(view.scriptsMatching("mceInsertContent").empty()) << "the page gets its second first";
    loop.advanceVirtualClock(QVTextAssistant::kWaitingTextDelay);
    std::vector<std::string> inserted = view.scriptsMatching("mceInsertContent");
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_NE(inserted[0].find("\\u003Cp\\u003EDrafted \\'it\\'\\u003C/p\\u003E"), std::string::npos) << inserted[0];
    EXPECT_EQ(inserted[0].find("(null)"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(QVTextAssistant::waitingFilePath()));
    EXPECT_EQ(dirty, 1);

    // A second page finds nothing more.
    assistant.addContentFromWisperant();
    EXPECT_EQ(view.scriptsMatching("mceInsertContent").size(), 1u);
}

class QVTextKeyBarsTest : public test::VirtualClockTest {
protected:
    QVTextKeyBars::Host host()
    {
        return QVTextKeyBars::Host{.insertKey = [this](const std::u16string& text) { typed.push_back(text); },
                                   .present = [this](std::shared_ptr<ViewController> shown) { presented.push_back(shown); },
                                   .viewWidth = [this] { return width; },
                                   .run = [this](const std::string& command) { ran.push_back(command); },
                                   .barsDidChange = [this] { ++barChanges; }};
    }
    std::shared_ptr<AlertController> lastAlert() const
    {
        return presented.empty() ? nullptr : std::dynamic_pointer_cast<AlertController>(presented.back());
    }

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    FakeWebView view;
    PageConnection page{&view};
    double width = 768;
    std::vector<std::u16string> typed;
    std::vector<std::string> ran;
    std::vector<std::shared_ptr<ViewController>> presented;
    int barChanges = 0;
};

TEST_F(QVTextKeyBarsTest, eachBarEndsWithTheSwitchesToTheOthers)
{
    QVTextKeyBars bars(page, defaults, host());
    bars.removeFormBar();
    // The last three buttons of the first key row switch bars.
    const std::vector<std::shared_ptr<View>>& row = bars.keysToolbar1()->subviews();
    ASSERT_GE(row.size(), 3u);
    auto toStyle = std::dynamic_pointer_cast<Button>(row.back());
    ASSERT_NE(toStyle, nullptr);
    EXPECT_EQ(toStyle->tag(), static_cast<long>(QVTextKeyBars::Bar::Style));
    toStyle->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    EXPECT_FALSE(bars.styleToolbar()->isHidden());
    EXPECT_TRUE(bars.keysToolbar1()->isHidden());
    EXPECT_EQ(barChanges, 1);
    // Keys sit side by side within the row's height.
    EXPECT_LT(bars.customButtons()[0]->frame().origin.x, bars.customButtons()[1]->frame().origin.x);
    EXPECT_LE(bars.customButtons()[0]->frame().size.height, 44);
}

TEST_F(QVTextKeyBarsTest, theKeyRowSwitchShowsOneBarPerSettingAndRemembersIt)
{
    // Wide enough for each bar's keys on one line.
    width = 1024;
    QVTextKeyBars bars(page, defaults, host());
    bars.removeFormBar();
    ASSERT_NE(bars.inputAccessoryView(), nullptr);
    EXPECT_EQ(bars.inputAccessoryView()->frame().size.height, QVTextKeyBars::kWideAccessoryHeight);
    auto shown = [&] {
        return std::vector<bool>{!bars.keysToolbar1()->isHidden(), !bars.keysToolbar2()->isHidden(),
                                 !bars.styleToolbar()->isHidden()};
    };
    bars.toogleKeyboardToolbar(1);
    EXPECT_EQ(shown(), (std::vector<bool>{true, false, false}));
    bars.toogleKeyboardToolbar(2);
    EXPECT_EQ(shown(), (std::vector<bool>{false, true, false}));
    bars.toogleKeyboardToolbar(3);
    EXPECT_EQ(shown(), (std::vector<bool>{false, false, true}));
    bars.toogleKeyboardToolbar(4);
    EXPECT_EQ(shown(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(defaults.integerForKey(QVTextKeyBars::kSelectedBarKey), 4);

    // A second making keeps the first bar; a new editor starts with the stored row.
    std::shared_ptr<View> accessory = bars.inputAccessoryView();
    bars.removeFormBar();
    EXPECT_EQ(bars.inputAccessoryView(), accessory);
    defaults.setInteger(QVTextKeyBars::kSelectedBarKey, 2);
    width = 600;
    QVTextKeyBars narrow(page, defaults, host());
    narrow.removeFormBar();
    EXPECT_FALSE(narrow.keysToolbar2()->isHidden());
    EXPECT_TRUE(narrow.keysToolbar1()->isHidden());
    // Too narrow for the row's keys on one line: they go on a second line,
    // the bar grows to hold it, and every key lies inside the bar apart
    // from the others.
    const Rect bar = narrow.inputAccessoryView()->frame();
    EXPECT_GT(bar.height(), QVTextKeyBars::kNarrowAccessoryHeight);
    const std::vector<std::shared_ptr<View>>& keys = narrow.keysToolbar2()->subviews();
    ASSERT_FALSE(keys.empty());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const Rect key = keys[i]->frame();
        EXPECT_TRUE(key.minX() >= 0 && key.maxX() <= bar.width() && key.minY() >= 0 && key.maxY() <= bar.height())
            << "key " << i << " leaves the bar";
        for (std::size_t j = i + 1; j < keys.size(); ++j)
            EXPECT_FALSE(key.intersects(keys[j]->frame())) << "keys " << i << " and " << j << " overlap";
    }
    EXPECT_GT(keys.back()->frame().minY(), keys.front()->frame().minY()) << "the row did not wrap";

    // Made wide again, the row is one line and the bar its own height.
    narrow.fitToWidth(1024);
    EXPECT_EQ(narrow.inputAccessoryView()->frame().size.height, QVTextKeyBars::kNarrowAccessoryHeight);
    EXPECT_EQ(keys.back()->frame().minY(), keys.front()->frame().minY());
}

TEST_F(QVTextKeyBarsTest, aLongPressRedefinesAKeyWhichThenTypesItsText)
{
    QVTextKeyBars bars(page, defaults, host());
    ASSERT_EQ(bars.customButtons().size(), static_cast<std::size_t>(QVTextKeyBars::kKeyCount));
    const Button& key = *bars.customButtons()[3];
    EXPECT_EQ(key.tag(), 3);
    bars.insertKeyFromKeyboardToolbar(key);
    EXPECT_EQ(typed, (std::vector<std::u16string>{u"\u2019"}));

    bars.longPressInCustomKey(key);
    bars.longPressInCustomKey(key);
    ASSERT_EQ(presented.size(), 1u) << "one editor for one press";
    std::shared_ptr<AlertController> alert = lastAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), u"Update custom button");
    ASSERT_EQ(alert->textFields().size(), 1u);
    EXPECT_EQ(alert->textFields()[0]->text(), u"\u2019");
    alert->textFields()[0]->setText(u"it's \"\\\"");
    alert->tapActionWithTitle(u"OK");
    EXPECT_FALSE(bars.isDisplayingAlert());
    EXPECT_EQ(defaults.stringForKey("customKey3"), "it's \"\\\"");
    EXPECT_EQ(view.scriptsMatching("tinymce.activeEditor.focus\\(\\);").size(), 1u);
    bars.insertKeyFromKeyboardToolbar(key);
    EXPECT_EQ(typed.back(), u"it's \"\\\"");

    // An empty text leaves the key as it was; Cancel changes nothing.
    bars.longPressInCustomKey(key);
    lastAlert()->textFields()[0]->setText(u"");
    lastAlert()->tapActionWithTitle(u"OK");
    EXPECT_EQ(defaults.stringForKey("customKey3"), "it's \"\\\"");
    bars.longPressInCustomKey(key);
    lastAlert()->tapActionWithTitle(u"Cancel");
    EXPECT_FALSE(bars.isDisplayingAlert());

    // A redefined key comes back in the next editor.
    QVTextKeyBars next(page, defaults, host());
    EXPECT_EQ(next.customButtons()[3]->titleForState(ControlState::Normal), u"it's \"\\\"");
}

TEST_F(QVTextKeyBarsTest, arrowsMoveTheCaretAndScriptLiteralsAreEscaped)
{
    QVTextKeyBars bars(page, defaults, host());
    int undone = 0;
    std::vector<std::shared_ptr<KeyCommand>> commands = bars.keyCommands({{"undoAction", [&] { ++undone; }}});
    ASSERT_GE(commands.size(), 5u);
    for (std::size_t i = commands.size() - 4; i < commands.size(); ++i)
        commands[i]->perform();
    EXPECT_EQ(ran, (std::vector<std::string>{"magicCursorUpTap", "magicCursorDownTap", "magicCursorLeftTap", "magicCursorRightTap"}));
    EXPECT_EQ(QVTextKeyBars::escapeString("a\\b'c\"d"), "a\\\\b\\'c\\\"d");
    EXPECT_EQ(QVTextKeyBars::escapeString(""), "");
}

} // namespace
} // namespace folio
