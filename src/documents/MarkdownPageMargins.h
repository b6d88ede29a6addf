#pragma once

#include "platform/graphics/Geometry.h"

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// The margins of a Markdown document's page. The settings keep them in
// centimetres under "markdownPageMargin<Side>"; a side nobody has set keeps
// the border the editor draws around its text, so that the editor, its
// layout inspector and the exported page agree, and no page is printed with
// its text against the paper's edge.
class MarkdownPageMargins {
public:
    // The editor's own border around its text, in points.
    static constexpr double kEditorTop = 22;
    static constexpr double kEditorSide = 22;
    static constexpr double kEditorBottom = 8;
    static constexpr double kPointsPerCentimetre = 72 / 2.54;

    MarkdownPageMargins() = delete;

    // Top, left, bottom, right in centimetres: each side's setting, or the
    // editor's border where there is none.
    template <typename Lookup>
    static EdgeInsets read(const Lookup& lookup)
    {
        auto side = [&](const char* name, double editor) {
            std::optional<double> stored = lookup(std::string("markdownPageMargin") + name);
            return stored ? *stored : editor / kPointsPerCentimetre;
        };
        return EdgeInsets{side("Top", kEditorTop), side("Left", kEditorSide), side("Bottom", kEditorBottom),
                          side("Right", kEditorSide)};
    }
};

} // namespace folio
