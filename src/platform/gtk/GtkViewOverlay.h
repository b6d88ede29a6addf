#pragma once

#include <gtk/gtk.h>

namespace folio {

class BarContainerView;
class View;

// Views of the UI model laid over a native widget (the web page): the
// native widget goes into a GtkOverlay with a layer above it, where each
// subview of the native widget's view stands at its frame. A subview that is
// only drawing (a picture's frame, a crop rectangle, a divider) is painted
// from the model in a drawing area that hands the pointer to the model as
// touches; one that holds controls (a button, a label) is built as widgets.
// Wherever no subview is, the pointer goes through to the page.
//
// A container's floating views (an exit button, divider lines, page
// buttons) are laid over its content the same way: a layer over the room
// the bars leave, where each stands at the place its placement gives it in
// the room the window really has.
class GtkViewOverlay {
public:
    // Wraps `native`, which stands for `view`; the result takes its place.
    static GtkWidget* wrap(GtkWidget* native, View& view);
    // Lays the container's floating views over `room`, the overlay that
    // holds its content; answers the layer.
    static GtkWidget* cover(GtkWidget* room, BarContainerView& container);
    // Places and draws again every layer that shows `changed`, a view over
    // the page, or a view under one of them.
    static void refresh(View& changed);
    // The layer over the view's native widget; null when it has none.
    static GtkWidget* layerFor(const View& view);
    // Whether the view and its subviews are drawing only, with nothing a
    // toolkit widget must stand for.
    static bool isPlainDrawing(const View& view);
    // Paints the view with its subviews into `cr`, whose origin is the
    // view's frame origin: background, picture, own drawing, subviews, border.
    static void paint(View& view, cairo_t* cr);
};

} // namespace folio
