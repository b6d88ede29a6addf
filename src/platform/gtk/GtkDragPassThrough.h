#pragma once

#include <gtk/gtk.h>

namespace folio {

// The toolkit looks for a drop target by the widgets' boxes, not by where
// they take the pointer: a layer laid over a page that lets the pointer
// through would still hide the page from every drag, and text dragged
// within the page would find nowhere to land. The layer takes each drag and
// hands it on to the drop target beneath it in the overlay.
class GtkDragPassThrough {
public:
    static void attach(GtkWidget* layer, GtkWidget* overlay);
};

} // namespace folio
