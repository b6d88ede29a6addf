#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Font.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

class PropertyList;
class TEFontCollection;

// The attributes a font descriptor is read from and written as: what a
// platform font description says about a font. Every entry may be absent.
struct TEFontAttributes {
    std::optional<std::uint32_t> symbolicTraits;
    std::optional<std::string> familyName;
    std::optional<std::string> name;
    std::optional<double> size;
    // The letter-case feature set to small capitals.
    bool smallCaps = false;

    friend bool operator==(const TEFontAttributes&, const TEFontAttributes&) = default;
};

// A font as CSS sees it: family, face name, size, traits and small caps. HTML
// elements carry one while their style is worked out and turn it into a
// platform font for the text; the HTML writer makes one back from each run's
// font to write its CSS.
//
// Sizes read from font attributes (that is, from an existing font) gain
// FONTSIZEOFFSET: the HTML reader sets CSS sizes 6 points smaller, so fonts in
// attributed text are 6 points below their CSS size and a descriptor made back
// from one carries the CSS size again.
class TEFontDescriptor {
public:
    static constexpr std::int32_t FONTSIZEOFFSET = 6;
    static constexpr const char* kExceptionDomain = "TEFontDescriptorException";
    // The slant given to a font whose family has no italic face.
    static constexpr AffineTransform kSyntheticItalicMatrix{1, 0, 0.25, 1, 0, 0};

    // No family, no name, size 0, no traits.
    TEFontDescriptor() = default;
    // initWithFontAttributes: none clears the traits.
    explicit TEFontDescriptor(const std::optional<TEFontAttributes>& attributes);
    static TEFontDescriptor fontDescriptorWithFontAttributes(const std::optional<TEFontAttributes>& attributes);
    // From a face as the catalogue lists it: traits, name and family; no size.
    static TEFontDescriptor fontDescriptorWithCTFontDescriptor(const FontFace& face);
    // From a font of the text, whose size gains FONTSIZEOFFSET. Faces whose
    // name marks a weight or style ("Avenir-Black") keep that PostScript name
    // as their family, so matching finds the same face again; a slanting
    // matrix counts as italic.
    static TEFontDescriptor fontDescriptorForCTFont(const Font& font);

    // --- Process-wide tables ------------------------------------------------
    static void setOverrideFontName(std::string_view fontName, std::string_view family, bool bold, bool italic);
    static std::optional<std::string> overrideFontNameforFontFamily(std::string_view family, bool bold, bool italic);
    static void setSmallCapsFontName(std::string_view fontName, std::string_view family, bool bold, bool italic);
    static std::optional<std::string> smallCapsFontNameforFontFamily(std::string_view family, bool bold, bool italic);
    // Takes the entries of a list laid out as the "TEFontOverrides" resource;
    // answers how many were taken. The resource itself is read on first use.
    static int loadFontOverrides(const PropertyList& list);

    // For every family and bold/italic combination of the collection's faces,
    // the shortest face name (the first in family and name order among equals),
    // under the override key.
    static std::map<std::string, std::string> createDictionaryOfAllAvailableFontOverrideNames(
        const TEFontCollection& collection);
    // Works that out for the installed fonts on a background queue and adds
    // the entries the override table does not hold yet; then calls completion
    // (on that queue) when one is given.
    static void asyncPreloadFontLookupTable(std::function<void()> completion = {});

    // The family used when neither the family nor a near face can be found.
    static std::string fallbackFontFamily();
    // Refuses none, and a family of which no 12-point font can be made or whose
    // font reports another family; the previous fallback then stays.
    static Status setFallbackFontFamily(const std::optional<std::string>& family,
                                        std::shared_ptr<const FontCatalog> catalog = nullptr);

    // --- Fields -------------------------------------------------------------
    const std::optional<std::string>& fontFamily() const { return m_fontFamily; }
    void setFontFamily(std::optional<std::string> family) { m_fontFamily = std::move(family); }
    // A PostScript face name; when set it wins over the family.
    const std::optional<std::string>& fontName() const { return m_fontName; }
    void setFontName(std::optional<std::string> name) { m_fontName = std::move(name); }
    // The family of a face named as the family by its PostScript name
    // ("LiberationSerif-Bold"), which the page's font matching, by family
    // names alone, does not know: the style names it after the face, so that
    // the face's own family, in the face's weight and style, draws the text.
    const std::optional<std::string>& faceFamily() const { return m_faceFamily; }
    // What the page draws with when the font is missing, after its own
    // names: the font's fallback families, generic ones as CSS keywords.
    const std::vector<std::string>& fallbackFamilies() const { return m_fallbackFamilies; }
    double pointSize() const { return m_pointSize; }
    // Rounds to the nearest whole number.
    void setPointSize(double size);

    // The low 28 bits of the symbolic traits.
    std::uint32_t stylisticTraits() const { return m_traits; }
    // The font class, kept in the high four bits.
    std::uint32_t stylisticClass() const { return m_class; }
    // Clears the family, which the class now describes instead.
    void setStylisticClass(std::uint32_t stylisticClass);
    std::uint32_t symbolicTraits() const { return m_traits | m_class; }
    void setSymbolicTraits(std::uint32_t traits);

    bool italicTrait() const { return hasTrait(kFontItalicTrait); }
    void setItalicTrait(bool on) { setTrait(kFontItalicTrait, on); }
    bool boldTrait() const { return hasTrait(kFontBoldTrait); }
    void setBoldTrait(bool on) { setTrait(kFontBoldTrait, on); }
    bool expandedTrait() const { return hasTrait(kFontExpandedTrait); }
    void setExpandedTrait(bool on) { setTrait(kFontExpandedTrait, on); }
    bool condensedTrait() const { return hasTrait(kFontCondensedTrait); }
    void setCondensedTrait(bool on) { setTrait(kFontCondensedTrait, on); }
    bool monospaceTrait() const { return hasTrait(kFontMonospaceTrait); }
    void setMonospaceTrait(bool on) { setTrait(kFontMonospaceTrait, on); }
    bool verticalTrait() const { return hasTrait(kFontVerticalTrait); }
    void setVerticalTrait(bool on) { setTrait(kFontVerticalTrait, on); }
    bool UIoptimizedTrait() const { return hasTrait(kFontUIOptimizedTrait); }
    void setUIoptimizedTrait(bool on) { setTrait(kFontUIOptimizedTrait, on); }

    bool smallCapsFeature() const { return m_smallCaps; }
    void setSmallCapsFeature(bool on) { m_smallCaps = on; }

    // --- Attributes ---------------------------------------------------------
    void setFontAttributes(const std::optional<TEFontAttributes>& attributes);
    TEFontAttributes fontAttributes() const;
    TEFontAttributes fontAttributesWithOverrideFontName(std::string_view name) const;

    // --- Fonts --------------------------------------------------------------
    // The font for this descriptor (cached per catalogue and descriptor); none
    // when neither the descriptor's font nor the fallback family can be made.
    std::optional<Font> newMatchingFont(std::shared_ptr<const FontCatalog> catalog = nullptr) const;
    bool supportsNativeSmallCaps(std::shared_ptr<const FontCatalog> catalog = nullptr) const;

    // "font-family:...;font-size:...px;" and the style and weight when set.
    std::string cssStyleRepresentation() const;
    // The same at a size of its own, which keeps its fraction: a print sets
    // 11 pt text at 14.67px, where the descriptor's own size is whole.
    std::string cssStyleRepresentationAtSize(double size) const;
    std::string description() const;

    std::size_t hash() const;
    // Same size, class, traits, name and family; small caps is not compared.
    bool isEqual(const TEFontDescriptor& other) const;
    friend bool operator==(const TEFontDescriptor& a, const TEFontDescriptor& b) { return a.isEqual(b); }

private:
    bool hasTrait(std::uint32_t bit) const { return (m_traits & bit) != 0; }
    void setTrait(std::uint32_t bit, bool on) { m_traits = on ? (m_traits | bit) : (m_traits & ~bit); }
    std::optional<Font> makeMatchingFont(const std::shared_ptr<const FontCatalog>& catalog) const;

    std::optional<std::string> m_fontFamily;
    std::optional<std::string> m_fontName;
    // The family of a face whose PostScript name stands as the family.
    std::optional<std::string> m_faceFamily;
    std::vector<std::string> m_fallbackFamilies;
    double m_pointSize = 0;
    std::uint32_t m_traits = 0;
    std::uint32_t m_class = 0;
    bool m_smallCaps = false;
};

} // namespace folio
