#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Label.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace folio {
namespace {

using test::descendants;

std::vector<GtkWidget*> childrenOf(GtkWidget* container)
{
    std::vector<GtkWidget*> children;
    GList* list = gtk_container_get_children(GTK_CONTAINER(container));
    for (GList* child = list; child; child = child->next)
        children.push_back(GTK_WIDGET(child->data));
    g_list_free(list);
    return children;
}

std::vector<bool> activeStates(GtkWidget* box)
{
    std::vector<bool> states;
    for (GtkWidget* button : childrenOf(box))
        states.push_back(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)));
    return states;
}

// Serves GTK events, blocking for each, until `done` answers true; a watchdog
// source ends the wait if GTK never gets there.
bool waitUntil(const std::function<bool()>& done)
{
    bool expired = false;
    guint watchdog = g_timeout_add_seconds(
        10, [](gpointer flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &expired);
    while (!done() && !expired)
        gtk_main_iteration_do(TRUE);
    if (!expired)
        g_source_remove(watchdog);
    return done();
}

// A pane of controls, as an inspector shows them.
class Controls : public ViewController {
public:
    std::shared_ptr<SegmentedControl> alignment =
        std::make_shared<SegmentedControl>(std::vector<std::u16string>{u"Left", u"Center", u"Right"}, makeRect(10, 10, 240, 30));
    std::shared_ptr<Slider> zoom = std::make_shared<Slider>(makeRect(10, 50, 240, 30));
    std::shared_ptr<Stepper> spacing = std::make_shared<Stepper>(makeRect(10, 90, 120, 30));
    std::shared_ptr<View> swatch = std::make_shared<View>(makeRect(10, 130, 60, 40));
    std::shared_ptr<View> plain = std::make_shared<View>(makeRect(80, 130, 60, 40));
    std::vector<std::string> fired;

protected:
    void loadView() override
    {
        auto root = std::make_shared<View>(makeRect(0, 0, 400, 300));
        alignment->setSelectedSegmentIndex(1);
        alignment->setEnabledForSegmentAtIndex(false, 2);
        alignment->addAction(ControlEvent::ValueChanged, [this](Control&) { fired.push_back("alignment"); });
        zoom->setMaximumValue(10);
        zoom->setValue(4);
        zoom->addAction(ControlEvent::ValueChanged, [this](Control&) { fired.push_back("zoom"); });
        spacing->setMaximumValue(3);
        spacing->setStepValue(0.5);
        spacing->setValue(1);
        spacing->addAction(ControlEvent::ValueChanged, [this](Control&) { fired.push_back("spacing"); });
        swatch->setBackgroundColor(Color::colorWithRed(1, 0, 0, 0.5));
        for (const auto& view : std::vector<std::shared_ptr<View>>{alignment, zoom, spacing, swatch, plain})
            root->addSubview(view);
        setView(root);
    }
};

class GtkControlBridgesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(created.value());
        controls = std::make_shared<Controls>();
        window = std::make_shared<Window>(makeRect(0, 0, 500, 400));
        window->setRootViewController(controls);
        window->makeKeyAndVisible();
        GtkPresenter::processPendingEvents();
        toplevel = presenter->widgetForWindow(*window);
        ASSERT_NE(toplevel, nullptr);
    }
    void TearDown() override
    {
        if (window)
            window->close();
        presenter.reset();
        GtkPresenter::processPendingEvents();
    }

    GtkWidget* only(GType type)
    {
        auto found = descendants(toplevel, type);
        return found.size() == 1 ? found[0] : nullptr;
    }

    std::unique_ptr<GtkPresenter> presenter;
    std::shared_ptr<Controls> controls;
    std::shared_ptr<Window> window;
    GtkWidget* toplevel = nullptr;
};

TEST_F(GtkControlBridgesTest, segmentedControlIsALinkedRowOfToggleButtonsInStepWithTheModel)
{
    auto toggles = descendants(toplevel, GTK_TYPE_TOGGLE_BUTTON);
    ASSERT_EQ(toggles.size(), 3u);
    GtkWidget* box = gtk_widget_get_parent(toggles[0]);
    ASSERT_TRUE(GTK_IS_BOX(box));
    EXPECT_TRUE(gtk_style_context_has_class(gtk_widget_get_style_context(box), GTK_STYLE_CLASS_LINKED));
    std::vector<std::string> titles;
    for (GtkWidget* button : toggles)
        titles.emplace_back(gtk_button_get_label(GTK_BUTTON(button)));
    EXPECT_EQ(titles, (std::vector<std::string>{"Left", "Center", "Right"}));
    EXPECT_EQ(activeStates(box), (std::vector<bool>{false, true, false}));
    EXPECT_FALSE(gtk_widget_get_sensitive(toggles[2]));

    gtk_button_clicked(GTK_BUTTON(toggles[0]));
    EXPECT_EQ(controls->alignment->selectedSegmentIndex(), 0);
    EXPECT_EQ(controls->fired, (std::vector<std::string>{"alignment"}));
    EXPECT_EQ(activeStates(box), (std::vector<bool>{true, false, false}));

    // Clicking the selected segment again leaves it selected and says nothing.
    gtk_button_clicked(GTK_BUTTON(toggles[0]));
    EXPECT_EQ(activeStates(box), (std::vector<bool>{true, false, false}));
    // A disabled segment is refused by the model, and the widget follows it.
    gtk_button_clicked(GTK_BUTTON(toggles[2]));
    EXPECT_EQ(controls->alignment->selectedSegmentIndex(), 0);
    EXPECT_EQ(activeStates(box), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(controls->fired.size(), 1u);

    controls->alignment->setSelectedSegmentIndex(2);
    controls->alignment->insertSegmentWithTitle(u"Justified", 3);
    auto buttons = childrenOf(box);
    ASSERT_EQ(buttons.size(), 4u);
    EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(buttons[3])), "Justified");
    EXPECT_EQ(activeStates(box), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(controls->fired.size(), 1u);
    gtk_button_clicked(GTK_BUTTON(buttons[3]));
    EXPECT_EQ(controls->alignment->selectedSegmentIndex(), 3);
    EXPECT_EQ(controls->fired.size(), 2u);
}

TEST_F(GtkControlBridgesTest, sliderIsAScaleWhoseMovesReachTheModel)
{
    GtkWidget* scale = only(GTK_TYPE_SCALE);
    ASSERT_NE(scale, nullptr);
    GtkAdjustment* adjustment = gtk_range_get_adjustment(GTK_RANGE(scale));
    EXPECT_EQ(gtk_adjustment_get_lower(adjustment), 0);
    EXPECT_EQ(gtk_adjustment_get_upper(adjustment), 10);
    EXPECT_EQ(gtk_range_get_value(GTK_RANGE(scale)), 4);

    g_signal_emit_by_name(scale, "move-slider", GTK_SCROLL_END);
    EXPECT_EQ(controls->zoom->value(), 10);
    EXPECT_EQ(controls->fired, (std::vector<std::string>{"zoom"}));
    gtk_range_set_value(GTK_RANGE(scale), 2.37);
    EXPECT_DOUBLE_EQ(controls->zoom->value(), 2.37);
    EXPECT_EQ(controls->fired.size(), 2u);

    // Code narrows the range: the model clamps, the scale follows by itself, no action.
    controls->zoom->setMaximumValue(2);
    EXPECT_EQ(gtk_adjustment_get_upper(adjustment), 2);
    EXPECT_EQ(gtk_range_get_value(GTK_RANGE(scale)), 2);
    EXPECT_EQ(controls->fired.size(), 2u);

    controls->zoom->setEnabled(false);
    EXPECT_FALSE(gtk_widget_get_sensitive(scale));
    // A disabled slider refuses the move and the scale goes back.
    gtk_range_set_value(GTK_RANGE(scale), 1);
    EXPECT_EQ(controls->zoom->value(), 2);
    EXPECT_EQ(gtk_range_get_value(GTK_RANGE(scale)), 2);
    EXPECT_EQ(controls->fired.size(), 2u);
}

TEST_F(GtkControlBridgesTest, stepperIsASpinButtonWhoseStepsReachTheModel)
{
    GtkWidget* spin = only(GTK_TYPE_SPIN_BUTTON);
    ASSERT_NE(spin, nullptr);
    double minimum = 0;
    double maximum = 0;
    gtk_spin_button_get_range(GTK_SPIN_BUTTON(spin), &minimum, &maximum);
    EXPECT_EQ(minimum, 0);
    EXPECT_EQ(maximum, 3);
    double step = 0;
    gtk_spin_button_get_increments(GTK_SPIN_BUTTON(spin), &step, nullptr);
    EXPECT_EQ(step, 0.5);
    EXPECT_EQ(gtk_spin_button_get_digits(GTK_SPIN_BUTTON(spin)), 1u);
    EXPECT_EQ(gtk_spin_button_get_value(GTK_SPIN_BUTTON(spin)), 1);
    EXPECT_FALSE(gtk_editable_get_editable(GTK_EDITABLE(spin)));

    gtk_spin_button_spin(GTK_SPIN_BUTTON(spin), GTK_SPIN_STEP_FORWARD, 0);
    EXPECT_EQ(controls->spacing->value(), 1.5);
    gtk_spin_button_spin(GTK_SPIN_BUTTON(spin), GTK_SPIN_STEP_BACKWARD, 0);
    gtk_spin_button_spin(GTK_SPIN_BUTTON(spin), GTK_SPIN_STEP_BACKWARD, 0);
    EXPECT_EQ(controls->spacing->value(), 0.5);
    EXPECT_EQ(controls->fired, (std::vector<std::string>{"spacing", "spacing", "spacing"}));

    // Set from code: shown without an action; stepping past the end wraps as the model does.
    controls->spacing->setWraps(true);
    controls->spacing->setValue(3);
    EXPECT_EQ(gtk_spin_button_get_value(GTK_SPIN_BUTTON(spin)), 3);
    EXPECT_TRUE(gtk_spin_button_get_wrap(GTK_SPIN_BUTTON(spin)));
    EXPECT_EQ(controls->fired.size(), 3u);
    gtk_spin_button_spin(GTK_SPIN_BUTTON(spin), GTK_SPIN_STEP_FORWARD, 0);
    EXPECT_EQ(controls->spacing->value(), 0);
    EXPECT_EQ(gtk_spin_button_get_value(GTK_SPIN_BUTTON(spin)), 0);
    EXPECT_EQ(controls->fired.size(), 4u);
}

TEST_F(GtkControlBridgesTest, backgroundColourIsPaintedWithItsAlphaOnItsOwnViewOnly)
{
    // The root view, then the swatch, then the plain view, in frame order.
    auto fixed = descendants(toplevel, GTK_TYPE_FIXED);
    ASSERT_EQ(fixed.size(), 3u);
    GtkWidget* swatch = fixed[1];
    GtkWidget* plain = fixed[2];

    auto backgroundOf = [](GtkWidget* widget) {
        GtkStyleContext* context = gtk_widget_get_style_context(widget);
        GdkRGBA* colour = nullptr;
        gtk_style_context_get(context, gtk_style_context_get_state(context), "background-color", &colour, nullptr);
        GdkRGBA copy = *colour;
        gdk_rgba_free(colour);
        return copy;
    };
    GdkRGBA painted = backgroundOf(swatch);
    EXPECT_DOUBLE_EQ(painted.red, 1);
    EXPECT_DOUBLE_EQ(painted.green, 0);
    EXPECT_NEAR(painted.alpha, 0.5, 1e-3);
    EXPECT_EQ(backgroundOf(plain).alpha, 0);

    // Drawn over white, half-transparent red comes out pink.
    ASSERT_TRUE(waitUntil([&] { return gtk_widget_get_allocated_width(swatch) >= 60; }));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 60, 40);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    gtk_widget_draw(swatch, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* pixel = cairo_image_surface_get_data(surface) + 20 * cairo_image_surface_get_stride(surface) + 30 * 4;
    std::uint32_t argb = *reinterpret_cast<const std::uint32_t*>(pixel);
    EXPECT_EQ((argb >> 16) & 0xff, 255u);
    EXPECT_NEAR(static_cast<int>((argb >> 8) & 0xff), 128, 2);
    EXPECT_NEAR(static_cast<int>(argb & 0xff), 128, 2);
    cairo_surface_destroy(surface);
}

} // namespace
} // namespace folio
