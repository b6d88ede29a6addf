#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/FontCatalog.h"
#include "platform/graphics/FontFace.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// A logical font: the name, family, size, traits, matrix and features that the
// text asked for, plus the installed face it is drawn with. The requested names
// survive substitution, so writing a document back never renames its fonts.
class Font {
public:
    // Passing no catalogue uses FontCatalog::shared().
    static std::optional<Font> fontWithName(std::string_view name, double size,
                                            std::shared_ptr<const FontCatalog> catalog = nullptr);
    static Font fontWithFace(const FontFace& face, double size, std::shared_ptr<const FontCatalog> catalog = nullptr);
    // The face of `family` with exactly the bold/italic/width traits asked; none
    // unless the family really exists (installed or substituted) and has that face.
    static std::optional<Font> fontMatching(std::string_view family, std::uint32_t traits, double size,
                                            std::shared_ptr<const FontCatalog> catalog = nullptr);
    // A font this system does not have, drawn with `drawnWith`'s face but
    // keeping the requested name, so that text asking for it keeps asking.
    static Font substituteFont(std::string_view requestedName, const Font& drawnWith);
    // Registers a custom font file and answers its faces at `size`.
    static Result<std::vector<Font>> fontsWithContentsOfFile(const std::string& path, double size,
                                                             std::shared_ptr<FontCatalog> catalog = nullptr);
    static std::vector<std::string> familyNames(std::shared_ptr<const FontCatalog> catalog = nullptr);
    static std::vector<std::string> fontNamesForFamilyName(std::string_view family,
                                                           std::shared_ptr<const FontCatalog> catalog = nullptr);

    const std::string& postScriptName() const { return m_postScriptName; }
    const std::string& familyName() const { return m_familyName; }
    double pointSize() const { return m_pointSize; }
    std::uint32_t symbolicTraits() const { return m_symbolicTraits; }
    const AffineTransform& matrix() const { return m_matrix; }
    const std::vector<std::string>& features() const { return m_features; }
    // The installed face that draws this font.
    const FontFace& face() const { return m_face; }
    bool isSubstituted() const { return m_substituted; }
    double slant() const { return m_face.slant; }
    bool offersFeature(std::string_view tag) const;

    // New traits are (old & ~mask) | (value & mask), found among the faces of the
    // same family; none when the family has no such face. A size of 0 keeps ours.
    std::optional<Font> copyWithSymbolicTraits(std::uint32_t value, std::uint32_t mask, double size = 0) const;
    Font copyWithSize(double size) const;
    Font copyWithMatrix(const AffineTransform& matrix, double size = 0) const;
    Font copyWithFeatures(std::vector<std::string> features) const;
    // The families to draw with, in order, where this one is missing, such
    // as the kind of face a document's font table says it is ("serif",
    // "monospace"). The text still asks for this font.
    const std::vector<std::string>& fallbackFamilies() const { return m_fallbackFamilies; }
    Font copyWithFallbackFamilies(std::vector<std::string> families) const;

    FontMetrics metrics() const;
    double ascender() const { return metrics().ascent; }
    double descender() const { return metrics().descent; }
    double leading() const { return metrics().leading; }
    double lineHeight() const;
    double underlinePosition() const { return metrics().underlinePosition; }
    double underlineThickness() const { return metrics().underlineThickness; }
    double xHeight() const { return metrics().xHeight; }
    double capHeight() const { return metrics().capHeight; }

    std::size_t hash() const;
    // Fonts are equal when they ask for the same thing; the face is derived.
    friend bool operator==(const Font& a, const Font& b);

private:
    Font(std::shared_ptr<const FontCatalog> catalog, FontFace face, std::string postScriptName,
         std::string familyName, double size, bool substituted);

    std::shared_ptr<const FontCatalog> m_catalog;
    FontFace m_face;
    std::string m_postScriptName;
    std::string m_familyName;
    double m_pointSize = 0;
    std::uint32_t m_symbolicTraits = 0;
    AffineTransform m_matrix;
    std::vector<std::string> m_features;
    std::vector<std::string> m_fallbackFamilies;
    bool m_substituted = false;
};

} // namespace folio
