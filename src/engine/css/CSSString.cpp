#include "engine/css/CSSString.h"

#include "engine/css/CSSCharacterSets.h"
#include "engine/css/CSSScanner.h"
#include "platform/foundation/Scanner.h"
#include "platform/foundation/StringUtilities.h"

#include <cmath>

namespace folio {

namespace {

constexpr double kPointsPerPixel = 1.3333;
constexpr char16_t kReplacementCharacter = 0xFFFD;

bool isCSSWhitespaceUnit(char16_t unit)
{
    return (unit >= 9 && unit <= 13) || unit == u' ' || unit == 0x85;
}

const CharacterSet& shadowTokenEndCharacterSet()
{
    static const CharacterSet set = CharacterSet::whitespaceAndNewlineCharacterSet().addingCharactersInString(u",");
    return set;
}

// Escapes name code points (CSS Syntax 4.3.7); zero and surrogate halves are not
// characters and become U+FFFD rather than corrupting the text.
char16_t escapedCharacter(unsigned code)
{
    if (code == 0 || (code >= 0xD800 && code <= 0xDFFF))
        return kReplacementCharacter;
    return static_cast<char16_t>(code);
}

} // namespace

CSSStyleDictionary dictionaryOfCSSStyles(std::u16string_view text)
{
    CSSStyleDictionary styles;
    Scanner scanner{std::u16string(text)};
    std::string name;
    CSSValue value;
    while (scanCSSAttribute(scanner, &name, &value))
        styles.setValue(std::move(name), std::move(value));
    return styles;
}

bool isCSSLengthValue(std::u16string_view text)
{
    // Asked of every font size on a page: the spans are measured in place,
    // white space skipped before the number and before the unit.
    const CharacterSet& skipped = CharacterSet::whitespaceAndNewlineCharacterSet();
    std::size_t at = skipped.spanMembers(text);
    const std::size_t number = cssLengthValueCharacterSet().spanMembers(text.substr(at));
    if (number == 0)
        return false;
    at += number;
    at += skipped.spanMembers(text.substr(at));
    const std::u16string_view unit = text.substr(at, cssLengthUnitCharacterSet().spanMembers(text.substr(at)));
    if (unit.empty())
        return true;
    return unit == u"em" || unit == u"px" || unit == u"pt";
}

double pixelSizeOfCSSMeasureRelativeToCurrentTextSize(std::u16string_view text, double currentTextSize,
                                                      double textScale)
{
    double value = 0;
    int fractionDigits = 0;
    bool inFraction = false;
    bool negative = false;
    std::size_t index = 0;
    // NOTE: the reading is deliberately loose: a "-" anywhere in the number makes it
    // negative and a second "." continues the fraction, so documents measured this way
    // before keep their lengths.
    for (; index < text.size(); ++index) {
        char16_t unit = text[index];
        if (unit >= u'0' && unit <= u'9') {
            value = value * 10 + (unit - u'0');
            if (inFraction)
                ++fractionDigits;
        } else if (unit == u'.') {
            inFraction = true;
        } else if (unit == u'-') {
            negative = true;
        } else {
            break;
        }
    }
    value /= std::pow(10.0, fractionDigits);
    while (index < text.size() && isCSSWhitespaceUnit(text[index]))
        ++index;
    if (index < text.size()) {
        char16_t unit = text[index];
        char16_t next = index + 1 < text.size() ? text[index + 1] : 0;
        if (unit == u'p' && next == u't')
            value *= kPointsPerPixel * textScale;
        else if (unit == u'p' && next == u'x')
            value *= textScale;
        else if (unit == u'e' && next == u'm')
            value *= currentTextSize;
        else if (unit == u'%')
            value *= currentTextSize / 100;
    }
    if (negative)
        value = -value;
    // Hundreds of digits overflow to infinity (or NaN after the fraction); no length
    // means anything then, and an infinite one would poison layout.
    return std::isfinite(value) ? value : 0;
}

TEEdgeInsets TEEdgeInsetsRelativeToCurrentTextSize(std::u16string_view text, double currentTextSize, double textScale)
{
    if (text.empty())
        return TEEdgeInsets{};
    auto length = [&](std::u16string_view part) {
        return pixelSizeOfCSSMeasureRelativeToCurrentTextSize(part, currentTextSize, textScale);
    };
    std::vector<std::u16string> parts = componentsSeparatedByString(text, u" ");
    switch (parts.size()) {
    case 4:
        return TEEdgeInsets{length(parts[0]), length(parts[3]), length(parts[2]), length(parts[1])};
    case 3: {
        double horizontal = length(parts[1]);
        return TEEdgeInsets{length(parts[0]), horizontal, length(parts[2]), horizontal};
    }
    case 2: {
        double vertical = length(parts[0]);
        double horizontal = length(parts[1]);
        return TEEdgeInsets{vertical, horizontal, vertical, horizontal};
    }
    default: {
        double all = length(text);
        return TEEdgeInsets{all, all, all, all};
    }
    }
}

std::optional<std::vector<CSSShadow>> arrayOfCSSShadowsWithCurrentTextSize(std::u16string_view text,
                                                                          double currentTextSize,
                                                                          const Color& currentColor)
{
    std::u16string trimmed = stringByTrimmingCharactersInSet(text, CharacterSet::whitespaceAndNewlineCharacterSet());
    if (trimmed == u"none")
        return std::nullopt;
    Scanner scanner{std::move(trimmed)};
    auto token = [&](std::u16string* into) { return scanner.scanUpToCharactersFromSet(shadowTokenEndCharacterSet(), into); };
    std::vector<CSSShadow> shadows;
    while (!scanner.isAtEnd()) {
        std::u16string x;
        std::u16string y;
        std::u16string blur;
        Color color;
        bool hasColor = scanHTMLColor(scanner, &color);
        bool hasOffsets = false;
        if (hasColor) {
            hasOffsets = token(&x) && token(&y);
            if (hasOffsets)
                token(&blur);
        } else {
            hasOffsets = token(&x) && token(&y);
            if (hasOffsets) {
                hasColor = scanHTMLColor(scanner, &color);
                if (!hasColor && token(&blur))
                    hasColor = scanHTMLColor(scanner, &color);
            }
        }
        if (hasOffsets) {
            auto length = [&](const std::u16string& part) {
                return pixelSizeOfCSSMeasureRelativeToCurrentTextSize(part, currentTextSize, 1.0);
            };
            shadows.push_back(CSSShadow{Size{length(x), length(y)}, length(blur), hasColor ? color : currentColor});
        }
        if (!scanner.scanString(u","))
            break;
    }
    if (shadows.empty())
        return std::nullopt;
    return shadows;
}

std::u16string stringByDecodingCSSContentAttribute(std::u16string_view text)
{
    std::u16string result;
    result.reserve(text.size());
    bool inEscape = false;
    int digits = 0;
    unsigned code = 0;
    for (char16_t unit : text) {
        if (inEscape && digits < 4) {
            int digit = hexDigitValue(unit);
            if (digit >= 0) {
                code = code * 16 + digit;
                ++digits;
                continue;
            }
            if (digits == 0) {
                // "\\" is one backslash; before any other character the backslash is
                // kept with it, as in "\"".
                result.push_back(u'\\');
                if (unit != u'\\')
                    result.push_back(unit);
                inEscape = false;
                continue;
            }
            // NOTE: fewer than four digits end at the first other character, as CSS
            // escapes do, so "\20x" keeps both its blank and its "x".
        }
        if (inEscape) {
            result.push_back(escapedCharacter(code));
            inEscape = false;
        }
        if (unit == u'\\') {
            inEscape = true;
            code = 0;
            digits = 0;
        } else {
            result.push_back(unit);
        }
    }
    if (inEscape)
        result.push_back(digits > 0 ? escapedCharacter(code) : u'\\');
    return result;
}

} // namespace folio
