#include "engine/model/TECSSListStyle.h"

#include "engine/css/CSSScanner.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Scanner.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/StringUtilities.h"

#include <limits>
#include <array>
#include <cstdio>
#include <functional>
#include <utility>

namespace folio {

namespace {

constexpr std::int64_t kLargestRomanNumeral = 3999;
constexpr char16_t kListReplacementCharacter = 0xFFFD;
constexpr char16_t kObjectReplacementCharacter = 0xFFFC;

struct TypeKeyword {
    std::u16string_view keyword;
    TECSSListStyleType type;
};

// "upper-latin" and "lower-latin" read as the alpha types: the latin types exist only
// to carry the RTF reader's own list formats.
constexpr std::array<TypeKeyword, 18> kTypeKeywords{{
    {u"inherit", TECSSListStyleType::Inherit},
    {u"none", TECSSListStyleType::None},
    {u"circle", TECSSListStyleType::Circle},
    {u"decimal", TECSSListStyleType::Decimal},
    {u"decimal-leading-zero", TECSSListStyleType::DecimalLeadingZero},
    {u"disc", TECSSListStyleType::Disc},
    {u"square", TECSSListStyleType::Square},
    {u"upper-alpha", TECSSListStyleType::UpperAlpha},
    {u"upper-latin", TECSSListStyleType::UpperAlpha},
    {u"lower-alpha", TECSSListStyleType::LowerAlpha},
    {u"lower-latin", TECSSListStyleType::LowerAlpha},
    {u"plus", TECSSListStyleType::Plus},
    {u"upper-roman", TECSSListStyleType::UpperRoman},
    {u"lower-roman", TECSSListStyleType::LowerRoman},
    {u"diamond", TECSSListStyleType::Diamond},
    {u"check", TECSSListStyleType::Check},
    {u"hyphen", TECSSListStyleType::Hyphen},
    {u"underscore", TECSSListStyleType::Underscore},
}};

struct RomanDigit {
    int value;
    std::u16string_view text;
};

constexpr std::array<RomanDigit, 13> kRomanDigits{{
    {1000, u"M"}, {900, u"CM"}, {500, u"D"}, {400, u"CD"}, {100, u"C"}, {90, u"XC"}, {50, u"L"},
    {40, u"XL"}, {10, u"X"}, {9, u"IX"}, {5, u"V"}, {4, u"IV"}, {1, u"I"},
}};

std::u16string asciiText(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

std::u16string formatted(const char* format, std::int32_t number)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, number);
    return asciiText(buffer);
}

// The letter types count from "A" (or "a") on through the character table; the code
// is kept to 8 bits and read as Latin-1. Codes that land on a control character give
// U+FFFD so that a long list never puts control characters into text.
std::u16string letterMarker(std::int32_t counter, int offset)
{
    auto code = static_cast<unsigned char>(static_cast<std::uint32_t>(counter) + offset);
    bool control = code < 0x20 || (code >= 0x7F && code <= 0x9F);
    return std::u16string{control ? kListReplacementCharacter : static_cast<char16_t>(code), u'.'};
}

std::optional<std::u16string> marker(TECSSListStyleType type, std::int32_t counter)
{
    switch (type) {
    case TECSSListStyleType::Circle:
        return std::u16string(u"\u25E6");
    case TECSSListStyleType::Decimal:
        return formatted("%d)", counter);
    case TECSSListStyleType::DecimalLeadingZero:
        return formatted("%02d.", counter);
    case TECSSListStyleType::Disc:
        return std::u16string(u"\u2022");
    case TECSSListStyleType::Square:
        return std::u16string(u"\u25AA");
    case TECSSListStyleType::UpperAlpha:
    case TECSSListStyleType::UpperLatin:
        return letterMarker(counter, 64);
    case TECSSListStyleType::LowerAlpha:
    case TECSSListStyleType::LowerLatin:
        return letterMarker(counter, 96);
    case TECSSListStyleType::Plus:
        return std::u16string(u"+");
    case TECSSListStyleType::UpperRoman:
        return TECSSListStyle::romanNumeral(counter) + u".";
    case TECSSListStyleType::LowerRoman:
        return lowercaseString(TECSSListStyle::romanNumeral(counter)) + u".";
    case TECSSListStyleType::Diamond:
        return std::u16string(u"\u25C6");
    case TECSSListStyleType::Check:
        return std::u16string(u"\u2713");
    case TECSSListStyleType::Hyphen:
        return std::u16string(u"\u2043");
    case TECSSListStyleType::Underscore:
        return std::u16string(u"_");
    case TECSSListStyleType::Inherit:
    case TECSSListStyleType::None:
        break;
    }
    return std::nullopt;
}

std::optional<std::u16string> readCSSURL(std::u16string_view text)
{
    Scanner scanner{std::u16string(text)};
    std::optional<std::u16string> url;
    if (!scanCSSURL(scanner, &url))
        return std::nullopt;
    return url;
}

} // namespace

TECSSListStyle::TECSSListStyle(const CSSStyleDictionary& styles)
    : m_position(TECSSListStylePosition::Outside)
    , m_startingItemNumber(1)
{
    updateFromStyleDictionary(styles);
}

std::optional<TECSSListStyleType> TECSSListStyle::listStyleTypeFromString(std::optional<std::u16string_view> string)
{
    if (!string)
        return std::nullopt;
    std::u16string lowered = lowercaseString(*string);
    for (const TypeKeyword& keyword : kTypeKeywords) {
        if (keyword.keyword == lowered)
            return keyword.type;
    }
    return TECSSListStyleType::None;
}

std::optional<TECSSListStylePosition> TECSSListStyle::listStylePositionFromString(
    std::optional<std::u16string_view> string)
{
    if (!string)
        return std::nullopt;
    std::u16string lowered = lowercaseString(*string);
    if (lowered == u"inside")
        return TECSSListStylePosition::Inside;
    if (lowered == u"outside")
        return TECSSListStylePosition::Outside;
    return TECSSListStylePosition::Inherit;
}

bool TECSSListStyle::setTypeWithString(std::optional<std::u16string_view> string)
{
    auto type = listStyleTypeFromString(string);
    if (type)
        m_type = *type;
    return type.has_value();
}

bool TECSSListStyle::setPositionWithString(std::optional<std::u16string_view> string)
{
    auto position = listStylePositionFromString(string);
    if (position)
        m_position = *position;
    return position.has_value();
}

void TECSSListStyle::updateFromStyleDictionary(const CSSStyleDictionary& styles)
{
    if (auto shorthand = styles.stringForKey("list-style")) {
        if (lowercaseString(*shorthand) == u"inherit") {
            m_inherit = true;
            return;
        }
        bool typeTaken = false;
        bool positionTaken = false;
        for (const std::u16string& token :
             componentsSeparatedByCharactersInSet(*shorthand, CharacterSet::whitespaceAndNewlineCharacterSet())) {
            if (token.empty())
                continue;
            // Keywords are read in any case, but the image URL keeps its case: file
            // names differ by case on this system.
            std::u16string lowered = lowercaseString(token);
            if (hasPrefix(lowered, u"url")) {
                if (auto url = readCSSURL(token)) {
                    m_imageName = std::move(*url);
                    continue;
                }
            }
            if (!typeTaken) {
                setTypeWithString(lowered);
                typeTaken = true;
            } else if (!positionTaken) {
                setPositionWithString(lowered);
                positionTaken = true;
            }
        }
        return;
    }
    setTypeWithString(styles.stringForKey("list-style-type"));
    setPositionWithString(styles.stringForKey("list-style-position"));
    if (auto image = styles.stringForKey("list-style-image")) {
        if (auto url = readCSSURL(*image))
            m_imageName = std::move(*url);
    }
}

std::int64_t TECSSListStyle::itemNumber(std::int64_t start, std::int64_t offset)
{
    std::int64_t number = 0;
    if (!__builtin_add_overflow(start, offset, &number))
        return number;
    return offset > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}

std::optional<std::u16string> TECSSListStyle::prefixWithCounter(std::int64_t counter) const
{
    std::optional<std::u16string> text;
    if (m_imageName)
        text = std::u16string(1, kObjectReplacementCharacter);
    else
        text = marker(m_type, static_cast<std::int32_t>(counter));
    if (!text)
        return std::nullopt;
    if (m_position == TECSSListStylePosition::Inside)
        return u"\t\t" + *text;
    return u"\t" + *text + u"\t";
}

std::optional<std::u16string> TECSSListStyle::markerWithText(std::int64_t counter,
                                                             const std::function<std::int64_t(int level)>& outerNumber) const
{
    if (!m_markerText)
        return std::nullopt;
    if (m_markerText->bullet)
        return m_markerText->before;
    std::u16string before = m_markerText->before;
    for (const MarkerText::OuterNumber& outer : m_markerText->outer)
        before += asciiText(std::to_string(outerNumber ? outerNumber(outer.level) : 1)) + outer.after;
    if (std::optional<std::u16string> number = listNumberText(m_markerText->numbering, counter))
        return before + *number + m_markerText->after;
    std::u16string number;
    // Word's own number for leading zeros ("\\levelnfc22") says so where a
    // saved list's type, which has no marker name of its own, does not.
    constexpr int kLeadingZeroFormat = 22;
    switch (m_markerText->numberFormat == kLeadingZeroFormat ? TECSSListStyleType::DecimalLeadingZero : m_type) {
    case TECSSListStyleType::DecimalLeadingZero:
        number = formatted("%02d", static_cast<std::int32_t>(counter));
        break;
    case TECSSListStyleType::UpperAlpha:
    case TECSSListStyleType::UpperLatin:
    case TECSSListStyleType::LowerAlpha:
    case TECSSListStyleType::LowerLatin: {
        const char16_t first = m_type == TECSSListStyleType::UpperAlpha || m_type == TECSSListStyleType::UpperLatin
            ? u'A'
            : u'a';
        for (std::int64_t value = counter; value > 0; value = (value - 1) / 26)
            number.insert(number.begin(), static_cast<char16_t>(first + (value - 1) % 26));
        break;
    }
    case TECSSListStyleType::UpperRoman:
        number = romanNumeral(counter);
        break;
    case TECSSListStyleType::LowerRoman:
        number = lowercaseString(romanNumeral(counter));
        break;
    default:
        number = asciiText(std::to_string(counter));
        break;
    }
    return before + number + m_markerText->after;
}

std::u16string TECSSListStyle::romanNumeral(std::int64_t number)
{
    if (number > kLargestRomanNumeral)
        return asciiText(std::to_string(number));
    std::u16string numeral;
    for (const RomanDigit& digit : kRomanDigits) {
        while (number >= digit.value) {
            numeral.append(digit.text);
            number -= digit.value;
        }
    }
    return numeral;
}

bool TECSSListStyle::isOrdered() const
{
    switch (m_type) {
    case TECSSListStyleType::Decimal:
    case TECSSListStyleType::DecimalLeadingZero:
    case TECSSListStyleType::UpperAlpha:
    case TECSSListStyleType::UpperLatin:
    case TECSSListStyleType::LowerAlpha:
    case TECSSListStyleType::LowerLatin:
        return true;
    default:
        return false;
    }
}

std::string_view TECSSListStyle::listStyleRTFString(TECSSListStyleType type)
{
    switch (type) {
    case TECSSListStyleType::Circle:
        return "circle\\}";
    case TECSSListStyleType::Decimal:
        return "decimal\\})";
    case TECSSListStyleType::Square:
        return "square\\}";
    case TECSSListStyleType::UpperAlpha:
        return "upper-alpha\\}.";
    case TECSSListStyleType::UpperLatin:
        return "upper-latin\\}.";
    case TECSSListStyleType::LowerAlpha:
        return "lower-alpha\\}.";
    case TECSSListStyleType::LowerLatin:
        return "lower-latin\\}.";
    case TECSSListStyleType::UpperRoman:
        return "upper-roman\\}.";
    case TECSSListStyleType::LowerRoman:
        return "lower-roman\\}.";
    case TECSSListStyleType::Diamond:
        return "diamond\\}";
    case TECSSListStyleType::Check:
        return "check\\}";
    case TECSSListStyleType::Hyphen:
        return "hyphen\\}";
    default:
        return "disc\\}";
    }
}

int TECSSListStyle::RTFNumberTypeForLevel(TECSSListStyleType type)
{
    switch (type) {
    case TECSSListStyleType::Decimal:
        return 0;
    case TECSSListStyleType::UpperRoman:
        return 1;
    case TECSSListStyleType::LowerRoman:
        return 2;
    case TECSSListStyleType::UpperAlpha:
        return 3;
    case TECSSListStyleType::LowerAlpha:
        return 4;
    default:
        return 23;
    }
}

bool TECSSListStyle::isEqualToListStyle(const TECSSListStyle& other) const
{
    if (this == &other)
        return true;
    return m_inherit == other.m_inherit && m_type == other.m_type && m_position == other.m_position
        && m_startingItemNumber == other.m_startingItemNumber && m_imageName == other.m_imageName
        && m_markerText == other.m_markerText && m_markerHalfPoints == other.m_markerHalfPoints;
}

bool TECSSListStyle::isEqual(const AttributeValue& other) const
{
    const auto* listStyle = other.as<TECSSListStyle>();
    return listStyle && isEqualToListStyle(*listStyle);
}

std::size_t TECSSListStyle::hash() const
{
    std::size_t seed = m_imageName ? std::hash<std::u16string>{}(*m_imageName) : 0;
    seed = hashCombine(seed, static_cast<std::size_t>(m_type));
    seed = hashCombine(seed, static_cast<std::size_t>(m_position));
    seed = hashCombine(seed, static_cast<std::size_t>(m_startingItemNumber));
    if (m_markerText) {
        seed = hashCombine(seed, std::hash<std::u16string>{}(m_markerText->before + u'\0' + m_markerText->after));
        seed = hashCombine(seed, static_cast<std::size_t>(m_markerText->numbering));
        seed = hashCombine(seed, static_cast<std::size_t>(m_markerText->numberFormat));
        seed = hashCombine(seed, static_cast<std::size_t>(m_markerText->alignment));
        seed = hashCombine(seed, static_cast<std::size_t>(m_markerText->follow));
        seed = hashCombine(seed, std::hash<std::u16string>{}(m_markerText->font) + (m_markerText->bullet ? 1 : 0));
        for (const MarkerText::OuterNumber& outer : m_markerText->outer)
            seed = hashCombine(seed, std::hash<std::u16string>{}(outer.after) + static_cast<std::size_t>(outer.level));
    }
    seed = hashCombine(seed, static_cast<std::size_t>(m_markerHalfPoints.value_or(0)));
    return hashCombine(seed, m_inherit ? 1 : 0);
}

std::string TECSSListStyle::description() const
{
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "<TECSSListStyle %p type=%u position=%u>", static_cast<const void*>(this),
                  static_cast<unsigned>(m_type), static_cast<unsigned>(m_position));
    return buffer;
}

std::optional<TECSSListStyle> TECSSListStyle::initWithCoder(const KeyedUnarchiver& coder)
{
    TECSSListStyle style;
    style.m_inherit = coder.decodeBool("inherit");
    // Numbers outside the known kinds and positions read as the defaults.
    std::int64_t type = coder.decodeInteger("type");
    style.m_type = type >= 0 && type <= static_cast<std::int64_t>(TECSSListStyleType::Underscore)
        ? static_cast<TECSSListStyleType>(type)
        : TECSSListStyleType::Inherit;
    std::int64_t position = coder.decodeInteger("position");
    style.m_position = position >= 0 && position <= static_cast<std::int64_t>(TECSSListStylePosition::Outside)
        ? static_cast<TECSSListStylePosition>(position)
        : TECSSListStylePosition::Inherit;
    if (std::optional<std::string> image = coder.decodeString("imageName"))
        style.m_imageName = toUtf16(*image);
    style.m_startingItemNumber = coder.decodeInteger("startingItemNumber");
    return style;
}

void TECSSListStyle::encodeWithCoder(KeyedArchiver& coder) const
{
    coder.encodeBool(m_inherit, "inherit");
    coder.encodeInteger(static_cast<std::int64_t>(m_type), "type");
    coder.encodeInteger(static_cast<std::int64_t>(m_position), "position");
    if (m_imageName)
        coder.encodeString(toUtf8(*m_imageName), "imageName");
    coder.encodeInteger(m_startingItemNumber, "startingItemNumber");
}

} // namespace folio
