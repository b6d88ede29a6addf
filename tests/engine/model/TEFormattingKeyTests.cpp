#include "engine/model/TEFormattingKey.h"

#include "engine/model/TECSSListStyle.h"
#include "engine/model/TEParagraphStyle.h"
#include "engine/model/TETextBlock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace folio {
namespace {

std::string keyOf(const std::function<void(TEFormattingKey&)>& fill)
{
    TEFormattingKey key;
    fill(key);
    return key.takeBytes();
}

// Values that follow one another never run together: different values give
// different keys, however their bytes line up.
TEST(TEFormattingKey, differentSequencesOfValuesNeverPackAlike)
{
    EXPECT_NE(keyOf([](auto& k) { k.add(std::string_view("ab")); k.add(std::string_view("c")); }),
              keyOf([](auto& k) { k.add(std::string_view("a")); k.add(std::string_view("bc")); }));
    EXPECT_NE(keyOf([](auto& k) { k.add(std::optional<std::string>()); }),
              keyOf([](auto& k) { k.add(std::optional<std::string>("")); }));
    EXPECT_NE(keyOf([](auto& k) { k.add(Color::colorWithRed(1, 0, 0)); }),
              keyOf([](auto& k) { k.add(Color::colorWithRed(1, 0, 0.001)); }));
    EXPECT_NE(keyOf([](auto& k) { k.add(Color::colorWithWhite(1)); }),
              keyOf([](auto& k) { k.add(Color::colorWithRed(1, 1, 1)); }));
    EXPECT_NE(keyOf([](auto& k) { k.add(12.0); }), keyOf([](auto& k) { k.add(12.5); }));
    EXPECT_EQ(keyOf([](auto& k) { k.add(std::u16string_view(u"Georgia")); k.add(12.0); }),
              keyOf([](auto& k) { k.add(std::u16string_view(u"Georgia")); k.add(12.0); }));
}

// A key longer than the room made ahead keeps every byte.
TEST(TEFormattingKey, longKeysKeepEveryValue)
{
    const std::string longName(1000, 'x');
    const std::string key = keyOf([&](auto& k) {
        k.add(std::string_view(longName));
        k.add(7.0);
    });
    EXPECT_EQ(key.size(), sizeof(std::uint64_t) + longName.size() + sizeof(double));
    EXPECT_EQ(key.substr(sizeof(std::uint64_t), longName.size()), longName);
    EXPECT_NE(key, keyOf([&](auto& k) {
                  k.add(std::string_view(longName));
                  k.add(8.0);
              }));
}

// Every setting of a paragraph style shows in its key, and lists count by
// which list they are, not by how they look.
TEST(TEFormattingKey, paragraphStylesDifferingInAnySettingHaveDifferentKeys)
{
    auto keyOfStyle = [](const TEParagraphStyle& style) {
        return keyOf([&](auto& k) { style.addToFormattingKey(k); });
    };
    const TEParagraphStyle plain;
    const std::vector<std::function<void(TEParagraphStyle&)>> changes = {
        [](auto& s) { s.setFirstLineHeadIndent(1); },  [](auto& s) { s.setDefaultTabInterval(10); },
        [](auto& s) { s.setParagraphSpacingBefore(1); }, [](auto& s) { s.setParagraphSpacing(1); },
        [](auto& s) { s.setParagraphLineSpacing(2); },  [](auto& s) { s.setHeadIndent(1); },
        [](auto& s) { s.setTailIndent(-1); },           [](auto& s) { s.setLineHeightMultiple(1.5); },
        [](auto& s) { s.setMinimumLineHeight(3); },     [](auto& s) { s.setMaximumLineHeight(3); },
        [](auto& s) { s.setAlignment(TextAlignment::Center); },
        [](auto& s) { s.setBaseWritingDirection(WritingDirection::RightToLeft); },
        [](auto& s) { s.setTabStops(TEParagraphStyle::TabStops()); },
        [](auto& s) { s.addTabStopAtPosition(20, TextAlignment::Left); },
        [](auto& s) { s.setTextBlocks({TETextBlock::make(TEEdgeInsets{}, std::nullopt)}); },
    };
    std::vector<std::string> keys{keyOfStyle(plain)};
    for (const auto& change : changes) {
        TEParagraphStyle changed = plain;
        change(changed);
        keys.push_back(keyOfStyle(changed));
    }
    for (std::size_t a = 0; a < keys.size(); ++a) {
        for (std::size_t b = a + 1; b < keys.size(); ++b)
            EXPECT_NE(keys[a], keys[b]) << "settings " << a << " and " << b;
    }

    TEParagraphStyle inOne = plain;
    TEParagraphStyle inLookalike = plain;
    inOne.setTextLists({std::make_shared<TECSSListStyle>()});
    inLookalike.setTextLists({std::make_shared<TECSSListStyle>()});
    ASSERT_EQ(inOne, inLookalike);
    EXPECT_NE(keyOfStyle(inOne), keyOfStyle(inLookalike));
    TEParagraphStyle sameList = plain;
    sameList.setTextLists(inOne.textLists());
    EXPECT_EQ(keyOfStyle(sameList), keyOfStyle(inOne));
}

// The settings of a style, without its lists and blocks, key as a copy of it
// with none would: the platform style made from either is the same.
TEST(TEFormattingKey, settingsKeyIsTheKeyOfTheStyleWithoutListsAndBlocks)
{
    TEParagraphStyle style;
    style.setHeadIndent(12);
    style.addTabStopAtPosition(30, TextAlignment::Right);
    style.setTextLists({std::make_shared<TECSSListStyle>()});
    style.setTextBlocks({TETextBlock::make(TEEdgeInsets{}, std::nullopt)});
    TEParagraphStyle bare = style;
    bare.setTextLists({});
    bare.setTextBlocks({});
    EXPECT_EQ(keyOf([&](auto& k) { style.addSettingsToFormattingKey(k); }),
              keyOf([&](auto& k) { bare.addToFormattingKey(k); }));
    TEParagraphStyle indented = bare;
    indented.setHeadIndent(14);
    EXPECT_NE(keyOf([&](auto& k) { style.addSettingsToFormattingKey(k); }),
              keyOf([&](auto& k) { indented.addSettingsToFormattingKey(k); }));
}

// What a key shows while it is built is what it hands over, short or long.
TEST(TEFormattingKey, bytesSeenWhileBuildingAreTheBytesTaken)
{
    for (std::size_t length : {std::size_t{3}, std::size_t{240}, std::size_t{5000}}) {
        TEFormattingKey key;
        const std::string name(length, 'n');
        key.add(std::string_view(name));
        key.add(2.5);
        const std::string seen(key.bytes());
        EXPECT_EQ(seen.size(), sizeof(std::uint64_t) + length + sizeof(double));
        EXPECT_EQ(key.takeBytes(), seen);
        EXPECT_TRUE(key.bytes().empty());
    }
}

// Keys that differ in any one byte, in the last few as in the first, or
// only in their length, land apart; equal keys land alike.
TEST(TEFormattingKey, hashSeesEveryByteAndTheLength)
{
    const TEFormattingKeyHash hash;
    std::set<std::size_t> seen;
    std::size_t made = 0;
    for (std::size_t length = 0; length <= 40; ++length) {
        std::string key(length, '\0');
        EXPECT_EQ(hash(key), hash(std::string(length, '\0')));
        seen.insert(hash(key));
        ++made;
        for (std::size_t position = 0; position < length; ++position) {
            std::string changed = key;
            changed[position] = '\x01';
            seen.insert(hash(changed));
            ++made;
        }
    }
    EXPECT_EQ(seen.size(), made);
}

// A map of keys finds each key it holds by its bytes, however often it has
// grown since the key went in, and finds nothing for bytes it never held,
// even where they differ from a held key only in the last byte.
TEST(TEFormattingKey, mapFindsEveryKeyAfterGrowing)
{
    TEFormattingKeyMap<std::size_t> map;
    std::vector<std::string> keys;
    for (std::size_t index = 0; index < 2000; ++index) {
        keys.push_back(keyOf([&](auto& k) {
            k.add(std::string_view("font"));
            k.add(index);
        }));
        map.emplace(keys.back(), index);
    }
    ASSERT_EQ(map.size(), keys.size());
    for (std::size_t index = 0; index < keys.size(); ++index) {
        auto found = map.find(std::string_view(keys[index]));
        ASSERT_NE(found, map.end());
        EXPECT_EQ(found->second, index);
        EXPECT_EQ(found->first.bytes(), keys[index]);
        std::string missing = keys[index];
        missing.back() ^= '\x80';
        if (std::find(keys.begin(), keys.end(), missing) == keys.end())
            EXPECT_EQ(map.find(std::string_view(missing)), map.end());
    }
    EXPECT_EQ(map.find(std::string_view()), map.end());
}

// Two stored keys are the same only when their bytes are.
TEST(TEFormattingKey, storedKeysCompareByTheirBytes)
{
    const TEStoredFormattingKey key(std::string("abc"));
    EXPECT_EQ(key, TEStoredFormattingKey(std::string("abc")));
    EXPECT_FALSE(key == TEStoredFormattingKey(std::string("abd")));
    EXPECT_FALSE(key == TEStoredFormattingKey(std::string("ab")));
    EXPECT_EQ(key.hash(), TEFormattingKeyHash{}(std::string_view("abc")));
}

} // namespace
} // namespace folio
