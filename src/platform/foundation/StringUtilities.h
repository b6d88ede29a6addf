#pragma once

#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Range.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// Platform string behaviour the engine, the codecs and the editors rely on,
// implemented once. Text is UTF-16 with UTF-16 indices; UTF-8 overloads serve
// keys and script answers.

// The value of an ASCII digit or letter digit in `base` (up to 16), or -1.
constexpr int digitValue(char32_t character, unsigned base = 10)
{
    int value = -1;
    if (character >= U'0' && character <= U'9')
        value = static_cast<int>(character - U'0');
    else if (character >= U'a' && character <= U'f')
        value = static_cast<int>(character - U'a') + 10;
    else if (character >= U'A' && character <= U'F')
        value = static_cast<int>(character - U'A') + 10;
    return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}
constexpr int hexDigitValue(char32_t character) { return digitValue(character, 16); }

// --- Numbers read from the start of a text -------------------------------
// Leading white space and newlines are skipped, then the longest number is
// read and the rest ignored; a text that does not start with a number gives 0.
// Integers clamp to their type's limits on overflow; floating point gives
// infinity on overflow.
double doubleValue(std::u16string_view text);
double doubleValue(std::string_view utf8);
float floatValue(std::u16string_view text);
float floatValue(std::string_view utf8);
int intValue(std::u16string_view text);
int intValue(std::string_view utf8);
std::int64_t integerValue(std::u16string_view text);
std::int64_t integerValue(std::string_view utf8);
long long longLongValue(std::u16string_view text);
long long longLongValue(std::string_view utf8);
// True when, after white space, an optional sign and any zeros, the text goes
// on with "Y", "y", "T", "t" or a digit 1 to 9.
bool boolValue(std::u16string_view text);
bool boolValue(std::string_view utf8);

// --- Splitting, trimming, case -------------------------------------------
// Empty pieces are kept: "a,,b" gives "a", "", "b"; "" gives one empty piece;
// an empty separator gives the whole text as its one piece.
std::vector<std::u16string> componentsSeparatedByString(std::u16string_view text, std::u16string_view separator);
std::vector<std::string> componentsSeparatedByString(std::string_view utf8, std::string_view separator);
std::vector<std::u16string> componentsSeparatedByCharactersInSet(std::u16string_view text, const CharacterSet& separators);

// Removes members of the set from both ends (code points, so a surrogate pair is kept or removed whole).
std::u16string stringByTrimmingCharactersInSet(std::u16string_view text, const CharacterSet& set);
std::string stringByTrimmingCharactersInSet(std::string_view utf8, const CharacterSet& set);

// Full Unicode case mapping without a locale, so "i" never becomes a dotted
// capital in a Turkish session; the length may change ("ß" becomes "SS").
std::u16string uppercaseString(std::u16string_view text);
std::u16string lowercaseString(std::u16string_view text);
std::string uppercaseString(std::string_view utf8);
std::string lowercaseString(std::string_view utf8);
// ASCII letters only, whatever the process's locale: names, schemes, units,
// file extensions and CSS words are ASCII, and in a Turkish locale the C
// library lowers "I" to no "i", so "JAVASCRIPT:" would pass for something else.
constexpr char asciiLowercase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string asciiLowercaseString(std::string_view text);
bool equalsIgnoringASCIICase(std::string_view text, std::string_view other);
bool hasPrefixIgnoringASCIICase(std::string_view text, std::string_view prefix);
// Whether `text` holds `lowerNeedle` (given in lower case) in any mix of case.
bool containsIgnoringASCIICase(std::string_view text, std::string_view lowerNeedle);
// Each word (a run between white space and line ends) with its first
// character in upper case and the rest in lower case: "mcDONALD o'neil" gives
// "Mcdonald O'neil".
std::u16string capitalizedString(std::u16string_view text);

// --- Searching and replacing ---------------------------------------------
enum class StringCompareOptions : unsigned {
    None = 0,
    // Compares simple case foldings of code points.
    CaseInsensitive = 1u << 0,
    // Finds the last occurrence instead of the first.
    Backwards = 1u << 1,
    // Matches only at the start of the search range (its end with Backwards).
    Anchored = 1u << 2,
};
constexpr StringCompareOptions operator|(StringCompareOptions a, StringCompareOptions b)
{
    return static_cast<StringCompareOptions>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool hasOption(StringCompareOptions options, StringCompareOptions option)
{
    return (static_cast<unsigned>(options) & static_cast<unsigned>(option)) != 0;
}

// NotFoundRange when the target is empty or absent. The search range is
// clamped to the text.
Range rangeOfString(std::u16string_view text, std::u16string_view target,
                    StringCompareOptions options = StringCompareOptions::None);
Range rangeOfString(std::u16string_view text, std::u16string_view target, StringCompareOptions options,
                    Range searchRange);
Range rangeOfCharacterFromSet(std::u16string_view text, const CharacterSet& set,
                              StringCompareOptions options = StringCompareOptions::None);

// Replaces every non-overlapping occurrence, left to right. An empty target
// changes nothing.
std::u16string stringByReplacingOccurrencesOfString(std::u16string_view text, std::u16string_view target,
                                                    std::u16string_view replacement,
                                                    StringCompareOptions options = StringCompareOptions::None);
std::string stringByReplacingOccurrencesOfString(std::string_view utf8, std::string_view target,
                                                 std::string_view replacement);

// Every CR LF pair, lone CR and lone LF becomes the replacement.
void replaceAllLineEndingsWithString(std::u16string& text, std::u16string_view replacement);
// CR LF and lone CR become LF.
std::u16string stringByNormalizingLineEndings(std::u16string_view text);

// The whole lines that `range` touches, each with its line break (LF, CR,
// CR LF, U+0085, U+2028 or U+2029); the range is first cut to the text.
Range lineRangeForRange(std::u16string_view text, Range range);

bool hasPrefix(std::u16string_view text, std::u16string_view prefix);
bool hasSuffix(std::u16string_view text, std::u16string_view suffix);
bool hasPrefix(std::string_view text, std::string_view prefix);
bool hasSuffix(std::string_view text, std::string_view suffix);

// --- Numbers written as text (always the C locale) -----------------------
// Like "%.<precision>f": round-half-even on exact binary ties (0.5 -> "0",
// 2.5 -> "2"), "-0" kept as printf writes it.
std::string formatFixed(double value, int precision);
// Like "%.<precision>g" (6 significant digits by default, trailing zeros dropped).
std::string formatGeneral(double value, int precision = 6);
// The shortest text that reads back as the same double, without a trailing
// ".0" for whole numbers ("0.1", "3", "1e+21"); "nan", "inf", "-inf" as printf.
std::string formatShortest(double value);
// printf-style formatting in the C locale, whatever locale the toolkit set for
// the process, so numbers in CSS, RTF and scripts always use ".".
std::string formatInCLocale(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace folio
