#include "platform/text/AttributedStringQueries.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// "aa" red, "bb" no colour, "cc" blue, "dd" red again, with a second key that
// splits the blue run in two stored runs.
MutableAttributedString sample()
{
    MutableAttributedString string(u"aabbccdd");
    auto red = ColorValue::make(Color::colorWithRed(1, 0, 0));
    auto blue = ColorValue::make(Color::colorWithRed(0, 0, 1));
    EXPECT_TRUE(string.addAttribute("color", red, Range{0, 2}));
    EXPECT_TRUE(string.addAttribute("color", blue, Range{4, 2}));
    EXPECT_TRUE(string.addAttribute("color", ColorValue::make(Color::colorWithRed(1, 0, 0)), Range{6, 2}));
    EXPECT_TRUE(string.addAttribute("bold", BoolValue::make(true), Range{5, 1}));
    return string;
}

std::vector<std::string> describe(const std::vector<AttributeValuePtr>& values)
{
    std::vector<std::string> names;
    for (const AttributeValuePtr& value : values) {
        if (!value)
            names.push_back("null");
        else if (const auto* color = value->as<ColorValue>())
            names.push_back(color->color().red() == 1 ? "red" : "blue");
        else
            names.push_back(std::string(value->typeName()));
    }
    return names;
}

TEST(AttributedStringValuesOfAttribute, valuesOfAttributeAnswersEachDistinctValueOnceWithANullMarker)
{
    MutableAttributedString string = sample();
    auto all = valuesOfAttribute(string, "color", Range{0, 8});
    ASSERT_TRUE(all);
    EXPECT_EQ(describe(*all), (std::vector<std::string>{"red", "null", "blue"}));

    auto inside = valuesOfAttribute(string, "color", Range{4, 4});
    ASSERT_TRUE(inside);
    EXPECT_EQ(describe(*inside), (std::vector<std::string>{"blue", "red"}));

    auto empty = valuesOfAttribute(string, "color", Range{3, 0});
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
}

TEST(AttributedStringValuesOfAttribute, allValuesOfAttributeAnswersOneValuePerRunInTextOrder)
{
    MutableAttributedString string = sample();
    auto values = allValuesOfAttribute(string, "color", Range{1, 7});
    ASSERT_TRUE(values);
    // The bold character splits the blue stretch into two runs.
    EXPECT_EQ(describe(*values), (std::vector<std::string>{"red", "null", "blue", "blue", "red"}));
}

TEST(AttributedStringValuesOfAttribute, rangesOutsideTheTextAreErrors)
{
    MutableAttributedString string = sample();
    EXPECT_FALSE(valuesOfAttribute(string, "color", Range{6, 3}));
    EXPECT_FALSE(allValuesOfAttribute(string, "color", Range{9, 0}));
    EXPECT_FALSE(allValuesOfAttribute(string, "color", Range{NotFound, 1}));
}

TEST(AttributedStringValuesOfAttribute, appendStringContinuesTheAttributesOfTheLastCharacter)
{
    MutableAttributedString string = sample();
    appendString(string, u"ee");
    EXPECT_EQ(string.string(), u"aabbccddee");
    auto values = allValuesOfAttribute(string, "color", Range{6, 4});
    ASSERT_TRUE(values);
    EXPECT_EQ(describe(*values), (std::vector<std::string>{"red"}));

    MutableAttributedString empty;
    appendString(empty, u"x");
    EXPECT_EQ(empty.string(), u"x");
    EXPECT_TRUE(empty.attributesAtIndex(0)->isEmpty());
}

} // namespace
} // namespace folio
