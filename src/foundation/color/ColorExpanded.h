#pragma once

#include "platform/graphics/Color.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// Colour components, 24-bit values, six-digit hexadecimal strings and the
// nearest CSS colour name. Only monochrome and RGB colours have red, green and
// blue; for any other colour these answer none instead of guessing.

ColorSpace colorSpaceModel(const Color& color);
bool canProvideRGBComponents(const Color& color);

// Writes whichever out-parameters are given (each may be null). A monochrome
// colour gives its white value as red, green and blue. False, with nothing
// written, for other colour spaces.
bool redGreenBlueAlpha(const Color& color, double* red, double* green, double* blue, double* alpha);

// Red, green and blue each clamped to 0..1, scaled to 0..255 and rounded
// (halves away from zero), red in the high byte. Alpha is ignored.
std::optional<std::uint32_t> rgbHex(const Color& color);

// rgbHex as six upper-case hexadecimal digits without "#": the form in which a
// document stores its paper colour.
std::optional<std::string> hexStringFromColor(const Color& color);

// The name in the CSS colour-name list nearest to the colour.
std::optional<std::string> closestColorName(const Color& color);

// The nearest entry of a list written as ",name#rrggbb" entries one after the
// other. Distance adds ln(|difference| + 1) over red, green and blue, which
// weighs a small error in every channel above a large error in one. Ties keep
// the earlier entry. None when the colour has no RGB components or the list
// holds no readable entry.
std::optional<std::string> closestColorNameFor(const Color& color, std::string_view listText);

// The CSS colour names as a list text for closestColorNameFor: lower-case
// names, lower-case digits, alphabetical.
const std::string& cssColorNameList();

// An opaque RGB colour from the three bytes of a 24-bit value.
Color colorWithRGBHex(std::uint32_t hex);

} // namespace folio
