#pragma once

#include "platform/graphics/Color.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// How word processors shade text: a share of a pattern colour over a fill
// colour, or one of their line patterns in the pattern colour. Kept as the
// document gave it, so that a save writes it back, and shown as the colour
// the two make together.
struct TEShading {
    // Word's patterns, by the names their control words end in; a
    // pattern's number is its place here plus one, 0 for none.
    static constexpr std::array<std::string_view, 12> kPatterns{
        "horiz", "vert", "fdiag", "bdiag", "cross", "dcross", "dkhoriz", "dkvert", "dkfdiag", "dkbdiag", "dkcross", "dkdcross"};

    int pattern = 0;
    // The pattern colour's share, in hundredths of a percent.
    int shading = 0;
    // Without a colour the pattern is black and the fill white.
    std::optional<Color> color;
    std::optional<Color> fill;

    // Whether it shades at all: nothing but automatic colours at 0 does not.
    bool isEmpty() const { return pattern == 0 && shading == 0 && !fill; }
    // The colour a reader sees; none for an empty shading.
    std::optional<Color> look() const;

    // As an attribute value and on the editing page:
    // "pattern=dkhoriz shading=2500 color=ff0000 fill=ffff00", each part only
    // when given.
    std::string text() const;
    // None for a text that is not of that form or that shades nothing.
    static std::optional<TEShading> fromText(std::string_view text);

    friend bool operator==(const TEShading&, const TEShading&) = default;
};

} // namespace folio
