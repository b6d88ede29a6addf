#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace folio {

class AttributeValue;

// The attribute values a run's style is made from, each null where the run
// has none, and whether the style writes the font (a paragraph of one font
// writes it on its element instead). Runs of a document mostly share these
// values, so that thousands of formatting states come to a few hundred
// looks: the style is made once for each. A value names itself by its
// address, which stays put while a write runs.
struct HTMLRunLook {
    const AttributeValue* font = nullptr;
    const AttributeValue* kern = nullptr;
    const AttributeValue* foreground = nullptr;
    const AttributeValue* background = nullptr;
    const AttributeValue* underline = nullptr;
    const AttributeValue* underlineColor = nullptr;
    const AttributeValue* strikeOut = nullptr;
    const AttributeValue* superscript = nullptr;
    const AttributeValue* capitals = nullptr;
    const AttributeValue* smallCapitals = nullptr;
    const AttributeValue* shadows = nullptr;
    const AttributeValue* strokeWidth = nullptr;
    const AttributeValue* strokeColor = nullptr;
    // A word processor's shading, whose line pattern is drawn over the
    // background colour it mixes to.
    const AttributeValue* shading = nullptr;
    // A doubled strike-through line, and text raised or lowered by half
    // points at its own size.
    const AttributeValue* doubleStrikeOut = nullptr;
    const AttributeValue* baselineShift = nullptr;
    bool writesFont = false;

    friend bool operator==(const HTMLRunLook&, const HTMLRunLook&) = default;

    struct Hash {
        std::size_t operator()(const HTMLRunLook& look) const
        {
            std::size_t hash = look.writesFont;
            for (const AttributeValue* value : {look.font, look.kern, look.foreground, look.background,
                                                look.underline, look.underlineColor, look.strikeOut, look.superscript, look.capitals,
                                                look.smallCapitals, look.shadows, look.strokeWidth, look.strokeColor, look.shading,
                                                look.doubleStrikeOut, look.baselineShift})
                hash = hash * 31 + std::hash<const AttributeValue*>()(value);
            return hash;
        }
    };
};

// The style made from a look, and the start tag of a span styled with it
// alone ("" without a style).
struct HTMLRunStyle {
    std::string css;
    std::string spanStartTag;
};

} // namespace folio
