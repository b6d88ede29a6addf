#include "markdown/SHRegularExpression.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

SHRegularExpression expression(std::u16string text, std::u16string_view pattern, bool circular = false)
{
    auto made = SHRegularExpression::make(std::move(text), pattern, 0);
    EXPECT_TRUE(made.ok());
    made->setCircular(circular);
    return std::move(made).value();
}

TEST(SHRegularExpressionTest, circularSteppingWrapsAtBothEnds)
{
    auto regex = expression(u"a1 b2 c3", u"\\d", true);
    ASSERT_EQ(regex.numberOfMatches(), 3u);
    EXPECT_EQ(regex.rangeOfLastMatch(), (Range{7, 1}));
    EXPECT_EQ(regex.rangeOfNextMatch(), (Range{1, 1}));
    EXPECT_EQ(regex.rangeOfPreviousMatch(), (Range{7, 1}));
    EXPECT_EQ(regex.indexOfCurrentMatch(), 2u);
    EXPECT_EQ(regex.matchLocationsRange(), (Range{1, 6}));
}

TEST(SHRegularExpressionTest, nonCircularSteppingAnswersNoMatchOnceAtEachEnd)
{
    auto regex = expression(u"a1 b2 c3", u"\\d");
    EXPECT_EQ(regex.rangeOfNextMatch(), (Range{1, 1}));
    regex.rangeOfLastMatch();
    EXPECT_EQ(regex.rangeOfNextMatch(), SHRangeNotFound);
    EXPECT_EQ(regex.indexOfCurrentMatch(), NotFound);
    EXPECT_EQ(regex.rangeOfNextMatch(), (Range{1, 1}));
    EXPECT_EQ(regex.rangeOfPreviousMatch(), SHRangeNotFound);
    EXPECT_EQ(regex.rangeOfPreviousMatch(), (Range{7, 1}));
    regex.setIndexOfCurrentMatch(9);
    EXPECT_EQ(regex.indexOfCurrentMatch(), NotFound);
}

TEST(SHRegularExpressionTest, rangeQueriesFindOnlyWholeMatchesInsideTheRange)
{
    // Matches at 0, 6, 12 and 18, each five long.
    auto regex = expression(u"apple apple apple apple", u"apple");
    EXPECT_EQ(regex.indexOfFirstMatchInRange(Range{6, 11}), 1u);
    EXPECT_EQ(regex.indexRangeOfMatchesInRange(Range{6, 11}), (Range{1, 2}));
    EXPECT_EQ(regex.indexOfLastMatchInRange(Range{6, 11}), 2u);
    // Starting inside a match: the next one counts only when it fits.
    EXPECT_EQ(regex.indexOfFirstMatchInRange(Range{2, 9}), 1u);
    EXPECT_EQ(regex.indexOfFirstMatchInRange(Range{2, 8}), NotFound);
    EXPECT_EQ(regex.indexRangeOfMatchesInRange(Range{19, 4}), SHRangeNotFound);
    EXPECT_EQ(regex.rangesOfMatchesInRange(SHRangeMax), (std::vector<Range>{{0, 5}, {6, 5}, {12, 5}, {18, 5}}));
    EXPECT_TRUE(regex.rangesOfMatchesInRange(Range{30, 3}).empty());
    EXPECT_EQ(regex.rangeOfLastMatchInRange(Range{0, 17}), (Range{12, 5}));
    EXPECT_EQ(regex.indexOfCurrentMatch(), 2u);
}

TEST(SHRegularExpressionTest, aBadPatternIsAnError)
{
    EXPECT_FALSE(SHRegularExpression::make(u"text", u"[unclosed", 0).ok());
    auto none = expression(u"", u"x");
    EXPECT_EQ(none.numberOfMatches(), 0u);
    EXPECT_EQ(none.matchLocationsRange(), SHRangeNotFound);
    EXPECT_EQ(none.rangeOfLastMatch(), SHRangeNotFound);
}

} // namespace
} // namespace folio
