#include "platform/gtk/GtkViewBuilder.h"

#include "platform/foundation/Unicode.h"
#include "platform/graphics/Image.h"
#include "platform/gtk/GtkContextMenuBridge.h"
#include "platform/gtk/GtkControlBridges.h"
#include "platform/gtk/GtkDrawnViews.h"
#include "platform/gtk/GtkDropBridge.h"
#include "platform/gtk/GtkSignals.h"
#include "platform/gtk/GtkSymbolIcons.h"
#include "platform/gtk/GtkTextHighlights.h"
#include "platform/gtk/GtkTextViewBridge.h"
#include "platform/gtk/GtkViewOverlay.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace folio {

namespace {
constexpr const char* kSectionKey = "folio-section";
constexpr const char* kRowKey = "folio-row";
constexpr const char* kBuilderViewKey = "folio-view";
constexpr const char* kLongPressKey = "folio-long-press";
constexpr const char* kLongPressedKey = "folio-long-pressed";
constexpr const char* kBandTopKey = "folio-band-top";
constexpr const char* kBandHeightKey = "folio-band-height";
constexpr const char* kSizedByFrameKey = "folio-sized-by-frame";
constexpr const char* kOverOriginKey = "folio-over-origin";
constexpr const char* kFixedForKey = "folio-fixed-for";
// Set on what stands for a native widget, which belongs to someone else.
constexpr const char* kNativeKey = "folio-native";

// The widgets built for each view (by its address) while they live: a view
// that changes after it was built (its frame, its background) reaches them
// without a search through every window.
std::unordered_multimap<const void*, GtkWidget*>& shownWidgets()
{
    static std::unordered_multimap<const void*, GtkWidget*> widgets;
    return widgets;
}

void forgetShownWidget(GtkWidget* widget, gpointer view)
{
    auto [first, last] = shownWidgets().equal_range(view);
    for (auto it = first; it != last; ++it) {
        if (it->second == widget) {
            shownWidgets().erase(it);
            return;
        }
    }
}

// The fixed containers placing each view's subviews, by the view's address.
std::unordered_multimap<const void*, GtkWidget*>& placingFixed()
{
    static std::unordered_multimap<const void*, GtkWidget*> fixed;
    return fixed;
}

void forgetPlacingFixed(GtkWidget* widget, gpointer view)
{
    auto [first, last] = placingFixed().equal_range(view);
    for (auto it = first; it != last; ++it) {
        if (it->second == widget) {
            placingFixed().erase(it);
            return;
        }
    }
}

// While a tree is being built, the views it lays out add subviews that the
// build itself places; the widgets of an earlier build must not take them.
int g_buildDepth = 0;

void rememberShownWidget(GtkWidget* widget, const View& view)
{
    const void* key = &view;
    auto [first, last] = shownWidgets().equal_range(key);
    if (std::any_of(first, last, [widget](const auto& entry) { return entry.second == widget; }))
        return;
    shownWidgets().emplace(key, widget);
    g_signal_connect(widget, "destroy", G_CALLBACK(forgetShownWidget), const_cast<void*>(key));
}

// An overlay child that stands for a content band takes exactly the band,
// whatever size the widget would like (a page would like all its text).
gboolean placeBand(GtkOverlay* overlay, GtkWidget* child, GdkRectangle* allocation, gpointer)
{
    gpointer height = g_object_get_data(G_OBJECT(child), kBandHeightKey);
    if (!height)
        return FALSE;
    allocation->x = 0;
    allocation->y = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(child), kBandTopKey));
    allocation->width = gtk_widget_get_allocated_width(GTK_WIDGET(overlay));
    allocation->height = GPOINTER_TO_INT(height);
    return TRUE;
}

// A view's long-press recognizer hears the pointer held down on its widget.
void attachLongPress(GtkWidget* widget, View& view)
{
    for (const std::shared_ptr<GestureRecognizer>& recognizer : view.gestureRecognizers()) {
        if (!dynamic_cast<LongPressGestureRecognizer*>(recognizer.get()))
            continue;
        GtkGesture* gesture = gtk_gesture_long_press_new(widget);
        g_object_set_data_full(G_OBJECT(widget), kLongPressKey, gesture, g_object_unref);
        std::weak_ptr<GestureRecognizer> weak = recognizer;
        GtkSignals::connectPoint(gesture, "pressed", [weak, widget](double x, double y) {
            auto press = std::dynamic_pointer_cast<LongPressGestureRecognizer>(weak.lock());
            if (!press)
                return;
            g_object_set_data(G_OBJECT(widget), kLongPressedKey, GINT_TO_POINTER(1));
            press->press(Point{x, y}, press->minimumPressDuration());
        });
        return;
    }
}

GtkWidget* findWidgetForView(GtkWidget* widget, const void* view)
{
    if (g_object_get_data(G_OBJECT(widget), kBuilderViewKey) == view)
        return widget;
    GtkWidget* found = nullptr;
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child && !found; child = child->next)
            found = findWidgetForView(GTK_WIDGET(child->data), view);
        g_list_free(children);
    }
    return found;
}

std::vector<GtkWidget*> widgetsOfType(GtkWidget* widget, GType type)
{
    std::vector<GtkWidget*> found;
    if (G_TYPE_CHECK_INSTANCE_TYPE(widget, type))
        found.push_back(widget);
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child; child = child->next) {
            std::vector<GtkWidget*> nested = widgetsOfType(GTK_WIDGET(child->data), type);
            found.insert(found.end(), nested.begin(), nested.end());
        }
        g_list_free(children);
    }
    return found;
}

// A few lines of text stay visible however small the window is made.
constexpr int kSmallestTextHeight = 80;

int builderPixels(double points) { return static_cast<int>(std::lround(std::max(0.0, points))); }

GtkWidget* imageWidget(const Image& image)
{
    cairo_surface_t* surface = image.createCairoSurface();
    if (!surface)
        return gtk_image_new_from_icon_name("image-missing", GTK_ICON_SIZE_BUTTON);
    GtkWidget* widget = gtk_image_new_from_surface(surface);
    cairo_surface_destroy(surface);
    return widget;
}

// The image at the largest size that fits the view, centred in it (or, when
// `stretched`, filling the view whatever its proportions); null when the
// image cannot be drawn or has no size.
cairo_surface_t* fittedImageSurface(const Image& image, Size size, bool stretched = false)
{
    cairo_surface_t* source = image.createCairoSurface();
    Size natural = image.size();
    if (!source || natural.width <= 0 || natural.height <= 0) {
        if (source)
            cairo_surface_destroy(source);
        return nullptr;
    }
    int width = std::max(1, builderPixels(size.width));
    int height = std::max(1, builderPixels(size.height));
    double scale = std::min(width / natural.width, height / natural.height);
    double scaleX = stretched ? width / natural.width : scale;
    double scaleY = stretched ? height / natural.height : scale;
    cairo_surface_t* fitted = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(fitted);
    cairo_translate(cr, (width - natural.width * scaleX) / 2, (height - natural.height * scaleY) / 2);
    cairo_scale(cr, scaleX * natural.width / cairo_image_surface_get_width(source),
                scaleY * natural.height / cairo_image_surface_get_height(source));
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(source);
    return fitted;
}

// What an image view shows: a view of a size of its own shows its picture
// fitted or stretched to that size as its mode says, else at the picture's
// size; null without a picture that can be drawn.
cairo_surface_t* surfaceForImageView(const ImageView& view)
{
    const std::shared_ptr<const Image>& image = view.image();
    if (!image)
        return nullptr;
    const Size frame = view.frame().size;
    const bool sized = !view.frame().isEmpty();
    if (sized && view.contentMode() == ContentMode::ScaleAspectFit)
        if (cairo_surface_t* fitted = fittedImageSurface(*image, frame))
            return fitted;
    if (sized && view.contentMode() == ContentMode::ScaleToFill
        && (builderPixels(frame.width) != builderPixels(image->size().width) || builderPixels(frame.height) != builderPixels(image->size().height)))
        if (cairo_surface_t* stretched = fittedImageSurface(*image, frame, true))
            return stretched;
    return image->createCairoSurface();
}

// A text view's text is drawn on its own background, over the scrolled
// window's: the colour goes to that too.
void paintBackground(GtkWidget* widget, const View& view)
{
    GtkControlBridges::applyBackgroundColor(widget, view.backgroundColor());
    if (!dynamic_cast<const TextView*>(&view))
        return;
    std::vector<GtkWidget*> texts = widgetsOfType(widget, GTK_TYPE_TEXT_VIEW);
    if (!texts.empty())
        GtkControlBridges::applyTextBackgroundColor(texts.front(), view.backgroundColor());
}

// The user's scrolling reaches the model as its content offset, and the
// view lays out what has come into sight (the link buttons and pictures of
// laid-out text, made only for the visible part).
void followScrolling(GtkWidget* scroller, ScrollView& view)
{
    std::weak_ptr<ScrollView> weak = std::static_pointer_cast<ScrollView>(view.weak_from_this().lock());
    // Each handler reads only its own adjustment, which is alive while it signals.
    auto follow = [weak](GtkAdjustment* adjustment, bool horizontal) {
        return [weak, adjustment, horizontal] {
            auto strong = weak.lock();
            if (!strong)
                return;
            Point offset = strong->contentOffset();
            double& moved = horizontal ? offset.x : offset.y;
            double value = gtk_adjustment_get_value(adjustment);
            if (std::fabs(value - moved) < 0.5)
                return;
            moved = value;
            strong->setContentOffset(offset);
            strong->setNeedsLayout();
            strong->layoutIfNeeded();
        };
    };
    GtkAdjustment* horizontal = gtk_scrolled_window_get_hadjustment(GTK_SCROLLED_WINDOW(scroller));
    GtkAdjustment* vertical = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scroller));
    GtkSignals::connect(horizontal, "value-changed", follow(horizontal, true));
    GtkSignals::connect(vertical, "value-changed", follow(vertical, false));
}

// Where a subview of `parent` stands in the fixed container built for the
// parent, and the size it is given there.
void placeInFixed(GtkWidget* fixed, GtkWidget* child, const View& subview, const View& parent, bool put)
{
    bool sizesItself = GTK_IS_SCROLLED_WINDOW(child) && !g_object_get_data(G_OBJECT(child), kSizedByFrameKey);
    if (!sizesItself && subview.nativeWidgetHandle() == nullptr)
        gtk_widget_set_size_request(child, builderPixels(subview.frame().width()), builderPixels(subview.frame().height()));
    // A scroll view's content is scrolled by the scrolled window showing
    // it, not moved by the model's offset as well.
    Point scrolled = dynamic_cast<const ScrollView*>(&parent) ? Point{} : parent.bounds().origin;
    int x = static_cast<int>(std::lround(subview.frame().minX() - scrolled.x));
    int y = static_cast<int>(std::lround(subview.frame().minY() - scrolled.y));
    if (put)
        gtk_fixed_put(GTK_FIXED(fixed), child, x, y);
    else
        gtk_fixed_move(GTK_FIXED(fixed), child, x, y);
}

GtkWidget* rowForCell(TableViewCell& cell)
{
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_widget_set_margin_start(box, 8);
    gtk_widget_set_margin_end(box, 8);
    gtk_widget_set_margin_top(box, 4);
    gtk_widget_set_margin_bottom(box, 4);
    if (auto image = cell.imageView()->image())
        gtk_box_pack_start(GTK_BOX(box), imageWidget(*image), FALSE, FALSE, 0);
    // The row's title in its own face, colour and background: a list of
    // styles or colours previews each in the row that names it.
    GtkWidget* text = gtk_label_new(toUtf8(cell.textLabel()->text()).c_str());
    GtkControlBridges::styleLabel(text, *cell.textLabel());
    GtkControlBridges::applyBackgroundColor(text, cell.textLabel()->backgroundColor());
    if (cell.subviews().empty()) {
        gtk_box_pack_start(GTK_BOX(box), text, TRUE, TRUE, 0);
    } else {
        // Views a row adds of its own (a switch, a stepper, a swatch) keep
        // their places, with the row's title at its start.
        GtkViewBuilder builder(nullptr);
        GtkWidget* own = builder.buildFixed(cell, cell.frame().size);
        gtk_fixed_put(GTK_FIXED(own), text, 0, std::max(0, builderPixels(cell.frame().height() / 2) - 10));
        gtk_box_pack_start(GTK_BOX(box), own, TRUE, TRUE, 0);
    }
    if (cell.detailTextLabel() && !cell.detailTextLabel()->text().empty()) {
        GtkWidget* detail = gtk_label_new(toUtf8(cell.detailTextLabel()->text()).c_str());
        GtkControlBridges::styleLabel(detail, *cell.detailTextLabel());
        gtk_style_context_add_class(gtk_widget_get_style_context(detail), "dim-label");
        gtk_box_pack_start(GTK_BOX(box), detail, FALSE, FALSE, 0);
    }
    const char* accessory = nullptr;
    switch (cell.accessoryType()) {
    case TableViewCellAccessoryType::Checkmark: accessory = "object-select-symbolic"; break;
    case TableViewCellAccessoryType::DisclosureIndicator: accessory = "go-next-symbolic"; break;
    case TableViewCellAccessoryType::DetailButton:
    case TableViewCellAccessoryType::DetailDisclosureButton: accessory = "dialog-information-symbolic"; break;
    case TableViewCellAccessoryType::None: break;
    }
    if (accessory)
        gtk_box_pack_end(GTK_BOX(box), gtk_image_new_from_icon_name(accessory, GTK_ICON_SIZE_BUTTON), FALSE, FALSE, 0);
    return box;
}
} // namespace

GtkWidget* GtkViewBuilder::buildProgressHUDContent(const ProgressHUD& hud)
{
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
    gtk_container_set_border_width(GTK_CONTAINER(box), 16);
    if (hud.kind() == ProgressHUDKind::Progress) {
        GtkWidget* spinner = gtk_spinner_new();
        gtk_spinner_start(GTK_SPINNER(spinner));
        gtk_box_pack_start(GTK_BOX(box), spinner, FALSE, FALSE, 0);
    } else {
        const char* icon = hud.kind() == ProgressHUDKind::Success ? "emblem-ok-symbolic" : "dialog-error-symbolic";
        gtk_box_pack_start(GTK_BOX(box), gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_DIALOG), FALSE, FALSE, 0);
    }
    if (!hud.status().empty()) {
        GtkWidget* status = gtk_label_new(toUtf8(hud.status()).c_str());
        gtk_label_set_justify(GTK_LABEL(status), GTK_JUSTIFY_CENTER);
        gtk_box_pack_start(GTK_BOX(box), status, FALSE, FALSE, 0);
    }
    return box;
}

GtkWidget* GtkViewBuilder::widgetForView(GtkWidget* root, const View& view)
{
    return widgetForViewAddress(root, &view);
}

GtkWidget* GtkViewBuilder::widgetForViewAddress(GtkWidget* root, const void* view)
{
    return root && view ? findWidgetForView(root, view) : nullptr;
}

const void* GtkViewBuilder::viewAddressOf(GtkWidget* widget)
{
    return widget ? g_object_get_data(G_OBJECT(widget), kBuilderViewKey) : nullptr;
}

void GtkViewBuilder::refreshImage(GtkWidget* root, const ImageView& view)
{
    GtkWidget* widget = widgetForView(root, view);
    if (!widget || !GTK_IS_IMAGE(widget))
        return;
    cairo_surface_t* surface = surfaceForImageView(view);
    gtk_image_set_from_surface(GTK_IMAGE(widget), surface);
    if (surface)
        cairo_surface_destroy(surface);
}

void GtkViewBuilder::detachNativeWidget(GtkWidget* widget)
{
    if (GtkWidget* parent = gtk_widget_get_parent(widget))
        gtk_container_remove(GTK_CONTAINER(parent), widget);
}

GtkWidget* GtkViewBuilder::build(View& view)
{
    // A spinner is made hidden, as its indicator shows and hides it often.
    if (view.isHidden() && !dynamic_cast<ActivityIndicatorView*>(&view))
        return nullptr;
    struct Building {
        Building() { ++g_buildDepth; }
        ~Building() { --g_buildDepth; }
    } building;
    // A view lays out its subviews before it is shown, as the toolkit's
    // layout pass would: laid-out text makes its lines and link buttons there.
    view.layoutIfNeeded();
    GtkWidget* widget = buildOwn(view);
    // Drops reach the widget itself: a page takes them before anything around it.
    if (view.dropDelegate())
        GtkDropBridge::attach(widget, view);
    bool native = widget == view.nativeWidgetHandle();
    // Views placed on a native widget (a frame over a picture of the page)
    // stand above it.
    if (native)
        widget = GtkViewOverlay::wrap(widget, view);
    g_object_set_data(G_OBJECT(widget), kBuilderViewKey, &view);
    if (native)
        g_object_set_data(G_OBJECT(widget), kNativeKey, GINT_TO_POINTER(1));
    rememberShownWidget(widget, view);
    gtk_widget_set_opacity(widget, view.alpha());
    // A native widget belongs to someone else and keeps its own look.
    if (!native)
        paintBackground(widget, view);
    if (!view.isUserInteractionEnabled())
        gtk_widget_set_sensitive(widget, FALSE);
    return widget;
}

GtkWidget* GtkViewBuilder::buildOwn(View& view)
{
    if (auto* native = static_cast<GtkWidget*>(view.nativeWidgetHandle()); native && GTK_IS_WIDGET(native)) {
        detachNativeWidget(native);
        m_nativeWidgets.push_back(native);
        GtkContextMenuBridge::attach(native, view);
        gtk_widget_set_size_request(native, builderPixels(view.frame().width()), builderPixels(view.frame().height()));
        gtk_widget_set_hexpand(native, TRUE);
        gtk_widget_set_vexpand(native, TRUE);
        return native;
    }
    if (auto* label = dynamic_cast<Label*>(&view)) {
        GtkWidget* widget = gtk_label_new(toUtf8(label->text()).c_str());
        GtkControlBridges::attachLabel(widget, *label);
        return widget;
    }
    // A button that draws itself (a link's, over its text) is its drawing,
    // not the toolkit's framed button.
    if (auto* button = dynamic_cast<Button*>(&view); button && !view.drawsOwnContent()) {
        std::string icon = GtkSymbolIcons::iconNameForSymbol(button->symbolName());
        std::string title = toUtf8(button->currentTitle());
        GtkWidget* widget = !icon.empty() && title.empty() ? gtk_button_new_from_icon_name(icon.c_str(), GTK_ICON_SIZE_BUTTON)
                                                           : gtk_button_new_with_label(title.c_str());
        gtk_widget_set_sensitive(widget, button->isEnabled());
        if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(widget)); label && GTK_IS_LABEL(label)) {
            GtkControlBridges::applyFont(label, button->titleFont().get());
            GtkControlBridges::applyForegroundColor(label, button->titleColor());
        }
        GtkControlBridges::fitButtonTitle(widget, *button);
        GtkControlBridges::attach(widget, *button);
        attachLongPress(widget, *button);
        std::weak_ptr<Button> weak = std::static_pointer_cast<Button>(button->weak_from_this().lock());
        // A long press whose release went elsewhere (to the alert it
        // opened) is over once the button is pressed again: that press's
        // click is a tap.
        GtkSignals::connectEvent(widget, "button-press-event", [widget](const GdkEvent&) {
            g_object_steal_data(G_OBJECT(widget), kLongPressedKey);
            return false;
        });
        GtkSignals::connect(widget, "clicked", [weak, widget] {
            // The release that ends a long press is not also a tap.
            if (g_object_steal_data(G_OBJECT(widget), kLongPressedKey))
                return;
            if (auto strong = weak.lock())
                strong->tap();
        });
        return widget;
    }
    if (auto* textView = dynamic_cast<TextView*>(&view)) {
        GtkWidget* text = GtkTextViewBridge::build(*textView);
        if (GtkTextView* shown = GtkTextViewBridge::textViewOf(text))
            GtkTextHighlights::attach(shown, *textView);
        auto accessory = textView->inputAccessoryView();
        GtkWidget* bar = accessory ? build(*accessory) : nullptr;
        if (!bar)
            return text;
        // The desktop has no on-screen keyboard: the text view's accessory
        // bar runs along the bottom of the text.
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        GtkWidget* scroller = barScroller(bar);
        // The text fills what the window leaves it beside the bar: asking
        // for its last height as well would grow the window by the bar's
        // height at every rebuild of the bar.
        gtk_widget_set_size_request(text, builderPixels(textView->frame().width()), kSmallestTextHeight);
        gtk_box_pack_start(GTK_BOX(box), text, TRUE, TRUE, 0);
        gtk_box_pack_end(GTK_BOX(box), scroller, FALSE, FALSE, 0);
        return box;
    }
    if (auto* container = dynamic_cast<BarContainerView*>(&view))
        return buildContainer(*container);
    if (auto* field = dynamic_cast<TextField*>(&view)) {
        GtkWidget* entry = gtk_entry_new();
        gtk_entry_set_text(GTK_ENTRY(entry), toUtf8(field->text()).c_str());
        gtk_entry_set_placeholder_text(GTK_ENTRY(entry), toUtf8(field->placeholder()).c_str());
        gtk_entry_set_visibility(GTK_ENTRY(entry), !field->isSecureTextEntry());
        // The toolkit's entry asks for room for its placeholder and a margin
        // (150 px or more) and is given it over a narrower frame, running into
        // whatever stands beside it: a field placed by its frame takes that width.
        if (field->frame().width() > 0)
            gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);
        if (field->isFirstResponder()) {
            // The field being edited has the keyboard once it is on screen.
            GtkSignals::connect(entry, "map", [entry] { gtk_widget_grab_focus(entry); });
        }
        std::weak_ptr<TextField> weak = std::static_pointer_cast<TextField>(field->weak_from_this().lock());
        GtkSignals::connect(entry, "changed", [weak, entry] {
            auto strong = weak.lock();
            if (!strong)
                return;
            std::u16string typed = toUtf16(gtk_entry_get_text(GTK_ENTRY(entry)));
            if (typed == strong->text())
                return;
            strong->setText(std::move(typed));
            // The user's typing, as the toolkit reports it.
            strong->sendActionsForControlEvent(ControlEvent::EditingChanged);
        });
        // The keyboard coming to the entry begins the field's editing and
        // leaving it ends it, so that the field's delegate hears both (a
        // typed name is taken when its editing ends).
        GtkSignals::connectEvent(entry, "focus-in-event", [weak](const GdkEvent&) {
            if (auto strong = weak.lock(); strong && !strong->isFirstResponder())
                strong->becomeFirstResponder();
            return false;
        });
        GtkSignals::connectEvent(entry, "focus-out-event", [weak](const GdkEvent&) {
            if (auto strong = weak.lock(); strong && strong->isFirstResponder())
                strong->resignFirstResponder();
            return false;
        });
        // Return in the entry asks the delegate, then is the field's primary action.
        GtkSignals::connect(entry, "activate", [weak] {
            auto strong = weak.lock();
            if (!strong)
                return;
            if (strong->isEditing())
                strong->pressReturn();
            else
                strong->sendActionsForControlEvent(ControlEvent::PrimaryActionTriggered);
        });
        return entry;
    }
    if (auto* toggle = dynamic_cast<Switch*>(&view)) {
        GtkWidget* widget = gtk_switch_new();
        gtk_switch_set_active(GTK_SWITCH(widget), toggle->isOn());
        std::weak_ptr<Switch> weak = std::static_pointer_cast<Switch>(toggle->weak_from_this().lock());
        GtkSignals::connectNotify(widget, "notify::active", [weak, widget] {
            auto strong = weak.lock();
            if (strong && strong->isOn() != bool(gtk_switch_get_active(GTK_SWITCH(widget))))
                strong->toggle();
        });
        return widget;
    }
    if (auto* segmented = dynamic_cast<SegmentedControl*>(&view))
        return GtkControlBridges::buildSegmentedControl(*segmented);
    if (auto* slider = dynamic_cast<Slider*>(&view))
        return GtkControlBridges::buildSlider(*slider);
    if (auto* stepper = dynamic_cast<Stepper*>(&view))
        return GtkControlBridges::buildStepper(*stepper);
    if (auto* spinner = dynamic_cast<ActivityIndicatorView*>(&view))
        return GtkControlBridges::buildActivityIndicator(*spinner);
    if (auto* imageView = dynamic_cast<ImageView*>(&view)) {
        auto image = imageView->image();
        GtkWidget* widget = gtk_image_new();
        if (cairo_surface_t* surface = surfaceForImageView(*imageView)) {
            gtk_image_set_from_surface(GTK_IMAGE(widget), surface);
            cairo_surface_destroy(surface);
        } else if (image) {
            gtk_image_set_from_icon_name(GTK_IMAGE(widget), "image-missing", GTK_ICON_SIZE_BUTTON);
        }
        return widget;
    }
    if (view.drawsOwnContent()) {
        GtkWidget* area = GtkDrawnViews::build(view);
        // Drawn content in a scroll view (laid-out text) places views on
        // itself as it is scrolled: it gets their layer from the start.
        bool scrolled = dynamic_cast<const ScrollView*>(view.superview().get()) != nullptr;
        if (view.subviews().empty() && !scrolled)
            return area;
        // Views placed on a drawing (the link buttons and pictures of laid-out
        // text) stand over it; between them the pointer reaches the drawing.
        GtkWidget* overlay = gtk_overlay_new();
        gtk_container_add(GTK_CONTAINER(overlay), area);
        GtkWidget* placed = buildFixed(view, view.frame().size);
        gtk_overlay_add_overlay(GTK_OVERLAY(overlay), placed);
        gtk_overlay_set_overlay_pass_through(GTK_OVERLAY(overlay), placed, TRUE);
        return overlay;
    }
    if (auto* table = dynamic_cast<TableView*>(&view)) {
        GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
        // A table scrolls up and down only: a row wider than the table
        // widens it instead of hiding its end behind a sideways scroll.
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
        GtkWidget* list = gtk_list_box_new();
        gtk_container_add(GTK_CONTAINER(scroller), list);
        gtk_widget_set_hexpand(scroller, TRUE);
        gtk_widget_set_vexpand(scroller, TRUE);
        gtk_widget_set_size_request(scroller, builderPixels(std::min(view.frame().width(), 400.0)),
                                    builderPixels(std::min(table->contentSize().height, 400.0)));
        std::weak_ptr<TableView> weak = std::static_pointer_cast<TableView>(table->weak_from_this().lock());
        GtkSignals::connectRow(list, "row-activated", [weak](GtkListBoxRow* row) {
            auto strong = weak.lock();
            if (!strong || !g_object_get_data(G_OBJECT(row), kRowKey))
                return;
            // Stored one higher than the index, so that zero means "header row".
            auto section = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(row), kSectionKey)) - 1;
            auto index = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(row), kRowKey)) - 1;
            strong->tapRowAtIndexPath(IndexPath{section, index});
            // A row the controller deselects at once (a link, a command)
            // must not stay drawn as chosen.
            std::vector<IndexPath> selected = strong->indexPathsForSelectedRows();
            bool stillSelected = std::find(selected.begin(), selected.end(), IndexPath{section, index}) != selected.end();
            if (!stillSelected)
                if (GtkWidget* list = gtk_widget_get_parent(GTK_WIDGET(row)); GTK_IS_LIST_BOX(list))
                    gtk_list_box_unselect_row(GTK_LIST_BOX(list), row);
        });
        fillListBox(*table, list);
        if (m_tableHook)
            m_tableHook(*table, list);
        return scroller;
    }

    // A scroll view scrolls its content in a scrolled window (those that
    // draw themselves were made drawing areas above).
    if (dynamic_cast<ScrollView*>(&view)) {
        // One that has no width of its own yet (a bar that stretches with
        // its window) shows all its content; whoever holds it scrolls.
        if (view.frame().width() <= 0)
            return buildFixed(view, static_cast<ScrollView&>(view).contentSize());
        GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_widget_set_hexpand(scroller, TRUE);
        gtk_widget_set_vexpand(scroller, TRUE);
        // Placed among other views, it takes its frame, as every view there
        // does; a scrolled window alone would shrink to its smallest.
        g_object_set_data(G_OBJECT(scroller), kSizedByFrameKey, GINT_TO_POINTER(1));
        GtkWidget* content = buildFixed(view, static_cast<ScrollView&>(view).contentSize());
        gtk_container_add(GTK_CONTAINER(scroller), content);
        followScrolling(scroller, static_cast<ScrollView&>(view));
        return scroller;
    }
    return buildFixed(view, view.frame().size);
}

GtkWidget* GtkViewBuilder::barScroller(GtkWidget* bar)
{
    // The bars' buttons act on the page and leave it the keyboard.
    for (GtkWidget* button : widgetsOfType(bar, GTK_TYPE_BUTTON))
        gtk_widget_set_focus_on_click(button, FALSE);
    // A bar wider than its window scrolls sideways rather than widening it.
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_AUTOMATIC, GTK_POLICY_NEVER);
    gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(scroller), TRUE);
    gtk_container_add(GTK_CONTAINER(scroller), bar);
    // A bar only goes sideways: the wheel turned over it moves it along, so
    // that the keys past the window's edge can be reached without finding
    // the scrollbar that shows only under the pointer.
    GtkSignals::connectEvent(scroller, "scroll-event", [scroller](const GdkEvent& event) {
        double dx = 0;
        double dy = 0;
        GdkScrollDirection direction = GDK_SCROLL_SMOOTH;
        if (gdk_event_get_scroll_direction(&event, &direction)) {
            if (direction != GDK_SCROLL_UP && direction != GDK_SCROLL_DOWN)
                return false;
            dy = direction == GDK_SCROLL_DOWN ? 1 : -1;
        } else if (!gdk_event_get_scroll_deltas(&event, &dx, &dy) || dx != 0 || dy == 0) {
            return false;
        }
        GtkAdjustment* across = gtk_scrolled_window_get_hadjustment(GTK_SCROLLED_WINDOW(scroller));
        // The step the toolkit takes for a wheel turn on a scrollbar.
        double page = gtk_adjustment_get_page_size(across);
        double step = std::pow(std::max(page, 1.0), 2.0 / 3.0);
        double end = gtk_adjustment_get_upper(across) - page;
        gtk_adjustment_set_value(across, std::clamp(gtk_adjustment_get_value(across) + dy * step,
                                                    gtk_adjustment_get_lower(across), std::max(end, 0.0)));
        return true;
    });
    return scroller;
}

GtkWidget* GtkViewBuilder::buildContainer(BarContainerView& container)
{
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    // A bar keeps its height; a drawn one has no size of its own to ask for.
    auto buildBar = [this](View& bar) -> GtkWidget* {
        GtkWidget* built = build(bar);
        if (!built)
            return nullptr;
        if (bar.drawsOwnContent()) {
            // A drawn bar (the margins ruler) is as wide as the window,
            // also after the window is resized: whether it is drawn alone
            // or with what lies over it, its last width must not hold the
            // window wider.
            gtk_widget_set_size_request(built, -1, builderPixels(bar.frame().height()));
            GtkDrawnViews::followAllocatedWidth(built, bar);
        } else {
            gtk_widget_set_size_request(built, builderPixels(bar.frame().width()), builderPixels(bar.frame().height()));
        }
        return barScroller(built);
    };
    for (const std::shared_ptr<View>& bar : container.bars(BarContainerView::Edge::Top)) {
        if (GtkWidget* built = buildBar(*bar))
            gtk_box_pack_start(GTK_BOX(box), built, FALSE, FALSE, 0);
    }
    GtkWidget* overlay = gtk_overlay_new();
    GtkWidget* content = container.contentView() ? build(*container.contentView()) : nullptr;
    if (!content)
        content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    // The content takes the room the window gives it; the size its view
    // was made with must not hold the window larger than the screen.
    gtk_widget_set_size_request(content, -1, -1);
    gtk_widget_set_hexpand(content, TRUE);
    gtk_widget_set_vexpand(content, TRUE);
    if (const std::optional<BarContainerView::Band>& band = container.contentBand()) {
        // The band lies over an empty room, below whatever floats over it.
        gtk_container_add(GTK_CONTAINER(overlay), gtk_box_new(GTK_ORIENTATION_VERTICAL, 0));
        g_object_set_data(G_OBJECT(content), kBandTopKey, GINT_TO_POINTER(builderPixels(band->y)));
        g_object_set_data(G_OBJECT(content), kBandHeightKey, GINT_TO_POINTER(std::max(1, builderPixels(band->height))));
        g_signal_connect(overlay, "get-child-position", G_CALLBACK(placeBand), nullptr);
        gtk_overlay_add_overlay(GTK_OVERLAY(overlay), content);
    } else {
        // A page that was a band before fills its room again.
        g_object_set_data(G_OBJECT(content), kBandHeightKey, nullptr);
        gtk_container_add(GTK_CONTAINER(overlay), content);
    }
    // What floats over the page is laid over it as every view over a page is.
    GtkViewOverlay::cover(overlay, container);
    gtk_box_pack_start(GTK_BOX(box), overlay, TRUE, TRUE, 0);
    for (const std::shared_ptr<View>& bar : container.bars(BarContainerView::Edge::Bottom)) {
        if (GtkWidget* built = buildBar(*bar))
            gtk_box_pack_start(GTK_BOX(box), built, FALSE, FALSE, 0);
    }
    return box;
}

GtkWidget* GtkViewBuilder::buildFixed(View& view, Size size)
{
    GtkWidget* fixed = gtk_fixed_new();
    // Only for comparison: the view is never reached through it.
    g_object_set_data(G_OBJECT(fixed), kFixedForKey, &view);
    placingFixed().emplace(&view, fixed);
    g_signal_connect(fixed, "destroy", G_CALLBACK(forgetPlacingFixed), &view);
    gtk_widget_set_size_request(fixed, builderPixels(size.width), builderPixels(size.height));
    for (const auto& subview : view.subviews()) {
        if (GtkWidget* child = build(*subview))
            placeInFixed(fixed, child, *subview, view, true);
    }
    return fixed;
}

std::vector<GtkWidget*> GtkViewBuilder::widgetsShowingView(const View& view)
{
    std::vector<GtkWidget*> widgets;
    auto [first, last] = shownWidgets().equal_range(&view);
    for (auto it = first; it != last; ++it)
        widgets.push_back(it->second);
    return widgets;
}

void GtkViewBuilder::followSubviews(View& view)
{
    if (g_buildDepth > 0)
        return;
    std::vector<GtkWidget*> fixedWidgets;
    auto [first, last] = placingFixed().equal_range(&view);
    for (auto it = first; it != last; ++it)
        fixedWidgets.push_back(it->second);
    for (GtkWidget* fixed : fixedWidgets) {
        // Widgets of views taken out of the view go; views added get theirs.
        std::vector<const void*> shown;
        GList* children = gtk_container_get_children(GTK_CONTAINER(fixed));
        for (GList* child = children; child; child = child->next) {
            auto* widget = GTK_WIDGET(child->data);
            const void* address = viewAddressOf(widget);
            bool kept = std::any_of(view.subviews().begin(), view.subviews().end(),
                                    [address](const std::shared_ptr<View>& subview) { return subview.get() == address; });
            if (address && !kept && !g_object_get_data(G_OBJECT(widget), kNativeKey))
                gtk_widget_destroy(widget);
            else if (address)
                shown.push_back(address);
        }
        g_list_free(children);
        for (const std::shared_ptr<View>& subview : view.subviews()) {
            // A native widget (a page) is placed by a rebuild only: it
            // must never be moved into a tree about to go.
            if (subview->isHidden() || subview->nativeWidgetHandle()
                || std::find(shown.begin(), shown.end(), subview.get()) != shown.end())
                continue;
            GtkViewBuilder builder(nullptr);
            if (GtkWidget* child = builder.build(*subview)) {
                placeInFixed(fixed, child, *subview, view, true);
                gtk_widget_show_all(child);
            }
        }
    }
}

void GtkViewBuilder::followFrame(const View& view)
{
    std::shared_ptr<View> parent = view.superview();
    std::vector<GtkWidget*> widgets = widgetsShowingView(view);
    // A view shown again after it was hidden had no widget made for it.
    if (widgets.empty() && parent && !view.isHidden())
        followSubviews(*parent);
    for (GtkWidget* widget : widgets) {
        GtkWidget* holder = gtk_widget_get_parent(widget);
        if (!holder)
            continue;
        if (GTK_IS_FIXED(holder) && parent && g_object_get_data(G_OBJECT(holder), kFixedForKey) == parent.get()) {
            // Hidden and shown in place: the views of laid-out text come
            // and go as it scrolls. (A spinner shows and hides itself.)
            if (!dynamic_cast<const ActivityIndicatorView*>(&view)) {
                if (view.isHidden())
                    gtk_widget_hide(widget);
                else if (!gtk_widget_get_visible(widget))
                    gtk_widget_show_all(widget);
            }
            placeInFixed(holder, widget, view, *parent, false);
        } else if (auto* origin = static_cast<Point*>(g_object_get_data(G_OBJECT(widget), kOverOriginKey));
                   origin && GTK_IS_OVERLAY(holder)) {
            placeOver(holder, widget, view, *origin);
        }
    }
}

void GtkViewBuilder::followBackgroundColor(const View& view)
{
    for (GtkWidget* widget : widgetsShowingView(view)) {
        // A native widget keeps its own look, as when it was built.
        if (widget != view.nativeWidgetHandle())
            paintBackground(widget, view);
        gtk_widget_queue_draw(widget);
    }
}

void GtkViewBuilder::placeOver(GtkWidget* overlay, GtkWidget* child, const View& view, Point origin)
{
    Rect frame = view.frame();
    gtk_widget_set_size_request(child, builderPixels(frame.width()), builderPixels(frame.height()));
    gtk_widget_set_halign(child, GTK_ALIGN_START);
    gtk_widget_set_valign(child, GTK_ALIGN_START);
    gtk_widget_set_margin_start(child, builderPixels(frame.minX() - origin.x));
    gtk_widget_set_margin_top(child, builderPixels(frame.minY() - origin.y));
    g_object_set_data_full(G_OBJECT(child), kOverOriginKey, new Point(origin), [](gpointer data) { delete static_cast<Point*>(data); });
    if (gtk_widget_get_parent(child) != overlay)
        gtk_overlay_add_overlay(GTK_OVERLAY(overlay), child);
}

void GtkViewBuilder::fillListBox(TableView& table, GtkWidget* listBox)
{
    GList* children = gtk_container_get_children(GTK_CONTAINER(listBox));
    for (GList* child = children; child; child = child->next)
        gtk_widget_destroy(GTK_WIDGET(child->data));
    g_list_free(children);
    // Only a row the table marks as chosen shows so: the keyboard focus a
    // panel gives its first row when it opens chooses nothing.
    bool anySelected = false;
    for (std::size_t section = 0; section < table.numberOfSections() && !anySelected; ++section) {
        for (std::size_t index = 0; index < table.numberOfRowsInSection(section) && !anySelected; ++index) {
            auto cell = table.cellForRowAtIndexPath({section, index});
            anySelected = cell && cell->isSelected();
        }
    }
    gtk_list_box_set_selection_mode(GTK_LIST_BOX(listBox), anySelected ? GTK_SELECTION_SINGLE : GTK_SELECTION_NONE);
    for (std::size_t section = 0; section < table.numberOfSections(); ++section) {
        std::u16string header = table.titleForHeaderInSection(section);
        if (!header.empty()) {
            // A title (a menu's, a section's) reads as a title: in the text's
            // own colour, and never taking the keyboard focus, whose
            // outline it would otherwise wear when the list opens.
            GtkWidget* row = gtk_list_box_row_new();
            GtkWidget* label = gtk_label_new(nullptr);
            gchar* markup = g_markup_printf_escaped("<b>%s</b>", toUtf8(header).c_str());
            gtk_label_set_markup(GTK_LABEL(label), markup);
            g_free(markup);
            gtk_label_set_xalign(GTK_LABEL(label), 0);
            gtk_widget_set_margin_start(label, 8);
            gtk_widget_set_margin_top(label, 4);
            gtk_widget_set_margin_bottom(label, 4);
            gtk_container_add(GTK_CONTAINER(row), label);
            gtk_widget_set_can_focus(row, FALSE);
            gtk_list_box_row_set_activatable(GTK_LIST_BOX_ROW(row), FALSE);
            gtk_list_box_row_set_selectable(GTK_LIST_BOX_ROW(row), FALSE);
            gtk_container_add(GTK_CONTAINER(listBox), row);
        }
        for (std::size_t index = 0; index < table.numberOfRowsInSection(section); ++index) {
            auto cell = table.cellForRowAtIndexPath({section, index});
            GtkWidget* row = gtk_list_box_row_new();
            gtk_container_add(GTK_CONTAINER(row), rowForCell(*cell));
            // As tall as the table lays the row out: a panel sized for its
            // rows is filled by them, not half empty.
            gtk_widget_set_size_request(row, -1, builderPixels(table.heightForRowAtIndexPath({section, index})));
            GtkControlBridges::applyRowBackgroundColor(row, cell->backgroundColor());
            g_object_set_data(G_OBJECT(row), kSectionKey, GSIZE_TO_POINTER(section + 1));
            g_object_set_data(G_OBJECT(row), kRowKey, GSIZE_TO_POINTER(index + 1));
            gtk_container_add(GTK_CONTAINER(listBox), row);
            if (cell->isSelected())
                gtk_list_box_select_row(GTK_LIST_BOX(listBox), GTK_LIST_BOX_ROW(row));
        }
    }
    gtk_widget_show_all(listBox);
}

} // namespace folio
