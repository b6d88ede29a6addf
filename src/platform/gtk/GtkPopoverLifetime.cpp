#include "platform/gtk/GtkPopoverLifetime.h"

#include "platform/gtk/GtkSignals.h"
#include "platform/gtk/GtkTooltips.h"
#include "platform/gtk/GtkViewBuilder.h"

namespace folio {

void GtkPopoverLifetime::destroyLater(GtkWidget* widget)
{
    GtkTooltips::dropStray(widget);
    gtk_widget_hide(widget);
    g_object_ref(widget);
    g_idle_add(
        [](gpointer data) -> gboolean {
            gtk_widget_destroy(GTK_WIDGET(data));
            g_object_unref(data);
            return G_SOURCE_REMOVE;
        },
        widget);
}

void GtkPopoverLifetime::forgetOnDestroy(GtkWidget* widget, GtkWidget** slot, std::weak_ptr<int> lifetime)
{
    GtkSignals::connect(widget, "destroy", [widget, slot, lifetime] {
        if (!lifetime.expired() && *slot == widget)
            *slot = nullptr;
    });
}

std::vector<GtkPopoverLifetime::Held> GtkPopoverLifetime::hold(const std::vector<GtkWidget*>& popovers, GtkWidget* old, GtkWidget* holder)
{
    std::vector<Held> held;
    for (GtkWidget* popover : popovers) {
        GtkWidget* anchor = gtk_popover_get_relative_to(GTK_POPOVER(popover));
        if (!anchor || (anchor != old && !gtk_widget_is_ancestor(anchor, old)))
            continue;
        Held hold{popover, nullptr, {}};
        // The nearest widget that stands for a view is what the popover points at.
        for (GtkWidget* widget = anchor; widget && widget != old && !hold.view; widget = gtk_widget_get_parent(widget)) {
            if ((hold.view = GtkViewBuilder::viewAddressOf(widget)))
                anchor = widget;
        }
        if (!gtk_popover_get_pointing_to(GTK_POPOVER(popover), &hold.pointing) || hold.pointing.width <= 0) {
            hold.pointing = GdkRectangle{0, 0, gtk_widget_get_allocated_width(anchor), gtk_widget_get_allocated_height(anchor)};
        }
        GdkRectangle inHolder = hold.pointing;
        gtk_widget_translate_coordinates(anchor, holder, hold.pointing.x, hold.pointing.y, &inHolder.x, &inHolder.y);
        g_object_ref(popover);
        gtk_popover_set_relative_to(GTK_POPOVER(popover), holder);
        gtk_popover_set_pointing_to(GTK_POPOVER(popover), &inHolder);
        held.push_back(hold);
    }
    return held;
}

void GtkPopoverLifetime::repoint(std::vector<Held>& held, GtkWidget* root)
{
    for (Held& hold : held) {
        GtkWidget* anchor = hold.view ? GtkViewBuilder::widgetForViewAddress(root, hold.view) : nullptr;
        // A view that is gone leaves the popover where it stood in the window.
        if (anchor) {
            gtk_popover_set_relative_to(GTK_POPOVER(hold.popover), anchor);
            gtk_popover_set_pointing_to(GTK_POPOVER(hold.popover), &hold.pointing);
        }
        g_object_unref(hold.popover);
    }
    held.clear();
}

} // namespace folio
