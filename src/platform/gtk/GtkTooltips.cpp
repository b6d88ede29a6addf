#include "platform/gtk/GtkTooltips.h"

namespace folio {

namespace {

// Closing widgets say they have no tooltip: while they are still there (a
// popover is destroyed a turn later, and the pointer's leaving arrives later
// still), the display's look would find them and keep theirs.
void dropTooltipsOf(GtkWidget* widget)
{
    gtk_widget_set_has_tooltip(widget, FALSE);
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(GTK_CONTAINER(widget), [](GtkWidget* child, gpointer) { dropTooltipsOf(child); }, nullptr);
}

void restoreTooltip(GtkWidget* anchor)
{
    gchar* text = gtk_widget_get_tooltip_text(anchor);
    gtk_widget_set_has_tooltip(anchor, text != nullptr);
    g_free(text);
}

} // namespace

void GtkTooltips::dropStray(GtkWidget* closing)
{
    if (closing)
        dropTooltipsOf(closing);
    if (GdkDisplay* display = gdk_display_get_default())
        gtk_tooltip_trigger_tooltip_query(display);
}

void GtkTooltips::silenceWhileOpen(GtkWidget* popover, GtkWidget* anchor)
{
    if (!anchor || !gtk_widget_get_has_tooltip(anchor))
        return;
    gtk_widget_set_has_tooltip(anchor, FALSE);
    dropStray(nullptr);
    g_signal_connect_object(popover, "destroy", G_CALLBACK(restoreTooltip), anchor, G_CONNECT_SWAPPED);
}

} // namespace folio
