#pragma once

#include <gtk/gtk.h>

#include <functional>

namespace folio {

// Connects std::function handlers to GObject signals; the handler is freed
// with the connection, so captured weak_ptrs and the like are released when
// the widget goes away.
class GtkSignals {
public:
    // For signals whose handler takes only the instance (clicked, destroy, closed).
    static gulong connect(gpointer instance, const char* signal, std::function<void()> handler);
    // For "notify::property" signals.
    static gulong connectNotify(gpointer instance, const char* signal, std::function<void()> handler);
    // For "response" of dialogs.
    static gulong connectInt(gpointer instance, const char* signal, std::function<void(int)> handler);
    // For "row-activated" of list boxes.
    static gulong connectRow(gpointer instance, const char* signal, std::function<void(GtkListBoxRow*)> handler);
    // For "delete-event": the handler answers whether the event is handled.
    static gulong connectDelete(gpointer instance, std::function<bool()> handler);
    // Any event signal ("focus-out-event", "button-press-event"); the handler
    // answers whether it took the event, which then goes no further.
    static gulong connectEvent(gpointer instance, const char* signal, std::function<bool(const GdkEvent&)> handler);
    // For "key-press-event": the handler answers whether it took the key,
    // which then goes no further.
    static gulong connectKeyPress(gpointer instance, std::function<bool(const GdkEventKey&)> handler);
    // For signals that report a point (a long press's "pressed").
    static gulong connectPoint(gpointer instance, const char* signal, std::function<void(double x, double y)> handler);
    // For "size-allocate".
    static gulong connectAllocation(gpointer instance, std::function<void(int width, int height)> handler);
};

} // namespace folio
