#include "platform/graphics/Font.h"
#include "platform/graphics/FontconfigFontCatalog.h"
#include "platform/graphics/ShapingFace.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace folio {
namespace {

// These run against the fonts installed on the machine; the build installs
// fonts-liberation2 and fonts-croscore, so Liberation Sans and Arimo exist.
class FontconfigFontCatalogTests : public ::testing::Test {
protected:
    std::shared_ptr<FontconfigFontCatalog> catalog = std::make_shared<FontconfigFontCatalog>();
};

// A Tinos file the system installed. Copies that earlier tests registered
// stay listed, under the same names, after their files are removed.
std::filesystem::path installedTinosFile()
{
    FcFontSet* system = FcConfigGetFonts(FcConfigGetCurrent(), FcSetSystem);
    for (int i = 0; system && i < system->nfont; ++i) {
        FcChar8* family = nullptr;
        FcChar8* file = nullptr;
        if (FcPatternGetString(system->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch
            && FcPatternGetString(system->fonts[i], FC_FILE, 0, &file) == FcResultMatch
            && std::string(reinterpret_cast<const char*>(family)) == "Tinos")
            return reinterpret_cast<const char*>(file);
    }
    return {};
}

TEST_F(FontconfigFontCatalogTests, loadsAnInstalledFaceWithPlausibleMetrics)
{
    auto font = Font::fontWithName("LiberationSans-Bold", 20, catalog);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->familyName(), "Liberation Sans");
    EXPECT_FALSE(font->isSubstituted());
    EXPECT_TRUE(font->symbolicTraits() & kFontBoldTrait);
    EXPECT_FALSE(font->symbolicTraits() & kFontItalicTrait);
    EXPECT_TRUE(std::filesystem::exists(font->face().filePath));

    // Liberation Sans shares Arial's vertical metrics: ascent 0.905 em, descent 0.212 em.
    EXPECT_NEAR(font->ascender(), 18.1, 0.1);
    EXPECT_NEAR(font->descender(), 4.24, 0.1);
    EXPECT_GT(font->capHeight(), font->xHeight());
    EXPECT_GT(font->xHeight(), 0.4 * 20);
    EXPECT_LT(font->capHeight(), font->ascender());
    EXPECT_LT(font->underlinePosition(), 0);
    EXPECT_GT(font->underlineThickness(), 0);
    EXPECT_TRUE(font->offersFeature("kern"));
}

// The default face (Helvetica, which the URW fonts stand in for) and every
// other listed face must have outlines the shaper and drawing read; a face
// whose file they cannot read draws each letter as a filled box.
TEST_F(FontconfigFontCatalogTests, everyListedFaceIsOneTheShaperCanDraw)
{
    std::vector<std::string> unreadable;
    bool urwListed = false;
    for (const FontFace& face : catalog->faces()) {
        urwListed = urwListed || face.postScriptName == "NimbusSans-Regular";
        if (!ShapingFace::forFace(face)->hasOutlines())
            unreadable.push_back(face.postScriptName + " (" + face.filePath + ")");
    }
    EXPECT_TRUE(urwListed) << "fonts-urw-base35 is installed by scripts/install-deps.sh";
    EXPECT_TRUE(unreadable.empty()) << unreadable.size() << " faces, the first " << unreadable.front();
}

TEST_F(FontconfigFontCatalogTests, findsFacesOfAFamilyByTraits)
{
    auto italic = Font::fontMatching("Arimo", kFontItalicTrait, 12, catalog);
    ASSERT_TRUE(italic);
    EXPECT_EQ(italic->postScriptName(), "Arimo-Italic");
    auto boldItalic = italic->copyWithSymbolicTraits(kFontBoldTrait, kFontBoldTrait);
    ASSERT_TRUE(boldItalic);
    EXPECT_EQ(boldItalic->postScriptName(), "Arimo-BoldItalic");
    auto mono = Font::fontWithName("Cousine", 12, catalog);
    ASSERT_TRUE(mono);
    EXPECT_TRUE(mono->symbolicTraits() & kFontMonospaceTrait);
}

TEST_F(FontconfigFontCatalogTests, substitutesAliasedFamiliesButNotUnknownOnes)
{
    // Helvetica is not installed; fontconfig draws it with a metric-compatible family.
    auto helvetica = Font::fontWithName("Helvetica-Bold", 12, catalog);
    ASSERT_TRUE(helvetica);
    EXPECT_TRUE(helvetica->isSubstituted());
    EXPECT_EQ(helvetica->postScriptName(), "Helvetica-Bold");
    EXPECT_EQ(helvetica->familyName(), "Helvetica");
    EXPECT_TRUE(helvetica->face().isBold());

    EXPECT_FALSE(Font::fontWithName("NoSuchFamilyAnywhere-Bold", 12, catalog));
    EXPECT_FALSE(Font::fontMatching("No Such Family Anywhere", 0, 12, catalog));
}

TEST_F(FontconfigFontCatalogTests, registersCustomFontFiles)
{
    std::filesystem::path installed = installedTinosFile();
    ASSERT_FALSE(installed.empty());
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "folio-font-test";
    std::filesystem::create_directories(folder);
    std::filesystem::path copy = folder / "CustomTinos.ttf";
    std::filesystem::copy_file(installed, copy, std::filesystem::copy_options::overwrite_existing);

    auto fonts = Font::fontsWithContentsOfFile(copy.string(), 15, catalog);
    ASSERT_TRUE(fonts) << fonts.error().message;
    ASSERT_EQ(fonts->size(), 1u);
    EXPECT_EQ(fonts->front().familyName(), "Tinos");
    EXPECT_EQ(fonts->front().pointSize(), 15);

    std::filesystem::path junk = folder / "junk.ttf";
    std::ofstream(junk) << "not a font";
    auto refused = Font::fontsWithContentsOfFile(junk.string(), 12, catalog);
    EXPECT_FALSE(refused);
    EXPECT_FALSE(Font::fontsWithContentsOfFile((folder / "missing.otf").string(), 12, catalog));
    std::filesystem::remove_all(folder);
}

// Look-ups share one list of faces; a list handed out stays as it was when
// fonts are added, and the lists answer what faces() answers.
TEST_F(FontconfigFontCatalogTests, sharedFaceListsStayAsHandedOutWhenFontsAreAdded)
{
    const FontCatalog::FaceList before = catalog->sharedFaces();
    ASSERT_TRUE(before);
    ASSERT_FALSE(before->empty());
    const std::vector<FontFace> copied = *before;
    EXPECT_EQ(catalog->faces().size(), copied.size());
    const std::uint64_t generation = catalog->facesGeneration();

    std::filesystem::path installed = installedTinosFile();
    ASSERT_FALSE(installed.empty());
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "folio-font-list-test";
    std::filesystem::create_directories(folder);
    std::filesystem::path copy = folder / "ListedTinos.ttf";
    std::filesystem::copy_file(installed, copy, std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(catalog->addFontFile(copy.string()));

    EXPECT_NE(catalog->facesGeneration(), generation);
    ASSERT_EQ(before->size(), copied.size());
    for (std::size_t index = 0; index < copied.size(); ++index)
        EXPECT_EQ((*before)[index].postScriptName, copied[index].postScriptName);
    const FontCatalog::FaceList after = catalog->sharedFaces();
    EXPECT_NE(after.get(), before.get());
    EXPECT_EQ(catalog->faces().size(), after->size());
    EXPECT_TRUE(catalog->nearestFace("Tinos", 0));
    std::filesystem::remove_all(folder);
}

// The catalogue starts fontconfig itself rather than through FcInit; what it
// loads must be what FcInit would have loaded: the same installed faces and
// the same substitution rules.
std::set<std::string> systemFaceFiles(FcConfig* config)
{
    std::set<std::string> files;
    FcFontSet* set = FcConfigGetFonts(config, FcSetSystem);
    for (int i = 0; set && i < set->nfont; ++i) {
        FcChar8* file = nullptr;
        int index = 0;
        FcPatternGetString(set->fonts[i], FC_FILE, 0, &file);
        FcPatternGetInteger(set->fonts[i], FC_INDEX, 0, &index);
        files.insert(std::string(file ? reinterpret_cast<const char*>(file) : "") + "#" + std::to_string(index));
    }
    return files;
}

std::vector<std::string> substitutedFamilies(FcConfig* config, const char* family)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    std::vector<std::string> families;
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i)
        families.emplace_back(reinterpret_cast<const char*>(value));
    FcPatternDestroy(pattern);
    return families;
}

TEST_F(FontconfigFontCatalogTests, startsFontconfigWithWhatFcInitWouldLoad)
{
    FcConfig* current = FcConfigGetCurrent();
    ASSERT_TRUE(current);
    FcConfig* reference = FcInitLoadConfigAndFonts();
    ASSERT_TRUE(reference);
    ASSERT_NE(current, reference);

    std::set<std::string> expectedFiles = systemFaceFiles(reference);
    EXPECT_FALSE(expectedFiles.empty());
    EXPECT_EQ(systemFaceFiles(current), expectedFiles);
    for (const char* family : {"Helvetica", "Arial", "Times New Roman", "Menlo", "sans-serif", "monospace"}) {
        std::vector<std::string> expected = substitutedFamilies(reference, family);
        EXPECT_GT(expected.size(), 1u) << family;
        EXPECT_EQ(substitutedFamilies(current, family), expected) << family;
    }
    FcConfigDestroy(reference);

    // Starting again (another catalogue) keeps the configuration in place.
    FontconfigFontCatalog another;
    EXPECT_EQ(FcConfigGetCurrent(), current);
}

} // namespace
} // namespace folio
