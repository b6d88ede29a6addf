#include "foundation/markup/HTMLAdditions.h"
#include "platform/foundation/StringUtilities.h"

#include "foundation/markup/CharacterReference.h"
#include "platform/foundation/Unicode.h"

#include <optional>
#include <string>
#include <unordered_map>

namespace folio {

namespace {

const HTMLEscapeMap* findEscape(std::span<const HTMLEscapeMap> table, char16_t code)
{
    std::size_t low = 0;
    std::size_t high = table.size();
    while (low < high) {
        std::size_t middle = low + (high - low) / 2;
        int order = escapeMapCompare(code, table[middle]);
        if (order == 0)
            return &table[middle];
        if (order < 0)
            high = middle;
        else
            low = middle + 1;
    }
    return nullptr;
}

const std::unordered_map<std::u16string_view, char16_t>& asciiReferencesByName()
{
    static const auto* references = [] {
        auto* map = new std::unordered_map<std::u16string_view, char16_t>();
        for (const HTMLEscapeMap& row : htmlAsciiEscapeTable())
            map->emplace(row.reference, row.code);
        return map;
    }();
    return *references;
}

// Reads `digits` whole as one number; none when empty, when any unit is not a digit,
// or when the number reaches `limit`.
std::optional<unsigned> readWholeNumber(std::u16string_view digits, int base, unsigned limit)
{
    if (digits.empty())
        return std::nullopt;
    unsigned value = 0;
    for (char16_t unit : digits) {
        int digit = digitValue(unit, base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value >= limit)
            return std::nullopt;
    }
    return value;
}

// The text that replaces one reference, or none when the reference is left as written.
std::optional<std::u16string> decodeReference(std::u16string_view reference)
{
    // `reference` runs from "&" through ";".
    std::u16string_view body = reference.substr(1, reference.size() - 2);
    if (body.front() != u'#') {
        const auto& names = asciiReferencesByName();
        auto found = names.find(reference);
        if (found == names.end())
            return std::nullopt;
        return std::u16string(1, found->second);
    }
    // U+FFFF is no character and stays as written; codes past it are read so that the
    // references the ASCII escaper writes for characters outside the basic plane come back.
    constexpr unsigned kLimit = 0x10FFFF + 1;
    std::optional<unsigned> code;
    if (body.size() > 1 && (body[1] == u'x' || body[1] == u'X'))
        code = readWholeNumber(body.substr(2), 16, kLimit);
    else
        code = readWholeNumber(body.substr(1), 10, kLimit);
    if (!code || *code == 0 || *code == 0xFFFF)
        return std::nullopt;
    return characterFromReferenceCode(*code);
}

} // namespace

int escapeMapCompare(char16_t code, const HTMLEscapeMap& row)
{
    if (code < row.code)
        return -1;
    return code > row.code ? 1 : 0;
}

std::u16string stringByEscapingHTMLUsingTable(std::u16string_view text, std::span<const HTMLEscapeMap> table,
                                              bool escapingUnicode)
{
    std::u16string result;
    result.reserve(text.size());
    // Unchanged units are copied in runs: most text needs no escaping at all.
    std::size_t runStart = 0;
    auto flush = [&](std::size_t end) { result.append(text.substr(runStart, end - runStart)); };
    for (std::size_t index = 0; index < text.size(); ++index) {
        char16_t unit = text[index];
        if (const HTMLEscapeMap* row = findEscape(table, unit)) {
            flush(index);
            result.append(row->reference);
            runStart = index + 1;
        } else if (escapingUnicode && unit >= 128) {
            flush(index);
            unsigned code = unit;
            // NOTE: a surrogate pair becomes one reference to its code point; two references
            // to the halves would each decode to U+FFFD and lose the character.
            if (isHighSurrogate(unit) && index + 1 < text.size() && isLowSurrogate(text[index + 1])) {
                code = 0x10000 + ((unit - 0xD800u) << 10) + (text[index + 1] - 0xDC00u);
                ++index;
            }
            result.append(u"&#");
            for (char ch : std::to_string(code))
                result.push_back(static_cast<char16_t>(ch));
            result.push_back(u';');
            runStart = index + 1;
        }
    }
    flush(text.size());
    return result;
}

std::u16string stringByEscapingForHTML(std::u16string_view text)
{
    return stringByEscapingHTMLUsingTable(text, htmlUnicodeEscapeTable(), false);
}

std::u16string stringByEscapingForAsciiHTML(std::u16string_view text)
{
    return stringByEscapingHTMLUsingTable(text, htmlAsciiEscapeTable(), true);
}

std::u16string stringByUnescapingFromHTML(std::u16string_view text)
{
    std::u16string result(text);
    if (text.find(u'&') == std::u16string_view::npos)
        return result;
    // Taking the "&" characters from the last one backwards keeps every position to the
    // left of a replacement valid, and each reference ends before the "&" handled last.
    std::size_t limit = text.size();
    std::size_t ampersand = text.rfind(u'&');
    while (ampersand != std::u16string_view::npos) {
        std::size_t semicolon = text.substr(0, limit).find(u';', ampersand);
        if (semicolon != std::u16string_view::npos) {
            std::size_t length = semicolon - ampersand + 1;
            if (length >= 4 && length <= 10) {
                if (auto replacement = decodeReference(text.substr(ampersand, length)))
                    result.replace(ampersand, length, *replacement);
            }
        }
        limit = ampersand;
        ampersand = ampersand == 0 ? std::u16string_view::npos : text.rfind(u'&', ampersand - 1);
    }
    return result;
}

} // namespace folio
