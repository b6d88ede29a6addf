#include "formats/rtf/DKRTFReaderState.h"
#include "formats/rtf/DKRTFReaderStateStack.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

AttributeDictionaryPtr someSet(bool bold)
{
    return AttributeDictionary::make({{AttributeKey("bold"), BoolValue::make(bold)}});
}

// A set built for one group must never reach another: a copy that kept it
// would give the copy's text the formatting of the group it came from.
TEST(DKRTFReaderStateTest, copiesKeepTheFormattingButNeverTheBuiltSet)
{
    DKRTFReaderState original;
    original.setBold(true);
    original.setFontSize(18);
    original.setCachedAttributes(someSet(true));

    const std::unique_ptr<DKRTFReaderState> copy = original.copy();
    EXPECT_TRUE(copy->bold());
    EXPECT_EQ(copy->fontSize(), 18);
    EXPECT_EQ(copy->cachedAttributes(), nullptr);
    EXPECT_NE(original.cachedAttributes(), nullptr);

    DKRTFReaderState reused;
    reused.setItalic(true);
    reused.setCachedAttributes(someSet(false));
    reused.assignCopyOf(original);
    EXPECT_TRUE(reused.bold());
    EXPECT_FALSE(reused.italic());
    EXPECT_EQ(reused.cachedAttributes(), nullptr);
    EXPECT_NE(original.cachedAttributes(), nullptr);

    // Assigning a state to itself is no change, its set included.
    original.assignCopyOf(original);
    EXPECT_NE(original.cachedAttributes(), nullptr);
}

TEST(DKRTFReaderStateTest, aClosedGroupReturnsToTheSavedStateAndItsSet)
{
    DKRTFReaderStateStack stack;
    stack.push();
    stack.current().setBold(true);
    const AttributeDictionaryPtr outer = someSet(true);
    stack.current().setCachedAttributes(outer);

    // Groups open and close many times; the states reused for them start
    // from the enclosing group, never from a group closed before.
    for (int round = 0; round < 3; ++round) {
        stack.push();
        EXPECT_TRUE(stack.current().bold());
        EXPECT_EQ(stack.current().cachedAttributes(), nullptr);
        stack.current().setItalic(true);
        stack.current().setCachedAttributes(someSet(false));
        stack.pop();
        EXPECT_FALSE(stack.current().italic());
        EXPECT_EQ(stack.current().cachedAttributes(), outer);
    }
}

} // namespace
} // namespace folio
