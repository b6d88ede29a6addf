#include "platform/foundation/ScriptLiteral.h"

#include "platform/foundation/Unicode.h"

#include <charconv>
#include <cmath>

namespace folio {

namespace {

void appendUnicodeEscape(std::string& out, char16_t unit)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\u";
    out += kHex[(unit >> 12) & 0xF];
    out += kHex[(unit >> 8) & 0xF];
    out += kHex[(unit >> 4) & 0xF];
    out += kHex[unit & 0xF];
}

} // namespace

std::string ScriptLiteral::quote(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        switch (unit) {
        case u'\'': out += "\\'"; continue;
        case u'"': out += "\\\""; continue;
        case u'\\': out += "\\\\"; continue;
        case u'\n': out += "\\n"; continue;
        case u'\r': out += "\\r"; continue;
        case u'\t': out += "\\t"; continue;
        // "<" is escaped everywhere, not only in "</", because "<!--" and
        // "<script" also change how an HTML parser reads a script element.
        case u'<':
        case u'>':
        case 0x2028:
        case 0x2029:
        case 0x7F:
            appendUnicodeEscape(out, unit);
            continue;
        default: break;
        }
        if (unit < 0x20) {
            appendUnicodeEscape(out, unit);
        } else if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            out += toUtf8(text.substr(i, 2));
            ++i;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            // A lone surrogate has no UTF-8 form; the escape keeps it exact.
            appendUnicodeEscape(out, unit);
        } else if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else {
            out += toUtf8(text.substr(i, 1));
        }
    }
    out += '\'';
    return out;
}

std::string ScriptLiteral::quote(std::string_view utf8)
{
    return quote(toUtf16(utf8));
}

std::string ScriptLiteral::number(double value)
{
    if (!std::isfinite(value))
        return "0";
    if (value == 0)
        return "0"; // also for -0, which a script would print as "0" anyway
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc())
        return "0";
    return std::string(buffer, end);
}

std::string ScriptLiteral::fixed(double value, int decimals)
{
    if (!std::isfinite(value))
        value = 0;
    if (decimals < 0)
        decimals = 0;
    char buffer[400];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (error != std::errc())
        return "0";
    return std::string(buffer, end);
}

} // namespace folio
