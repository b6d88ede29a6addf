#include "platform/graphics/FakeFontCatalog.h"

#include <algorithm>

namespace folio {

namespace {

struct FaceRow {
    const char* postScriptName;
    const char* style;
    std::uint32_t traits;
    int weight;
    double slant;
};

struct FamilyRow {
    const char* family;
    FontMetrics metrics;
    std::vector<const char*> features;
    std::uint32_t familyTraits;
    std::vector<FaceRow> faces;
};

constexpr std::uint32_t B = kFontBoldTrait;
constexpr std::uint32_t I = kFontItalicTrait;

const std::vector<FamilyRow>& familyRows()
{
    static const std::vector<FamilyRow> rows{
        {"Helvetica", {0.770, 0.230, 0.0, -0.100, 0.050, 0.523, 0.717}, {"liga"}, 0,
         {{"Helvetica", "Regular", 0, 400, 0},
          {"Helvetica-Bold", "Bold", B, 700, 0},
          {"Helvetica-Oblique", "Oblique", I, 400, 0.21},
          {"Helvetica-BoldOblique", "Bold Oblique", B | I, 700, 0.21}}},
        {"Cochin", {0.710, 0.290, 0.0, -0.075, 0.045, 0.405, 0.653}, {"liga", "smcp"}, 0,
         {{"Cochin", "Regular", 0, 400, 0},
          {"Cochin-Bold", "Bold", B, 700, 0},
          {"Cochin-Italic", "Italic", I, 400, 0.25},
          {"Cochin-BoldItalic", "Bold Italic", B | I, 700, 0.25}}},
        {"Georgia", {0.917, 0.219, 0.0, -0.088, 0.059, 0.481, 0.692}, {"liga", "onum"}, 0,
         {{"Georgia", "Regular", 0, 400, 0},
          {"Georgia-Bold", "Bold", B, 700, 0},
          {"Georgia-Italic", "Italic", I, 400, 0.22},
          {"Georgia-BoldItalic", "Bold Italic", B | I, 700, 0.22}}},
        {"Avenir", {1.000, 0.366, 0.0, -0.075, 0.050, 0.468, 0.708}, {"liga"}, 0,
         {{"Avenir-Light", "Light", 0, 300, 0},
          {"Avenir-Book", "Book", 0, 400, 0},
          {"Avenir-Medium", "Medium", 0, 500, 0},
          {"Avenir-Heavy", "Heavy", B, 800, 0},
          {"Avenir-Black", "Black", B, 900, 0},
          {"Avenir-BookOblique", "Book Oblique", I, 400, 0.18},
          {"Avenir-HeavyOblique", "Heavy Oblique", B | I, 800, 0.18}}},
        {"Times New Roman", {0.891, 0.216, 0.042, -0.109, 0.049, 0.448, 0.662}, {"liga", "smcp"}, 0,
         {{"TimesNewRomanPSMT", "Regular", 0, 400, 0},
          {"TimesNewRomanPS-BoldMT", "Bold", B, 700, 0},
          {"TimesNewRomanPS-ItalicMT", "Italic", I, 400, 0.27},
          {"TimesNewRomanPS-BoldItalicMT", "Bold Italic", B | I, 700, 0.27}}},
        {"Courier", {0.754, 0.246, 0.0, -0.100, 0.050, 0.426, 0.571}, {}, kFontMonospaceTrait,
         {{"Courier", "Regular", 0, 400, 0},
          {"Courier-Bold", "Bold", B, 700, 0},
          {"Courier-Oblique", "Oblique", I, 400, 0.2},
          {"Courier-BoldOblique", "Bold Oblique", B | I, 700, 0.2}}},
        {"Cousine", {0.833, 0.300, 0.0, -0.106, 0.041, 0.530, 0.659}, {}, kFontMonospaceTrait,
         {{"Cousine", "Regular", 0, 400, 0},
          {"Cousine-Bold", "Bold", B, 700, 0},
          {"Cousine-Italic", "Italic", I, 400, 0.21},
          {"Cousine-BoldItalic", "Bold Italic", B | I, 700, 0.21}}},
        {"Chalkboard SE", {0.980, 0.320, 0.0, -0.080, 0.050, 0.500, 0.700}, {}, 0,
         {{"ChalkboardSE-Light", "Light", 0, 300, 0},
          {"ChalkboardSE-Regular", "Regular", 0, 400, 0},
          {"ChalkboardSE-Bold", "Bold", B, 700, 0}}},
    };
    return rows;
}

} // namespace

FakeFontCatalog::FakeFontCatalog()
{
    for (const FamilyRow& family : familyRows()) {
        std::vector<std::string> features(family.features.begin(), family.features.end());
        for (const FaceRow& row : family.faces) {
            FontFace face;
            face.postScriptName = row.postScriptName;
            face.familyName = family.family;
            face.styleName = row.style;
            face.fullName = std::string(row.style) == "Regular" ? std::string(family.family)
                                                                  : std::string(family.family) + " " + row.style;
            face.symbolicTraits = row.traits | family.familyTraits;
            face.weight = row.weight;
            face.slant = row.slant;
            addFace(std::move(face), family.metrics, features);
        }
    }
}

std::vector<FontFace> FakeFontCatalog::faces() const
{
    std::vector<FontFace> result;
    result.reserve(m_entries.size());
    for (const Entry& entry : m_entries)
        result.push_back(entry.face);
    return result;
}

FontMetrics FakeFontCatalog::unitMetrics(const FontFace& face) const
{
    for (const Entry& entry : m_entries) {
        if (entry.face.postScriptName == face.postScriptName)
            return entry.metrics;
    }
    return {};
}

std::vector<std::string> FakeFontCatalog::featureTags(const FontFace& face) const
{
    for (const Entry& entry : m_entries) {
        if (entry.face.postScriptName == face.postScriptName)
            return entry.features;
    }
    return {};
}

Result<std::vector<FontFace>> FakeFontCatalog::addFontFile(const std::string& path)
{
    return Error{"FontCatalog", 1, "The test font catalogue cannot read font files: " + path};
}

std::optional<std::string> FakeFontCatalog::substituteFamily(std::string_view family) const
{
    auto found = m_substitutions.find(std::string(family));
    if (found == m_substitutions.end())
        return std::nullopt;
    return found->second;
}

void FakeFontCatalog::addFace(FontFace face, FontMetrics metrics, std::vector<std::string> features)
{
    Entry entry{std::move(face), metrics, std::move(features)};
    auto position = std::upper_bound(m_entries.begin(), m_entries.end(), entry, [](const Entry& a, const Entry& b) {
        if (a.face.familyName != b.face.familyName)
            return a.face.familyName < b.face.familyName;
        return a.face.postScriptName < b.face.postScriptName;
    });
    m_entries.insert(position, std::move(entry));
    noteFacesChanged();
}

void FakeFontCatalog::addSubstitution(std::string family, std::string standIn)
{
    m_substitutions[std::move(family)] = std::move(standIn);
    noteFacesChanged();
}

} // namespace folio
