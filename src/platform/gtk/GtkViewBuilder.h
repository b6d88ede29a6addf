#pragma once

#include "platform/graphics/Geometry.h"

#include <gtk/gtk.h>

#include <functional>
#include <vector>

namespace folio {

class BarContainerView;
class ImageView;
class ProgressHUD;
class TableView;
class View;

// Turns a view tree of the UI model into GTK widgets: labels, buttons, text
// entries, switches, segmented controls, sliders, steppers, spinners and
// images become their GTK counterparts, views that draw themselves become
// drawing areas, background colours are painted,
// tables become list boxes, views that carry a native widget embed it, an
// editor's bar container becomes its bars around its content, and
// every other view becomes a fixed container placing its subviews by frame.
class GtkViewBuilder {
public:
    // Called for each table built, so the owner can refill it on reload.
    using TableHook = std::function<void(TableView&, GtkWidget* listBox)>;

    explicit GtkViewBuilder(TableHook tableHook) : m_tableHook(std::move(tableHook)) {}

    // Null for hidden views. The caller owns the (floating) result.
    GtkWidget* build(View& view);
    // A fixed container of the size placing the view's subviews by frame.
    GtkWidget* buildFixed(View& view, Size size);
    // Native widgets embedded by build(); their owners hold them, so they
    // must be taken out before the built tree is destroyed.
    const std::vector<GtkWidget*>& nativeWidgets() const { return m_nativeWidgets; }

    // Replaces the rows of a list box with the table's current cells.
    static void fillListBox(TableView& table, GtkWidget* listBox);
    // The spinner or result icon of the progress overlay, with its status.
    static GtkWidget* buildProgressHUDContent(const ProgressHUD& hud);
    // The widget under `root` built for `view`; null when there is none.
    static GtkWidget* widgetForView(GtkWidget* root, const View& view);
    // The same for a view known only by its address (a menu's anchor).
    static GtkWidget* widgetForViewAddress(GtkWidget* root, const void* view);
    // The address of the view the widget was built for; null for none.
    static const void* viewAddressOf(GtkWidget* widget);
    // Shows the image view's current image in the widget built for it.
    static void refreshImage(GtkWidget* root, const ImageView& view);
    // Takes an embedded native widget out of its parent without destroying it.
    static void detachNativeWidget(GtkWidget* widget);
    // Every widget built for the view that is still alive, in any window or panel.
    static std::vector<GtkWidget*> widgetsShowingView(const View& view);
    // Moves and resizes the widgets built for the view to its frame, as the
    // container placing them (a fixed container, or the overlay of views
    // beside a controller's view) would have placed them when it was built.
    static void followFrame(const View& view);
    // Builds, in every fixed container placing the view's subviews, the
    // widgets of subviews added since, and takes out those of subviews gone.
    static void followSubviews(View& view);
    // Paints the widgets built for the view in its current background colour.
    static void followBackgroundColor(const View& view);
    // Places `child`, built for `view`, over `overlay` at the view's frame
    // less `origin` (where the overlay's content starts in the same
    // coordinates); followFrame keeps it there.
    static void placeOver(GtkWidget* overlay, GtkWidget* child, const View& view, Point origin);

private:
    GtkWidget* buildOwn(View& view);
    // Bars above and below the content, views floating over it.
    GtkWidget* buildContainer(BarContainerView& container);
    static GtkWidget* barScroller(GtkWidget* bar);

    TableHook m_tableHook;
    std::vector<GtkWidget*> m_nativeWidgets;
};

} // namespace folio
