#include "platform/gtk/GtkControlBridges.h"

#include "platform/ui/ActivityIndicatorView.h"

#include "platform/foundation/Unicode.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/FontFace.h"
#include "platform/gtk/GtkSignals.h"
#include "platform/gtk/GtkSymbolIcons.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Stepper.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace folio {

namespace {
constexpr const char* kControlKey = "folio-control";
constexpr const char* kUpdatingKey = "folio-updating";
constexpr const char* kBackgroundKey = "folio-background-provider";
constexpr const char* kForegroundKey = "folio-foreground-provider";
constexpr const char* kFontKey = "folio-font-provider";
constexpr int kMaximumDigits = 6;

// The widget keeps only a weak reference: the model may go first, and a
// widget outliving it must then do nothing.
void attachControl(GtkWidget* widget, Control& control)
{
    auto* weak = new std::weak_ptr<Control>(std::static_pointer_cast<Control>(control.weak_from_this().lock()));
    g_object_set_data_full(G_OBJECT(widget), kControlKey, weak,
                           [](gpointer data) { delete static_cast<std::weak_ptr<Control>*>(data); });
}

std::shared_ptr<Control> controlOf(GtkWidget* widget)
{
    auto* weak = static_cast<std::weak_ptr<Control>*>(g_object_get_data(G_OBJECT(widget), kControlKey));
    return weak ? weak->lock() : nullptr;
}

template <typename T>
std::shared_ptr<T> controlOf(GtkWidget* widget)
{
    return std::dynamic_pointer_cast<T>(controlOf(widget));
}

// Setting a widget from the model emits the same signals as the user's
// changes; while this guard lives, the handlers know not to answer them.
class UpdatingGuard {
public:
    explicit UpdatingGuard(GtkWidget* widget) : m_widget(widget) { g_object_set_data(G_OBJECT(widget), kUpdatingKey, GINT_TO_POINTER(1)); }
    ~UpdatingGuard() { g_object_set_data(G_OBJECT(m_widget), kUpdatingKey, nullptr); }
    UpdatingGuard(const UpdatingGuard&) = delete;
    UpdatingGuard& operator=(const UpdatingGuard&) = delete;

private:
    GtkWidget* m_widget;
};

bool isUpdating(GtkWidget* widget) { return g_object_get_data(G_OBJECT(widget), kUpdatingKey) != nullptr; }

std::vector<GtkWidget*> childrenOf(GtkWidget* container)
{
    std::vector<GtkWidget*> children;
    GList* list = gtk_container_get_children(GTK_CONTAINER(container));
    for (GList* child = list; child; child = child->next)
        children.push_back(GTK_WIDGET(child->data));
    g_list_free(list);
    return children;
}

void syncSegments(GtkWidget* box, SegmentedControl& control);

void addSegmentButtons(GtkWidget* box, std::size_t count)
{
    for (std::size_t index = 0; index < count; ++index) {
        GtkWidget* button = gtk_toggle_button_new();
        GtkSignals::connect(button, "toggled", [box, button, index] {
            if (isUpdating(box))
                return;
            auto control = controlOf<SegmentedControl>(box);
            if (!control)
                return;
            // The model's action may rebuild what shows the control (a
            // segment that opens a pane), destroying these widgets; held
            // here, they stay valid objects until the sync below is done.
            g_object_ref(box);
            g_object_ref(button);
            // Clicking the selected segment again would untoggle it; the
            // model keeps it selected, and the sync below restores it.
            if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)))
                control->selectSegment(index);
            syncSegments(box, *control);
            g_object_unref(button);
            g_object_unref(box);
        });
        gtk_box_pack_start(GTK_BOX(box), button, TRUE, TRUE, 0);
    }
}

void syncSegments(GtkWidget* box, SegmentedControl& control)
{
    UpdatingGuard guard(box);
    auto buttons = childrenOf(box);
    if (buttons.size() != control.numberOfSegments()) {
        for (GtkWidget* button : buttons)
            gtk_widget_destroy(button);
        addSegmentButtons(box, control.numberOfSegments());
        gtk_widget_show_all(box);
        buttons = childrenOf(box);
    }
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        GtkWidget* button = buttons[index];
        gtk_button_set_label(GTK_BUTTON(button), toUtf8(control.titleForSegmentAtIndex(index)).c_str());
        if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(button)); label && GTK_IS_LABEL(label))
            gtk_label_set_ellipsize(GTK_LABEL(label),
                                    control.apportionsSegmentWidthsByContent() ? PANGO_ELLIPSIZE_END : PANGO_ELLIPSIZE_NONE);
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button), control.selectedSegmentIndex() == static_cast<int>(index));
        gtk_widget_set_sensitive(button, control.isEnabledForSegmentAtIndex(index));
    }
    gtk_box_set_homogeneous(GTK_BOX(box), !control.apportionsSegmentWidthsByContent());
    gtk_widget_set_sensitive(box, control.isEnabled());
}

void syncSlider(GtkWidget* scale, Slider& slider)
{
    UpdatingGuard guard(scale);
    GtkAdjustment* adjustment = gtk_range_get_adjustment(GTK_RANGE(scale));
    gtk_adjustment_configure(adjustment, slider.value(), slider.minimumValue(), slider.maximumValue(),
                             gtk_adjustment_get_step_increment(adjustment), gtk_adjustment_get_page_increment(adjustment), 0);
    gtk_widget_set_sensitive(scale, slider.isEnabled());
}

// Enough decimals to show every value a step can reach from the minimum.
int digitsFor(double number)
{
    int digits = 0;
    double scaled = std::fabs(number);
    while (digits < kMaximumDigits && std::fabs(scaled - std::round(scaled)) > 1e-9 * std::max(1.0, scaled)) {
        scaled *= 10;
        ++digits;
    }
    return digits;
}

void syncStepper(GtkWidget* spin, Stepper& stepper)
{
    UpdatingGuard guard(spin);
    int digits = std::max({digitsFor(stepper.stepValue()), digitsFor(stepper.minimumValue()), digitsFor(stepper.value())});
    gtk_spin_button_set_digits(GTK_SPIN_BUTTON(spin), static_cast<guint>(digits));
    // Page keys move by one step too, so every change the widget reports is
    // one increment or decrement of the model.
    gtk_spin_button_set_increments(GTK_SPIN_BUTTON(spin), stepper.stepValue(), stepper.stepValue());
    gtk_spin_button_set_range(GTK_SPIN_BUTTON(spin), stepper.minimumValue(), stepper.maximumValue());
    gtk_spin_button_set_wrap(GTK_SPIN_BUTTON(spin), stepper.wraps());
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(spin), stepper.value());
    gtk_widget_set_sensitive(spin, stepper.isEnabled());
}

// Where one increment or decrement would take the model, wrapping as it does.
double steppedValue(const Stepper& stepper, double delta)
{
    double next = stepper.value() + delta;
    if (stepper.wraps() && next > stepper.maximumValue())
        return stepper.minimumValue();
    if (stepper.wraps() && next < stepper.minimumValue())
        return stepper.maximumValue();
    return std::clamp(next, stepper.minimumValue(), stepper.maximumValue());
}

// A button's title as it is now, and its highlighted or selected state
// shown as a pressed-in (checked) button.
void syncButton(GtkWidget* widget, Button& button)
{
    gtk_widget_set_sensitive(widget, button.isEnabled());
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(widget));
    std::string title = toUtf8(button.currentTitle());
    bool newFace = false;
    if (label && GTK_IS_LABEL(label)) {
        newFace = GtkControlBridges::applyFont(label, button.titleFont().get());
        GtkControlBridges::applyForegroundColor(label, button.titleColor());
    }
    bool newTitle = label && GTK_IS_LABEL(label) && !title.empty() && title != gtk_label_get_text(GTK_LABEL(label));
    if (newTitle)
        gtk_label_set_text(GTK_LABEL(label), title.c_str());
    // Measured again only when what it measures changed.
    if (newTitle || newFace)
        GtkControlBridges::fitButtonTitle(widget, button);
    // A symbol button whose symbol changed shows the new one.
    std::string icon = GtkSymbolIcons::iconNameForSymbol(button.symbolName());
    if (!icon.empty() && title.empty()) {
        GtkWidget* image = gtk_button_get_image(GTK_BUTTON(widget));
        const gchar* shown = nullptr;
        if (image && GTK_IS_IMAGE(image) && gtk_image_get_storage_type(GTK_IMAGE(image)) == GTK_IMAGE_ICON_NAME)
            gtk_image_get_icon_name(GTK_IMAGE(image), &shown, nullptr);
        if (!shown || icon != shown)
            gtk_button_set_image(GTK_BUTTON(widget), gtk_image_new_from_icon_name(icon.c_str(), GTK_ICON_SIZE_BUTTON));
    }
    // The theme draws a plain button's checked state as its normal one: the
    // button carries a look of its own for it, added once.
    constexpr const char* kCheckedLookKey = "folio-checked-look";
    if (!g_object_get_data(G_OBJECT(widget), kCheckedLookKey)) {
        GtkCssProvider* provider = gtk_css_provider_new();
        gtk_css_provider_load_from_data(provider,
                                        "*:checked { background-image: none; background-color: rgba(0,0,0,0.16);"
                                        " box-shadow: inset 0 1px 2px rgba(0,0,0,0.3); }",
                                        -1, nullptr);
        gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(provider),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_object_set_data_full(G_OBJECT(widget), kCheckedLookKey, provider, g_object_unref);
    }
    if (button.isHighlighted() || button.isSelected())
        gtk_widget_set_state_flags(widget, GTK_STATE_FLAG_CHECKED, FALSE);
    else
        gtk_widget_unset_state_flags(widget, GTK_STATE_FLAG_CHECKED);
}

void refreshWidget(GtkWidget* widget, const Control& wanted)
{
    auto control = controlOf(widget);
    if (control.get() != &wanted)
        return;
    if (auto* segmented = dynamic_cast<SegmentedControl*>(control.get()))
        syncSegments(widget, *segmented);
    else if (auto* slider = dynamic_cast<Slider*>(control.get()))
        syncSlider(widget, *slider);
    else if (auto* stepper = dynamic_cast<Stepper*>(control.get()))
        syncStepper(widget, *stepper);
    else if (auto* button = dynamic_cast<Button*>(control.get()); button && GTK_IS_BUTTON(widget))
        syncButton(widget, *button);
    else
        gtk_widget_set_sensitive(widget, control->isEnabled());
}

constexpr const char* kLabelKey = "folio-label";

void refreshLabels(GtkWidget* widget, const Label& wanted)
{
    if (GTK_IS_LABEL(widget) && g_object_get_data(G_OBJECT(widget), kLabelKey) == &wanted) {
        gtk_label_set_text(GTK_LABEL(widget), toUtf8(wanted.text()).c_str());
        GtkControlBridges::styleLabel(widget, wanted);
        // A read-out that comes and goes (the editors' banner line) fades
        // through its alpha rather than being rebuilt.
        gtk_widget_set_opacity(widget, wanted.alpha());
    }
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child; child = child->next)
            refreshLabels(GTK_WIDGET(child->data), wanted);
        g_list_free(children);
    }
}

void refreshTree(GtkWidget* widget, gpointer data)
{
    const auto& wanted = *static_cast<const Control*>(data);
    refreshWidget(widget, wanted);
    // A segmented control's own buttons hold no model of their own.
    if (GTK_IS_CONTAINER(widget) && !controlOf<SegmentedControl>(widget))
        gtk_container_forall(GTK_CONTAINER(widget), refreshTree, data);
}

// CSS wants a dot as decimal separator whatever the user's locale says.
std::string cssNumber(double value)
{
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
    return std::string(buffer, result.ptr);
}

// A fixed container draws no CSS background of its own, and it is what most
// views become; this paints it before the children draw on top.
gboolean drawBackground(GtkWidget* widget, cairo_t* cr, gpointer)
{
    if (g_object_get_data(G_OBJECT(widget), kBackgroundKey))
        gtk_render_background(gtk_widget_get_style_context(widget), cr, 0, 0, gtk_widget_get_allocated_width(widget),
                              gtk_widget_get_allocated_height(widget));
    return FALSE;
}

int cssChannel(double component) { return static_cast<int>(std::lround(std::clamp(component, 0.0, 1.0) * 255)); }
} // namespace

GtkWidget* GtkControlBridges::buildSegmentedControl(SegmentedControl& control)
{
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    gtk_box_set_homogeneous(GTK_BOX(box), TRUE);
    gtk_style_context_add_class(gtk_widget_get_style_context(box), GTK_STYLE_CLASS_LINKED);
    attachControl(box, control);
    syncSegments(box, control);
    return box;
}

GtkWidget* GtkControlBridges::buildSlider(Slider& slider)
{
    double span = slider.maximumValue() - slider.minimumValue();
    double step = span > 0 ? span / 100 : 1;
    GtkAdjustment* adjustment =
        gtk_adjustment_new(slider.value(), slider.minimumValue(), slider.maximumValue(), step, step * 10, 0);
    GtkWidget* scale = gtk_scale_new(GTK_ORIENTATION_HORIZONTAL, adjustment);
    gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
    attachControl(scale, slider);
    syncSlider(scale, slider);
    GtkSignals::connect(scale, "value-changed", [scale] {
        if (isUpdating(scale))
            return;
        auto model = controlOf<Slider>(scale);
        if (!model)
            return;
        model->slideTo(gtk_range_get_value(GTK_RANGE(scale)));
        syncSlider(scale, *model);
    });
    return scale;
}

GtkWidget* GtkControlBridges::buildStepper(Stepper& stepper)
{
    GtkWidget* spin = gtk_spin_button_new(nullptr, stepper.stepValue(), 0);
    gtk_editable_set_editable(GTK_EDITABLE(spin), FALSE);
    gtk_entry_set_width_chars(GTK_ENTRY(spin), 4);
    attachControl(spin, stepper);
    syncStepper(spin, stepper);
    GtkSignals::connect(spin, "value-changed", [spin] {
        if (isUpdating(spin))
            return;
        auto model = controlOf<Stepper>(spin);
        if (!model)
            return;
        double shown = gtk_spin_button_get_value(GTK_SPIN_BUTTON(spin));
        double up = steppedValue(*model, model->stepValue());
        double down = steppedValue(*model, -model->stepValue());
        if (std::fabs(shown - up) <= std::fabs(shown - down))
            model->increment();
        else
            model->decrement();
        syncStepper(spin, *model);
    });
    return spin;
}

namespace {

constexpr const char* kIndicatorKey = "folio-activity-indicator";

void syncSpinner(GtkWidget* spinner, const ActivityIndicatorView& indicator)
{
    if (indicator.isAnimating())
        gtk_spinner_start(GTK_SPINNER(spinner));
    else
        gtk_spinner_stop(GTK_SPINNER(spinner));
    gtk_widget_set_visible(spinner, !indicator.isHidden());
}

void refreshSpinners(GtkWidget* widget, gpointer data)
{
    const auto* indicator = static_cast<const ActivityIndicatorView*>(data);
    if (GTK_IS_SPINNER(widget) && g_object_get_data(G_OBJECT(widget), kIndicatorKey) == indicator)
        syncSpinner(widget, *indicator);
    else if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(GTK_CONTAINER(widget), refreshSpinners, data);
}

} // namespace

GtkWidget* GtkControlBridges::buildActivityIndicator(const ActivityIndicatorView& indicator)
{
    GtkWidget* spinner = gtk_spinner_new();
    // Only for comparison: the model's indicator is never reached through it.
    g_object_set_data(G_OBJECT(spinner), kIndicatorKey, const_cast<ActivityIndicatorView*>(&indicator));
    // Shown and hidden by the model alone, not by a "show all" of its parents.
    gtk_widget_set_no_show_all(spinner, TRUE);
    syncSpinner(spinner, indicator);
    return spinner;
}

void GtkControlBridges::refreshActivityIndicator(GtkWidget* root, const ActivityIndicatorView& indicator)
{
    if (root)
        refreshSpinners(root, const_cast<ActivityIndicatorView*>(&indicator));
}

void GtkControlBridges::attach(GtkWidget* widget, Control& control) { attachControl(widget, control); }

void GtkControlBridges::fitButtonTitle(GtkWidget* widget, const Button& button)
{
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(widget));
    if (!label || !GTK_IS_LABEL(label) || button.frame().width() <= 0)
        return;
    std::string title = toUtf8(button.currentTitle());
    // The title as the label's font really draws it, against the room the
    // button's frame leaves inside its padding and border: a guess by
    // characters cut short titles that fit ("Ch...").
    PangoLayout* layout = gtk_widget_create_pango_layout(label, title.c_str());
    // Measured in the face the style gives the label now (a title font set
    // just before), which the widget's own layout picks up only later.
    PangoFontDescription* face = nullptr;
    GtkStyleContext* labelStyle = gtk_widget_get_style_context(label);
    gtk_style_context_get(labelStyle, gtk_style_context_get_state(labelStyle), "font", &face, nullptr);
    if (face) {
        pango_layout_set_font_description(layout, face);
        pango_font_description_free(face);
    }
    int titleWidth = 0;
    pango_layout_get_pixel_size(layout, &titleWidth, nullptr);
    g_object_unref(layout);
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    constexpr const char* kNarrowKey = "folio-narrow-padding";
    constexpr const char* kThemePaddingKey = "folio-theme-padding";
    // The theme's own padding, read once before any narrowing: the theme
    // eases padding changes in over a few frames, so a reading taken after
    // the narrowing comes or goes is some step in between, and a new title
    // ("Size" becoming "12") would be judged to fit where it does not.
    auto* themePadding = static_cast<GtkBorder*>(g_object_get_data(G_OBJECT(widget), kThemePaddingKey));
    if (!themePadding) {
        themePadding = g_new0(GtkBorder, 1);
        gtk_style_context_get_padding(style, gtk_style_context_get_state(style), themePadding);
        g_object_set_data_full(G_OBJECT(widget), kThemePaddingKey, themePadding, g_free);
    }
    const GtkBorder padding = *themePadding;
    GtkBorder border{};
    gtk_style_context_get_border(style, gtk_style_context_get_state(style), &border);
    int inside = static_cast<int>(button.frame().width()) - border.left - border.right;
    // The theme gives a button's content a least width: a title narrower
    // than it (an "I") still takes that much, and with the side padding
    // the button would grow past its frame over its neighbour.
    int leastContent = 0;
    gtk_style_context_get(style, gtk_style_context_get_state(style), "min-width", &leastContent, nullptr);
    const int contentWidth = std::max(titleWidth, leastContent);
    // A short title that misses by a little (a key's "BIU") keeps every
    // letter: the button gives up its side padding for it. One cut short
    // gives it up too, or the button would outgrow its frame.
    constexpr int kNarrowPadding = 1;
    bool fits = contentWidth <= inside - padding.left - padding.right;
    bool fitsNarrow = !fits && contentWidth <= inside - 2 * kNarrowPadding;
    auto* narrow = static_cast<GtkStyleProvider*>(g_object_get_data(G_OBJECT(widget), kNarrowKey));
    if (narrow && fits) {
        gtk_style_context_remove_provider(style, narrow);
        g_object_set_data(G_OBJECT(widget), kNarrowKey, nullptr);
    } else if (!narrow && !fits) {
        GtkCssProvider* provider = gtk_css_provider_new();
        gtk_css_provider_load_from_data(provider, "* { padding-left: 1px; padding-right: 1px; }", -1, nullptr);
        gtk_style_context_add_provider(style, GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_object_set_data_full(G_OBJECT(widget), kNarrowKey, provider, g_object_unref);
    }
    bool tooLong = !fits && !fitsNarrow;
    // The label asks for no width of its own: the button's frame decides,
    // and only a title that really does not fit is cut short; that one
    // shows whole in its tooltip.
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    gtk_label_set_max_width_chars(GTK_LABEL(label), -1);
    gtk_widget_set_tooltip_text(widget, tooLong ? title.c_str() : nullptr);
}

void GtkControlBridges::attachLabel(GtkWidget* widget, const Label& label)
{
    g_object_set_data(G_OBJECT(widget), kLabelKey, const_cast<Label*>(&label));
    styleLabel(widget, label);
}

void GtkControlBridges::styleLabel(GtkWidget* widget, const Label& label)
{
    applyFont(widget, label.font().get());
    applyForegroundColor(widget, label.textColor());
    float xalign = 0;
    switch (label.textAlignment()) {
    case TextAlignment::Center: xalign = 0.5f; break;
    case TextAlignment::Right: xalign = 1; break;
    default: break;
    }
    gtk_label_set_xalign(GTK_LABEL(widget), xalign);
    gtk_label_set_justify(GTK_LABEL(widget), xalign == 0.5f ? GTK_JUSTIFY_CENTER
                                             : xalign == 1   ? GTK_JUSTIFY_RIGHT
                                                             : GTK_JUSTIFY_LEFT);
    // A label of more than one line wraps within its frame, where a single
    // line would run under whatever stands beside it.
    const int lines = label.numberOfLines();
    gtk_label_set_line_wrap(GTK_LABEL(widget), lines != 1);
    if (lines > 1) {
        gtk_label_set_lines(GTK_LABEL(widget), lines);
        gtk_label_set_ellipsize(GTK_LABEL(widget), PANGO_ELLIPSIZE_END);
    }
}

void GtkControlBridges::refreshLabel(GtkWidget* root, const Label& label)
{
    if (root)
        refreshLabels(root, label);
}

void GtkControlBridges::refreshControl(GtkWidget* root, const Control& control)
{
    if (root)
        refreshTree(root, const_cast<Control*>(&control));
}

namespace {

// Replaces the widget's own provider stored under `key` by one that sets the
// colour with the rgba() value between `before` and `after`; no colour
// leaves the theme's. The provider is added to this widget's context only, so
// the bare selector reaches no other widget. False when there is no colour.
bool replaceColorProvider(GtkWidget* widget, const char* key, const std::optional<Color>& color,
                          const std::string& before, const std::string& after, const char* selector = "*")
{
    GtkStyleContext* context = gtk_widget_get_style_context(widget);
    if (auto* old = static_cast<GtkStyleProvider*>(g_object_get_data(G_OBJECT(widget), key))) {
        gtk_style_context_remove_provider(context, old);
        g_object_set_data(G_OBJECT(widget), key, nullptr);
    }
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
    if (!color || !color->getRed(&red, &green, &blue, &alpha))
        return false;
    std::string css = std::string(selector) + " { " + before + "rgba(" + std::to_string(cssChannel(red)) + "," + std::to_string(cssChannel(green))
                      + "," + std::to_string(cssChannel(blue)) + "," + cssNumber(std::clamp(alpha, 0.0, 1.0)) + ")"
                      + after + " }";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider(context, GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_set_data_full(G_OBJECT(widget), key, provider, g_object_unref);
    return true;
}

} // namespace

void GtkControlBridges::applyBackgroundColor(GtkWidget* widget, const std::optional<Color>& color)
{
    // A scrolled window draws the theme's shading at an edge that has more
    // content beyond it over the content itself, as 40 pixels of the
    // window's style: coloured too, it would cover the text there.
    const char* selector = GTK_IS_SCROLLED_WINDOW(widget) ? "scrolledwindow" : "*";
    if (!replaceColorProvider(widget, kBackgroundKey, color, "background-image: none; background-color: ", ";",
                              selector))
        return;
    if (GTK_IS_FIXED(widget) && !g_signal_handler_find(widget, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                                                       reinterpret_cast<gpointer>(drawBackground), nullptr))
        g_signal_connect(widget, "draw", G_CALLBACK(drawBackground), nullptr);
}

void GtkControlBridges::applyTextBackgroundColor(GtkWidget* textView, const std::optional<Color>& color)
{
    // The selection keeps the theme's colour, so it still shows.
    replaceColorProvider(textView, kBackgroundKey, color, "background-image: none; background-color: ", ";",
                         "textview, textview text");
}

void GtkControlBridges::applyRowBackgroundColor(GtkWidget* row, const std::optional<Color>& color)
{
    replaceColorProvider(row, kBackgroundKey, color, "background-image: none; background-color: ", ";",
                         "row:not(:selected)");
}

void GtkControlBridges::applyForegroundColor(GtkWidget* widget, const std::optional<Color>& color)
{
    replaceColorProvider(widget, kForegroundKey, color, "color: ", ";");
}

namespace {

std::string fontCss(const Font& font)
{
    // A family name goes in as a CSS string: quotes and backslashes in it
    // would end the string early, and no family name needs them.
    std::string family;
    for (char c : font.familyName()) {
        if (c != '"' && c != '\\' && c != '\n')
            family += c;
    }
    std::uint32_t traits = font.symbolicTraits();
    std::string css = "* { font-size: " + cssNumber(font.pointSize()) + "px;";
    if (!family.empty())
        css += " font-family: \"" + family + "\";";
    css += (traits & kFontBoldTrait) ? " font-weight: bold;" : " font-weight: normal;";
    css += (traits & kFontItalicTrait) ? " font-style: italic;" : " font-style: normal;";
    return css + " }";
}

} // namespace

bool GtkControlBridges::applyFont(GtkWidget* widget, const Font* font)
{
    constexpr const char* kFontCssKey = "folio-font-css";
    std::string css;
    if (font && font->pointSize() > 0)
        css = fontCss(*font);
    const auto* shown = static_cast<const std::string*>(g_object_get_data(G_OBJECT(widget), kFontCssKey));
    if ((shown ? *shown : std::string()) == css)
        return false;
    g_object_set_data_full(G_OBJECT(widget), kFontCssKey, new std::string(css),
                           [](gpointer data) { delete static_cast<std::string*>(data); });
    GtkStyleContext* context = gtk_widget_get_style_context(widget);
    if (auto* old = static_cast<GtkStyleProvider*>(g_object_get_data(G_OBJECT(widget), kFontKey))) {
        gtk_style_context_remove_provider(context, old);
        g_object_set_data(G_OBJECT(widget), kFontKey, nullptr);
    }
    if (css.empty())
        return true;
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider(context, GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_set_data_full(G_OBJECT(widget), kFontKey, provider, g_object_unref);
    return true;
}

} // namespace folio
