#pragma once

#include "platform/graphics/Geometry.h"

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// The document HTML a PDF conversion starts from, made ready for the page
// template: QV documents bring their editing body's style (and with it their
// page margins) in a hidden "bodyStyle" div; other documents get the paper
// colour the user chose.
class PDFSourceHTML {
public:
    static constexpr std::string_view kBodyStyleMarker = "<div id=\"bodyStyle\" style=\"";
    static constexpr std::string_view kEditorPageBreak =
        "<hr class=\"marquent-pagebreak\" style=\"page-break-before: always; border-color: #005; height: 3px; "
        "border-style: dotted none; border-width: 1px;\" />";
    static constexpr std::string_view kPrintPageBreak = "<div style=\"page-break-before:always;\"></div>";

    struct Prepared {
        std::string html;
        // Top, left, bottom, right in centimetres.
        EdgeInsets margins;
    };

    PDFSourceHTML() = delete;

    // `margins` are the caller's (centimetres); a QV body style replaces them.
    static Prepared prepare(std::string_view html, const std::optional<std::string>& paperColor,
                            const EdgeInsets& margins);

    // The body style a QV document carries, without the declarations that
    // only the editor needs; nothing when the HTML has none.
    static std::optional<std::string> bodyStyle(std::string_view html);
    // The page margins of a body style's "margin" declaration, in
    // centimetres, with CSS's one-to-four-value rule; all 0 without one.
    static EdgeInsets marginsFromBodyStyle(std::string_view style);
    // One CSS length in centimetres; nothing for what is not a length.
    static std::optional<double> centimetresFromCSSLength(std::string_view length);
    // Whether a stored paper colour may be placed in a style: six or three
    // hexadecimal digits.
    static bool isPaperColor(std::string_view color);
};

} // namespace folio
