#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <utility>
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
    // Whether the widget's keys wait now: a window's shortcut pressed in it
    // is left to it, to wait in order with the keys typed.
    static bool isHolding(GtkWidget* widget);
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
    // How many key presses went on to the widget, since it was made or
    // since the last restart of the count.
    std::size_t pressesPassedOn() const { return m_pressesPassedOn; }
    void restartPassedOnCount();

private:
    static int onKeyEvent(GtkWidget* widget, GdkEvent* event, void* data);
    void handOver(GdkEvent* event);
    void countPassedOn(const GdkEvent* event);
    void clear();

    GtkWidget* m_widget;
    std::vector<GdkEvent*> m_events;
    std::function<void()> m_pacer;
    std::size_t m_pressesPassedOn = 0;
    // The last presses counted, by time and key: a key the page left
    // unhandled comes by again on its way to the window, and counts once.
    std::deque<std::pair<std::uint32_t, std::uint16_t>> m_countedPresses;
    bool m_holding = false;
    bool m_delivering = false;
    // Cleared when this goes: a key handed over may close what holds it.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace folio
