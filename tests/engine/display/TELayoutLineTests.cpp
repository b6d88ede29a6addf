#include "engine/display/DisplayTestText.h"
#include "engine/display/TEGeometry.h"
#include "engine/display/TEGlyphRun.h"
#include "engine/display/TELayoutLine.h"
#include "platform/foundation/Log.h"

namespace folio {
namespace {

using TELayoutLineTests = DisplayTest;

TEST_F(TELayoutLineTests, aHorizontalRuleLineIsAsWideAsCanBe)
{
    auto frame = layOut(AttributedString(u"\n", attributes(10, {{std::string(TEHorizontalRuleStyleAttribute),
                                                                 IntegerValue::make(1)}})),
                        makeRect(0, 0, 100, 100));
    const TELayoutLine& line = *frame->lines().front();
    EXPECT_TRUE(line.isHorizontalRule());
    EXPECT_EQ(line.frame().size.width, kTEGreatestFiniteDouble);
    auto text = layOut(AttributedString(u"ab", attributes()), makeRect(0, 0, 100, 100));
    EXPECT_FALSE(text->lines().front()->isHorizontalRule());
}

TEST_F(TELayoutLineTests, onlyATrailingRunOfSpacesIsTrailingWhitespace)
{
    MutableAttributedString text(u"ab", attributes());
    text.appendString(u" ", attributes(12));
    text.appendString(u"cd", attributes());
    text.appendString(u"   ", attributes(12));
    auto frame = layOut(text, makeRect(0, 0, 200, 100));
    const auto& runs = frame->lines().front()->glyphRuns();
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_FALSE(runs[1]->isTrailingWhitespace());
    EXPECT_TRUE(runs[3]->isTrailingWhitespace());
    EXPECT_FALSE(runs[0]->isTrailingWhitespace());
}

TEST_F(TELayoutLineTests, runAndGlyphFramesFollowTheBaselineAndAdvances)
{
    MutableAttributedString text(u"ab", attributes());
    text.appendString(u"cd", attributes(20));
    auto frame = layOut(text, makeRect(10, 0, 200, 100));
    const TELayoutLine& line = *frame->lines().front();
    const auto& runs = line.glyphRuns();
    ASSERT_EQ(runs.size(), 2u);
    Point origin = line.baselineOrigin();
    EXPECT_EQ(line.frame(), makeRect(origin.x, origin.y - 15.4, 30, 15.4 + 4.6));
    EXPECT_EQ(runs[1]->frame(), makeRect(origin.x + 10, origin.y - 15.4, 20, 20));
    EXPECT_DOUBLE_EQ(runs[1]->offset(), 10);
    // The last glyph reaches the run's end.
    Rect last = runs[1]->frameOfGlyphAtIndex(1);
    EXPECT_DOUBLE_EQ(last.minX(), origin.x + 20);
    EXPECT_DOUBLE_EQ(last.width(), 10);
    EXPECT_DOUBLE_EQ(line.lineHeight(), 20);
    EXPECT_DOUBLE_EQ(line.underlineOffset(), 2);
    Rect both = line.frameOfGlyphsWithRange(Range{1, 2});
    EXPECT_DOUBLE_EQ(both.minX(), origin.x);
    EXPECT_DOUBLE_EQ(both.width(), 30);
    EXPECT_EQ(line.glyphRunsWithRange(Range{2, 1}).size(), 1u);
}

TEST_F(TELayoutLineTests, glyphOutlinesSitWhereTheLinePlacesTheGlyphsAndNeedAFont)
{
    MutableAttributedString text(u"ab", attributes());
    text.appendString(u"cd", AttributeDictionary::empty());
    auto frame = layOut(text, makeRect(10, 0, 200, 100));
    const TELayoutLine& line = *frame->lines().front();
    std::optional<GraphicsPath> first = line.glyphRuns()[0]->newPathWithGlyphs();
    ASSERT_TRUE(first);
    // The test faces' glyphs are boxes three quarters of an em high.
    EXPECT_EQ(first->boundingBox(), makeRect(0, -7.5, 10, 7.5));
    std::vector<std::string> logged;
    setTELogHandler([&](const TELogMessage& message) { logged.emplace_back(message.text); });
    EXPECT_FALSE(line.glyphRuns()[1]->newPathWithGlyphs());
    GraphicsPath whole = line.newPathWithGlyphs();
    setTELogHandler({});
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].rfind("CTFont missing on <TEGlyphRun glyphs=2", 0), 0u);
    Point origin = line.baselineOrigin();
    EXPECT_EQ(whole.boundingBox(), makeRect(origin.x, origin.y - 7.5, 10, 7.5));
}

TEST_F(TELayoutLineTests, theCaretRectangleIsThreeWideAndNothingOutsideTheLines)
{
    auto frame = layOut(AttributedString(u"abc def\nxy", attributes()), makeRect(0, 0, 200, 100));
    const auto& lines = frame->lines();
    ASSERT_EQ(lines.size(), 2u);
    Rect caret = frame->cursorRectAtIndex(2);
    EXPECT_DOUBLE_EQ(caret.minX(), 10);
    EXPECT_DOUBLE_EQ(caret.width(), 3);
    EXPECT_DOUBLE_EQ(caret.minY(), lines[0]->frame().minY());
    EXPECT_DOUBLE_EQ(caret.height(), lines[0]->frame().height());
    EXPECT_EQ(frame->cursorRectAtIndex(40), Rect{});
}

TEST_F(TELayoutLineTests, hitTestingAtLineEndsStaysOnTheLine)
{
    auto frame = layOut(AttributedString(u"abc def\nxy", attributes()), makeRect(0, 0, 200, 100));
    const auto& lines = frame->lines();
    double firstMiddle = lines[0]->frame().midY(), secondMiddle = lines[1]->frame().midY();
    EXPECT_EQ(frame->closestCursorIndexToPoint(Point{-30, firstMiddle}), 0u);
    // Right of "abc def\n": at most the line's last index, the line feed.
    EXPECT_EQ(frame->closestCursorIndexToPoint(Point{190, firstMiddle}), 7u);
    EXPECT_EQ(frame->closestCursorIndexToPoint(Point{190, secondMiddle}), 9u);
    EXPECT_EQ(frame->closestCursorIndexToPoint(Point{16, firstMiddle}), 3u);
    EXPECT_EQ(frame->closestCursorIndexToPoint(Point{5, -40}), 0u);
    EXPECT_EQ(frame->closestCursorIndexToPoint(Point{5, 500}), 9u);
}

} // namespace
} // namespace folio
