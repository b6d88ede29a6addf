#include "engine/css/ColorHTML.h"
#include "foundation/color/ColorExpanded.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

void expectRgba(const std::optional<Color>& color, double red, double green, double blue, double alpha)
{
    ASSERT_TRUE(color.has_value());
    EXPECT_EQ(color->colorSpace(), ColorSpace::RGB);
    EXPECT_DOUBLE_EQ(color->red(), red);
    EXPECT_DOUBLE_EQ(color->green(), green);
    EXPECT_DOUBLE_EQ(color->blue(), blue);
    EXPECT_DOUBLE_EQ(color->alpha(), alpha);
}

TEST(ColorHexString, readsThreeOrSixDigits)
{
    expectRgba(colorWithHexString("fff"), 1, 1, 1, 1);
    expectRgba(colorWithHexString("FFFFFF"), 1, 1, 1, 1);
    expectRgba(colorWithHexString("f80"), 1, 8 / 15.0, 0, 1);
    expectRgba(colorWithHexString(u"336699"), 0x33 / 255.0, 0x66 / 255.0, 0x99 / 255.0, 1);
    // Reading a part stops at the first non-digit.
    expectRgba(colorWithHexString("zz0000"), 0, 0, 0, 1);
    expectRgba(colorWithHexString("1z0000"), 1 / 255.0, 0, 0, 1);
}

TEST(ColorHexString, rejectsOtherLengthsAndALeadingHash)
{
    for (const char* text : {"#fff", "ffff", "", "ff", "fffffff", "#ffffff"})
        EXPECT_EQ(colorWithHexString(text), std::nullopt) << text;
}

TEST(ColorHTMLName, namesInAnyCase)
{
    expectRgba(colorWithHTMLName("Red"), 1, 0, 0, 1);
    expectRgba(colorWithHTMLName("red"), 1, 0, 0, 1);
    expectRgba(colorWithHTMLName(u"CornflowerBlue"), 0x64 / 255.0, 0x95 / 255.0, 0xED / 255.0, 1);
    expectRgba(colorWithHTMLName("grey"), 128 / 255.0, 128 / 255.0, 128 / 255.0, 1);
    expectRgba(colorWithHTMLName("yellowgreen"), 0x9A / 255.0, 0xCD / 255.0, 0x32 / 255.0, 1);
}

TEST(ColorHTMLName, hashForms)
{
    expectRgba(colorWithHTMLName("#ff0000"), 1, 0, 0, 1);
    expectRgba(colorWithHTMLName("#abc"), 10 / 15.0, 11 / 15.0, 12 / 15.0, 1);
    expectRgba(colorWithHTMLName("#aabbcc"), 0xAA / 255.0, 0xBB / 255.0, 0xCC / 255.0, 1);
    EXPECT_EQ(colorWithHTMLName("#abcd"), std::nullopt);
    EXPECT_EQ(colorWithHTMLName("#"), std::nullopt);
}

TEST(ColorHTMLName, functionalForms)
{
    expectRgba(colorWithHTMLName("rgb(255, 0, 0)"), 1, 0, 0, 1);
    expectRgba(colorWithHTMLName("rgb(0,128,255)"), 0, 128 / 255.0, 1, 1);
    expectRgba(colorWithHTMLName("rgba(0,0,255,0.5)"), 0, 0, 1, 0.5);
    expectRgba(colorWithHTMLName(u"rgba( 10 , 20 , 30 , 1 )"), 10 / 255.0, 20 / 255.0, 30 / 255.0, 1);
    // Divided, not clamped.
    expectRgba(colorWithHTMLName("rgb(300,0,0)"), 300 / 255.0, 0, 0, 1);
    EXPECT_EQ(colorWithHTMLName("rgb(255,0)"), std::nullopt);
    EXPECT_EQ(colorWithHTMLName("rgb(1,2,3,4)"), std::nullopt);
    EXPECT_EQ(colorWithHTMLName("rgba(0,0,255)"), std::nullopt);
}

TEST(ColorHTMLName, rejectsWhatIsNotAColour)
{
    for (const char* text : {"transparent", "currentColor", "", "reds", " red", "inherit", "r\xc3\xa9" "d"})
        EXPECT_EQ(colorWithHTMLName(text), std::nullopt) << text;
    EXPECT_EQ(TEColorCreateWithHTMLName(u"nonsense"), std::nullopt);
    ASSERT_TRUE(TEColorCreateWithHTMLName(u"navy").has_value());
}

TEST(ColorHTMLHex, truncatesAndWritesLowerCase)
{
    EXPECT_EQ(htmlHexString(Color::colorWithRed(1, 0.5, 0)), "ff7f00");
    EXPECT_EQ(htmlHexString(Color::colorWithWhite(0.5)), "7f7f7f");
    EXPECT_EQ(htmlHexString(Color::colorWithRed(0xab / 255.0, 0xcd / 255.0, 0xef / 255.0, 0.1)), "abcdef");
    // Extended components stay within six digits.
    EXPECT_EQ(htmlHexString(Color::colorWithRed(300 / 255.0, -0.2, 0)), "ff0000");
    EXPECT_EQ(htmlHexString(Color::colorWithOtherComponents({0.1, 0.2, 0.3})), "000000");
    EXPECT_EQ(TEHexStringFromDTColor(Color::colorWithOtherComponents({0.1, 0.2, 0.3})), std::nullopt);
    EXPECT_EQ(TEHexStringFromDTColor(Color::colorWithRed(0, 0, 1)), "0000ff");
}

// Every component value is written as the two digits that read back as it.
TEST(ColorHTMLHex, everyComponentValueReadsBackAsItself)
{
    for (int value = 0; value < 256; ++value) {
        std::optional<Color> read =
            colorWithHexString(htmlHexString(Color::colorWithRed(value / 255.0, (255 - value) / 255.0, value / 255.0)));
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(static_cast<int>(read->red() * 255 + 0.5), value);
        EXPECT_EQ(static_cast<int>(read->green() * 255 + 0.5), 255 - value);
        EXPECT_EQ(static_cast<int>(read->blue() * 255 + 0.5), value);
    }
}

TEST(ColorHTMLHex, differsFromTheStoredFormOnTheSameColour)
{
    // The paper colour is stored rounded and upper case; pages get truncated,
    // lower-case digits. Both must stay as they are: files and pages written
    // earlier carry them.
    Color orange = Color::colorWithRed(1, 0.5, 0);
    EXPECT_EQ(hexStringFromColor(orange), "FF8000");
    EXPECT_EQ(htmlHexString(orange), "ff7f00");
    Color grey = Color::colorWithWhite(0.5);
    EXPECT_EQ(hexStringFromColor(grey), "808080");
    EXPECT_EQ(htmlHexString(grey), "7f7f7f");
}

TEST(ColorHTMLHex, roundTripsThroughHexText)
{
    for (const char* hex : {"000000", "ffffff", "336699", "c0ffee", "0a0b0c"}) {
        std::optional<Color> color = colorWithHexString(hex);
        ASSERT_TRUE(color.has_value());
        EXPECT_EQ(htmlHexString(*color), hex);
    }
}

} // namespace
} // namespace folio
