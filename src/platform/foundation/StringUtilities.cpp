#include "platform/foundation/StringUtilities.h"

#include "platform/foundation/NumberScanning.h"
#include "platform/foundation/Unicode.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace folio {

namespace {

std::size_t afterLeadingWhitespace(std::u16string_view text)
{
    // Numbers are nearly always preceded by ASCII blanks or nothing; the
    // Unicode set, whose first use loads ICU's property tables, is asked
    // only about the characters beyond ASCII.
    std::size_t index = 0;
    for (; index < text.size() && text[index] < 0x80; ++index) {
        char16_t unit = text[index];
        if (unit != u' ' && (unit < u'\t' || unit > u'\r'))
            return index;
    }
    return index + CharacterSet::whitespaceAndNewlineCharacterSet().spanMembers(text.substr(index));
}

template <typename Integer>
Integer integerPrefix(std::u16string_view text)
{
    long long value = 0;
    scanDecimalInteger(text, afterLeadingWhitespace(text), &value, std::numeric_limits<Integer>::min(),
                       std::numeric_limits<Integer>::max());
    return static_cast<Integer>(value);
}

UChar32 codePointAt(std::u16string_view text, std::size_t index, std::size_t& next)
{
    UChar32 codePoint;
    next = index;
    U16_NEXT(text.data(), next, text.size(), codePoint);
    return codePoint;
}

UChar32 asciiLower(UChar32 c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// The length in text units of a case-insensitive match of the target starting
// at `at` and ending no later than `end`, or NotFound.
std::size_t foldedMatchLength(std::u16string_view text, std::size_t at, std::size_t end, std::u16string_view target)
{
    std::size_t i = at;
    std::size_t j = 0;
    while (j < target.size()) {
        if (i >= end)
            return NotFound;
        std::size_t nextI = 0;
        std::size_t nextJ = 0;
        UChar32 a = codePointAt(text.substr(0, end), i, nextI);
        UChar32 b = codePointAt(target, j, nextJ);
        if (a != b) {
            // Markup and CSS are mostly ASCII; fold those without a table look-up.
            if (a < 0x80 && b < 0x80) {
                if (asciiLower(a) != asciiLower(b))
                    return NotFound;
            } else if (u_foldCase(a, U_FOLD_CASE_DEFAULT) != u_foldCase(b, U_FOLD_CASE_DEFAULT)) {
                return NotFound;
            }
        }
        i = nextI;
        j = nextJ;
    }
    return i - at;
}

std::size_t matchLength(std::u16string_view text, std::size_t at, std::size_t end, std::u16string_view target,
                        bool caseInsensitive)
{
    if (caseInsensitive)
        return foldedMatchLength(text, at, end, target);
    if (end - at < target.size() || text.substr(at, target.size()) != target)
        return NotFound;
    return target.size();
}

using CaseMapper = int32_t (*)(UChar*, int32_t, const UChar*, int32_t, const char*, UErrorCode*);

std::u16string mapCase(std::u16string_view text, CaseMapper mapper)
{
    if (text.empty())
        return {};
    std::u16string result(text.size(), u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        // The empty locale is ICU's root: the same mapping in every session.
        int32_t length = mapper(result.data(), static_cast<int32_t>(result.size()), text.data(),
                                static_cast<int32_t>(text.size()), "", &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            result.assign(static_cast<std::size_t>(length), u'\0');
            continue;
        }
        if (U_FAILURE(status))
            return std::u16string(text);
        result.resize(static_cast<std::size_t>(length));
        return result;
    }
    return std::u16string(text);
}

} // namespace

double doubleValue(std::u16string_view text)
{
    double value = 0;
    scanFloatingPoint(text, afterLeadingWhitespace(text), &value);
    return value;
}

double doubleValue(std::string_view utf8) { return doubleValue(toUtf16(utf8)); }
float floatValue(std::u16string_view text) { return narrowToFloat(doubleValue(text)); }
float floatValue(std::string_view utf8) { return floatValue(toUtf16(utf8)); }
int intValue(std::u16string_view text) { return integerPrefix<int>(text); }
int intValue(std::string_view utf8) { return intValue(toUtf16(utf8)); }
std::int64_t integerValue(std::u16string_view text) { return integerPrefix<std::int64_t>(text); }
std::int64_t integerValue(std::string_view utf8) { return integerValue(toUtf16(utf8)); }
long long longLongValue(std::u16string_view text) { return integerPrefix<long long>(text); }
long long longLongValue(std::string_view utf8) { return longLongValue(toUtf16(utf8)); }

bool boolValue(std::u16string_view text)
{
    std::size_t i = afterLeadingWhitespace(text);
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    while (i < text.size() && text[i] == u'0')
        ++i;
    if (i >= text.size())
        return false;
    char16_t unit = text[i];
    return unit == u'Y' || unit == u'y' || unit == u'T' || unit == u't' || (unit >= u'1' && unit <= u'9');
}

bool boolValue(std::string_view utf8) { return boolValue(toUtf16(utf8)); }

template <typename Char>
static std::vector<std::basic_string<Char>> splitBySeparator(std::basic_string_view<Char> text,
                                                             std::basic_string_view<Char> separator)
{
    std::vector<std::basic_string<Char>> pieces;
    if (separator.empty())
        return {std::basic_string<Char>(text)};
    std::size_t start = 0;
    while (true) {
        std::size_t found = text.find(separator, start);
        if (found == std::basic_string_view<Char>::npos)
            break;
        pieces.emplace_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

std::vector<std::u16string> componentsSeparatedByString(std::u16string_view text, std::u16string_view separator)
{
    return splitBySeparator(text, separator);
}

std::vector<std::string> componentsSeparatedByString(std::string_view utf8, std::string_view separator)
{
    return splitBySeparator(utf8, separator);
}

std::vector<std::u16string> componentsSeparatedByCharactersInSet(std::u16string_view text,
                                                                 const CharacterSet& separators)
{
    std::vector<std::u16string> pieces;
    std::size_t start = 0;
    while (true) {
        std::size_t pieceLength = separators.spanNonMembers(text.substr(start));
        pieces.emplace_back(text.substr(start, pieceLength));
        std::size_t separatorAt = start + pieceLength;
        if (separatorAt >= text.size())
            break;
        std::size_t next = 0;
        codePointAt(text, separatorAt, next);
        start = next;
        if (start >= text.size()) {
            pieces.emplace_back();
            break;
        }
    }
    return pieces;
}

std::u16string stringByTrimmingCharactersInSet(std::u16string_view text, const CharacterSet& set)
{
    std::size_t start = set.spanMembers(text);
    if (start >= text.size())
        return {};
    std::size_t end = set.spanBackMembers(text);
    return std::u16string(text.substr(start, end - start));
}

std::string stringByTrimmingCharactersInSet(std::string_view utf8, const CharacterSet& set)
{
    return toUtf8(stringByTrimmingCharactersInSet(toUtf16(utf8), set));
}

namespace {

// ASCII, as most keywords are, changes case alike in the root locale, one
// letter at a time: no need to ask ICU.
bool isASCII(std::u16string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
}

std::u16string withASCIILettersShifted(std::u16string_view text, char16_t first, char16_t last, int shift)
{
    std::u16string shifted(text);
    for (char16_t& c : shifted)
        c = c >= first && c <= last ? static_cast<char16_t>(c + shift) : c;
    return shifted;
}

} // namespace

std::u16string uppercaseString(std::u16string_view text)
{
    if (isASCII(text))
        return withASCIILettersShifted(text, u'a', u'z', u'A' - u'a');
    return mapCase(text, u_strToUpper);
}

std::u16string lowercaseString(std::u16string_view text)
{
    if (isASCII(text))
        return withASCIILettersShifted(text, u'A', u'Z', u'a' - u'A');
    return mapCase(text, u_strToLower);
}
std::string uppercaseString(std::string_view utf8) { return toUtf8(uppercaseString(toUtf16(utf8))); }
std::string lowercaseString(std::string_view utf8) { return toUtf8(lowercaseString(toUtf16(utf8))); }

std::string asciiLowercaseString(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), asciiLowercase);
    return result;
}

bool equalsIgnoringASCIICase(std::string_view text, std::string_view other)
{
    // std::equal and std::search rather than their ranges forms, which
    // clang 14 (the fuzzing compiler) cannot compile from libstdc++ 12.
    return text.size() == other.size()
        && std::equal(text.begin(), text.end(), other.begin(),
                      [](char a, char b) { return asciiLowercase(a) == asciiLowercase(b); });
}

bool hasPrefixIgnoringASCIICase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsIgnoringASCIICase(text.substr(0, prefix.size()), prefix);
}

bool containsIgnoringASCIICase(std::string_view text, std::string_view lowerNeedle)
{
    return lowerNeedle.empty()
        || std::search(text.begin(), text.end(), lowerNeedle.begin(), lowerNeedle.end(),
                       [](char a, char needle) { return asciiLowercase(a) == needle; })
               != text.end();
}

std::u16string capitalizedString(std::u16string_view text)
{
    const CharacterSet& separators = CharacterSet::whitespaceAndNewlineCharacterSet();
    std::u16string result;
    while (!text.empty()) {
        std::size_t spaces = separators.spanMembers(text);
        result += text.substr(0, spaces);
        text.remove_prefix(spaces);
        std::size_t word = separators.spanNonMembers(text);
        if (word == 0)
            break;
        // The first character may be a surrogate pair.
        std::size_t first = word > 1 && isHighSurrogate(text[0]) && isLowSurrogate(text[1]) ? 2 : 1;
        result += uppercaseString(text.substr(0, first)) + lowercaseString(text.substr(first, word - first));
        text.remove_prefix(word);
    }
    return result;
}

Range rangeOfString(std::u16string_view text, std::u16string_view target, StringCompareOptions options)
{
    return rangeOfString(text, target, options, Range{0, text.size()});
}

Range rangeOfString(std::u16string_view text, std::u16string_view target, StringCompareOptions options,
                    Range searchRange)
{
    std::size_t start = std::min(searchRange.location, text.size());
    std::size_t end = searchRange.length > text.size() - start ? text.size() : start + searchRange.length;
    if (target.empty() || start >= end)
        return NotFoundRange;
    bool caseInsensitive = hasOption(options, StringCompareOptions::CaseInsensitive);
    bool anchored = hasOption(options, StringCompareOptions::Anchored);

    if (!hasOption(options, StringCompareOptions::Backwards)) {
        if (!caseInsensitive && !anchored) {
            std::size_t found = text.substr(start, end - start).find(target);
            return found == std::u16string_view::npos ? NotFoundRange : Range{start + found, target.size()};
        }
        std::size_t last = anchored ? start : end - 1;
        for (std::size_t at = start; at <= last; ++at) {
            std::size_t length = matchLength(text, at, end, target, caseInsensitive);
            if (length != NotFound)
                return Range{at, length};
        }
        return NotFoundRange;
    }

    for (std::size_t at = end; at-- > start;) {
        std::size_t length = matchLength(text, at, end, target, caseInsensitive);
        if (length != NotFound && (!anchored || at + length == end))
            return Range{at, length};
        // An anchored match must end at the range's end; a case-folded match
        // is never more than twice the target's length, so stop looking there.
        if (anchored && end - at > 2 * target.size())
            break;
    }
    return NotFoundRange;
}

Range rangeOfCharacterFromSet(std::u16string_view text, const CharacterSet& set, StringCompareOptions options)
{
    bool anchored = hasOption(options, StringCompareOptions::Anchored);
    if (!hasOption(options, StringCompareOptions::Backwards)) {
        std::size_t at = anchored ? 0 : set.spanNonMembers(text);
        if (at >= text.size())
            return NotFoundRange;
        std::size_t next = 0;
        UChar32 codePoint = codePointAt(text, at, next);
        if (!set.longCharacterIsMember(static_cast<char32_t>(codePoint)))
            return NotFoundRange;
        return Range{at, next - at};
    }
    std::size_t end = text.size();
    while (end > 0) {
        std::size_t at = end;
        UChar32 codePoint;
        U16_PREV(text.data(), 0, at, codePoint);
        if (set.longCharacterIsMember(static_cast<char32_t>(codePoint)))
            return Range{at, end - at};
        if (anchored)
            break;
        end = at;
    }
    return NotFoundRange;
}

std::u16string stringByReplacingOccurrencesOfString(std::u16string_view text, std::u16string_view target,
                                                    std::u16string_view replacement, StringCompareOptions options)
{
    if (target.empty())
        return std::u16string(text);
    StringCompareOptions forward = hasOption(options, StringCompareOptions::CaseInsensitive)
        ? StringCompareOptions::CaseInsensitive
        : StringCompareOptions::None;
    std::u16string result;
    result.reserve(text.size());
    std::size_t start = 0;
    while (start < text.size()) {
        Range found = rangeOfString(text, target, forward, Range{start, text.size() - start});
        if (found.isNotFound())
            break;
        result.append(text.substr(start, found.location - start));
        result.append(replacement);
        start = found.end();
    }
    result.append(text.substr(std::min(start, text.size())));
    return result;
}

std::string stringByReplacingOccurrencesOfString(std::string_view utf8, std::string_view target,
                                                 std::string_view replacement)
{
    if (target.empty())
        return std::string(utf8);
    std::string result;
    std::size_t start = 0;
    while (true) {
        std::size_t found = utf8.find(target, start);
        if (found == std::string_view::npos)
            break;
        result.append(utf8.substr(start, found - start));
        result.append(replacement);
        start = found + target.size();
    }
    result.append(utf8.substr(start));
    return result;
}

void replaceAllLineEndingsWithString(std::u16string& text, std::u16string_view replacement)
{
    if (text.find_first_of(u"\r\n") == std::u16string::npos)
        return;
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        if (unit == u'\r' || unit == u'\n') {
            if (unit == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            result.append(replacement);
        } else {
            result.push_back(unit);
        }
    }
    text = std::move(result);
}

std::u16string stringByNormalizingLineEndings(std::u16string_view text)
{
    std::u16string result(text);
    replaceAllLineEndingsWithString(result, u"\n");
    return result;
}

bool hasPrefix(std::u16string_view text, std::u16string_view prefix) { return text.starts_with(prefix); }
bool hasSuffix(std::u16string_view text, std::u16string_view suffix) { return text.ends_with(suffix); }
bool hasPrefix(std::string_view text, std::string_view prefix) { return text.starts_with(prefix); }
bool hasSuffix(std::string_view text, std::string_view suffix) { return text.ends_with(suffix); }

std::string formatFixed(double value, int precision)
{
    if (precision < 0)
        precision = 6;
    // Room for the 309 integer digits of the largest double, sign and point.
    std::string buffer(static_cast<std::size_t>(precision) + 320, '\0');
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed,
                                      precision);
    if (error != std::errc())
        return formatInCLocale("%.*f", precision, value);
    buffer.resize(static_cast<std::size_t>(end - buffer.data()));
    return buffer;
}

std::string formatGeneral(double value, int precision)
{
    if (precision < 0)
        precision = 6;
    char buffer[512];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    if (error != std::errc())
        return formatInCLocale("%.*g", precision, value);
    return std::string(buffer, end);
}

std::string formatShortest(double value)
{
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc())
        return formatInCLocale("%.17g", value);
    return std::string(buffer, end);
}

std::string formatInCLocale(const char* format, ...)
{
    locale_t previous = uselocale(cLocale());
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    char small[256];
    int length = std::vsnprintf(small, sizeof small, format, arguments);
    va_end(arguments);
    std::string result;
    if (length >= 0 && static_cast<std::size_t>(length) < sizeof small) {
        result.assign(small, static_cast<std::size_t>(length));
    } else if (length >= 0) {
        result.assign(static_cast<std::size_t>(length) + 1, '\0');
        std::vsnprintf(result.data(), result.size(), format, again);
        result.resize(static_cast<std::size_t>(length));
    }
    va_end(again);
    uselocale(previous);
    return result;
}

namespace {
bool isLineBreak(char16_t unit)
{
    return unit == u'\n' || unit == u'\r' || unit == 0x0085 || unit == 0x2028 || unit == 0x2029;
}
} // namespace

Range lineRangeForRange(std::u16string_view text, Range range)
{
    std::size_t start = std::min(range.location, text.size());
    std::size_t end = start + std::min(range.length, text.size() - start);
    while (start > 0 && !isLineBreak(text[start - 1]))
        --start;
    // A range that ends right after a break ends its line there, unless it
    // is empty and so sits at the start of the next line.
    if (end > start && isLineBreak(text[end - 1]) && !(text[end - 1] == u'\r' && end < text.size() && text[end] == u'\n'))
        return Range{start, end - start};
    while (end < text.size() && !isLineBreak(text[end]))
        ++end;
    if (end < text.size()) {
        if (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n')
            ++end;
        ++end;
    }
    return Range{start, end - start};
}

} // namespace folio
