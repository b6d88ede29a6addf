#include "engine/model/TEShading.h"

#include <gtest/gtest.h>

#include <cmath>

namespace folio {
namespace {

long byte(double component) { return std::lround(component * 255); }

// The text the page and the attributes carry gives the same shading back,
// and a text that is damaged or shades nothing gives none, so that a page
// edited by hand cannot put a broken shading into a save.
TEST(TEShadingTests, itsTextGivesItBackAndDamagedTextGivesNone)
{
    TEShading lined{9, 1250, Color::colorWithRed(1, 0, 0), Color::colorWithRed(1, 1, 0)};
    EXPECT_EQ(lined.text(), "pattern=dkfdiag shading=1250 color=ff0000 fill=ffff00");
    EXPECT_EQ(TEShading::fromText(lined.text()), lined);
    TEShading fillOnly{0, 0, std::nullopt, Color::colorWithRed(0, 0, 1)};
    EXPECT_EQ(TEShading::fromText(fillOnly.text()), fillOnly);

    for (const char* damaged : {"", "shading=0", "pattern=zigzag", "shading=10001", "shading=-5", "shading=12x",
                                "color=zz0000 fill=ffffff", "fill", "width=3 fill=ffffff"})
        EXPECT_FALSE(TEShading::fromText(damaged).has_value()) << damaged;
}

// What a reader sees: the pattern colour's share over the fill, black over
// white where the document names no colours, and nothing for no shading.
TEST(TEShadingTests, itsLookMixesThePatternColourOverTheFill)
{
    const std::optional<Color> quarter = TEShading{0, 2500, Color::colorWithRed(1, 0, 0), Color::colorWithRed(1, 1, 0)}.look();
    ASSERT_TRUE(quarter);
    EXPECT_EQ(byte(quarter->red()), 255);
    EXPECT_EQ(byte(quarter->green()), 191);
    EXPECT_EQ(byte(quarter->blue()), 0);
    const std::optional<Color> grey = TEShading{0, 2000, std::nullopt, std::nullopt}.look();
    ASSERT_TRUE(grey);
    EXPECT_EQ(byte(grey->red()), 204);
    // Dark lines cover more than light ones.
    const double light = TEShading{1, 0, std::nullopt, std::nullopt}.look()->red();
    const double dark = TEShading{7, 0, std::nullopt, std::nullopt}.look()->red();
    EXPECT_LT(dark, light);
    EXPECT_FALSE(TEShading{}.look().has_value());
}

} // namespace
} // namespace folio
