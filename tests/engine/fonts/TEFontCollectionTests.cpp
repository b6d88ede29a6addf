#include "engine/fonts/TEFontCollection.h"
#include "platform/graphics/FakeFontCatalog.h"

#include <gtest/gtest.h>

#include <thread>

namespace folio {
namespace {

TEFontDescriptor familyDescriptor(const std::string& family, double size, bool bold, bool italic)
{
    TEFontDescriptor descriptor;
    descriptor.setFontFamily(family);
    descriptor.setPointSize(size);
    descriptor.setBoldTrait(bold);
    descriptor.setItalicTrait(italic);
    return descriptor;
}

class TEFontCollectionTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeFontCatalog> m_catalog = std::make_shared<FakeFontCatalog>();
    TEFontCollection m_collection{m_catalog};
};

TEST_F(TEFontCollectionTest, familyNamesAreDistinctAndSorted)
{
    EXPECT_EQ(m_collection.fontFamilyNames(),
              (std::vector<std::string>{"Avenir", "Chalkboard SE", "Cochin", "Courier", "Cousine", "Georgia",
                                        "Helvetica", "Times New Roman"}));
}

TEST_F(TEFontCollectionTest, matchesFamilyPrefixIgnoringCaseAndDiacritics)
{
    auto times = m_collection.matchingFontDescriptorForFontDescriptor(familyDescriptor("times", 14, true, false));
    ASSERT_TRUE(times);
    EXPECT_EQ(times->fontName(), "TimesNewRomanPS-BoldMT");
    EXPECT_EQ(times->pointSize(), 14);

    // Courier comes before Cousine, so the prefix "Cou" finds Courier.
    auto oblique = m_collection.matchingFontDescriptorForFontDescriptor(familyDescriptor("COU", 9, false, true));
    ASSERT_TRUE(oblique);
    EXPECT_EQ(oblique->fontName(), "Courier-Oblique");

    auto accented = m_collection.matchingFontDescriptorForFontDescriptor(familyDescriptor("Géorgia", 12, false, false));
    ASSERT_TRUE(accented);
    EXPECT_EQ(accented->fontName(), "Georgia");
}

TEST_F(TEFontCollectionTest, answersNoneWithoutFamilyOrFace)
{
    EXPECT_FALSE(m_collection.matchingFontDescriptorForFontDescriptor(familyDescriptor("Chalkboard SE", 12, false, true)));
    EXPECT_FALSE(m_collection.matchingFontDescriptorForFontDescriptor(familyDescriptor("Papyrus", 12, false, false)));
    EXPECT_FALSE(m_collection.matchingFontDescriptorForFontDescriptor(TEFontDescriptor()));
}

TEST_F(TEFontCollectionTest, cachedMatchesTakeEachCallersSize)
{
    auto first = m_collection.matchingFontDescriptorForFontDescriptor(familyDescriptor("Helvetica", 10, true, true));
    auto second = m_collection.matchingFontDescriptorForFontDescriptor(familyDescriptor("Helvetica", 20, true, true));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->fontName(), "Helvetica-BoldOblique");
    EXPECT_EQ(first->pointSize(), 10);
    EXPECT_EQ(second->fontName(), "Helvetica-BoldOblique");
    EXPECT_EQ(second->pointSize(), 20);
}

TEST_F(TEFontCollectionTest, firstUseFromSeveralThreadsReadsOneList)
{
    TEFontCollection fresh(m_catalog);
    std::vector<std::size_t> counts(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        threads.emplace_back([&fresh, &counts, i] {
            counts[i] = fresh.fontDescriptors().size();
            fresh.matchingFontDescriptorForFontDescriptor(familyDescriptor("Cochin", 12, true, false));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (std::size_t count : counts)
        EXPECT_EQ(count, m_catalog->faces().size());
}

} // namespace
} // namespace folio
