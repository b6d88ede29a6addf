#include "engine/model/TEAttributeDictionaryPool.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TETextBlock.h"
#include "platform/graphics/Color.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

AttributeDictionaryPtr formatting(double kern, const AttributeValuePtr& blocks = nullptr)
{
    std::vector<AttributeDictionary::Entry> entries;
    entries.emplace_back(kCTKernAttributeName, DoubleValue::make(kern));
    entries.emplace_back(kCTForegroundColorAttributeName, ColorValue::make(Color::colorWithRed(1, 0, 0)));
    entries.emplace_back(TETextBlocksAttribute, blocks);
    return AttributeDictionary::make(std::move(entries));
}

// Runs of the same formatting, each made on its own, end up holding one
// dictionary; other formatting keeps its own.
TEST(TEAttributeDictionaryPool, equalFormattingSharesOneDictionaryAndOtherFormattingStaysApart)
{
    TEAttributeDictionaryPool pool;
    AttributeDictionaryPtr first = pool.sharedDictionary(formatting(1));
    AttributeDictionaryPtr again = formatting(1);
    ASSERT_NE(first.get(), again.get());
    EXPECT_EQ(pool.sharedDictionary(again).get(), first.get());

    AttributeDictionaryPtr other = formatting(2);
    EXPECT_EQ(pool.sharedDictionary(other).get(), other.get());
    EXPECT_EQ(pool.sharedDictionary(formatting(2)).get(), other.get());
    EXPECT_EQ(pool.count(), 2u);
    EXPECT_EQ(pool.sharedDictionary(nullptr), nullptr);
}

// Two blocks (or lists) that look alike are still two: paragraphs in the one
// must not come out in the other because their dictionaries were shared.
TEST(TEAttributeDictionaryPool, equalLookingBlocksKeepTheirOwnDictionaries)
{
    auto block = TETextBlock::make(TEEdgeInsets{8, 8, 8, 8}, Color::colorWithWhite(0.95));
    auto lookalike = TETextBlock::make(TEEdgeInsets{8, 8, 8, 8}, Color::colorWithWhite(0.95));
    TEAttributeDictionaryPool pool;
    AttributeDictionaryPtr inBlock = pool.sharedDictionary(formatting(1, ArrayValue::make({block})));
    AttributeDictionaryPtr inLookalike = formatting(1, ArrayValue::make({lookalike}));
    ASSERT_TRUE(inBlock->isEqual(*inLookalike));
    EXPECT_FALSE(TEAttributeDictionaryPool::holdTheSame(*inBlock, *inLookalike));
    EXPECT_EQ(pool.sharedDictionary(inLookalike).get(), inLookalike.get());

    // A new array of the same block is the same formatting.
    EXPECT_EQ(pool.sharedDictionary(formatting(1, ArrayValue::make({block}))).get(), inBlock.get());
    // Another block beside it is not.
    EXPECT_NE(pool.sharedDictionary(formatting(1, ArrayValue::make({block, lookalike}))).get(), inBlock.get());
}

// Formatting found by its key is made once; a new key whose dictionary
// holds the same as one pooled before still answers the pooled one.
TEST(TEAttributeDictionaryPool, formattingFoundByKeyIsMadeOnceAndStillPooledByContent)
{
    TEAttributeDictionaryPool pool;
    int made = 0;
    auto make = [&made](double kern) {
        return [&made, kern] {
            ++made;
            return formatting(kern);
        };
    };
    AttributeDictionaryPtr first = pool.sharedDictionary("one", make(1));
    EXPECT_EQ(pool.sharedDictionary("one", make(1)).get(), first.get());
    EXPECT_EQ(made, 1);

    // Another key of the same formatting: made once, then pooled with the first.
    EXPECT_EQ(pool.sharedDictionary("same as one", make(1)).get(), first.get());
    EXPECT_EQ(made, 2);
    EXPECT_EQ(pool.sharedDictionary(formatting(1)).get(), first.get());

    AttributeDictionaryPtr other = pool.sharedDictionary("two", make(2));
    EXPECT_NE(other.get(), first.get());
    EXPECT_EQ(pool.count(), 2u);
}

// A value found by its key is made once and then shared; another key makes
// its own, even when it would hold the same.
TEST(TEAttributeDictionaryPool, valuesFoundByKeyAreMadeOnce)
{
    TEAttributeDictionaryPool pool;
    int made = 0;
    auto red = [&made] {
        ++made;
        return ColorValue::make(Color::colorWithRed(1, 0, 0));
    };
    AttributeValuePtr first = pool.sharedValue("red", red);
    EXPECT_EQ(pool.sharedValue("red", red).get(), first.get());
    EXPECT_EQ(made, 1);
    AttributeValuePtr other = pool.sharedValue("also red", red);
    EXPECT_NE(other.get(), first.get());
    EXPECT_TRUE(other->isEqual(*first));
    EXPECT_EQ(made, 2);
    EXPECT_EQ(pool.sharedValue("none", [] { return AttributeValuePtr(); }), nullptr);
}

// A rule meets each dictionary object once: what it made is answered again
// for that object, while another object, however alike, or another rule,
// makes its own. The pool keeps the object it was made from.
TEST(TEAttributeDictionaryPool, derivedDictionariesAreMadeOncePerRuleAndObject)
{
    TEAttributeDictionaryPool pool;
    int made = 0;
    auto withoutKern = [&made](const AttributeDictionaryPtr& source) {
        return [&made, source] {
            ++made;
            return source->dictionaryByRemovingKey(kCTKernAttributeName);
        };
    };
    AttributeDictionaryPtr source = formatting(1);
    std::weak_ptr<const AttributeDictionary> watched = source;
    AttributeDictionaryPtr derived = pool.derivedDictionary("no kern", source, withoutKern(source));
    EXPECT_FALSE(derived->containsKey(kCTKernAttributeName));
    EXPECT_EQ(pool.derivedDictionary("no kern", source, withoutKern(source)).get(), derived.get());
    EXPECT_EQ(made, 1);

    AttributeDictionaryPtr alike = formatting(1);
    EXPECT_NE(pool.derivedDictionary("no kern", alike, withoutKern(alike)).get(), derived.get());
    EXPECT_EQ(made, 2);
    EXPECT_NE(pool.derivedDictionary("other rule", source, withoutKern(source)).get(), derived.get());
    EXPECT_EQ(made, 3);

    source.reset();
    EXPECT_FALSE(watched.expired());
}

} // namespace
} // namespace folio
