#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace folio {

// Symbolic trait bits; the values are those saved documents and the engine's
// font descriptors carry, so they must not change.
inline constexpr std::uint32_t kFontItalicTrait = 1u << 0;
inline constexpr std::uint32_t kFontBoldTrait = 1u << 1;
inline constexpr std::uint32_t kFontExpandedTrait = 1u << 5;
inline constexpr std::uint32_t kFontCondensedTrait = 1u << 6;
inline constexpr std::uint32_t kFontMonospaceTrait = 1u << 10;
inline constexpr std::uint32_t kFontVerticalTrait = 1u << 11;
inline constexpr std::uint32_t kFontUIOptimizedTrait = 1u << 12;
// The top four bits hold the font class (serif, sans serif, script...).
inline constexpr std::uint32_t kFontClassMask = 0xF0000000u;

// Vertical metrics of a face per unit of point size, so a font of any size
// scales them. Ascent and descent are both positive distances from the
// baseline; the underline position is negative below the baseline.
struct FontMetrics {
    double ascent = 0;
    double descent = 0;
    double leading = 0;
    double underlinePosition = 0;
    double underlineThickness = 0;
    double xHeight = 0;
    double capHeight = 0;

    FontMetrics scaledBy(double size) const
    {
        return {ascent * size,           descent * size,  leading * size, underlinePosition * size,
                underlineThickness * size, xHeight * size, capHeight * size};
    }
    friend bool operator==(const FontMetrics&, const FontMetrics&) = default;
};

// One installed face, as the catalogue lists it.
struct FontFace {
    std::string postScriptName;
    std::string familyName;
    std::string fullName;
    std::string styleName;
    std::uint32_t symbolicTraits = 0;
    int weight = 400;  // CSS weight, 100 to 900
    double slant = 0;  // tangent of the slant angle; 0 for upright faces
    std::string filePath;  // empty for faces that exist only in memory (tests)
    int faceIndex = 0;

    bool isBold() const { return (symbolicTraits & kFontBoldTrait) != 0; }
    bool isItalic() const { return (symbolicTraits & kFontItalicTrait) != 0; }
    friend bool operator==(const FontFace&, const FontFace&) = default;
};

} // namespace folio
