#include "platform/graphics/ColorArchive.h"

#include "platform/foundation/KeyedUnarchiver.h"

#include <cstdio>
#include <string>

namespace folio {

namespace {

// "NSRGB" and "NSWhite" hold the components as text ("1 0.5 0 1"), often
// with a trailing NUL.
std::optional<Color> colorFromComponentString(const KeyedUnarchiver& coder, const char* key, int expected)
{
    std::optional<std::string> text = coder.decodeData(key);
    if (!text)
        return std::nullopt;
    double values[4] = {0, 0, 0, 1};
    int read = expected == 3 ? std::sscanf(text->c_str(), "%lf %lf %lf %lf", &values[0], &values[1], &values[2], &values[3])
                             : std::sscanf(text->c_str(), "%lf %lf", &values[0], &values[3]);
    if (read < expected)
        return std::nullopt;
    if (expected == 3)
        return Color::colorWithRed(values[0], values[1], values[2], values[3]);
    return Color::colorWithWhite(values[0], values[3]);
}

} // namespace

std::optional<Color> ColorArchive::colorFromData(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty() || bytes.size() > 1u << 20)
        return std::nullopt;
    Result<KeyedUnarchiver> coder = KeyedUnarchiver::forData(bytes);
    if (!coder)
        return std::nullopt;
    return decodeColor(*coder);
}

std::optional<Color> ColorArchive::decodeColor(const KeyedUnarchiver& coder)
{
    double alpha = coder.containsValueForKey("UIAlpha") ? coder.decodeDouble("UIAlpha") : 1.0;
    if (coder.containsValueForKey("UIRed") && coder.containsValueForKey("UIGreen") && coder.containsValueForKey("UIBlue"))
        return Color::colorWithRed(coder.decodeDouble("UIRed"), coder.decodeDouble("UIGreen"),
                                   coder.decodeDouble("UIBlue"), alpha);
    if (coder.containsValueForKey("UIWhite"))
        return Color::colorWithWhite(coder.decodeDouble("UIWhite"), alpha);
    if (auto rgb = colorFromComponentString(coder, "NSRGB", 3))
        return rgb;
    return colorFromComponentString(coder, "NSWhite", 1);
}

void ColorArchive::encodeWithCoder(KeyedArchiver& coder) const
{
    if (m_color.colorSpace() == ColorSpace::Monochrome) {
        coder.encodeInteger(2, "UIColorComponentCount");
        coder.encodeDouble(m_color.white(), "UIWhite");
    } else {
        coder.encodeInteger(4, "UIColorComponentCount");
        coder.encodeDouble(m_color.red(), "UIRed");
        coder.encodeDouble(m_color.green(), "UIGreen");
        coder.encodeDouble(m_color.blue(), "UIBlue");
    }
    coder.encodeDouble(m_color.alpha(), "UIAlpha");
}

} // namespace folio
