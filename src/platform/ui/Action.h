#pragma once

#include "platform/ui/MenuElement.h"

#include <functional>
#include <string>

namespace folio {

enum class ActionState { Off, On, Mixed };

// A menu entry that runs its handler when picked.
class Action : public MenuElement {
public:
    using Handler = std::function<void(Action&)>;

    Action(std::u16string title, std::string symbolName, Handler handler)
        : MenuElement(std::move(title), std::move(symbolName)), m_handler(std::move(handler))
    {
    }
    static std::shared_ptr<Action> make(std::u16string title, std::string symbolName, Handler handler)
    {
        return std::make_shared<Action>(std::move(title), std::move(symbolName), std::move(handler));
    }

    bool isDisabled() const { return m_disabled; }
    void setDisabled(bool disabled) { m_disabled = disabled; }
    bool isDestructive() const { return m_destructive; }
    void setDestructive(bool destructive) { m_destructive = destructive; }
    ActionState state() const { return m_state; }
    void setState(ActionState state) { m_state = state; }
    const std::string& identifier() const { return m_identifier; }
    void setIdentifier(std::string identifier) { m_identifier = std::move(identifier); }

    // A disabled action cannot be picked; answers whether the handler ran.
    bool perform();

private:
    Handler m_handler;
    bool m_disabled = false;
    bool m_destructive = false;
    ActionState m_state = ActionState::Off;
    std::string m_identifier;
};

} // namespace folio
