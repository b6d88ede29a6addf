#include "platform/gtk/GtkSignals.h"

namespace folio {

namespace {
template <typename Function>
void destroyHandler(gpointer data, GClosure*)
{
    delete static_cast<Function*>(data);
}

template <typename Function>
gulong connectWith(gpointer instance, const char* signal, Function handler, GCallback trampoline)
{
    auto* stored = new Function(std::move(handler));
    return g_signal_connect_data(instance, signal, trampoline, stored, destroyHandler<Function>, GConnectFlags(0));
}

void plainTrampoline(gpointer, gpointer data) { (*static_cast<std::function<void()>*>(data))(); }
void notifyTrampoline(gpointer, GParamSpec*, gpointer data) { (*static_cast<std::function<void()>*>(data))(); }
void intTrampoline(gpointer, int value, gpointer data) { (*static_cast<std::function<void(int)>*>(data))(value); }
void rowTrampoline(gpointer, GtkListBoxRow* row, gpointer data)
{
    (*static_cast<std::function<void(GtkListBoxRow*)>*>(data))(row);
}
gboolean deleteTrampoline(gpointer, GdkEvent*, gpointer data) { return (*static_cast<std::function<bool()>*>(data))(); }
gboolean eventTrampoline(gpointer, GdkEvent* event, gpointer data)
{
    return (*static_cast<std::function<bool(const GdkEvent&)>*>(data))(*event);
}
gboolean keyTrampoline(gpointer, GdkEventKey* event, gpointer data)
{
    return (*static_cast<std::function<bool(const GdkEventKey&)>*>(data))(*event);
}
void pointTrampoline(gpointer, gdouble x, gdouble y, gpointer data)
{
    (*static_cast<std::function<void(double, double)>*>(data))(x, y);
}
void allocationTrampoline(gpointer, GdkRectangle* allocation, gpointer data)
{
    (*static_cast<std::function<void(int, int)>*>(data))(allocation->width, allocation->height);
}
} // namespace

gulong GtkSignals::connect(gpointer instance, const char* signal, std::function<void()> handler)
{
    return connectWith(instance, signal, std::move(handler), G_CALLBACK(plainTrampoline));
}

gulong GtkSignals::connectNotify(gpointer instance, const char* signal, std::function<void()> handler)
{
    return connectWith(instance, signal, std::move(handler), G_CALLBACK(notifyTrampoline));
}

gulong GtkSignals::connectInt(gpointer instance, const char* signal, std::function<void(int)> handler)
{
    return connectWith(instance, signal, std::move(handler), G_CALLBACK(intTrampoline));
}

gulong GtkSignals::connectRow(gpointer instance, const char* signal, std::function<void(GtkListBoxRow*)> handler)
{
    return connectWith(instance, signal, std::move(handler), G_CALLBACK(rowTrampoline));
}

gulong GtkSignals::connectDelete(gpointer instance, std::function<bool()> handler)
{
    return connectWith(instance, "delete-event", std::move(handler), G_CALLBACK(deleteTrampoline));
}

gulong GtkSignals::connectEvent(gpointer instance, const char* signal, std::function<bool(const GdkEvent&)> handler)
{
    return connectWith(instance, signal, std::move(handler), G_CALLBACK(eventTrampoline));
}

gulong GtkSignals::connectKeyPress(gpointer instance, std::function<bool(const GdkEventKey&)> handler)
{
    return connectWith(instance, "key-press-event", std::move(handler), G_CALLBACK(keyTrampoline));
}

gulong GtkSignals::connectPoint(gpointer instance, const char* signal, std::function<void(double, double)> handler)
{
    return connectWith(instance, signal, std::move(handler), G_CALLBACK(pointTrampoline));
}

gulong GtkSignals::connectAllocation(gpointer instance, std::function<void(int, int)> handler)
{
    return connectWith(instance, "size-allocate", std::move(handler), G_CALLBACK(allocationTrampoline));
}

} // namespace folio
