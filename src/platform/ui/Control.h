#pragma once

#include "platform/ui/View.h"

#include <functional>
#include <vector>

namespace folio {

enum class ControlEvent {
    TouchDown,
    TouchUpInside,
    ValueChanged,
    EditingDidBegin,
    EditingChanged,
    EditingDidEnd,
    PrimaryActionTriggered,
};

enum class ControlState { Normal, Highlighted, Disabled, Selected };

// A view that reports user actions to its targets. Targets are callbacks that
// receive the control, so one handler can serve several controls by tag.
class Control : public View {
public:
    using Action = std::function<void(Control&)>;

    using View::View;

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled)
    {
        m_enabled = enabled;
        controlDidChange();
    }
    bool isSelected() const { return m_selected; }
    // A change of either state is shown at once (a style button that
    // follows the text at the caret).
    void setSelected(bool selected);
    bool isHighlighted() const { return m_highlighted; }
    // Subclasses that show or pass on their highlight override it; a touch
    // and a tap both go through it.
    virtual void setHighlighted(bool highlighted);
    // The state that picks titles and images: disabled wins over highlighted,
    // highlighted over selected.
    ControlState state() const;

    void addAction(ControlEvent event, Action action);
    void removeAllActions() { m_actions.clear(); }
    bool hasActionsForEvent(ControlEvent event) const;
    // Runs the actions registered for the event, in the order they were added.
    // A disabled control sends nothing.
    void sendActionsForControlEvent(ControlEvent event);

    // A touch on a control that follows it itself, in the control's own
    // coordinates: begin answers whether the control takes the touch,
    // continue whether it goes on following it.
    virtual bool beginTrackingWithTouch(Point) { return false; }
    virtual bool continueTrackingWithTouch(Point) { return false; }
    virtual void endTrackingWithTouch(Point) {}
    virtual void cancelTrackingWithEvent() {}

protected:
    // Lets the presenter show a state that changed in code rather than by touch.
    void controlDidChange();

private:
    bool m_enabled = true;
    bool m_selected = false;
    bool m_highlighted = false;
    std::vector<std::pair<ControlEvent, Action>> m_actions;
};

} // namespace folio
