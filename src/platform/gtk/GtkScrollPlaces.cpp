#include "platform/gtk/GtkScrollPlaces.h"

namespace folio {

namespace {

void collectScrollers(GtkWidget* widget, std::vector<GtkScrolledWindow*>& found)
{
    if (GTK_IS_SCROLLED_WINDOW(widget))
        found.push_back(GTK_SCROLLED_WINDOW(widget));
    if (!GTK_IS_CONTAINER(widget))
        return;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* child = children; child; child = child->next)
        collectScrollers(GTK_WIDGET(child->data), found);
    g_list_free(children);
}

std::vector<GtkScrolledWindow*> scrollersUnder(GtkWidget* root)
{
    std::vector<GtkScrolledWindow*> found;
    if (root)
        collectScrollers(root, found);
    return found;
}

struct PendingPlace {
    double value;
    gulong handler = 0;
    // A content that never grows as tall again (shortened meanwhile) stops
    // the wait after a while, so that its later growth does not jump.
    int changesLeft = 200;
};

// A new scroller's range is empty until its content is allocated, and a
// text view's grows as it lays out its lines: the place is set once the range
// reaches it, and only once, so that the person's own scrolling afterwards is
// left alone.
void onRangeChanged(GtkAdjustment* adjustment, gpointer data)
{
    auto* pending = static_cast<PendingPlace*>(data);
    const double page = gtk_adjustment_get_page_size(adjustment);
    if (page <= 0 || gtk_adjustment_get_upper(adjustment) - page < pending->value) {
        if (--pending->changesLeft <= 0)
            g_signal_handler_disconnect(adjustment, pending->handler);
        return;
    }
    const double value = pending->value;
    g_signal_handler_disconnect(adjustment, pending->handler);
    gtk_adjustment_set_value(adjustment, value);
}

} // namespace

std::vector<double> GtkScrollPlaces::of(GtkWidget* root)
{
    std::vector<double> places;
    for (GtkScrolledWindow* scroller : scrollersUnder(root))
        places.push_back(gtk_adjustment_get_value(gtk_scrolled_window_get_vadjustment(scroller)));
    return places;
}

void GtkScrollPlaces::restore(GtkWidget* root, const std::vector<double>& places)
{
    std::vector<GtkScrolledWindow*> scrollers = scrollersUnder(root);
    for (std::size_t rank = 0; rank < scrollers.size() && rank < places.size(); ++rank) {
        if (places[rank] <= 0)
            continue;
        GtkAdjustment* adjustment = gtk_scrolled_window_get_vadjustment(scrollers[rank]);
        auto* pending = new PendingPlace{places[rank]};
        pending->handler = g_signal_connect_data(adjustment, "changed", G_CALLBACK(onRangeChanged), pending,
                                                 [](gpointer data, GClosure*) { delete static_cast<PendingPlace*>(data); },
                                                 GConnectFlags(0));
    }
}

} // namespace folio
