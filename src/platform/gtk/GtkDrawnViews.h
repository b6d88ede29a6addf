#pragma once

#include <gtk/gtk.h>

namespace folio {

class View;

// Drawing areas for the views of the UI model that draw themselves (custom
// steppers, swatches): the view draws into the area's cairo context through
// a GraphicsContext, and a control among them gets the mouse as touches it
// tracks itself.
class GtkDrawnViews {
public:
    static GtkWidget* build(View& view);
    // The view's width follows the width the window gives the area (a bar
    // drawn across its window, as wide as the window after a resize).
    static void followAllocatedWidth(GtkWidget* area, View& view);
    // Redraws every area under `root` that stands for `view`.
    static void queueRedraw(GtkWidget* root, const View& view);
};

} // namespace folio
