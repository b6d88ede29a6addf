#include "foundation/color/ColorArithmetic.h"
#include "foundation/color/ColorExpanded.h"
#include "foundation/color/ColorNameCache.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace folio {
namespace {

std::string hexOf(const std::optional<Color>& color)
{
    return color ? hexStringFromColor(*color).value_or("none") : "none";
}

const Color kPattern = Color::colorWithOtherComponents({0.1, 0.2, 0.3, 0.4, 1.0});

TEST(ColorArithmetic, ComponentsAndSpaceNames)
{
    EXPECT_EQ(colorSpaceString(Color::colorWithWhite(0.5)), "kCGColorSpaceModelMonochrome");
    EXPECT_EQ(colorSpaceString(Color::colorWithRed(1, 0, 0)), "kCGColorSpaceModelRGB");
    EXPECT_EQ(colorSpaceString(kPattern), "kCGColorSpaceModelUnknown");
    EXPECT_EQ(arrayFromRGBAComponents(Color::colorWithWhite(0.25, 0.5)), (std::vector<double>{0.25, 0.25, 0.25, 0.5}));
    EXPECT_FALSE(arrayFromRGBAComponents(kPattern));

    double hue = -1, saturation = -1, brightness = -1;
    ASSERT_TRUE(hueSaturationBrightnessAlpha(Color::colorWithRed(0, 0, 1), &hue, &saturation, &brightness, nullptr));
    EXPECT_DOUBLE_EQ(hue, 240);
    EXPECT_DOUBLE_EQ(saturation, 1);
    EXPECT_DOUBLE_EQ(brightness, 1);
    EXPECT_EQ(hexOf(colorWithHueDegrees(360, 1, 1, 1)), "FF0000"); // a full turn is no turn
}

TEST(ColorArithmetic, LuminanceDecidesTheContrastingColour)
{
    EXPECT_DOUBLE_EQ(*luminance(Color::colorWithRed(0, 1, 0)), 0.7152);
    EXPECT_EQ(hexOf(contrastingColor(Color::colorWithRed(1, 1, 0.8))), "000000");
    EXPECT_EQ(hexOf(contrastingColor(Color::colorWithRed(0, 0, 0.5))), "FFFFFF");
    EXPECT_EQ(hexOf(colorByLuminanceMapping(Color::colorWithRed(1, 0, 0))), "363636");
    EXPECT_FALSE(contrastingColor(kPattern));
}

TEST(ColorArithmetic, ArithmeticClampsAndUsesTheNeutralAlpha)
{
    const Color grey = Color::colorWithRed(0.5, 0.5, 0.5, 0.5);
    EXPECT_EQ(hexOf(colorByAdding(grey, 0.75)), "FFFFFF");
    EXPECT_DOUBLE_EQ(colorByAdding(grey, 0.75)->alpha(), 0.5);     // adding 0 to alpha
    EXPECT_DOUBLE_EQ(colorByMultiplyingBy(grey, 2)->alpha(), 0.5); // multiplying alpha by 1
    EXPECT_EQ(hexOf(colorByMultiplyingBy(grey, 0.5)), "404040");
    EXPECT_EQ(hexOf(colorByLighteningTo(Color::colorWithRed(0.2, 0.9, 0.2), 0.6)), "99E699");
    EXPECT_EQ(hexOf(colorByDarkeningTo(Color::colorWithRed(0.2, 0.9, 0.2), 0.6)), "339933");
    EXPECT_EQ(hexOf(colorByAdding(grey, -1, 0, 0, 0)), "008080");
}

TEST(ColorArithmetic, ColourOperandsUseTheOtherColoursComponents)
{
    const Color white = Color::colorWithRed(1, 1, 1);
    EXPECT_EQ(hexOf(colorByMultiplyingByColor(white, Color::colorWithRed(1, 0, 0))), "FF0000");
    EXPECT_EQ(hexOf(colorByDarkeningToColor(white, Color::colorWithWhite(0.2))), "333333");
    EXPECT_EQ(hexOf(colorByLighteningToColor(Color::colorWithRed(0, 0, 0), Color::colorWithRed(0, 0, 1))), "0000FF");
    EXPECT_EQ(hexOf(colorByAddingColor(Color::colorWithRed(0.5, 0, 0), Color::colorWithRed(0.6, 0, 0))), "FF0000");
    EXPECT_FALSE(colorByMultiplyingByColor(white, kPattern));
}

TEST(ColorArithmetic, HueTurnsGiveComplementsAndTriads)
{
    const Color red = Color::colorWithRed(1, 0, 0);
    EXPECT_EQ(hexOf(complementaryColor(red)), "00FFFF");
    auto triad = triadicColors(red);
    ASSERT_TRUE(triad);
    EXPECT_EQ(hexOf(triad->first), "00FF00");
    EXPECT_EQ(hexOf(triad->second), "0000FF");
    auto analogous = analogousColorsWithStepAngle(red, 30, 2);
    ASSERT_TRUE(analogous);
    ASSERT_EQ(analogous->size(), 2u);
    EXPECT_EQ(hexOf((*analogous)[1].first), "FFFF00");  // +60 degrees
    EXPECT_EQ(hexOf((*analogous)[1].second), "FF00FF"); // -60 degrees wraps to 300
    EXPECT_FALSE(triadicColors(kPattern));
}

TEST(ColorArithmetic, StringFormsRoundTripAndRejectMalformedText)
{
    EXPECT_EQ(stringFromColor(Color::colorWithWhite(0.5, 1)), "{0.500, 1.000}");
    EXPECT_EQ(stringFromColor(Color::colorWithRed(0.1, 0.2, 0.3, 0.4)), "{0.100, 0.200, 0.300, 0.400}");
    EXPECT_FALSE(stringFromColor(kPattern));

    EXPECT_EQ(colorWithString("{0.100, 0.200, 0.300, 0.400}"), Color::colorWithRed(0.1, 0.2, 0.3, 0.4));
    EXPECT_EQ(colorWithString("{0.5,1}"), Color::colorWithWhite(0.5, 1));
    for (const char* bad : {"", "{}", "{0.1, 0.2, 0.3}", "{0.1, 0.2} x", "0.1, 0.2}", "{0.1, 0.2", "{a, b}",
                            "{0.1, 0.2, 0.3, 0.4, 0.5}"})
        EXPECT_FALSE(colorWithString(bad)) << bad;
}

TEST(ColorArithmetic, RandomColoursRespectTheirMinimums)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        Color color = randomHSBColorWithMinSaturation(0.6, 0.8);
        EXPECT_GE(color.saturation(), 0.6 - 1e-9);
        EXPECT_GE(color.brightness(), 0.8 - 1e-9);
    }
}

TEST(ColorNameCache, LooksUpBothListsByExactName)
{
    EXPECT_EQ(hexOf(ColorNameCache::colorWithName("aqua")), "00FFFF");
    EXPECT_EQ(hexOf(ColorNameCache::colorWithName("grey")), "808080");
    EXPECT_FALSE(ColorNameCache::colorWithName("Aqua"));
    EXPECT_EQ(hexOf(ColorNameCache::crayonWithName("Antique Brass")), "CD9575");
    EXPECT_FALSE(ColorNameCache::crayonWithName("antique brass"));

    std::vector<std::string> names = ColorNameCache::namedColors();
    ASSERT_EQ(names.size(), 147u);
    EXPECT_EQ(names.front(), "aliceblue");
    std::vector<std::string> crayons = ColorNameCache::namedCrayons();
    EXPECT_EQ(crayons.size(), 134u);
    EXPECT_TRUE(std::is_sorted(crayons.begin(), crayons.end()));
}

TEST(ColorNameCache, RandomAndClosestNamesComeFromTheLists)
{
    std::vector<std::string> names = ColorNameCache::namedColors();
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::optional<std::string> name = closestColorName(ColorNameCache::randomNamedColor());
        ASSERT_TRUE(name);
        EXPECT_NE(std::find(names.begin(), names.end(), *name), names.end());
    }
    EXPECT_EQ(ColorNameCache::closestCrayonName(*ColorNameCache::crayonWithName("Wisteria")), "Wisteria");
    EXPECT_FALSE(ColorNameCache::closestCrayonName(kPattern));
}

} // namespace
} // namespace folio
