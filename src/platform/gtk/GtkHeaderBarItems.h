#pragma once

#include <gtk/gtk.h>

#include <memory>

namespace folio {

class BarButtonItem;

// The widgets a window's header bar shows for the bar items of the
// controller on top.
class GtkHeaderBarItems {
public:
    // A button (a symbol, else the title) whose click is the item's tap, a
    // space, or the item's own view; null for hidden items and flexible
    // spaces.
    static GtkWidget* build(const std::shared_ptr<BarButtonItem>& item);
    // A box for the items at one end of a header bar. The items ask for no
    // width of their own: the many items a wide window's controller puts
    // there would otherwise keep the window from being made narrower, and
    // the controller only picks fewer once it is.
    static GtkWidget* side(GtkWidget* header, GtkPackType end);
};

} // namespace folio
