#include "platform/foundation/UTF16Search.h"

#include <gtest/gtest.h>

#include <string>

using namespace folio;

namespace {

// `filler` repeated and cut to `length` units, so that each length puts a
// different unit at each place of a block.
std::u16string repeatedTo(const std::u16string& filler, std::size_t length)
{
    std::u16string text;
    for (std::size_t index = 0; index < length; ++index)
        text.push_back(filler[index % filler.size()]);
    return text;
}

} // namespace

TEST(UTF16Search, findsTheFirstStopAtEveryPlaceInAndAroundABlock)
{
    // Each stop at each place of texts of every length up to three blocks,
    // beside units that share a stop's low byte or are far from ASCII.
    const std::u16string filler = u"ab\u015C\u7B7B\uFF5D;c\u0A5C";
    for (std::size_t length = 0; length < 26; ++length) {
        const std::u16string text = repeatedTo(filler, length);
        EXPECT_EQ((findFirstOf<u'\\', u'{', u'}'>(text.data(), 0, text.size())), text.size()) << length;
        for (std::size_t at = 0; at < length; ++at) {
            for (char16_t stop : {u'\\', u'{', u'}'}) {
                std::u16string stopped = text;
                stopped[at] = stop;
                EXPECT_EQ((findFirstOf<u'\\', u'{', u'}'>(stopped.data(), 0, stopped.size())), at) << length;
                // From past the stop, none is found; up to it, the end.
                EXPECT_EQ((findFirstOf<u'\\', u'{', u'}'>(stopped.data(), at + 1, stopped.size())), stopped.size());
                EXPECT_EQ((findFirstOf<u'\\', u'{', u'}'>(stopped.data(), 0, at)), at);
            }
        }
    }
}

TEST(UTF16Search, findsTheFirstUnitBelowTheLimitThatIsNotAllowed)
{
    // Around the control unit: the allowed tab, the limit itself, units
    // whose low byte is a control unit, and units past 0x7FFF, which a
    // signed comparison would take for small ones.
    const std::u16string filler = u"a\t \u011F\u8001\uFF09\u7F1Fz";
    for (std::size_t length = 0; length < 26; ++length) {
        const std::u16string text = repeatedTo(filler, length);
        EXPECT_EQ((findFirstBelow<0x20, u'\t'>(text.data(), 0, text.size())), text.size()) << length;
        for (std::size_t at = 0; at < length; ++at) {
            for (char16_t control : {u'\0', u'\n', u'\r', u'\x1F', u'\x0B'}) {
                std::u16string stopped = text;
                stopped[at] = control;
                EXPECT_EQ((findFirstBelow<0x20, u'\t'>(stopped.data(), 0, stopped.size())), at) << length;
                EXPECT_EQ((findFirstBelow<0x20, u'\t'>(stopped.data(), at + 1, stopped.size())), stopped.size());
                EXPECT_EQ((findFirstBelow<0x20, u'\t'>(stopped.data(), 0, at)), at);
            }
        }
    }
    const std::u16string tabs = u"\t\t\t\t\t\t\t\t\t\t\x01";
    EXPECT_EQ((findFirstBelow<0x20, u'\t'>(tabs.data(), 0, tabs.size())), 10u);
    EXPECT_EQ((findFirstBelow<0x20>(tabs.data(), 0, tabs.size())), 0u) << "nothing allowed: the tab is found";
}

TEST(UTF16Search, findsTheFirstSpacedPairAtEveryPlaceInAndAroundABlock)
{
    // The pair is "p" then "c" three units on. Around it: units whose low
    // byte is a "p" or a "c", far from ASCII or past 0x7FFF, and each half
    // of the pair without the other; the filler never makes the pair.
    const std::u16string filler = u"p\u0170ab\u7063\uFF70x\u0163cq";
    for (std::size_t length = 0; length < 72; ++length) {
        std::u16string text;
        for (std::size_t index = 0; index < length + 3; ++index)
            text.push_back(filler[index % filler.size()]);
        EXPECT_EQ((findSpacedPair<u'p', u'c', 3>(text.data(), 0, length)), length) << length;
        for (std::size_t at = 0; at < length; ++at) {
            std::u16string paired = text;
            paired[at] = u'p';
            paired[at + 3] = u'c';
            EXPECT_EQ((findSpacedPair<u'p', u'c', 3>(paired.data(), 0, length)), at) << length << " " << at;
            EXPECT_EQ((findSpacedPair<u'p', u'c', 3>(paired.data(), at, length)), at) << length << " " << at;
            // Up to the pair, none is found there.
            EXPECT_EQ((findSpacedPair<u'p', u'c', 3>(paired.data(), 0, at)), at);
            EXPECT_EQ((findSpacedPair<u'p', u'c', 3>(paired.data(), at + 1, length)), length);
        }
    }
}

TEST(UTF16Search, shortLetterRunsArePackedFirstLetterHighest)
{
    std::uint64_t letters = 0;
    const std::u16string text = u"parD7 xxxxxxxxxx";
    ASSERT_EQ(shortASCIILetterRun(text.data(), text.data() + text.size(), letters), 4u);
    EXPECT_EQ(letters, (std::uint64_t{'p'} << 24) | (std::uint64_t{'a'} << 16) | (std::uint64_t{'r'} << 8) | 'D');
    // Units past ASCII end a run, even where their low byte is a letter's.
    for (char16_t other : {u'\u0161', u'\u0141', u'\uFF41', u'\u8061', u'@', u'[', u'`', u'{', u'\0'}) {
        std::u16string word = u"ab";
        word += other;
        word += u"cdefghijk";
        EXPECT_EQ(shortASCIILetterRun(word.data(), word.data() + word.size(), letters), 2u) << unsigned(other);
        EXPECT_EQ(letters, (std::uint64_t{'a'} << 8) | 'b');
    }
    // Eight letters or more, fewer than eight units left, or no letter at
    // all: the caller reads the letters itself.
    const std::u16string longWord = u"abcdefgh ijklmnop";
    EXPECT_EQ(shortASCIILetterRun(longWord.data(), longWord.data() + longWord.size(), letters), 0u);
    const std::u16string shortText = u"ab c";
    EXPECT_EQ(shortASCIILetterRun(shortText.data(), shortText.data() + shortText.size(), letters), 0u);
    const std::u16string digits = u"12345678";
    EXPECT_EQ(shortASCIILetterRun(digits.data(), digits.data() + digits.size(), letters), 0u);
}
