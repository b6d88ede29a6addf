#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/UIThemes.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewController.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "tools/ToolPanelPresentation.h"
#include "tools/textstyle/TSColourSelectTableViewController.h"
#include "tools/names/NameGeneratorController.h"
#include "tools/specialchars/MDSpecialCharsPickerController.h"
#include "tools/statistics/StatisticsController.h"
#include "tools/textstyle/TSTextStylePickerViewController.h"
#include "tools/textstyle/TSUpDownControl.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace folio {
namespace {

using test::descendants;
using test::labelTexts;

bool hasLabel(GtkWidget* widget, const std::string& text)
{
    auto texts = labelTexts(widget);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

GtkWidget* buttonLabelled(GtkWidget* root, const std::string& title)
{
    for (GtkWidget* button : descendants(root, GTK_TYPE_BUTTON)) {
        const char* label = gtk_button_get_label(GTK_BUTTON(button));
        if (label && title == label)
            return button;
    }
    return nullptr;
}

struct Recorder : TSTextStylePickerViewControllerDelegate, MDSpecialCharsPickerDelegate {
    std::vector<std::string> messages;
    void textStylePickerViewControllerFontSizeChangedUserSelectedFont(TSTextStylePickerViewController&, const FontChoice& font) override
    {
        messages.push_back("size " + std::to_string(static_cast<int>(font.pointSize)));
    }
    void textStylePickerViewControllerPaperSizeChanged(TSTextStylePickerViewController&) override {}
    void installNewFontSelected() override {}
    void textStylePickerViewControllerPaperMarginChanged(long, double) override {}
    void specialCharsOptionSelected(const std::u16string& option, bool) override { messages.push_back(toUtf8(option)); }
    void dismissPopoverAnimated(bool) override {}
};

// Each panel is shown as a sheet over an editor's window, looked at, and
// drawn into a picture under the build folder for a person to look at too.
class ToolsPanelsWebTest : public testing::Test {
protected:
    void SetUp() override
    {
        // Real keys and clicks go to this display's windows alone.
        test::usePrivateDisplay();
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(created.value());
        window = std::make_shared<Window>(makeRect(0, 0, 900, 700));
        window->setRootViewController(editor);
        window->makeKeyAndVisible();
        GtkPresenter::processPendingEvents();
    }
    void TearDown() override
    {
        if (window)
            window->close();
        presenter.reset();
        GtkPresenter::processPendingEvents();
    }

    GtkWidget* present(const std::shared_ptr<ViewController>& panel, Size size, const std::u16string& title)
    {
        navigation = NavigationController::withRootViewController(panel);
        navigation->setPreferredContentSize(size);
        panel->setTitle(title);
        navigation->setModalPresentationStyle(ModalPresentationStyle::FormSheet);
        EXPECT_TRUE(editor->presentViewController(navigation, false).ok());
        GtkPresenter::processPendingEvents();
        return presenter->widgetForController(*navigation);
    }

    // Shown as the editors show their style and insert panels: in a popover
    // pointing at the editor's view, at the size the panel asks for.
    GtkWidget* presentAsPopover(const std::shared_ptr<ViewController>& panel)
    {
        navigation = NavigationController::withRootViewController(panel);
        navigation->setModalPresentationStyle(ModalPresentationStyle::Popover);
        if (auto popover = navigation->popoverPresentationController()) {
            popover->setSourceView(editor->view());
            popover->setSourceRect(makeRect(400, 600, 40, 30));
        }
        EXPECT_TRUE(editor->presentViewController(navigation, false).ok());
        GtkWidget* shown = nullptr;
        EXPECT_TRUE(RunLoop::main().runUntil([&] {
            GtkPresenter::processPendingEvents();
            shown = presenter->widgetForController(*navigation);
            return shown && gtk_widget_get_mapped(shown);
        }, 20));
        GtkPresenter::processPendingEvents();
        return shown;
    }
    // How far the widest scroller under `root` scrolls sideways, once laid out.
    double sidewaysScroll(GtkWidget* root)
    {
        std::vector<GtkWidget*> scrollers = descendants(root, GTK_TYPE_SCROLLED_WINDOW);
        EXPECT_TRUE(RunLoop::main().runUntil([&] {
            GtkPresenter::processPendingEvents();
            return std::all_of(scrollers.begin(), scrollers.end(), [](GtkWidget* scroller) {
                return gtk_adjustment_get_page_size(gtk_scrolled_window_get_hadjustment(GTK_SCROLLED_WINDOW(scroller))) > 0;
            });
        }, 10)) << "the panel is laid out";
        double widest = 0;
        for (GtkWidget* scroller : descendants(root, GTK_TYPE_SCROLLED_WINDOW)) {
            GtkAdjustment* sideways = gtk_scrolled_window_get_hadjustment(GTK_SCROLLED_WINDOW(scroller));
            widest = std::max(widest, gtk_adjustment_get_upper(sideways) - gtk_adjustment_get_page_size(sideways));
        }
        return widest;
    }

    void screenshot(GtkWidget* toplevel, const std::string& name)
    {
        GtkPresenter::processPendingEvents();
        // Lays out what an idle rebuild left unallocated, as the next frame would.
        gtk_container_check_resize(GTK_CONTAINER(toplevel));
        int width = gtk_widget_get_allocated_width(toplevel);
        int height = gtk_widget_get_allocated_height(toplevel);
        ASSERT_GT(width, 1);
        ASSERT_GT(height, 1);
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        cairo_t* cr = cairo_create(surface);
        gtk_widget_draw(toplevel, cr);
        cairo_destroy(cr);
        std::filesystem::create_directories(std::string(FOLIO_BINARY_DIR) + "/screenshots");
        EXPECT_EQ(cairo_surface_write_to_png(surface, (std::string(FOLIO_BINARY_DIR) + "/screenshots/" + name + ".png").c_str()),
                  CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(surface);
    }

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
    std::unique_ptr<GtkPresenter> presenter;
    std::shared_ptr<ViewController> editor = std::make_shared<ViewController>();
    std::shared_ptr<NavigationController> navigation;
    std::shared_ptr<Window> window;
};

TEST_F(ToolsPanelsWebTest, textStylePopoverShowsItsRowsAndItsSteppersStepWithTheMouse)
{
    auto picker = std::make_shared<TSTextStylePickerViewController>(defaults);
    picker->setDelegate(recorder);
    picker->setSelectedFont(FontChoice{"Georgia", 14});
    picker->setSelectedTextColour("darkred");
    picker->setSelectedBackgroundColour("ivory");
    picker->setSelectedPageSize("A4");
    picker->setSelectedLineSpacing(1.2);
    GtkWidget* sheet = present(picker, Size{420, 700}, u"Font, Paragraph & Page Styles");
    ASSERT_NE(sheet, nullptr);
    for (const char* text : {"Use Default Style", "Font", "Georgia", "Text Color", "Paper Size", "A4", "Line Spacing",
                             "Set as User Style 3", "Reset to Factory Style"})
        EXPECT_TRUE(hasLabel(sheet, text)) << text;
    EXPECT_EQ(descendants(sheet, GTK_TYPE_SWITCH).size(), 1u);
    auto areas = descendants(sheet, GTK_TYPE_DRAWING_AREA);
    // Five steppers and two swatches draw themselves.
    ASSERT_EQ(areas.size(), 7u);
    screenshot(sheet, "text-style-popover");

    // A click in the upper half of the size stepper steps it up.
    GtkWidget* sizeStepper = nullptr;
    for (GtkWidget* area : areas) {
        if (gtk_widget_get_allocated_width(area) == 150 && !sizeStepper)
            sizeStepper = area;
    }
    ASSERT_NE(sizeStepper, nullptr);
    GdkEvent* press = gdk_event_new(GDK_BUTTON_PRESS);
    press->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(sizeStepper)));
    press->button.button = 1;
    press->button.x = 20;
    press->button.y = 5;
    gboolean handled = FALSE;
    g_signal_emit_by_name(sizeStepper, "button-press-event", press, &handled);
    press->type = GDK_BUTTON_RELEASE;
    g_signal_emit_by_name(sizeStepper, "button-release-event", press, &handled);
    gdk_event_free(press);
    EXPECT_EQ(recorder->messages, (std::vector<std::string>{"size 15"}));

    picker->tableView()->tapRowAtIndexPath({TSTextStylePickerViewController::Options, 3});
    GtkPresenter::processPendingEvents();
    sheet = presenter->widgetForController(*navigation);
    EXPECT_TRUE(hasLabel(sheet, "darkslategrey"));
    screenshot(sheet, "paper-colours");
    navigation->popViewControllerAnimated(false);
    picker->tableView()->tapRowAtIndexPath({TSTextStylePickerViewController::Options, 5});
    GtkPresenter::processPendingEvents();
    sheet = presenter->widgetForController(*navigation);
    EXPECT_TRUE(hasLabel(sheet, "Bottom"));
    EXPECT_EQ(descendants(sheet, GTK_TYPE_DRAWING_AREA).size(), 4u);
    screenshot(sheet, "print-margins");
    navigation->popViewControllerAnimated(false);
    picker->tableView()->tapRowAtIndexPath({TSTextStylePickerViewController::Options, 0});
    GtkPresenter::processPendingEvents();
    screenshot(presenter->widgetForController(*navigation), "font-families");
}

// In its popover the style panel carries its title, opens with no row
// chosen, fits its width, and tells the paper size it was given and the one
// chosen from its list.
TEST_F(ToolsPanelsWebTest, textStylePopoverShowsItsTitleAndThePaperSizeWithNoRowChosen)
{
    auto picker = std::make_shared<TSTextStylePickerViewController>(defaults);
    picker->setDelegate(recorder);
    picker->setSelectedFont(FontChoice{"Georgia", 14});
    picker->setSelectedPageSize("A4");
    GtkWidget* popover = presentAsPopover(picker);
    ASSERT_NE(popover, nullptr);
    ASSERT_TRUE(GTK_IS_POPOVER(popover));
    EXPECT_TRUE(hasLabel(popover, "Font, Paragraph & Page Styles"));
    EXPECT_TRUE(hasLabel(popover, "A4"));
    for (GtkWidget* list : descendants(popover, GTK_TYPE_LIST_BOX))
        EXPECT_EQ(gtk_list_box_get_selected_row(GTK_LIST_BOX(list)), nullptr) << "a row shows as chosen";
    EXPECT_LE(sidewaysScroll(popover), 1.0);

    picker->tableView()->tapRowAtIndexPath({TSTextStylePickerViewController::Options, 4});
    GtkPresenter::processPendingEvents();
    popover = presenter->widgetForController(*navigation);
    ASSERT_TRUE(hasLabel(popover, "Paper Sizes"));
    auto sizes = std::dynamic_pointer_cast<TableViewController>(navigation->topViewController());
    ASSERT_TRUE(sizes);
    sizes->tableView()->tapRowAtIndexPath({0, 18});
    navigation->popViewControllerAnimated(false);
    GtkPresenter::processPendingEvents();
    popover = presenter->widgetForController(*navigation);
    EXPECT_TRUE(hasLabel(popover, "A5")) << "the chosen size";
    EXPECT_FALSE(hasLabel(popover, "A4"));
}

// The lists the style panel opens fit its width, and the paper-size list
// marks the size it was given where it can be seen.
TEST_F(ToolsPanelsWebTest, theStyleListsFitThePopoverAndThePaperSizeListShowsItsCheckMark)
{
    auto picker = std::make_shared<TSTextStylePickerViewController>(defaults);
    picker->setDelegate(recorder);
    picker->setSelectedTextColour("red");
    picker->setSelectedPageSize("A4");
    GtkWidget* popover = presentAsPopover(picker);
    ASSERT_NE(popover, nullptr);
    picker->tableView()->tapRowAtIndexPath({TSTextStylePickerViewController::Options, 2});
    GtkPresenter::processPendingEvents();
    popover = presenter->widgetForController(*navigation);
    ASSERT_TRUE(hasLabel(popover, "darkslategray"));
    EXPECT_LE(sidewaysScroll(popover), 1.0) << "the colour list";
    navigation->popViewControllerAnimated(false);

    picker->tableView()->tapRowAtIndexPath({TSTextStylePickerViewController::Options, 4});
    GtkPresenter::processPendingEvents();
    popover = presenter->widgetForController(*navigation);
    ASSERT_TRUE(hasLabel(popover, "A4"));
    EXPECT_LE(sidewaysScroll(popover), 1.0) << "the paper-size list";
    GtkWidget* check = nullptr;
    for (GtkWidget* label : descendants(popover, GTK_TYPE_LABEL)) {
        if (std::string(gtk_label_get_text(GTK_LABEL(label))) == "\u2714")
            check = label;
    }
    ASSERT_NE(check, nullptr) << "no size is checked";
    // The A4 row is in sight, and its mark is drawn darker than the row.
    GtkAdjustment* vertical = gtk_scrolled_window_get_vadjustment(
        GTK_SCROLLED_WINDOW(gtk_widget_get_ancestor(check, GTK_TYPE_SCROLLED_WINDOW)));
    int rowY = 0;
    int unused = 0;
    GtkWidget* list = gtk_widget_get_ancestor(check, GTK_TYPE_LIST_BOX);
    ASSERT_TRUE(gtk_widget_translate_coordinates(check, list, 0, 0, &unused, &rowY));
    gtk_adjustment_set_value(vertical, rowY - 20);
    GtkWidget* toplevel = gtk_widget_get_toplevel(check);
    int dark = 0;
    RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        int x = 0;
        int y = 0;
        if (!gtk_widget_translate_coordinates(check, toplevel, 0, 0, &x, &y))
            return false;
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("paper-size-check"));
        if (!shot)
            return false;
        dark = 0;
        for (int dy = 0; dy < gtk_widget_get_allocated_height(check) && y + dy < gdk_pixbuf_get_height(shot); ++dy) {
            for (int dx = 0; dx < gtk_widget_get_allocated_width(check) && x + dx < gdk_pixbuf_get_width(shot); ++dx) {
                const unsigned pixel = test::pixelAt(shot, x + dx, y + dy);
                dark += ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF) < 300;
            }
        }
        g_object_unref(shot);
        return dark > 10;
    }, 10);
    EXPECT_GT(dark, 10) << "the check mark cannot be seen";
}

// The Markdown insert menu carries its title in its popover; the symbols of
// its grids draw at the grid's size, and every one with a real glyph.
TEST_F(ToolsPanelsWebTest, markdownInsertPopoverHasItsTitleAndEverySymbolDrawsLargeWithAGlyph)
{
    auto menu = std::make_shared<MDSpecialCharsPickerController>(defaults);
    menu->setDelegate(recorder);
    menu->setTitle(u"Insert");
    GtkWidget* popover = presentAsPopover(menu);
    ASSERT_NE(popover, nullptr);
    EXPECT_TRUE(hasLabel(popover, "Insert"));
    // Rows 3 to 10: the eight fixed sets.
    for (std::size_t row = 3; row <= 10; ++row) {
        menu->tableView()->tapRowAtIndexPath({0, row});
        GtkPresenter::processPendingEvents();
        popover = presenter->widgetForController(*navigation);
        std::size_t cells = 0;
        for (GtkWidget* button : descendants(popover, GTK_TYPE_BUTTON)) {
            GtkWidget* label = gtk_bin_get_child(GTK_BIN(button));
            const char* title = gtk_button_get_label(GTK_BUTTON(button));
            if (!label || !GTK_IS_LABEL(label) || !title || std::string(title) == "Back")
                continue;
            ++cells;
            PangoLayout* layout = gtk_label_get_layout(GTK_LABEL(label));
            EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout), 0) << "no font draws " << title;
            PangoRectangle logical;
            pango_layout_get_pixel_extents(layout, nullptr, &logical);
            EXPECT_GE(logical.height, 30) << title << " is drawn " << logical.height << " pixels high";
        }
        EXPECT_GT(cells, 20u) << "set of row " << row;
        navigation->popViewControllerAnimated(false);
        GtkPresenter::processPendingEvents();
    }
}

TEST_F(ToolsPanelsWebTest, markdownInsertMenuOpensAGridWhoseCellsInsert)
{
    auto menu = std::make_shared<MDSpecialCharsPickerController>(defaults);
    menu->setDelegate(recorder);
    GtkWidget* sheet = present(menu, Size{300, 560}, u"Insert");
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(hasLabel(sheet, "Short Date & Time"));
    EXPECT_TRUE(hasLabel(sheet, "Letterlike & Notes"));
    screenshot(sheet, "markdown-insert-menu");
    menu->tableView()->tapRowAtIndexPath({0, 3});
    GtkPresenter::processPendingEvents();
    sheet = presenter->widgetForController(*navigation);
    EXPECT_TRUE(hasLabel(sheet, "Miscellaneous Arrows"));
    EXPECT_FALSE(descendants(sheet, GTK_TYPE_SCROLLED_WINDOW).empty());
    GtkWidget* arrow = buttonLabelled(sheet, "\u2192");
    ASSERT_NE(arrow, nullptr);
    gtk_button_clicked(GTK_BUTTON(arrow));
    EXPECT_EQ(recorder->messages, (std::vector<std::string>{"\u2192"}));
    screenshot(sheet, "arrows-grid");
}

TEST_F(ToolsPanelsWebTest, statisticsSheetShowsItsFigures)
{
    auto sheet = std::make_shared<StatisticsController>();
    sheet->setDocumentText(u"Readability matters. Short words help readers; long, complicated constructions hinder comprehension!");
    GtkWidget* window = present(sheet, Size{500, 520}, u"Statistics");
    ASSERT_NE(window, nullptr);
    RunLoop::main().runUntil([&] { return !sheet->statsCalculatingIndicator()->isAnimating(); }, 5);
    // The figures come after the sheet is on screen, which then shows them.
    GtkPresenter::processPendingEvents();
    window = presenter->widgetForController(*navigation);
    EXPECT_TRUE(hasLabel(window, "Words: 11"));
    EXPECT_TRUE(hasLabel(window, "K. Reading Ease: 1"));
    EXPECT_TRUE(hasLabel(window, "Reading Time: Not even a minute!"));
    screenshot(window, "statistics");

    // The sheet's bar wears the theme's picker colours, not the desktop's.
    std::vector<GtkWidget*> bars = descendants(gtk_widget_get_toplevel(window), GTK_TYPE_HEADER_BAR);
    ASSERT_FALSE(bars.empty());
    GtkWidget* bar = bars.front();
    int width = gtk_widget_get_allocated_width(bar);
    int height = gtk_widget_get_allocated_height(bar);
    ASSERT_GT(width, 20);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(bar, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const auto* pixel = cairo_image_surface_get_data(surface) + (height / 2) * cairo_image_surface_get_stride(surface) + 8 * 4;
    double red = 0, green = 0, blue = 0, alpha = 0;
    ASSERT_TRUE(UIThemes::DKPickerTopToolBarBackgroundColor().getRed(&red, &green, &blue, &alpha));
    EXPECT_NEAR(pixel[2], red * 255, 3);
    EXPECT_NEAR(pixel[1], green * 255, 3);
    EXPECT_NEAR(pixel[0], blue * 255, 3);
    cairo_surface_destroy(surface);
}

TEST_F(ToolsPanelsWebTest, nameGeneratorDrawsNamesFromItsButton)
{
    auto generator = std::make_shared<NameGeneratorController>();
    GtkWidget* sheet = present(generator, Size{500, 600}, u"Name Generator");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(descendants(sheet, GTK_TYPE_SWITCH).size(), 17u);
    EXPECT_EQ(descendants(sheet, GTK_TYPE_ENTRY).size(), 2u);
    GtkWidget* generate = buttonLabelled(sheet, "Generate Names");
    ASSERT_NE(generate, nullptr);
    gtk_button_clicked(GTK_BUTTON(generate));
    auto lines = std::count(generator->nameListView()->text().begin(), generator->nameListView()->text().end(), u'\n');
    EXPECT_EQ(lines, 5);
    GtkPresenter::processPendingEvents();
    sheet = presenter->widgetForController(*navigation);
    auto names = labelTexts(sheet);
    EXPECT_TRUE(std::any_of(names.begin(), names.end(), [&](const std::string& text) {
        return text == toUtf8(generator->nameListView()->text());
    }));
    screenshot(sheet, "name-generator");
}

// The colour list fits its popover's width: nothing makes it scroll sideways.
TEST_F(ToolsPanelsWebTest, theColourListScrollsOnlyUpAndDown)
{
    auto colours = std::make_shared<TSColourSelectTableViewController>();
    colours->setSelectedColour("red");
    GtkWidget* sheet = present(colours, Size{320, 500}, u"Text Color");
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(sheet); }, 20));
    GtkPresenter::processPendingEvents();
    gtk_container_check_resize(GTK_CONTAINER(gtk_widget_get_toplevel(sheet)));
    std::vector<GtkWidget*> lists = descendants(sheet, GTK_TYPE_LIST_BOX);
    ASSERT_FALSE(lists.empty());
    GtkWidget* scroller = gtk_widget_get_ancestor(lists.front(), GTK_TYPE_SCROLLED_WINDOW);
    ASSERT_NE(scroller, nullptr);
    GtkAdjustment* sideways = gtk_scrolled_window_get_hadjustment(GTK_SCROLLED_WINDOW(scroller));
    EXPECT_LE(gtk_adjustment_get_upper(sideways) - gtk_adjustment_get_page_size(sideways), 1.0)
        << "the rows are " << gtk_adjustment_get_upper(sideways) << " wide in " << gtk_adjustment_get_page_size(sideways);
    EXPECT_TRUE(hasLabel(sheet, "red"));
}

// Shown as the editors show it, the sheet holds the five names inside what
// is visible of it, below its buttons.
TEST_F(ToolsPanelsWebTest, theGeneratedNamesShowInsideTheEditorsSheet)
{
    auto generator = std::make_shared<NameGeneratorController>();
    ASSERT_TRUE(presentToolPanel(*editor, generator, u"Name Generator", [] {}).ok());
    auto shown = std::dynamic_pointer_cast<NavigationController>(editor->presentedViewController());
    ASSERT_TRUE(shown);
    GtkWidget* sheet = presenter->widgetForController(*shown);
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(sheet); }, 20));
    ASSERT_TRUE(test::clickWidget(buttonLabelled(sheet, "Generate Names")));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !generator->nameListView()->text().empty(); }, 20));
    GtkPresenter::processPendingEvents();
    GtkWidget* toplevel = gtk_widget_get_toplevel(presenter->widgetForController(*shown));
    gtk_container_check_resize(GTK_CONTAINER(toplevel));
    GtkWidget* list = nullptr;
    for (GtkWidget* label : descendants(toplevel, GTK_TYPE_LABEL)) {
        if (toUtf16(gtk_label_get_text(GTK_LABEL(label))) == generator->nameListView()->text())
            list = label;
    }
    ASSERT_NE(list, nullptr) << "the names are on the sheet";
    // Where the drawn text of the five lines ends, against the sheet's bottom.
    int textWidth = 0;
    int textHeight = 0;
    pango_layout_get_pixel_size(gtk_label_get_layout(GTK_LABEL(list)), &textWidth, &textHeight);
    int x = 0;
    int top = 0;
    gtk_widget_translate_coordinates(list, toplevel, 0, 0, &x, &top);
    const int textBottom = top + (gtk_widget_get_allocated_height(list) + textHeight) / 2;
    EXPECT_LE(textBottom, gtk_widget_get_allocated_height(toplevel)) << "the last names are cut off by the sheet's bottom";
    GtkWidget* generate = buttonLabelled(toplevel, "Generate Names");
    int buttonTop = 0;
    gtk_widget_translate_coordinates(generate, toplevel, 0, gtk_widget_get_allocated_height(generate), &x, &buttonTop);
    EXPECT_GE(top, buttonTop) << "the names stand below the buttons";
}

// A first name typed into its field, as a person types it, is held in every
// line the Generate button draws.
TEST_F(ToolsPanelsWebTest, aTypedFirstNameIsHeldInEveryGeneratedLine)
{
    auto generator = std::make_shared<NameGeneratorController>();
    GtkWidget* sheet = present(generator, Size{500, 600}, u"Name Generator");
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(sheet); }, 20));
    ASSERT_TRUE(test::focusWindow(sheet));
    GtkWidget* firstName = presenter->widgetForView(*generator->firstNameLabel());
    ASSERT_TRUE(firstName && GTK_IS_ENTRY(firstName));
    ASSERT_TRUE(test::clickWidget(firstName));
    ASSERT_TRUE(test::typeText("Zebedee"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return generator->firstNameLabel()->text() == u"Zebedee"; }, 20));
    ASSERT_TRUE(test::clickWidget(buttonLabelled(sheet, "Generate Names")));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !generator->nameListView()->text().empty(); }, 20));
    EXPECT_EQ(generator->holdFirst(), std::optional<std::u16string>(u"Zebedee"));
    std::vector<std::u16string> lines = componentsSeparatedByString(generator->nameListView()->text(), u"\n");
    ASSERT_EQ(lines.size(), 6u) << "five lines, each ended by a line break";
    for (std::size_t line = 0; line < 5; ++line)
        EXPECT_EQ(lines[line].rfind(u"Zebedee ", 0), 0u) << toUtf8(lines[line]);
}

} // namespace
} // namespace folio
