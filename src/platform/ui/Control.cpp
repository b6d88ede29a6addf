#include "platform/ui/Control.h"

#include "platform/ui/Presenter.h"

#include <algorithm>

namespace folio {

ControlState Control::state() const
{
    if (!m_enabled)
        return ControlState::Disabled;
    if (m_highlighted)
        return ControlState::Highlighted;
    if (m_selected)
        return ControlState::Selected;
    return ControlState::Normal;
}

void Control::addAction(ControlEvent event, Action action)
{
    if (action)
        m_actions.emplace_back(event, std::move(action));
}

bool Control::hasActionsForEvent(ControlEvent event) const
{
    return std::any_of(m_actions.begin(), m_actions.end(), [event](const auto& entry) { return entry.first == event; });
}

void Control::sendActionsForControlEvent(ControlEvent event)
{
    if (!m_enabled)
        return;
    // An action may add or remove actions or release this control's owner:
    // run a snapshot and keep ourselves alive meanwhile.
    auto keep = weak_from_this().lock();
    auto snapshot = m_actions;
    for (auto& [registered, action] : snapshot) {
        if (registered == event)
            action(*this);
    }
}

void Control::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    controlDidChange();
}

void Control::setHighlighted(bool highlighted)
{
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    controlDidChange();
}

void Control::controlDidChange() { Presenter::current().controlDidChange(*this); }

} // namespace folio
