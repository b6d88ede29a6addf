#include "richtext/RichTextPageCounter.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(RichTextPageCounterTest, pageHeightAddsTheMarginsAndReadsZeroAsOne)
{
    EXPECT_EQ(RichTextPageCounter::pageHeightForMargins(2.54f, 2.54f), 738);
    EXPECT_EQ(RichTextPageCounter::pageHeightForMargins(0, 0), 735);
    EXPECT_EQ(RichTextPageCounter::pageHeightForMargins(0.4f, 0.4f), 733);
}

TEST(RichTextPageCounterTest, countsWholePagesAndTheCurrentOne)
{
    RichTextPageCounter pages;
    pages.setPageHeight(738);
    pages.pageDidScroll(2000, 1000);
    pages.recount();
    EXPECT_EQ(pages.totalPages(), 2);
    EXPECT_EQ(pages.currentPage(), 2);
    EXPECT_TRUE(pages.canPageUp());
    EXPECT_FALSE(pages.canPageDown());

    // At offset 0 the current page stays, then is clamped to the new total.
    pages.pageDidScroll(700, 0);
    pages.recount();
    EXPECT_EQ(pages.totalPages(), 1);
    EXPECT_EQ(pages.currentPage(), 1);
}

TEST(RichTextPageCounterTest, anEmptyHeightOrPageCountsAsOne)
{
    RichTextPageCounter pages;
    pages.pageDidScroll(5000, 3000);
    pages.recount();
    EXPECT_EQ(pages.totalPages(), 1);
    EXPECT_EQ(pages.currentPage(), 1);
}

TEST(RichTextPageCounterTest, pageDownStepsToTheNextPageTopAndNeverPastTheLast)
{
    RichTextPageCounter pages;
    pages.setPageHeight(700);
    pages.pageDidScroll(2100, 750);
    pages.recount();
    ASSERT_EQ(pages.currentPage(), 2);
    EXPECT_EQ(pages.pageDown(), std::vector<std::string>{"document.getElementById('content').scrollTop =1400;"});
    EXPECT_EQ(pages.currentPage(), 3);
    pages.pageDidScroll(2100, 1400);
    EXPECT_TRUE(pages.pageDown().empty());
    EXPECT_EQ(pages.currentPage(), 3);
}

TEST(RichTextPageCounterTest, pageUpGoesToThePreviousPageOrTheTopOfAPartlyScrolledLastOne)
{
    RichTextPageCounter pages;
    pages.setPageHeight(700);
    pages.pageDidScroll(2100, 800);
    pages.recount();
    ASSERT_EQ(pages.currentPage(), 2);
    EXPECT_EQ(pages.pageUp(true), (std::vector<std::string>{"document.execCommand('unselect')",
                                                            "document.getElementById('content').scrollTop =0;"}));
    EXPECT_EQ(pages.currentPage(), 1);

    pages.pageDidScroll(2100, 1500);
    pages.recount();
    ASSERT_EQ(pages.currentPage(), 3);
    EXPECT_EQ(pages.pageUp(false), std::vector<std::string>{"document.body.scrollTop =1400;"});
    EXPECT_EQ(pages.currentPage(), 2);

    // Above the first page's end there is nothing to scroll.
    pages.pageDidScroll(2100, 300);
    EXPECT_TRUE(pages.pageUp(false).empty());
    EXPECT_EQ(pages.currentPage(), 1);
}

TEST(RichTextPageCounterTest, jumpGoesToAPageOrTheEndAndIgnoresWhatIsNotAPage)
{
    RichTextPageCounter pages;
    pages.setPageHeight(738);
    EXPECT_EQ(pages.jumpTarget(2, 3000), RichTextPageCounter::Jump::ToPage);
    EXPECT_EQ(pages.totalPages(), 4);
    EXPECT_EQ(pages.jumpToPageScript(2), "document.getElementById('content').scrollTop =738;");
    EXPECT_EQ(pages.jumpTarget(5, 3000), RichTextPageCounter::Jump::ToEnd);
    EXPECT_EQ(pages.jumpTarget(0, 3000), RichTextPageCounter::Jump::Nothing);
    EXPECT_EQ(pages.jumpTarget(-3, 3000), RichTextPageCounter::Jump::Nothing);
}

} // namespace
} // namespace folio
