#pragma once

#include <optional>
#include <string_view>

namespace folio {

// The one conversion between the sizes a page reports (CSS pixels, 96 to the
// inch) and the sizes the editors show and send (points, 72 to the inch).
// Every size read from a page goes through pointsFromAnswer and every size
// written into a page as pixels through pixelsFromPoints, so a size read back
// and sent again stays the same size.
class FontSizeUnits {
public:
    static constexpr double kPixelsPerPoint = 96.0 / 72.0;

    static double pixelsFromPoints(double points) { return points * kPixelsPerPoint; }
    static double pointsFromPixels(double pixels) { return pixels / kPixelsPerPoint; }

    // The size in points of a page's answer: "16px" and a bare "16" (the
    // computed style's unit) are pixels, "12pt" points. None when the answer
    // does not begin with a number.
    static std::optional<double> pointsFromAnswer(std::string_view answer);
    // The same, rounded to the whole points the size buttons show.
    static std::optional<int> wholePointsFromAnswer(std::string_view answer);
};

} // namespace folio
