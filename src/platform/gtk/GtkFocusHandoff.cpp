#include "platform/gtk/GtkFocusHandoff.h"

namespace folio {

void GtkFocusHandoff::grabIfShown(GtkWidget* widget)
{
    GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
    if (toplevel && gtk_widget_is_toplevel(toplevel) && gtk_widget_get_mapped(widget))
        gtk_widget_grab_focus(widget);
}

void GtkFocusHandoff::afterPopoverCloses(GtkWidget* popover, GtkWidget* widget)
{
    g_signal_connect_data(
        popover, "unmap", G_CALLBACK(+[](GtkWidget*, gpointer data) { grabIfShown(GTK_WIDGET(data)); }),
        g_object_ref(widget), [](gpointer data, GClosure*) { g_object_unref(data); }, G_CONNECT_AFTER);
}

void GtkFocusHandoff::whenMapped(GtkWidget* widget)
{
    struct Once {
        static void mapped(GtkWidget* shown, gpointer)
        {
            g_signal_handlers_disconnect_by_func(shown, reinterpret_cast<gpointer>(&Once::mapped), nullptr);
            grabIfShown(shown);
        }
    };
    g_signal_connect_after(widget, "map", G_CALLBACK(&Once::mapped), nullptr);
}

} // namespace folio
