#pragma once

#include "platform/text/AttributeValue.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace folio {

// TextEdit's shadow measures: offsets ("\shadx", "\shady", up from the
// text) and blur ("\shadr") in twips, opacity out of 255 ("\shado", 0 for
// the colour's own) and colour ("\shadowc").
struct DKRTFShadowMeasures {
    int x = 0;
    int y = 0;
    int blur = 0;
    int opacity = 0;
    std::shared_ptr<const ColorValue> color;
    friend bool operator==(const DKRTFShadowMeasures&, const DKRTFShadowMeasures&) = default;
};

// Word's shading of a run or a paragraph: "\chshdngN" or "\shadingN" in
// hundredths of a percent, a line pattern ("\chbgdkhoriz", "\bgdkhoriz",
// numbered as TEShading numbers them), the pattern's colour ("\chcfpatN",
// "\cfpatN") and the fill ("\chcbpatN", "\cbpatN").
struct DKRTFShading {
    int shading = 0;
    int pattern = 0;
    std::shared_ptr<const ColorValue> color;
    std::shared_ptr<const ColorValue> fill;
    friend bool operator==(const DKRTFShading&, const DKRTFShading&) = default;
};

// What word processors mark runs with beside their look: the languages a
// run is checked in and the effects drawn over its letters. Readers and
// writers of RTF carry them as they stand, so that a save gives them back.
struct DKRTFCharacterMarks {
    // Windows language numbers ("\lang1033", "\langfe2052"); 0 for none.
    std::uint16_t language = 0;
    std::uint16_t eastAsianLanguage = 0;
    // "\noproof": no spelling or grammar checks.
    bool noProofing = false;
    // "\caps" and "\scaps": shown in capitals or small capitals, the
    // letters kept as typed.
    bool capitals = false;
    bool smallCapitals = false;
    // "\v": text kept in the document but not shown.
    bool hidden = false;
    // "\striked1": the strike-through is a double line.
    bool doubleStrike = false;
    // "\upN" and "\dnN": raised or lowered by N half points at the text's
    // own size (lowered is negative).
    int baselineShift = 0;
    // "\shad" and "\outl".
    bool shadow = false;
    bool outline = false;
    // "\kerningN": Word kerns from N half points up, TextEdit and
    // LibreOffice kern at 1. A "\kerning0" is kept apart from no word at
    // all: TextEdit writes it where kerning stops within kerned text, and a
    // run that says nothing takes what its style gives.
    std::optional<int> kerning;
    // TextEdit's letter strokes: "\strokewidthN" in twentieths of a percent
    // of the font size (negative: filled and stroked), "\strokecN".
    std::optional<int> strokeWidth;
    std::shared_ptr<const ColorValue> strokeColor;
    // TextEdit's shadow measures after "\shad".
    using ShadowMeasures = DKRTFShadowMeasures;
    std::optional<ShadowMeasures> shadowMeasures;
    // Word's character shading.
    using Shading = DKRTFShading;
    Shading shading;

    friend bool operator==(const DKRTFCharacterMarks&, const DKRTFCharacterMarks&) = default;

    // Most of it in one number, for hashing.
    std::uint64_t packed() const
    {
        return (static_cast<std::uint64_t>(language) | static_cast<std::uint64_t>(eastAsianLanguage) << 16
            | static_cast<std::uint64_t>(noProofing) << 32 | static_cast<std::uint64_t>(capitals) << 33
            | static_cast<std::uint64_t>(shadow) << 34 | static_cast<std::uint64_t>(outline) << 35
            | static_cast<std::uint64_t>(smallCapitals) << 36 | static_cast<std::uint64_t>(kerning.value_or(0) & 0xFFFF) << 37
            | static_cast<std::uint64_t>(strokeWidth.value_or(0) & 0x3FF) << 53
            | static_cast<std::uint64_t>(shadowMeasures.has_value()) << 63)
            // Only a hash: hidden text shares a bit with the languages.
            ^ static_cast<std::uint64_t>(hidden) << 15 ^ static_cast<std::uint64_t>(doubleStrike) << 14
            ^ static_cast<std::uint64_t>(static_cast<std::uint16_t>(baselineShift)) << 17;
    }
};

} // namespace folio
