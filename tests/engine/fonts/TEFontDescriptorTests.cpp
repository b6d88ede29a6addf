#include "engine/fonts/TEFontCollection.h"
#include "engine/fonts/TEFontDescriptor.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/graphics/FontconfigFontCatalog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace folio {
namespace {

class TEFontDescriptorTest : public ::testing::Test {
protected:
    Font font(const std::string& name, double size)
    {
        std::optional<Font> found = Font::fontWithName(name, size, m_catalog);
        EXPECT_TRUE(found) << name;
        return found.value_or(Font::fontWithFace(m_catalog->faces().front(), size, m_catalog));
    }

    TEFontDescriptor family(const std::string& family, double size, bool bold = false, bool italic = false)
    {
        TEFontDescriptor descriptor;
        descriptor.setFontFamily(family);
        descriptor.setPointSize(size);
        descriptor.setBoldTrait(bold);
        descriptor.setItalicTrait(italic);
        return descriptor;
    }

    // A family no other test knows, so the process-wide override tables can
    // be changed for it without touching other tests.
    void addPrivateFamily(const std::string& familyName)
    {
        auto add = [&](const std::string& postScriptName, std::uint32_t traits, int weight) {
            FontFace face;
            face.postScriptName = postScriptName;
            face.familyName = familyName;
            face.fullName = postScriptName;
            face.symbolicTraits = traits;
            face.weight = weight;
            m_catalog->addFace(face, FontMetrics{0.8, 0.2, 0, -0.1, 0.05, 0.5, 0.7});
        };
        add(familyName + "-Regular", 0, 400);
        add(familyName + "-Bold", kFontBoldTrait, 700);
        add(familyName + "-Heavy", kFontBoldTrait, 900);
        add(familyName + "-SmallCaps", 0, 400);
    }

    std::shared_ptr<FakeFontCatalog> m_catalog = std::make_shared<FakeFontCatalog>();
};

// --- Size offset and rounding ----------------------------------------------

TEST_F(TEFontDescriptorTest, sizeReadFromAFontGainsTheOffsetAndSettingItRounds)
{
    TEFontDescriptor descriptor = TEFontDescriptor::fontDescriptorForCTFont(font("Georgia", 12));
    EXPECT_EQ(descriptor.pointSize(), 18);
    descriptor.setPointSize(12.4);
    EXPECT_EQ(descriptor.pointSize(), 12);
    descriptor.setPointSize(12.5);
    EXPECT_EQ(descriptor.pointSize(), 13);

    // Sizes read from attributes are not rounded (single precision).
    TEFontAttributes attributes;
    attributes.size = 10.5;
    EXPECT_EQ(TEFontDescriptor(attributes).pointSize(), 16.5);
}

TEST_F(TEFontDescriptorTest, cssSizeSurvivesTheTripThroughAFont)
{
    // The reader sets CSS 18px as 12 points; the font made is 12 points, and
    // a descriptor made back from it writes 18px again.
    TEFontDescriptor fromCSS = family("Georgia", 18 - TEFontDescriptor::FONTSIZEOFFSET);
    std::optional<Font> made = fromCSS.newMatchingFont(m_catalog);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->pointSize(), 12);
    TEFontDescriptor back = TEFontDescriptor::fontDescriptorForCTFont(*made);
    EXPECT_EQ(back.pointSize(), 18);
    EXPECT_EQ(back.cssStyleRepresentation(), "font-family:'Georgia','Georgia';font-size:18px;");

    // Attributes written and read again add the offset once more.
    EXPECT_EQ(TEFontDescriptor(fromCSS.fontAttributes()).pointSize(), 18);
}

// --- Traits and class -------------------------------------------------------

TEST_F(TEFontDescriptorTest, symbolicTraitsSplitIntoTraitsAndClass)
{
    TEFontDescriptor descriptor;
    const std::uint32_t value = kFontBoldTrait | 0x30000000u;
    descriptor.setSymbolicTraits(value);
    EXPECT_TRUE(descriptor.boldTrait());
    EXPECT_FALSE(descriptor.italicTrait());
    EXPECT_EQ(descriptor.stylisticTraits(), kFontBoldTrait);
    EXPECT_EQ(descriptor.stylisticClass(), 0x30000000u);
    EXPECT_EQ(descriptor.symbolicTraits(), value);

    descriptor.setFontFamily("Georgia");
    descriptor.setStylisticClass(0x20000000u);
    EXPECT_FALSE(descriptor.fontFamily());
    EXPECT_EQ(descriptor.symbolicTraits(), kFontBoldTrait | 0x20000000u);
}

TEST_F(TEFontDescriptorTest, eachTraitPropertyOwnsItsBit)
{
    struct Case {
        void (TEFontDescriptor::*set)(bool);
        bool (TEFontDescriptor::*get)() const;
        std::uint32_t bit;
    };
    const Case cases[] = {
        {&TEFontDescriptor::setItalicTrait, &TEFontDescriptor::italicTrait, 1},
        {&TEFontDescriptor::setBoldTrait, &TEFontDescriptor::boldTrait, 2},
        {&TEFontDescriptor::setExpandedTrait, &TEFontDescriptor::expandedTrait, 32},
        {&TEFontDescriptor::setCondensedTrait, &TEFontDescriptor::condensedTrait, 64},
        {&TEFontDescriptor::setMonospaceTrait, &TEFontDescriptor::monospaceTrait, 1024},
        {&TEFontDescriptor::setVerticalTrait, &TEFontDescriptor::verticalTrait, 2048},
        {&TEFontDescriptor::setUIoptimizedTrait, &TEFontDescriptor::UIoptimizedTrait, 4096},
    };
    for (const Case& c : cases) {
        TEFontDescriptor descriptor;
        descriptor.setSymbolicTraits(0x10000000u);
        (descriptor.*c.set)(true);
        EXPECT_EQ(descriptor.symbolicTraits(), 0x10000000u | c.bit);
        EXPECT_TRUE((descriptor.*c.get)());
        (descriptor.*c.set)(false);
        EXPECT_EQ(descriptor.symbolicTraits(), 0x10000000u);
    }
}

TEST_F(TEFontDescriptorTest, attributesCarryTraitsOnlyWhenSetAndNoAttributesClearThem)
{
    TEFontDescriptor descriptor = family("Cochin", 14, true);
    descriptor.setSmallCapsFeature(true);
    TEFontAttributes attributes = descriptor.fontAttributes();
    EXPECT_EQ(attributes.symbolicTraits, kFontBoldTrait);
    EXPECT_EQ(attributes.familyName, "Cochin");
    EXPECT_FALSE(attributes.name);
    EXPECT_EQ(attributes.size, 14);
    EXPECT_TRUE(attributes.smallCaps);
    EXPECT_FALSE(family("Cochin", 14).fontAttributes().symbolicTraits);

    TEFontAttributes overridden = descriptor.fontAttributesWithOverrideFontName("Cochin-Bold");
    EXPECT_FALSE(overridden.familyName);
    EXPECT_EQ(overridden.name, "Cochin-Bold");

    descriptor.setFontAttributes(std::nullopt);
    EXPECT_EQ(descriptor.symbolicTraits(), 0u);
    EXPECT_EQ(descriptor.fontFamily(), "Cochin");
}

// --- Descriptors made from fonts --------------------------------------------

TEST_F(TEFontDescriptorTest, facesNamedForAWeightKeepTheirNameAsFamily)
{
    TEFontDescriptor black = TEFontDescriptor::fontDescriptorForCTFont(font("Avenir-Black", 12));
    EXPECT_EQ(black.fontFamily(), "Avenir-Black");
    EXPECT_EQ(black.fontName(), "Avenir-Black");
    EXPECT_TRUE(black.boldTrait());

    TEFontDescriptor georgia = TEFontDescriptor::fontDescriptorForCTFont(font("Georgia", 12));
    EXPECT_EQ(georgia.fontFamily(), "Georgia");
    EXPECT_FALSE(georgia.italicTrait());

    TEFontDescriptor book = TEFontDescriptor::fontDescriptorForCTFont(font("Avenir-Book", 12));
    EXPECT_EQ(book.fontFamily(), "Avenir");
}

// A face named as the family by its PostScript name is followed in the
// style by its own family, which the page finds by name, in its weight.
TEST_F(TEFontDescriptorTest, aFaceNamedAsTheFamilyIsFollowedByItsOwnFamilyInTheStyle)
{
    EXPECT_EQ(TEFontDescriptor::fontDescriptorForCTFont(font("Avenir-Black", 12)).cssStyleRepresentation(),
              "font-family:'Avenir-Black','Avenir-Black','Avenir';font-size:18px;font-weight:bold;");
    EXPECT_EQ(TEFontDescriptor::fontDescriptorForCTFont(font("Georgia-Bold", 12)).cssStyleRepresentation(),
              "font-family:'Georgia-Bold','Georgia-Bold','Georgia';font-size:18px;font-weight:bold;");
    EXPECT_EQ(TEFontDescriptor::fontDescriptorForCTFont(font("Georgia", 12)).cssStyleRepresentation(),
              "font-family:'Georgia','Georgia';font-size:18px;");
}

TEST_F(TEFontDescriptorTest, aSlantingMatrixReadsAsItalic)
{
    Font slanted = font("Helvetica", 12).copyWithMatrix(TEFontDescriptor::kSyntheticItalicMatrix);
    EXPECT_TRUE(TEFontDescriptor::fontDescriptorForCTFont(slanted).italicTrait());
}

// --- Matching ---------------------------------------------------------------

TEST_F(TEFontDescriptorTest, familyWithoutOverrideIsTriedAsAFaceName)
{
    std::optional<Font> helvetica = family("Helvetica", 12).newMatchingFont(m_catalog);
    ASSERT_TRUE(helvetica);
    EXPECT_EQ(helvetica->postScriptName(), "Helvetica");
    EXPECT_TRUE(helvetica->matrix().isIdentity());

    // Asked-for weight is kept: the family's bold face, not its regular one.
    std::optional<Font> bold = family("Times New Roman", 12, true).newMatchingFont(m_catalog);
    ASSERT_TRUE(bold);
    EXPECT_EQ(bold->postScriptName(), "TimesNewRomanPS-BoldMT");

    // A face name given as the family finds that very face.
    std::optional<Font> black = family("Avenir-Black", 12, true).newMatchingFont(m_catalog);
    ASSERT_TRUE(black);
    EXPECT_EQ(black->postScriptName(), "Avenir-Black");

    // A face name, when set, wins over the family.
    TEFontDescriptor named = family("Helvetica", 12);
    named.setFontName("Georgia-Bold");
    std::optional<Font> georgia = named.newMatchingFont(m_catalog);
    ASSERT_TRUE(georgia);
    EXPECT_EQ(georgia->postScriptName(), "Georgia-Bold");
}

TEST_F(TEFontDescriptorTest, overrideNamesTheFaceForFamilyAndTraits)
{
    addPrivateFamily("Overridden");
    TEFontDescriptor bold = family("Overridden", 12, true);
    std::optional<Font> before = bold.newMatchingFont(m_catalog);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->postScriptName(), "Overridden-Bold");

    TEFontDescriptor::setOverrideFontName("Overridden-Heavy", "Overridden", true, false);
    EXPECT_EQ(TEFontDescriptor::overrideFontNameforFontFamily("Overridden", true, false), "Overridden-Heavy");
    EXPECT_FALSE(TEFontDescriptor::overrideFontNameforFontFamily("Overridden", false, false));
    // The cache must not answer the font made before the override existed.
    std::optional<Font> after = bold.newMatchingFont(m_catalog);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->postScriptName(), "Overridden-Heavy");

    std::optional<Font> regular = family("Overridden", 12).newMatchingFont(m_catalog);
    ASSERT_TRUE(regular);
    EXPECT_EQ(regular->postScriptName(), "Overridden-Regular");
}

TEST_F(TEFontDescriptorTest, smallCapsUsesItsTableOrTheFontFeature)
{
    addPrivateFamily("Capitals");
    TEFontDescriptor descriptor = family("Capitals", 12);
    descriptor.setSmallCapsFeature(true);
    EXPECT_FALSE(descriptor.supportsNativeSmallCaps(m_catalog));

    TEFontDescriptor::setSmallCapsFontName("Capitals-SmallCaps", "Capitals", false, false);
    EXPECT_EQ(TEFontDescriptor::smallCapsFontNameforFontFamily("Capitals", false, false), "Capitals-SmallCaps");
    EXPECT_FALSE(TEFontDescriptor::overrideFontNameforFontFamily("Capitals", false, false));
    EXPECT_TRUE(descriptor.supportsNativeSmallCaps(m_catalog));
    std::optional<Font> smallCaps = descriptor.newMatchingFont(m_catalog);
    ASSERT_TRUE(smallCaps);
    EXPECT_EQ(smallCaps->postScriptName(), "Capitals-SmallCaps");
    EXPECT_TRUE(smallCaps->features().empty());

    // Without a table entry the matched font asks for the feature, which
    // Cochin offers and Helvetica does not.
    TEFontDescriptor cochin = family("Cochin", 12);
    cochin.setSmallCapsFeature(true);
    EXPECT_TRUE(cochin.supportsNativeSmallCaps(m_catalog));
    std::optional<Font> cochinFont = cochin.newMatchingFont(m_catalog);
    ASSERT_TRUE(cochinFont);
    EXPECT_EQ(cochinFont->postScriptName(), "Cochin");
    EXPECT_EQ(cochinFont->features(), std::vector<std::string>{"smcp"});
    TEFontDescriptor helvetica = family("Helvetica", 12);
    helvetica.setSmallCapsFeature(true);
    EXPECT_FALSE(helvetica.supportsNativeSmallCaps(m_catalog));
}

TEST_F(TEFontDescriptorTest, italicWithoutAnItalicFaceIsSlanted)
{
    std::optional<Font> slanted = family("Chalkboard SE", 12, false, true).newMatchingFont(m_catalog);
    ASSERT_TRUE(slanted);
    EXPECT_EQ(slanted->postScriptName(), "ChalkboardSE-Regular");
    EXPECT_EQ(slanted->matrix(), (AffineTransform{1, 0, 0.25, 1, 0, 0}));
    EXPECT_EQ(slanted->pointSize(), 12);

    std::optional<Font> boldSlanted = family("Chalkboard SE", 12, true, true).newMatchingFont(m_catalog);
    ASSERT_TRUE(boldSlanted);
    EXPECT_EQ(boldSlanted->postScriptName(), "ChalkboardSE-Bold");
    EXPECT_FALSE(boldSlanted->matrix().isIdentity());

    // A family with a real italic face uses it as it is.
    std::optional<Font> georgia = family("Georgia", 12, false, true).newMatchingFont(m_catalog);
    ASSERT_TRUE(georgia);
    EXPECT_EQ(georgia->postScriptName(), "Georgia-Italic");
    EXPECT_TRUE(georgia->matrix().isIdentity());

    // The slanted font reads back as italic, so writing it keeps the style.
    EXPECT_TRUE(TEFontDescriptor::fontDescriptorForCTFont(*slanted).italicTrait());
}

TEST_F(TEFontDescriptorTest, unknownFamiliesFallBackAndTheFallbackIsChecked)
{
    std::optional<Font> papyrus = family("Papyrus", 12).newMatchingFont(m_catalog);
    ASSERT_TRUE(papyrus);
    // Drawn in the fallback, the font keeps the family it asked for.
    EXPECT_EQ(papyrus->face().familyName, "Helvetica");
    EXPECT_EQ(papyrus->familyName(), "Papyrus");
    EXPECT_TRUE(papyrus->isSubstituted());

    Status noName = TEFontDescriptor::setFallbackFontFamily(std::nullopt, m_catalog);
    ASSERT_FALSE(noName);
    EXPECT_EQ(noName.error().domain, "TEFontDescriptorException");
    EXPECT_EQ(noName.error().message, "Fallback Font Family cannot be nil");
    Status absent = TEFontDescriptor::setFallbackFontFamily("Papyrus", m_catalog);
    ASSERT_FALSE(absent);
    EXPECT_EQ(absent.error().message, "Fallback Font Family 'Papyrus' not registered on the system");
    EXPECT_EQ(TEFontDescriptor::fallbackFontFamily(), "Helvetica");

    ASSERT_TRUE(TEFontDescriptor::setFallbackFontFamily("Georgia", m_catalog));
    std::optional<Font> inGeorgia = family("Papyrus", 12, true).newMatchingFont(m_catalog);
    ASSERT_TRUE(TEFontDescriptor::setFallbackFontFamily("Helvetica", m_catalog));
    ASSERT_TRUE(inGeorgia);
    EXPECT_EQ(inGeorgia->face().postScriptName, "Georgia-Bold");
}

TEST_F(TEFontDescriptorTest, cachedFontsAreKeptApartBySizeAndCatalogue)
{
    TEFontDescriptor whole = family("Georgia", 12);
    TEFontDescriptor half(TEFontAttributes{std::nullopt, "Georgia", std::nullopt, 6.5, false});
    ASSERT_EQ(whole.hash(), half.hash());
    std::optional<Font> wholeFont = whole.newMatchingFont(m_catalog);
    std::optional<Font> halfFont = half.newMatchingFont(m_catalog);
    ASSERT_TRUE(wholeFont && halfFont);
    EXPECT_EQ(wholeFont->pointSize(), 12);
    EXPECT_EQ(halfFont->pointSize(), 12.5);

    // A family only the second catalogue has: the first one's fallback font,
    // made and cached first, must not be answered for the second.
    TEFontDescriptor onlyInOther = family("Cache Only", 12);
    std::optional<Font> fromFirst = onlyInOther.newMatchingFont(m_catalog);
    ASSERT_TRUE(fromFirst);
    EXPECT_EQ(fromFirst->face().familyName, "Helvetica");
    auto other = std::make_shared<FakeFontCatalog>();
    other->addFace(FontFace{"CacheOnly-Regular", "Cache Only", "Cache Only", "Regular", 0, 400, 0, "", 0},
                   FontMetrics{});
    std::optional<Font> fromOther = onlyInOther.newMatchingFont(other);
    ASSERT_TRUE(fromOther);
    EXPECT_EQ(fromOther->postScriptName(), "CacheOnly-Regular");

    // Once the first catalogue has the family too (a font installed while
    // the program runs), its cached fallback is no longer the answer.
    m_catalog->addFace(FontFace{"CacheOnly-Regular", "Cache Only", "Cache Only", "Regular", 0, 400, 0, "", 0},
                       FontMetrics{});
    std::optional<Font> afterInstalling = onlyInOther.newMatchingFont(m_catalog);
    ASSERT_TRUE(afterInstalling);
    EXPECT_EQ(afterInstalling->postScriptName(), "CacheOnly-Regular");
}

// --- Text forms, equality ---------------------------------------------------

TEST_F(TEFontDescriptorTest, cssNamesFamilySizeStyleAndWeight)
{
    EXPECT_EQ(family("Georgia", 14, false, true).cssStyleRepresentation(),
              "font-family:'Georgia';font-size:14px;font-style:italic;");
    TEFontDescriptor named = family("Avenir", 12.6, true, true);
    named.setFontName("Avenir-HeavyOblique");
    EXPECT_EQ(named.cssStyleRepresentation(),
              "font-family:'Avenir-HeavyOblique','Avenir';font-size:13px;font-style:italic;font-weight:bold;");
    TEFontDescriptor nameOnly;
    nameOnly.setFontName("Cochin");
    nameOnly.setPointSize(9);
    EXPECT_EQ(nameOnly.cssStyleRepresentation(), "font-family:'Cochin';font-size:9px;");
    EXPECT_EQ(TEFontDescriptor().cssStyleRepresentation(), "font-size:0px;");
}

TEST_F(TEFontDescriptorTest, cssEscapesFamilyNamesThatWouldBreakOut)
{
    EXPECT_EQ(family("Bob's\" onload=\"x", 12).cssStyleRepresentation(),
              "font-family:'Bob\\'s\\22  onload=\\22 x';font-size:12px;");
    EXPECT_EQ(family("a\\b\n<", 12).cssStyleRepresentation(), "font-family:'a\\\\b\\A \\3C ';font-size:12px;");
}

TEST_F(TEFontDescriptorTest, descriptionListsNameFamilySizeAndTraits)
{
    TEFontDescriptor descriptor = family("Courier", 11.6, true, true);
    descriptor.setFontName("Courier-BoldOblique");
    descriptor.setMonospaceTrait(true);
    EXPECT_EQ(descriptor.description(),
              "<TEFontDescriptor name='Courier-BoldOblique' family='Courier' size:12 attributes= bold,  italic,  "
              "monospace>");
    EXPECT_EQ(TEFontDescriptor().description(), "<TEFontDescriptor size:0>");
}

TEST_F(TEFontDescriptorTest, equalityComparesSizeTraitsNameAndFamily)
{
    TEFontDescriptor georgia = family("Georgia", 12, true);
    TEFontDescriptor same = family("Georgia", 12, true);
    EXPECT_EQ(georgia, same);
    EXPECT_EQ(georgia.hash(), same.hash());
    EXPECT_NE(georgia, family("Cochin", 12, true));
    EXPECT_NE(georgia, family("Georgia", 13, true));
    EXPECT_NE(georgia, family("Georgia", 12, false));
    same.setSymbolicTraits(georgia.symbolicTraits() | 0x10000000u);
    EXPECT_NE(georgia, same);
    same = georgia;
    same.setFontName("Georgia-Bold");
    EXPECT_NE(georgia, same);

    TEFontDescriptor copy = georgia;
    copy.setSmallCapsFeature(true);
    EXPECT_EQ(copy, georgia);
}

// --- Override tables and the preload -----------------------------------------

TEST_F(TEFontDescriptorTest, overrideListsFillBothTables)
{
    PropertyList entry = PropertyList::dictionary({{"FontFamily", "Listed"},
                                                   {"OverrideFontName", "Listed-Bold"},
                                                   {"Bold", true},
                                                   {"Italic", false}});
    PropertyList smallCaps = PropertyList::dictionary({{"FontFamily", "Listed"},
                                                       {"OverrideFontName", "Listed-SC"},
                                                       {"Bold", false},
                                                       {"Italic", true},
                                                       {"SmallCaps", true}});
    PropertyList noName = PropertyList::dictionary({{"FontFamily", "Listed"}, {"Bold", false}});
    PropertyList list = PropertyList::array({entry, smallCaps, noName, PropertyList("not a dictionary")});

    EXPECT_EQ(TEFontDescriptor::loadFontOverrides(list), 2);
    EXPECT_EQ(TEFontDescriptor::overrideFontNameforFontFamily("Listed", true, false), "Listed-Bold");
    EXPECT_EQ(TEFontDescriptor::smallCapsFontNameforFontFamily("Listed", false, true), "Listed-SC");
    EXPECT_FALSE(TEFontDescriptor::overrideFontNameforFontFamily("Listed", false, true));
    EXPECT_FALSE(TEFontDescriptor::overrideFontNameforFontFamily("Listed", false, false));
    EXPECT_EQ(TEFontDescriptor::loadFontOverrides(PropertyList()), 0);
}

TEST_F(TEFontDescriptorTest, preloadTablePicksTheShortestNamePerFamilyAndTraits)
{
    TEFontCollection collection(m_catalog);
    std::map<std::string, std::string> names =
        TEFontDescriptor::createDictionaryOfAllAvailableFontOverrideNames(collection);
    EXPECT_EQ(names.at("Avenir-0-0-override"), "Avenir-Book");
    // Black and Heavy are equally long: the first in name order stays.
    EXPECT_EQ(names.at("Avenir-1-0-override"), "Avenir-Black");
    EXPECT_EQ(names.at("Avenir-1-1-override"), "Avenir-HeavyOblique");
    EXPECT_EQ(names.at("Times New Roman-0-1-override"), "TimesNewRomanPS-ItalicMT");
    EXPECT_EQ(names.count("Chalkboard SE-0-1-override"), 0u);
}

TEST_F(TEFontDescriptorTest, fontsAndOverridesMayBeUsedFromSeveralThreads)
{
    addPrivateFamily("Threaded");
    std::vector<std::thread> threads;
    std::vector<std::string> names(8);
    for (std::size_t i = 0; i < names.size(); ++i) {
        threads.emplace_back([this, &names, i] {
            for (int round = 0; round < 50; ++round) {
                if (i == 0)
                    TEFontDescriptor::setOverrideFontName("Threaded-Heavy", "Threaded", true, false);
                std::optional<Font> font = family("Threaded", 10 + round % 5, true).newMatchingFont(m_catalog);
                if (font)
                    names[i] = font->postScriptName();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    // Once the override is in, every thread ends with the overriding face.
    std::optional<Font> last = family("Threaded", 12, true).newMatchingFont(m_catalog);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->postScriptName(), "Threaded-Heavy");
    EXPECT_EQ(names[0], "Threaded-Heavy");
}

// --- The installed fonts ----------------------------------------------------

TEST(TEFontDescriptorFontconfig, matchesInstalledFamiliesWithTheirOwnFaces)
{
    auto catalog = std::make_shared<FontconfigFontCatalog>();
    TEFontDescriptor descriptor;
    descriptor.setFontFamily("Liberation Sans");
    descriptor.setPointSize(12);
    descriptor.setBoldTrait(true);
    descriptor.setItalicTrait(true);
    std::optional<Font> font = descriptor.newMatchingFont(catalog);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->familyName(), "Liberation Sans");
    EXPECT_TRUE(font->face().isBold());
    EXPECT_TRUE(font->face().isItalic());
    // A real italic face: no synthetic slant on top of it.
    EXPECT_TRUE(font->matrix().isIdentity());
    EXPECT_GT(font->ascender(), 0);

    TEFontDescriptor back = TEFontDescriptor::fontDescriptorForCTFont(*font);
    EXPECT_EQ(back.pointSize(), 18);
    EXPECT_TRUE(back.boldTrait());
    EXPECT_TRUE(back.italicTrait());
}

} // namespace
} // namespace folio
