#include "engine/css/ColorHTML.h"

#include "engine/html/HTMLString.h"
#include "foundation/color/CSSColorNames.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

namespace folio {

namespace {

const std::unordered_map<std::string_view, std::uint32_t>& namedColors()
{
    // Built once, thread-safely, and only read afterwards.
    static const std::unordered_map<std::string_view, std::uint32_t> table = [] {
        std::unordered_map<std::string_view, std::uint32_t> names;
        for (const CSSColorName& entry : cssColorNames())
            names.emplace(entry.name, entry.rgb);
        return names;
    }();
    return table;
}

std::u16string_view trimCharacters(std::u16string_view text, std::u16string_view characters)
{
    std::size_t start = text.find_first_not_of(characters);
    if (start == std::u16string_view::npos)
        return {};
    std::size_t end = text.find_last_not_of(characters);
    return text.substr(start, end - start + 1);
}

std::vector<std::u16string_view> splitAtCommas(std::u16string_view text)
{
    std::vector<std::u16string_view> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t comma = text.find(u',', start);
        parts.push_back(text.substr(start, comma == std::u16string_view::npos ? std::u16string_view::npos : comma - start));
        if (comma == std::u16string_view::npos)
            return parts;
        start = comma + 1;
    }
}

std::optional<Color> colorFromFunctionalNotation(std::u16string_view text, std::u16string_view trimmed,
                                                 std::size_t expectedParts)
{
    std::vector<std::u16string_view> parts = splitAtCommas(trimCharacters(text, trimmed));
    if (parts.size() != expectedParts)
        return std::nullopt;
    double alpha = expectedParts == 4 ? doubleValue(parts[3]) : 1.0;
    return Color::colorWithRed(doubleValue(parts[0]) / 255.0, doubleValue(parts[1]) / 255.0,
                               doubleValue(parts[2]) / 255.0, alpha);
}

int truncatedByte(double component)
{
    // Truncation matches the digits pages have always been written with; the
    // clamp keeps extended-range components from spilling into a seventh digit.
    return static_cast<int>(std::clamp(component * 255.0, 0.0, 255.0));
}

std::optional<std::string> hexOfComponents(const Color& color)
{
    const std::vector<double>& components = color.components();
    int red = 0, green = 0, blue = 0;
    if (components.size() == 4) {
        red = truncatedByte(components[0]);
        green = truncatedByte(components[1]);
        blue = truncatedByte(components[2]);
    } else if (components.size() == 2) {
        red = green = blue = truncatedByte(components[0]);
    } else {
        return std::nullopt;
    }
    // Six lower-case digits, two a component, as "%02x" would write them
    // without the cost of formatting.
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string hex(6, '0');
    int index = 0;
    for (int component : {red, green, blue}) {
        hex[index++] = kDigits[(component >> 4) & 0xF];
        hex[index++] = kDigits[component & 0xF];
    }
    return hex;
}

} // namespace

std::optional<Color> colorWithHexString(std::u16string_view text)
{
    if (text.size() != 3 && text.size() != 6)
        return std::nullopt;
    std::size_t partLength = text.size() / 3;
    double scale = partLength == 1 ? 15.0 : 255.0;
    double components[3];
    for (std::size_t part = 0; part < 3; ++part)
        components[part] = integerValueFromHex(text.substr(part * partLength, partLength)) / scale;
    return Color::colorWithRed(components[0], components[1], components[2], 1.0);
}

std::optional<Color> colorWithHexString(std::string_view text)
{
    return colorWithHexString(toUtf16(text));
}

std::optional<Color> colorWithHTMLName(std::u16string_view text)
{
    if (text.starts_with(u"#"))
        return colorWithHexString(text.substr(1));
    if (text.starts_with(u"rgba"))
        return colorFromFunctionalNotation(text, u"rgba() ", 4);
    if (text.starts_with(u"rgb"))
        return colorFromFunctionalNotation(text, u"rgb() ", 3);

    std::string name;
    name.reserve(text.size());
    for (char16_t unit : text) {
        // No colour name holds anything but ASCII letters.
        if (unit >= 0x80)
            return std::nullopt;
        char c = static_cast<char>(unit);
        name += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const auto& table = namedColors();
    auto found = table.find(name);
    if (found == table.end())
        return std::nullopt;
    std::uint32_t rgb = found->second;
    return Color::colorWithRed(((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1.0);
}

std::optional<Color> colorWithHTMLName(std::string_view text)
{
    return colorWithHTMLName(toUtf16(text));
}

std::string htmlHexString(const Color& color)
{
    return hexOfComponents(color).value_or("000000");
}

std::optional<std::string> TEHexStringFromDTColor(const Color& color)
{
    return hexOfComponents(color);
}

} // namespace folio
