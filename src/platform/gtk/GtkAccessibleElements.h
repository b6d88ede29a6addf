#pragma once

#include <gtk/gtk.h>

#include <memory>

namespace folio {

class View;

// Hands the accessibility elements of a view that draws what it shows (the
// runs of laid-out text) to the desktop's screen readers: the drawing area
// standing for the view has one accessible child per element, a piece of
// static text or a link named by its text and placed where it is drawn, or,
// for an element that another view shows (an attachment's), an object that
// answers as that view's widget does.
class GtkAccessibleElements {
public:
    // A drawing area whose accessible object asks `viewOf(area)` for the
    // elements each time a screen reader looks.
    using ViewOfArea = std::shared_ptr<View> (*)(GtkWidget* area);
    static GtkWidget* newDrawingArea(ViewOfArea viewOf);
    // Tells the screen readers when the elements under `area` changed (the
    // text was laid out anew): the old children go, the new ones come.
    static void elementsMayHaveChanged(GtkWidget* area);
};

} // namespace folio
