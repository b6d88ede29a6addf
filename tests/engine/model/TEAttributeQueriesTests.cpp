#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEAttributeQueries.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class TEAttributeQueriesTest : public ::testing::Test {
protected:
    AttributeDictionaryPtr withFont(const std::string& name, double size)
    {
        std::optional<Font> font = Font::fontWithName(name, size, m_catalog);
        EXPECT_TRUE(font) << name;
        if (!font)
            return AttributeDictionary::empty();
        return AttributeDictionary::make({{std::string(kCTFontAttributeName), FontAttributeValue::make(*font)}});
    }

    static AttributeDictionaryPtr with(std::string_view key, AttributeValuePtr value)
    {
        return AttributeDictionary::make({{std::string(key), std::move(value)}});
    }

    std::shared_ptr<FakeFontCatalog> m_catalog = std::make_shared<FakeFontCatalog>();
    const AttributeDictionary& m_empty = *AttributeDictionary::empty();
};

TEST_F(TEAttributeQueriesTest, fontQueriesReadTheRunsFont)
{
    AttributeDictionaryPtr boldItalic = withFont("Georgia-BoldItalic", 12);
    std::optional<TEFontDescriptor> descriptor = TEAttributeQueries::fontDescriptor(*boldItalic);
    ASSERT_TRUE(descriptor);
    EXPECT_EQ(descriptor->pointSize(), 18);
    // A face name that marks a style stands for its family.
    EXPECT_EQ(descriptor->fontFamily(), "Georgia-BoldItalic");
    EXPECT_TRUE(TEAttributeQueries::isBold(*boldItalic));
    EXPECT_TRUE(TEAttributeQueries::isItalic(*boldItalic));

    AttributeDictionaryPtr regular = withFont("Georgia", 12);
    EXPECT_FALSE(TEAttributeQueries::isBold(*regular));
    EXPECT_FALSE(TEAttributeQueries::isItalic(*regular));

    EXPECT_FALSE(TEAttributeQueries::fontDescriptor(m_empty));
    EXPECT_FALSE(TEAttributeQueries::isBold(m_empty));
    // A value of the wrong kind under the font key is no font.
    EXPECT_FALSE(TEAttributeQueries::fontDescriptor(*with(kCTFontAttributeName, StringValue::make(u"Georgia"))));
}

TEST_F(TEAttributeQueriesTest, flagsAndLevels)
{
    EXPECT_TRUE(TEAttributeQueries::isUnderline(*with(kCTUnderlineStyleAttributeName, IntegerValue::make(1))));
    EXPECT_FALSE(TEAttributeQueries::isUnderline(*with(kCTUnderlineStyleAttributeName, IntegerValue::make(0))));
    EXPECT_FALSE(TEAttributeQueries::isUnderline(m_empty));
    EXPECT_TRUE(TEAttributeQueries::isStrikethrough(*with(TEStrikeOutAttribute, BoolValue::make(true))));
    EXPECT_FALSE(TEAttributeQueries::isStrikethrough(*with(TEStrikeOutAttribute, BoolValue::make(false))));
    EXPECT_FALSE(TEAttributeQueries::isStrikethrough(m_empty));
    EXPECT_EQ(TEAttributeQueries::headerLevel(*with(TEHeaderLevelAttribute, IntegerValue::make(3))), 3);
    EXPECT_EQ(TEAttributeQueries::headerLevel(m_empty), 0);
    EXPECT_TRUE(TEAttributeQueries::hasAttachment(*with("NSAttachment", StringValue::make(u"x"))));
    EXPECT_FALSE(TEAttributeQueries::hasAttachment(*with(TELinkAttribute, URLValue::make("a.html"))));
}

TEST_F(TEAttributeQueriesTest, paragraphStyleComesFromThePlatformStyle)
{
    TEParagraphStyle style;
    style.setAlignment(TextAlignment::Right);
    style.setHeadIndent(12);
    AttributeDictionaryPtr attributes =
        with(kCTParagraphStyleAttributeName, ParagraphStyleValue::make(style.createCTParagraphStyle()));
    std::optional<TEParagraphStyle> read = TEAttributeQueries::paragraphStyle(*attributes);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, style);
    EXPECT_FALSE(TEAttributeQueries::paragraphStyle(m_empty));
}

TEST_F(TEAttributeQueriesTest, coloursAndTheirDefaults)
{
    Color black = Color::colorWithWhite(0);
    EXPECT_EQ(TEAttributeQueries::foregroundColor(m_empty), black);
    Color red = Color::colorWithRed(1, 0, 0, 0.5);
    EXPECT_EQ(TEAttributeQueries::foregroundColor(*with(kCTForegroundColorAttributeName, ColorValue::make(red))), red);
    Color cmyk = Color::colorWithOtherComponents({0.1, 0.2, 0.3, 0.4, 1});
    EXPECT_EQ(TEAttributeQueries::foregroundColor(*with(kCTForegroundColorAttributeName, ColorValue::make(cmyk))),
              black);
    Color noComponents = Color::colorWithOtherComponents({});
    EXPECT_EQ(
        TEAttributeQueries::foregroundColor(*with(kCTForegroundColorAttributeName, ColorValue::make(noComponents))),
        black);

    EXPECT_EQ(TEAttributeQueries::backgroundColor(m_empty), std::nullopt);
    Color yellow = Color::colorWithRed(1, 1, 0);
    EXPECT_EQ(TEAttributeQueries::backgroundColor(*with(NSBackgroundColorAttributeName, ColorValue::make(yellow))),
              yellow);
    EXPECT_EQ(TEAttributeQueries::backgroundStrokeColor(m_empty), std::nullopt);
    EXPECT_EQ(
        TEAttributeQueries::backgroundStrokeColor(*with(TEBackgroundStrokeColorAttribute, ColorValue::make(red))),
        red);
}

TEST_F(TEAttributeQueriesTest, numbersReadAsFloatsWithZeroWhenAbsent)
{
    EXPECT_EQ(TEAttributeQueries::kerning(*with(kCTKernAttributeName, DoubleValue::make(1.5))), 1.5);
    EXPECT_EQ(TEAttributeQueries::kerning(*with(kCTKernAttributeName, IntegerValue::make(-2))), -2);
    EXPECT_EQ(TEAttributeQueries::kerning(m_empty), 0);
    EXPECT_EQ(TEAttributeQueries::backgroundStrokeWidth(*with(TEBackgroundStrokeWidthAttribute, DoubleValue::make(2))),
              2);
    EXPECT_EQ(TEAttributeQueries::backgroundStrokeWidth(m_empty), 0);
    EXPECT_EQ(
        TEAttributeQueries::backgroundCornerRadius(*with(TEBackgroundCornerRadiusAttribute, DoubleValue::make(6))), 6);
    EXPECT_EQ(TEAttributeQueries::backgroundCornerRadius(m_empty), 0);
}

} // namespace
} // namespace folio
