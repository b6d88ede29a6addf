#include "foundation/color/ColorExpanded.h"
#include "platform/foundation/StringUtilities.h"

#include "foundation/color/CSSColorNames.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

namespace folio {

namespace {

int channelByte(double component)
{
    // std::lround rounds halves away from zero, which is the rounding the
    // stored colours were written with.
    return static_cast<int>(std::lround(std::clamp(component, 0.0, 1.0) * 255.0));
}

// Reads up to two hexadecimal digits at position after optional blanks, as
// the C format "%2x" does on the lists we write; false when no digit is there.
bool readTwoDigitHex(std::string_view text, std::size_t& position, int& value)
{
    while (position < text.size() && std::isspace(static_cast<unsigned char>(text[position])))
        ++position;
    std::size_t width = 0;
    value = 0;
    while (width < 2 && position < text.size() && hexDigitValue(text[position]) >= 0) {
        value = value * 16 + hexDigitValue(text[position]);
        ++position;
        ++width;
    }
    return width > 0;
}

} // namespace

ColorSpace colorSpaceModel(const Color& color)
{
    return color.colorSpace();
}

bool canProvideRGBComponents(const Color& color)
{
    return color.canProvideRGBComponents();
}

bool redGreenBlueAlpha(const Color& color, double* red, double* green, double* blue, double* alpha)
{
    return color.getRed(red, green, blue, alpha);
}

std::optional<std::uint32_t> rgbHex(const Color& color)
{
    double red = 0, green = 0, blue = 0;
    if (!color.getRed(&red, &green, &blue, nullptr))
        return std::nullopt;
    return static_cast<std::uint32_t>(channelByte(red) * 65536 + channelByte(green) * 256 + channelByte(blue));
}

std::optional<std::string> hexStringFromColor(const Color& color)
{
    std::optional<std::uint32_t> hex = rgbHex(color);
    if (!hex)
        return std::nullopt;
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%06X", static_cast<unsigned>(*hex));
    return std::string(buffer);
}

std::optional<std::string> closestColorNameFor(const Color& color, std::string_view listText)
{
    std::optional<std::uint32_t> hex = rgbHex(color);
    if (!hex)
        return std::nullopt;
    int red = static_cast<int>((*hex >> 16) & 0xFF);
    int green = static_cast<int>((*hex >> 8) & 0xFF);
    int blue = static_cast<int>(*hex & 0xFF);

    float best = std::numeric_limits<float>::max();
    std::optional<std::string> candidate;
    for (std::size_t hash = listText.find('#'); hash != std::string_view::npos; hash = listText.find('#', hash + 1)) {
        std::size_t position = hash + 1;
        int r = 0, g = 0, b = 0;
        if (!readTwoDigitHex(listText, position, r) || !readTwoDigitHex(listText, position, g)
            || !readTwoDigitHex(listText, position, b))
            continue;
        // Single precision on purpose: ties between names must fall exactly as
        // they always have.
        float distance = std::log(static_cast<float>(std::abs(red - r) + 1))
                         + std::log(static_cast<float>(std::abs(green - g) + 1))
                         + std::log(static_cast<float>(std::abs(blue - b) + 1));
        if (distance < best) {
            best = distance;
            std::size_t comma = listText.rfind(',', hash);
            std::size_t nameStart = comma == std::string_view::npos ? 0 : comma + 1;
            candidate = std::string(listText.substr(nameStart, hash - nameStart));
        }
    }
    return candidate;
}

const std::string& cssColorNameList()
{
    static const std::string list = [] {
        std::string text;
        for (const CSSColorName& entry : cssColorNames()) {
            char digits[8];
            std::snprintf(digits, sizeof digits, "%06x", static_cast<unsigned>(entry.rgb));
            text += ',';
            text += entry.name;
            text += '#';
            text += digits;
        }
        return text;
    }();
    return list;
}

std::optional<std::string> closestColorName(const Color& color)
{
    return closestColorNameFor(color, cssColorNameList());
}

Color colorWithRGBHex(std::uint32_t hex)
{
    return Color::colorWithRed(((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, 1.0);
}

} // namespace folio
