#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(FontAttributeValueTests, comparesByTheFontAsked)
{
    auto catalog = std::make_shared<FakeFontCatalog>();
    Font georgia = *Font::fontWithName("Georgia", 12, catalog);
    auto a = FontAttributeValue::make(georgia);
    auto b = FontAttributeValue::make(*Font::fontWithName("Georgia", 12, catalog));
    EXPECT_TRUE(attributeValuesEqual(a, b));
    EXPECT_EQ(a->hash(), b->hash());
    EXPECT_FALSE(a->isEqual(*FontAttributeValue::make(georgia.copyWithSize(13))));
    EXPECT_FALSE(a->isEqual(*FontAttributeValue::make(*Font::fontWithName("Georgia-Bold", 12, catalog))));
    EXPECT_FALSE(a->isEqual(*DoubleValue::make(12)));
    EXPECT_EQ(a->as<FontAttributeValue>()->font().postScriptName(), "Georgia");
    EXPECT_EQ(a->typeName(), "font");
}

} // namespace
} // namespace folio
