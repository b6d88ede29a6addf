#pragma once

#include "platform/graphics/Geometry.h"

#include <gtk/gtk.h>

#include <functional>

namespace folio {

class View;

// Puts the edit menu of the model where a desktop user looks for it on a
// page: a right-click, the Menu key or shift+F10 asks for it at that place,
// in place of the web engine's own menu (whose items would reload the page
// or open links outside the editor).
class GtkContextMenuBridge {
public:
    // Asked with the view the page stands for and the point in its coordinates.
    using Handler = std::function<void(View& page, Point at)>;

    // One handler for every page; none leaves pages without a menu.
    static void setHandler(Handler handler);
    // Hooks the page's widget once; a widget that is no page is left alone.
    static void attach(GtkWidget* page, View& view);
};

} // namespace folio
