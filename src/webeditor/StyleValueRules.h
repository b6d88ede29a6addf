#pragma once

namespace folio {

class Color;

// Small rules on style values the web-view editors share.
class StyleValueRules {
public:
    // A line spacing as a multiple of the font size, from what a page or a
    // panel gave: 0, 1 and 500 (a page's "normal") are single spacing, up to
    // 5 is already a multiple, anything larger is a height in points and is
    // divided by the font size, rounded to one decimal.
    static double convertLineSpacing(double spacing, double fontSize);

    // Whether red, green, blue and alpha each differ by at most `tolerance`.
    static bool colorsEqual(const Color& a, const Color& b, double tolerance);
};

} // namespace folio
