#include "foundation/color/ColorExpanded.h"
#include "foundation/color/CSSColorNames.h"

#include <gtest/gtest.h>

#include <set>

namespace folio {
namespace {

TEST(ColorExpandedHex, roundsClampsAndWritesUpperCase)
{
    EXPECT_EQ(hexStringFromColor(Color::colorWithRed(1, 0, 0)), "FF0000");
    EXPECT_EQ(hexStringFromColor(Color::colorWithRed(0.2, 0.4, 0.6)), "336699");
    EXPECT_EQ(hexStringFromColor(Color::colorWithWhite(0.5)), "808080");
    EXPECT_EQ(hexStringFromColor(Color::colorWithRed(1.5, 2, 7)), "FFFFFF");
    EXPECT_EQ(hexStringFromColor(Color::colorWithRed(-1, 0, 0.0021)), "000001");
    EXPECT_EQ(hexStringFromColor(Color::colorWithRed(0xab / 255.0, 0xcd / 255.0, 0xef / 255.0, 0)), "ABCDEF");
    EXPECT_EQ(hexStringFromColor(Color::colorWithWhite(0)), "000000");
}

TEST(ColorExpandedHex, rgbHexPutsRedInTheHighByte)
{
    EXPECT_EQ(rgbHex(Color::colorWithRed(1, 0, 0)), 0xFF0000u);
    EXPECT_EQ(rgbHex(Color::colorWithRed(0, 0, 1)), 0x0000FFu);
    // 0.5 x 255 = 127.5: the half rounds up.
    EXPECT_EQ(rgbHex(Color::colorWithRed(0, 0.5, 0)), 0x008000u);
    EXPECT_EQ(colorWithRGBHex(0x336699), Color::colorWithRed(0x33 / 255.0, 0x66 / 255.0, 0x99 / 255.0));
}

TEST(ColorExpandedHex, coloursWithoutRgbComponentsGiveNone)
{
    Color pattern = Color::colorWithOtherComponents({0.3, 1});
    EXPECT_FALSE(canProvideRGBComponents(pattern));
    EXPECT_EQ(rgbHex(pattern), std::nullopt);
    EXPECT_EQ(hexStringFromColor(pattern), std::nullopt);
    EXPECT_EQ(closestColorName(pattern), std::nullopt);
    double red = -1;
    EXPECT_FALSE(redGreenBlueAlpha(pattern, &red, nullptr, nullptr, nullptr));
    EXPECT_EQ(red, -1);
}

TEST(ColorExpandedNames, closestNameOfExactAndNearColours)
{
    EXPECT_EQ(closestColorName(colorWithRGBHex(0x00FFFF)), "aqua");
    EXPECT_EQ(closestColorName(colorWithRGBHex(0xFF00FF)), "fuchsia");
    EXPECT_EQ(closestColorName(colorWithRGBHex(0x808080)), "gray");
    EXPECT_EQ(closestColorName(colorWithRGBHex(0x010101)), "black");
    EXPECT_EQ(closestColorName(colorWithRGBHex(0xF0F8FF)), "aliceblue");
    EXPECT_EQ(closestColorName(Color::colorWithWhite(0)), "black");
    EXPECT_EQ(closestColorName(Color::colorWithWhite(1)), "white");
    EXPECT_EQ(closestColorName(colorWithRGBHex(0xFE0101)), "red");
    EXPECT_EQ(closestColorName(colorWithRGBHex(0x000081)), "navy");
}

TEST(ColorExpandedNames, everyNameIsItsOwnNearestOrAnEarlierTwin)
{
    for (const CSSColorName& entry : cssColorNames()) {
        std::optional<std::string> name = closestColorName(colorWithRGBHex(entry.rgb));
        ASSERT_TRUE(name.has_value());
        std::uint32_t found = 0;
        for (const CSSColorName& other : cssColorNames()) {
            if (other.name == *name)
                found = other.rgb;
        }
        EXPECT_EQ(found, entry.rgb) << entry.name << " gave " << *name;
        EXPECT_LE(*name, std::string(entry.name));
    }
}

TEST(ColorExpandedNames, listTextsOtherThanTheCssList)
{
    const char* list = ",Brick Red#C62D42,Sky Blue#76D7EA,broken#zz";
    EXPECT_EQ(closestColorNameFor(colorWithRGBHex(0xC0302F), list), "Brick Red");
    EXPECT_EQ(closestColorNameFor(colorWithRGBHex(0x80D0F0), list), "Sky Blue");
    EXPECT_EQ(closestColorNameFor(colorWithRGBHex(0x000000), ",only#zzzzzz"), std::nullopt);
    EXPECT_EQ(closestColorNameFor(colorWithRGBHex(0x000000), ""), std::nullopt);
}

TEST(CSSColorNameTable, holdsTheKeywordsOnceInAlphabeticalOrder)
{
    auto names = cssColorNames();
    EXPECT_EQ(names.size(), 147u);
    std::set<std::string_view> unique;
    for (std::size_t i = 0; i < names.size(); ++i) {
        unique.insert(names[i].name);
        if (i > 0) {
            EXPECT_LT(names[i - 1].name, names[i].name);
        }
    }
    EXPECT_EQ(unique.size(), names.size());
    EXPECT_EQ(cssColorNameList().substr(0, 36), ",aliceblue#f0f8ff,antiquewhite#faebd");
}

} // namespace
} // namespace folio
