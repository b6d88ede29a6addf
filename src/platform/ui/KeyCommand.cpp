#include "platform/ui/KeyCommand.h"

#include <cctype>

namespace folio {

namespace {
constexpr unsigned kRelevantModifiers = KeyModifierShift | KeyModifierControl | KeyModifierAlternate | KeyModifierCommand;

std::string folded(const std::string& input)
{
    if (input.size() != 1)
        return input;
    return std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(input[0]))));
}
} // namespace

bool KeyCommand::matches(const std::string& input, unsigned modifierFlags) const
{
    return (m_modifierFlags & kRelevantModifiers) == (modifierFlags & kRelevantModifiers) && folded(m_input) == folded(input);
}

bool KeyCommand::perform()
{
    if (m_disabled)
        return false;
    auto keep = weak_from_this().lock();
    if (m_handler)
        m_handler(*this);
    return true;
}

} // namespace folio
