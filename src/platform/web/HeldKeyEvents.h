#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

typedef struct _GtkWidget GtkWidget;
typedef union _GdkEvent GdkEvent;

namespace folio {

// Keys typed into a widget while it cannot take them yet (a page still
// loading), kept in the order typed and handed to the widget later, so that
// nothing a person typed early is lost or lands in a page about to be
// replaced. Presses and releases are kept alike: the page sees each key go
// down and come up, as typed.
//
// The widget's key signals are heard before its own handlers. The window's
// shortcuts (Ctrl+B, Ctrl+F) pressed while the widget has the focus are kept
// too, when the window leaves them to a widget that holds (see isHolding):
// once handed over, each key goes through its window again, as if typed
// then, so that a shortcut acts on the ready page, in its place among the
// typed keys. Main thread only.
class HeldKeyEvents {
public:
    explicit HeldKeyEvents(GtkWidget* widget);
    ~HeldKeyEvents();
    HeldKeyEvents(const HeldKeyEvents&) = delete;
    HeldKeyEvents& operator=(const HeldKeyEvents&) = delete;

    bool isHolding() const { return m_holding; }
    // Whether a key reaching the widget now would wait: a window's shortcut
    // pressed in it is then left to it, to wait in order with the keys typed.
    static bool keyWaits(GtkWidget* widget, const GdkEvent* event);
    // From now on, keys reaching the widget wait.
    void hold();
    // Keys go to the widget again; those that waited go first, in order.
    void deliver();
    // Runs before each waiting key press is handed over (see WebView).
    void setPacer(std::function<void()> pacer) { m_pacer = std::move(pacer); }
    // Keys go to the widget again; those that waited are dropped.
    void discard();

    // How many key events wait now.
    std::size_t count() const { return m_events.size(); }
    // How many of the waiting key presses went on to the widget, since it
    // was made or since the last restart of the count.
    std::size_t pressesPassedOn() const { return m_pressesPassedOn; }
    void restartPassedOnCount();

private:
    static int onKeyEvent(GtkWidget* widget, GdkEvent* event, void* data);
    void handOver(GdkEvent* event);
    // Remembers a key going on to the widget, and counts it when it is a
    // press that waited; false when it went on before (a key the page left unhandled
    // comes by again on its way to the window).
    bool notePassedOn(const GdkEvent* event);
    // Whether the key is the one being handed over now, or went on before.
    bool isOnItsWay(const GdkEvent* event) const;
    bool waits(const GdkEvent* event) const { return m_holding || (m_delivering && !isOnItsWay(event)); }
    void clear();

    GtkWidget* m_widget;
    std::vector<GdkEvent*> m_events;
    std::function<void()> m_pacer;
    std::size_t m_pressesPassedOn = 0;
    // The last keys passed on, by kind, time and key.
    struct KeySignature {
        int type;
        std::uint32_t time;
        std::uint16_t keycode;
        bool operator==(const KeySignature&) const = default;
    };
    static KeySignature signatureOf(const GdkEvent* event);
    std::deque<KeySignature> m_passedOn;
    const GdkEvent* m_handingOver = nullptr;
    bool m_holding = false;
    bool m_delivering = false;
    // Cleared when this goes: a key handed over may close what holds it.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace folio
