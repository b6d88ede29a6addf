#include "platform/text/AttributeDictionaryAccess.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace folio {
namespace {

AttributeDictionaryPtr dictionaryWith(AttributeValuePtr value)
{
    return AttributeDictionary::make({{"key", std::move(value)}});
}

TEST(AttributeDictionaryAccess, readsNumbersOfEveryNumericKind)
{
    EXPECT_EQ(intForKey(*dictionaryWith(IntegerValue::make(-42)), "key", 7), -42);
    EXPECT_EQ(intForKey(*dictionaryWith(DoubleValue::make(12.9)), "key", 7), 12);
    EXPECT_EQ(intForKey(*dictionaryWith(DoubleValue::make(-12.9)), "key", 7), -12);
    EXPECT_EQ(intForKey(*dictionaryWith(BoolValue::make(true)), "key", 7), 1);
    EXPECT_EQ(intForKey(*dictionaryWith(StringValue::make(u" 315twips")), "key", 7), 315);
    EXPECT_EQ(unsignedIntForKey(*dictionaryWith(IntegerValue::make(4000000000LL)), "key", 7), 4000000000u);
    EXPECT_EQ(unsignedIntForKey(*dictionaryWith(StringValue::make(u"12")), "key", 7), 12u);
}

TEST(AttributeDictionaryAccess, answersTheDefaultForAbsentForeignAndUnrepresentableValues)
{
    EXPECT_EQ(intForKey(*AttributeDictionary::empty(), "key", 7), 7);
    EXPECT_EQ(intForKey(*dictionaryWith(ColorValue::make(Color())), "key", 7), 7);
    EXPECT_EQ(intForKey(*dictionaryWith(IntegerValue::make(1LL << 40)), "key", 7), 7);
    EXPECT_EQ(intForKey(*dictionaryWith(DoubleValue::make(std::numeric_limits<double>::quiet_NaN())), "key", 7), 7);
    EXPECT_EQ(intForKey(*dictionaryWith(DoubleValue::make(1e300)), "key", 7), 7);
    EXPECT_EQ(unsignedIntForKey(*dictionaryWith(IntegerValue::make(-1)), "key", 7), 7u);
    EXPECT_EQ(unsignedIntForKey(*dictionaryWith(URLValue::make("http://a")), "key", 7), 7u);
}

TEST(AttributeDictionaryAccess, stringForKeyAnswersOnlyStrings)
{
    EXPECT_EQ(stringForKey(*dictionaryWith(StringValue::make(u"TEField")), "key"), u"TEField");
    EXPECT_EQ(stringForKey(*dictionaryWith(StringValue::make(u"")), "key"), u"");
    EXPECT_EQ(stringForKey(*dictionaryWith(IntegerValue::make(1)), "key"), std::nullopt);
    EXPECT_EQ(stringForKey(*AttributeDictionary::empty(), "key"), std::nullopt);
}

TEST(AttributeDictionaryAccess, settingReplacesTheDictionaryAndLeavesTheOldOneAlone)
{
    AttributeDictionaryPtr original = dictionaryWith(StringValue::make(u"kept"));
    AttributeDictionaryPtr dictionary = original;
    setIntValue(dictionary, -3, "width");
    setUnsignedIntValue(dictionary, 4000000000u, "boundary");
    EXPECT_EQ(intForKey(*dictionary, "width", 0), -3);
    EXPECT_EQ(unsignedIntForKey(*dictionary, "boundary", 0), 4000000000u);
    EXPECT_EQ(stringForKey(*dictionary, "key"), u"kept");
    EXPECT_FALSE(original->containsKey("width"));

    AttributeDictionaryPtr none;
    setIntValue(none, 5, "width");
    ASSERT_TRUE(none);
    EXPECT_EQ(intForKey(*none, "width", 0), 5);
}

// Sets small and large (looked through and searched), holding names that
// share their first bytes, their length or their last letter with names
// they do not hold: each held name is found with its value, no other one.
TEST(AttributeDictionaryAccess, findsEveryHeldKeyAndNoOther)
{
    const std::vector<std::string> held = {"", "a", "TEParagraphShading", "TEParagraphBorders", "NSColor", "NSColour",
                                           "NSFont", "key0", "key1", "key2", "key3", "key4", "key5", "key6", "key7",
                                           "key8", "key9", "keyA", "keyB", "keyC"};
    const std::vector<std::string> absent = {"b", "aa", "TEParagraphShadinG", "TEParagraphFrame", "NSColors",
                                             "NSFonts", "key", "keyD", "key10", "zzzzzzzzzzzzzzzzzzzz"};
    for (const std::size_t count : {std::size_t(2), std::size_t(7), held.size()}) {
        std::vector<AttributeDictionary::Entry> entries;
        for (std::size_t index = 0; index < count; ++index)
            entries.emplace_back(held[index], IntegerValue::make(static_cast<std::int64_t>(index)));
        const AttributeDictionaryPtr dictionary = AttributeDictionary::make(entries);
        for (std::size_t index = 0; index < held.size(); ++index) {
            SCOPED_TRACE(count);
            SCOPED_TRACE(held[index]);
            EXPECT_EQ(dictionary->containsKey(held[index]), index < count);
            EXPECT_EQ(intForKey(*dictionary, held[index], -1), index < count ? int(index) : -1);
        }
        for (const std::string& name : absent)
            EXPECT_FALSE(dictionary->containsKey(name)) << name << " in a set of " << count;
    }
}

} // namespace
} // namespace folio
