#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

namespace folio {

TEST(Unicode, RoundTripsSurrogatePairsAsTwoUnits)
{
    std::u16string text = toUtf16("a\xF0\x9F\x98\x80" "b");
    ASSERT_EQ(text.size(), 4u);
    EXPECT_TRUE(isHighSurrogate(text[1]));
    EXPECT_TRUE(isLowSurrogate(text[2]));
    EXPECT_EQ(toUtf8(text), "a\xF0\x9F\x98\x80" "b");
}

TEST(Unicode, ReplacesInvalidBytesAndLoneSurrogates)
{
    // Whole ASCII text and the same text with one bad byte at its end.
    EXPECT_EQ(toUtf16(std::string_view("a\0\x7F", 3)), std::u16string(u"a\0\x7F", 3));
    EXPECT_EQ(toUtf16(std::string_view("a\0\x7F\xC3", 4)), std::u16string(u"a\0\x7F\uFFFD", 4));
    EXPECT_EQ(toUtf16("a\xFF" "b"), u"a\uFFFDb");
    std::u16string lone{u'x', static_cast<char16_t>(0xD800)};
    EXPECT_EQ(toUtf8(lone), "x\xEF\xBF\xBD");
}

TEST(Unicode, AppendsEveryLengthOfUtf8AfterWhatIsThere)
{
    std::string html = "<p>";
    // One, two, three and four bytes: "a", e acute, the euro sign, a face.
    appendUtf8(html, u"a\u00E9\u20AC\U0001F600");
    EXPECT_EQ(html, "<p>a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    // The edges of each length.
    std::string edges;
    appendUtf8(edges, u"\u007F\u0080\u07FF\u0800\uFFFF");
    EXPECT_EQ(edges, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
    EXPECT_EQ(toUtf16(edges), u"\u007F\u0080\u07FF\u0800\uFFFF");
}

TEST(Unicode, AppendReplacesUnpairedSurrogatesWhereverTheyStand)
{
    const char16_t high = 0xD83D;
    const char16_t low = 0xDE00;
    // A low half first, a high half before a letter, two high halves, a high half last.
    std::u16string text{low, u'a', high, u'b', high, high, low, high};
    std::string written;
    appendUtf8(written, text);
    EXPECT_EQ(written, "\xEF\xBF\xBD" "a" "\xEF\xBF\xBD" "b" "\xEF\xBF\xBD" "\xF0\x9F\x98\x80" "\xEF\xBF\xBD");
    EXPECT_EQ(toUtf8(text), written);
}

TEST(Unicode, WidensAsciiAndFindsOtherTextWhereverItStarts)
{
    // The ASCII stretches are widened in blocks: a multi-byte character at
    // any place in or after a block, and lengths on either side of a block,
    // must all come out whole.
    for (std::size_t length = 0; length <= 19; ++length) {
        std::string ascii;
        std::u16string expected;
        for (std::size_t index = 0; index < length; ++index) {
            ascii += static_cast<char>('!' + index * 5);
            expected += static_cast<char16_t>(u'!' + index * 5);
        }
        EXPECT_EQ(toUtf16(ascii), expected) << length;
        for (std::size_t at = 0; at <= length; ++at) {
            std::string mixed = ascii;
            mixed.insert(at, "\xC3\xA9");
            std::u16string wanted = expected;
            wanted.insert(at, u"\u00E9");
            EXPECT_EQ(toUtf16(mixed), wanted) << length << " at " << at;
        }
    }
    EXPECT_EQ(toUtf16(std::string_view("\x7F\x7F\x7F\x7F\x7F\x7F\x7F\x80", 8)), u"\u007F\u007F\u007F\u007F\u007F\u007F\u007F\uFFFD");
}

TEST(Unicode, NarrowsAsciiAndEncodesOtherTextWhereverItStarts)
{
    // The same blocks the other way: a character beyond ASCII (one whose
    // high byte is clear but which is not ASCII, and one with it set) at any
    // place, after what the string already held.
    for (std::size_t length = 0; length <= 19; ++length) {
        std::u16string ascii;
        std::string expected = "<";
        for (std::size_t index = 0; index < length; ++index) {
            ascii += static_cast<char16_t>(u'!' + index * 5);
            expected += static_cast<char>('!' + index * 5);
        }
        std::string written = "<";
        appendUtf8(written, ascii);
        EXPECT_EQ(written, expected) << length;
        for (std::size_t at = 0; at <= length; ++at) {
            for (const auto& [unit, bytes] : {std::pair{u'\u0080', "\xC2\x80"}, std::pair{u'\u4E00', "\xE4\xB8\x80"}}) {
                std::u16string mixed = ascii;
                mixed.insert(at, 1, unit);
                std::string wanted = expected;
                wanted.insert(at + 1, bytes);
                written = "<";
                appendUtf8(written, mixed);
                EXPECT_EQ(written, wanted) << length << " at " << at;
            }
        }
    }
}

} // namespace folio
