#include "platform/graphics/FakeFontCatalog.h"
#include "platform/graphics/Font.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class FontTests : public ::testing::Test {
protected:
    std::shared_ptr<FakeFontCatalog> catalog = std::make_shared<FakeFontCatalog>();
};

TEST_F(FontTests, findsFontsByPostScriptFullAndFamilyName)
{
    auto byPostScript = Font::fontWithName("Georgia-BoldItalic", 14, catalog);
    ASSERT_TRUE(byPostScript);
    EXPECT_EQ(byPostScript->postScriptName(), "Georgia-BoldItalic");
    EXPECT_EQ(byPostScript->familyName(), "Georgia");
    EXPECT_EQ(byPostScript->pointSize(), 14);
    EXPECT_EQ(byPostScript->symbolicTraits() & (kFontBoldTrait | kFontItalicTrait), kFontBoldTrait | kFontItalicTrait);

    auto byFullName = Font::fontWithName("Helvetica Bold Oblique", 10, catalog);
    ASSERT_TRUE(byFullName);
    EXPECT_EQ(byFullName->postScriptName(), "Helvetica-BoldOblique");

    // A family name gives the family's regular face, not its lightest or first.
    auto byFamily = Font::fontWithName("Times New Roman", 12, catalog);
    ASSERT_TRUE(byFamily);
    EXPECT_EQ(byFamily->postScriptName(), "TimesNewRomanPSMT");
    auto avenir = Font::fontWithName("avenir", 12, catalog);
    ASSERT_TRUE(avenir);
    EXPECT_EQ(avenir->postScriptName(), "Avenir-Book");
}

TEST_F(FontTests, answersNoFontForNamesThatDoNotExist)
{
    EXPECT_FALSE(Font::fontWithName("Comic Neue", 12, catalog));
    EXPECT_FALSE(Font::fontWithName("Helvetica-Thin", 12, catalog));
    EXPECT_FALSE(Font::fontWithName("", 12, catalog));
    EXPECT_FALSE(Font::fontMatching("Papyrus", 0, 12, catalog));
}

TEST_F(FontTests, listsFamiliesAndTheirFaces)
{
    std::vector<std::string> families = Font::familyNames(catalog);
    EXPECT_EQ(families, (std::vector<std::string>{"Avenir", "Chalkboard SE", "Cochin", "Courier", "Cousine", "Georgia",
                                                  "Helvetica", "Times New Roman"}));
    EXPECT_EQ(Font::fontNamesForFamilyName("Cochin", catalog),
              (std::vector<std::string>{"Cochin", "Cochin-Bold", "Cochin-BoldItalic", "Cochin-Italic"}));
    EXPECT_TRUE(Font::fontNamesForFamilyName("Nothing", catalog).empty());
}

TEST_F(FontTests, copiesWithSymbolicTraitsWithinTheFamily)
{
    auto helvetica = Font::fontWithName("Helvetica", 12, catalog);
    ASSERT_TRUE(helvetica);
    auto bold = helvetica->copyWithSymbolicTraits(kFontBoldTrait, kFontBoldTrait);
    ASSERT_TRUE(bold);
    EXPECT_EQ(bold->postScriptName(), "Helvetica-Bold");
    EXPECT_EQ(bold->pointSize(), 12);

    auto boldItalic = bold->copyWithSymbolicTraits(kFontItalicTrait, kFontItalicTrait, 20);
    ASSERT_TRUE(boldItalic);
    EXPECT_EQ(boldItalic->postScriptName(), "Helvetica-BoldOblique");
    EXPECT_EQ(boldItalic->pointSize(), 20);

    // Clearing through the mask goes back to the upright face.
    auto upright = boldItalic->copyWithSymbolicTraits(0, kFontItalicTrait);
    ASSERT_TRUE(upright);
    EXPECT_EQ(upright->postScriptName(), "Helvetica-Bold");

    // Bold in a family with several heavy faces picks the one nearest to bold.
    auto avenirBold = Font::fontWithName("Avenir-Book", 12, catalog)->copyWithSymbolicTraits(kFontBoldTrait, kFontBoldTrait);
    ASSERT_TRUE(avenirBold);
    EXPECT_EQ(avenirBold->postScriptName(), "Avenir-Heavy");

    // Monospace families keep the trait through copies.
    auto courierBold = Font::fontWithName("Courier", 12, catalog)->copyWithSymbolicTraits(kFontBoldTrait, kFontBoldTrait);
    ASSERT_TRUE(courierBold);
    EXPECT_EQ(courierBold->postScriptName(), "Courier-Bold");
    EXPECT_TRUE(courierBold->symbolicTraits() & kFontMonospaceTrait);
}

TEST_F(FontTests, refusesTraitsTheFamilyHasNoFaceFor)
{
    auto chalkboard = Font::fontWithName("ChalkboardSE-Regular", 12, catalog);
    ASSERT_TRUE(chalkboard);
    EXPECT_FALSE(chalkboard->copyWithSymbolicTraits(kFontItalicTrait, kFontItalicTrait));
    EXPECT_FALSE(Font::fontWithName("Helvetica", 12, catalog)->copyWithSymbolicTraits(kFontMonospaceTrait, kFontMonospaceTrait));
    EXPECT_FALSE(Font::fontMatching("Chalkboard SE", kFontBoldTrait | kFontItalicTrait, 12, catalog));

    auto bold = Font::fontMatching("Chalkboard SE", kFontBoldTrait, 12, catalog);
    ASSERT_TRUE(bold);
    EXPECT_EQ(bold->postScriptName(), "ChalkboardSE-Bold");
}

TEST_F(FontTests, scalesFaceMetricsBySize)
{
    auto georgia = Font::fontWithName("Georgia", 20, catalog);
    ASSERT_TRUE(georgia);
    FontMetrics unit = catalog->unitMetrics(georgia->face());
    EXPECT_DOUBLE_EQ(georgia->ascender(), unit.ascent * 20);
    EXPECT_DOUBLE_EQ(georgia->descender(), unit.descent * 20);
    EXPECT_DOUBLE_EQ(georgia->capHeight(), unit.capHeight * 20);
    EXPECT_DOUBLE_EQ(georgia->xHeight(), unit.xHeight * 20);
    EXPECT_LT(georgia->underlinePosition(), 0);
    EXPECT_DOUBLE_EQ(georgia->lineHeight(), (unit.ascent + unit.descent + unit.leading) * 20);
    EXPECT_DOUBLE_EQ(georgia->copyWithSize(10).ascender(), unit.ascent * 10);
}

TEST_F(FontTests, keepsTheRequestedNameWhenAFaceIsSubstituted)
{
    catalog->addSubstitution("Arial", "Helvetica");
    auto arial = Font::fontWithName("Arial-BoldMT", 12, catalog);
    ASSERT_TRUE(arial);
    EXPECT_TRUE(arial->isSubstituted());
    EXPECT_EQ(arial->postScriptName(), "Arial-BoldMT");
    EXPECT_EQ(arial->familyName(), "Arial");
    EXPECT_EQ(arial->face().postScriptName, "Helvetica-Bold");

    // Trait copies stay in the requested family and can be looked up again.
    auto italic = arial->copyWithSymbolicTraits(kFontItalicTrait, kFontItalicTrait);
    ASSERT_TRUE(italic);
    EXPECT_EQ(italic->familyName(), "Arial");
    EXPECT_EQ(italic->face().postScriptName, "Helvetica-BoldOblique");
    auto again = Font::fontWithName(italic->postScriptName(), 12, catalog);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->face().postScriptName, "Helvetica-BoldOblique");

    auto matched = Font::fontMatching("Arial", kFontItalicTrait, 9, catalog);
    ASSERT_TRUE(matched);
    EXPECT_EQ(matched->familyName(), "Arial");
    EXPECT_EQ(matched->face().postScriptName, "Helvetica-Oblique");
}

// Whether a family is installed decides between a font of its own and a
// stand-in that keeps the requested name; a family drawn by a stand-in is not
// installed, and names compare without regard to case.
TEST_F(FontTests, tellsInstalledFamiliesFromThoseDrawnByAStandIn)
{
    catalog->addSubstitution("Arial", "Helvetica");
    EXPECT_TRUE(catalog->hasFamily("Helvetica"));
    EXPECT_TRUE(catalog->hasFamily("times new roman"));
    EXPECT_FALSE(catalog->hasFamily("Arial"));
    EXPECT_FALSE(catalog->hasFamily(""));

    auto installed = Font::fontMatching("helvetica", kFontBoldTrait, 12, catalog);
    ASSERT_TRUE(installed);
    EXPECT_FALSE(installed->isSubstituted());
    EXPECT_EQ(installed->postScriptName(), "Helvetica-Bold");
    auto standIn = Font::fontMatching("Arial", kFontBoldTrait, 12, catalog);
    ASSERT_TRUE(standIn);
    EXPECT_TRUE(standIn->isSubstituted());
    EXPECT_EQ(standIn->postScriptName(), "Arial-Bold");
    EXPECT_EQ(standIn->face().postScriptName, "Helvetica-Bold");

    // The nearest face of a stand-in family comes from the stand-in's faces.
    auto nearest = catalog->nearestFace("Arial", kFontItalicTrait | kFontCondensedTrait);
    ASSERT_TRUE(nearest);
    EXPECT_EQ(nearest->postScriptName, "Helvetica-Oblique");
    EXPECT_FALSE(catalog->nearestFace("Papyrus", 0));
}

TEST_F(FontTests, equalityFollowsWhatWasAsked)
{
    auto a = Font::fontWithName("Cochin", 12, catalog);
    auto b = Font::fontWithName("Cochin", 12, catalog);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(*a, *b);
    EXPECT_EQ(a->hash(), b->hash());
    EXPECT_NE(*a, a->copyWithSize(13));
    AffineTransform slant{1, 0, 0.25, 1, 0, 0};
    Font slanted = a->copyWithMatrix(slant);
    EXPECT_NE(*a, slanted);
    EXPECT_EQ(slanted.matrix(), slant);
    EXPECT_NE(*a, a->copyWithFeatures({"smcp"}));
    EXPECT_TRUE(a->offersFeature("smcp"));
    EXPECT_FALSE(Font::fontWithName("Helvetica", 12, catalog)->offersFeature("smcp"));
}

TEST_F(FontTests, fakeCatalogueRefusesFontFiles)
{
    auto fonts = Font::fontsWithContentsOfFile("/nonexistent.ttf", 12, catalog);
    ASSERT_FALSE(fonts);
    EXPECT_EQ(fonts.error().domain, "FontCatalog");
}

TEST_F(FontTests, usesTheSharedCatalogueWhenNoneIsGiven)
{
    std::shared_ptr<FontCatalog> previous = FontCatalog::shared();
    FontCatalog::setShared(catalog);
    auto cochin = Font::fontWithName("Cochin-Italic", 11);
    FontCatalog::setShared(previous);
    ASSERT_TRUE(cochin);
    EXPECT_EQ(cochin->familyName(), "Cochin");
}

} // namespace
} // namespace folio
