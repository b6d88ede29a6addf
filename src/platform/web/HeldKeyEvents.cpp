#include "platform/web/HeldKeyEvents.h"

#include <gtk/gtk.h>

#include <utility>

namespace folio {

HeldKeyEvents::HeldKeyEvents(GtkWidget* widget)
    : m_widget(widget)
{
    g_object_ref(m_widget);
    g_signal_connect(m_widget, "key-press-event", G_CALLBACK(onKeyEvent), this);
    g_signal_connect(m_widget, "key-release-event", G_CALLBACK(onKeyEvent), this);
}

HeldKeyEvents::~HeldKeyEvents()
{
    g_signal_handlers_disconnect_by_data(m_widget, this);
    g_object_unref(m_widget);
    clear();
}

void HeldKeyEvents::hold()
{
    m_holding = true;
}

void HeldKeyEvents::deliver()
{
    m_holding = false;
    // A key handed over may run the loop (a page answering a script) and
    // bring in another held one; handing over never nests.
    if (std::exchange(m_delivering, true))
        return;
    for (std::size_t next = 0; next < m_events.size() && !m_holding; ++next) {
        GdkEvent* event = std::exchange(m_events[next], nullptr);
        gtk_widget_event(m_widget, event);
        gdk_event_free(event);
    }
    m_delivering = false;
    // Held again meanwhile: what was not handed over waits on.
    std::erase(m_events, nullptr);
}

void HeldKeyEvents::discard()
{
    m_holding = false;
    clear();
}

void HeldKeyEvents::clear()
{
    for (GdkEvent* event : m_events) {
        if (event)
            gdk_event_free(event);
    }
    m_events.clear();
}

int HeldKeyEvents::onKeyEvent(GtkWidget*, GdkEvent* event, void* data)
{
    auto* held = static_cast<HeldKeyEvents*>(data);
    if (!held->m_holding)
        return FALSE;
    held->m_events.push_back(gdk_event_copy(event));
    return TRUE;
}

} // namespace folio
