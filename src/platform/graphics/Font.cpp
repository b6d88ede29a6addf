#include "platform/graphics/Font.h"

#include "platform/foundation/HashMixing.h"

#include <algorithm>
#include <functional>

namespace folio {

namespace {

// The platform's answer to a size of zero or less: its default text size.
constexpr double kDefaultPointSize = 12;

double usableSize(double size) { return size > 0 ? size : kDefaultPointSize; }

std::shared_ptr<const FontCatalog> catalogOrShared(std::shared_ptr<const FontCatalog> catalog)
{
    return catalog ? std::move(catalog) : std::shared_ptr<const FontCatalog>(FontCatalog::shared());
}

// The name a substituted face is known by once traits change it: the requested
// family without spaces plus the style, the shape PostScript names take, so
// that looking the name up again finds the same stand-in face.
std::string substitutedFaceName(const std::string& family, std::uint32_t traits)
{
    std::string name;
    std::remove_copy(family.begin(), family.end(), std::back_inserter(name), ' ');
    bool bold = traits & kFontBoldTrait;
    bool italic = traits & kFontItalicTrait;
    if (bold && italic)
        name += "-BoldItalic";
    else if (bold)
        name += "-Bold";
    else if (italic)
        name += "-Italic";
    return name;
}

} // namespace

Font::Font(std::shared_ptr<const FontCatalog> catalog, FontFace face, std::string postScriptName,
           std::string familyName, double size, bool substituted)
    : m_catalog(std::move(catalog))
    , m_face(std::move(face))
    , m_postScriptName(std::move(postScriptName))
    , m_familyName(std::move(familyName))
    , m_pointSize(usableSize(size))
    , m_symbolicTraits(m_face.symbolicTraits)
    , m_substituted(substituted)
{
}

std::optional<Font> Font::fontWithName(std::string_view name, double size, std::shared_ptr<const FontCatalog> catalog)
{
    catalog = catalogOrShared(std::move(catalog));
    std::optional<ResolvedFace> resolved = catalog->resolveName(name);
    if (!resolved)
        return std::nullopt;
    std::string postScriptName = resolved->substituted ? std::string(name) : resolved->face.postScriptName;
    return Font(catalog, resolved->face, std::move(postScriptName), resolved->familyName, size, resolved->substituted);
}

Font Font::substituteFont(std::string_view requestedName, const Font& drawnWith)
{
    std::string requested(requestedName);
    return Font(drawnWith.m_catalog, drawnWith.m_face, requested, requested, drawnWith.m_pointSize, true);
}

Font Font::fontWithFace(const FontFace& face, double size, std::shared_ptr<const FontCatalog> catalog)
{
    return Font(catalogOrShared(std::move(catalog)), face, face.postScriptName, face.familyName, size, false);
}

std::optional<Font> Font::fontMatching(std::string_view family, std::uint32_t traits, double size,
                                       std::shared_ptr<const FontCatalog> catalog)
{
    catalog = catalogOrShared(std::move(catalog));
    std::optional<FontFace> face = catalog->faceMatching(family, traits);
    if (!face)
        return std::nullopt;
    bool substituted = !catalog->hasFamily(family);
    if (!substituted)
        return fontWithFace(*face, size, catalog);
    std::string requested(family);
    return Font(catalog, *face, substitutedFaceName(requested, face->symbolicTraits), requested, size, true);
}

Result<std::vector<Font>> Font::fontsWithContentsOfFile(const std::string& path, double size,
                                                        std::shared_ptr<FontCatalog> catalog)
{
    if (!catalog)
        catalog = FontCatalog::shared();
    Result<std::vector<FontFace>> faces = catalog->addFontFile(path);
    if (!faces)
        return faces.error();
    std::vector<Font> fonts;
    for (const FontFace& face : *faces)
        fonts.push_back(fontWithFace(face, size, catalog));
    return fonts;
}

std::vector<std::string> Font::familyNames(std::shared_ptr<const FontCatalog> catalog)
{
    return catalogOrShared(std::move(catalog))->familyNames();
}

std::vector<std::string> Font::fontNamesForFamilyName(std::string_view family, std::shared_ptr<const FontCatalog> catalog)
{
    std::vector<std::string> names;
    for (const FontFace& face : catalogOrShared(std::move(catalog))->facesOfFamily(family))
        names.push_back(face.postScriptName);
    return names;
}

bool Font::offersFeature(std::string_view tag) const
{
    std::vector<std::string> tags = m_catalog->featureTags(m_face);
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

std::optional<Font> Font::copyWithSymbolicTraits(std::uint32_t value, std::uint32_t mask, double size) const
{
    std::uint32_t traits = (m_symbolicTraits & ~mask) | (value & mask);
    const std::string& family = m_substituted ? m_familyName : m_face.familyName;
    std::optional<FontFace> face = m_catalog->faceMatching(family, traits);
    if (!face)
        return std::nullopt;
    std::string name = m_substituted ? substitutedFaceName(m_familyName, face->symbolicTraits) : face->postScriptName;
    Font copy(m_catalog, *face, std::move(name), m_familyName, size > 0 ? size : m_pointSize, m_substituted);
    copy.m_matrix = m_matrix;
    copy.m_features = m_features;
    copy.m_fallbackFamilies = m_fallbackFamilies;
    return copy;
}

Font Font::copyWithSize(double size) const
{
    Font copy = *this;
    copy.m_pointSize = usableSize(size);
    return copy;
}

Font Font::copyWithMatrix(const AffineTransform& matrix, double size) const
{
    Font copy = *this;
    copy.m_matrix = matrix;
    if (size > 0)
        copy.m_pointSize = size;
    return copy;
}

Font Font::copyWithFeatures(std::vector<std::string> features) const
{
    Font copy = *this;
    copy.m_features = std::move(features);
    return copy;
}

Font Font::copyWithFallbackFamilies(std::vector<std::string> families) const
{
    Font copy = *this;
    copy.m_fallbackFamilies = std::move(families);
    return copy;
}

FontMetrics Font::metrics() const { return m_catalog->unitMetrics(m_face).scaledBy(m_pointSize); }

double Font::lineHeight() const
{
    FontMetrics scaled = metrics();
    return scaled.ascent + scaled.descent + scaled.leading;
}

std::size_t Font::hash() const
{
    std::size_t seed = std::hash<std::string>()(m_postScriptName);
    seed = hashCombine(seed, std::hash<std::string>()(m_familyName));
    seed = hashCombine(seed, std::hash<double>()(m_pointSize));
    seed = hashCombine(seed, m_symbolicTraits);
    for (double component : {m_matrix.a, m_matrix.b, m_matrix.c, m_matrix.d, m_matrix.tx, m_matrix.ty})
        seed = hashCombine(seed, std::hash<double>()(component));
    for (const std::string& feature : m_features)
        seed = hashCombine(seed, std::hash<std::string>()(feature));
    for (const std::string& family : m_fallbackFamilies)
        seed = hashCombine(seed, std::hash<std::string>()(family));
    return seed;
}

bool operator==(const Font& a, const Font& b)
{
    return a.m_postScriptName == b.m_postScriptName && a.m_familyName == b.m_familyName
        && a.m_pointSize == b.m_pointSize && a.m_symbolicTraits == b.m_symbolicTraits && a.m_matrix == b.m_matrix
        && a.m_features == b.m_features && a.m_fallbackFamilies == b.m_fallbackFamilies;
}

} // namespace folio
