#include "platform/foundation/ByteSearch.h"
#include "platform/foundation/UnitSearch.h"

#include "support/RepeatedText.h"

#include <gtest/gtest.h>

#include <string>

using namespace folio;

TEST(ByteSearch, findsTheFirstStopAndControlByteAtEveryPlaceOfABlock)
{
    // Beside 8-bit bytes (UTF-8 and code page text), which a signed
    // comparison would take for control bytes.
    const std::string filler = "ab\xC3\xA9\xE2\x82\xAC;c\xFF\x9C";
    for (std::size_t length = 0; length < 40; ++length) {
        const std::string text = repeatedTo(filler, length);
        EXPECT_EQ((findFirstOf<'\\', '{', '}'>(text.data(), 0, text.size())), text.size()) << length;
        EXPECT_EQ((findFirstByteBelow<0x20, '\t'>(text.data(), 0, text.size())), text.size()) << length;
        for (std::size_t at = 0; at < length; ++at) {
            for (char stop : {'\\', '{', '}'}) {
                std::string stopped = text;
                stopped[at] = stop;
                EXPECT_EQ((findFirstOf<'\\', '{', '}'>(stopped.data(), 0, stopped.size())), at) << length;
                EXPECT_EQ((findFirstOf<'\\', '{', '}'>(stopped.data(), at + 1, stopped.size())), stopped.size());
            }
            for (char control : {'\0', '\n', '\x1F'}) {
                std::string stopped = text;
                stopped[at] = control;
                EXPECT_EQ((findFirstByteBelow<0x20, '\t'>(stopped.data(), 0, stopped.size())), at) << length;
            }
            std::string tabbed = text;
            tabbed[at] = '\t';
            EXPECT_EQ((findFirstByteBelow<0x20, '\t'>(tabbed.data(), 0, tabbed.size())), tabbed.size());
        }
    }
}

TEST(ByteSearch, asciiRunsEndAtTheFirst8BitByteAndWidenUnsigned)
{
    for (std::size_t length = 0; length < 140; ++length) {
        const std::string ascii = repeatedTo("word\\par{} ", length);
        EXPECT_EQ(asciiRunLength(ascii.data(), 0, ascii.size()), length);
        for (std::size_t at = 0; at < length; at += 7) {
            std::string stopped = ascii;
            stopped[at] = '\xE9';
            EXPECT_EQ(asciiRunLength(stopped.data(), 0, stopped.size()), at) << length;
            std::u16string wide(stopped.size(), u'\0');
            widenBytes(stopped.data(), stopped.size(), wide.data());
            EXPECT_EQ(wide[at], u'\u00E9') << length;
            const std::u16string before(ascii.begin(), ascii.begin() + static_cast<long>(at));
            EXPECT_EQ(wide.substr(0, at), before);
            // A run widened in blocks stops at the 8-bit byte, or at its end.
            std::u16string run(stopped.size() + 16, u'\0');
            EXPECT_EQ(widenASCIIRun(stopped.data(), 0, stopped.size(), stopped.size(), run.data()), at) << length;
            EXPECT_EQ(run.substr(0, at), before);
            EXPECT_EQ(widenASCIIRun(stopped.data(), 0, at / 2, stopped.size(), run.data()), at / 2) << length;
            if (at + 1 < length) {
                EXPECT_EQ(widenASCIIRun(stopped.data(), at + 1, length, stopped.size(), run.data()), length - at - 1);
            }
        }
    }
}

TEST(ByteSearch, shortLetterRunsArePackedFirstLetterHighest)
{
    std::uint64_t letters = 0;
    const std::string word = "pard\\plain more";
    ASSERT_EQ(shortASCIILetterRun(word.data(), word.data() + word.size(), letters), 4u);
    EXPECT_EQ(letters, 0x70617264u);
    // Eight letters or more, a run cut by an 8-bit byte's sign, or too
    // few bytes left: the caller reads the letters itself.
    const std::string longWord = "paperwidth12";
    EXPECT_EQ(shortASCIILetterRun(longWord.data(), longWord.data() + longWord.size(), letters), 0u);
    const std::string accented = "ab\xC1" "cdefgh";
    EXPECT_EQ(shortASCIILetterRun(accented.data(), accented.data() + accented.size(), letters), 2u);
    EXPECT_EQ(letters, 0x6162u);
    const std::string shortTail = "b0 x";
    EXPECT_EQ(shortASCIILetterRun(shortTail.data(), shortTail.data() + shortTail.size(), letters), 0u);
    // Eight letters are packed whole when the byte after them ends the run;
    // without that byte, or with a ninth letter, the run's end is unknown.
    const std::string eight = "brdrnone\\brdrw10";
    ASSERT_EQ(shortASCIILetterRun(eight.data(), eight.data() + eight.size(), letters), 8u);
    EXPECT_EQ(letters, 0x627264726E6F6E65u);
    EXPECT_EQ(shortASCIILetterRun(eight.data(), eight.data() + 8, letters), 0u);
    const std::string nine = "brdrnoneX";
    EXPECT_EQ(shortASCIILetterRun(nine.data(), nine.data() + nine.size(), letters), 0u);
    const std::string eightBitAfter = "brdrnone\xC1";
    EXPECT_EQ(shortASCIILetterRun(eightBitAfter.data(), eightBitAfter.data() + eightBitAfter.size(), letters), 8u);
}

TEST(ByteSearch, spacedPairsAreFoundAtEveryPlace)
{
    // A "p" alone, or two beside each other, is no pair.
    for (std::size_t length = 3; length < 70; ++length) {
        const std::string plain = repeatedTo("apb\\ppq", length);
        EXPECT_EQ((findSpacedPair<'p', 'p', 2>(plain.data(), 0, length - 2)), length - 2) << length;
        for (std::size_t at = 0; at + 2 < length; ++at) {
            std::string paired = repeatedTo("abcde", length);
            paired[at] = 'p';
            paired[at + 2] = 'p';
            EXPECT_EQ((findSpacedPair<'p', 'p', 2>(paired.data(), 0, length - 2)), at) << length;
            EXPECT_EQ((findSpacedPair<'p', 'p', 2>(paired.data(), at + 1, length - 2)), length - 2) << length;
        }
    }
}
