#include "engine/css/CSSString.h"
#include "engine/css/ColorHTML.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

double points(std::u16string_view text, double textSize = 10, double scale = 1)
{
    return pixelSizeOfCSSMeasureRelativeToCurrentTextSize(text, textSize, scale);
}

TEST(CSSLengthTest, recognisesLengthValues)
{
    for (std::u16string_view yes : {u"12", u"12px", u"1.5em", u"3pt", u"12%", u"12cm", u".5", u"12 px"})
        EXPECT_TRUE(isCSSLengthValue(yes)) << toUtf8(yes);
    for (std::u16string_view no : {u"-1px", u"px", u"", u"12ex", u"12pe", u"12mm", u"0pxx", u"auto"})
        EXPECT_FALSE(isCSSLengthValue(no)) << toUtf8(no);
    // White space of any kind before the number and between it and the unit
    // is passed over; a unit of other letters after it still fails.
    for (std::u16string_view yes : {u" 12px", u"\n\t1.5 em", u"\u00A012pt", u"12\u2003px", u"7 \u3000"})
        EXPECT_TRUE(isCSSLengthValue(yes)) << toUtf8(yes);
    for (std::u16string_view no : {u" ", u"\u00A0px", u"12 \u2003mm", u" 12 pte", u"\u00A0-3"})
        EXPECT_FALSE(isCSSLengthValue(no)) << toUtf8(no);
}

TEST(CSSLengthTest, convertsUnitsAgainstTextSizeAndScale)
{
    EXPECT_NEAR(points(u"12pt"), 15.9996, 1e-9);
    EXPECT_NEAR(points(u"12pt", 10, 2), 31.9992, 1e-9);
    EXPECT_DOUBLE_EQ(points(u"12px", 10, 2), 24);
    EXPECT_DOUBLE_EQ(points(u"2em"), 20);
    EXPECT_DOUBLE_EQ(points(u"1.5em", 12), 18);
    EXPECT_DOUBLE_EQ(points(u"50%"), 5);
    EXPECT_DOUBLE_EQ(points(u"-3px"), -3);
    EXPECT_DOUBLE_EQ(points(u"12", 10, 3), 12);
    EXPECT_DOUBLE_EQ(points(u"12 px", 10, 2), 24);
}

TEST(CSSLengthTest, leavesUnknownUnitsAndOddNumbersAsRead)
{
    EXPECT_DOUBLE_EQ(points(u"12cm", 10, 2), 12);
    EXPECT_DOUBLE_EQ(points(u"3ex", 10, 2), 3);
    EXPECT_DOUBLE_EQ(points(u"4p"), 4);
    EXPECT_DOUBLE_EQ(points(u"4e"), 4);
    EXPECT_DOUBLE_EQ(points(u"0.125"), 0.125);
    EXPECT_DOUBLE_EQ(points(u"1-2px"), -12);
    EXPECT_DOUBLE_EQ(points(u""), 0);
    EXPECT_DOUBLE_EQ(points(u"auto"), 0);
    EXPECT_DOUBLE_EQ(points(std::u16string(400, u'9') + u"px"), 0);
    EXPECT_DOUBLE_EQ(points(u"1." + std::u16string(400, u'0') + u"px"), 0);
}

TEST(CSSEdgeInsetsTest, expandsOneToFourValues)
{
    EXPECT_EQ(TEEdgeInsetsRelativeToCurrentTextSize(u"", 10, 1), (TEEdgeInsets{0, 0, 0, 0}));
    EXPECT_EQ(TEEdgeInsetsRelativeToCurrentTextSize(u"1px 2px", 10, 1), (TEEdgeInsets{1, 2, 1, 2}));
    EXPECT_EQ(TEEdgeInsetsRelativeToCurrentTextSize(u"1px 2px 3px", 10, 1), (TEEdgeInsets{1, 2, 3, 2}));
    // top, right, bottom, left in CSS; top, left, bottom, right in the struct.
    EXPECT_EQ(TEEdgeInsetsRelativeToCurrentTextSize(u"1px 2px 3px 4px", 10, 1), (TEEdgeInsets{1, 4, 3, 2}));
    EXPECT_EQ(TEEdgeInsetsRelativeToCurrentTextSize(u"1em 50%", 10, 1), (TEEdgeInsets{10, 5, 10, 5}));
    EXPECT_EQ(TEEdgeInsetsRelativeToCurrentTextSize(u"5px", 10, 2), (TEEdgeInsets{10, 10, 10, 10}));
    EXPECT_EQ(TEEdgeInsetsRelativeToCurrentTextSize(u"1 2 3 4 5", 10, 1), (TEEdgeInsets{1, 1, 1, 1}));
}

TEST(CSSShadowTest, readsShadowLists)
{
    Color current = Color::colorWithWhite(0.5);
    auto shadows = arrayOfCSSShadowsWithCurrentTextSize(u"2px 2px 4px #000, -1px 0 red", 10, current);
    ASSERT_TRUE(shadows);
    ASSERT_EQ(shadows->size(), 2u);
    EXPECT_EQ((*shadows)[0].offset, (Size{2, 2}));
    EXPECT_EQ((*shadows)[0].blur, 4);
    EXPECT_EQ((*shadows)[0].color, *colorWithHTMLName(u"#000"));
    EXPECT_EQ((*shadows)[1].offset, (Size{-1, 0}));
    EXPECT_EQ((*shadows)[1].blur, 0);
    EXPECT_EQ((*shadows)[1].color, *colorWithHTMLName(u"red"));
}

TEST(CSSShadowTest, colourMayComeFirstOrBeMissing)
{
    Color current = Color::colorWithWhite(0.5);
    auto first = arrayOfCSSShadowsWithCurrentTextSize(u" blue 1em 2pt 3px ", 10, current);
    ASSERT_TRUE(first && first->size() == 1);
    // Shadows use a text scale of 1 whatever the document's scale.
    EXPECT_EQ((*first)[0].offset, (Size{10, 2 * 1.3333}));
    EXPECT_EQ((*first)[0].blur, 3);
    EXPECT_EQ((*first)[0].color, *colorWithHTMLName(u"blue"));

    auto none = arrayOfCSSShadowsWithCurrentTextSize(u"1px 1px", 10, current);
    ASSERT_TRUE(none && none->size() == 1);
    EXPECT_EQ((*none)[0].color, current);
    auto afterBlur = arrayOfCSSShadowsWithCurrentTextSize(u"1px 1px 2px rgb(0, 0, 255)", 10, current);
    ASSERT_TRUE(afterBlur && afterBlur->size() == 1);
    EXPECT_EQ((*afterBlur)[0].color, *colorWithHTMLName(u"rgb(0, 0, 255)"));
}

TEST(CSSShadowTest, answersNoneWhenNothingReads)
{
    Color current;
    EXPECT_FALSE(arrayOfCSSShadowsWithCurrentTextSize(u"none", 10, current));
    EXPECT_FALSE(arrayOfCSSShadowsWithCurrentTextSize(u"  none ", 10, current));
    EXPECT_FALSE(arrayOfCSSShadowsWithCurrentTextSize(u"red 2px", 10, current));
    EXPECT_FALSE(arrayOfCSSShadowsWithCurrentTextSize(u"", 10, current));
    EXPECT_FALSE(arrayOfCSSShadowsWithCurrentTextSize(u",,,", 10, current));
    // A part without offsets is skipped; the one after the comma still counts.
    auto partial = arrayOfCSSShadowsWithCurrentTextSize(u"red, 3px 4px", 10, current);
    ASSERT_TRUE(partial && partial->size() == 1);
    EXPECT_EQ((*partial)[0].offset, (Size{3, 4}));
}

TEST(CSSContentTest, decodesEscapes)
{
    EXPECT_EQ(stringByDecodingCSSContentAttribute(u"\\2022"), u"\u2022");
    EXPECT_EQ(stringByDecodingCSSContentAttribute(u"a\\2022 b"), u"a\u2022 b");
    EXPECT_EQ(stringByDecodingCSSContentAttribute(u"\\\\"), u"\\");
    EXPECT_EQ(stringByDecodingCSSContentAttribute(u"\\\""), u"\\\"");
    EXPECT_EQ(stringByDecodingCSSContentAttribute(u"\\201C\\201D"), u"\u201C\u201D");
    // Only four digits belong to an escape.
    EXPECT_EQ(stringByDecodingCSSContentAttribute(u"\\002022"), u"\u002022");
    EXPECT_EQ(stringByDecodingCSSContentAttribute(u"\\41"), u"A");
    EXPECT_EQ(stringByDecodingCSSContentAttribute(u"plain"), u"plain");
}

TEST(CSSContentTest, shortAndInvalidEscapesLoseNothing)
{
    EXPECT_EQ(stringByDecodingCSSContentAttribute(u"\\20x"), u" x");
    EXPECT_EQ(stringByDecodingCSSContentAttribute(u"\\41\\42"), u"AB");
    EXPECT_EQ(stringByDecodingCSSContentAttribute(u"end\\"), u"end\\");
    EXPECT_EQ(stringByDecodingCSSContentAttribute(u"\\0000"), u"\uFFFD");
    EXPECT_EQ(stringByDecodingCSSContentAttribute(u"\\D800"), u"\uFFFD");
}

} // namespace
} // namespace folio
