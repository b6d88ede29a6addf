#include "platform/text/AttributeKey.h"
#include "platform/text/AttributeDictionary.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace folio {
namespace {

TEST(AttributeKey, equalNamesMakeOneKeyWhereverTheNameComesFrom)
{
    const std::string heap = "TETableCellRightBoundary";
    const AttributeKey fromConstant(std::string_view("TETableCellRightBoundary"));
    const AttributeKey fromString(heap);
    const AttributeKey fromPointer("TETableCellRightBoundary");
    EXPECT_EQ(fromConstant, fromString);
    EXPECT_EQ(fromConstant, fromPointer);
    EXPECT_EQ(fromConstant.data(), fromString.data()) << "one name, kept once";
    EXPECT_EQ(fromConstant.str(), heap);
    EXPECT_EQ(fromConstant.hash(), std::hash<std::string>{}(heap));
    EXPECT_NE(AttributeKey("NSFont"), AttributeKey("NSFonts"));
    EXPECT_TRUE(AttributeKey().empty());
    EXPECT_EQ(AttributeKey(), AttributeKey(""));
}

TEST(AttributeKey, aBufferReusedForAnotherNameMakesTheOtherKey)
{
    // Keys are remembered by the address of the name they were made from:
    // a buffer that now holds another name must not answer the old key.
    std::string buffer = "TEIsBeginTableCell";
    const AttributeKey first(buffer);
    buffer.replace(0, buffer.size(), "TEIsEndTableCell12");
    const AttributeKey second(buffer);
    EXPECT_EQ(first, "TEIsBeginTableCell");
    EXPECT_EQ(second, "TEIsEndTableCell12");
    EXPECT_NE(first, second);
    char shortName[] = "abc";
    const AttributeKey abc(std::string_view(shortName, 3));
    shortName[2] = 'd';
    EXPECT_EQ(AttributeKey(std::string_view(shortName, 3)), "abd");
    EXPECT_EQ(AttributeKey(std::string_view(shortName, 2)), "ab");
    EXPECT_EQ(abc, "abc");
}

TEST(AttributeKey, keysOrderAndCompareAsTheirNames)
{
    EXPECT_LT(AttributeKey("NSFont"), AttributeKey("NSParagraphStyle"));
    EXPECT_LT(AttributeKey("CTForegroundColor"), AttributeKey("NSFont"));
    EXPECT_LT(AttributeKey("NS"), AttributeKey("NSFont")) << "a prefix comes first";
    EXPECT_GT(AttributeKey("b"), std::string_view("abc"));
    EXPECT_EQ(AttributeKey("NSLink"), std::string("NSLink"));
    EXPECT_EQ("key " + AttributeKey("NSLink"), "key NSLink");
    // A dictionary keeps its entries in the order of their names, however
    // the keys were made.
    AttributeDictionaryPtr dictionary = AttributeDictionary::make(
        {{std::string("b-key"), IntegerValue::make(2)}, {"a-key", IntegerValue::make(1)}, {"c", IntegerValue::make(3)}});
    std::vector<std::string> names;
    for (const auto& [key, value] : *dictionary)
        names.push_back(key);
    EXPECT_EQ(names, (std::vector<std::string>{"a-key", "b-key", "c"}));
}

TEST(AttributeKey, keysOfEveryLengthAndByteOrderExactlyAsTheirNames)
{
    // Names alike in their first eight bytes or shorter, bytes past 0x7f
    // (UTF-8), an embedded NUL and the empty name: each pair of keys must
    // order as the two names do, both ways round.
    const std::vector<std::string> names{
        "", "N", "NS", std::string("NS\0", 3), std::string("NS\0a", 4), "NSColor", "NSColorX", "NSColorXY",
        "NSColorXZ", "NSColorXY-longer", "NSParagraphStyle", "NSParagraphStyleB", "TETextLists", "Z", "z", "\x7f",
        "\x80", "\xc3\xa9t\xc3\xa9", "\xff\xff\xff\xff\xff\xff\xff\xff\x01"};
    auto sign = [](int order) { return (order > 0) - (order < 0); };
    for (const std::string& first : names) {
        for (const std::string& second : names) {
            const int expected = sign(std::string_view(first).compare(second));
            EXPECT_EQ(sign(AttributeKey(first).compare(AttributeKey(second))), expected)
                << testing::PrintToString(first) << " " << testing::PrintToString(second);
            EXPECT_EQ(AttributeKey(first) < AttributeKey(second), expected < 0);
        }
    }
}

TEST(AttributeKey, aDictionaryFindsEachOfItsKeysAndNoOtherName)
{
    // Sets of a few keys and of many, holding names alike in their first
    // eight bytes, shorter ones, bytes past 0x7f and an embedded NUL; every
    // other name of the list is absent from each.
    const std::vector<std::string> names{
        "", "N", "NS", std::string("NS\0", 3), std::string("NS\0a", 4), "NSColor", "NSColorX", "NSColorXY",
        "NSColorXZ", "NSColorXY-longer", "NSParagraphStyle", "NSParagraphStyleB", "TETextLists", "Z", "z", "\x7f",
        "\x80", "\xc3\xa9t\xc3\xa9", "\xff\xff\xff\xff\xff\xff\xff\xff\x01", "\xff\xff\xff\xff\xff\xff\xff\xff"};
    for (std::size_t step : {1, 2, 3, 5, 7}) {
        for (std::size_t offset = 0; offset < step; ++offset) {
            std::vector<AttributeDictionary::Entry> entries;
            for (std::size_t index = offset; index < names.size(); index += step)
                entries.emplace_back(AttributeKey(names[index]), IntegerValue::make(static_cast<std::int64_t>(index)));
            const AttributeDictionaryPtr dictionary = AttributeDictionary::make(entries);
            for (std::size_t index = 0; index < names.size(); ++index) {
                const bool present = index >= offset && (index - offset) % step == 0;
                const auto* value = dictionary->valueForKeyAs<IntegerValue>(names[index]);
                EXPECT_EQ(dictionary->containsKey(names[index]), present)
                    << testing::PrintToString(names[index]) << " step " << step << " offset " << offset;
                ASSERT_EQ(value != nullptr, present) << testing::PrintToString(names[index]);
                if (value)
                    EXPECT_EQ(value->value(), static_cast<std::int64_t>(index)) << testing::PrintToString(names[index]);
            }
        }
    }
}

TEST(AttributeKey, keysMadeOnManyThreadsAreTheSameKeys)
{
    constexpr int kThreads = 4;
    std::vector<std::vector<AttributeKey>> made(kThreads);
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back([&made, thread] {
            for (int index = 0; index < 200; ++index)
                made[thread].emplace_back("threaded-key-" + std::to_string(index));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int thread = 1; thread < kThreads; ++thread) {
        for (int index = 0; index < 200; ++index) {
            EXPECT_EQ(made[thread][index].data(), made[0][index].data()) << index;
            EXPECT_EQ(made[thread][index], "threaded-key-" + std::to_string(index));
        }
    }
}

} // namespace
} // namespace folio
