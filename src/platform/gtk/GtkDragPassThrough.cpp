#include "platform/gtk/GtkDragPassThrough.h"

namespace folio {

namespace {

constexpr const char* kOverlayKey = "folio-drag-overlay";
constexpr const char* kTargetKey = "folio-drag-target";
// Where GTK 3 keeps a widget's drop site: the toolkit's own test for a drop
// target, which no public call answers (a site may have no targets yet).
constexpr const char* kDestKey = "gtk-drag-dest";

bool isPassedThrough(GtkWidget* widget)
{
    return g_object_get_data(G_OBJECT(widget), kOverlayKey) != nullptr;
}

// The drop target at a point of the layer among `widget` and what it holds:
// the innermost one, as the toolkit would have found without the layer.
GtkWidget* targetAt(GtkWidget* layer, GtkWidget* widget, int x, int y)
{
    if (!widget || !gtk_widget_get_mapped(widget) || !gtk_widget_is_sensitive(widget) || isPassedThrough(widget))
        return nullptr;
    int localX = 0;
    int localY = 0;
    if (!gtk_widget_translate_coordinates(layer, widget, x, y, &localX, &localY) || localX < 0 || localY < 0
        || localX >= gtk_widget_get_allocated_width(widget) || localY >= gtk_widget_get_allocated_height(widget))
        return nullptr;
    GtkWidget* found = nullptr;
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child && !found; child = child->next)
            found = targetAt(layer, GTK_WIDGET(child->data), x, y);
        g_list_free(children);
    }
    if (!found && g_object_get_data(G_OBJECT(widget), kDestKey))
        found = widget;
    return found;
}

// The target the drag is over, forgotten if it goes away meanwhile.
GtkWidget** targetSlot(GtkWidget* layer)
{
    return static_cast<GtkWidget**>(g_object_get_data(G_OBJECT(layer), kTargetKey));
}

void setCurrentTarget(GtkWidget* layer, GtkWidget* target)
{
    GtkWidget** slot = targetSlot(layer);
    if (*slot)
        g_object_remove_weak_pointer(G_OBJECT(*slot), reinterpret_cast<gpointer*>(slot));
    *slot = target;
    if (target)
        g_object_add_weak_pointer(G_OBJECT(target), reinterpret_cast<gpointer*>(slot));
}

// The target under the point, told that the drag left the one before.
GtkWidget* targetFollowing(GtkWidget* layer, GdkDragContext* context, int x, int y, guint time)
{
    GtkWidget** slot = targetSlot(layer);
    auto* overlay = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(layer), kOverlayKey));
    GtkWidget* target = targetAt(layer, gtk_bin_get_child(GTK_BIN(overlay)), x, y);
    if (*slot && *slot != target)
        g_signal_emit_by_name(*slot, "drag-leave", context, time);
    if (*slot != target)
        setCurrentTarget(layer, target);
    return target;
}

gboolean handOn(GtkWidget* layer, const char* signal, GdkDragContext* context, int x, int y, guint time)
{
    GtkWidget* target = targetFollowing(layer, context, x, y, time);
    if (!target)
        return FALSE;
    int targetX = 0;
    int targetY = 0;
    gtk_widget_translate_coordinates(layer, target, x, y, &targetX, &targetY);
    gboolean taken = FALSE;
    g_signal_emit_by_name(target, signal, context, targetX, targetY, time, &taken);
    return taken;
}

gboolean onMotion(GtkWidget* layer, GdkDragContext* context, int x, int y, guint time, gpointer)
{
    if (handOn(layer, "drag-motion", context, x, y, time))
        return TRUE;
    gdk_drag_status(context, GdkDragAction(0), time);
    return TRUE;
}

gboolean onDrop(GtkWidget* layer, GdkDragContext* context, int x, int y, guint time, gpointer)
{
    return handOn(layer, "drag-drop", context, x, y, time);
}

// The toolkit says the drag left just before it drops: the target hears
// it as it would have, and still takes the drop that follows.
void onLeave(GtkWidget* layer, GdkDragContext* context, guint time, gpointer)
{
    if (GtkWidget* target = *targetSlot(layer))
        g_signal_emit_by_name(target, "drag-leave", context, time);
    setCurrentTarget(layer, nullptr);
}

} // namespace

void GtkDragPassThrough::attach(GtkWidget* layer, GtkWidget* overlay)
{
    g_object_set_data(G_OBJECT(layer), kOverlayKey, overlay);
    g_object_set_data_full(G_OBJECT(layer), kTargetKey, new GtkWidget*(nullptr), [](gpointer data) {
        auto* slot = static_cast<GtkWidget**>(data);
        if (*slot)
            g_object_remove_weak_pointer(G_OBJECT(*slot), reinterpret_cast<gpointer*>(slot));
        delete slot;
    });
    // No default handling: the target beneath answers for the drag.
    gtk_drag_dest_set(layer, GtkDestDefaults(0), nullptr, 0, GdkDragAction(0));
    g_signal_connect(layer, "drag-motion", G_CALLBACK(onMotion), nullptr);
    g_signal_connect(layer, "drag-drop", G_CALLBACK(onDrop), nullptr);
    g_signal_connect(layer, "drag-leave", G_CALLBACK(onLeave), nullptr);
}

} // namespace folio
