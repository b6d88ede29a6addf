#include "engine/css/CSSStyleDictionary.h"

#include <algorithm>

namespace folio {

void CSSStyleDictionary::setValue(std::string name, CSSValue value)
{
    auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) { return entry.first == name; });
    if (found != m_entries.end())
        found->second = std::move(value);
    else
        m_entries.emplace_back(std::move(name), std::move(value));
}

void CSSStyleDictionary::removeValueForKey(std::string_view name)
{
    std::erase_if(m_entries, [&](const Entry& entry) { return entry.first == name; });
}

const CSSValue* CSSStyleDictionary::valueForKey(std::string_view name) const
{
    for (const Entry& entry : m_entries) {
        if (entry.first == name)
            return &entry.second;
    }
    return nullptr;
}

std::optional<std::u16string> CSSStyleDictionary::stringForKey(std::string_view name) const
{
    if (const CSSValue* value = valueForKey(name))
        return cssValueText(*value);
    return std::nullopt;
}

std::u16string cssValueText(const CSSValue& value)
{
    if (const auto* text = std::get_if<std::u16string>(&value))
        return *text;
    std::u16string joined;
    const auto& items = std::get<std::vector<std::u16string>>(value);
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (index > 0)
            joined.append(u", ");
        joined.append(items[index]);
    }
    return joined;
}

} // namespace folio
