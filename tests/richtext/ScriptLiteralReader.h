#pragma once

#include "platform/foundation/Unicode.h"

#include <optional>
#include <string>
#include <string_view>

namespace folio::test {

// Reads back the first single-quoted script literal after `after` in a
// script, as the page's script engine would, so that tests can check the
// value a page receives rather than how it was escaped.
inline std::optional<std::string> scriptLiteralAfter(std::string_view script, std::string_view after)
{
    std::size_t at = script.find(after);
    if (at == std::string_view::npos)
        return std::nullopt;
    at = script.find('\'', at + after.size());
    if (at == std::string_view::npos)
        return std::nullopt;
    std::u16string text = toUtf16(script.substr(at + 1));
    std::u16string value;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\'')
            return toUtf8(value);
        if (c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029)
            return std::nullopt; // a raw line end breaks the literal
        if (c != u'\\') {
            value.push_back(c);
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i]) {
        case u'n': value.push_back(u'\n'); break;
        case u'r': value.push_back(u'\r'); break;
        case u't': value.push_back(u'\t'); break;
        case u'u': {
            if (i + 4 >= text.size())
                return std::nullopt;
            value.push_back(static_cast<char16_t>(std::stoi(toUtf8(text.substr(i + 1, 4)), nullptr, 16)));
            i += 4;
            break;
        }
        default: value.push_back(text[i]); break;
        }
    }
    return std::nullopt;
}

} // namespace folio::test
