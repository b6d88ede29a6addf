#include "platform/gtk/GtkPresenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Action.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/TableViewController.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

using test::descendants;
using test::labelTexts;

bool contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class Editor : public ViewController {
public:
    int undos = 0;
    std::shared_ptr<BarButtonItem> undo = BarButtonItem::withSymbol("arrow.uturn.backward", [this](BarButtonItem&) { ++undos; });
    std::shared_ptr<BarButtonItem> close = BarButtonItem::withTitle(u"Documents", nullptr);
    std::shared_ptr<BarButtonItem> share = BarButtonItem::withTitle(u"Share", nullptr);

protected:
    void viewDidLoad() override
    {
        undo->setTitle(u"Undo Typing");
        setTitle(u"Notes.rtf");
        navigationItem()->setLeftBarButtonItems({close, undo});
        navigationItem()->setRightBarButtonItems({share});
    }
};

class FontSizes : public TableViewController {
public:
    std::vector<std::u16string> sizes{u"12", u"18", u"24"};
    std::vector<std::size_t> picked;
    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return sizes.size(); }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView&, IndexPath path) override
    {
        auto cell = std::make_shared<TableViewCell>();
        cell->textLabel()->setText(sizes[path.row]);
        return cell;
    }
    void didSelectRowAtIndexPath(TableView& table, IndexPath path) override
    {
        picked.push_back(path.row);
        // Rows that act as commands let go of their selection, as the About list's links do.
        if (deselectsOnTap)
            table.deselectRowAtIndexPath(path);
    }
    bool deselectsOnTap = false;
};

class GtkPresenterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(created.value());
        editor = std::make_shared<Editor>();
        navigation = NavigationController::withRootViewController(editor);
        window = std::make_shared<Window>(makeRect(0, 0, 900, 600));
        window->setRootViewController(navigation);
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

    std::unique_ptr<GtkPresenter> presenter;
    std::shared_ptr<Editor> editor;
    std::shared_ptr<NavigationController> navigation;
    std::shared_ptr<Window> window;
};

// A source that is always ready again (a spinner's frame timer on a busy
// machine) must not keep the caller: tests wait on conditions that serve
// events, and their time limits are only looked at between two rounds.
TEST_F(GtkPresenterTest, servingPendingEventsReturnsWhileASourceStaysReady)
{
    constexpr int kGivesUpAfter = 100000;
    int served = 0;
    guint source = g_idle_add(
        [](gpointer data) -> gboolean { return ++*static_cast<int*>(data) < kGivesUpAfter; }, &served);
    GtkPresenter::processPendingEvents();
    bool returnedWhileReady = served < kGivesUpAfter;
    if (returnedWhileReady)
        g_source_remove(source);
    EXPECT_TRUE(returnedWhileReady) << "served the source " << served << " times";
    EXPECT_GT(served, 0);
}

TEST_F(GtkPresenterTest, showsTheControllerInARealWindowWithItsBarItems)
{
    GtkWidget* toplevel = presenter->widgetForWindow(*window);
    ASSERT_NE(toplevel, nullptr);
    EXPECT_TRUE(gtk_widget_get_visible(toplevel));
    GtkWidget* header = presenter->headerBarForWindow(*window);
    ASSERT_NE(header, nullptr);
    EXPECT_STREQ(gtk_header_bar_get_title(GTK_HEADER_BAR(header)), "Notes.rtf");
    auto labels = labelTexts(header);
    EXPECT_TRUE(contains(labels, "Documents"));
    EXPECT_TRUE(contains(labels, "Share"));

    GtkWidget* undo = presenter->widgetForBarButtonItem(*editor->undo);
    ASSERT_NE(undo, nullptr);
    EXPECT_TRUE(gtk_widget_is_ancestor(undo, header));
    gchar* tooltip = gtk_widget_get_tooltip_text(undo);
    EXPECT_STREQ(tooltip, "Undo Typing");
    g_free(tooltip);
    // A button that shows its title needs no tooltip to repeat it over
    // whatever lies below, as when the window changes under a resting pointer.
    GtkWidget* documents = presenter->widgetForBarButtonItem(*editor->close);
    ASSERT_NE(documents, nullptr);
    EXPECT_FALSE(gtk_widget_get_has_tooltip(documents));
    // What a screen reader reads for the icon button.
    EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(undo)), "Undo Typing");
    gtk_button_clicked(GTK_BUTTON(undo));
    EXPECT_EQ(editor->undos, 1);

    editor->undo->setEnabled(false);
    GtkPresenter::processPendingEvents();
    undo = presenter->widgetForBarButtonItem(*editor->undo);
    ASSERT_NE(undo, nullptr);
    EXPECT_FALSE(gtk_widget_get_sensitive(undo));
    editor->setTitle(u"Renamed.rtf");
    EXPECT_STREQ(gtk_header_bar_get_title(GTK_HEADER_BAR(header)), "Renamed.rtf");
}

// A document of the longest name is titled with it: the title gives way,
// and the bar's items stay where they can be seen and clicked.
TEST_F(GtkPresenterTest, theLongestTitleLeavesTheBarItemsInSight)
{
    auto named = std::make_shared<Editor>();
    named->loadViewIfNeeded();
    named->setTitle(toUtf16("Lantern" + std::string(244, 'n')));
    auto shown = std::make_shared<Window>(makeRect(0, 0, 1000, 700));
    shown->setRootViewController(NavigationController::withRootViewController(named));
    shown->makeKeyAndVisible();
    GtkPresenter::processPendingEvents();
    GtkWidget* toplevel = presenter->widgetForWindow(*shown);
    ASSERT_NE(toplevel, nullptr);
    GtkWidget* share = presenter->widgetForBarButtonItem(*named->share);
    ASSERT_NE(share, nullptr);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(share); }, 10));
    GtkPresenter::processPendingEvents();
    for (const auto& item : {named->close, named->undo, named->share}) {
        GtkWidget* button = presenter->widgetForBarButtonItem(*item);
        ASSERT_NE(button, nullptr);
        // The items of a side scroll inside it when they do not fit: what
        // shows is the side's own width.
        GtkWidget* side = gtk_widget_get_ancestor(button, GTK_TYPE_SCROLLED_WINDOW);
        ASSERT_NE(side, nullptr);
        int x = 0;
        int y = 0;
        ASSERT_TRUE(gtk_widget_translate_coordinates(button, side, 0, 0, &x, &y));
        EXPECT_LE(x + gtk_widget_get_allocated_width(button), gtk_widget_get_allocated_width(side))
            << toUtf8(item->title()) << " is out of sight";
    }
    EXPECT_STREQ(gtk_header_bar_get_title(GTK_HEADER_BAR(presenter->headerBarForWindow(*shown))),
                 ("Lantern" + std::string(244, 'n')).c_str());
    shown->close();
    GtkPresenter::processPendingEvents();
}

TEST_F(GtkPresenterTest, alertBecomesADialogWhoseButtonsAnswerInTheModel)
{
    auto alert = AlertController::make(u"Insert Link", u"Enter the address");
    alert->addTextField([](TextField& field) { field.setPlaceholder(u"https://"); });
    std::u16string inserted;
    std::weak_ptr<AlertController> weak = alert;
    alert->addAction(AlertAction::make(u"Cancel", AlertActionStyle::Cancel));
    alert->addAction(AlertAction::make(u"Insert", AlertActionStyle::Default, [&](AlertAction&) {
        inserted = weak.lock()->textFields().front()->text();
    }));
    ASSERT_TRUE(editor->presentViewController(alert, true).ok());
    GtkPresenter::processPendingEvents();

    GtkWidget* dialog = presenter->widgetForController(*alert);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(GTK_IS_DIALOG(dialog));
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog)), "Insert Link");
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(dialog)), GTK_WINDOW(presenter->widgetForWindow(*window)));
    EXPECT_TRUE(contains(labelTexts(dialog), "Enter the address"));
    auto entries = descendants(dialog, GTK_TYPE_ENTRY);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_STREQ(gtk_entry_get_placeholder_text(GTK_ENTRY(entries[0])), "https://");

    gtk_entry_set_text(GTK_ENTRY(entries[0]), "https://example.org");
    GtkWidget* insert = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), 1);
    ASSERT_NE(insert, nullptr);
    EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(insert)), "Insert");
    gtk_button_clicked(GTK_BUTTON(insert));
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(inserted, u"https://example.org");
    EXPECT_EQ(presenter->widgetForController(*alert), nullptr);
    EXPECT_EQ(navigation->presentedViewController(), nullptr);
}

// A long message wraps at a readable measure, and the dialog stands no
// taller than its lines and its button need.
TEST_F(GtkPresenterTest, anAlertWithALongMessageIsAsTallAsItsText)
{
    std::u16string message;
    for (int sentence = 0; sentence < 4; ++sentence)
        message += u"The document has been converted and copied for pasting into other programs. ";
    auto alert = AlertController::make(u"Copy", message);
    alert->addAction(AlertAction::make(u"OK", AlertActionStyle::Default));
    ASSERT_TRUE(editor->presentViewController(alert, true).ok());
    GtkPresenter::processPendingEvents();
    GtkWidget* dialog = presenter->widgetForController(*alert);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(dialog); }, 10));
    GtkPresenter::processPendingEvents();
    GtkWidget* text = nullptr;
    for (GtkWidget* label : descendants(dialog, GTK_TYPE_LABEL)) {
        if (std::string(gtk_label_get_text(GTK_LABEL(label))).rfind("The document", 0) == 0)
            text = label;
    }
    ASSERT_NE(text, nullptr);
    const int lines = pango_layout_get_line_count(gtk_label_get_layout(GTK_LABEL(text)));
    EXPECT_GE(lines, 4) << "the message wraps";
    EXPECT_LE(lines, 8) << "at a readable measure, not a few letters to a line";
    EXPECT_LT(gtk_widget_get_allocated_height(dialog), gtk_widget_get_allocated_height(text) + 150);
    alert->dismissViewControllerAnimated(false);
    GtkPresenter::processPendingEvents();
}

TEST_F(GtkPresenterTest, anImageViewShowsItsPictureAtTheViewsSizeAsItsModeSays)
{
    // A 200 x 200 picture, red on the left half and blue on the right.
    std::vector<std::uint8_t> pixels(200 * 200 * 4);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            std::uint8_t* pixel = &pixels[(y * 200 + x) * 4];
            pixel[0] = x < 100 ? 255 : 0;
            pixel[2] = x < 100 ? 0 : 255;
            pixel[3] = 255;
        }
    Result<Image::Pointer> picture = Image::imageWithPixels(200, 200, pixels);
    ASSERT_TRUE(picture);
    auto stretched = std::make_shared<ImageView>(*picture, makeRect(10, 10, 120, 60));
    auto fitted = std::make_shared<ImageView>(*picture, makeRect(200, 10, 120, 60));
    fitted->setContentMode(ContentMode::ScaleAspectFit);
    auto natural = std::make_shared<ImageView>(*picture, Rect{});
    editor->view()->addSubview(stretched);
    editor->view()->addSubview(fitted);
    editor->view()->addSubview(natural);
    GtkPresenter::processPendingEvents();
    auto shownSize = [&](const ImageView& view) {
        GtkWidget* widget = presenter->widgetForView(view);
        EXPECT_TRUE(widget && GTK_IS_IMAGE(widget));
        cairo_surface_t* surface = nullptr;
        if (widget && GTK_IS_IMAGE(widget) && gtk_image_get_storage_type(GTK_IMAGE(widget)) == GTK_IMAGE_SURFACE)
            g_object_get(widget, "surface", &surface, nullptr);
        std::pair<int, int> size{0, 0};
        if (surface) {
            size = {cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface)};
            cairo_surface_destroy(surface);
        }
        return size;
    };
    EXPECT_EQ(shownSize(*stretched), (std::pair<int, int>{120, 60}));
    EXPECT_EQ(shownSize(*fitted), (std::pair<int, int>{120, 60}));
    EXPECT_EQ(shownSize(*natural), (std::pair<int, int>{200, 200}));
}

TEST_F(GtkPresenterTest, aPopoverFromAViewNoWidgetShowsPointsWhereThatViewLies)
{
    // A mark placed on a picture: the picture shows as one widget, the mark as none.
    Result<Image::Pointer> picture = Image::imageWithPixels(200, 200, std::vector<std::uint8_t>(200 * 200 * 4, 255));
    ASSERT_TRUE(picture);
    auto photo = std::make_shared<ImageView>(*picture, makeRect(100, 80, 200, 200));
    auto mark = std::make_shared<View>(makeRect(30, 40, 10, 10));
    photo->addSubview(mark);
    editor->view()->addSubview(photo);
    GtkPresenter::processPendingEvents();
    ASSERT_EQ(presenter->widgetForView(*mark), nullptr);
    GtkWidget* photoWidget = presenter->widgetForView(*photo);
    ASSERT_NE(photoWidget, nullptr);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_allocated_width(photoWidget) > 1; }, 10));

    auto picker = std::make_shared<FontSizes>();
    picker->setModalPresentationStyle(ModalPresentationStyle::Popover);
    picker->popoverPresentationController()->setSourceView(mark);
    picker->popoverPresentationController()->setSourceRect(makeRect(0, 0, 10, 10));
    ASSERT_TRUE(editor->presentViewController(picker, true).ok());
    GtkPresenter::processPendingEvents();
    GtkWidget* popover = presenter->widgetForController(*picker);
    ASSERT_TRUE(popover && GTK_IS_POPOVER(popover));
    GdkRectangle pointing{};
    ASSERT_TRUE(gtk_popover_get_pointing_to(GTK_POPOVER(popover), &pointing));
    int expectedX = 0;
    int expectedY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(photoWidget, gtk_popover_get_relative_to(GTK_POPOVER(popover)), 30, 40,
                                                 &expectedX, &expectedY));
    EXPECT_EQ(pointing.x, expectedX);
    EXPECT_EQ(pointing.y, expectedY);
    EXPECT_EQ(pointing.width, 10);
    picker->dismissViewControllerAnimated(false);
    GtkPresenter::processPendingEvents();
}

// A save that failed names the file: a path of the longest name has no
// space to wrap at, yet the alert fits on the screen, its button on it.
TEST_F(GtkPresenterTest, anAlertNamingALongPathFitsOnTheScreen)
{
    const std::string path = "/home/someone/Documents/" + std::string(251, 'W') + ".rtf";
    auto alert = AlertController::make(u"The Document Could Not Be Saved",
                                       toUtf16("Cannot write " + path + ": File name too long"));
    alert->addAction(AlertAction::make(u"OK", AlertActionStyle::Default));
    ASSERT_TRUE(editor->presentViewController(alert, true).ok());
    GtkPresenter::processPendingEvents();
    GtkWidget* dialog = presenter->widgetForController(*alert);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(dialog); }, 10));
    GtkPresenter::processPendingEvents();
    GdkRectangle screen {};
    GdkDisplay* display = gtk_widget_get_display(dialog);
    gdk_monitor_get_geometry(gdk_display_get_monitor_at_window(display, gtk_widget_get_window(dialog)), &screen);
    GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), 0);
    ASSERT_NE(ok, nullptr);
    int left = 0;
    int top = 0;
    gdk_window_get_origin(gtk_widget_get_window(dialog), &left, &top);
    int buttonX = 0;
    int buttonY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(ok, dialog, 0, 0, &buttonX, &buttonY));
    EXPECT_LE(gtk_widget_get_allocated_width(dialog), screen.width);
    EXPECT_GE(left + buttonX, screen.x);
    EXPECT_LE(left + buttonX + gtk_widget_get_allocated_width(ok), screen.x + screen.width) << "the OK button is off the screen";
    EXPECT_LE(top + buttonY + gtk_widget_get_allocated_height(ok), screen.y + screen.height);
    bool wholePath = false;
    for (GtkWidget* label : descendants(dialog, GTK_TYPE_LABEL))
        wholePath = wholePath || std::string(gtk_label_get_text(GTK_LABEL(label))).find(path) != std::string::npos;
    EXPECT_TRUE(wholePath) << "the path is shown whole";
    alert->dismissViewControllerAnimated(false);
    GtkPresenter::processPendingEvents();
}

TEST_F(GtkPresenterTest, popoverAtABarItemShowsItsTableAndRowsPickInTheModel)
{
    auto picker = std::make_shared<FontSizes>();
    picker->setModalPresentationStyle(ModalPresentationStyle::Popover);
    picker->popoverPresentationController()->setBarButtonItem(editor->share);
    ASSERT_TRUE(editor->presentViewController(picker, true).ok());
    GtkPresenter::processPendingEvents();

    GtkWidget* popover = presenter->widgetForController(*picker);
    ASSERT_NE(popover, nullptr);
    ASSERT_TRUE(GTK_IS_POPOVER(popover));
    EXPECT_EQ(gtk_popover_get_relative_to(GTK_POPOVER(popover)), presenter->widgetForBarButtonItem(*editor->share));
    GtkWidget* list = presenter->listBoxForTableView(*picker->tableView());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(labelTexts(list), (std::vector<std::string>{"12", "18", "24"}));

    GtkListBoxRow* row = gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), 1);
    // A click selects the row in the list, then activates it.
    gtk_list_box_select_row(GTK_LIST_BOX(list), row);
    g_signal_emit_by_name(list, "row-activated", row);
    EXPECT_EQ(picker->picked, (std::vector<std::size_t>{1}));
    // A list that shows a chosen row lets rows be chosen; one its controller
    // lets go of at once does not stay drawn as chosen.
    picker->deselectsOnTap = true;
    picker->tableView()->selectRowAtIndexPath({0, 0});
    picker->tableView()->reloadData();
    GtkPresenter::processPendingEvents();
    GtkListBoxRow* command = gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), 2);
    gtk_list_box_select_row(GTK_LIST_BOX(list), command);
    g_signal_emit_by_name(list, "row-activated", command);
    EXPECT_EQ(picker->picked, (std::vector<std::size_t>{1, 2}));
    EXPECT_FALSE(gtk_list_box_row_is_selected(command)) << "a row its controller let go of stays highlighted";

    picker->sizes.push_back(u"36");
    picker->tableView()->reloadData();
    EXPECT_EQ(labelTexts(list).size(), 4u);

    // The user clicking outside closes the popover through the model.
    gtk_popover_popdown(GTK_POPOVER(popover));
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(navigation->presentedViewController(), nullptr);
    EXPECT_EQ(presenter->widgetForController(*picker), nullptr);
}

TEST_F(GtkPresenterTest, aBarItemTurningOnOrOffLeavesAPopoverAtTheBarOpen)
{
    auto picker = std::make_shared<FontSizes>();
    picker->setModalPresentationStyle(ModalPresentationStyle::Popover);
    picker->popoverPresentationController()->setBarButtonItem(editor->share);
    ASSERT_TRUE(editor->presentViewController(picker, true).ok());
    GtkPresenter::processPendingEvents();
    GtkWidget* share = presenter->widgetForBarButtonItem(*editor->share);
    GtkWidget* undo = presenter->widgetForBarButtonItem(*editor->undo);
    ASSERT_NE(undo, nullptr);

    // The editor's undo item follows the page while the user works in a popover.
    editor->undo->setEnabled(false);
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(presenter->widgetForBarButtonItem(*editor->undo), undo) << "changed in place, not rebuilt";
    EXPECT_FALSE(gtk_widget_get_sensitive(undo));
    EXPECT_EQ(presenter->widgetForBarButtonItem(*editor->share), share);
    EXPECT_EQ(navigation->presentedViewController(), picker);
    ASSERT_NE(presenter->widgetForController(*picker), nullptr);
    EXPECT_TRUE(gtk_widget_get_visible(presenter->widgetForController(*picker)));
    editor->undo->setEnabled(true);
    GtkPresenter::processPendingEvents();
    EXPECT_TRUE(gtk_widget_get_sensitive(undo));
    EXPECT_EQ(navigation->presentedViewController(), picker);
}

TEST_F(GtkPresenterTest, aListPushedInsideAPopoverShowsThereWithAWayBack)
{
    auto first = std::make_shared<FontSizes>();
    auto panel = NavigationController::withRootViewController(first);
    panel->setModalPresentationStyle(ModalPresentationStyle::Popover);
    panel->popoverPresentationController()->setBarButtonItem(editor->share);
    ASSERT_TRUE(editor->presentViewController(panel, true).ok());
    GtkPresenter::processPendingEvents();
    GtkWidget* popover = presenter->widgetForController(*panel);
    ASSERT_NE(popover, nullptr);
    EXPECT_FALSE(contains(labelTexts(popover), "Back")) << "nothing to go back to";

    auto second = std::make_shared<FontSizes>();
    second->sizes = {u"36", u"48"};
    panel->pushViewController(second, true);
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(presenter->widgetForController(*panel), popover) << "the same popover, new content";
    auto labels = labelTexts(popover);
    EXPECT_TRUE(contains(labels, "36"));
    EXPECT_FALSE(contains(labels, "12"));
    auto buttons = descendants(popover, GTK_TYPE_BUTTON);
    GtkWidget* back = nullptr;
    for (GtkWidget* button : buttons) {
        if (const gchar* label = gtk_button_get_label(GTK_BUTTON(button)); label && std::string(label) == "Back")
            back = button;
    }
    ASSERT_NE(back, nullptr);
    gtk_button_clicked(GTK_BUTTON(back));
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(panel->topViewController(), first);
    EXPECT_TRUE(contains(labelTexts(presenter->widgetForController(*panel)), "12"));
}

TEST_F(GtkPresenterTest, barItemMenuOpensAPopoverWhoseButtonsRunTheActions)
{
    std::vector<std::string> picked;
    auto pdf = Action::make(u"PDF", "", [&](Action&) { picked.push_back("pdf"); });
    auto epub = Action::make(u"ePub", "", [&](Action&) { picked.push_back("epub"); });
    epub->setDisabled(true);
    editor->share->setMenu(Menu::make(u"", {pdf, epub}));
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(editor->share->tap());
    GtkWidget* menu = presenter->menuPopover();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(gtk_popover_get_relative_to(GTK_POPOVER(menu)), presenter->widgetForBarButtonItem(*editor->share));
    auto buttons = descendants(menu, GTK_TYPE_BUTTON);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_FALSE(gtk_widget_get_sensitive(buttons[1]));
    gtk_button_clicked(GTK_BUTTON(buttons[0]));
    EXPECT_EQ(picked, (std::vector<std::string>{"pdf"}));
}

// A group of the menu with nothing in it draws no separator: only the group
// with rows is set apart.
TEST_F(GtkPresenterTest, anEmptyGroupOfABarItemMenuShowsNoSeparator)
{
    auto print = Action::make(u"Print", "", [](Action&) {});
    auto mail = Action::make(u"Mail", "", [](Action&) {});
    editor->share->setMenu(Menu::make(u"", {print, Menu::make(u"", {}), Menu::make(u"", {mail}), Menu::make(u"", {})}));
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(editor->share->tap());
    GtkWidget* menu = presenter->menuPopover();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(descendants(menu, GTK_TYPE_BUTTON).size(), 2u);
    EXPECT_EQ(descendants(menu, GTK_TYPE_SEPARATOR).size(), 1u);
}

TEST_F(GtkPresenterTest, pasteboardReadsAndWritesTheSystemClipboard)
{
    Pasteboard& pasteboard = Pasteboard::general();
    pasteboard.setString(u"Caf\u00e9");
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    gchar* text = gtk_clipboard_wait_for_text(clipboard);
    EXPECT_STREQ(text, "Caf\xC3\xA9");
    g_free(text);

    long before = pasteboard.changeCount();
    gtk_clipboard_set_text(clipboard, "from elsewhere", -1);
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(pasteboard.string(), u"from elsewhere");
    EXPECT_GT(pasteboard.changeCount(), before);
}

TEST_F(GtkPresenterTest, closingTheWindowInTheModelTakesItOffScreen)
{
    window->close();
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(presenter->widgetForWindow(*window), nullptr);
    EXPECT_EQ(presenter->widgetForBarButtonItem(*editor->undo), nullptr);
    EXPECT_FALSE(editor->isVisible());
}

// Stands for the web view: a controller whose view carries a native widget
// that someone else owns.
class NativeHost : public ViewController {
public:
    explicit NativeHost(GtkWidget* widget) : m_widget(widget) {}

protected:
    void loadView() override
    {
        auto view = std::make_shared<View>(makeRect(0, 0, 400, 300));
        view->setNativeWidgetHandle(m_widget);
        setView(view);
    }

private:
    GtkWidget* m_widget;
};

TEST_F(GtkPresenterTest, nativeWidgetsAreEmbeddedAndSurviveTheirWindow)
{
    GtkWidget* native = gtk_label_new("page");
    g_object_ref_sink(native);
    auto host = std::make_shared<NativeHost>(native);
    navigation->pushViewController(host, false);
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(gtk_widget_get_toplevel(native), presenter->widgetForWindow(*window));

    // Going back rebuilds the window's content; the native widget is let go, not destroyed.
    navigation->popViewControllerAnimated(false);
    EXPECT_EQ(gtk_widget_get_parent(native), nullptr);
    navigation->pushViewController(host, false);
    EXPECT_EQ(gtk_widget_get_toplevel(native), presenter->widgetForWindow(*window));
    window->close();
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(gtk_widget_get_parent(native), nullptr);
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(native)), "page");
    g_object_unref(native);
}

} // namespace
} // namespace folio
