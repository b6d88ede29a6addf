#pragma once

#include "platform/graphics/Color.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// How word processors rule a paragraph off: a line above, beside or below
// it, or between paragraphs that have the same borders, each with its
// kind, width, distance from the text and colour. Kept as the document gave
// them, so that a save writes them back, and drawn on the editing page.
struct TEParagraphBorders {
    enum class Side { Top, Left, Bottom, Right, Between };
    static constexpr std::array<std::string_view, 5> kSides{"top", "left", "bottom", "right", "between"};
    // The kinds of line by the names their control words end in ("\brdrs",
    // "\brdrdb"); a kind's number is its place here plus one.
    static constexpr std::array<std::string_view, 5> kStyles{"s", "th", "db", "dot", "dash"};
    // The widest line and the largest distance word processors give, in twips.
    static constexpr int kWidest = 255;
    static constexpr int kFarthest = 31680;

    struct Border {
        int style = 1;
        // Twips.
        int width = 0;
        int space = 0;
        // Without a colour the line is the text's colour.
        std::optional<Color> color;
        friend bool operator==(const Border&, const Border&) = default;
    };
    std::array<std::optional<Border>, kSides.size()> sides;

    std::optional<Border>& side(Side which) { return sides[static_cast<std::size_t>(which)]; }
    bool isEmpty() const;

    // As an attribute value and on the editing page:
    // "top=s,12,20,4472c4 bottom=db,6,0", each side only when given.
    std::string text() const;
    // None for a text that is not of that form or that rules nothing.
    static std::optional<TEParagraphBorders> fromText(std::string_view text);
    // The lines as the page draws them, "border-top:0.6pt solid #4472c4;
    // padding-top:1pt;"; the line between paragraphs is not drawn.
    std::string css() const;

    friend bool operator==(const TEParagraphBorders&, const TEParagraphBorders&) = default;
};

} // namespace folio
