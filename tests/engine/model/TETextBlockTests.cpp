#include "engine/model/TETextBlock.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(TETextBlock, equalityNeedsEqualPaddingAndColour)
{
    auto block = TETextBlock::make(TEEdgeInsets{1, 2, 3, 4}, Color::colorWithRed(1, 1, 0.8));
    auto same = TETextBlock::make(TEEdgeInsets{1, 2, 3, 4}, Color::colorWithRed(1, 1, 0.8));
    EXPECT_TRUE(block->isEqual(*same));
    EXPECT_EQ(block->hash(), same->hash());
    EXPECT_FALSE(block->isEqual(*TETextBlock::make(TEEdgeInsets{1, 2, 3, 5}, Color::colorWithRed(1, 1, 0.8))));
    EXPECT_FALSE(block->isEqual(*TETextBlock::make(TEEdgeInsets{2, 1, 3, 4}, Color::colorWithRed(1, 1, 0.8))));
    EXPECT_FALSE(block->isEqual(*TETextBlock::make(TEEdgeInsets{1, 2, 3, 4}, Color::colorWithRed(1, 1, 0.7))));
    EXPECT_FALSE(block->isEqual(*TETextBlock::make(TEEdgeInsets{1, 2, 3, 4}, std::nullopt)));
    EXPECT_FALSE(block->isEqual(*DoubleValue::make(1)));

    auto bare = TETextBlock::make(TEEdgeInsets{}, std::nullopt);
    EXPECT_TRUE(bare->isEqual(TETextBlock()));
    EXPECT_EQ(bare->hash(), TETextBlock().hash());
    EXPECT_EQ(TETextBlock(TEEdgeInsets{-0.0, 0, 0, 0}, std::nullopt).hash(), bare->hash());
}

TEST(TETextBlock, blocksInParagraphAttributesKeepTheirIdentity)
{
    auto outer = TETextBlock::make(TEEdgeInsets{8, 8, 8, 8}, Color::colorWithWhite(0.95));
    auto copy = TETextBlock::make(TEEdgeInsets{8, 8, 8, 8}, Color::colorWithWhite(0.95));
    auto first = ArrayValue::make({outer});
    auto second = ArrayValue::make({copy});
    EXPECT_TRUE(first->isEqual(*second));
    EXPECT_EQ(first->hash(), second->hash());
    EXPECT_EQ((*first)[0].get(), outer.get());
    EXPECT_NE((*second)[0].get(), outer.get());
}

} // namespace
} // namespace folio
