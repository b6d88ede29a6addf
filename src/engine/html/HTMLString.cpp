#include "engine/html/HTMLString.h"

#include "engine/css/CSSCharacterSets.h"
#include "engine/html/HTMLEntityTable.h"
#include "foundation/markup/CharacterReference.h"
#include "platform/foundation/Scanner.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <array>
#include <optional>
#include <string>
#include <unordered_map>

namespace folio {

namespace {

constexpr std::uint32_t kLargestCodePoint = 0x10FFFF;

void appendAscii(std::u16string& result, std::string_view ascii)
{
    result.append(ascii.begin(), ascii.end());
}

std::u16string escapeWithTable(std::u16string_view text, const std::unordered_map<char16_t, std::u16string_view>& table)
{
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t index = 0; index < text.size(); ++index) {
        char16_t unit = text[index];
        if (auto found = table.find(unit); found != table.end()) {
            result.append(found->second);
        } else if (unit < 256) {
            result.push_back(unit);
        } else if (isHighSurrogate(unit) && index + 1 < text.size() && isLowSurrogate(text[index + 1])) {
            // Only a real pair is combined: a high surrogate before any other unit is
            // written on its own below, so the unit after it is not swallowed.
            std::uint32_t code = 0x10000 + ((unit - 0xD800u) << 10) + (text[index + 1] - 0xDC00u);
            appendAscii(result, "&#" + std::to_string(code) + ";");
            ++index;
        } else {
            appendAscii(result, "&#" + std::to_string(unit) + ";");
        }
    }
    return result;
}

// The bytes of a UTF-8 sequence after its lead byte, or -1 for a byte that
// cannot lead one.
int continuationCount(unsigned char lead)
{
    if (lead < 0x80)
        return 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 1;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 2;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 3;
    return -1;
}

// The code point of the well-formed UTF-8 sequence at the index and its
// length, or none (overlong forms, surrogates and cut sequences included).
std::optional<std::pair<char32_t, std::size_t>> readUtf8(std::string_view text, std::size_t index)
{
    const auto lead = static_cast<unsigned char>(text[index]);
    int more = continuationCount(lead);
    if (more == 0)
        return std::pair<char32_t, std::size_t>(lead, 1);
    if (more < 0 || index + more >= text.size())
        return std::nullopt;
    char32_t code = lead & (0x3F >> more);
    for (int offset = 1; offset <= more; ++offset) {
        const auto unit = static_cast<unsigned char>(text[index + offset]);
        if ((unit & 0xC0) != 0x80)
            return std::nullopt;
        code = (code << 6) | (unit & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[more] || code > kLargestCodePoint || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return std::pair<char32_t, std::size_t>(code, static_cast<std::size_t>(more) + 1);
}

// The UTF-8 twin of escapeWithTable: the HTML a whole page ends in is UTF-8,
// and escaping it in place spares two conversions of the page.
std::string escapeUtf8WithTable(std::string_view text, const std::unordered_map<char16_t, std::u16string_view>& table)
{
    std::array<bool, 0x80> asciiEscaped{};
    for (char16_t unit = 0; unit < asciiEscaped.size(); ++unit)
        asciiEscaped[unit] = table.contains(unit);
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    std::size_t plainStart = 0;
    auto appendReference = [&result](char32_t code) {
        result += "&#";
        result += std::to_string(code);
        result += ';';
    };
    std::size_t index = 0;
    while (index < text.size()) {
        const auto byte = static_cast<unsigned char>(text[index]);
        if (byte < 0x80 && !asciiEscaped[byte]) {
            ++index;
            continue;
        }
        result.append(text.substr(plainStart, index - plainStart));
        std::optional<std::pair<char32_t, std::size_t>> read = readUtf8(text, index);
        // A byte that is not UTF-8 is the replacement character, as decoding would make it.
        char32_t code = read ? read->first : 0xFFFD;
        std::size_t length = read ? read->second : 1;
        if (code > 0xFFFF) {
            appendReference(code);
        } else if (auto found = table.find(static_cast<char16_t>(code)); found != table.end()) {
            result.append(found->second.begin(), found->second.end());
        } else if (code < 256) {
            result.append(text.substr(index, length));
        } else {
            appendReference(code);
        }
        index += length;
        plainStart = index;
    }
    result.append(text.substr(plainStart));
    return result;
}

bool isHTMLWhitespaceUnit(char16_t unit)
{
    return (unit >= 9 && unit <= 13) || unit == u' ' || unit == 0x85;
}

std::optional<std::uint32_t> readDigits(std::u16string_view digits, int base)
{
    if (digits.empty())
        return std::nullopt;
    std::uint32_t value = 0;
    for (char16_t unit : digits) {
        int digit = -1;
        if (unit >= u'0' && unit <= u'9')
            digit = unit - u'0';
        else if (base == 16 && unit >= u'a' && unit <= u'f')
            digit = unit - u'a' + 10;
        else if (base == 16 && unit >= u'A' && unit <= u'F')
            digit = unit - u'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

// The text of one entity (between "&" and ";"), or none when it is not one we can read.
std::optional<std::u16string> decodeEntity(std::u16string_view entity)
{
    if (entity.size() > 1 && entity[0] == u'#') {
        // Seven decimal or six hexadecimal digits reach U+10FFFF, so every character the
        // escaper writes reads back; longer numbers are not references.
        bool hexadecimal = entity[1] == u'x' || entity[1] == u'X';
        std::u16string_view digits = entity.substr(hexadecimal ? 2 : 1);
        if (digits.size() <= (hexadecimal ? 6u : 7u)) {
            auto code = readDigits(digits, hexadecimal ? 16 : 10);
            if (code && *code <= kLargestCodePoint)
                return characterFromReferenceCode(*code);
            return std::nullopt;
        }
    }
    const auto& table = htmlEntityDecodeTable();
    if (auto found = table.find(entity); found != table.end())
        return std::u16string(1, found->second);
    return std::nullopt;
}

char32_t codePointAt(std::u16string_view text, std::size_t index)
{
    char16_t unit = text[index];
    if (isHighSurrogate(unit) && index + 1 < text.size() && isLowSurrogate(text[index + 1]))
        return 0x10000 + ((unit - 0xD800u) << 10) + (text[index + 1] - 0xDC00u);
    return unit;
}

} // namespace

std::u16string stringByAddingHTMLEntities(std::u16string_view text)
{
    return escapeWithTable(text, htmlEntityEscapeTable());
}

std::u16string stringByAddingHTMLEntitiesInText(std::u16string_view text)
{
    return escapeWithTable(text, htmlEntityInTextEscapeTable());
}

std::string stringByAddingHTMLEntitiesInText(std::string_view utf8)
{
    return escapeUtf8WithTable(utf8, htmlEntityInTextEscapeTable());
}

std::u16string stringByReplacingHTMLEntities(std::u16string_view text)
{
    std::u16string result;
    result.reserve(text.size());
    std::size_t index = 0;
    while (index < text.size()) {
        std::size_t ampersand = text.find(u'&', index);
        result.append(text.substr(index, ampersand - index));
        if (ampersand == std::u16string_view::npos)
            break;
        std::size_t start = ampersand + 1;
        // An entity ends at ";"; a second "&" before it means the first one was a
        // plain ampersand ("a & b &amp; c"), so reading starts over there.
        std::size_t end = text.find_first_of(u";&", start);
        if (end == std::u16string_view::npos) {
            result.append(text.substr(ampersand));
            break;
        }
        if (text[end] == u'&') {
            result.append(text.substr(ampersand, end - ampersand));
            index = end;
            continue;
        }
        std::u16string_view entity = text.substr(start, end - start);
        // NOTE: an "&" directly before ";" is kept; it is text, not a reference.
        if (auto decoded = entity.empty() ? std::nullopt : decodeEntity(entity))
            result.append(*decoded);
        else
            result.append(text.substr(ampersand, end + 1 - ampersand));
        index = end + 1;
    }
    return result;
}

std::u16string stringByNormalizingWhitespace(std::u16string_view text)
{
    std::u16string result;
    result.reserve(text.size());
    bool inRun = false;
    for (char16_t unit : text) {
        if (isHTMLWhitespaceUnit(unit)) {
            if (!inRun)
                result.push_back(u' ');
            inRun = true;
        } else {
            result.push_back(unit);
            inRun = false;
        }
    }
    return result;
}

std::u16string stringByAddingAppleConvertedSpace(std::u16string_view text)
{
    std::u16string result(text);
    for (std::size_t index = 0; index + 1 < result.size(); ++index) {
        if (result[index] == u' ' && result[index + 1] == u' ') {
            result[index + 1] = 0x00A0;
            ++index;
        }
    }
    return result;
}

bool isIgnorableWhitespace(std::u16string_view text)
{
    return stringByTrimmingCharactersInSet(text, ignorableWhitespaceCharacterSet()).empty();
}

bool isNumeric(std::u16string_view text)
{
    const CharacterSet& digits = CharacterSet::decimalDigitCharacterSet();
    for (std::size_t index = 0; index < text.size(); ++index) {
        char32_t code = codePointAt(text, index);
        if (code > 0xFFFF)
            ++index;
        if (code != U'.' && !digits.longCharacterIsMember(code))
            return false;
    }
    return true;
}

unsigned integerValueFromHex(std::u16string_view text)
{
    Scanner scanner{std::u16string(text)};
    unsigned value = 0;
    return scanner.scanHexInt(&value) ? value : 0;
}

float percentValue(std::u16string_view text)
{
    Scanner scanner{std::u16string(text)};
    float value = 1;
    if (!scanner.scanFloat(&value))
        value = 1;
    return value / 100;
}

bool hasPrefixCharacterFromSet(std::u16string_view text, const CharacterSet& set)
{
    return !text.empty() && set.longCharacterIsMember(codePointAt(text, 0));
}

bool hasSuffixCharacterFromSet(std::u16string_view text, const CharacterSet& set)
{
    if (text.empty())
        return false;
    std::size_t last = text.size() - 1;
    if (last > 0 && isLowSurrogate(text[last]) && isHighSurrogate(text[last - 1]))
        --last;
    return set.longCharacterIsMember(codePointAt(text, last));
}

} // namespace folio
