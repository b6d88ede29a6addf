#include "engine/fonts/TEFontDescriptor.h"

#include "engine/fonts/TEFontCollection.h"
#include "engine/fonts/TEFontOverrideTable.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/text/AttributeValue.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace folio {

namespace {

using Kind = TEFontOverrideTable::Kind;

constexpr const char* kDefaultFallbackFamily = "Helvetica";
constexpr double kFallbackProbeSize = 12;
// A face counts as really slanted from this slant on; below it, italic text
// is given the synthetic slant.
constexpr double kMinimumObliqueSlant = 0.01;
// The OpenType feature of small capitals (letter case, small capitals).
constexpr const char* kSmallCapsFeature = "smcp";
constexpr std::uint32_t kStylisticTraitsMask = ~kFontClassMask;

// Name parts of faces whose family name alone would find another face.
constexpr std::array<std::string_view, 13> kFaceNameMarkers{
    "-light", "-medium", "-thin", "-extra", "-semi", "-text", "-stencil",
    "-unicase", "-bold", "-black", "-extrabold", "-hairline", "-italic"};

// What a made font depends on. The catalogue is part of it because tests and
// custom fonts may use another one; every number of the descriptor is part of
// it (not only the whole points), so fonts of 12 and 12.5 points never mix.
struct CacheKey {
    const FontCatalog* catalog;
    std::uint64_t facesGeneration;
    std::optional<std::string> name;
    std::optional<std::string> family;
    double size;
    std::uint32_t traits;
    bool smallCaps;

    friend bool operator==(const CacheKey&, const CacheKey&) = default;
};

struct CacheKeyHash {
    std::size_t operator()(const CacheKey& key) const
    {
        std::size_t seed = std::hash<const FontCatalog*>{}(key.catalog);
        seed = hashCombine(seed, std::hash<std::uint64_t>{}(key.facesGeneration));
        seed = hashCombine(seed, key.name ? std::hash<std::string>{}(*key.name) : 1);
        seed = hashCombine(seed, key.family ? std::hash<std::string>{}(*key.family) : 2);
        seed = hashCombine(seed, std::hash<double>{}(key.size));
        seed = hashCombine(seed, key.traits);
        return hashCombine(seed, key.smallCaps);
    }
};

// Process-wide state: the override table, the fallback family and the font
// cache. Made on first use, when the override resource is read.
struct SharedState {
    SharedState()
    {
        std::optional<std::string> path = Resources::pathForResource("TEFontOverrides", "plist");
        if (!path)
            return;
        Result<PropertyList> list = PropertyList::readFromFile(*path);
        if (!list) {
            TELog(TELogLevelWarning, "Font overrides not read: " + list.error().message);
            return;
        }
        overrides.loadEntries(*list);
    }

    TEFontOverrideTable overrides;

    std::mutex fallbackMutex;
    std::string fallbackFamily = kDefaultFallbackFamily;

    std::mutex cacheMutex;
    // What matching answered, a font or none: a page names its missing
    // families on every element. The catalogue's generation is part of the
    // key, so a font installed since is looked for again.
    std::unordered_map<CacheKey, std::optional<Font>, CacheKeyHash> cache;
    // The override generation the cached fonts were made under.
    unsigned long cacheGeneration = 0;
};

// Never destroyed: a conversion on another thread (a save, an export) may
// still match fonts while the process exits.
SharedState& sharedState()
{
    static SharedState& state = *new SharedState;
    return state;
}

std::shared_ptr<const FontCatalog> catalogOrShared(std::shared_ptr<const FontCatalog> catalog)
{
    return catalog ? std::move(catalog) : std::shared_ptr<const FontCatalog>(FontCatalog::shared());
}

bool isOblique(const Font& font)
{
    return (font.symbolicTraits() & kFontItalicTrait) != 0 && font.slant() >= kMinimumObliqueSlant;
}

// Text inside a single-quoted CSS string. Family names come from documents,
// so quotes, backslashes and line breaks are escaped: they must not end the
// string, the declaration or the HTML attribute the CSS is written into.
std::string cssQuoted(std::string_view text)
{
    std::string quoted = "'";
    for (char c : text) {
        switch (c) {
        case '\'':
            quoted += "\\'";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '"':
            quoted += "\\22 ";
            break;
        case '<':
            quoted += "\\3C ";
            break;
        case '\n':
            quoted += "\\A ";
            break;
        case '\r':
            quoted += "\\D ";
            break;
        default:
            quoted += c;
        }
    }
    return quoted + "'";
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return lowercaseString(a) == lowercaseString(b);
}

} // namespace

TEFontDescriptor::TEFontDescriptor(const std::optional<TEFontAttributes>& attributes)
{
    setFontAttributes(attributes);
}

TEFontDescriptor TEFontDescriptor::fontDescriptorWithFontAttributes(const std::optional<TEFontAttributes>& attributes)
{
    return TEFontDescriptor(attributes);
}

TEFontDescriptor TEFontDescriptor::fontDescriptorWithCTFontDescriptor(const FontFace& face)
{
    TEFontDescriptor descriptor;
    descriptor.setSymbolicTraits(face.symbolicTraits);
    TEFontAttributes attributes;
    attributes.symbolicTraits = face.symbolicTraits;
    attributes.familyName = face.familyName;
    attributes.name = face.postScriptName;
    descriptor.setFontAttributes(attributes);
    descriptor.setFontFamily(face.familyName);
    return descriptor;
}

TEFontDescriptor TEFontDescriptor::fontDescriptorForCTFont(const Font& font)
{
    TEFontDescriptor descriptor;
    descriptor.setSymbolicTraits(font.symbolicTraits());
    TEFontAttributes attributes;
    attributes.symbolicTraits = font.symbolicTraits();
    attributes.familyName = font.familyName();
    // A stand-in's face name ("TimesNewRoman-Bold" for a family drawn by
    // another) names no font anywhere: its family and traits ask for it.
    attributes.name = font.isSubstituted() ? font.familyName() : font.postScriptName();
    attributes.size = font.pointSize();
    descriptor.setFontAttributes(attributes);

    std::string lowerName = lowercaseString(font.postScriptName());
    bool namesStyle = std::any_of(kFaceNameMarkers.begin(), kFaceNameMarkers.end(), [&](std::string_view marker) {
        return lowerName.find(marker) != std::string::npos;
    });
    const bool namedAsFace = namesStyle && !font.isSubstituted();
    descriptor.setFontFamily(namedAsFace ? font.postScriptName() : font.familyName());
    if (namedAsFace && font.familyName() != font.postScriptName())
        descriptor.m_faceFamily = font.familyName();
    descriptor.m_fallbackFamilies = font.fallbackFamilies();
    if (!font.matrix().isIdentity())
        descriptor.setItalicTrait(true);
    return descriptor;
}

void TEFontDescriptor::setOverrideFontName(std::string_view fontName, std::string_view family, bool bold, bool italic)
{
    sharedState().overrides.setFontName(Kind::Override, fontName, family, bold, italic);
}

std::optional<std::string> TEFontDescriptor::overrideFontNameforFontFamily(std::string_view family, bool bold,
                                                                           bool italic)
{
    return sharedState().overrides.fontName(Kind::Override, family, bold, italic);
}

void TEFontDescriptor::setSmallCapsFontName(std::string_view fontName, std::string_view family, bool bold, bool italic)
{
    sharedState().overrides.setFontName(Kind::SmallCaps, fontName, family, bold, italic);
}

std::optional<std::string> TEFontDescriptor::smallCapsFontNameforFontFamily(std::string_view family, bool bold,
                                                                            bool italic)
{
    return sharedState().overrides.fontName(Kind::SmallCaps, family, bold, italic);
}

int TEFontDescriptor::loadFontOverrides(const PropertyList& list)
{
    return sharedState().overrides.loadEntries(list);
}

std::map<std::string, std::string> TEFontDescriptor::createDictionaryOfAllAvailableFontOverrideNames(
    const TEFontCollection& collection)
{
    std::vector<TEFontDescriptor> descriptors = collection.fontDescriptors();
    std::stable_sort(descriptors.begin(), descriptors.end(), [](const auto& a, const auto& b) {
        auto familyA = a.fontFamily().value_or(""), familyB = b.fontFamily().value_or("");
        if (familyA != familyB)
            return familyA < familyB;
        return a.fontName().value_or("") < b.fontName().value_or("");
    });
    std::map<std::string, std::string> names;
    for (const TEFontDescriptor& descriptor : descriptors) {
        if (!descriptor.fontFamily() || !descriptor.fontName())
            continue;
        std::string key = TEFontOverrideTable::keyFor(Kind::Override, *descriptor.fontFamily(),
                                                      descriptor.boldTrait(), descriptor.italicTrait());
        auto [entry, inserted] = names.emplace(key, *descriptor.fontName());
        if (!inserted && entry->second.size() > descriptor.fontName()->size())
            entry->second = *descriptor.fontName();
    }
    return names;
}

void TEFontDescriptor::asyncPreloadFontLookupTable(std::function<void()> completion)
{
    DispatchQueue::global(DispatchQueue::Priority::Background).async([completion = std::move(completion)] {
        std::map<std::string, std::string> names =
            createDictionaryOfAllAvailableFontOverrideNames(TEFontCollection::availableFontsCollection());
        sharedState().overrides.addMissingEntries(names);
        if (completion)
            completion();
    });
}

std::string TEFontDescriptor::fallbackFontFamily()
{
    SharedState& state = sharedState();
    std::lock_guard lock(state.fallbackMutex);
    return state.fallbackFamily;
}

Status TEFontDescriptor::setFallbackFontFamily(const std::optional<std::string>& family,
                                               std::shared_ptr<const FontCatalog> catalog)
{
    if (!family)
        return Error{kExceptionDomain, 1, "Fallback Font Family cannot be nil"};
    std::optional<Font> probe = Font::fontWithName(*family, kFallbackProbeSize, catalogOrShared(std::move(catalog)));
    if (!probe || probe->familyName() != *family)
        return Error{kExceptionDomain, 2, "Fallback Font Family '" + *family + "' not registered on the system"};
    SharedState& state = sharedState();
    {
        std::lock_guard lock(state.fallbackMutex);
        state.fallbackFamily = *family;
    }
    // Fonts made through the old fallback would otherwise outlive it.
    std::lock_guard lock(state.cacheMutex);
    state.cache.clear();
    return Status::success();
}

void TEFontDescriptor::setPointSize(double size) { m_pointSize = std::round(size); }

void TEFontDescriptor::setStylisticClass(std::uint32_t stylisticClass)
{
    m_fontFamily.reset();
    m_class = stylisticClass & kFontClassMask;
}

void TEFontDescriptor::setSymbolicTraits(std::uint32_t traits)
{
    m_traits = traits & kStylisticTraitsMask;
    m_class = traits & kFontClassMask;
}

void TEFontDescriptor::setFontAttributes(const std::optional<TEFontAttributes>& attributes)
{
    if (!attributes) {
        m_traits = 0;
        m_class = 0;
        return;
    }
    if (attributes->symbolicTraits)
        setSymbolicTraits(*attributes->symbolicTraits);
    // Single precision, as font sizes are kept by the platform.
    if (attributes->size)
        m_pointSize = static_cast<double>(static_cast<float>(*attributes->size) + static_cast<float>(FONTSIZEOFFSET));
    if (attributes->familyName)
        m_fontFamily = attributes->familyName;
    if (attributes->name)
        m_fontName = attributes->name;
}

TEFontAttributes TEFontDescriptor::fontAttributes() const
{
    TEFontAttributes attributes;
    if (symbolicTraits() != 0)
        attributes.symbolicTraits = symbolicTraits();
    attributes.familyName = m_fontFamily;
    attributes.name = m_fontName;
    attributes.size = m_pointSize;
    attributes.smallCaps = m_smallCaps;
    return attributes;
}

TEFontAttributes TEFontDescriptor::fontAttributesWithOverrideFontName(std::string_view name) const
{
    TEFontAttributes attributes = fontAttributes();
    attributes.familyName.reset();
    attributes.name = std::string(name);
    return attributes;
}

std::optional<Font> TEFontDescriptor::newMatchingFont(std::shared_ptr<const FontCatalog> catalog) const
{
    catalog = catalogOrShared(std::move(catalog));
    SharedState& state = sharedState();
    CacheKey key{catalog.get(), catalog->facesGeneration(), m_fontName, m_fontFamily, m_pointSize, symbolicTraits(),
                 m_smallCaps};
    unsigned long generation = state.overrides.generation();
    {
        std::lock_guard lock(state.cacheMutex);
        if (state.cacheGeneration != generation) {
            state.cache.clear();
            state.cacheGeneration = generation;
        }
        if (auto found = state.cache.find(key); found != state.cache.end())
            return found->second;
    }
    std::optional<Font> font = makeMatchingFont(catalog);
    std::lock_guard lock(state.cacheMutex);
    if (state.cacheGeneration == generation)
        state.cache.emplace(std::move(key), font);
    return font;
}

std::optional<Font> TEFontDescriptor::makeMatchingFont(const std::shared_ptr<const FontCatalog>& catalog) const
{
    const bool bold = boldTrait();
    const bool italic = italicTrait();
    SharedState& state = sharedState();
    std::optional<Font> font;

    // A face name chosen from the tables, or else the family taken as a face
    // name; only when no face name is given.
    std::optional<std::string> faceName;
    if (m_fontFamily && !m_fontName) {
        Kind kind = m_smallCaps ? Kind::SmallCaps : Kind::Override;
        faceName = state.overrides.fontName(kind, *m_fontFamily, bold, italic);
        if (!faceName && !m_smallCaps) {
            font = Font::fontWithName(*m_fontFamily, m_pointSize, catalog);
            // The family name finds the regular face; asked-for weight and
            // style must not be lost on the way, so move to the family's face
            // with them when it has one (an italic it lacks is slanted below).
            if (font && (font->face().isBold() != bold || font->face().isItalic() != italic)) {
                std::uint32_t wanted = (bold ? kFontBoldTrait : 0) | (italic ? kFontItalicTrait : 0);
                std::optional<Font> styled = font->copyWithSymbolicTraits(wanted, kFontBoldTrait | kFontItalicTrait);
                if (!styled && italic)
                    styled = font->copyWithSymbolicTraits(wanted & ~kFontItalicTrait,
                                                          kFontBoldTrait | kFontItalicTrait);
                if (styled)
                    font = std::move(styled);
            }
        }
    }
    if (!font && faceName)
        font = Font::fontWithName(*faceName, m_pointSize, catalog);
    if (!font && m_fontName)
        font = Font::fontWithName(*m_fontName, m_pointSize, catalog);

    if (!font) {
        // Font of a face found by family, named after the requested family
        // when the system draws that family with a stand-in.
        auto fontOfFace = [&](const std::string& family, const FontFace& face) {
            if (!equalsIgnoringCase(face.familyName, family)) {
                if (auto named = Font::fontMatching(family, face.symbolicTraits, m_pointSize, catalog))
                    return *named;
            }
            return Font::fontWithFace(face, m_pointSize, catalog);
        };
        if (m_fontFamily) {
            font = Font::fontMatching(*m_fontFamily, symbolicTraits(), m_pointSize, catalog);
            if (!font) {
                if (auto face = catalog->nearestFace(*m_fontFamily, symbolicTraits()))
                    font = fontOfFace(*m_fontFamily, *face);
            }
        }
        if (!font) {
            std::string fallback = fallbackFontFamily();
            if (auto face = catalog->nearestFace(fallback, symbolicTraits()))
                font = fontOfFace(fallback, *face);
        }
        // A family this system lacks is drawn with a stand-in but keeps its
        // name, so that a document saved here does not lose it.
        if (font && m_fontFamily && !m_fontFamily->empty() && !FontCatalog::isGenericFamily(*m_fontFamily) &&
            !equalsIgnoringCase(font->familyName(), *m_fontFamily) &&
            !equalsIgnoringCase(font->postScriptName(), *m_fontFamily))
            font = Font::substituteFont(*m_fontFamily, *font);
        if (font && m_smallCaps)
            font = font->copyWithFeatures({kSmallCapsFeature});
    }
    if (!font)
        return std::nullopt;

    if (italic && !isOblique(*font))
        font = font->copyWithMatrix(kSyntheticItalicMatrix, m_pointSize);
    return font;
}

bool TEFontDescriptor::supportsNativeSmallCaps(std::shared_ptr<const FontCatalog> catalog) const
{
    if (m_fontFamily && smallCapsFontNameforFontFamily(*m_fontFamily, boldTrait(), italicTrait()))
        return true;
    std::optional<Font> font = newMatchingFont(std::move(catalog));
    return font && font->offersFeature(kSmallCapsFeature);
}

std::string TEFontDescriptor::cssStyleRepresentation() const
{
    return cssStyleRepresentationAtSize(m_pointSize);
}

std::string TEFontDescriptor::cssStyleRepresentationAtSize(double size) const
{
    std::string css;
    // A name without a family is written alone rather than beside an empty
    // family, which a reader would take for a family of that name.
    if (m_fontName && m_fontFamily)
        css += "font-family:" + cssQuoted(*m_fontName) + "," + cssQuoted(*m_fontFamily) + ";";
    else if (m_fontName)
        css += "font-family:" + cssQuoted(*m_fontName) + ";";
    else if (m_fontFamily)
        css += "font-family:" + cssQuoted(*m_fontFamily) + ";";
    if (m_faceFamily && !css.empty() && css.back() == ';')
        css.insert(css.size() - 1, "," + cssQuoted(*m_faceFamily));
    // A generic family is a keyword, which quoted would name a font.
    if (!css.empty() && css.back() == ';') {
        for (const std::string& family : m_fallbackFamilies)
            css.insert(css.size() - 1, "," + (FontCatalog::isGenericFamily(family) ? family : cssQuoted(family)));
    }
    // A size between whole pixels keeps its fraction (RTF's half points,
    // small capitals at seven tenths): rounded here, it would come back from
    // the page as another size.
    css += "font-size:" + formatShortest(std::round(size * 100) / 100) + "px;";
    if (italicTrait())
        css += "font-style:italic;";
    if (boldTrait())
        css += "font-weight:bold;";
    return css;
}

std::string TEFontDescriptor::description() const
{
    std::string text = "<TEFontDescriptor";
    if (m_fontName)
        text += " name='" + *m_fontName + "'";
    if (m_fontFamily)
        text += " family='" + *m_fontFamily + "'";
    text += " size:" + formatFixed(m_pointSize, 0);
    struct TraitWord {
        std::uint32_t bit;
        const char* word;
    };
    static constexpr std::array<TraitWord, 7> kWords{{{kFontBoldTrait, " bold"},
                                                      {kFontItalicTrait, " italic"},
                                                      {kFontMonospaceTrait, " monospace"},
                                                      {kFontCondensedTrait, " condensed"},
                                                      {kFontExpandedTrait, " expanded"},
                                                      {kFontVerticalTrait, "vertical"},
                                                      {kFontUIOptimizedTrait, " UI optimized"}}};
    std::vector<std::string> words;
    for (const TraitWord& word : kWords) {
        if (hasTrait(word.bit))
            words.push_back(word.word);
    }
    if (!words.empty()) {
        text += " attributes=";
        for (std::size_t i = 0; i < words.size(); ++i)
            text += (i ? ", " : "") + words[i];
    }
    return text + ">";
}

std::size_t TEFontDescriptor::hash() const
{
    // Only the whole points take part, so the hash stays the same across
    // the single-precision noise of sizes read from fonts.
    double whole = std::trunc(m_pointSize);
    std::size_t seed = std::fabs(whole) < 0x1p62 ? std::hash<long long>{}(static_cast<long long>(whole)) : 0;
    seed = hashCombine(seed, symbolicTraits());
    seed = hashCombine(seed, m_fontName ? std::hash<std::string>{}(*m_fontName) : 0);
    return hashCombine(seed, m_fontFamily ? std::hash<std::string>{}(*m_fontFamily) : 0);
}

bool TEFontDescriptor::isEqual(const TEFontDescriptor& other) const
{
    return this == &other
        || (m_pointSize == other.m_pointSize && m_class == other.m_class && m_traits == other.m_traits
            && m_fontName == other.m_fontName && m_fontFamily == other.m_fontFamily);
}

} // namespace folio
