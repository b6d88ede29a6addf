#pragma once

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
// The widget's key signals are heard before its own handlers; keys that the
// window took as shortcuts never reach it and are not kept. Main thread only.
class HeldKeyEvents {
public:
    explicit HeldKeyEvents(GtkWidget* widget);
    ~HeldKeyEvents();
    HeldKeyEvents(const HeldKeyEvents&) = delete;
    HeldKeyEvents& operator=(const HeldKeyEvents&) = delete;

    bool isHolding() const { return m_holding; }
    // From now on, keys reaching the widget wait.
    void hold();
    // Keys go to the widget again; those that waited go first, in order.
    void deliver();
    // Keys go to the widget again; those that waited are dropped.
    void discard();

    // How many key events wait now.
    std::size_t count() const { return m_events.size(); }

private:
    static int onKeyEvent(GtkWidget* widget, GdkEvent* event, void* data);
    void clear();

    GtkWidget* m_widget;
    std::vector<GdkEvent*> m_events;
    bool m_holding = false;
    bool m_delivering = false;
};

} // namespace folio
