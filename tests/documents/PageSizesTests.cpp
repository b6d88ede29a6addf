#include "documents/PageSizes.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

namespace folio {
namespace {

TEST(PageSizes, valuesAreInchesTimesSeventyTwoInSinglePrecision)
{
    Size a4 = PageSizes::sizeFromPageSize("A4");
    EXPECT_EQ(a4.width, static_cast<double>(595.44006f));
    EXPECT_EQ(a4.height, static_cast<double>(841.67999f));
    EXPECT_NEAR(a4.width, 595.44006, 1e-5);
    EXPECT_NEAR(a4.height, 841.67999, 1e-5);
    // Not the double-precision product, which is 595.44 exactly.
    EXPECT_NE(a4.width, 8.27 * 72);

    EXPECT_EQ(PageSizes::sizeFromPageSize("Letter"), (Size{612, 792}));
    EXPECT_EQ(PageSizes::sizeFromPageSize("Legal"), (Size{612, 1008}));
    EXPECT_EQ(PageSizes::sizeFromPageSize("Government Letter"), (Size{576, 756}));
}

TEST(PageSizes, everyTableAnswersA5Landscape)
{
    auto size = PageSizes::sizeForName("A5 Landscape");
    ASSERT_TRUE(size);
    EXPECT_NEAR(size->width, 595.44006, 1e-5);
    EXPECT_NEAR(size->height, 419.76001, 1e-5);
}

TEST(PageSizes, unknownNamesAndOtherCasesFallToLetter)
{
    EXPECT_EQ(PageSizes::sizeForName("letter"), std::nullopt);
    EXPECT_EQ(PageSizes::sizeFromPageSize("letter"), (Size{612, 792}));
    EXPECT_EQ(PageSizes::sizeFromPageSize(""), (Size{612, 792}));
    EXPECT_EQ(PageSizes::sizeFromPageSize("A4 "), (Size{612, 792}));
}

TEST(PageSizes, theNamedTableHoldsSixtyFiveDistinctNames)
{
    auto sizes = PageSizes::allPageSizes();
    EXPECT_EQ(sizes.size(), 65u);
    std::set<std::string_view> names;
    for (const PageSizeEntry& entry : sizes)
        names.insert(entry.name);
    EXPECT_EQ(names.size(), sizes.size());
    EXPECT_EQ(sizes.front().name, "Letter");
    EXPECT_EQ(sizes.back().name, "Japanese B12");
}

TEST(PageSizes, landscapeRowsAreTheirPortraitRowsTurned)
{
    int landscapes = 0;
    for (const PageSizeEntry& entry : PageSizes::allPageSizes()) {
        std::string name(entry.name);
        const std::string suffix = " Landscape";
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        ++landscapes;
        auto portrait = PageSizes::sizeForName(name.substr(0, name.size() - suffix.size()));
        ASSERT_TRUE(portrait) << name;
        Size turned = entry.points();
        EXPECT_EQ(turned.width, portrait->height) << name;
        EXPECT_EQ(turned.height, portrait->width) << name;
    }
    EXPECT_EQ(landscapes, 12);
    // The wide and tall ones that are easy to get backwards.
    EXPECT_GT(PageSizes::sizeFromPageSize("Ledger").width, PageSizes::sizeFromPageSize("Ledger").height);
    EXPECT_LT(PageSizes::sizeFromPageSize("Tabloid").width, PageSizes::sizeFromPageSize("Tabloid").height);
    EXPECT_GT(PageSizes::sizeFromPageSize("Junior Legal").width, PageSizes::sizeFromPageSize("Junior Legal").height);
}

TEST(PageSizes, chosenSizeComesFromTheUserDefaults)
{
    std::string folder = std::string(std::getenv("FOLIO_HOME")) + "/page-sizes-defaults.plist";
    UserDefaults defaults(folder);
    EXPECT_EQ(PageSizes::chosenPageSize(defaults, {612, 810}), (Size{612, 810}));
    defaults.setString(PageSizes::kDefaultPageSizeKey, "A5 Landscape");
    EXPECT_EQ(PageSizes::chosenPageSize(defaults, {612, 810}), *PageSizes::sizeForName("A5 Landscape"));
    defaults.setString(PageSizes::kDefaultPageSizeKey, "Folio");
    EXPECT_EQ(PageSizes::chosenPageSize(defaults, {612, 810}), (Size{612, 792}));
}

} // namespace
} // namespace folio
