#pragma once

#include "engine/css/CSSStyleDictionary.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// Insets in the platform's layout: top, left, bottom, right.
using TEEdgeInsets = EdgeInsets;

// One text shadow, in points.
struct CSSShadow {
    Size offset;
    double blur = 0;
    Color color;
};

// Reads declarations from the start of the text until one cannot be read; a later
// declaration of a name replaces an earlier one.
CSSStyleDictionary dictionaryOfCSSStyles(std::u16string_view text);

// True when the text starts with a number and any unit letters after it form "em",
// "px" or "pt". Only the start is examined: "12cm" and "12%" count as lengths.
bool isCSSLengthValue(std::u16string_view text);

// A CSS length in points: "pt" is 1.3333 times the text scale, "px" the text scale,
// "em" the current text size and "%" a hundredth of it; a number without a unit is
// taken as it is. A number too large to hold gives 0.
double pixelSizeOfCSSMeasureRelativeToCurrentTextSize(std::u16string_view text, double currentTextSize,
                                                      double textScale);

// One to four lengths separated by blanks, in the CSS order top, right, bottom, left
// with the usual repetition of missing sides.
TEEdgeInsets TEEdgeInsetsRelativeToCurrentTextSize(std::u16string_view text, double currentTextSize, double textScale);

// The shadows of a "text-shadow" value; none for "none" or when no shadow reads.
// Shadows without a colour take `currentColor`.
std::optional<std::vector<CSSShadow>> arrayOfCSSShadowsWithCurrentTextSize(std::u16string_view text,
                                                                          double currentTextSize,
                                                                          const Color& currentColor);

// The text of a "content" value with its escapes resolved: "\" and up to four
// hexadecimal digits give that character, "\\" a backslash, and "\" before any other
// character is kept as written.
std::u16string stringByDecodingCSSContentAttribute(std::u16string_view text);

} // namespace folio
