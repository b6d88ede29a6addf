#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "support/VirtualClock.h"
#include "tools/textstyle/TSColourBlockView.h"
#include "tools/textstyle/TSTextStylePickerViewController.h"
#include "tools/textstyle/TSUpDownControl.h"
#include "tools/textstyle/TSUpDownControlFloat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

using Picker = TSTextStylePickerViewController;

// Records every message as "name value".
class RecordingDelegate : public TSTextStylePickerViewControllerDelegate {
public:
    std::vector<std::string> messages;

    void textStylePickerViewControllerUserSelectedFont(Picker&, const FontChoice& font) override { record("font", font); }
    void textStylePickerViewControllerUserSelectedTextColor(Picker&, const std::string& colour) override { record("textColour", colour); }
    void textStylePickerViewControllerUserSelectedBackgroundColor(Picker&, const std::string& colour) override { record("paperColour", colour); }
    void textStylePickerViewControllerFontSizeChangedUserSelectedFont(Picker&, const FontChoice& font) override { record("size", font); }
    void textStylePickerViewControllerLineSpacingChangedUserSelectedLineSpacing(Picker&, double value) override { record("lineSpacing", value); }
    void textStylePickerViewControllerParagraphSpacingChangedUserSelectedParagraphSpacing(Picker&, double value) override { record("spacingAfter", value); }
    void textStylePickerViewControllerParagraphSpacingBeforeChangedUserSelectedParagraphSpacingBefore(Picker&, double value) override { record("spacingBefore", value); }
    void textStylePickerViewControllerPaperSizeChanged(Picker&) override { messages.push_back("paperSize"); }
    void installNewFontSelected() override { messages.push_back("installFont"); }
    void textStylePickerViewControllerFirstLineIndentChangedUserSelectedFirstLineIndent(Picker&, double value) override { record("indent", value); }
    void textStylePickerViewControllerSelectedCustomStyle(Picker&) override { messages.push_back("customStyle"); }
    void textStylePickerViewControllerSelectedDefaultStyle(Picker&) override { messages.push_back("defaultStyle"); }
    void textStylePickerViewControllerIsDone(Picker&) override { messages.push_back("done"); }
    void textStylePickerViewControllerPaperMarginChanged(long side, double margin) override
    {
        messages.push_back("margin " + std::to_string(side) + " " + std::to_string(margin));
    }

private:
    void record(const std::string& name, const std::string& value) { messages.push_back(name + " " + value); }
    void record(const std::string& name, const FontChoice& font) { record(name, font.fontName + " " + std::to_string(font.pointSize)); }
    void record(const std::string& name, double value) { record(name, std::to_string(value)); }
};

// A touch on a stepper's upper (increasing) or lower half, released inside.
bool tap(UpDownControl& stepper, bool up)
{
    Point point{10, up ? 2.0 : stepper.bounds().height() - 2};
    if (!stepper.beginTrackingWithTouch(point))
        return false;
    stepper.endTrackingWithTouch(point);
    return true;
}

class TextStylePickerTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
        picker->setDelegate(delegate);
        picker->setSelectedFont(FontChoice{"Georgia", 14});
        picker->setSelectedTextColour("darkred");
        picker->setSelectedBackgroundColour("ivory");
        picker->setSelectedPageSize("A4");
        picker->setSelectedLineSpacing(1.5);
        picker->setSelectedParagraphSpacing(6);
        picker->setSelectedParagraphSpacingBefore(3);
        picker->setSelectedFirstLineIndent(0.5);
        picker->setSelectedPageMargins(1, 1.25, 0.75, 0.5);
    }
    void TearDown() override { FontCatalog::setShared(nullptr); }

    void show() { navigation->view(); picker->tableView()->reloadData(); }
    std::shared_ptr<TableViewCell> row(const char* name) { return picker->cell(name); }
    IndexPath pathOf(const char* name) { return *picker->tableView()->indexPathForCell(row(name).get()); }
    void tapRow(const char* name) { picker->tableView()->tapRowAtIndexPath(pathOf(name)); }
    template <typename T>
    std::shared_ptr<T> pushed() { return std::dynamic_pointer_cast<T>(navigation->topViewController()); }
    // The store as another process would read it from the file.
    std::unique_ptr<UserDefaults> reread() { return std::make_unique<UserDefaults>(m_scratch.file("Preferences.plist")); }

    test::ScratchFolder m_scratch;
    UserDefaults defaults{m_scratch.file("Preferences.plist")};
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    std::shared_ptr<Picker> picker = std::make_shared<Picker>(defaults);
    std::shared_ptr<NavigationController> navigation = NavigationController::withRootViewController(picker);
};

TEST_F(TextStylePickerTest, tableHasSevenSectionsAndNotesLeaveOutThePaperRows)
{
    show();
    auto table = picker->tableView();
    ASSERT_EQ(table->numberOfSections(), 7u);
    EXPECT_EQ(table->numberOfRowsInSection(Picker::Options), 10u);
    for (std::size_t section : {0u, 2u, 3u, 4u, 5u, 6u})
        EXPECT_EQ(table->numberOfRowsInSection(section), 1u);
    EXPECT_EQ(table->cellForRowAtIndexPath({Picker::StoreUserStyle2, 0})->textLabel()->text(), u"Set as User Style 2");
    EXPECT_EQ(picker->title(), u"Font, Paragraph & Page Styles");
    EXPECT_EQ(picker->fontNameLabel()->text(), u"Georgia");
    EXPECT_EQ(picker->pageSizeLabel()->text(), u"A4");
    EXPECT_EQ(picker->colourView()->colour(), Color::colorWithRed(139 / 255.0, 0, 0));

    auto note = std::make_shared<Picker>(defaults);
    note->setIsMarquentNote(true);
    note->loadViewIfNeeded();
    ASSERT_EQ(note->tableLayout()[Picker::Options].size(), 7u);
    for (const char* name : {"bgcolourCell", "pageSizeCell", "pageMarginsCell"}) {
        for (const auto& cell : note->tableLayout()[Picker::Options])
            EXPECT_NE(cell, note->cell(name)) << name;
    }
}

TEST_F(TextStylePickerTest, steppersTakeTheirRangesAndReportEachStep)
{
    show();
    EXPECT_EQ(picker->fontSizeControl()->value(), 14);
    EXPECT_EQ(picker->fontSizeControl()->minimumAllowedValue(), 9);
    EXPECT_EQ(picker->fontSizeControl()->maximumAllowedValue(), 460);
    EXPECT_EQ(picker->lineSpacingControl()->minimumAllowedValue(), 0.5);
    EXPECT_EQ(picker->lineSpacingControl()->maximumAllowedValue(), 5.0);
    EXPECT_EQ(picker->paragraphSpacingControl()->maximumAllowedValue(), 100);
    EXPECT_EQ(picker->paragraphSpacingBeforeControl()->minimumAllowedValue(), 0);
    EXPECT_EQ(picker->firstLineIndentControl()->maximumAllowedValue(), 18.0);

    EXPECT_TRUE(tap(*picker->fontSizeControl(), true));
    EXPECT_TRUE(tap(*picker->lineSpacingControl(), false));
    EXPECT_TRUE(tap(*picker->paragraphSpacingControl(), true));
    EXPECT_TRUE(tap(*picker->paragraphSpacingBeforeControl(), false));
    EXPECT_TRUE(tap(*picker->firstLineIndentControl(), true));
    EXPECT_EQ(delegate->messages, (std::vector<std::string>{"size Georgia 15.000000", "lineSpacing 1.400000",
                                                            "spacingAfter 7.000000", "spacingBefore 2.000000",
                                                            "indent 0.600000"}));
    EXPECT_EQ(picker->selectedFont(), (FontChoice{"Georgia", 15}));

    // The size goes no lower than 9 and no higher than 460.
    picker->fontSizeControl()->setValue(9);
    EXPECT_FALSE(tap(*picker->fontSizeControl(), false));
    picker->fontSizeControl()->setValue(460);
    EXPECT_FALSE(tap(*picker->fontSizeControl(), true));
    EXPECT_TRUE(tap(*picker->fontSizeControl(), false));
    EXPECT_EQ(delegate->messages.back(), "size Georgia 459.000000");
}

TEST_F(TextStylePickerTest, rowsPushTheirListsAndTheListsAnswersReachTheDelegate)
{
    show();
    tapRow("fontCell");
    auto fonts = pushed<TSFontSelectTableViewController>();
    ASSERT_TRUE(fonts);
    fonts->tableView()->reloadData();
    auto families = fonts->fontFamilyNames();
    std::size_t cochin = std::find(families.begin(), families.end(), "Cochin") - families.begin();
    fonts->tableView()->tapRowAtIndexPath({0, cochin});
    fonts->installNewFont();
    navigation->popViewControllerAnimated(false);

    tapRow("colourCell");
    auto colours = pushed<TSColourSelectTableViewController>();
    ASSERT_TRUE(colours);
    colours->tableView()->tapRowAtIndexPath({0, 1});
    navigation->popViewControllerAnimated(false);

    tapRow("bgcolourCell");
    auto paper = pushed<TSBgColourSelectTableViewController>();
    ASSERT_TRUE(paper);
    EXPECT_EQ(paper->selectedColour(), "ivory");
    paper->tableView()->tapRowAtIndexPath({0, 4});
    navigation->popViewControllerAnimated(false);

    tapRow("pageSizeCell");
    auto sizes = pushed<PageSizeSelectTableViewController>();
    ASSERT_TRUE(sizes);
    sizes->tableView()->tapRowAtIndexPath({0, 3});
    navigation->popViewControllerAnimated(false);

    tapRow("pageMarginsCell");
    auto margins = pushed<PaperMarginsPickerViewController>();
    ASSERT_TRUE(margins);
    margins->loadViewIfNeeded();
    EXPECT_EQ(margins->pageMarginTopControl()->valueLS(), 0.75);
    EXPECT_TRUE(tap(*margins->pageMarginTopControl(), true));
    EXPECT_TRUE(tap(*margins->pageMarginLeftControl(), false));
    navigation->popViewControllerAnimated(false);
    picker->doneAction();

    EXPECT_EQ(delegate->messages,
              (std::vector<std::string>{"font Cochin 14.000000", "installFont", "textColour darkgray", "paperColour white",
                                        "paperSize", "margin 2 0.850000", "margin 0 0.900000", "done"}));
    EXPECT_EQ(picker->fontNameLabel()->text(), u"Cochin");
    EXPECT_EQ(picker->selectedTextColour(), "darkgray");
    EXPECT_EQ(picker->selectedBackgroundColour(), "white");
    EXPECT_EQ(picker->selectedPageMarginTop(), 0.85);
    // The paper size goes to the store and the label, and is the selected
    // size the row shows from then on.
    EXPECT_EQ(defaults.stringForKey("defaultPageSize"), "Legal");
    EXPECT_EQ(picker->pageSizeLabel()->text(), u"Legal");
    EXPECT_EQ(picker->selectedPageSize(), "Legal");
}

TEST_F(TextStylePickerTest, defaultStyleSwitchDimsTheRestAndTellsTheDelegate)
{
    show();
    picker->defaultSettingsSwitch()->toggle();
    EXPECT_TRUE(picker->defaultSettingsSwitchValue());
    for (std::size_t section = 1; section < 7; ++section) {
        auto cell = picker->tableView()->cellForRowAtIndexPath({section, 0});
        EXPECT_EQ(cell->alpha(), 0.4) << section;
        EXPECT_FALSE(picker->tableView()->tapRowAtIndexPath({section, 0})) << section;
    }
    EXPECT_EQ(row("fontCell")->accessoryType(), TableViewCellAccessoryType::None);
    picker->defaultSettingsSwitch()->toggle();
    EXPECT_EQ(row("fontCell")->alpha(), 1);
    EXPECT_EQ(row("fontCell")->accessoryType(), TableViewCellAccessoryType::DisclosureIndicator);
    EXPECT_EQ(row("sizeCell")->accessoryType(), TableViewCellAccessoryType::None);
    EXPECT_EQ(delegate->messages, (std::vector<std::string>{"defaultStyle", "customStyle"}));
    // The stepper rows and the switch row are not for selecting.
    for (const char* name : {"sizeCell", "lineSpacingCell", "firstLineIndentCell", "defaultSettingsCell"})
        EXPECT_FALSE(picker->tableView()->tapRowAtIndexPath(pathOf(name))) << name;
}

TEST_F(TextStylePickerTest, storingRowsWriteTheStyleAndShowIt)
{
    show();
    tapRow("applyAsDefaultCell");
    tapRow("applyAsUserStyle2");
    auto stored = reread();
    EXPECT_EQ(stored->stringForKey("defaultFont"), "Georgia");
    EXPECT_EQ(stored->floatForKey("defaultFontSize"), 14.0f);
    EXPECT_EQ(stored->stringForKey("defaultFontColor"), "darkred");
    EXPECT_EQ(stored->stringForKey("defaultPaperColor"), "ivory");
    EXPECT_EQ(stored->floatForKey("defaultLineSpacing"), 1.5f);
    EXPECT_EQ(stored->floatForKey("defaultParagraphSpacing"), 6.0f);
    EXPECT_EQ(stored->floatForKey("defaultParagraphSpacingBefore"), 3.0f);
    EXPECT_EQ(stored->floatForKey("defaultFirstLineIndent"), 0.5f);
    // Inches become centimetres with the factor taken as a 32-bit float.
    EXPECT_EQ(stored->doubleForKey("defaultPageMarginLeft"), 2.5399999618530273);
    EXPECT_EQ(stored->doubleForKey("defaultPageMarginRight"), 1.25 * 2.5399999618530273);
    EXPECT_EQ(stored->doubleForKey("defaultPageMarginBottom"), 0.5 * 2.5399999618530273);

    EXPECT_EQ(stored->stringForKey("defaultFont2"), "Georgia");
    EXPECT_EQ(stored->floatForKey("defaultFontSize2"), 14.0f);
    EXPECT_EQ(stored->stringForKey("defaultFontColor2"), "darkred");
    EXPECT_EQ(stored->stringForKey("defaultBackColor2"), "ivory");
    EXPECT_EQ(stored->floatForKey("defaultLineSpacing2"), 1.5f);
    EXPECT_EQ(stored->floatForKey("defaultParagraphSpacing2"), 6.0f);
    EXPECT_EQ(stored->floatForKey("defaultParagraphSpacingBefore2"), 3.0f);
    EXPECT_EQ(stored->floatForKey("defaultFirstLineIndent2"), 0.5f);
    EXPECT_FALSE(stored->objectForKey("defaultFont1"));
    EXPECT_FALSE(stored->objectForKey("defaultPageMarginLeft2"));

    auto label = row("applyAsUserStyle2")->textLabel();
    EXPECT_EQ(label->text(), u"Set as User Style 2");
    ASSERT_TRUE(label->font());
    EXPECT_EQ(label->font()->familyName(), "Georgia");
    EXPECT_EQ(label->font()->pointSize(), 18);
    EXPECT_EQ(label->textColor(), Color::colorWithRed(139 / 255.0, 0, 0));
    EXPECT_EQ(label->textAlignment(), TextAlignment::Center);
    EXPECT_FALSE(picker->tableView()->indexPathForSelectedRow());

    // Styles 1 and 3 go under their own digits; any other number writes nothing.
    picker->setSelectedTextColour("teal");
    picker->replaceUserStyle(1);
    picker->replaceUserStyle(3);
    picker->replaceUserStyle(4);
    stored = reread();
    EXPECT_EQ(stored->stringForKey("defaultFontColor1"), "teal");
    EXPECT_EQ(stored->stringForKey("defaultFontColor3"), "teal");
    EXPECT_FALSE(stored->objectForKey("defaultFontColor4"));
    EXPECT_TRUE(delegate->messages.empty());
}

TEST_F(TextStylePickerTest, resetWritesTheFactoryStylesAndTellsNobody)
{
    show();
    tapRow("resetCurrentStyleToDefault");
    EXPECT_EQ(picker->selectedFont(), (FontChoice{"Helvetica", 12}));
    EXPECT_EQ(picker->selectedTextColour(), "black");
    EXPECT_EQ(picker->selectedBackgroundColour(), "white");
    EXPECT_EQ(picker->selectedPageSize(), "Letter");
    EXPECT_EQ(picker->fontSizeControl()->value(), 12);
    EXPECT_EQ(picker->lineSpacingControl()->valueLS(), 1.0);
    EXPECT_EQ(picker->paragraphSpacingControl()->value(), 0);
    EXPECT_EQ(picker->colourView()->colour(), Color::colorWithRed(0, 0, 0));
    auto stored = reread();
    const std::pair<const char*, const char*> strings[] = {
        {"defaultFont", "Helvetica"},  {"defaultFontColor", "black"},     {"defaultPageSize", "Letter"},
        {"defaultFont1", "Courier"},   {"defaultFontColor1", "darkblue"}, {"defaultFont2", "Verdana"},
        {"defaultFontColor2", "darkred"}, {"defaultFont3", "Georgia"},    {"defaultFontColor3", "teal"},
        {"defaultPaperColor", "white"}, {"defaultBackColor1", "white"},  {"defaultBackColor3", "white"}};
    for (const auto& [key, value] : strings)
        EXPECT_EQ(stored->stringForKey(key), value) << key;
    const std::pair<const char*, float> numbers[] = {
        {"defaultFontSize", 12},           {"defaultFontSize3", 12},         {"marquentPageMarginLeft", 1},
        {"marquentPageMarginRight", 0},    {"defaultPageMarginLeft", 1},     {"defaultPageMarginRight", 14.09f},
        {"defaultPageMarginTop", 1},       {"defaultPageMarginBottom", 1},   {"defaultFirstLineIndent", 0},
        {"defaultFirstLineIndent2", 0},    {"defaultLineSpacing", 1},        {"defaultLineSpacing3", 1}};
    for (const auto& [key, value] : numbers)
        EXPECT_EQ(stored->floatForKey(key), value) << key;
    EXPECT_FALSE(stored->objectForKey("defaultParagraphSpacing"));
    // The storing rows show their new styles at 12 points.
    EXPECT_EQ(row("applyAsUserStyle1")->textLabel()->font()->familyName(), "Courier");
    EXPECT_EQ(row("applyAsUserStyle1")->textLabel()->font()->pointSize(), 12);
    EXPECT_TRUE(delegate->messages.empty());
}

TEST(UpDownControlTest, decimalStepsClampAtTheLimitsAndIntegerStepsStopThere)
{
    test::VirtualClockScope clock;
    auto decimal = std::make_shared<TSUpDownControlFloat>(makeRect(0, 0, 150, 52));
    decimal->setMinimumAllowedValue(0.5);
    decimal->setMaximumAllowedValue(5.0);
    decimal->setValueLS(4.95);
    int events = 0;
    decimal->addAction(ControlEvent::ValueChanged, [&](Control&) { ++events; });
    EXPECT_TRUE(tap(*decimal, true));
    EXPECT_EQ(decimal->valueLS(), 5.0);
    EXPECT_EQ(events, 1);
    EXPECT_FALSE(tap(*decimal, true));
    // Steps add up in binary floating point.
    decimal->setValueLS(1.0);
    tap(*decimal, true);
    tap(*decimal, true);
    tap(*decimal, true);
    EXPECT_EQ(decimal->valueLS(), 1.0 + 0.1 + 0.1 + 0.1);
    EXPECT_NE(decimal->valueLS(), 1.3);

    // A touch that leaves the control takes no step; a cancelled one neither.
    auto integer = std::make_shared<TSUpDownControl>(makeRect(0, 0, 150, 52));
    integer->setMinimumAllowedValue(0);
    integer->setMaximumAllowedValue(2);
    ASSERT_TRUE(integer->beginTrackingWithTouch({10, 2}));
    EXPECT_TRUE(integer->isPressed());
    integer->continueTrackingWithTouch({10, -40});
    EXPECT_FALSE(integer->isPressed());
    integer->endTrackingWithTouch({10, -40});
    EXPECT_EQ(integer->value(), 0);
    ASSERT_TRUE(integer->beginTrackingWithTouch({10, 2}));
    integer->cancelTrackingWithEvent();
    EXPECT_FALSE(integer->isPressed());
    EXPECT_EQ(integer->value(), 0);
    EXPECT_FALSE(tap(*integer, false));
}

TEST(PaperMarginsPickerTest, limitsAndNoDelegate)
{
    test::VirtualClockScope clock;
    auto panel = PaperMarginsPickerViewController::textStylePickerViewController();
    panel->setSelectedPageMarginRight(1.0);
    panel->setSelectedPageMarginTop(0.1);
    panel->loadViewIfNeeded();
    EXPECT_EQ(panel->title(), u"Print Margins");
    EXPECT_EQ(panel->pageMarginRightControl()->minimumAllowedValue(), 2.0);
    EXPECT_EQ(panel->pageMarginRightControl()->maximumAllowedValue(), 8.5);
    EXPECT_EQ(panel->pageMarginLeftControl()->maximumAllowedValue(), 7.0);
    EXPECT_EQ(panel->pageMarginTopControl()->minimumAllowedValue(), 0.25);
    EXPECT_EQ(panel->pageMarginBottomControl()->maximumAllowedValue(), 10.0);
    // A margin below its limit is raised on the first step, and with no delegate nothing else happens.
    EXPECT_TRUE(tap(*panel->pageMarginRightControl(), true));
    EXPECT_EQ(panel->pageMarginRightControl()->valueLS(), 2.0);
    EXPECT_EQ(panel->selectedPageMarginRight(), 1.0);
    EXPECT_EQ(panel->tableView()->numberOfRowsInSection(0), 4u);
    EXPECT_FALSE(panel->tableView()->tapRowAtIndexPath({0, 0}));
}

} // namespace
} // namespace folio
