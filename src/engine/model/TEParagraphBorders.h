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
    // The bar stands outside the text, beside it on the side of the binding.
    enum class Side { Top, Left, Bottom, Right, Between, Bar };
    static constexpr std::array<std::string_view, 6> kSides{"top", "left", "bottom", "right", "between", "bar"};
    // The kinds of line by the names their control words end in ("\brdrs",
    // "\brdrdb"); a kind's number is its place here plus one. The first
    // five are the kinds a table's cells also know.
    static constexpr std::array<std::string_view, 28> kStyles{
        "s",      "th",     "db",       "dot",    "dash",   "hair",     "sh",     "dashsm", "dashd",    "dashdd",
        "dashdotstr", "triple", "tnthsg", "thtnsg", "tnthtnsg", "tnthmg", "thtnmg", "tnthtnmg", "tnthlg", "thtnlg",
        "tnthtnlg", "wavy",   "wavydb", "emboss",   "engrave", "outset", "inset",  "frame"};
    // The number of the kind of that name; 0 for none.
    static constexpr int styleNumber(std::string_view name)
    {
        for (std::size_t index = 0; index < kStyles.size(); ++index)
            if (kStyles[index] == name)
                return static_cast<int>(index) + 1;
        return 0;
    }
    // The widest line and the largest distance word processors give, in twips.
    static constexpr int kWidest = 255;
    static constexpr int kFarthest = 31680;

    // A side named without a kind of line ("\\brdrt" alone) draws nothing
    // in word processors: it has kind 0, written "none", and is kept as it
    // came.
    static constexpr std::string_view kNoStyle = "none";

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
    // "top=s,12,20,4472c4 bottom=db,6,0 bar=none,0,0", each side only when
    // given.
    std::string text() const;
    // None for a text that is not of that form or that rules nothing.
    static std::optional<TEParagraphBorders> fromText(std::string_view text);
    // The lines as the page draws them, as inset shadows ("box-shadow:inset
    // 0 0.6pt 0 #4472c4;"). The line between paragraphs is drawn under this
    // one where the next paragraph has the same borders.
    std::string css(bool nextHasTheSame = false) const;

    friend bool operator==(const TEParagraphBorders&, const TEParagraphBorders&) = default;
};

} // namespace folio
