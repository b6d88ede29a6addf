#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/web/FakeWebView.h"
#include "engine/css/ColorHTML.h"
#include "tools/pickers/CommandPickers.h"
#include "tools/pickers/FontSizePickerController.h"
#include "tools/pickers/OtherPickerController.h"
#include "tools/pickers/ToolsPickerController.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// Hears every picker and keeps what each sent, in order.
class Recorder : public ToolsPickerDelegate, public MiscToolsPickerDelegate, public MagicCursorPickerDelegate,
                 public OtherPickerDelegate, public FontSizePickerDelegate, public AlignPickerDelegate,
                 public ImagePickerDelegate, public ReplacePickerDelegate {
public:
    void toolsOptionSelected(long n) override { calls.push_back("tools " + std::to_string(n)); }
    WebView* webViewEditor() override { return page; }
    void miscToolsPickerOptionSelected(long n) override { calls.push_back("misc " + std::to_string(n)); }
    void magicCursorOptionSelected(long n) override { calls.push_back("cursor " + std::to_string(n)); }
    void magicCursorOptionSelected2(long n) override { calls.push_back("cursor2 " + std::to_string(n)); }
    void optionSelected(long n) override { calls.push_back("style " + std::to_string(n)); }
    void sizeSelected(const std::string& size) override { calls.push_back("size " + size); }
    void alignSelected(long n) override { calls.push_back("align " + std::to_string(n)); }
    void imageOptionSelected(long n) override { calls.push_back("image " + std::to_string(n)); }
    void replaceOptionSelected(long n) override { calls.push_back("replace " + std::to_string(n)); }

    std::vector<std::string> calls;
    WebView* page = nullptr;
};

std::vector<std::u16string> shownTitles(CommandPickerController& picker)
{
    std::vector<std::u16string> titles;
    TableView& table = *picker.tableView();
    table.reloadData();
    for (std::size_t row = 0; row < table.numberOfRowsInSection(0); ++row)
        titles.push_back(table.cellForRowAtIndexPath(IndexPath{0, row})->textLabel()->text());
    return titles;
}

class CommandPickerTest : public ::testing::Test {
protected:
    template <typename Picker, typename... Arguments>
    std::shared_ptr<Picker> make(Arguments&... arguments)
    {
        auto picker = std::make_shared<Picker>(arguments...);
        picker->setDelegate(recorder);
        return picker;
    }

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST_F(CommandPickerTest, eachPickerShowsItsRowsAtItsSizeAndSendsTheChosenRowThroughItsOwnCall)
{
    struct Case {
        std::shared_ptr<CommandPickerController> picker;
        std::size_t rows;
        Size size;
        std::u16string first, last;
        std::size_t tapped;
        std::string sent;
    };
    std::vector<Case> cases{
        {make<ToolsPickerController>(defaults), 13, {290, 524}, u"Take Snapshot", u"Web Research", 12, "tools 12"},
        {make<MiscToolsPickerController>(), 11, {260, 396}, u"Check Spelling", u"Increase Indent", 5, "misc 5"},
        {make<MagicCursorPickerController>(), 20, {260, 830}, u"Check Spelling", u"Increase Indent", 10, "cursor 10"},
        {make<OtherPickerController>(defaults), 19, {280, 554}, u"Default Style", u"Remove Style", 17, "style 17"},
        {make<FontSizePickerController>(), 22, {70, 506}, u"+1", u"460", 2, "size +10"},
        {make<AlignPickerController>(), 6, {230, 264}, u"Justify", u"Left To Right", 4, "align 4"},
        {make<ImagePickerController>(), 2, {250, 132}, u"Insert Photo", u"Take & Insert Photo", 1, "image 1"},
        {make<ReplacePickerController>(), 1, {190, 44}, u"Replace All", u"Replace All", 0, "replace 0"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.sent);
        ASSERT_EQ(c.picker->options().size(), c.rows);
        EXPECT_EQ(c.picker->options().front(), c.first);
        EXPECT_EQ(c.picker->options().back(), c.last);
        EXPECT_EQ(c.picker->preferredContentSize(), c.size);
        EXPECT_EQ(shownTitles(*c.picker).size(), c.rows);
        recorder->calls.clear();
        c.picker->tapRow(c.tapped);
        EXPECT_EQ(recorder->calls, (std::vector<std::string>{c.sent}));
    }
    auto cursor = make<MagicCursorPickerController>();
    EXPECT_EQ(cursor->options()[10], u"Paste As Plain Text");
    EXPECT_EQ(cursor->options()[9], u"Go to Page");
}

TEST_F(CommandPickerTest, aPickerWithoutDelegateSendsNothing)
{
    auto picker = std::make_shared<MiscToolsPickerController>();
    picker->tapRow(3);
    auto sizes = std::make_shared<FontSizePickerController>();
    sizes->tapRow(0);
    EXPECT_TRUE(recorder->calls.empty());
}

TEST_F(CommandPickerTest, toolsSwitchRowsFollowTheirSettingsAndReadAloudFollowsThePage)
{
    auto tools = make<ToolsPickerController>(defaults);
    std::vector<std::u16string> titles = shownTitles(*tools);
    EXPECT_EQ(titles[3], u"Read Aloud");
    EXPECT_EQ(std::vector<std::u16string>(titles.begin() + 6, titles.begin() + 12),
              (std::vector<std::u16string>{u"Enable Zoom Text", u"Enable Sepia Mode", u"Enable Word Counter",
                                           u"Enable Check Spelling", u"Enable Smart Quotes", u"Enable Page Numbers"}));

    defaults.setBool("smartQuotesEnabled", true);
    defaults.setBool("nightMode", true);
    FakeWebView page;
    page.answer("speechSynthesis.speaking", "true");
    recorder->page = &page;
    titles = shownTitles(*tools);
    EXPECT_EQ(titles[3], u"Cancel Read Aloud");
    EXPECT_EQ(titles[7], u"Disable Sepia Mode");
    EXPECT_EQ(titles[10], u"Disable Smart Quotes");
    EXPECT_EQ(titles[11], u"Enable Page Numbers");
}

TEST_F(CommandPickerTest, styleRowsPreviewTheirStylesAndAWhitePresetSitsOnGainsboro)
{
    defaults.setString("defaultFontColor", "white");
    defaults.setString("defaultFontColor2", "red");
    auto styles = make<OtherPickerController>(defaults);
    TableView& table = *styles->tableView();
    table.reloadData();
    auto cell = [&](std::size_t row) { return table.cellForRowAtIndexPath(IndexPath{0, row}); };

    EXPECT_EQ(cell(0)->backgroundColor(), colorWithHTMLName(std::string_view("gainsboro")));
    EXPECT_EQ(cell(0)->textLabel()->textColor(), colorWithHTMLName(std::string_view("white")));
    EXPECT_EQ(cell(2)->textLabel()->textColor(), colorWithHTMLName(std::string_view("red")));
    EXPECT_NE(cell(2)->backgroundColor(), colorWithHTMLName(std::string_view("gainsboro")));
    EXPECT_EQ(cell(6)->textLabel()->text(), u"Highlight Selection");
    EXPECT_EQ(cell(6)->textLabel()->backgroundColor(), colorWithHTMLName(std::string_view("yellow")));
    EXPECT_EQ(cell(17)->textLabel()->textAlignment(), TextAlignment::Center);
    EXPECT_EQ(cell(16)->textLabel()->textAlignment(), TextAlignment::Natural);
    ASSERT_NE(cell(10)->textLabel()->font(), nullptr);
    EXPECT_EQ(cell(10)->textLabel()->font()->pointSize(), 32);
}

} // namespace
} // namespace folio
