#include "foundation/graphics/FontTraits.h"
#include "platform/graphics/FakeFontCatalog.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class FontTraitsTests : public ::testing::Test {
protected:
    std::shared_ptr<FakeFontCatalog> catalog = std::make_shared<FakeFontCatalog>();
};

TEST_F(FontTraitsTests, postScriptNameOfFullAndFamilyNames)
{
    EXPECT_EQ(FontTraits::postscriptNameFromFullName("Cochin Bold Italic", catalog), "Cochin-BoldItalic");
    EXPECT_EQ(FontTraits::postscriptNameFromFullName("Times New Roman", catalog), "TimesNewRomanPSMT");
    EXPECT_EQ(FontTraits::postscriptNameFromFullName("Marker Felt", catalog), std::nullopt);
}

TEST_F(FontTraitsTests, makesEachFaceOfAFourFaceFamily)
{
    struct Case {
        bool bold, italic;
        const char* expected;
    };
    for (Case c : {Case{false, false, "Cochin"}, Case{true, false, "Cochin-Bold"}, Case{false, true, "Cochin-Italic"},
                   Case{true, true, "Cochin-BoldItalic"}}) {
        auto font = FontTraits::fontWithName("Cochin", 17, c.bold, c.italic, catalog);
        ASSERT_TRUE(font) << c.expected;
        EXPECT_EQ(font->postScriptName(), c.expected);
        EXPECT_EQ(font->pointSize(), 17);
        EXPECT_EQ(FontTraits::isBold(*font), c.bold);
        EXPECT_EQ(FontTraits::isItalic(*font), c.italic);
    }
}

TEST_F(FontTraitsTests, addsTraitsButNeverClearsThem)
{
    auto stillBold = FontTraits::fontWithName("Georgia-Bold", 12, false, true, catalog);
    ASSERT_TRUE(stillBold);
    EXPECT_EQ(stillBold->postScriptName(), "Georgia-BoldItalic");
    // Neither flag is a plain copy: the bold face stays bold.
    auto plain = FontTraits::fontWithName("Georgia-Bold", 12, false, false, catalog);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->postScriptName(), "Georgia-Bold");
}

TEST_F(FontTraitsTests, answersNoneForUnknownNamesAndMissingFaces)
{
    EXPECT_FALSE(FontTraits::fontWithName("Zapfino", 12, true, false, catalog));
    EXPECT_FALSE(FontTraits::fontWithName("Chalkboard SE", 12, false, true, catalog));
    EXPECT_FALSE(FontTraits::fontWithName("ChalkboardSE-Bold", 12, true, true, catalog));
    EXPECT_TRUE(FontTraits::fontWithName("Chalkboard SE", 12, true, false, catalog));
}

TEST_F(FontTraitsTests, familyFacesStartFromTheRegularFace)
{
    auto heavy = Font::fontWithName("Helvetica-BoldOblique", 30, catalog);
    ASSERT_TRUE(heavy);
    auto italicOnly = FontTraits::fontWithBoldTrait(*heavy, false, true, 9, catalog);
    ASSERT_TRUE(italicOnly);
    EXPECT_EQ(italicOnly->postScriptName(), "Helvetica-Oblique");
    EXPECT_EQ(italicOnly->pointSize(), 9);
    EXPECT_TRUE(FontTraits::isItalic(*italicOnly));
    EXPECT_FALSE(FontTraits::isBold(*italicOnly));

    auto regular = FontTraits::fontWithBoldTrait(*heavy, false, false, 9, catalog);
    ASSERT_TRUE(regular);
    EXPECT_EQ(regular->postScriptName(), "Helvetica");
}

TEST_F(FontTraitsTests, ownSizeVariantUsesTheSharedCatalogue)
{
    std::shared_ptr<FontCatalog> previous = FontCatalog::shared();
    FontCatalog::setShared(catalog);
    auto georgia = Font::fontWithName("Georgia-Italic", 21);
    ASSERT_TRUE(georgia);
    auto bold = FontTraits::fontWithBoldTrait(*georgia, true, false);
    FontCatalog::setShared(previous);
    ASSERT_TRUE(bold);
    EXPECT_EQ(bold->postScriptName(), "Georgia-Bold");
    EXPECT_EQ(bold->pointSize(), 21);
}

} // namespace
} // namespace folio
