#include "platform/graphics/Color.h"
#include "webeditor/StyleValueRules.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(StyleValueRulesTest, lineSpacingsBecomeMultiplesOfTheFontSize)
{
    EXPECT_DOUBLE_EQ(StyleValueRules::convertLineSpacing(500, 12), 1.0);
    EXPECT_DOUBLE_EQ(StyleValueRules::convertLineSpacing(0, 12), 1.0);
    EXPECT_DOUBLE_EQ(StyleValueRules::convertLineSpacing(4.5, 12), 4.5);
    EXPECT_DOUBLE_EQ(StyleValueRules::convertLineSpacing(16, 12), 1.3);
    EXPECT_DOUBLE_EQ(StyleValueRules::convertLineSpacing(16, 0), 1.0) << "no division by a zero size";
}

TEST(StyleValueRulesTest, coloursAreEqualWithinTheTolerance)
{
    Color a = Color::colorWithRed(0.2, 0.4, 0.6, 1.0);
    Color b = Color::colorWithRed(0.2, 0.4, 0.6, 0.8);
    EXPECT_TRUE(StyleValueRules::colorsEqual(a, b, 0.2));
    EXPECT_FALSE(StyleValueRules::colorsEqual(a, b, 0.1));
    EXPECT_FALSE(StyleValueRules::colorsEqual(a, Color::colorWithRed(0.5, 0.4, 0.6, 1.0), 0.2));
}

} // namespace
} // namespace folio
