#include "webeditor/PageCounter.h"
#include "webeditor/TextZoomSteps.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(PageCounterTest, countsWholeVirtualPagesOfTheLetterHeight)
{
    PageCounter pages;
    pages.setPageHeight(PageCounter::pageHeightForMargins(0, 0));
    ASSERT_EQ(pages.pageHeight(), 735);
    pages.pageDidScroll(2205, 368);
    pages.recount();
    EXPECT_EQ(pages.totalPages(), 3);
    EXPECT_EQ(pages.currentPage(), 2);
    // A last partial page is not counted.
    pages.pageDidScroll(2204, 368);
    pages.recount();
    EXPECT_EQ(pages.totalPages(), 2);
}

TEST(PageCounterTest, theNumberNeverPassesTheTotal)
{
    PageCounter pages;
    pages.setPageHeight(735);
    pages.pageDidScroll(2205, 1500);
    pages.recount();
    ASSERT_EQ(pages.currentPage(), 3);
    EXPECT_EQ(pages.moveDown(), std::nullopt);
    EXPECT_EQ(pages.currentPage(), 3);
    // Even when the text grew shorter since the last count.
    pages.pageDidScroll(800, 1500);
    pages.recount();
    EXPECT_EQ(pages.currentPage(), 1);
    EXPECT_EQ(pages.moveDown(), std::nullopt);
    EXPECT_EQ(pages.currentPage(), 1);
}

TEST(PageCounterTest, pageUpFromThePartlyScrolledLastPageGoesToItsTop)
{
    PageCounter pages;
    pages.setPageHeight(735);
    pages.pageDidScroll(2205, 1570);
    pages.recount();
    std::optional<PageCounter::UpMove> move = pages.moveUp();
    ASSERT_TRUE(move);
    EXPECT_EQ(move->offset, 1470);
    EXPECT_TRUE(move->toTopOfLastPage);
    EXPECT_EQ(pages.currentPage(), 2);
}

TEST(PageCounterTest, aZeroPageHeightNeverDividesByZero)
{
    PageCounter pages;
    pages.pageDidScroll(3000, 2000);
    pages.recount();
    EXPECT_EQ(pages.totalPages(), 1);
    EXPECT_EQ(pages.currentPage(), 1);
    EXPECT_EQ(pages.jumpTarget(2, 3000), PageCounter::Jump::ToEnd);
    EXPECT_NO_THROW(pages.moveUp());
}

TEST(TextZoomStepsTest, theLadderStepsBothWaysAndWrapsToNormalSize)
{
    std::vector<long long> outward;
    for (long long level = 200; outward.size() < 5;) {
        level = *TextZoomSteps::zoomedOut(level);
        outward.push_back(level);
    }
    EXPECT_EQ(outward, (std::vector<long long>{150, 100, 80, 60, 100}));
    std::vector<long long> inward;
    for (long long level = 60; inward.size() < 5;) {
        level = *TextZoomSteps::zoomedIn(level);
        inward.push_back(level);
    }
    EXPECT_EQ(inward, (std::vector<long long>{80, 100, 150, 200, 100}));
    EXPECT_EQ(TextZoomSteps::zoomedIn(350), 100);
    EXPECT_EQ(TextZoomSteps::zoomedIn(120), std::nullopt);
    EXPECT_EQ(TextZoomSteps::zoomedOut(250), std::nullopt);
    EXPECT_EQ(TextZoomSteps::overlayText(60), "Zoom 0.6x");
    EXPECT_EQ(TextZoomSteps::overlayText(200), "Zoom 2x");
    EXPECT_EQ(TextZoomSteps::overlayText(120), "");
}

} // namespace
} // namespace folio
