#include "formats/rtf/DKRTFFontNameEncoding.h"

#include "platform/foundation/StringEncoding.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace folio {

namespace {

bool within(char16_t unit, char16_t first, char16_t last) { return unit >= first && unit <= last; }

// The character sets whose code pages may hold the name, most likely first:
// kana (or the full-width Latin letters of names such as "ＭＳ 明朝") are
// Japanese, Hangul Korean, other ideographs Simplified Chinese.
std::vector<std::pair<int, int>> candidates(std::u16string_view name)
{
    const auto has = [&](char16_t first, char16_t last) {
        return std::any_of(name.begin(), name.end(), [&](char16_t unit) { return within(unit, first, last); });
    };
    if (has(u'\u3040', u'\u30FF') || has(u'\uFF61', u'\uFF9F') || has(u'\uFF21', u'\uFF5A'))
        return {{128, 932}, {136, 950}, {134, 936}};
    if (has(u'\uAC00', u'\uD7AF') || has(u'\u1100', u'\u11FF') || has(u'\u3130', u'\u318F'))
        return {{129, 949}};
    if (has(u'\u4E00', u'\u9FFF') || has(u'\u3400', u'\u4DBF'))
        return {{134, 936}, {136, 950}, {128, 932}};
    if (has(u'\u0400', u'\u04FF'))
        return {{204, 1251}};
    if (has(u'\u0370', u'\u03FF'))
        return {{161, 1253}};
    if (has(u'\u0590', u'\u05FF'))
        return {{177, 1255}};
    if (has(u'\u0600', u'\u06FF'))
        return {{178, 1256}};
    if (has(u'\u0E00', u'\u0E7F'))
        return {{222, 874}};
    if (has(u'\u0100', u'\u024F'))
        return {{238, 1250}, {162, 1254}, {186, 1257}};
    return {};
}

} // namespace

std::optional<DKRTFFontNameEncoding> DKRTFFontNameEncoding::forName(std::u16string_view name)
{
    for (const auto& [characterSet, codePage] : candidates(name)) {
        const StringEncoding encoding = codePage == 932 ? StringEncoding::shiftJIS() : StringEncoding::windowsCodePage(codePage);
        if (!encoding.isSupported())
            continue;
        std::optional<std::string> bytes = dataUsingEncoding(name, encoding);
        // A code page that stands a "?" for a letter it lacks holds no name.
        if (bytes && std::count(bytes->begin(), bytes->end(), '?') == std::count(name.begin(), name.end(), u'?'))
            return DKRTFFontNameEncoding{characterSet, std::move(*bytes)};
    }
    return std::nullopt;
}

} // namespace folio
