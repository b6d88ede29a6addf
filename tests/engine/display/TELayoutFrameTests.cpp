#include "engine/display/DisplayTestText.h"
#include "engine/display/TEGeometry.h"
#include "engine/display/TEGlyphRun.h"
#include "engine/display/TELayoutLine.h"
#include "engine/model/TETextBlock.h"

#include <cmath>

namespace folio {
namespace {

using TELayoutFrameTests = DisplayTest;

constexpr double kOpen = kTEOpenEndedDimension;

TEST_F(TELayoutFrameTests, aLineStartingWithATabGetsNoHeadIndentButIsStillNarrowed)
{
    PlatformParagraphStyle::Settings settings;
    settings.firstLineHeadIndent = 20;
    settings.headIndent = 20;
    auto styled = attributes(10, {{std::string(kCTParagraphStyleAttributeName), paragraphStyle(settings)}});
    auto tabbed = layOut(AttributedString(u"\taaaa bbbb", styled), makeRect(0, 0, 75, kOpen));
    auto plain = layOut(AttributedString(u"xaaaa bbbb", styled), makeRect(0, 0, 75, kOpen));
    ASSERT_TRUE(tabbed && plain);
    EXPECT_DOUBLE_EQ(tabbed->lines().front()->baselineOrigin().x, 0);
    EXPECT_DOUBLE_EQ(plain->lines().front()->baselineOrigin().x, 20);
    // 55 points are left: "\taaaa " (tab to 28, then 25) is all that fits.
    EXPECT_EQ(tabbed->lines().front()->stringRange(), (Range{0, 6}));
    EXPECT_EQ(tabbed->lines().size(), 2u);
}

TEST_F(TELayoutFrameTests, aStretchEndingInASoftHyphenShowsAHyphenAndKeepsTheTextsIndices)
{
    auto frame = layOut(AttributedString(u"xx abcd\u00ADefgh", attributes()), makeRect(0, 0, 30, kOpen));
    ASSERT_TRUE(frame);
    ASSERT_GE(frame->lines().size(), 2u);
    const TELayoutLine& line = *frame->lines()[1];
    EXPECT_EQ(glyphText(line), u"abcd-");
    EXPECT_EQ(line.stringLocationOffset(), 3);
    EXPECT_EQ(line.stringRange(), (Range{3, 5}));
    EXPECT_EQ(line.stringIndices(), (std::vector<std::size_t>{3, 4, 5, 6, 7}));
    EXPECT_EQ(line.glyphRuns().front()->stringRange(), (Range{3, 5}));
    EXPECT_DOUBLE_EQ(line.offsetForStringIndex(5), 10);
    EXPECT_EQ(line.stringIndexForPosition(Point{11, line.baselineOrigin().y}), 5u);
}

TEST_F(TELayoutFrameTests, theLastAllowedLineIsTheTruncatedRemainder)
{
    MutableAttributedString text(u"aaaa bbbb cccc dddd eeee", attributes());
    // The character that would end the second line carries its own colour,
    // which the ellipsis takes.
    text.addAttribute(kCTForegroundColorAttributeName, ColorValue::make(Color::colorWithRed(1, 0, 0)), Range{19, 1});
    auto frame = layOut(text, makeRect(0, 0, 50, kOpen));
    frame->setNumberOfLines(2);
    ASSERT_EQ(frame->lines().size(), 2u);
    const TELayoutLine& last = *frame->lines()[1];
    std::u16string glyphs = glyphText(last);
    EXPECT_EQ(glyphs.back(), u'\u2026');
    EXPECT_LE(last.width(), 50);
    EXPECT_EQ(frame->stringRange(), (Range{0, text.length()}));
    const TypesetRun& tokenRun = last.line().runs().back();
    EXPECT_TRUE(tokenRun.attributes()->containsKey(kCTForegroundColorAttributeName));
}

TEST_F(TELayoutFrameTests, oneLineShowsTheFirstParagraphAndAnEllipsisWhenMoreParagraphsFollow)
{
    auto frame = layOut(AttributedString(u"ab\ncd", attributes()), makeRect(0, 0, 100, kOpen));
    frame->setNumberOfLines(1);
    ASSERT_EQ(frame->lines().size(), 1u);
    EXPECT_EQ(glyphText(*frame->lines().front()), u"ab\u2026");

    auto single = layOut(AttributedString(u"ab", attributes()), makeRect(0, 0, 100, kOpen));
    single->setNumberOfLines(1);
    EXPECT_EQ(glyphText(*single->lines().front()), u"ab");
}

TEST_F(TELayoutFrameTests, truncatingModesShortenTheLastLineThatFitsTheHeightWhileWordWrapDoesNot)
{
    AttributedString text(u"aaaa bbbb cccc dddd eeee ffff", attributes());
    // Baselines at 9, 21 and 33: three lines end at 35.3, the fourth would at 47.3.
    auto wrapped = layOut(text, makeRect(0, 0, 25, 40));
    ASSERT_EQ(wrapped->lines().size(), 3u);
    EXPECT_EQ(glyphText(*wrapped->lines()[2]), u"cccc ");

    auto truncated = layOut(text, makeRect(0, 0, 25, 40));
    truncated->setLineBreakMode(TELineBreakMode::TruncateTail);
    ASSERT_EQ(truncated->lines().size(), 3u);
    EXPECT_EQ(truncated->numberLinesFitInFrame(), 3);
    EXPECT_EQ(glyphText(*truncated->lines()[2]).back(), u'\u2026');

    auto head = layOut(text, makeRect(0, 0, 25, 40));
    head->setLineBreakMode(TELineBreakMode::TruncateHead);
    EXPECT_EQ(glyphText(*head->lines()[2]).front(), u'\u2026');
}

TEST_F(TELayoutFrameTests, justifiesOnlyLongLinesThatDoNotEndTheParagraphOrALine)
{
    PlatformParagraphStyle::Settings settings;
    settings.alignment = TextAlignment::Justified;
    auto styled = attributes(10, {{std::string(kCTParagraphStyleAttributeName), paragraphStyle(settings)}});
    auto frame = layOut(AttributedString(u"aa bb cc dd ee ff gg hh", styled), makeRect(0, 0, 52, kOpen));
    const auto& lines = frame->lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_DOUBLE_EQ(lines[0]->width() - lines[0]->trailingWhitespaceWidth(), 52);
    EXPECT_DOUBLE_EQ(lines[1]->width() - lines[1]->trailingWhitespaceWidth(), 52);
    EXPECT_DOUBLE_EQ(lines[2]->width(), 25);

    // "aa " is only 15 of 52 points wide: at most 0.6 of the frame, left as it is.
    auto shortLine = layOut(AttributedString(u"aa bbbbbbbbbbbb", styled), makeRect(0, 0, 52, kOpen));
    EXPECT_DOUBLE_EQ(shortLine->lines().front()->width(), 15);

    auto separated = layOut(AttributedString(u"aa bb cc\u2028dd ee", styled), makeRect(0, 0, 52, kOpen));
    EXPECT_DOUBLE_EQ(separated->lines().front()->width() - separated->lines().front()->trailingWhitespaceWidth(), 40);
}

TEST_F(TELayoutFrameTests, anOpenEndedHeightIsWorkedOutFromTheLastLineAndBottomPaddings)
{
    auto block = TETextBlock::make(TEEdgeInsets{0, 0, 6, 0}, std::nullopt);
    auto styled = attributes(10, {{std::string(TETextBlocksAttribute), ArrayValue::make({block})}});
    auto frame = layOut(AttributedString(u"aaaa bbbb", styled), makeRect(0, 10, 25, kOpen));
    ASSERT_EQ(frame->lines().size(), 2u);
    double lastBottom = frame->lines().back()->frame().maxY();
    EXPECT_DOUBLE_EQ(frame->additionalPaddingAtBottom(), 6);
    EXPECT_DOUBLE_EQ(frame->frame().size.height, std::ceil(lastBottom - 10 + 1.5 + 6));
    Rect intrinsic = frame->intrinsicContentFrame();
    EXPECT_DOUBLE_EQ(intrinsic.minY(), std::floor(frame->lines().front()->frame().minY()));
}

TEST_F(TELayoutFrameTests, aTextBlocksTopPaddingLowersTheFirstBaseline)
{
    auto block = TETextBlock::make(TEEdgeInsets{10, 4, 0, 0}, std::nullopt);
    auto inBlock = layOut(AttributedString(u"ab", attributes(10, {{std::string(TETextBlocksAttribute),
                                                                  ArrayValue::make({block})}})),
                          makeRect(0, 0, 100, kOpen));
    auto plain = layOut(AttributedString(u"ab", attributes()), makeRect(0, 0, 100, kOpen));
    const TELayoutLine& line = *inBlock->lines().front();
    EXPECT_DOUBLE_EQ(line.baselineOrigin().y - plain->lines().front()->baselineOrigin().y, 10);
    EXPECT_DOUBLE_EQ(line.baselineOrigin().x, 4);
}

TEST_F(TELayoutFrameTests, baselinesAddHalfLeadingAndParagraphSpacing)
{
    PlatformParagraphStyle::Settings settings;
    settings.paragraphSpacing = 7;
    settings.paragraphSpacingBefore = 3;
    auto styled = attributes(10, {{std::string(kCTParagraphStyleAttributeName), paragraphStyle(settings)}});
    auto frame = layOut(AttributedString(u"ab\ncd", styled), makeRect(0, 0, 100, kOpen));
    const auto& lines = frame->lines();
    ASSERT_EQ(lines.size(), 2u);
    // Half-leading of a 10-point line: (10 x 1.1 - 10) / 2.
    double halfLeading = (10 * double(1.1f) - 10) / 2;
    EXPECT_DOUBLE_EQ(lines[0]->baselineOrigin().y, std::ceil(7.7 + halfLeading + 3));
    double expected = lines[0]->frame().maxY() + halfLeading + 7 + 7.7 + halfLeading + 3;
    EXPECT_DOUBLE_EQ(lines[1]->baselineOrigin().y, std::ceil(expected));
    EXPECT_TRUE(frame->isLineLastInParagraph(*lines[0]));
    EXPECT_TRUE(frame->isLineFirstInParagraph(*lines[1]));
}

TEST_F(TELayoutFrameTests, theBaselineOptionsChooseTheAlgorithm)
{
    PlatformParagraphStyle::Settings settings;
    settings.paragraphSpacingBefore = 4.2;
    auto styled = attributes(10, {{std::string(kCTParagraphStyleAttributeName), paragraphStyle(settings)}});
    auto frame = layOut(AttributedString(u"ab\ncd", styled), makeRect(0, 0, 100, kOpen));
    const auto& lines = frame->lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(frame->baselineOriginToPositionLine(*lines[0], nullptr, 0), Point{});
    EXPECT_EQ(frame->baselineOriginToPositionLine(*lines[1], lines[0].get()),
              frame->baselineOriginToPositionLine(*lines[1], lines[0].get(), TEBaselineAlgorithmStandard));
    // Legacy: the first line sits at the spacing before, rounded up.
    EXPECT_DOUBLE_EQ(frame->baselineOriginToPositionLine(*lines[0], nullptr, TEBaselineAlgorithmLegacy).y, 5);
    // The next would come a spacing, a line height and the spacing before
    // its paragraph lower, but is pulled up to sit right under the previous line.
    EXPECT_DOUBLE_EQ(frame->baselineOriginToPositionLine(*lines[1], lines[0].get(), TEBaselineAlgorithmLegacy).y,
                     std::ceil(lines[0]->frame().maxY() + lines[1]->ascent()));
}

TEST_F(TELayoutFrameTests, rightAlignedAndRightToLeftLinesAreFlushRight)
{
    PlatformParagraphStyle::Settings right;
    right.alignment = TextAlignment::Right;
    auto frame = layOut(AttributedString(u"ab ", attributes(10, {{std::string(kCTParagraphStyleAttributeName),
                                                                 paragraphStyle(right)}})),
                        makeRect(5, 0, 100, kOpen));
    EXPECT_DOUBLE_EQ(frame->lines().front()->baselineOrigin().x, 5 + 90);

    PlatformParagraphStyle::Settings rtl;
    rtl.baseWritingDirection = WritingDirection::RightToLeft;
    auto rtlFrame = layOut(AttributedString(u"abcd", attributes(10, {{std::string(kCTParagraphStyleAttributeName),
                                                                     paragraphStyle(rtl)}})),
                           makeRect(0, 0, 100, kOpen));
    EXPECT_DOUBLE_EQ(rtlFrame->lines().front()->baselineOrigin().x, 80);
    EXPECT_TRUE(rtlFrame->lines().front()->writingDirectionIsRightToLeft());
}

TEST_F(TELayoutFrameTests, queriesAnswerOutOfRangeIndicesWithoutGuessing)
{
    auto frame = layOut(AttributedString(u"ab cd\nef", attributes()), makeRect(0, 0, 100, kOpen));
    ASSERT_EQ(frame->lines().size(), 2u);
    std::size_t glyphs = frame->lines()[0]->numberOfGlyphs() + frame->lines()[1]->numberOfGlyphs();
    EXPECT_EQ(frame->lineIndexForGlyphIndex(glyphs + 4), 2u);
    EXPECT_EQ(frame->lineIndexForGlyphIndex(glyphs - 1), 1u);
    EXPECT_TRUE(TERectIsNull(frame->frameOfGlyphAtIndex(glyphs)));
    EXPECT_EQ(frame->lines()[0]->frameOfGlyphAtIndex(50), Rect{});
    EXPECT_TRUE(TERectIsNull(frame->lines()[0]->glyphRuns().front()->frameOfGlyphAtIndex(50)));
    EXPECT_EQ(frame->lineContainingIndex(100), nullptr);
    EXPECT_EQ(frame->paragraphIndexContainingStringIndex(100), NotFound);
    EXPECT_EQ(frame->paragraphRanges(), (std::vector<Range>{{0, 6}, {6, 2}}));
    EXPECT_EQ(frame->paragraphRangeContainingStringRange(Range{1, 6}), (Range{0, 2}));
    EXPECT_EQ(frame->linesInParagraphAtIndex(1).size(), 1u);
}

TEST_F(TELayoutFrameTests, noFrameForEmptyRectanglesOrRangesPastTheText)
{
    AttributedString text(u"ab", attributes());
    auto layouter = TELayouter::make(std::make_shared<const AttributedString>(text));
    EXPECT_EQ(layouter->layoutFrameWithRect(makeRect(0, 0, 0, 100)), nullptr);
    EXPECT_EQ(layouter->layoutFrameWithRect(makeRect(0, 0, -5, 100)), nullptr);
    EXPECT_EQ(layouter->layoutFrameWithRect(makeRect(0, 0, 100, 0)), nullptr);
    EXPECT_EQ(layouter->layoutFrameWithRect(makeRect(0, 0, 100, 100), Range{2, 0}), nullptr);
    EXPECT_EQ(TELayouter::make(nullptr), nullptr);

    layouter->setShouldCacheLayoutFrames(true);
    auto first = layouter->layoutFrameWithRect(makeRect(0, 0, 100, 100));
    EXPECT_EQ(layouter->layoutFrameWithRect(makeRect(0, 0, 100, 100)), first);
    layouter->setAttributedString(std::make_shared<const AttributedString>(u"xy"));
    EXPECT_NE(layouter->layoutFrameWithRect(makeRect(0, 0, 100, 100)), first);
    // The old frame keeps the text it was made from.
    EXPECT_EQ(first->attributedStringFragment().string(), u"ab");

    auto empty = TELayouter::make(std::make_shared<const AttributedString>());
    EXPECT_EQ(empty->layoutFrameWithRect(makeRect(0, 0, 100, 100)), nullptr);
}

TEST_F(TELayoutFrameTests, emptyParagraphsAndIndentsWiderThanTheFrameStillMakeProgress)
{
    auto newlines = layOut(AttributedString(u"\n\n\n", attributes()), makeRect(0, 0, 100, kOpen));
    ASSERT_EQ(newlines->lines().size(), 3u);
    EXPECT_LT(newlines->lines()[0]->baselineOrigin().y, newlines->lines()[1]->baselineOrigin().y);

    PlatformParagraphStyle::Settings settings;
    settings.headIndent = 500;
    settings.firstLineHeadIndent = 500;
    auto styled = attributes(10, {{std::string(kCTParagraphStyleAttributeName), paragraphStyle(settings)}});
    auto squeezed = layOut(AttributedString(u"abc", styled), makeRect(0, 0, 100, kOpen));
    // No room at all: one character a line, never a line without any.
    ASSERT_EQ(squeezed->lines().size(), 3u);
    EXPECT_EQ(squeezed->stringRange(), (Range{0, 3}));
}

} // namespace
} // namespace folio
