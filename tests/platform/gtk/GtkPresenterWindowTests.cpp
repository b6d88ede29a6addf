#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using test::descendants;

// A controller with a text field, a key command of its own and a saving
// spinner in its bar, as the editors have.
class WindowEditor : public ViewController {
public:
    int commandsRun = 0;
    std::shared_ptr<TextField> field = std::make_shared<TextField>(makeRect(10, 10, 200, 30));
    std::shared_ptr<ActivityIndicatorView> spinner = std::make_shared<ActivityIndicatorView>();
    std::shared_ptr<BarButtonItem> share = BarButtonItem::withTitle(u"Share", nullptr);

    std::vector<std::shared_ptr<KeyCommand>> keyCommands() const override
    {
        auto* self = const_cast<WindowEditor*>(this);
        return {KeyCommand::make("k", KeyModifierCommand, u"Link", [self](KeyCommand&) { ++self->commandsRun; })};
    }

protected:
    void loadView() override
    {
        auto view = std::make_shared<View>(makeRect(0, 0, 600, 400));
        view->addSubview(field);
        setView(view);
    }
    void viewDidLoad() override
    {
        setTitle(u"Notes.rtf");
        navigationItem()->setRightBarButtonItems({share, BarButtonItem::withCustomView(spinner)});
    }
};

// A page-like controller: one native widget as large as its view.
class WindowNativeHost : public ViewController {
public:
    WindowNativeHost(GtkWidget* widget, Size size) : m_widget(widget), m_size(size) {}

protected:
    void loadView() override
    {
        auto view = std::make_shared<View>(Rect{{0, 0}, m_size});
        view->setNativeWidgetHandle(m_widget);
        setView(view);
    }

private:
    GtkWidget* m_widget;
    Size m_size;
};

// An editor whose key row runs along the bottom of its page, as the
// rich-text editor's does, with a key that opens a panel.
class KeyRowEditor : public ViewController {
public:
    std::shared_ptr<BarContainerView> container = std::make_shared<BarContainerView>(makeRect(0, 0, 600, 400));
    std::shared_ptr<View> row = std::make_shared<View>(makeRect(0, 0, 600, 44));
    std::shared_ptr<Button> paintbrush = std::make_shared<Button>(makeRect(200, 4, 60, 36));

protected:
    void loadView() override
    {
        paintbrush->setTitle(u"Style");
        row->addSubview(paintbrush);
        container->setContentView(std::make_shared<View>(makeRect(0, 0, 600, 356)));
        container->setBars(BarContainerView::Edge::Bottom, {row});
        setView(container);
    }
};

class WindowPanel : public ViewController {
public:
    // Too narrow for its title: the whole title shows in its tooltip.
    std::shared_ptr<Button> insert = std::make_shared<Button>(makeRect(10, 10, 60, 32));

protected:
    void loadView() override
    {
        auto view = std::make_shared<View>(makeRect(0, 0, 200, 120));
        insert->setTitle(u"Insert Markers and Symbols");
        view->addSubview(insert);
        setView(view);
    }
};

// The tooltip shown on the display, if one is.
GtkWidget* shownTooltip()
{
    GtkWidget* shown = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item; item = item->next) {
        auto* window = GTK_WIDGET(item->data);
        if (std::string(G_OBJECT_TYPE_NAME(window)) == "GtkTooltipWindow" && gtk_widget_get_mapped(window))
            shown = window;
    }
    g_list_free(windows);
    return shown;
}

class GtkPresenterWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::usePrivateDisplay();
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(created.value());
    }
    void TearDown() override
    {
        if (window)
            window->close();
        presenter.reset();
        GtkPresenter::processPendingEvents();
    }
    GtkWidget* show(std::shared_ptr<ViewController> root, Rect frame)
    {
        window = std::make_shared<Window>(frame);
        window->setRootViewController(std::move(root));
        window->makeKeyAndVisible();
        GtkPresenter::processPendingEvents();
        return presenter->widgetForWindow(*window);
    }
    static GdkRectangle workArea(GtkWidget* toplevel)
    {
        GdkRectangle area{};
        GdkDisplay* display = gtk_widget_get_display(toplevel);
        gdk_monitor_get_workarea(gdk_display_get_monitor_at_window(display, gtk_widget_get_window(toplevel)), &area);
        return area;
    }
    static bool spinnerShown(GtkWidget* spinner)
    {
        gboolean active = FALSE;
        g_object_get(spinner, "active", &active, nullptr);
        return gtk_widget_get_visible(spinner) && active;
    }

    std::unique_ptr<GtkPresenter> presenter;
    std::shared_ptr<Window> window;
};

TEST_F(GtkPresenterWindowTest, realKeyPressesRunTheShownControllersCommandsButATextFieldKeepsItsKeys)
{
    auto editor = std::make_shared<WindowEditor>();
    GtkWidget* toplevel = show(NavigationController::withRootViewController(editor), makeRect(0, 0, 600, 400));
    ASSERT_TRUE(toplevel);
    gtk_window_set_focus(GTK_WINDOW(toplevel), nullptr);
    ASSERT_TRUE(test::focusWindow(toplevel));

    ASSERT_TRUE(test::pressKeys("ctrl+k"));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return editor->commandsRun == 1; }, 20));
    // Keys without a command, and the modifier's other combinations, are not taken.
    ASSERT_TRUE(test::pressKeys("ctrl+j"));
    ASSERT_TRUE(test::pressKeys("k"));

    auto entries = descendants(toplevel, GTK_TYPE_ENTRY);
    ASSERT_EQ(entries.size(), 1u);
    gtk_widget_grab_focus(entries.front());
    ASSERT_TRUE(test::pressKeys("ctrl+k"));
    ASSERT_TRUE(test::typeText("ab"));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return editor->field->text() == u"ab"; }, 20));
    EXPECT_EQ(editor->commandsRun, 1);
}

TEST_F(GtkPresenterWindowTest, theSavingSpinnerShowsOnlyWhileItTurnsThroughHeaderRebuilds)
{
    auto editor = std::make_shared<WindowEditor>();
    GtkWidget* toplevel = show(NavigationController::withRootViewController(editor), makeRect(0, 0, 600, 400));
    ASSERT_TRUE(toplevel);
    auto spinnerWidget = [&] {
        auto spinners = descendants(presenter->headerBarForWindow(*window), GTK_TYPE_SPINNER);
        return spinners.size() == 1 ? spinners.front() : nullptr;
    };
    ASSERT_TRUE(spinnerWidget());
    EXPECT_FALSE(gtk_widget_get_visible(spinnerWidget())) << "a stopped spinner shows before any save";

    // A save as the application controller runs it: the bar's items are
    // disabled (the header is made again), the spinner turns; then the items
    // come back (made again while it still turns) and it stops.
    editor->share->setEnabled(false);
    editor->spinner->startAnimating();
    GtkPresenter::processPendingEvents();
    EXPECT_TRUE(spinnerShown(spinnerWidget()));
    editor->share->setEnabled(true);
    EXPECT_TRUE(spinnerShown(spinnerWidget()));
    editor->spinner->stopAnimating();
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(spinnerWidget());
    EXPECT_FALSE(gtk_widget_get_visible(spinnerWidget()));
    // Nor does a later rebuild bring it back.
    editor->setTitle(u"Renamed.rtf");
    GtkPresenter::processPendingEvents();
    EXPECT_FALSE(gtk_widget_get_visible(spinnerWidget()));
}

TEST_F(GtkPresenterWindowTest, windowsFitTheScreensWorkAreaWhateverSizeTheirModelAsks)
{
    GtkWidget* page = gtk_label_new("page");
    g_object_ref_sink(page);
    // A page made 2600 points tall, and a window asked for 3000.
    auto host = std::make_shared<WindowNativeHost>(page, Size{700, 2600});
    GtkWidget* toplevel = show(NavigationController::withRootViewController(host), makeRect(0, 0, 900, 3000));
    ASSERT_TRUE(toplevel);
    GdkRectangle area = workArea(toplevel);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(toplevel); }, 20));
    GtkPresenter::processPendingEvents();
    int width = 0;
    int height = 0;
    gtk_window_get_size(GTK_WINDOW(toplevel), &width, &height);
    GtkAllocation allocation;
    gtk_widget_get_allocation(toplevel, &allocation);
    EXPECT_LE(height, area.height);
    EXPECT_LE(allocation.height, area.height);
    EXPECT_LE(allocation.width, area.width);
    // The page fills what there is.
    EXPECT_GT(gtk_widget_get_allocated_height(page), area.height / 2);
    window->close();
    window.reset();
    g_object_unref(page);
}

TEST_F(GtkPresenterWindowTest, aPanelFromAKeyOfTheRowStaysOpenWhenTheRowIsMadeAgain)
{
    auto editor = std::make_shared<KeyRowEditor>();
    GtkWidget* toplevel = show(NavigationController::withRootViewController(editor), makeRect(0, 0, 600, 400));
    ASSERT_TRUE(toplevel);
    auto panel = std::make_shared<WindowPanel>();
    panel->setModalPresentationStyle(ModalPresentationStyle::Popover);
    panel->popoverPresentationController()->setSourceView(editor->paintbrush);
    panel->popoverPresentationController()->setSourceRect(editor->paintbrush->bounds());
    editor->presentViewController(panel, true);
    GtkWidget* popover = presenter->widgetForController(*panel);
    ASSERT_TRUE(popover && GTK_IS_POPOVER(popover));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(popover); }, 20));
    GtkWidget* keyBefore = presenter->widgetForView(*editor->paintbrush);
    EXPECT_EQ(gtk_popover_get_relative_to(GTK_POPOVER(popover)), keyBefore);
    g_object_add_weak_pointer(G_OBJECT(keyBefore), reinterpret_cast<gpointer*>(&keyBefore));

    // The editor makes its key row again (a resize, a page message).
    editor->container->reloadBars();
    GtkPresenter::processPendingEvents();
    GtkWidget* keyAfter = presenter->widgetForView(*editor->paintbrush);
    ASSERT_TRUE(keyAfter);
    EXPECT_EQ(keyBefore, nullptr) << "the row was not made again";
    ASSERT_EQ(presenter->widgetForController(*panel), popover);
    EXPECT_TRUE(gtk_widget_get_mapped(popover));
    EXPECT_EQ(gtk_popover_get_relative_to(GTK_POPOVER(popover)), keyAfter);
    EXPECT_EQ(editor->presentedViewController(), panel);
    // Still beside its key: once the new row is laid out, the popover stands
    // above the key's new widget.
    GtkWidget* inside = gtk_bin_get_child(GTK_BIN(popover));
    int keyX = 0;
    int keyY = 0;
    int popoverX = 0;
    int popoverY = 0;
    auto besideItsKey = [&] {
        GtkPresenter::processPendingEvents();
        gtk_widget_translate_coordinates(keyAfter, toplevel, 0, 0, &keyX, &keyY);
        gtk_widget_translate_coordinates(inside, toplevel, 0, 0, &popoverX, &popoverY);
        return keyY > 0 && popoverY < keyY
            && std::abs(popoverX + gtk_widget_get_allocated_width(inside) / 2 - (keyX + 30)) < 40;
    };
    EXPECT_TRUE(RunLoop::main().runUntil(besideItsKey, 20)) << popoverX << "," << popoverY << " key " << keyX << "," << keyY;
}

TEST_F(GtkPresenterWindowTest, aKeysTooltipGoesWhenThePanelItOpenedCloses)
{
    auto editor = std::make_shared<KeyRowEditor>();
    GtkWidget* toplevel = show(NavigationController::withRootViewController(editor), makeRect(0, 0, 600, 400));
    ASSERT_TRUE(toplevel);
    // A key whose title is cut short shows it whole in its tooltip.
    editor->paintbrush->setTitle(u"Paintbrush and Styles");
    GtkWidget* key = presenter->widgetForView(*editor->paintbrush);
    ASSERT_TRUE(key && gtk_widget_get_has_tooltip(key));
    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::movePointerOver(key));
    // A person's hand rests with a little movement, which is what GTK waits on.
    ASSERT_TRUE(test::runXdotool({"mousemove_relative", "--sync", "1", "1"}));
    ASSERT_TRUE(RunLoop::main().runUntil([] { return shownTooltip() != nullptr; }, 20)) << "no tooltip came";

    // The key's panel opens, as a click on it would open it, and closes.
    auto panel = std::make_shared<WindowPanel>();
    panel->setModalPresentationStyle(ModalPresentationStyle::Popover);
    panel->popoverPresentationController()->setSourceView(editor->paintbrush);
    editor->presentViewController(panel, true);
    GtkWidget* popover = presenter->widgetForController(*panel);
    ASSERT_TRUE(popover);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(popover); }, 20));
    panel->dismissViewControllerAnimated(true);
    EXPECT_TRUE(RunLoop::main().runUntil([] { return shownTooltip() == nullptr; }, 5)) << "the tooltip stayed";
    // The key keeps its tooltip for the pointer's next visit.
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_has_tooltip(key); }, 5));
}

} // namespace
} // namespace folio
