#include "platform/graphics/FontconfigFontCatalog.h"

#include "platform/graphics/DrawingServices.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <harfbuzz/hb-ot.h>
#include <harfbuzz/hb.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace folio {

namespace {

// Italic faces report no angle through fontconfig; a common italic angle is
// close enough for telling slanted faces from upright ones.
constexpr double kItalicSlant = 0.21;

std::string patternString(FcPattern* pattern, const char* object)
{
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || !value)
        return {};
    return reinterpret_cast<const char*>(value);
}

int patternInteger(FcPattern* pattern, const char* object, int fallback)
{
    int value = 0;
    return FcPatternGetInteger(pattern, object, 0, &value) == FcResultMatch ? value : fallback;
}

double patternDouble(FcPattern* pattern, const char* object, double fallback)
{
    double value = 0;
    if (FcPatternGetDouble(pattern, object, 0, &value) == FcResultMatch)
        return value;
    int integer = 0;
    return FcPatternGetInteger(pattern, object, 0, &integer) == FcResultMatch ? integer : fallback;
}

FontFace faceFromPattern(FcPattern* pattern)
{
    FontFace face;
    face.familyName = patternString(pattern, FC_FAMILY);
    face.styleName = patternString(pattern, FC_STYLE);
    face.fullName = patternString(pattern, FC_FULLNAME);
    face.postScriptName = patternString(pattern, FC_POSTSCRIPT_NAME);
    face.filePath = patternString(pattern, FC_FILE);
    face.faceIndex = patternInteger(pattern, FC_INDEX, 0);
    if (face.postScriptName.empty()) {
        std::string name = face.familyName + "-" + face.styleName;
        name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
        face.postScriptName = name;
    }
    if (face.fullName.empty())
        face.fullName = face.familyName + " " + face.styleName;

    double fcWeight = patternDouble(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
    face.weight = FcWeightToOpenType(static_cast<int>(fcWeight));
    if (fcWeight >= FC_WEIGHT_BOLD)
        face.symbolicTraits |= kFontBoldTrait;
    if (patternInteger(pattern, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN) {
        face.symbolicTraits |= kFontItalicTrait;
        face.slant = kItalicSlant;
    }
    double width = patternDouble(pattern, FC_WIDTH, FC_WIDTH_NORMAL);
    if (width < FC_WIDTH_NORMAL)
        face.symbolicTraits |= kFontCondensedTrait;
    else if (width > FC_WIDTH_NORMAL)
        face.symbolicTraits |= kFontExpandedTrait;
    if (patternInteger(pattern, FC_SPACING, FC_PROPORTIONAL) == FC_MONO)
        face.symbolicTraits |= kFontMonospaceTrait;
    return face;
}

using PatternPointer = std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)>;

// A pattern naming `family` after fontconfig's rules have run on it.
PatternPointer substitutedPattern(const std::string& family)
{
    PatternPointer pattern(FcPatternCreate(), FcPatternDestroy);
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    return pattern;
}

// The family at `index` of a pattern's family list; none past its end.
std::optional<std::string> familyAt(FcPattern* pattern, int index)
{
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, FC_FAMILY, index, &value) != FcResultMatch)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(value));
}

std::string faceKey(const FontFace& face) { return face.filePath + "#" + std::to_string(face.faceIndex); }

// One FreeType library serves every catalogue; FreeType wants calls on a library
// serialised, so faces are opened and measured under this lock.
std::mutex& freeTypeMutex()
{
    static std::mutex mutex;
    return mutex;
}

FT_Library freeTypeLibrary()
{
    static FT_Library library = [] {
        FT_Library created = nullptr;
        return FT_Init_FreeType(&created) == 0 ? created : nullptr;
    }();
    return library;
}

// Height of a glyph's outline above the baseline, in font units; for fonts whose
// OS/2 table predates the x-height and cap-height fields.
double glyphTop(FT_Face face, FT_ULong character)
{
    FT_UInt glyph = FT_Get_Char_Index(face, character);
    if (glyph == 0 || FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE) != 0)
        return 0;
    return face->glyph->metrics.horiBearingY;
}

std::string canonicalPath(const std::string& path)
{
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

// Whether the default configuration file exists; without one FcInit applies
// its own fallback configuration.
bool hasDefaultConfigurationFile(FcConfig* config)
{
    FcChar8* file = FcConfigGetFilename(config, nullptr);
    if (!file)
        return false;
    FcStrFree(file);
    return true;
}

// Whether the configuration names a folder for font caches; FcInit adds its
// own folders (and says so) when it names none.
bool namesCacheFolders(FcConfig* config)
{
    FcStrList* folders = FcConfigGetCacheDirs(config);
    if (!folders)
        return false;
    bool any = FcStrListNext(folders) != nullptr;
    FcStrListDone(folders);
    return any;
}

// FcInit also parses every configuration template fontconfig ships (for
// tools that list them), which costs as much again as the configuration in
// use and decides no lookup. Loading the default configuration and its fonts
// directly gives the same faces and substitutions; when that fails, FcInit's
// own fallback configuration applies as before. (A missing file is caught
// first, so that its error is reported once, as FcInit alone reports it.)
void loadFontconfigOnce()
{
    static const bool loaded = [] {
        FcConfig* config = FcConfigCreate();
        bool usable = config && hasDefaultConfigurationFile(config) && FcConfigParseAndLoad(config, nullptr, FcTrue)
            && namesCacheFolders(config) && FcConfigBuildFonts(config) && FcConfigSetCurrent(config);
        if (config)
            FcConfigDestroy(config);  // the current configuration holds its own reference
        // Text drawing reads the current configuration whenever it asks, so
        // replacing one it may have read already changes nothing it draws:
        // both were read from the same files.
        return usable || FcInit() == FcTrue;
    }();
    (void)loaded;
}

} // namespace

FontconfigFontCatalog::FontconfigFontCatalog() { loadFontconfigOnce(); }

FontconfigFontCatalog::~FontconfigFontCatalog() = default;

std::vector<FontFace> FontconfigFontCatalog::listFaces(bool onePerName) const
{
    std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FcPatternCreate(), FcPatternDestroy);
    std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
        FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FULLNAME, FC_POSTSCRIPT_NAME, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT,
                         FC_WIDTH, FC_SPACING, FC_OUTLINE, FC_FONTFORMAT, nullptr),
        FcObjectSetDestroy);
    std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> set(
        FcFontList(nullptr, pattern.get(), objects.get()), FcFontSetDestroy);

    // The shaper reads TrueType and OpenType (CFF) files but not Type 1: where
    // a face is installed in both (the URW faces ship as .pfb, .t1 and .otf),
    // the file it reads comes first and is the one kept.
    struct ListedFace {
        bool shaperReads;
        FontFace face;
    };
    std::vector<ListedFace> listed;
    for (int i = 0; set && i < set->nfont; ++i) {
        FcBool outline = FcTrue;
        FcPatternGetBool(set->fonts[i], FC_OUTLINE, 0, &outline);
        if (!outline)
            continue;  // bitmap faces have no scalable metrics and cannot be drawn at any size
        FontFace face = faceFromPattern(set->fonts[i]);
        const std::string format = patternString(set->fonts[i], FC_FONTFORMAT);
        if (!face.familyName.empty())
            listed.push_back({format == "TrueType" || format == "CFF", std::move(face)});
    }
    std::sort(listed.begin(), listed.end(), [](const ListedFace& a, const ListedFace& b) {
        if (a.face.familyName != b.face.familyName)
            return a.face.familyName < b.face.familyName;
        if (a.face.postScriptName != b.face.postScriptName)
            return a.face.postScriptName < b.face.postScriptName;
        if (a.shaperReads != b.shaperReads)
            return a.shaperReads;
        return a.face.filePath < b.face.filePath;
    });
    std::vector<FontFace> faces;
    faces.reserve(listed.size());
    for (ListedFace& entry : listed)
        faces.push_back(std::move(entry.face));
    // The same face installed twice (two formats, two folders) is listed once.
    if (onePerName)
        faces.erase(std::unique(faces.begin(), faces.end(),
                            [](const FontFace& a, const FontFace& b) { return a.postScriptName == b.postScriptName; }),
                faces.end());
    return faces;
}

std::vector<FontFace> FontconfigFontCatalog::faces() const
{
    return *sharedFaces();
}

FontCatalog::FaceList FontconfigFontCatalog::sharedFaces() const
{
    std::lock_guard lock(m_mutex);
    if (!m_faces)
        m_faces = std::make_shared<const std::vector<FontFace>>(listFaces(true));
    return m_faces;
}

FontMetrics FontconfigFontCatalog::unitMetrics(const FontFace& fontFace) const
{
    std::lock_guard lock(m_mutex);
    std::string key = faceKey(fontFace);
    if (auto cached = m_metrics.find(key); cached != m_metrics.end())
        return cached->second;

    FontMetrics metrics;
    std::lock_guard freeTypeLock(freeTypeMutex());
    FT_Face face = nullptr;
    FT_Library library = freeTypeLibrary();
    if (library && !fontFace.filePath.empty()
        && FT_New_Face(library, fontFace.filePath.c_str(), fontFace.faceIndex, &face) == 0) {
        double unitsPerEm = face->units_per_EM;
        if (unitsPerEm > 0) {
            metrics.ascent = face->ascender / unitsPerEm;
            metrics.descent = -face->descender / unitsPerEm;
            metrics.leading = std::max(0.0, (face->height - (face->ascender - face->descender)) / unitsPerEm);
            metrics.underlinePosition = face->underline_position / unitsPerEm;
            metrics.underlineThickness = face->underline_thickness / unitsPerEm;
            auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
            if (os2 && os2->version >= 2 && os2->sxHeight > 0 && os2->sCapHeight > 0) {
                metrics.xHeight = os2->sxHeight / unitsPerEm;
                metrics.capHeight = os2->sCapHeight / unitsPerEm;
            } else {
                metrics.xHeight = glyphTop(face, 'x') / unitsPerEm;
                metrics.capHeight = glyphTop(face, 'H') / unitsPerEm;
            }
        }
        FT_Done_Face(face);
    }
    m_metrics[key] = metrics;
    return metrics;
}

std::vector<std::string> FontconfigFontCatalog::featureTags(const FontFace& fontFace) const
{
    std::lock_guard lock(m_mutex);
    std::string key = faceKey(fontFace);
    if (auto cached = m_features.find(key); cached != m_features.end())
        return cached->second;

    std::vector<std::string> tags;
    if (!fontFace.filePath.empty()) {
        hb_blob_t* blob = hb_blob_create_from_file(fontFace.filePath.c_str());
        hb_face_t* face = hb_face_create(blob, fontFace.faceIndex);
        for (hb_tag_t table : {HB_OT_TAG_GSUB, HB_OT_TAG_GPOS}) {
            unsigned count = hb_ot_layout_table_get_feature_tags(face, table, 0, nullptr, nullptr);
            std::vector<hb_tag_t> found(count);
            hb_ot_layout_table_get_feature_tags(face, table, 0, &count, found.data());
            for (unsigned i = 0; i < count; ++i) {
                char text[5] = {};
                hb_tag_to_string(found[i], text);
                if (std::find(tags.begin(), tags.end(), text) == tags.end())
                    tags.emplace_back(text);
            }
        }
        hb_face_destroy(face);
        hb_blob_destroy(blob);
    }
    m_features[key] = tags;
    return tags;
}

Result<std::vector<FontFace>> FontconfigFontCatalog::addFontFile(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return Error{"FontCatalog", 2, "No font file at " + path};
    std::string canonical = canonicalPath(path);
    if (!FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(canonical.c_str())))
        return Error{"FontCatalog", 3, "Not a font file fontconfig can read: " + path};

    std::vector<FontFace> added;
    {
        std::lock_guard lock(m_mutex);
        m_faces = std::make_shared<const std::vector<FontFace>>(listFaces(true));
        m_substitutes.clear();
        // The new faces may hold characters no face had before.
        m_covering.clear();
        noteFacesChanged();
        // The file may hold a face that was already installed elsewhere, which
        // the listing shows once; look at every copy.
        for (const FontFace& face : listFaces(false)) {
            if (canonicalPath(face.filePath) == canonical)
                added.push_back(face);
        }
    }
    if (added.empty())
        return Error{"FontCatalog", 3, "Not a font file fontconfig can read: " + path};
    DrawingServices::shared().fontConfigurationChanged();
    return added;
}

std::optional<std::string> FontconfigFontCatalog::substituteFamily(std::string_view requested) const
{
    std::string family(requested);
    {
        std::lock_guard lock(m_mutex);
        if (auto cached = m_substitutes.find(family); cached != m_substitutes.end())
            return cached->second;
    }
    std::optional<std::string> standIn = findSubstitute(family);
    std::lock_guard lock(m_mutex);
    m_substitutes[family] = standIn;
    return standIn;
}

std::optional<std::string> FontconfigFontCatalog::findSubstitute(const std::string& family) const
{
    if (hasFamily(family))
        return std::nullopt;

    // Aliases come first in the substituted family list; the preferred families
    // of the generic names follow, and from there on everything is fallback.
    std::vector<std::string> heads;
    {
        std::lock_guard lock(m_mutex);
        if (!m_genericHeads) {
            m_genericHeads.emplace();
            for (const char* generic : {"sans-serif", "serif", "monospace", "cursive", "fantasy"}) {
                if (auto head = familyAt(substitutedPattern(generic).get(), 0))
                    m_genericHeads->push_back(std::move(*head));
            }
        }
        heads = *m_genericHeads;
    }
    // Substitution lists run to a hundred families; the walk reads only as
    // far as it needs, the aliases at the front.
    PatternPointer substituted = substitutedPattern(family);
    for (int i = 1;; ++i) {
        std::optional<std::string> next = familyAt(substituted.get(), i);
        if (!next)
            break;
        const std::string& candidate = *next;
        if (FontCatalog::isGenericFamily(candidate) || std::find(heads.begin(), heads.end(), candidate) != heads.end())
            break;
        if (candidate != family && hasFamily(candidate))
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::string> FontconfigFontCatalog::boundSubstituteFamily(std::string_view requested) const
{
    const std::string family(requested);
    if (hasFamily(family))
        return std::nullopt;
    PatternPointer substituted = substitutedPattern(family);
    for (int i = 1;; ++i) {
        FcValue value;
        FcValueBinding binding = FcValueBindingWeak;
        if (FcPatternGetWithBinding(substituted.get(), FC_FAMILY, i, &value, &binding) != FcResultMatch)
            return std::nullopt;
        if (value.type != FcTypeString || binding == FcValueBindingWeak)
            continue;
        const std::string candidate(reinterpret_cast<const char*>(value.u.s));
        if (FontCatalog::isGenericFamily(candidate))
            return std::nullopt;
        if (candidate != family && hasFamily(candidate))
            return candidate;
    }
}

std::optional<FontFace> FontconfigFontCatalog::faceCoveringCharacter(char32_t character,
                                                                     const FontFace& preferred) const
{
    std::pair<std::string, char32_t> key{faceKey(preferred) + "|" + preferred.postScriptName, character};
    {
        std::lock_guard lock(m_mutex);
        if (auto cached = m_covering.find(key); cached != m_covering.end())
            return cached->second;
    }
    std::optional<FontFace> found = findFaceCovering(character, preferred);
    std::lock_guard lock(m_mutex);
    m_covering[key] = found;
    return found;
}

std::optional<FontFace> FontconfigFontCatalog::findFaceCovering(char32_t character, const FontFace& preferred) const
{
    PatternPointer pattern(FcPatternCreate(), FcPatternDestroy);
    if (!preferred.familyName.empty())
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(preferred.familyName.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(preferred.weight));
    FcPatternAddInteger(pattern.get(), FC_SLANT, preferred.isItalic() ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_OUTLINE, FcTrue);
    std::unique_ptr<FcCharSet, decltype(&FcCharSetDestroy)> wanted(FcCharSetCreate(), FcCharSetDestroy);
    FcCharSetAddChar(wanted.get(), character);
    FcPatternAddCharSet(pattern.get(), FC_CHARSET, wanted.get());
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> sorted(
        FcFontSort(nullptr, pattern.get(), FcFalse, nullptr, &result), FcFontSetDestroy);
    if (!sorted)
        return std::nullopt;
    FaceList listed = sharedFaces();
    for (int i = 0; i < sorted->nfont; ++i) {
        FcPattern* candidate = sorted->fonts[i];
        FcCharSet* charset = nullptr;
        FcBool outline = FcTrue;
        FcPatternGetBool(candidate, FC_OUTLINE, 0, &outline);
        if (!outline || FcPatternGetCharSet(candidate, FC_CHARSET, 0, &charset) != FcResultMatch
            || !FcCharSetHasChar(charset, character))
            continue;
        FontFace face = faceFromPattern(candidate);
        // The listed face, so that it is the same face everywhere: the same
        // file, or the one listed under its name.
        auto sameFile = std::find_if(listed->begin(), listed->end(), [&](const FontFace& entry) {
            return entry.filePath == face.filePath && entry.faceIndex == face.faceIndex;
        });
        if (sameFile != listed->end())
            return *sameFile;
        auto sameName = std::find_if(listed->begin(), listed->end(),
                                     [&](const FontFace& entry) { return entry.postScriptName == face.postScriptName; });
        if (sameName != listed->end())
            return *sameName;
    }
    return std::nullopt;
}

} // namespace folio
