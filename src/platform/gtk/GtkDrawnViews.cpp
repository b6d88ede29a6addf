#include "platform/gtk/GtkDrawnViews.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/gtk/GtkAccessibleElements.h"
#include "platform/gtk/GtkSignals.h"
#include "platform/ui/Control.h"

#include <memory>

namespace folio {

namespace {

constexpr const char* kViewKey = "folio-drawn-view";
constexpr const char* kIdentityKey = "folio-drawn-view-identity";

std::shared_ptr<View> viewOf(GtkWidget* widget)
{
    auto* weak = static_cast<std::weak_ptr<View>*>(g_object_get_data(G_OBJECT(widget), kViewKey));
    return weak ? weak->lock() : nullptr;
}

gboolean draw(GtkWidget* widget, cairo_t* cr, gpointer)
{
    if (auto view = viewOf(widget)) {
        if (std::unique_ptr<GraphicsContext> context = GraphicsContext::contextDrawingInto(cr))
            view->drawLayer(*context, Rect{{0, 0}, view->bounds().size});
    }
    return FALSE;
}

Control* drawnControlOf(GtkWidget* widget, std::shared_ptr<View>& keep)
{
    keep = viewOf(widget);
    auto* control = dynamic_cast<Control*>(keep.get());
    return control && control->isEnabled() && control->isUserInteractionEnabled() ? control : nullptr;
}

gboolean pressed(GtkWidget* widget, GdkEventButton* event, gpointer)
{
    std::shared_ptr<View> keep;
    if (auto* control = drawnControlOf(widget, keep); control && event->button == 1) {
        bool tracking = control->beginTrackingWithTouch(Point{event->x, event->y});
        g_object_set_data(G_OBJECT(widget), "folio-tracking", GINT_TO_POINTER(tracking));
        gtk_widget_queue_draw(widget);
    }
    return TRUE;
}

gboolean moved(GtkWidget* widget, GdkEventMotion* event, gpointer)
{
    std::shared_ptr<View> keep;
    auto* control = drawnControlOf(widget, keep);
    if (control && g_object_get_data(G_OBJECT(widget), "folio-tracking")) {
        control->continueTrackingWithTouch(Point{event->x, event->y});
        gtk_widget_queue_draw(widget);
    }
    return TRUE;
}

gboolean released(GtkWidget* widget, GdkEventButton* event, gpointer)
{
    std::shared_ptr<View> keep;
    auto* control = drawnControlOf(widget, keep);
    if (control && g_object_get_data(G_OBJECT(widget), "folio-tracking")) {
        g_object_set_data(G_OBJECT(widget), "folio-tracking", GINT_TO_POINTER(0));
        control->endTrackingWithTouch(Point{event->x, event->y});
        gtk_widget_queue_draw(widget);
    }
    return TRUE;
}

void redrawMatching(GtkWidget* widget, gpointer data)
{
    if (g_object_get_data(G_OBJECT(widget), kIdentityKey) == data) {
        gtk_widget_queue_draw(widget);
        // What is drawn anew may be laid out anew.
        GtkAccessibleElements::elementsMayHaveChanged(widget);
    }
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(GTK_CONTAINER(widget), redrawMatching, data);
}

} // namespace

GtkWidget* GtkDrawnViews::build(View& view)
{
    GtkWidget* area = GtkAccessibleElements::newDrawingArea(viewOf);
    auto* weak = new std::weak_ptr<View>(std::static_pointer_cast<View>(view.weak_from_this().lock()));
    g_object_set_data_full(G_OBJECT(area), kViewKey, weak, [](gpointer data) { delete static_cast<std::weak_ptr<View>*>(data); });
    g_object_set_data(G_OBJECT(area), kIdentityKey, &view);
    g_signal_connect(area, "draw", G_CALLBACK(draw), nullptr);
    if (dynamic_cast<Control*>(&view)) {
        gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_BUTTON_MOTION_MASK);
        g_signal_connect(area, "button-press-event", G_CALLBACK(pressed), nullptr);
        g_signal_connect(area, "motion-notify-event", G_CALLBACK(moved), nullptr);
        g_signal_connect(area, "button-release-event", G_CALLBACK(released), nullptr);
    }
    return area;
}

void GtkDrawnViews::followAllocatedWidth(GtkWidget* area, View& view)
{
    std::weak_ptr<View> weak = std::static_pointer_cast<View>(view.weak_from_this().lock());
    GtkSignals::connectAllocation(area, [weak, area](int width, int) {
        auto strong = weak.lock();
        if (!strong || width <= 0 || strong->frame().width() == width)
            return;
        Rect frame = strong->frame();
        frame.size.width = width;
        strong->setFrame(frame);
        strong->setNeedsLayout();
        strong->layoutIfNeeded();
        gtk_widget_queue_draw(area);
    });
}

void GtkDrawnViews::queueRedraw(GtkWidget* root, const View& view)
{
    if (root)
        redrawMatching(root, const_cast<View*>(&view));
}

} // namespace folio
