#include "platform/foundation/RegularExpression.h"
#include "platform/foundation/StringUtilities.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(RegularExpressionTest, searchesOnlyTheRangeWhoseEndsAnchorLikeTheText)
{
    auto expression = RegularExpression::make(u"^(ab)$|(x)", RegularExpressionAnchorsMatchLines);
    ASSERT_TRUE(expression.ok());
    std::u16string text = u"zzabzz x";
    // Inside {2, 2} the range's ends count as a line's start and end.
    auto matches = expression->matchesInString(text, Range{2, 2});
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0], (RegularExpressionMatch{{2, 2}, {2, 2}, NotFoundRange}));
    EXPECT_TRUE(expression->matchesInString(text, Range{1, 3}).empty());
    EXPECT_EQ(expression->matchesInString(text).size(), 1u);
    EXPECT_TRUE(expression->matchesInString(text, Range{50, 2}).empty());
    EXPECT_EQ(expression->firstMatchInString(text, Range{0, 100}), (RegularExpressionMatch{{7, 1}, NotFoundRange, {7, 1}}));
}

TEST(RegularExpressionTest, optionsAndEscapingKeepThePlatformMeaning)
{
    auto caseless = RegularExpression::make(u"cat", RegularExpressionCaseInsensitive);
    ASSERT_TRUE(caseless.ok());
    EXPECT_EQ(caseless->matchesInString(u"Cat CAT").size(), 2u);
    std::u16string literal = u"a.b*(c)[d]\\e$";
    auto escaped = RegularExpression::make(RegularExpression::escapedPatternForString(literal));
    ASSERT_TRUE(escaped.ok());
    auto matches = escaped->matchesInString(u"xa.b*(c)[d]\\e$ aXb");
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0][0], (Range{1, literal.size()}));
    // ICU's nested character sets and horizontal blanks.
    EXPECT_TRUE(RegularExpression::make(u"[\\w[/[\\.,]]]\\h").ok());
    auto broken = RegularExpression::make(u"(open");
    ASSERT_FALSE(broken.ok());
    EXPECT_EQ(broken.error().domain, RegularExpression::kErrorDomain);
}

TEST(LineRangeTest, takesWholeLinesWithTheirBreaks)
{
    std::u16string_view text = u"one\r\ntwo\nthree";
    EXPECT_EQ(lineRangeForRange(text, Range{1, 0}), (Range{0, 5}));
    EXPECT_EQ(lineRangeForRange(text, Range{5, 0}), (Range{5, 4}));
    EXPECT_EQ(lineRangeForRange(text, Range{2, 4}), (Range{0, 9}));
    // A range ending right after a break ends with that line.
    EXPECT_EQ(lineRangeForRange(text, Range{5, 4}), (Range{5, 4}));
    EXPECT_EQ(lineRangeForRange(text, Range{14, 0}), (Range{9, 5}));
    EXPECT_EQ(lineRangeForRange(text, Range{40, 3}), (Range{9, 5}));
    EXPECT_EQ(lineRangeForRange(u"", Range{0, 0}), (Range{0, 0}));
}

} // namespace
} // namespace folio
