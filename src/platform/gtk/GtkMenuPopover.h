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

private:
    static void addElements(GtkWidget* box, GtkWidget* popover, const Menu& menu, bool nested);
};

} // namespace folio
