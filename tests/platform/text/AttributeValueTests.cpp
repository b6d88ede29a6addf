#include "platform/text/AttributeDictionary.h"
#include "platform/text/AttributeValue.h"
#include "platform/text/PlatformParagraphStyle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

namespace folio {
namespace {

// A value kind from a higher layer, made the way the engine makes its own.
class ListMarkerValue final : public AttributeValue {
public:
    explicit ListMarkerValue(int level) : m_level(level) {}
    bool isEqual(const AttributeValue& other) const override
    {
        const auto* marker = other.as<ListMarkerValue>();
        return marker && marker->m_level == m_level;
    }
    std::size_t hash() const override { return static_cast<std::size_t>(m_level); }
    std::string_view typeName() const override { return "listMarker"; }

private:
    int m_level;
};

TEST(AttributeValues, equalValuesOfOneKindAreEqualAndHashAlike)
{
    std::vector<std::pair<AttributeValuePtr, AttributeValuePtr>> pairs = {
        {BoolValue::make(true), std::make_shared<BoolValue>(true)},
        {IntegerValue::make(7), IntegerValue::make(7)},
        {DoubleValue::make(0.0), DoubleValue::make(-0.0)},
        {StringValue::make(u"TEField"), StringValue::make(u"TEField")},
        {URLValue::make("file:///a.png"), URLValue::make("file:///a.png")},
        {ColorValue::make(Color::colorWithRed(1, 0.5, 0)), ColorValue::make(Color::colorWithRed(1, 0.5, 0))},
        {StringMapValue::make({{"class", u"x"}}), StringMapValue::make({{"class", u"x"}})},
        {SizeValue::make(Size{2, 3}), SizeValue::make(Size{2, 3})},
        {ShadowValue::make(Size{1, 1}, 2, Color()), ShadowValue::make(Size{1, 1}, 2, Color())},
        {ParagraphStyleValue::make(PlatformParagraphStyle()), ParagraphStyleValue::make(PlatformParagraphStyle())},
    };
    for (const auto& [a, b] : pairs) {
        SCOPED_TRACE(std::string(a->typeName()));
        EXPECT_TRUE(a->isEqual(*b));
        EXPECT_TRUE(b->isEqual(*a));
        EXPECT_EQ(a->hash(), b->hash());
    }
}

TEST(AttributeValues, differentValuesAndKindsAreUnequal)
{
    EXPECT_FALSE(IntegerValue::make(1)->isEqual(*BoolValue::make(true)));
    EXPECT_FALSE(IntegerValue::make(1)->isEqual(*DoubleValue::make(1.0)));
    EXPECT_FALSE(StringValue::make(u"a")->isEqual(*StringValue::make(u"b")));
    EXPECT_FALSE(URLValue::make("a")->isEqual(*StringValue::make(u"a")));
    EXPECT_FALSE(ShadowValue::make(Size{1, 1}, 2, Color())->isEqual(*ShadowValue::make(Size{1, 1}, 3, Color())));
    EXPECT_FALSE(StringMapValue::make({{"a", u"1"}})->isEqual(*StringMapValue::make({{"a", u"2"}})));
    EXPECT_FALSE(SizeValue::make(Size{1, 2})->isEqual(*SizeValue::make(Size{2, 1})));
    EXPECT_TRUE(attributeValuesEqual(nullptr, nullptr));
    EXPECT_FALSE(attributeValuesEqual(IntegerValue::make(0), nullptr));
}

TEST(AttributeValues, arraysCompareElementsButKeepTheirObjects)
{
    auto shared = std::make_shared<ListMarkerValue>(1);
    auto twin = std::make_shared<ListMarkerValue>(1);
    auto sameObjects = ArrayValue::make({shared, IntegerValue::make(2)});
    auto equalObjects = ArrayValue::make({twin, IntegerValue::make(2)});
    EXPECT_TRUE(sameObjects->isEqual(*equalObjects));
    EXPECT_EQ(sameObjects->hash(), equalObjects->hash());
    EXPECT_NE(sameObjects->elements()[0], equalObjects->elements()[0]);
    EXPECT_EQ(sameObjects->elements()[0], shared);

    EXPECT_FALSE(sameObjects->isEqual(*ArrayValue::make({shared})));
    EXPECT_FALSE(sameObjects->isEqual(*ArrayValue::make({IntegerValue::make(2), shared})));
    EXPECT_FALSE(sameObjects->isEqual(*ArrayValue::make({std::make_shared<ListMarkerValue>(2), IntegerValue::make(2)})));
}

TEST(AttributeValues, everyIntegerKeepsItsOwnValueWhetherSharedOrNot)
{
    // Small numbers come from one shared table and the rest are made as
    // asked: at both ends of the table, and past them, each number must
    // still read back as itself, equal and hashing alike to its twin.
    for (std::int64_t value : {std::int64_t{-300}, std::int64_t{-3}, std::int64_t{-2}, std::int64_t{-1},
                               std::int64_t{0}, std::int64_t{1}, std::int64_t{2}, std::int64_t{255},
                               std::int64_t{256}, std::int64_t{257}, std::int64_t{1440}, INT64_MIN, INT64_MAX}) {
        auto made = IntegerValue::make(value);
        auto twin = IntegerValue::make(value);
        EXPECT_EQ(made->value(), value);
        EXPECT_TRUE(made->isEqual(*twin)) << value;
        EXPECT_EQ(made->hash(), twin->hash()) << value;
        EXPECT_EQ(made->hash(), IntegerValue(value).hash()) << value;
        EXPECT_FALSE(made->isEqual(*IntegerValue::make(value == INT64_MAX ? value - 1 : value + 1))) << value;
    }
    // Larger numbers made one after the other, some landing where an
    // earlier one was kept, each still read back as themselves, and a value
    // held keeps its number when another takes its place.
    std::vector<std::shared_ptr<const IntegerValue>> held;
    for (std::int64_t round = 0; round < 3; ++round) {
        for (std::int64_t value : {std::int64_t{1000}, std::int64_t{1064}, std::int64_t{-1000}, std::int64_t{1128}})
            held.push_back(IntegerValue::make(value + round * 64));
    }
    for (std::size_t index = 0; index < held.size(); ++index) {
        const std::int64_t value = std::array<std::int64_t, 4>{1000, 1064, -1000, 1128}[index % 4];
        EXPECT_EQ(held[index]->value(), value + static_cast<std::int64_t>(index / 4) * 64) << index;
    }
}

TEST(AttributeValues, asAnswersOnlyForTheRightKind)
{
    AttributeValuePtr value = StringMapValue::make({{"href", u"#top"}});
    ASSERT_NE(value->as<StringMapValue>(), nullptr);
    EXPECT_EQ(*value->as<StringMapValue>()->valueForKey("href"), u"#top");
    EXPECT_EQ(value->as<StringMapValue>()->valueForKey("src"), nullptr);
    EXPECT_EQ(value->as<StringValue>(), nullptr);
}

// A kind that others derive from, and one of them.
class NoteValue : public AttributeValue {
public:
    bool isEqual(const AttributeValue& other) const override { return other.as<NoteValue>() != nullptr; }
    std::size_t hash() const override { return 1; }
    std::string_view typeName() const override { return "note"; }
};
class FootnoteValue final : public NoteValue {
public:
    std::string_view typeName() const override { return "footnote"; }
};

TEST(AttributeValues, asAnswersForEveryKindAValueIsOfAndNoOther)
{
    const AttributeValuePtr note = std::make_shared<NoteValue>();
    const AttributeValuePtr footnote = std::make_shared<FootnoteValue>();
    const AttributeValuePtr array = ArrayValue::make({note});
    // A value is of its own kind and of every kind it derives from.
    EXPECT_EQ(footnote->as<NoteValue>(), footnote.get());
    EXPECT_EQ(footnote->as<FootnoteValue>(), footnote.get());
    EXPECT_EQ(note->as<NoteValue>(), note.get());
    EXPECT_EQ(note->as<FootnoteValue>(), nullptr);
    EXPECT_EQ(array->as<ArrayValue>(), array.get());
    EXPECT_EQ(array->as<NoteValue>(), nullptr);
    EXPECT_EQ(note->as<ArrayValue>(), nullptr);
    EXPECT_EQ(footnote->as<ArrayValue>(), nullptr);
    EXPECT_EQ(BoolValue::make(true)->as<IntegerValue>(), nullptr);
    EXPECT_NE(IntegerValue::make(3)->as<IntegerValue>(), nullptr);
}

TEST(AttributeDictionaries, orderedByKeyWithLastEntryWinningAndNullsDropped)
{
    auto dictionary = AttributeDictionary::make({{"b", IntegerValue::make(1)},
                                                 {"a", IntegerValue::make(2)},
                                                 {"b", IntegerValue::make(3)},
                                                 {"c", nullptr}});
    ASSERT_EQ(dictionary->count(), 2u);
    EXPECT_EQ(dictionary->entries()[0].first, "a");
    EXPECT_EQ(dictionary->valueForKeyAs<IntegerValue>("b")->value(), 3);
    EXPECT_FALSE(dictionary->containsKey("c"));
    EXPECT_EQ(dictionary->valueForKey("zz"), nullptr);
    EXPECT_EQ(dictionary->valueForKeyAs<StringValue>("a"), nullptr);
    EXPECT_EQ(AttributeDictionary::make({}), AttributeDictionary::empty());
}

TEST(AttributeDictionaries, setsOfEverySizeKeepTheLastOfEachKeyInKeyOrder)
{
    // Small and large sets are sorted differently; both must agree: keys in
    // order, the last value given for a key, a null last value dropping it.
    for (int keys : {1, 3, 12, 31, 40, 100}) {
        std::vector<AttributeDictionary::Entry> entries;
        for (int round = 0; round < 3; ++round) {
            for (int key = keys - 1; key >= 0; --key) {
                const bool dropped = round == 2 && key % 5 == 4;
                entries.emplace_back("k" + std::to_string(1000 + (key * 7) % keys),
                                     dropped ? nullptr : IntegerValue::make(round * 1000 + key));
            }
        }
        AttributeDictionaryPtr dictionary = AttributeDictionary::make(entries);
        std::map<std::string, AttributeValuePtr> expected;
        for (const AttributeDictionary::Entry& entry : entries)
            expected[entry.first] = entry.second;
        std::erase_if(expected, [](const auto& entry) { return !entry.second; });
        ASSERT_EQ(dictionary->count(), expected.size()) << keys;
        std::size_t index = 0;
        for (const auto& [key, value] : expected) {
            EXPECT_EQ(dictionary->entries()[index].first, key) << keys;
            EXPECT_EQ(dictionary->entries()[index].second, value) << keys << " " << key;
            ++index;
        }
    }
}

TEST(AttributeDictionaries, findsEachKeyAndNoLookAlikeInSetsSmallAndLarge)
{
    // Keys alike in length, first and last letters, sets on either side of
    // the size where lookups change method, and the empty key.
    const std::vector<std::string> names = {"TEAa", "TEBa", "TECa", "TEAb", "NSAa", "CTAa", "TE", "T",
                                            "TEAaa", "TEBaa", "NSLink", "NSLinj", "TEGUID", "TEGUIE", "x",
                                            "TEAttachmentParagraphSpacing", "TEAttachmentParagraphSpacinG", "",
                                            "TETextLists", "TETextBlocks"};
    for (std::size_t count = 1; count <= names.size(); ++count) {
        std::vector<AttributeDictionary::Entry> entries;
        for (std::size_t index = 0; index < count; index += 2)
            entries.emplace_back(names[index], IntegerValue::make(static_cast<long>(index)));
        // As many other keys again, so that large sets are looked up too.
        for (std::size_t filler = 0; filler < count; ++filler)
            entries.emplace_back("TEFiller" + std::to_string(filler), BoolValue::make(true));
        AttributeDictionaryPtr dictionary = AttributeDictionary::make(entries);
        for (std::size_t index = 0; index < names.size(); ++index) {
            const AttributeValuePtr& value = dictionary->valueForKey(names[index]);
            const bool present = index < count && index % 2 == 0;
            ASSERT_EQ(value != nullptr, present) << count << " '" << names[index] << "'";
            EXPECT_EQ(dictionary->containsKey(names[index]), present);
            if (present)
                EXPECT_EQ(value->as<IntegerValue>()->value(), static_cast<long>(index));
        }
        EXPECT_FALSE(dictionary->containsKey("TEA"));
        EXPECT_FALSE(dictionary->containsKey("TEAaaa"));
    }
}

TEST(AttributeDictionaries, derivedDictionariesLeaveTheOriginalUntouched)
{
    auto original = AttributeDictionary::make({{"a", IntegerValue::make(1)}});
    auto added = original->dictionaryBySettingValue("b", BoolValue::make(true));
    auto replaced = added->dictionaryBySettingValue("a", IntegerValue::make(5));
    auto removed = replaced->dictionaryByRemovingKey("a");
    auto merged = original->dictionaryByAddingEntriesFrom(*AttributeDictionary::make({{"a", IntegerValue::make(9)}}));
    EXPECT_EQ(original->count(), 1u);
    EXPECT_EQ(added->count(), 2u);
    EXPECT_EQ(replaced->valueForKeyAs<IntegerValue>("a")->value(), 5);
    EXPECT_EQ(removed->count(), 1u);
    EXPECT_TRUE(removed->containsKey("b"));
    EXPECT_EQ(merged->valueForKeyAs<IntegerValue>("a")->value(), 9);
    EXPECT_EQ(original->dictionaryByRemovingKey("a"), AttributeDictionary::empty());
}

TEST(AttributeDictionaries, addingEntriesGivesWhatOneSetOfAllTheEntriesGives)
{
    // The merge of a set with more entries must agree with making one set
    // from both: keys in order, an added key replacing the set's, the last
    // of a repeated added key winning, a null added value left out, and the
    // hash of the set that `make` would give.
    for (int keys : {0, 1, 4, 13, 40}) {
        for (int addedKeys : {0, 1, 3, 9}) {
            std::vector<AttributeDictionary::Entry> own;
            for (int key = 0; key < keys; ++key)
                own.emplace_back("k" + std::to_string(100 + (key * 3) % (keys + 7)), IntegerValue::make(key));
            std::vector<AttributeDictionary::Entry> added;
            for (int key = 0; key < addedKeys; ++key) {
                const std::string name = "k" + std::to_string(100 + (key * 5) % (keys + 4));
                added.emplace_back(name, key == 2 ? nullptr : IntegerValue::make(1000 + key));
                if (key % 2 == 1)
                    added.emplace_back(name, IntegerValue::make(2000 + key));
            }
            AttributeDictionaryPtr base = AttributeDictionary::make(own);
            std::vector<AttributeDictionary::Entry> all(base->begin(), base->end());
            AttributeDictionaryPtr addedSet = AttributeDictionary::make(added);
            all.insert(all.end(), addedSet->begin(), addedSet->end());
            AttributeDictionaryPtr expected = AttributeDictionary::make(all);
            AttributeDictionaryPtr merged = base->dictionaryByAddingEntries(added);
            AttributeDictionaryPtr mergedFrom = base->dictionaryByAddingEntriesFrom(*addedSet);
            for (const AttributeDictionaryPtr& dictionary : {merged, mergedFrom}) {
                ASSERT_EQ(dictionary->count(), expected->count()) << keys << " " << addedKeys;
                for (std::size_t index = 0; index < expected->count(); ++index) {
                    EXPECT_EQ(dictionary->entries()[index].first, expected->entries()[index].first);
                    EXPECT_EQ(dictionary->entries()[index].second, expected->entries()[index].second);
                }
                EXPECT_EQ(dictionary->hash(), expected->hash());
            }
            // The set added to is left as it was.
            EXPECT_TRUE(std::ranges::equal(base->entries(), AttributeDictionary::make(own)->entries()));
        }
    }
    EXPECT_EQ(AttributeDictionary::empty()->dictionaryByAddingEntries({{"a", nullptr}}), AttributeDictionary::empty());
}

TEST(AttributeDictionaries, settingAValueGivesTheSetAndHashThatMakingItGives)
{
    // A set made by setting, replacing or removing one key takes its hash
    // from the set it came from: it must still be the hash of the same set
    // made at once, or equal sets would fall apart in hashed caches.
    AttributeDictionaryPtr base = AttributeDictionary::make(
        {{"b", IntegerValue::make(2)}, {"d", StringValue::make(u"4")}, {"f", BoolValue::make(true)}});
    struct Change {
        std::string key;
        AttributeValuePtr value;
    };
    const std::vector<Change> changes{{"a", IntegerValue::make(1)},     {"c", IntegerValue::make(3)},
                                      {"g", IntegerValue::make(7)},     {"d", StringValue::make(u"5")},
                                      {"d", StringValue::make(u"4")},   {"b", nullptr},
                                      {"f", nullptr},                   {"x", nullptr}};
    for (const Change& change : changes) {
        std::vector<AttributeDictionary::Entry> all(base->begin(), base->end());
        std::erase_if(all, [&](const auto& entry) { return entry.first == change.key; });
        all.emplace_back(change.key, change.value);
        AttributeDictionaryPtr expected = AttributeDictionary::make(all);
        AttributeDictionaryPtr changed = base->dictionaryBySettingValue(change.key, change.value);
        EXPECT_TRUE(std::ranges::equal(changed->entries(), expected->entries())) << change.key;
        EXPECT_EQ(changed->hash(), expected->hash()) << change.key;
        // A change undone gives back the hash of the set it started from.
        const AttributeValuePtr& before = base->valueForKey(change.key);
        EXPECT_EQ(changed->dictionaryBySettingValue(change.key, before)->hash(), base->hash()) << change.key;
    }
    AttributeDictionaryPtr single = AttributeDictionary::make({{"a", IntegerValue::make(1)}});
    EXPECT_EQ(single->dictionaryByRemovingKey("a"), AttributeDictionary::empty());
    EXPECT_EQ(AttributeDictionary::empty()->dictionaryBySettingValue("a", IntegerValue::make(1))->hash(), single->hash());
}

TEST(AttributeDictionaries, setsHoldTheirValuesForTheirLifeAndReleaseThemAfter)
{
    // Every way of making a set takes its own hold on each value, whether
    // the entries were copied from another set or moved in, and gives it
    // back when the set goes, however it was made.
    const AttributeValuePtr kept = StringValue::make(u"kept");
    const AttributeValuePtr replaced = StringValue::make(u"replaced");
    {
        std::vector<AttributeDictionary::Entry> buffer{{"b", kept}, {"a", replaced}};
        AttributeDictionaryPtr made = AttributeDictionary::make(buffer);
        AttributeDictionaryPtr fromList = AttributeDictionary::make({{"c", kept}});
        AttributeDictionaryPtr set = made->dictionaryBySettingValue("a", kept);
        AttributeDictionaryPtr removed = made->dictionaryByRemovingKey("b");
        AttributeDictionaryPtr mergedFrom = set->dictionaryByAddingEntriesFrom(*made);
        AttributeDictionaryPtr merged = removed->dictionaryByAddingEntries(std::span<AttributeDictionary::Entry>(buffer));
        // Here, made, fromList, both keys of set, mergedFrom's "b", and
        // merged's "b", which took the buffer's hold.
        EXPECT_EQ(kept.use_count(), 1 + 1 + 1 + 2 + 1 + 1);
        // Here, made, removed, mergedFrom and merged.
        EXPECT_EQ(replaced.use_count(), 1 + 1 + 1 + 1 + 1);
        EXPECT_TRUE(std::ranges::none_of(buffer, [](const auto& entry) { return entry.second != nullptr; }));
        made.reset();
        // What a set holds does not depend on the set it was made from.
        EXPECT_EQ(mergedFrom->valueForKey("a"), replaced);
        EXPECT_EQ(merged->valueForKey("b"), kept);
        EXPECT_EQ(set->count(), 2u);
    }
    EXPECT_EQ(kept.use_count(), 1);
    EXPECT_EQ(replaced.use_count(), 1);
}

TEST(AttributeDictionaries, equalityAndHashFollowValues)
{
    auto a = AttributeDictionary::make({{"x", StringValue::make(u"1")}, {"y", BoolValue::make(false)}});
    auto b = AttributeDictionary::make({{"y", BoolValue::make(false)}, {"x", StringValue::make(u"1")}});
    auto c = AttributeDictionary::make({{"x", StringValue::make(u"1")}, {"y", BoolValue::make(true)}});
    auto d = AttributeDictionary::make({{"x", StringValue::make(u"1")}, {"z", BoolValue::make(false)}});
    EXPECT_EQ(*a, *b);
    EXPECT_EQ(a->hash(), b->hash());
    EXPECT_FALSE(a->isEqual(*c));
    EXPECT_FALSE(a->isEqual(*d));
    EXPECT_TRUE(attributeDictionariesEqual(a, b));
    EXPECT_FALSE(attributeDictionariesEqual(a, nullptr));
}

TEST(PlatformParagraphStyles, defaultsAndValueEquality)
{
    PlatformParagraphStyle plain;
    EXPECT_EQ(plain.alignment(), TextAlignment::Natural);
    EXPECT_EQ(plain.baseWritingDirection(), WritingDirection::Natural);
    EXPECT_FALSE(plain.tabStops().has_value());

    PlatformParagraphStyle::Settings settings;
    settings.alignment = TextAlignment::Center;
    settings.paragraphSpacing = 12;
    settings.tabStops = std::vector<TextTab>{{36, TextAlignment::Left}, {72, TextAlignment::Right}};
    PlatformParagraphStyle centred(settings);
    PlatformParagraphStyle same(settings);
    EXPECT_EQ(centred, same);
    EXPECT_EQ(centred.hash(), same.hash());
    EXPECT_NE(centred, plain);

    settings.tabStops->back().alignment = TextAlignment::Center;
    EXPECT_NE(centred, PlatformParagraphStyle(settings));
    // No tab stops differs from an empty list of them.
    PlatformParagraphStyle::Settings empty;
    empty.tabStops = std::vector<TextTab>{};
    EXPECT_NE(plain, PlatformParagraphStyle(empty));
    EXPECT_NE(plain.hash(), PlatformParagraphStyle(empty).hash());
}

TEST(PlatformParagraphStyles, everySettingTakesPartInEquality)
{
    using Settings = PlatformParagraphStyle::Settings;
    std::vector<void (*)(Settings&)> changes = {
        [](Settings& s) { s.alignment = TextAlignment::Justified; },
        [](Settings& s) { s.firstLineHeadIndent = 1; },
        [](Settings& s) { s.headIndent = 1; },
        [](Settings& s) { s.tailIndent = -1; },
        [](Settings& s) { s.defaultTabInterval = 36; },
        [](Settings& s) { s.tabStops = std::vector<TextTab>{{10, TextAlignment::Left}}; },
        [](Settings& s) { s.lineHeightMultiple = 1.5; },
        [](Settings& s) { s.maximumLineHeight = 20; },
        [](Settings& s) { s.minimumLineHeight = 10; },
        [](Settings& s) { s.minimumLineSpacing = 1; },
        [](Settings& s) { s.paragraphSpacing = 6; },
        [](Settings& s) { s.paragraphSpacingBefore = 6; },
        [](Settings& s) { s.baseWritingDirection = WritingDirection::RightToLeft; },
        [](Settings& s) { s.outlineLevel = 2; },
        [](Settings& s) { s.noHyphenation = true; },
    };
    std::unordered_set<std::size_t> hashes{PlatformParagraphStyle().hash()};
    for (std::size_t i = 0; i < changes.size(); ++i) {
        Settings settings;
        changes[i](settings);
        PlatformParagraphStyle changed(settings);
        EXPECT_NE(changed, PlatformParagraphStyle()) << "setting " << i;
        hashes.insert(changed.hash());
    }
    EXPECT_EQ(hashes.size(), changes.size() + 1);
}

} // namespace
} // namespace folio
