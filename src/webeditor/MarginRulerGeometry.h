#pragma once

#include <optional>
#include <string>

namespace folio {

// What the web-view editors' margin rulers share: the ruler measures a
// Letter-wide sheet in centimetres (the lower handle is the left margin, the
// upper one the right edge of the text column), and the page shows that
// sheet across the editor's width, so ruler centimetres are scaled before
// they become page centimetres.
class MarginRulerGeometry {
public:
    static constexpr float kSheetWidth = 21.59f;
    // The ruler's and its read-out's heights above the page, in points.
    static constexpr double kRulerHeight = 34;
    static constexpr double kBannerHeight = 20;

    MarginRulerGeometry() = delete;

    // How much of a ruler centimetre the page gets: by device class (0
    // tablet, 1 small phone, 2 large phone) and orientation; a multitasking
    // window by its width.
    static double screenFactor(int deviceClass, bool landscape, std::optional<double> multitaskingWidth);
    // Whether the window is one of the split-screen widths.
    static bool isMultitaskingWidth(double width);
    // The script that indents the page's text column (page centimetres).
    static std::string marginScript(double left, double right);
    // The same indents as declarations of the column's style attribute, for
    // a page built with them. Written as the script writes them, so that the
    // script then finds them set and the page is not laid out again.
    static std::string marginDeclarations(double left, double right);
    // The banner's read-out: the left margin and the right edge, in inches
    // with one decimal.
    static std::u16string bannerText(float lower, float upper);
};

} // namespace folio
