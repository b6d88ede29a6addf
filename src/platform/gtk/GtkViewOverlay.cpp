#include "platform/gtk/GtkViewOverlay.h"

#include "platform/foundation/Dispatch.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/gtk/GtkDragPassThrough.h"
#include "platform/gtk/GtkSignals.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextView.h"
#include "platform/ui/View.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace folio {

namespace {

constexpr const char* kLayerViewKey = "folio-overlay-root";
constexpr const char* kChildViewKey = "folio-overlay-view";
constexpr const char* kTouchViewKey = "folio-overlay-touch";
// Set on a layer that shows a container's floating views rather than the
// subviews of a page.
constexpr const char* kFloatingLayerKey = "folio-overlay-floating";
constexpr const char* kSyncingKey = "folio-overlay-syncing";
constexpr const char* kPlainKey = "folio-overlay-plain";

struct Layer {
    std::weak_ptr<View> root;
    GtkWidget* widget;
};

std::vector<Layer>& layers()
{
    static std::vector<Layer> all;
    return all;
}

using WeakView = std::weak_ptr<View>;

void setWeakView(GtkWidget* widget, const char* key, const std::shared_ptr<View>& view)
{
    g_object_set_data_full(G_OBJECT(widget), key, new WeakView(view), [](gpointer data) { delete static_cast<WeakView*>(data); });
}

std::shared_ptr<View> weakView(GtkWidget* widget, const char* key)
{
    auto* weak = static_cast<WeakView*>(g_object_get_data(G_OBJECT(widget), key));
    return weak ? weak->lock() : nullptr;
}

void setSource(cairo_t* cr, const Color& color)
{
    cairo_set_source_rgba(cr, color.red(), color.green(), color.blue(), color.alpha());
}

// Where an image view shows its picture within its bounds.
Rect pictureRect(const ImageView& view, const Image& image)
{
    Rect bounds{{0, 0}, view.bounds().size};
    Size natural = image.size();
    if (natural.width <= 0 || natural.height <= 0)
        return {};
    switch (view.contentMode()) {
    case ContentMode::ScaleAspectFit:
    case ContentMode::ScaleAspectFill: {
        double sx = bounds.width() / natural.width;
        double sy = bounds.height() / natural.height;
        double scale = view.contentMode() == ContentMode::ScaleAspectFit ? std::min(sx, sy) : std::max(sx, sy);
        Size shown{natural.width * scale, natural.height * scale};
        return makeRect((bounds.width() - shown.width) / 2, (bounds.height() - shown.height) / 2, shown.width, shown.height);
    }
    case ContentMode::ScaleToFill:
    case ContentMode::Redraw:
        return bounds;
    default:
        return makeRect((bounds.width() - natural.width) / 2, (bounds.height() - natural.height) / 2, natural.width,
                        natural.height);
    }
}

// The layer's origin on the screen, so that pointer positions are taken
// from the layer, which stays put while the views under the pointer move.
bool layerPoint(GtkWidget* layer, double rootX, double rootY, Point& point)
{
    GdkWindow* window = gtk_widget_get_window(layer);
    if (!window)
        return false;
    int x = 0;
    int y = 0;
    gdk_window_get_origin(window, &x, &y);
    if (!gtk_widget_get_has_window(layer)) {
        GtkAllocation allocation;
        gtk_widget_get_allocation(layer, &allocation);
        x += allocation.x;
        y += allocation.y;
    }
    point = Point{rootX - x, rootY - y};
    return true;
}

GtkWidget* layerOfArea(GtkWidget* area)
{
    return gtk_widget_get_parent(area);
}

BarContainerView* floatingHost(GtkWidget* layer, View& root)
{
    return g_object_get_data(G_OBJECT(layer), kFloatingLayerKey) ? dynamic_cast<BarContainerView*>(&root) : nullptr;
}

// The point of the root's coordinates at the layer's top left corner: the
// page's scroll origin, or the top of the room a container's bars leave.
Point layerOrigin(GtkWidget* layer, View& root)
{
    if (BarContainerView* container = floatingHost(layer, root))
        return container->contentFrame().origin;
    return root.bounds().origin;
}

// The views a layer shows, from the bottom up.
std::vector<std::shared_ptr<View>> viewsOver(GtkWidget* layer, View& root)
{
    BarContainerView* container = floatingHost(layer, root);
    if (!container)
        return root.subviews();
    std::vector<std::shared_ptr<View>> floating;
    for (const BarContainerView::Floating& entry : container->floatingViews())
        floating.push_back(entry.view);
    return floating;
}

// A container's floating views take their places in the room the window
// really gives its content, which the model's bars need not leave exactly:
// they stand where they are drawn, and a touch finds them there.
void placeFloatingViews(GtkWidget* layer, BarContainerView& container)
{
    int width = gtk_widget_get_allocated_width(layer);
    int height = gtk_widget_get_allocated_height(layer);
    Rect model = container.contentFrame();
    Rect room = width > 1 && height > 1 ? Rect{model.origin, {double(width), double(height)}} : model;
    for (const BarContainerView::Floating& floating : container.floatingViews())
        floating.view->setFrame(BarContainerView::floatingFrame(floating, room));
}

void syncLayer(GtkWidget* layer);

// Hands one pointer event to the view under it as a touch, then shows what
// the model made of it.
void deliverTouch(GtkWidget* area, GdkEventType type, double rootX, double rootY)
{
    GtkWidget* layer = layerOfArea(area);
    std::shared_ptr<View> root = layer ? weakView(layer, kLayerViewKey) : nullptr;
    Point point;
    if (!root || !layerPoint(layer, rootX, rootY, point))
        return;
    Point origin = layerOrigin(layer, *root);
    Point inRoot{point.x + origin.x, point.y + origin.y};
    // The area may go while the model answers (the edit ends); it is kept
    // until the event is done.
    g_object_ref(area);
    if (type == GDK_BUTTON_PRESS) {
        std::shared_ptr<View> child = weakView(area, kChildViewKey);
        std::shared_ptr<View> hit;
        if (child && child->superview() == root) {
            Point inChild = root->convertPointToView(inRoot, child.get());
            hit = child->hitTest(inChild);
        }
        if (hit) {
            setWeakView(area, kTouchViewKey, hit);
            hit->touchesBegan({root->convertPointToView(inRoot, hit.get())});
        } else {
            g_object_set_data(G_OBJECT(area), kTouchViewKey, nullptr);
        }
    } else if (std::shared_ptr<View> hit = weakView(area, kTouchViewKey)) {
        if (type == GDK_MOTION_NOTIFY) {
            hit->touchesMoved({root->convertPointToView(inRoot, hit.get())});
        } else {
            g_object_set_data(G_OBJECT(area), kTouchViewKey, nullptr);
            hit->touchesEnded(0);
        }
    }
    if (gtk_widget_get_parent(area) == layer)
        syncLayer(layer);
    g_object_unref(area);
}

gboolean areaPressed(GtkWidget* area, GdkEventButton* event, gpointer)
{
    if (event->button == 1 && event->type == GDK_BUTTON_PRESS)
        deliverTouch(area, GDK_BUTTON_PRESS, event->x_root, event->y_root);
    return TRUE;
}

gboolean areaMoved(GtkWidget* area, GdkEventMotion* event, gpointer)
{
    if (event->state & GDK_BUTTON1_MASK)
        deliverTouch(area, GDK_MOTION_NOTIFY, event->x_root, event->y_root);
    return TRUE;
}

gboolean areaReleased(GtkWidget* area, GdkEventButton* event, gpointer)
{
    if (event->button == 1)
        deliverTouch(area, GDK_BUTTON_RELEASE, event->x_root, event->y_root);
    return TRUE;
}

// The area is placed on whole pixels; the view's fraction of a pixel is
// kept in the drawing.
struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    double shiftX = 0;
    double shiftY = 0;
};

Placement placementOf(Point origin, const View& child)
{
    Rect frame = child.frame();
    double left = frame.minX() - origin.x;
    double top = frame.minY() - origin.y;
    Placement placement;
    placement.x = static_cast<int>(std::floor(left));
    placement.y = static_cast<int>(std::floor(top));
    placement.shiftX = left - placement.x;
    placement.shiftY = top - placement.y;
    placement.width = std::max(1, static_cast<int>(std::ceil(left + frame.width())) - placement.x);
    placement.height = std::max(1, static_cast<int>(std::ceil(top + frame.height())) - placement.y);
    return placement;
}

gboolean areaDraw(GtkWidget* area, cairo_t* cr, gpointer)
{
    std::shared_ptr<View> view = weakView(area, kChildViewKey);
    GtkWidget* layer = layerOfArea(area);
    std::shared_ptr<View> root = layer ? weakView(layer, kLayerViewKey) : nullptr;
    if (!view || !root || view->superview() != root)
        return FALSE;
    Placement placement = placementOf(layerOrigin(layer, *root), *view);
    cairo_save(cr);
    cairo_translate(cr, placement.shiftX, placement.shiftY);
    GtkViewOverlay::paint(*view, cr);
    cairo_restore(cr);
    return FALSE;
}

GtkWidget* makeArea(const std::shared_ptr<View>& view)
{
    GtkWidget* area = gtk_drawing_area_new();
    setWeakView(area, kChildViewKey, view);
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_BUTTON_MOTION_MASK);
    g_signal_connect(area, "draw", G_CALLBACK(areaDraw), nullptr);
    g_signal_connect(area, "button-press-event", G_CALLBACK(areaPressed), nullptr);
    g_signal_connect(area, "motion-notify-event", G_CALLBACK(areaMoved), nullptr);
    g_signal_connect(area, "button-release-event", G_CALLBACK(areaReleased), nullptr);
    return area;
}

// The layer's widget for `view`, made when it has none yet.
GtkWidget* widgetOnLayer(GtkWidget* layer, const std::vector<GtkWidget*>& existing, const std::shared_ptr<View>& view)
{
    bool plain = GtkViewOverlay::isPlainDrawing(*view);
    for (GtkWidget* candidate : existing) {
        if (weakView(candidate, kChildViewKey) == view && bool(g_object_get_data(G_OBJECT(candidate), kPlainKey)) == plain)
            return candidate;
    }
    GtkWidget* widget = nullptr;
    if (plain) {
        widget = makeArea(view);
    } else {
        GtkViewBuilder builder(nullptr);
        widget = builder.build(*view);
        if (!widget)
            return nullptr;
        setWeakView(widget, kChildViewKey, view);
    }
    g_object_set_data(G_OBJECT(widget), kPlainKey, GINT_TO_POINTER(plain));
    gtk_fixed_put(GTK_FIXED(layer), widget, 0, 0);
    gtk_widget_show_all(widget);
    return widget;
}

void syncLayer(GtkWidget* layer)
{
    std::shared_ptr<View> root = weakView(layer, kLayerViewKey);
    // Placing a view changes its frame, which asks for this again.
    if (!root || g_object_get_data(G_OBJECT(layer), kSyncingKey))
        return;
    g_object_set_data(G_OBJECT(layer), kSyncingKey, GINT_TO_POINTER(1));
    GList* children = gtk_container_get_children(GTK_CONTAINER(layer));
    std::vector<GtkWidget*> existing;
    for (GList* child = children; child; child = child->next)
        existing.push_back(GTK_WIDGET(child->data));
    g_list_free(children);

    std::vector<std::pair<std::shared_ptr<View>, GtkWidget*>> shown;
    for (const std::shared_ptr<View>& subview : viewsOver(layer, *root)) {
        if (subview->isHidden())
            continue;
        GtkWidget* widget = widgetOnLayer(layer, existing, subview);
        if (!widget)
            continue;
        // A control made without a size (a button of one symbol) is as
        // large as the toolkit draws it, so that it can be placed from the
        // room's far edge.
        if (subview->frame().isEmpty() && !g_object_get_data(G_OBJECT(widget), kPlainKey)) {
            GtkRequisition natural{};
            gtk_widget_get_preferred_size(widget, nullptr, &natural);
            subview->setFrame(Rect{subview->frame().origin, {double(natural.width), double(natural.height)}});
        }
        shown.emplace_back(subview, widget);
    }
    if (BarContainerView* container = floatingHost(layer, *root))
        placeFloatingViews(layer, *container);
    Point origin = layerOrigin(layer, *root);

    std::vector<GtkWidget*> wanted;
    for (const auto& [subview, widget] : shown) {
        Placement placement = placementOf(origin, *subview);
        // Moving a fixed's child lays out the whole layer again, even to where it is.
        int x = 0;
        int y = 0;
        gtk_container_child_get(GTK_CONTAINER(layer), widget, "x", &x, "y", &y, nullptr);
        if (x != placement.x || y != placement.y)
            gtk_fixed_move(GTK_FIXED(layer), widget, placement.x, placement.y);
        if (g_object_get_data(G_OBJECT(widget), kPlainKey)) {
            gtk_widget_set_size_request(widget, placement.width, placement.height);
            gtk_widget_queue_draw(widget);
        } else {
            gtk_widget_set_size_request(widget, static_cast<int>(std::lround(subview->frame().width())),
                                        static_cast<int>(std::lround(subview->frame().height())));
            gtk_widget_set_opacity(widget, subview->alpha());
        }
        wanted.push_back(widget);
    }
    for (GtkWidget* widget : existing) {
        if (std::find(wanted.begin(), wanted.end(), widget) == wanted.end())
            gtk_widget_destroy(widget);
    }
    g_object_set_data(G_OBJECT(layer), kSyncingKey, nullptr);
}

} // namespace

bool GtkViewOverlay::isPlainDrawing(const View& view)
{
    if (view.nativeWidgetHandle() || dynamic_cast<const Control*>(&view) || dynamic_cast<const Label*>(&view)
        || dynamic_cast<const TextView*>(&view) || dynamic_cast<const TableView*>(&view))
        return false;
    return std::all_of(view.subviews().begin(), view.subviews().end(),
                       [](const std::shared_ptr<View>& subview) { return isPlainDrawing(*subview); });
}

void GtkViewOverlay::paint(View& view, cairo_t* cr)
{
    if (view.isHidden() || view.alpha() <= 0)
        return;
    cairo_save(cr);
    bool faded = view.alpha() < 1;
    if (faded)
        cairo_push_group(cr);
    Rect bounds{{0, 0}, view.bounds().size};
    if (const std::optional<Color>& background = view.backgroundColor()) {
        setSource(cr, *background);
        cairo_rectangle(cr, 0, 0, bounds.width(), bounds.height());
        cairo_fill(cr);
    }
    if (auto* imageView = dynamic_cast<ImageView*>(&view); imageView && imageView->image()) {
        Rect shown = pictureRect(*imageView, *imageView->image());
        if (!shown.isEmpty())
            imageView->image()->drawInRect(cr, shown);
    }
    {
        cairo_save(cr);
        if (std::unique_ptr<GraphicsContext> context = GraphicsContext::contextDrawingInto(cr))
            view.drawLayer(*context, bounds);
        cairo_restore(cr);
    }
    for (const std::shared_ptr<View>& subview : view.subviews()) {
        cairo_save(cr);
        cairo_translate(cr, subview->frame().minX() - view.bounds().minX(), subview->frame().minY() - view.bounds().minY());
        paint(*subview, cr);
        cairo_restore(cr);
    }
    const ViewLayerStyle& layer = view.layerStyle();
    if (layer.borderWidth > 0) {
        setSource(cr, layer.borderColor);
        cairo_set_line_width(cr, layer.borderWidth);
        cairo_rectangle(cr, layer.borderWidth / 2, layer.borderWidth / 2, bounds.width() - layer.borderWidth,
                        bounds.height() - layer.borderWidth);
        cairo_stroke(cr);
    }
    if (faded) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, view.alpha());
    }
    cairo_restore(cr);
}

namespace {

// The layer covers exactly what it lies over: a view standing partly
// beyond the page's edge must not widen the layer, whose width places the
// views at the far edge.
gboolean placeLayer(GtkOverlay* overlay, GtkWidget* child, GdkRectangle* allocation, gpointer layer)
{
    if (child != layer)
        return FALSE;
    allocation->x = 0;
    allocation->y = 0;
    allocation->width = gtk_widget_get_allocated_width(GTK_WIDGET(overlay));
    allocation->height = gtk_widget_get_allocated_height(GTK_WIDGET(overlay));
    return TRUE;
}

GtkWidget* addLayer(GtkWidget* overlay, View& root, bool floating)
{
    GtkWidget* layer = gtk_fixed_new();
    gtk_widget_set_halign(layer, GTK_ALIGN_FILL);
    gtk_widget_set_valign(layer, GTK_ALIGN_FILL);
    setWeakView(layer, kLayerViewKey, root.sharedAs<View>());
    if (floating)
        g_object_set_data(G_OBJECT(layer), kFloatingLayerKey, GINT_TO_POINTER(1));
    gtk_overlay_add_overlay(GTK_OVERLAY(overlay), layer);
    g_signal_connect(overlay, "get-child-position", G_CALLBACK(placeLayer), layer);
    // The layer itself takes no pointer: only the views on it do.
    gtk_overlay_set_overlay_pass_through(GTK_OVERLAY(overlay), layer, TRUE);
    GtkDragPassThrough::attach(layer, overlay);
    layers().push_back(Layer{root.sharedAs<View>(), layer});
    GtkSignals::connect(layer, "destroy", [layer] {
        auto& all = layers();
        all.erase(std::remove_if(all.begin(), all.end(), [layer](const Layer& entry) { return entry.widget == layer; }),
                  all.end());
    });
    if (floating) {
        // A view at the room's far edge moves when the window is resized.
        GtkSignals::connectAllocation(layer, [layer](int width, int height) {
            int* last = static_cast<int*>(g_object_get_data(G_OBJECT(layer), "folio-overlay-size"));
            if (last && last[0] == width && last[1] == height)
                return;
            if (!last) {
                last = new int[2];
                g_object_set_data_full(G_OBJECT(layer), "folio-overlay-size", last,
                                       [](gpointer data) { delete[] static_cast<int*>(data); });
            }
            last[0] = width;
            last[1] = height;
            // Placed in this same layout pass, so that no frame shows the
            // views where the model's room would put them.
            syncLayer(layer);
            GtkAllocation room;
            gtk_widget_get_allocation(layer, &room);
            GList* children = gtk_container_get_children(GTK_CONTAINER(layer));
            for (GList* child = children; child; child = child->next) {
                auto* widget = GTK_WIDGET(child->data);
                if (!gtk_widget_get_visible(widget))
                    continue;
                int x = 0;
                int y = 0;
                gtk_container_child_get(GTK_CONTAINER(layer), widget, "x", &x, "y", &y, nullptr);
                GtkRequisition size{};
                gtk_widget_get_preferred_size(widget, &size, nullptr);
                GtkAllocation placed{room.x + x, room.y + y, size.width, size.height};
                gtk_widget_size_allocate(widget, &placed);
            }
            g_list_free(children);
        });
    }
    syncLayer(layer);
    return layer;
}

} // namespace

GtkWidget* GtkViewOverlay::wrap(GtkWidget* native, View& view)
{
    GtkWidget* overlay = gtk_overlay_new();
    // The wrapper takes the room the native widget asked for.
    int width = -1;
    int height = -1;
    gtk_widget_get_size_request(native, &width, &height);
    gtk_widget_set_size_request(overlay, width, height);
    gtk_widget_set_size_request(native, -1, -1);
    gtk_widget_set_hexpand(overlay, gtk_widget_get_hexpand(native));
    gtk_widget_set_vexpand(overlay, gtk_widget_get_vexpand(native));
    gtk_container_add(GTK_CONTAINER(overlay), native);
    addLayer(overlay, view, false);
    return overlay;
}

GtkWidget* GtkViewOverlay::cover(GtkWidget* room, BarContainerView& container)
{
    return addLayer(room, container, true);
}

void GtkViewOverlay::refresh(View& changed)
{
    if (!isMainThread())
        return;
    std::vector<GtkWidget*> matching;
    for (const Layer& layer : layers()) {
        std::shared_ptr<View> root = layer.root.lock();
        if (root && changed.isDescendantOfView(root.get()))
            matching.push_back(layer.widget);
    }
    for (GtkWidget* layer : matching)
        syncLayer(layer);
}

GtkWidget* GtkViewOverlay::layerFor(const View& view)
{
    for (const Layer& layer : layers()) {
        if (layer.root.lock().get() == &view)
            return layer.widget;
    }
    return nullptr;
}

} // namespace folio
