#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Action.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

using test::descendants;

constexpr double kWaitSeconds = 20;

// A view that draws itself red, with whatever subviews it is given.
class RedSwatch : public View {
public:
    using View::View;
    bool drawsOwnContent() const override { return true; }
    void drawRect(GraphicsContext& context, const Rect&) override
    {
        context.setFillColor(Color::colorWithRed(1, 0, 0));
        context.fillRect(Rect{{0, 0}, bounds().size});
    }
};

// A bar along the bottom with a button whose menu is its primary action,
// a text field, and a word-counter label; it records the sizes it is told
// about and makes a link button for itself when it is laid out.
class Panel : public ViewController, public TextFieldDelegate {
public:
    std::shared_ptr<Button> alignment = std::make_shared<Button>(makeRect(20, 350, 90, 30));
    std::shared_ptr<TextField> name = std::make_shared<TextField>(makeRect(20, 20, 200, 30));
    std::shared_ptr<TextField> other = std::make_shared<TextField>(makeRect(20, 60, 200, 30));
    std::shared_ptr<Label> counter = std::make_shared<Label>(makeRect(300, 20, 200, 24));
    std::shared_ptr<RedSwatch> drawing = std::make_shared<RedSwatch>(makeRect(300, 100, 200, 100));
    std::shared_ptr<Button> link = std::make_shared<Button>(makeRect(10, 10, 120, 30));
    std::vector<Size> sizes;
    std::u16string ended;
    int chosen = 0;

    void textFieldDidEndEditing(TextField& field) override { ended = field.text(); }
    void viewWillTransitionToSize(Size size) override { sizes.push_back(size); }

protected:
    void loadView() override
    {
        // In a bar container, as the editors' views are, so that the window
        // can be made smaller than the content was made.
        auto container = std::make_shared<BarContainerView>(makeRect(0, 0, 600, 400));
        auto view = std::make_shared<View>(makeRect(0, 0, 600, 400));
        container->setContentView(view);
        alignment->setTitle(u"Align");
        alignment->setMenu(Menu::make(u"", {Action::make(u"Centre", "", [this](Action&) { ++chosen; }),
                                            Action::make(u"Justify", "", [this](Action&) { ++chosen; })}));
        alignment->setShowsMenuAsPrimaryAction(true);
        link->setTitle(u"Open the link");
        drawing->addSubview(link);
        for (const auto& field : {name, other})
            field->setDelegate(std::static_pointer_cast<TextFieldDelegate>(std::dynamic_pointer_cast<Panel>(shared_from_this())));
        for (const std::shared_ptr<View>& subview : std::vector<std::shared_ptr<View>>{alignment, name, other, counter, drawing})
            view->addSubview(subview);
        setView(container);
    }
};

// A panel far taller than any window, red along its top.
class TallPanel : public ViewController {
protected:
    void loadView() override
    {
        auto view = std::make_shared<View>(makeRect(0, 0, 300, 2400));
        view->addSubview(std::make_shared<RedSwatch>(makeRect(0, 0, 300, 60)));
        setView(view);
        setPreferredContentSize(Size{300, 2400});
    }
};

class GtkPresenterPlacementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::usePrivateDisplay();
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(created.value());
        window = std::make_shared<Window>(makeRect(0, 0, 600, 400));
        window->setRootViewController(NavigationController::withRootViewController(panel));
        window->makeKeyAndVisible();
        toplevel = presenter->widgetForWindow(*window);
        ASSERT_TRUE(toplevel);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(toplevel); }, kWaitSeconds));
        GtkPresenter::processPendingEvents();
    }
    void TearDown() override
    {
        if (window)
            window->close();
        presenter.reset();
        GtkPresenter::processPendingEvents();
    }
    GtkWidget* shown(const View& view) const { return presenter->widgetForView(view); }
    // The widget showing the view once GTK has placed it (a rebuilt window
    // places its new widgets on a later turn).
    GtkWidget* placed(const View& view) const
    {
        GtkWidget* widget = nullptr;
        RunLoop::main().runUntil(
            [&] {
                widget = shown(view);
                GtkAllocation allocation{-1, -1, 0, 0};
                if (widget)
                    gtk_widget_get_allocation(widget, &allocation);
                return widget && gtk_widget_get_mapped(widget) && allocation.x >= 0 && allocation.width > 1;
            },
            kWaitSeconds);
        return widget;
    }
    // Waits until the popover is on screen at full strength: it fades in.
    static bool settled(GtkWidget* popover)
    {
        return RunLoop::main().runUntil(
            [&] {
                return gtk_widget_get_mapped(popover) && gtk_widget_get_opacity(popover) >= 1.0
                    && gtk_widget_get_allocated_height(popover) > 1;
            },
            kWaitSeconds);
    }
    // The widget's rectangle in the window's coordinates.
    GdkRectangle placeInWindow(GtkWidget* widget) const
    {
        GdkRectangle place{0, 0, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget)};
        gtk_widget_translate_coordinates(widget, toplevel, 0, 0, &place.x, &place.y);
        return place;
    }
    bool insideWindow(const GdkRectangle& place) const
    {
        return place.x >= 0 && place.y >= 0 && place.x + place.width <= gtk_widget_get_allocated_width(toplevel)
            && place.y + place.height <= gtk_widget_get_allocated_height(toplevel);
    }
    GtkWidget* buttonLabelled(GtkWidget* root, const std::string& title) const
    {
        for (GtkWidget* button : descendants(root, GTK_TYPE_BUTTON)) {
            const char* label = gtk_button_get_label(GTK_BUTTON(button));
            if (label && title == label)
                return button;
        }
        return nullptr;
    }

    std::shared_ptr<Panel> panel = std::make_shared<Panel>();
    std::unique_ptr<GtkPresenter> presenter;
    std::shared_ptr<Window> window;
    GtkWidget* toplevel = nullptr;
};

TEST_F(GtkPresenterPlacementTest, aButtonsMenuOpensBesideItInsideTheWindowAndGivesTheKeyboardBack)
{
    ASSERT_TRUE(test::focusWindow(toplevel));
    GtkWidget* button = shown(*panel->alignment);
    ASSERT_TRUE(button);
    ASSERT_TRUE(test::clickWidget(button));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return presenter->menuPopover(); }, kWaitSeconds));
    ASSERT_TRUE(settled(presenter->menuPopover()));
    GtkWidget* centre = buttonLabelled(presenter->menuPopover(), "Centre");
    ASSERT_TRUE(centre);
    GdkRectangle item = placeInWindow(centre);
    GdkRectangle anchor = placeInWindow(button);
    EXPECT_TRUE(insideWindow(item)) << item.x << "," << item.y;
    // Beside its button: above it, as the bar is at the bottom, and within reach.
    EXPECT_LT(item.y, anchor.y);
    EXPECT_LT(anchor.y - (item.y + item.height), 120);
    EXPECT_LT(std::abs((item.x + item.width / 2) - (anchor.x + anchor.width / 2)), 150);
    // The screen shows it there: the item's middle is not the window's background.
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("menu-beside-its-button"));
    ASSERT_TRUE(shot);
    EXPECT_NE(test::pixelAt(shot, anchor.x + anchor.width / 2, anchor.y - 4), test::pixelAt(shot, 590, 200));
    g_object_unref(shot);

    // A choice closes the menu and the keyboard goes where the user types next.
    ASSERT_TRUE(test::clickWidget(centre));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return panel->chosen == 1; }, kWaitSeconds));
    ASSERT_TRUE(test::clickWidget(shown(*panel->name)));
    ASSERT_TRUE(test::typeText("Ada"));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return panel->name->text() == u"Ada"; }, kWaitSeconds));
}

TEST_F(GtkPresenterPlacementTest, aTypedTextIsTheFieldsWhenItsEditingEnds)
{
    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::clickWidget(shown(*panel->name)));
    ASSERT_TRUE(test::typeText("Ada"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return panel->name->isEditing(); }, kWaitSeconds));
    ASSERT_TRUE(test::clickWidget(shown(*panel->other)));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return panel->ended == u"Ada"; }, kWaitSeconds));
    EXPECT_FALSE(panel->name->isEditing());
    EXPECT_TRUE(panel->other->isEditing());
}

TEST_F(GtkPresenterPlacementTest, aLabelsNewTextAndADrawingsOwnViewsShow)
{
    panel->counter->setText(u"Chars 12 Words 3");
    GtkPresenter::processPendingEvents();
    GtkWidget* label = shown(*panel->counter);
    ASSERT_TRUE(label && GTK_IS_LABEL(label));
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(label)), "Chars 12 Words 3");
    panel->counter->setText(u"Chars 15 Words 4");
    GtkPresenter::processPendingEvents();
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(label)), "Chars 15 Words 4");

    // A label beside the controller's view in its navigation's view (a word
    // counter over the text) shows over the content, also when it comes later.
    auto beside = std::make_shared<Label>(makeRect(200, 300, 180, 24));
    beside->setText(u"Chars 0 Words 0");
    window->rootViewController()->view()->addSubview(beside);
    GtkPresenter::processPendingEvents();
    GtkWidget* besideLabel = placed(*beside);
    ASSERT_TRUE(besideLabel);
    ASSERT_TRUE(placed(*panel->view()));
    GdkRectangle content = placeInWindow(placed(*panel->view()));
    GdkRectangle over = placeInWindow(besideLabel);
    EXPECT_EQ(over.x - content.x, 200);
    EXPECT_EQ(over.y - content.y, 300);
    beside->setText(u"Chars 4 Words 1");
    GtkPresenter::processPendingEvents();
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(shown(*beside))), "Chars 4 Words 1");

    // The drawing shows, and the button placed on it shows over it.
    GtkWidget* link = placed(*panel->link);
    ASSERT_TRUE(link);
    ASSERT_TRUE(placed(*panel->drawing));
    GdkRectangle place = placeInWindow(link);
    GdkRectangle drawing = placeInWindow(placed(*panel->drawing));
    EXPECT_EQ(place.x - drawing.x, 10);
    EXPECT_EQ(place.y - drawing.y, 10);
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("drawing-with-its-button"));
    ASSERT_TRUE(shot);
    EXPECT_EQ(test::pixelAt(shot, drawing.x + 190, drawing.y + 90), 0xFF0000u);
    EXPECT_NE(test::pixelAt(shot, place.x + 3, place.y + place.height / 2), 0xFF0000u);
    g_object_unref(shot);
}

TEST_F(GtkPresenterPlacementTest, aShortTitleShowsWholeInATightButtonAndOnlyALongOneIsCut)
{
    auto tight = std::make_shared<Button>(makeRect(20, 200, 38, 30));
    tight->setTitle(u"BIU");
    auto narrow = std::make_shared<Button>(makeRect(20, 240, 60, 30));
    narrow->setTitle(u"A title far too long for its button");
    auto* container = dynamic_cast<BarContainerView*>(panel->view().get());
    ASSERT_TRUE(container);
    container->contentView()->addSubview(tight);
    container->contentView()->addSubview(narrow);
    Presenter::current().viewContentDidChange(*panel);
    GtkWidget* tightButton = placed(*tight);
    GtkWidget* narrowButton = placed(*narrow);
    ASSERT_TRUE(tightButton && narrowButton);
    GtkPresenter::processPendingEvents();
    auto cut = [](GtkWidget* button) {
        return bool(pango_layout_is_ellipsized(gtk_label_get_layout(GTK_LABEL(gtk_bin_get_child(GTK_BIN(button))))));
    };
    EXPECT_FALSE(cut(tightButton)) << "BIU fits its key once the key gives up its padding";
    EXPECT_EQ(gtk_widget_get_allocated_width(tightButton), 38) << "and the key keeps its width";
    EXPECT_TRUE(cut(narrowButton));
    EXPECT_EQ(gtk_widget_get_allocated_width(narrowButton), 60) << "a cut title keeps to the button's frame";
    gchar* tooltip = gtk_widget_get_tooltip_text(narrowButton);
    EXPECT_STREQ(tooltip, "A title far too long for its button");
    g_free(tooltip);
}

// A title narrower than the theme's least content ("I"), and a title that
// changes from one that needed the narrow padding to one that does not
// ("Size" to "12"), keep a key to its frame rather than over its neighbour.
TEST_F(GtkPresenterPlacementTest, aKeysNarrowOrChangedTitleKeepsTheKeyToItsFrame)
{
    auto thin = std::make_shared<Button>(makeRect(20, 200, 40, 36));
    thin->setTitle(u"I");
    auto size = std::make_shared<Button>(makeRect(64, 200, 40, 36));
    size->setTitle(u"Size");
    auto* container = dynamic_cast<BarContainerView*>(panel->view().get());
    ASSERT_TRUE(container);
    container->contentView()->addSubview(thin);
    container->contentView()->addSubview(size);
    Presenter::current().viewContentDidChange(*panel);
    GtkWidget* thinButton = placed(*thin);
    GtkWidget* sizeButton = placed(*size);
    ASSERT_TRUE(thinButton && sizeButton);
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(gtk_widget_get_allocated_width(thinButton), 40);
    EXPECT_EQ(gtk_widget_get_allocated_width(sizeButton), 40);
    size->setTitle(u"12");
    GtkPresenter::processPendingEvents();
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(gtk_bin_get_child(GTK_BIN(sizeButton)))), "12");
    EXPECT_EQ(gtk_widget_get_allocated_width(sizeButton), 40);
}

TEST_F(GtkPresenterPlacementTest, aResizedWindowTellsItsControllerTheNewSize)
{
    GtkWidget* body = gtk_bin_get_child(GTK_BIN(toplevel));
    ASSERT_TRUE(body);
    // Narrower and shorter, though no less than the content's views need.
    gtk_window_resize(GTK_WINDOW(toplevel), 540, 390);
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return !panel->sizes.empty() && panel->sizes.back().width < 600; }, kWaitSeconds));
    GtkPresenter::processPendingEvents();
    Size told = panel->sizes.back();
    EXPECT_EQ(panel->view()->frame().size, told);
    EXPECT_EQ(window->frame().size, told);
    EXPECT_EQ(told.width, gtk_widget_get_allocated_width(body));
    EXPECT_LE(told.width, 540);
    EXPECT_LT(told.height, 400);
}

TEST_F(GtkPresenterPlacementTest, aPanelTallerThanTheWindowScrollsFromItsTop)
{
    auto item = BarButtonItem::withTitle(u"Tools", nullptr);
    panel->navigationItem()->setRightBarButtonItems({item});
    GtkPresenter::processPendingEvents();
    auto tall = std::make_shared<TallPanel>();
    tall->setModalPresentationStyle(ModalPresentationStyle::Popover);
    tall->popoverPresentationController()->setBarButtonItem(item);
    ASSERT_TRUE(panel->presentViewController(tall, false).ok());
    GtkWidget* popover = presenter->widgetForController(*tall);
    ASSERT_TRUE(popover);
    ASSERT_TRUE(settled(popover));
    auto scrollers = descendants(popover, GTK_TYPE_SCROLLED_WINDOW);
    ASSERT_FALSE(scrollers.empty());
    GtkAdjustment* vertical = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scrollers.front()));
    EXPECT_GE(gtk_adjustment_get_upper(vertical), 2400);
    EXPECT_EQ(gtk_adjustment_get_value(vertical), 0);
    GdkRectangle place = placeInWindow(scrollers.front());
    EXPECT_TRUE(insideWindow(place)) << place.y << "+" << place.height;
    // The panel's top slice, red, is what shows at its top.
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("tall-panel-top"));
    ASSERT_TRUE(shot);
    EXPECT_EQ(test::pixelAt(shot, place.x + 150, place.y + 20), 0xFF0000u);
    EXPECT_NE(test::pixelAt(shot, place.x + 150, place.y + 100), 0xFF0000u);
    g_object_unref(shot);
}

// A panel shown afresh while open, as a panel's values change under a
// person's pointer, stays scrolled where the person had it: the control
// under the pointer stays there, and the panel goes back to its top only
// when it opens again.
TEST_F(GtkPresenterPlacementTest, aPanelShownAfreshWhileOpenStaysWhereItWasScrolled)
{
    auto item = BarButtonItem::withTitle(u"Tools", nullptr);
    panel->navigationItem()->setRightBarButtonItems({item});
    GtkPresenter::processPendingEvents();
    auto tall = std::make_shared<TallPanel>();
    tall->setModalPresentationStyle(ModalPresentationStyle::Popover);
    tall->popoverPresentationController()->setBarButtonItem(item);
    ASSERT_TRUE(panel->presentViewController(tall, false).ok());
    GtkWidget* popover = presenter->widgetForController(*tall);
    ASSERT_TRUE(popover && settled(popover));
    auto scrolledTo = [&]() -> double {
        auto scrollers = descendants(popover, GTK_TYPE_SCROLLED_WINDOW);
        return scrollers.empty()
            ? -1
            : gtk_adjustment_get_value(gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scrollers.front())));
    };
    GtkWidget* before = gtk_bin_get_child(GTK_BIN(popover));
    g_object_add_weak_pointer(G_OBJECT(before), reinterpret_cast<gpointer*>(&before));
    auto scrollers = descendants(popover, GTK_TYPE_SCROLLED_WINDOW);
    ASSERT_FALSE(scrollers.empty());
    gtk_adjustment_set_value(gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scrollers.front())), 1000);
    ASSERT_EQ(scrolledTo(), 1000);

    Presenter::current().viewContentDidChange(*tall);
    ASSERT_EQ(before, nullptr) << "the panel was not built afresh";
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return scrolledTo() == 1000;
        },
        kWaitSeconds))
        << "scrolled to " << scrolledTo();
    // The red top slice is out of sight, as it was.
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("tall-panel-refreshed"));
    ASSERT_TRUE(shot);
    GdkRectangle place = placeInWindow(descendants(popover, GTK_TYPE_SCROLLED_WINDOW).front());
    EXPECT_NE(test::pixelAt(shot, place.x + 150, place.y + 20), 0xFF0000u);
    g_object_unref(shot);

    tall->dismissViewControllerAnimated(false, nullptr);
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(panel->presentViewController(tall, false).ok());
    popover = presenter->widgetForController(*tall);
    ASSERT_TRUE(popover && settled(popover));
    EXPECT_EQ(scrolledTo(), 0) << "opened again, the panel shows its top";
}

} // namespace
} // namespace folio
