#pragma once

#include <cstddef>
#include <string_view>

namespace folio::rtfgrouptext {

// Scans over RTF source kept as text (a header, note or style group carried
// whole through a save), so that every kept group is cut by the same rules.

template <typename Char>
constexpr bool isLetter(Char unit)
{
    return (unit >= 'a' && unit <= 'z') || (unit >= 'A' && unit <= 'Z');
}

template <typename Char>
constexpr bool isDigit(Char unit)
{
    return unit >= '0' && unit <= '9';
}

template <typename Char>
std::size_t afterGroupOf(std::basic_string_view<Char> text, std::size_t open)
{
    int depth = 0;
    for (std::size_t at = open; at < text.size(); ++at) {
        if (text[at] == '\\')
            ++at;
        else if (text[at] == '{')
            ++depth;
        else if (text[at] == '}' && --depth == 0)
            return at + 1;
    }
    return text.size();
}

// Where the group opening at `open` ends, after its closing brace; escaped
// braces are text, and a group that never closes ends with the text.
inline std::size_t afterGroup(std::string_view text, std::size_t open) { return afterGroupOf(text, open); }
inline std::size_t afterGroup(std::u16string_view text, std::size_t open) { return afterGroupOf(text, open); }

// A control word at `at` (its backslash): its name, its parameter's text
// ("-" and digits, maybe empty) and where it ends, after the blank that
// delimits it.
struct ControlWord {
    std::string_view name;
    std::string_view parameter;
    std::size_t end = 0;
    std::size_t endBeforeBlank = 0;
};

inline ControlWord controlWordAt(std::string_view text, std::size_t at)
{
    std::size_t nameEnd = at + 1;
    while (nameEnd < text.size() && isLetter(text[nameEnd]))
        ++nameEnd;
    std::size_t parameterEnd = nameEnd;
    if (parameterEnd < text.size() && text[parameterEnd] == '-')
        ++parameterEnd;
    while (parameterEnd < text.size() && isDigit(text[parameterEnd]))
        ++parameterEnd;
    // A lone "-" is no parameter.
    if (parameterEnd == nameEnd + 1 && text[nameEnd] == '-')
        parameterEnd = nameEnd;
    ControlWord word{text.substr(at + 1, nameEnd - at - 1), text.substr(nameEnd, parameterEnd - nameEnd), parameterEnd,
                     parameterEnd};
    if (word.end < text.size() && text[word.end] == ' ')
        ++word.end;
    return word;
}

} // namespace folio::rtfgrouptext
