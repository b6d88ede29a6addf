#include "platform/foundation/UnitSearch.h"

#include "support/RepeatedText.h"

#include <gtest/gtest.h>

#include <string>

using namespace folio;

TEST(UnitSearch, findsTheFirstStopAtEveryPlaceInAndAroundABlock)
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

TEST(UnitSearch, findsTheFirstSpacedPairAtEveryPlaceInAndAroundABlock)
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

TEST(UnitSearch, aStopOutsideASCIIIsFoundWhereItsLowByteIsNot)
{
    // U+201D shares its low byte with U+011D and U+1D1D.
    std::u16string text = u"ab\u011D\u1D1Dcdefghijklmnopq\u201Dr";
    EXPECT_EQ((findFirstOf<u'"', u'\u201D'>(text.data(), 0, text.size())), text.size() - 2);
}
