#include "platform/web/HeldKeyEvents.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <utility>

namespace folio {

namespace {

constexpr const char* kHeldKeysKey = "folio-held-key-events";

} // namespace

HeldKeyEvents::HeldKeyEvents(GtkWidget* widget)
    : m_widget(widget)
{
    g_object_ref(m_widget);
    g_object_set_data(G_OBJECT(m_widget), kHeldKeysKey, this);
    g_signal_connect(m_widget, "key-press-event", G_CALLBACK(onKeyEvent), this);
    g_signal_connect(m_widget, "key-release-event", G_CALLBACK(onKeyEvent), this);
}

HeldKeyEvents::~HeldKeyEvents()
{
    *m_alive = false;
    g_signal_handlers_disconnect_by_data(m_widget, this);
    if (g_object_get_data(G_OBJECT(m_widget), kHeldKeysKey) == this)
        g_object_set_data(G_OBJECT(m_widget), kHeldKeysKey, nullptr);
    g_object_unref(m_widget);
    clear();
}

bool HeldKeyEvents::keyWaits(GtkWidget* widget, const GdkEvent* event)
{
    auto* held = widget ? static_cast<HeldKeyEvents*>(g_object_get_data(G_OBJECT(widget), kHeldKeysKey)) : nullptr;
    return held && held->waits(event);
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
    std::shared_ptr<bool> alive = m_alive;
    for (std::size_t next = 0; next < m_events.size() && !m_holding; ++next) {
        if (m_pacer && m_events[next]->type == GDK_KEY_PRESS) {
            m_pacer();
            if (!*alive)
                return;
            // Held again, or dropped, meanwhile.
            if (m_holding || next >= m_events.size())
                break;
        }
        GdkEvent* event = std::exchange(m_events[next], nullptr);
        m_handingOver = event;
        handOver(event);
        m_handingOver = nullptr;
        gdk_event_free(event);
        if (!*alive)
            return;
    }
    m_delivering = false;
    // Held again meanwhile: what was not handed over waits on.
    std::erase(m_events, nullptr);
}

void HeldKeyEvents::handOver(GdkEvent* event)
{
    // While the widget has its window's focus the key goes in as a typed
    // one does, through the window, whose shortcuts come first. A key whose
    // widget lost the focus meanwhile (to a field the person clicked) was
    // still typed into the widget, and goes there.
    GtkWidget* toplevel = gtk_widget_get_toplevel(m_widget);
    bool focused = GTK_IS_WINDOW(toplevel) && !GTK_IS_OFFSCREEN_WINDOW(toplevel)
        && gtk_window_get_focus(GTK_WINDOW(toplevel)) == m_widget;
    gtk_widget_event(focused ? toplevel : m_widget, event);
}

HeldKeyEvents::KeySignature HeldKeyEvents::signatureOf(const GdkEvent* event)
{
    return {event->type, event->key.time, event->key.hardware_keycode};
}

bool HeldKeyEvents::notePassedOn(const GdkEvent* event)
{
    constexpr std::size_t kKeysRemembered = 128;
    KeySignature key = signatureOf(event);
    if (std::find(m_passedOn.begin(), m_passedOn.end(), key) != m_passedOn.end())
        return false;
    m_passedOn.push_back(key);
    if (m_passedOn.size() > kKeysRemembered)
        m_passedOn.pop_front();
    // Only the presses that waited are counted: they are what a save waits
    // for the page to have taken. A key typed once the page was ready may
    // never reach its documents (one an input method keeps), and counting
    // it would make every later save wait in vain.
    if (event->type == GDK_KEY_PRESS && m_handingOver && signatureOf(m_handingOver) == key)
        ++m_pressesPassedOn;
    return true;
}

bool HeldKeyEvents::isOnItsWay(const GdkEvent* event) const
{
    KeySignature key = signatureOf(event);
    return (m_handingOver && signatureOf(m_handingOver) == key)
        || std::find(m_passedOn.begin(), m_passedOn.end(), key) != m_passedOn.end();
}

void HeldKeyEvents::restartPassedOnCount()
{
    m_pressesPassedOn = 0;
    m_passedOn.clear();
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
    // While the waiting keys are handed over, a key typed meanwhile waits
    // behind them; only the one handed over, or one coming back from the
    // page on its way to the window, goes on.
    if (!held->waits(event)) {
        held->notePassedOn(event);
        return FALSE;
    }
    held->m_events.push_back(gdk_event_copy(event));
    return TRUE;
}

} // namespace folio
