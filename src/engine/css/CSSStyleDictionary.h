#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace folio {

// A declaration's value: one text, or the items of a comma-separated list such as
// the families of "font-family".
using CSSValue = std::variant<std::u16string, std::vector<std::u16string>>;

// Property name -> value. Entries keep the order in which their names first appeared,
// so that anything written from a dictionary comes out the same every time.
class CSSStyleDictionary {
public:
    using Entry = std::pair<std::string, CSSValue>;

    // A later value replaces an earlier one of the same name in its place.
    void setValue(std::string name, CSSValue value);
    void removeValueForKey(std::string_view name);

    // Null when the name is absent.
    const CSSValue* valueForKey(std::string_view name) const;
    // The value as one text: a list's items joined with ", ". None when absent.
    std::optional<std::u16string> stringForKey(std::string_view name) const;
    bool contains(std::string_view name) const { return valueForKey(name) != nullptr; }

    std::size_t count() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.empty(); }
    std::vector<Entry>::const_iterator begin() const { return m_entries.begin(); }
    std::vector<Entry>::const_iterator end() const { return m_entries.end(); }

    friend bool operator==(const CSSStyleDictionary&, const CSSStyleDictionary&) = default;

private:
    std::vector<Entry> m_entries;
};

// The value as one text: a list's items joined with ", ".
std::u16string cssValueText(const CSSValue& value);

} // namespace folio
