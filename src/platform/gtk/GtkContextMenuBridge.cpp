#include "platform/gtk/GtkContextMenuBridge.h"

#include "platform/ui/View.h"

#include <algorithm>
#include <memory>

namespace folio {

namespace {

constexpr const char* kPageViewKey = "folio-context-menu-view";

GtkContextMenuBridge::Handler& currentHandler()
{
    static GtkContextMenuBridge::Handler handler;
    return handler;
}

// Where the menu goes in the page's coordinates: at the pointer for a click,
// and for a key at the pointer when it is over the page, else near its top.
Point menuPoint(GtkWidget* page, const GdkEvent* event)
{
    GdkWindow* window = gtk_widget_get_window(page);
    int originX = 0;
    int originY = 0;
    if (window)
        gdk_window_get_origin(window, &originX, &originY);
    if (!gtk_widget_get_has_window(page)) {
        GtkAllocation allocation;
        gtk_widget_get_allocation(page, &allocation);
        originX += allocation.x;
        originY += allocation.y;
    }
    int width = gtk_widget_get_allocated_width(page);
    int height = gtk_widget_get_allocated_height(page);
    if (event && (event->type == GDK_BUTTON_PRESS || event->type == GDK_BUTTON_RELEASE))
        return Point{event->button.x_root - originX, event->button.y_root - originY};
    GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(page));
    GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
    if (pointer) {
        int x = 0;
        int y = 0;
        gdk_device_get_position(pointer, nullptr, &x, &y);
        x -= originX;
        y -= originY;
        if (x >= 0 && y >= 0 && x < width && y < height)
            return Point{double(x), double(y)};
    }
    return Point{width / 2.0, std::min(48.0, height / 2.0)};
}

// WebKitWebView's "context-menu": (view, menu, event, hit test result).
gboolean pageAsksForMenu(GtkWidget* page, gpointer, GdkEvent* event, gpointer, gpointer)
{
    auto* weak = static_cast<std::weak_ptr<View>*>(g_object_get_data(G_OBJECT(page), kPageViewKey));
    std::shared_ptr<View> view = weak ? weak->lock() : nullptr;
    if (view && currentHandler())
        currentHandler()(*view, menuPoint(page, event));
    // The engine's own menu never shows.
    return TRUE;
}

// The Menu key or shift+F10 on the page. The engine takes every key for the
// page before GTK's own bindings could ask for a menu, so they are looked at
// first.
gboolean keyAsksForMenu(GtkWidget* page, GdkEventKey* event, gpointer)
{
    GdkModifierType modifiers = GdkModifierType(event->state & gtk_accelerator_get_default_mod_mask());
    bool menuKey = event->keyval == GDK_KEY_Menu && modifiers == 0;
    bool shiftF10 = event->keyval == GDK_KEY_F10 && modifiers == GDK_SHIFT_MASK;
    if (!menuKey && !shiftF10)
        return FALSE;
    return pageAsksForMenu(page, nullptr, reinterpret_cast<GdkEvent*>(event), nullptr, nullptr);
}

} // namespace

void GtkContextMenuBridge::setHandler(Handler handler) { currentHandler() = std::move(handler); }

void GtkContextMenuBridge::attach(GtkWidget* page, View& view)
{
    if (!g_signal_lookup("context-menu", G_OBJECT_TYPE(page)))
        return;
    bool hooked = g_object_get_data(G_OBJECT(page), kPageViewKey) != nullptr;
    // The page may be shown for another view later: the latest one counts.
    g_object_set_data_full(G_OBJECT(page), kPageViewKey,
                           new std::weak_ptr<View>(std::static_pointer_cast<View>(view.weak_from_this().lock())),
                           [](gpointer data) { delete static_cast<std::weak_ptr<View>*>(data); });
    if (!hooked) {
        g_signal_connect(page, "context-menu", G_CALLBACK(pageAsksForMenu), nullptr);
        g_signal_connect(page, "key-press-event", G_CALLBACK(keyAsksForMenu), nullptr);
    }
}

} // namespace folio
