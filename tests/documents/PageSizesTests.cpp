#include "documents/PageSizes.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

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

namespace folio {
namespace {

// The ISO 216 / ISO 269 series and JIS B (to B12), in millimetres: every
// size of the table is its standard size in inches, rounded to two
// decimals, times 72 in single precision.
struct Millimetres {
    const char* name;
    int width;
    int height;
};

Size expectedPoints(int widthMillimetres, int heightMillimetres)
{
    auto inches = [](int millimetres) {
        return static_cast<float>(std::round(millimetres / 25.4 * 100) / 100);
    };
    return {static_cast<double>(inches(widthMillimetres) * 72.0f), static_cast<double>(inches(heightMillimetres) * 72.0f)};
}

TEST(PageSizes, everyStandardPaperOfTheTableHasItsStandardSize)
{
    const std::vector<Millimetres> standard{
        {"A0", 841, 1189}, {"A1", 594, 841}, {"A2", 420, 594}, {"A3", 297, 420}, {"A4", 210, 297},
        {"A5", 148, 210}, {"A6", 105, 148}, {"A7", 74, 105}, {"A8", 52, 74}, {"A9", 37, 52},
        {"A10", 26, 37}, {"B0", 1000, 1414}, {"B1", 707, 1000}, {"B2", 500, 707}, {"B3", 353, 500},
        {"B4", 250, 353}, {"B5", 176, 250}, {"B6", 125, 176}, {"B7", 88, 125}, {"B8", 62, 88},
        {"B9", 44, 62}, {"B10", 31, 44}, {"C0", 917, 1297}, {"C1", 648, 917}, {"C2", 458, 648},
        {"C3", 324, 458}, {"C4", 229, 324}, {"C5", 162, 229}, {"C6", 114, 162}, {"C7", 81, 114},
        {"C8", 57, 81}, {"C9", 40, 57}, {"C10", 28, 40}, {"Japanese B0", 1030, 1456},
        {"Japanese B1", 728, 1030}, {"Japanese B2", 515, 728}, {"Japanese B3", 364, 515},
        {"Japanese B4", 257, 364}, {"Japanese B5", 182, 257}, {"Japanese B6", 128, 182},
        {"Japanese B7", 91, 128}, {"Japanese B8", 64, 91}, {"Japanese B9", 45, 64}, {"Japanese B10", 32, 45},
        {"Japanese B11", 22, 32}, {"Japanese B12", 16, 22},
    };
    for (const Millimetres& paper : standard) {
        std::optional<Size> size = PageSizes::sizeForName(paper.name);
        ASSERT_TRUE(size) << paper.name;
        EXPECT_EQ(*size, expectedPoints(paper.width, paper.height)) << paper.name;
    }
    // With the twelve landscape rows and the seven American and envelope
    // papers, that is the whole table.
    EXPECT_EQ(standard.size() + 12 + 7, PageSizes::allPageSizes().size());
    EXPECT_EQ(PageSizes::sizeFromPageSize("DL Envelope"), (Size{static_cast<double>(4.33f * 72.0f),
                                                                 static_cast<double>(8.67f * 72.0f)}));
    EXPECT_EQ(PageSizes::sizeFromPageSize("Tabloid Landscape"), (Size{1224, 792}));
    EXPECT_EQ(PageSizes::sizeFromPageSize("Junior Legal"), (Size{612, 360}));
}

} // namespace
} // namespace folio
