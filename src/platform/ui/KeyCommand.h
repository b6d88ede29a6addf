#pragma once

#include <functional>
#include <memory>
#include <string>

namespace folio {

enum KeyModifierFlags : unsigned {
    KeyModifierNone = 0,
    KeyModifierShift = 1u << 17,
    KeyModifierControl = 1u << 18,
    KeyModifierAlternate = 1u << 19,
    KeyModifierCommand = 1u << 20,
};

inline const std::string kKeyInputUpArrow = "UIKeyInputUpArrow";
inline const std::string kKeyInputDownArrow = "UIKeyInputDownArrow";
inline const std::string kKeyInputLeftArrow = "UIKeyInputLeftArrow";
inline const std::string kKeyInputRightArrow = "UIKeyInputRightArrow";
inline const std::string kKeyInputEscape = "UIKeyInputEscape";
inline const std::string kKeyInputPageUp = "UIKeyInputPageUp";
inline const std::string kKeyInputPageDown = "UIKeyInputPageDown";

// A hardware key combination and what it does. The input is a character
// ("b") or one of the named keys above.
class KeyCommand : public std::enable_shared_from_this<KeyCommand> {
public:
    using Handler = std::function<void(KeyCommand&)>;

    KeyCommand(std::string input, unsigned modifierFlags, std::u16string title, Handler handler)
        : m_input(std::move(input)), m_modifierFlags(modifierFlags), m_title(std::move(title)), m_handler(std::move(handler))
    {
    }
    static std::shared_ptr<KeyCommand> make(std::string input, unsigned modifierFlags, std::u16string title, Handler handler)
    {
        return std::make_shared<KeyCommand>(std::move(input), modifierFlags, std::move(title), std::move(handler));
    }

    const std::string& input() const { return m_input; }
    unsigned modifierFlags() const { return m_modifierFlags; }
    const std::u16string& title() const { return m_title; }
    const std::u16string& discoverabilityTitle() const { return m_discoverabilityTitle.empty() ? m_title : m_discoverabilityTitle; }
    void setDiscoverabilityTitle(std::u16string title) { m_discoverabilityTitle = std::move(title); }
    bool wantsPriorityOverSystemBehavior() const { return m_priority; }
    void setWantsPriorityOverSystemBehavior(bool priority) { m_priority = priority; }
    bool isDisabled() const { return m_disabled; }
    void setDisabled(bool disabled) { m_disabled = disabled; }

    // Letters match whatever their case; the shift flag tells them apart.
    bool matches(const std::string& input, unsigned modifierFlags) const;
    bool perform();

private:
    std::string m_input;
    unsigned m_modifierFlags;
    std::u16string m_title;
    std::u16string m_discoverabilityTitle;
    Handler m_handler;
    bool m_priority = false;
    bool m_disabled = false;
};

} // namespace folio
