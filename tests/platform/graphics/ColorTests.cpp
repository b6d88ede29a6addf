#include "platform/graphics/Color.h"

#include <gtest/gtest.h>

#include <utility>

namespace folio {
namespace {

TEST(ColorComponents, rgbAndMonochromeKeepTheirSpaceAndComponents)
{
    Color orange = Color::colorWithRed(1, 0.5, 0, 0.25);
    EXPECT_EQ(orange.colorSpace(), ColorSpace::RGB);
    EXPECT_EQ(orange.components(), (std::vector<double>{1, 0.5, 0, 0.25}));
    EXPECT_DOUBLE_EQ(orange.green(), 0.5);
    EXPECT_DOUBLE_EQ(orange.alpha(), 0.25);

    Color grey = Color::colorWithWhite(0.5, 0.75);
    EXPECT_EQ(grey.colorSpace(), ColorSpace::Monochrome);
    EXPECT_EQ(grey.numberOfComponents(), 2u);
    double red = -1, green = -1, blue = -1, alpha = -1;
    ASSERT_TRUE(grey.getRed(&red, &green, &blue, &alpha));
    EXPECT_DOUBLE_EQ(red, 0.5);
    EXPECT_DOUBLE_EQ(green, 0.5);
    EXPECT_DOUBLE_EQ(blue, 0.5);
    EXPECT_DOUBLE_EQ(alpha, 0.75);
    EXPECT_DOUBLE_EQ(grey.white(), 0.5);
}

TEST(ColorComponents, otherSpacesGiveNoRgbAndWriteNothing)
{
    Color cmyk = Color::colorWithOtherComponents({0.1, 0.2, 0.3, 0.4, 0.9});
    EXPECT_FALSE(cmyk.canProvideRGBComponents());
    double red = -1;
    EXPECT_FALSE(cmyk.getRed(&red, nullptr, nullptr, nullptr));
    EXPECT_EQ(red, -1);
    EXPECT_DOUBLE_EQ(cmyk.alpha(), 0.9);
    EXPECT_DOUBLE_EQ(Color::colorWithOtherComponents({}).alpha(), 1.0);
}

TEST(ColorComponents, componentsAreNotClamped)
{
    Color extended = Color::colorWithRed(300.0 / 255, -0.5, 0);
    EXPECT_DOUBLE_EQ(extended.red(), 300.0 / 255);
    EXPECT_DOUBLE_EQ(extended.green(), -0.5);
}

TEST(ColorHueSaturationBrightness, convertsBothWays)
{
    struct Case {
        double red, green, blue, hue, saturation, brightness;
    };
    for (const Case& c : {Case{1, 0, 0, 0, 1, 1}, Case{0, 1, 0, 1.0 / 3, 1, 1}, Case{0, 0, 1, 2.0 / 3, 1, 1},
                          Case{1, 0, 1, 5.0 / 6, 1, 1}, Case{0.5, 0.25, 0.25, 0, 0.5, 0.5}, Case{0.2, 0.2, 0.2, 0, 0, 0.2}}) {
        SCOPED_TRACE(testing::Message() << c.red << "," << c.green << "," << c.blue);
        Color color = Color::colorWithRed(c.red, c.green, c.blue);
        EXPECT_NEAR(color.hue(), c.hue, 1e-12);
        EXPECT_NEAR(color.saturation(), c.saturation, 1e-12);
        EXPECT_NEAR(color.brightness(), c.brightness, 1e-12);
        Color back = Color::colorWithHue(c.hue, c.saturation, c.brightness);
        EXPECT_NEAR(back.red(), c.red, 1e-12);
        EXPECT_NEAR(back.green(), c.green, 1e-12);
        EXPECT_NEAR(back.blue(), c.blue, 1e-12);
    }
    // A full turn is red again.
    EXPECT_NEAR(Color::colorWithHue(1.0, 1, 1).red(), 1, 1e-12);
    EXPECT_NEAR(Color::colorWithHue(1.0, 1, 1).blue(), 0, 1e-12);
}

TEST(ColorEquality, dependsOnSpaceAndComponents)
{
    EXPECT_EQ(Color::colorWithRed(1, 0, 0), Color::colorWithRed(1, 0, 0, 1));
    EXPECT_EQ(Color::colorWithRed(1, 0, 0).hash(), Color::colorWithRed(1, 0, 0, 1).hash());
    EXPECT_NE(Color::colorWithRed(1, 0, 0), Color::colorWithRed(1, 0, 0, 0.5));
    EXPECT_NE(Color::colorWithWhite(0.5), Color::colorWithRed(0.5, 0.5, 0.5));
    EXPECT_EQ(Color::colorWithWhite(0.0).hash(), Color::colorWithWhite(-0.0).hash());
    EXPECT_EQ(Color(), Color::colorWithRed(0, 0, 0));
    EXPECT_EQ(Color::colorWithRed(1, 0, 0).colorWithAlphaComponent(0.5), Color::colorWithRed(1, 0, 0, 0.5));
}

TEST(ColorCopies, copiesAndMovesLeaveEveryColourWhole)
{
    Color orange = Color::colorWithRed(1, 0.5, 0, 0.25);
    Color copy = orange;
    Color moved = std::move(copy);
    // A colour moved from is still a colour, with the components it had.
    EXPECT_EQ(copy, orange);
    EXPECT_EQ(copy.numberOfComponents(), 4u);
    EXPECT_EQ(moved, orange);

    Color assigned;
    assigned = std::move(moved);
    EXPECT_EQ(moved, orange);
    EXPECT_EQ(assigned.hash(), orange.hash());

    // Deriving from a copy leaves the colours it was copied from as they were.
    Color faded = assigned.colorWithAlphaComponent(1);
    EXPECT_DOUBLE_EQ(faded.alpha(), 1);
    EXPECT_DOUBLE_EQ(orange.alpha(), 0.25);
    EXPECT_DOUBLE_EQ(assigned.alpha(), 0.25);

    // Default colours share nothing a later colour could change.
    Color black;
    Color other;
    other = Color::colorWithWhite(1);
    EXPECT_EQ(black, Color::colorWithRed(0, 0, 0, 1));
    EXPECT_EQ(Color(), Color::colorWithRed(0, 0, 0, 1));
    EXPECT_EQ(other.colorSpace(), ColorSpace::Monochrome);
}

} // namespace
} // namespace folio
