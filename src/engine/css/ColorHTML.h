#pragma once

#include "platform/graphics/Color.h"

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// Colours written as text: six (or three) hexadecimal digits for the paper
// colour and the editors' settings, CSS colour text in HTML and the pickers.
// Text that is not a colour answers none; callers fall back to their defaults.
// Components are divided, not clamped, so "rgb(300,0,0)" keeps its red of 300/255.

// Exactly three or six characters, without "#"; any other length is none.
// Characters that are not hexadecimal digits end the reading of their part,
// so "zz0000" is black.
std::optional<Color> colorWithHexString(std::u16string_view text);
std::optional<Color> colorWithHexString(std::string_view text);

// "#" with three or six digits, "rgb(r, g, b)" or "rgba(r, g, b, a)" with
// red, green and blue on 0..255 and alpha on 0..1, or one of the 147 CSS
// colour names in any letter case. "transparent" and "currentColor" are not
// colours here.
std::optional<Color> colorWithHTMLName(std::u16string_view text);
std::optional<Color> colorWithHTMLName(std::string_view text);

// Six lower-case hexadecimal digits without "#". Components are scaled to
// 0..255 and truncated (not rounded), clamped so that the result is always six
// digits; a grey (two components) repeats its value; any colour with neither
// two nor four components gives "000000". Alpha is dropped.
std::string htmlHexString(const Color& color);

// The engine's own names for the same conversions.
inline std::optional<Color> TEColorCreateWithHexString(std::u16string_view text) { return colorWithHexString(text); }
inline std::optional<Color> TEColorCreateWithHTMLName(std::u16string_view text) { return colorWithHTMLName(text); }
// As htmlHexString, but none for a colour with neither two nor four components.
std::optional<std::string> TEHexStringFromDTColor(const Color& color);

} // namespace folio
