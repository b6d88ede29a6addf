#pragma once

#include "platform/graphics/Color.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// Colours by name from the two name lists: the CSS colour keywords and the
// crayon names. Each cache is built once, on first use, under its own lock,
// and read without locking afterwards.
class ColorNameCache {
public:
    ColorNameCache() = delete;

    static std::optional<Color> colorWithName(std::string_view name);
    static std::optional<Color> crayonWithName(std::string_view name);
    // The names in list order.
    static std::vector<std::string> namedColors();
    static std::vector<std::string> namedCrayons();

    static Color randomNamedColor();
    static Color randomCrayolaColor();

    // The crayon name nearest to the colour, by the same distance as the CSS names.
    static std::optional<std::string> closestCrayonName(const Color& color);
};

} // namespace folio
