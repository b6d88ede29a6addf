#pragma once

#include <gtk/gtk.h>

namespace folio {

// Tooltips that would outlast what they belong to: a tooltip shown for a
// widget of a panel that closes would stay on screen with nothing under it.
class GtkTooltips {
public:
    // The display looks again at what the pointer is over, with the widgets
    // of `closing` (a panel about to go; null for none) showing no tooltip.
    static void dropStray(GtkWidget* closing);
    // The control a popover opens from keeps no tooltip while the popover is
    // open, as a click on it puts its tooltip away: shown on, the tooltip
    // would outlast the popover with the pointer long gone. It comes back
    // for the pointer's next visit, not at once.
    static void silenceWhileOpen(GtkWidget* popover, GtkWidget* anchor);
};

} // namespace folio
