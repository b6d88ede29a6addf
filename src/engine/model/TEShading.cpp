#include "engine/model/TEShading.h"

#include "engine/css/ColorHTML.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace folio {

namespace {

// The share of the pattern colour a line pattern covers, as it looks from
// a reading distance: light lines a quarter, dark ones half, crossings more.
double patternShare(int pattern)
{
    constexpr std::array<double, 12> kShares{0.25, 0.25, 0.25, 0.25, 0.4, 0.4, 0.5, 0.5, 0.5, 0.5, 0.75, 0.75};
    return pattern >= 1 && pattern <= static_cast<int>(kShares.size()) ? kShares[static_cast<std::size_t>(pattern - 1)]
                                                                        : 0;
}

} // namespace

std::optional<Color> TEShading::look() const
{
    if (isEmpty())
        return std::nullopt;
    const Color over = color.value_or(Color::colorWithRed(0, 0, 0));
    const Color under = fill.value_or(Color::colorWithRed(1, 1, 1));
    const double share = pattern != 0 ? patternShare(pattern) : std::clamp(shading / 10000.0, 0.0, 1.0);
    // In whole steps of a byte, as files and pages name colours, so that
    // the look comes back from either as it went.
    auto mixed = [share](double top, double bottom) {
        return std::round((top * share + bottom * (1 - share)) * 255) / 255;
    };
    return Color::colorWithRed(mixed(over.red(), under.red()), mixed(over.green(), under.green()),
                               mixed(over.blue(), under.blue()));
}

std::string TEShading::text() const
{
    std::string text;
    auto part = [&text](std::string_view name, const std::string& value) {
        if (!text.empty())
            text += ' ';
        text.append(name).append("=").append(value);
    };
    if (pattern >= 1 && pattern <= static_cast<int>(kPatterns.size()))
        part("pattern", std::string(kPatterns[static_cast<std::size_t>(pattern - 1)]));
    if (shading != 0)
        part("shading", std::to_string(shading));
    if (color)
        part("color", htmlHexString(*color));
    if (fill)
        part("fill", htmlHexString(*fill));
    return text;
}

std::optional<TEShading> TEShading::fromText(std::string_view text)
{
    TEShading shading;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(' '), text.size());
        const std::string_view part = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (part.empty())
            continue;
        const std::size_t equals = part.find('=');
        if (equals == std::string_view::npos)
            return std::nullopt;
        const std::string_view name = part.substr(0, equals);
        const std::string_view value = part.substr(equals + 1);
        if (name == "pattern") {
            const auto* found = std::find(kPatterns.begin(), kPatterns.end(), value);
            if (found == kPatterns.end())
                return std::nullopt;
            shading.pattern = static_cast<int>(found - kPatterns.begin()) + 1;
        } else if (name == "shading") {
            int number = 0;
            const auto [at, error] = std::from_chars(value.data(), value.data() + value.size(), number);
            if (error != std::errc() || at != value.data() + value.size() || number < 0 || number > 10000)
                return std::nullopt;
            shading.shading = number;
        } else if (name == "color" || name == "fill") {
            // Six hex digits, as text() writes them.
            const bool isHex = value.size() == 6 && std::all_of(value.begin(), value.end(), [](char each) {
                return std::isxdigit(static_cast<unsigned char>(each)) != 0;
            });
            std::optional<Color> color = isHex ? colorWithHexString(value) : std::nullopt;
            if (!color)
                return std::nullopt;
            (name == "color" ? shading.color : shading.fill) = color;
        } else {
            return std::nullopt;
        }
    }
    if (shading.isEmpty())
        return std::nullopt;
    return shading;
}

} // namespace folio
