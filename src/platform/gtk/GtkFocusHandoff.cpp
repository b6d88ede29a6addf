#include "platform/gtk/GtkFocusHandoff.h"

namespace folio {

namespace {

// A widget waiting off screen (a page loading) sits in a window of its own
// that never shows.
bool isInShownWindow(GtkWidget* widget)
{
    GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
    return toplevel && gtk_widget_is_toplevel(toplevel) && !GTK_IS_OFFSCREEN_WINDOW(toplevel)
        && gtk_widget_get_mapped(widget);
}

// A field being typed into, an open popover or an alert keeps the keyboard.
bool someoneTypesElsewhere(GtkWidget* widget)
{
    // A popover or an alert holds the pointer and the keys while it is up.
    GtkWidget* grab = gtk_grab_get_current();
    if (grab && grab != widget && !gtk_widget_is_ancestor(widget, grab))
        return true;
    GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
    GtkWidget* focus = GTK_IS_WINDOW(toplevel) ? gtk_window_get_focus(GTK_WINDOW(toplevel)) : nullptr;
    if (!focus || focus == widget || gtk_widget_is_ancestor(focus, widget))
        return false;
    return GTK_IS_EDITABLE(focus) || GTK_IS_TEXT_VIEW(focus) || gtk_widget_get_ancestor(focus, GTK_TYPE_POPOVER);
}

void grabOnceShown(GtkWidget* shown, gpointer)
{
    // Mapped in its off-screen window: not yet.
    if (!isInShownWindow(shown))
        return;
    g_signal_handlers_disconnect_by_func(shown, reinterpret_cast<gpointer>(&grabOnceShown), nullptr);
    if (!someoneTypesElsewhere(shown))
        gtk_widget_grab_focus(shown);
}

} // namespace

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

bool GtkFocusHandoff::grabUnlessTypingElsewhere(GtkWidget* widget)
{
    g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(&grabOnceShown), nullptr);
    if (!isInShownWindow(widget)) {
        g_signal_connect_after(widget, "map", G_CALLBACK(&grabOnceShown), nullptr);
        return true;
    }
    if (someoneTypesElsewhere(widget))
        return false;
    gtk_widget_grab_focus(widget);
    return true;
}

} // namespace folio
