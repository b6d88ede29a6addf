#pragma once

#include <gtk/gtk.h>

namespace folio {

class Menu;

// Fills a popover's box with a menu: one flat button per action, submenus
// as titled sections set off by separators. Picking closes the popover and
// then runs the action.
class GtkMenuPopover {
public:
    static void fill(GtkWidget* box, GtkWidget* popover, const Menu& menu);
    // What goes into a popover around its content: a panel taller than the
    // popover's window would be cut off at the window's edge, its top out of
    // reach; it scrolls instead, from its top, at most as tall as the window
    // leaves room for beside the popover's anchor.
    static GtkWidget* scrollerWithinWindow(GtkWidget* content, GtkWidget* popover);

private:
    static void addElements(GtkWidget* box, GtkWidget* popover, const Menu& menu, bool nested);
};

} // namespace folio
