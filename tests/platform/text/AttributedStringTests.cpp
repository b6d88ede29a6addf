#include "platform/text/AttributedString.h"
#include "platform/text/MutableAttributedString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

AttributeDictionaryPtr bold()
{
    return AttributeDictionary::make({{"bold", BoolValue::make(true)}});
}

AttributeDictionaryPtr colored(double red)
{
    return AttributeDictionary::make({{"color", ColorValue::make(Color::colorWithRed(red, 0, 0))}});
}

struct Piece {
    AttributeValuePtr value;
    Range range;
};

std::vector<Piece> collect(const AttributedString& string, std::string_view key, Range range,
                           AttributeEnumerationOptions options)
{
    std::vector<Piece> pieces;
    string.enumerateAttribute(key, range, options, [&](const AttributeValuePtr& value, Range part, bool&) {
        pieces.push_back({value, part});
    });
    return pieces;
}

// --- Runs and coalescing ---------------------------------------------------

TEST(AttributedStringRuns, coalescingKeepsTheFirstDictionaryObject)
{
    MutableAttributedString text(u"hello world");
    AttributeDictionaryPtr first = bold();
    AttributeDictionaryPtr second = bold();
    ASSERT_NE(first, second);
    ASSERT_TRUE(text.setAttributes(first, Range{0, 5}));
    ASSERT_TRUE(text.setAttributes(second, Range{5, 6}));

    Range effective;
    EXPECT_EQ(text.attributesAtIndex(8, &effective), first);
    EXPECT_EQ(effective, (Range{0, 11}));
}

TEST(AttributedStringRuns, coalescingKeepsTheEarlierRunWhenTheLaterOneWasSetFirst)
{
    MutableAttributedString text(u"abcdef");
    AttributeDictionaryPtr later = bold();
    AttributeDictionaryPtr earlier = bold();
    ASSERT_TRUE(text.setAttributes(later, Range{3, 3}));
    ASSERT_TRUE(text.setAttributes(earlier, Range{0, 3}));
    // Text order decides, not the order of the edits.
    EXPECT_EQ(text.attributesAtIndex(5), earlier);
}

TEST(AttributedStringRuns, keepsIdentityOfArrayValuesThroughCoalescing)
{
    auto listA = StringValue::make(u"list");
    auto listB = StringValue::make(u"list");
    auto arrayA = ArrayValue::make({listA});
    auto arrayB = ArrayValue::make({listB});
    EXPECT_TRUE(arrayA->isEqual(*arrayB));
    EXPECT_NE(arrayA, arrayB);

    MutableAttributedString text(u"one\ntwo\n");
    ASSERT_TRUE(text.addAttribute("lists", arrayA, Range{0, 4}));
    ASSERT_TRUE(text.addAttribute("lists", arrayB, Range{4, 4}));
    Range effective;
    AttributeValuePtr found = text.attributeAtIndex("lists", 6, &effective);
    EXPECT_EQ(found, arrayA);
    EXPECT_EQ(effective, (Range{0, 8}));
    EXPECT_EQ(found->as<ArrayValue>()->elements()[0], listA);
}

TEST(AttributedStringRuns, unequalNeighboursStaySeparate)
{
    MutableAttributedString text(u"abcdef");
    ASSERT_TRUE(text.setAttributes(colored(0.5), Range{0, 3}));
    ASSERT_TRUE(text.setAttributes(colored(0.6), Range{3, 3}));
    Range effective;
    text.attributesAtIndex(1, &effective);
    EXPECT_EQ(effective, (Range{0, 3}));
    text.attributesAtIndex(3, &effective);
    EXPECT_EQ(effective, (Range{3, 3}));
}

TEST(AttributedStringRuns, addAttributeSplitsAndRejoinsRuns)
{
    MutableAttributedString text(u"abcdefgh", colored(0.1));
    ASSERT_TRUE(text.addAttribute("bold", BoolValue::make(true), Range{2, 3}));
    Range effective;
    text.attributesAtIndex(0, &effective);
    EXPECT_EQ(effective, (Range{0, 2}));
    AttributeDictionaryPtr middle = text.attributesAtIndex(3, &effective);
    EXPECT_EQ(effective, (Range{2, 3}));
    EXPECT_TRUE(middle->containsKey("color"));
    EXPECT_TRUE(middle->containsKey("bold"));

    ASSERT_TRUE(text.removeAttribute("bold", Range{0, 8}));
    text.attributesAtIndex(3, &effective);
    EXPECT_EQ(effective, (Range{0, 8}));
}

TEST(AttributedStringRuns, addAttributeKeepsSharedDictionariesShared)
{
    MutableAttributedString text;
    AttributeDictionaryPtr red = colored(1);
    for (int i = 0; i < 4; ++i) {
        text.appendString(u"ab", red);
        text.appendString(u"cd", bold());
    }
    ASSERT_TRUE(text.addAttribute("size", IntegerValue::make(12), Range{0, text.length()}));
    // Runs that held the same object before hold the same new object after.
    EXPECT_EQ(text.attributesAtIndex(0), text.attributesAtIndex(4));
    EXPECT_NE(text.attributesAtIndex(0), red);
}

TEST(AttributedStringRuns, replacingAttributesKeepsRunsAnsweredWithNullAndSharesReplacements)
{
    MutableAttributedString text;
    AttributeDictionaryPtr red = colored(1);
    AttributeDictionaryPtr heavy = bold();
    for (int i = 0; i < 3; ++i) {
        text.appendString(u"ab", red);
        text.appendString(u"cd", heavy);
    }
    int asked = 0;
    // From inside the first pair to inside the last: the run at the end is
    // split, and its part outside stays as it was.
    ASSERT_TRUE(text.replaceAttributes(Range{3, 6}, [&](const AttributeDictionary& attributes) -> AttributeDictionaryPtr {
        ++asked;
        if (attributes.containsKey("bold"))
            return nullptr;
        return attributes.dictionaryBySettingValue("size", IntegerValue::make(12));
    }));
    // Each set is asked about once, however many runs hold it.
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(text.attributesAtIndex(3), heavy);
    EXPECT_EQ(text.attributesAtIndex(6), heavy);
    EXPECT_EQ(text.attributesAtIndex(0), red);
    AttributeDictionaryPtr replaced = text.attributesAtIndex(4);
    EXPECT_NE(replaced, red);
    EXPECT_TRUE(replaced->containsKey("size"));
    EXPECT_TRUE(replaced->containsKey("color"));
    EXPECT_EQ(text.attributesAtIndex(8), replaced);
    Range effective;
    EXPECT_EQ(text.attributesAtIndex(9, &effective), red);
    EXPECT_EQ(effective, (Range{9, 1}));
    EXPECT_FALSE(text.replaceAttributes(Range{10, 5}, [](const AttributeDictionary&) { return AttributeDictionaryPtr(); }));
    EXPECT_EQ(text.length(), 12u);
}

TEST(AttributedStringRuns, editingDefersMergingUntilTheEnd)
{
    MutableAttributedString text(u"abcdef");
    AttributeDictionaryPtr first = bold();
    text.beginEditing();
    ASSERT_TRUE(text.setAttributes(first, Range{0, 3}));
    ASSERT_TRUE(text.setAttributes(bold(), Range{3, 3}));
    Range effective;
    EXPECT_TRUE(text.attributesAtIndexLongestEffectiveRange(4, &effective, Range{0, 6})->isEqual(*first));
    EXPECT_EQ(effective, (Range{0, 6}));
    text.endEditing();
    EXPECT_EQ(text.attributesAtIndex(4, &effective), first);
    EXPECT_EQ(effective, (Range{0, 6}));
}

TEST(AttributedStringRuns, appendingMergesEqualNeighboursOutsideAnEditAndWhenItEnds)
{
    MutableAttributedString text;
    AttributeDictionaryPtr first = bold();
    text.appendString(u"ab", first);
    text.appendString(u"cd", bold());
    text.appendString(u"", colored(1));
    text.appendString(u"ef", nullptr);
    EXPECT_EQ(text.string(), u"abcdef");
    Range effective;
    EXPECT_EQ(text.attributesAtIndex(3, &effective), first);
    EXPECT_EQ(effective, (Range{0, 4}));
    EXPECT_TRUE(text.attributesAtIndex(4, &effective)->isEmpty());
    EXPECT_EQ(effective, (Range{4, 2}));

    // Inside an edit every append is a run of its own until the edit ends.
    MutableAttributedString edited;
    edited.beginEditing();
    edited.appendString(u"ab", first);
    edited.appendString(u"cd", bold());
    edited.appendString(u"ef", colored(1));
    EXPECT_NE(edited.attributesAtIndex(2, &effective), first);
    EXPECT_EQ(effective, (Range{2, 2}));
    edited.endEditing();
    EXPECT_EQ(edited.attributesAtIndex(2, &effective), first);
    EXPECT_EQ(effective, (Range{0, 4}));
    EXPECT_EQ(edited.attributesAtIndex(5, &effective), edited.attributesAtIndex(4));
    EXPECT_EQ(effective, (Range{4, 2}));
}

TEST(AttributedStringRuns, appendingItsOwnTextCopiesItFirst)
{
    MutableAttributedString text;
    text.appendString(u"abc", bold());
    // Long enough that the string grows while the view points into it.
    for (int round = 0; round < 6; ++round)
        text.appendString(std::u16string_view(text.string()), colored(round / 10.0));
    EXPECT_EQ(text.length(), 3u * 64u);
    for (std::size_t index = 0; index < text.length(); index += 3)
        EXPECT_EQ(text.string().substr(index, 3), u"abc") << index;
    EXPECT_EQ(text.attributeAtIndex("bold", 0), text.attributeAtIndex("bold", 2));
    EXPECT_EQ(text.attributeAtIndex("bold", 3), nullptr);
}

// --- Queries ------------------------------------------------------------------

TEST(AttributedStringQueries, longestEffectiveRangeMergesRunsWithEqualValues)
{
    MutableAttributedString text;
    auto link = URLValue::make("https://example.org/");
    text.appendString(u"aaa", AttributeDictionary::make({{"NSLink", link}}));
    text.appendString(u"bbb", AttributeDictionary::make({{"NSLink", link}, {"bold", BoolValue::make(true)}}));
    text.appendString(u"ccc", bold());

    Range effective;
    EXPECT_EQ(text.attributeAtIndex("NSLink", 1, &effective), link);
    EXPECT_EQ(effective, (Range{0, 3}));
    EXPECT_EQ(text.attributeAtIndexLongestEffectiveRange("NSLink", 1, &effective, Range{0, 9}), link);
    EXPECT_EQ(effective, (Range{0, 6}));
    // The limit cuts the answer.
    text.attributeAtIndexLongestEffectiveRange("NSLink", 4, &effective, Range{2, 3});
    EXPECT_EQ(effective, (Range{2, 3}));
    // Absence of the key is a value of its own.
    EXPECT_EQ(text.attributeAtIndexLongestEffectiveRange("NSLink", 7, &effective, Range{0, 9}), nullptr);
    EXPECT_EQ(effective, (Range{6, 3}));
    EXPECT_EQ(text.attributeAtIndexLongestEffectiveRange("color", 4, &effective, Range{0, 9}), nullptr);
    EXPECT_EQ(effective, (Range{0, 9}));
}

TEST(AttributedStringQueries, indexesOutsideTheTextAnswerNull)
{
    AttributedString text(u"abc", bold());
    Range effective{7, 7};
    EXPECT_EQ(text.attributesAtIndex(3, &effective), nullptr);
    EXPECT_EQ(effective, NotFoundRange);
    EXPECT_EQ(text.attributeAtIndex("bold", 99), nullptr);
    EXPECT_EQ(text.attributesAtIndexLongestEffectiveRange(1, &effective, Range{2, 1}), nullptr);
    EXPECT_EQ(AttributedString().attributesAtIndex(0), nullptr);
}

// Runs of one, two, ... characters, alternating between two formattings that
// are never equal, so that every run stays a run of its own.
MutableAttributedString textOfGrowingRuns(std::size_t runs)
{
    MutableAttributedString text;
    for (std::size_t run = 0; run < runs; ++run)
        text.appendString(std::u16string(run + 1, u'x'), run % 2 ? bold() : colored(0.5));
    return text;
}

TEST(AttributedStringQueries, aCursorAnswersAsASearchWhateverOrderThePlacesComeIn)
{
    const MutableAttributedString text = textOfGrowingRuns(12);
    ASSERT_EQ(text.runCount(), 12u);
    std::vector<std::size_t> places;
    for (std::size_t index = 0; index < text.length(); ++index)
        places.push_back(index);
    // Backwards, jumps far ahead and back, the same place twice, places
    // outside the text.
    for (std::size_t index = text.length(); index-- > 0;)
        places.push_back(index);
    for (std::size_t index : {0, 77, 3, 3, 60, 61, 1, 78, 200, 5})
        places.push_back(index);

    AttributedString::RunCursor cursor;
    for (std::size_t index : places) {
        Range searched{7, 7};
        Range walked{9, 9};
        AttributeDictionaryPtr expected = text.attributesAtIndex(index, &searched);
        EXPECT_EQ(text.attributesAtIndex(index, &walked, cursor), expected) << "at " << index;
        EXPECT_EQ(walked, searched) << "at " << index;
    }
}

TEST(AttributedStringQueries, aCursorWalksLongestRangesAndMovesToAnotherString)
{
    // Built while editing, so that equal neighbours stay split: the longest
    // ranges span them.
    MutableAttributedString text;
    text.beginEditing();
    text.appendString(u"aa", bold());
    text.appendString(u"bbb", colored(1));
    text.appendString(u"c", colored(1));
    text.appendString(u"dd", bold());
    text.appendString(u"ee", bold());
    text.appendString(u"f", colored(0.25));
    ASSERT_EQ(text.runCount(), 6u);

    AttributedString::RunCursor cursor;
    std::vector<Range> walked;
    for (std::size_t index = 0; index < text.length();) {
        Range range;
        ASSERT_NE(text.attributesAtIndexLongestEffectiveRange(index, &range, Range{0, text.length()}, cursor), nullptr);
        walked.push_back(range);
        index = range.end();
    }
    EXPECT_EQ(walked, (std::vector<Range>{{0, 2}, {2, 4}, {6, 4}, {10, 1}}));

    // The same cursor on a shorter string with fewer runs.
    AttributedString shorter(u"xyz", bold());
    Range range;
    EXPECT_EQ(shorter.attributesAtIndex(2, &range, cursor), shorter.attributesAtIndex(0));
    EXPECT_EQ(range, (Range{0, 3}));
    EXPECT_EQ(shorter.attributesAtIndex(3, &range, cursor), nullptr);
    EXPECT_EQ(range, NotFoundRange);
}

TEST(AttributedStringQueries, enumeratesPerRunOrMergedAndInReverse)
{
    MutableAttributedString text;
    auto red = ColorValue::make(Color::colorWithRed(1, 0, 0));
    text.appendString(u"ab", AttributeDictionary::make({{"color", red}}));
    text.appendString(u"cd", AttributeDictionary::make({{"color", red}, {"bold", BoolValue::make(true)}}));
    text.appendString(u"ef", AttributeDictionary::empty());

    auto perRun = collect(text, "color", Range{1, 5}, AttributeEnumerationOptions::None);
    ASSERT_EQ(perRun.size(), 3u);
    EXPECT_EQ(perRun[0].range, (Range{1, 1}));
    EXPECT_EQ(perRun[1].range, (Range{2, 2}));
    EXPECT_EQ(perRun[2].value, nullptr);

    auto merged = collect(text, "color", Range{0, 6}, AttributeEnumerationOptions::LongestEffectiveRange);
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged[0].value, red);
    EXPECT_EQ(merged[0].range, (Range{0, 4}));
    EXPECT_EQ(merged[1].range, (Range{4, 2}));

    auto reversed = collect(text, "color", Range{0, 6},
                            AttributeEnumerationOptions::LongestEffectiveRange | AttributeEnumerationOptions::Reverse);
    ASSERT_EQ(reversed.size(), 2u);
    EXPECT_EQ(reversed[0].range, (Range{4, 2}));
    EXPECT_EQ(reversed[1].range, (Range{0, 4}));
    EXPECT_EQ(reversed[1].value, red);
}

TEST(AttributedStringQueries, enumerationStopsWhenAsked)
{
    MutableAttributedString text;
    for (int i = 0; i < 5; ++i)
        text.appendString(u"x", colored(i / 10.0));
    int calls = 0;
    text.enumerateAttributes(Range{0, 5}, AttributeEnumerationOptions::None,
                             [&](const AttributeDictionaryPtr&, Range, bool& stop) { stop = ++calls == 2; });
    EXPECT_EQ(calls, 2);
}

// The direct walk answers the runs, dictionaries and clipped ranges the
// enumeration does, for every range: inside one run, across several,
// reaching past the end, empty and outside the text.
TEST(AttributedStringQueries, forEachRunVisitsWhatEnumerationReports)
{
    MutableAttributedString text;
    for (int i = 0; i < 6; ++i)
        text.appendString(std::u16string(static_cast<std::size_t>(i + 1), u'x'), colored(i / 10.0));
    using Visit = std::pair<const AttributeDictionary*, Range>;
    for (std::size_t location = 0; location <= text.length() + 1; ++location) {
        for (std::size_t length = 0; length <= text.length() + 2; ++length) {
            std::vector<Visit> enumerated;
            text.enumerateAttributes(Range{location, length}, AttributeEnumerationOptions::None,
                                     [&](const AttributeDictionaryPtr& attributes, Range range, bool&) {
                                         enumerated.emplace_back(attributes.get(), range);
                                     });
            std::vector<Visit> walked;
            text.forEachRun(Range{location, length}, [&](const AttributeDictionaryPtr& attributes, Range range) {
                walked.emplace_back(attributes.get(), range);
            });
            EXPECT_EQ(walked, enumerated) << location << " " << length;
        }
    }
    std::size_t visits = 0;
    text.forEachRun(Range{2, 9}, [&](const AttributeDictionaryPtr&, Range) { ++visits; });
    EXPECT_EQ(visits, 4u);
}

TEST(AttributedStringQueries, runCountIsTheNumberOfRunsAWalkVisits)
{
    MutableAttributedString text;
    EXPECT_EQ(text.runCount(), 0u);
    text.appendString(u"ab", colored(0.1));
    // Equal neighbours merge into one run.
    text.appendString(u"cd", colored(0.1));
    EXPECT_EQ(text.runCount(), 1u);
    text.appendString(u"ef", colored(0.2));
    text.appendString(u"g", colored(0.1));
    std::size_t visits = 0;
    text.forEachRun(Range{0, text.length()}, [&](const AttributeDictionaryPtr&, Range) { ++visits; });
    EXPECT_EQ(visits, 3u);
    EXPECT_EQ(text.runCount(), visits);
    ASSERT_TRUE(text.deleteCharactersInRange(Range{4, 2}));
    EXPECT_EQ(text.runCount(), 1u);
}

TEST(AttributedStringQueries, surrogatePairsCountAsTwoUnits)
{
    MutableAttributedString text(u"a\U0001F600b");
    EXPECT_EQ(text.length(), 4u);
    ASSERT_TRUE(text.addAttribute("bold", BoolValue::make(true), Range{1, 2}));
    Range effective;
    text.attributesAtIndex(2, &effective);
    EXPECT_EQ(effective, (Range{1, 2}));
    EXPECT_EQ(text.attributeAtIndex("bold", 3), nullptr);
    auto sub = text.attributedSubstringFromRange(Range{1, 2});
    ASSERT_TRUE(sub.ok());
    EXPECT_EQ(sub->string(), u"\U0001F600");
}

// --- Editing --------------------------------------------------------------------

TEST(AttributedStringEditing, appendedTextInheritsTheLastCharactersAttributes)
{
    AttributeDictionaryPtr red = colored(1);
    MutableAttributedString text(u"abc", red);
    ASSERT_TRUE(text.replaceCharactersInRange(Range{3, 0}, u"def"));
    Range effective;
    EXPECT_EQ(text.attributesAtIndex(5, &effective), red);
    EXPECT_EQ(effective, (Range{0, 6}));
    EXPECT_EQ(text.string(), u"abcdef");
}

TEST(AttributedStringEditing, insertedTextTakesTheAttributesAtItsLocation)
{
    MutableAttributedString text;
    text.appendString(u"ab", colored(1));
    AttributeDictionaryPtr boldText = bold();
    text.appendString(u"cd", boldText);
    ASSERT_TRUE(text.replaceCharactersInRange(Range{2, 0}, u"XY"));
    EXPECT_EQ(text.string(), u"abXYcd");
    Range effective;
    EXPECT_EQ(text.attributesAtIndex(2, &effective), boldText);
    EXPECT_EQ(effective, (Range{2, 4}));
}

TEST(AttributedStringEditing, insertingIntoEmptyTextGivesEmptyAttributes)
{
    MutableAttributedString text;
    ASSERT_TRUE(text.replaceCharactersInRange(Range{0, 0}, u"new"));
    ASSERT_NE(text.attributesAtIndex(0), nullptr);
    EXPECT_TRUE(text.attributesAtIndex(0)->isEmpty());
}

TEST(AttributedStringEditing, replacingAcrossRunsKeepsTheRunsOutside)
{
    MutableAttributedString text;
    AttributeDictionaryPtr a = colored(0.1), b = colored(0.2), c = colored(0.3);
    text.appendString(u"aaaa", a);
    text.appendString(u"bbbb", b);
    text.appendString(u"cccc", c);
    ASSERT_TRUE(text.replaceCharactersInRange(Range{2, 8}, u"Z"));
    EXPECT_EQ(text.string(), u"aaZcc");
    Range effective;
    // The replacement took the attributes of the first replaced character and
    // joined the run before it.
    EXPECT_EQ(text.attributesAtIndex(2, &effective), a);
    EXPECT_EQ(effective, (Range{0, 3}));
    EXPECT_EQ(text.attributesAtIndex(3, &effective), c);
    EXPECT_EQ(effective, (Range{3, 2}));
}

TEST(AttributedStringEditing, replacingWithAttributedStringSplicesItsRuns)
{
    MutableAttributedString text(u"0123456789", colored(0.1));
    MutableAttributedString insert;
    AttributeDictionaryPtr boldText = bold();
    insert.appendString(u"XX", boldText);
    insert.appendString(u"Y", colored(0.1));
    ASSERT_TRUE(text.replaceCharactersInRangeWithAttributedString(Range{3, 4}, insert));
    EXPECT_EQ(text.string(), u"012XXY789");
    Range effective;
    EXPECT_EQ(text.attributesAtIndex(3, &effective), boldText);
    EXPECT_EQ(effective, (Range{3, 2}));
    // "Y" equals the text after it and merges with it, keeping the earlier object.
    AttributeDictionaryPtr tail = text.attributesAtIndex(5, &effective);
    EXPECT_EQ(effective, (Range{5, 4}));
    EXPECT_EQ(tail, insert.attributesAtIndex(2));
}

TEST(AttributedStringEditing, insertDeleteAndAppendOfItself)
{
    MutableAttributedString text(u"abc", bold());
    ASSERT_TRUE(text.insertAttributedString(AttributedString(u"--"), 1));
    EXPECT_EQ(text.string(), u"a--bc");
    EXPECT_EQ(text.attributeAtIndex("bold", 1), nullptr);
    ASSERT_TRUE(text.deleteCharactersInRange(Range{1, 2}));
    EXPECT_EQ(text.string(), u"abc");
    Range effective;
    text.attributesAtIndex(0, &effective);
    EXPECT_EQ(effective, (Range{0, 3}));
    text.appendAttributedString(text);
    EXPECT_EQ(text.string(), u"abcabc");
    text.attributesAtIndex(0, &effective);
    EXPECT_EQ(effective, (Range{0, 6}));
}

TEST(AttributedStringEditing, appendedRunsMergeWithTheLastRunKeepingItsDictionary)
{
    AttributeDictionaryPtr first = bold();
    MutableAttributedString text(u"ab", first);
    MutableAttributedString piece(u"cd", bold());
    piece.appendString(u"ef", colored(1));
    piece.appendString(u"gh", bold());
    text.appendAttributedString(piece);
    EXPECT_EQ(text.string(), u"abcdefgh");
    Range effective;
    // The piece's first run equals the text's last one: it joins it, and the
    // text's own dictionary object is what the joined run keeps.
    EXPECT_EQ(text.attributesAtIndex(3, &effective).get(), first.get());
    EXPECT_EQ(effective, (Range{0, 4}));
    EXPECT_NE(text.attributeAtIndex("color", 4, &effective), nullptr);
    EXPECT_EQ(effective, (Range{4, 2}));
    EXPECT_NE(text.attributeAtIndex("bold", 7, &effective), nullptr);
    EXPECT_EQ(effective, (Range{6, 2}));
    // Appending nothing changes nothing.
    text.appendAttributedString(AttributedString());
    EXPECT_EQ(text.length(), 8u);
    text.attributesAtIndex(7, &effective);
    EXPECT_EQ(effective, (Range{6, 2}));
}

TEST(AttributedStringEditing, appendingAPieceGivenAwayTakesItsDictionariesAndEmptiesIt)
{
    AttributeDictionaryPtr first = bold();
    AttributeDictionaryPtr color = colored(1);
    AttributeDictionaryPtr last = bold();
    MutableAttributedString piece(u"cd", bold());
    piece.appendString(u"ef", color);
    piece.appendString(u"gh", last);
    MutableAttributedString copied(u"ab", first);
    copied.appendAttributedString(piece);

    MutableAttributedString moved(u"ab", first);
    moved.appendAttributedString(std::move(piece));
    EXPECT_EQ(moved, copied);
    EXPECT_EQ(moved.runCount(), 3u);
    // The same objects as before, the text's own where the piece joined it.
    EXPECT_EQ(moved.attributesAtIndex(3).get(), first.get());
    EXPECT_EQ(moved.attributesAtIndex(4).get(), color.get());
    EXPECT_EQ(moved.attributesAtIndex(7).get(), last.get());
    EXPECT_EQ(piece.length(), 0u);
    EXPECT_EQ(piece.runCount(), 0u);

    // Given to itself, the text is doubled as a copy would double it.
    moved.appendAttributedString(std::move(moved));
    EXPECT_EQ(moved.string(), u"abcdefghabcdefgh");
    EXPECT_EQ(moved.attributesAtIndex(15).get(), last.get());
}

TEST(AttributedStringEditing, appendWhileEditingMergesWhenTheEditEnds)
{
    AttributeDictionaryPtr first = bold();
    MutableAttributedString text(u"ab", first);
    text.beginEditing();
    text.appendAttributedString(MutableAttributedString(u"cd", bold()));
    Range effective;
    text.attributesAtIndex(0, &effective);
    EXPECT_EQ(effective, (Range{0, 2}));
    text.endEditing();
    EXPECT_EQ(text.attributesAtIndex(3, &effective).get(), first.get());
    EXPECT_EQ(effective, (Range{0, 4}));
}

TEST(AttributedStringEditing, rangesOutsideTheTextAreRejectedWithoutChange)
{
    MutableAttributedString text(u"abc", bold());
    AttributedString before = text.copy();
    EXPECT_FALSE(text.setAttributes(colored(1), Range{2, 2}));
    EXPECT_FALSE(text.addAttribute("x", BoolValue::make(true), Range{4, 0}));
    EXPECT_FALSE(text.removeAttribute("bold", Range{NotFound, 1}));
    Status status = text.replaceCharactersInRange(Range{1, NotFound}, u"z");
    EXPECT_FALSE(status);
    EXPECT_EQ(status.error().domain, "AttributedString");
    EXPECT_FALSE(text.deleteCharactersInRange(Range{3, 1}));
    EXPECT_FALSE(text.insertAttributedString(AttributedString(u"q"), 4));
    EXPECT_FALSE(text.attributedSubstringFromRange(Range{1, 3}).ok());
    EXPECT_EQ(text, before);
    EXPECT_EQ(text.string(), u"abc");
}

// --- Copies, equality, hash --------------------------------------------------------

TEST(AttributedStringEquality, comparesTextAndAttributeValuesNotObjects)
{
    MutableAttributedString one;
    one.appendString(u"ab", colored(1));
    one.appendString(u"cd", bold());
    MutableAttributedString two;
    two.appendString(u"a", colored(1));
    two.appendString(u"b", colored(1));
    two.appendString(u"cd", bold());
    EXPECT_EQ(one, two);
    EXPECT_EQ(one.hash(), two.hash());

    MutableAttributedString three = two.mutableCopy();
    ASSERT_TRUE(three.addAttribute("bold", BoolValue::make(false), Range{3, 1}));
    EXPECT_NE(one, three);
    EXPECT_NE(AttributedString(u"abcd"), AttributedString(u"abce"));
}

TEST(AttributedStringEquality, splitRunsDuringEditingCompareAndHashAlike)
{
    MutableAttributedString editing(u"abcdef");
    editing.beginEditing();
    ASSERT_TRUE(editing.setAttributes(bold(), Range{0, 3}));
    ASSERT_TRUE(editing.setAttributes(bold(), Range{3, 3}));
    AttributedString settled(u"abcdef", bold());
    EXPECT_EQ(editing, settled);
    EXPECT_EQ(editing.hash(), settled.hash());
    editing.endEditing();
}

TEST(AttributedStringEquality, copiesAreIndependentButShareDictionaries)
{
    AttributeDictionaryPtr red = colored(1);
    MutableAttributedString original(u"text", red);
    MutableAttributedString copy = original.mutableCopy();
    ASSERT_TRUE(copy.replaceCharactersInRange(Range{0, 4}, u"other"));
    EXPECT_EQ(original.string(), u"text");
    EXPECT_EQ(copy.attributesAtIndex(0), red);
    auto sub = original.attributedSubstringFromRange(Range{1, 2});
    ASSERT_TRUE(sub.ok());
    EXPECT_EQ(sub->attributesAtIndex(0), red);
    Range effective;
    sub->attributesAtIndex(1, &effective);
    EXPECT_EQ(effective, (Range{0, 2}));
}

} // namespace
} // namespace folio
