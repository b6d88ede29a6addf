#include "platform/foundation/StringEncoding.h"

#include <gtest/gtest.h>

namespace folio {

TEST(StringEncoding, DecodesOrAnswersNothing)
{
    EXPECT_EQ(stringWithData(std::string_view("caf\xC3\xA9"), StringEncoding::utf8()), u"caf\u00E9");
    EXPECT_EQ(stringWithData(std::string_view(""), StringEncoding::utf8()), u"");
    // Invalid or cut-off sequences never give a partial text.
    EXPECT_EQ(stringWithData(std::string_view("caf\xE9"), StringEncoding::utf8()), std::nullopt);
    EXPECT_EQ(stringWithData(std::string_view("\xE2\x82"), StringEncoding::utf8()), std::nullopt);
    EXPECT_EQ(stringWithData(std::string_view("\xED\xA0\x80"), StringEncoding::utf8()), std::nullopt);
    EXPECT_EQ(stringWithData(std::string_view("\x80"), StringEncoding::ascii()), std::nullopt);
    EXPECT_EQ(stringWithData(std::string_view("a"), StringEncoding::named("no-such-encoding")), std::nullopt);
    EXPECT_FALSE(StringEncoding::named("no-such-encoding").isSupported());
}

TEST(StringEncoding, AsciiReadsAsUtf8AsItDoesInEveryLatinCodePage)
{
    // Every ASCII byte, NUL included, then the same with one UTF-8 character
    // at the end, so that both the whole-ASCII text and the converter's
    // path are read.
    std::string ascii;
    for (int byte = 0; byte < 0x80; ++byte)
        ascii.push_back(static_cast<char>(byte));
    std::optional<std::u16string> asUtf8 = stringWithData(std::string_view(ascii), StringEncoding::utf8());
    ASSERT_TRUE(asUtf8.has_value());
    EXPECT_EQ(asUtf8, stringWithData(std::string_view(ascii), StringEncoding::windowsLatin1()));
    ASSERT_EQ(asUtf8->size(), 0x80u);
    EXPECT_EQ((*asUtf8)[0x7F], u'\x7F');
    EXPECT_EQ(stringWithData(std::string_view(ascii + "\xC3\xA9"), StringEncoding::utf8()), *asUtf8 + u"\u00E9");
    EXPECT_EQ(stringWithData(std::string_view(ascii + "\xE9"), StringEncoding::utf8()), std::nullopt);
}

TEST(StringEncoding, LongAsciiTextIsReadWholeAndAStrayByteAnywhereRefusesIt)
{
    // Long text is widened in stretches of a few hundred units: every unit
    // must arrive once and in order across them, and a byte that is not
    // ASCII near any seam must still be caught, not skipped with its stretch.
    std::string ascii;
    std::u16string expected;
    for (std::size_t index = 0; index < 5000; ++index) {
        char byte = static_cast<char>(0x20 + (index * 7 + index / 95) % 95);
        ascii.push_back(byte);
        expected.push_back(static_cast<char16_t>(byte));
    }
    EXPECT_EQ(stringWithData(std::string_view(ascii), StringEncoding::utf8()), expected);
    for (std::size_t length : {511u, 512u, 513u, 1023u, 1024u, 1025u, 4097u})
        EXPECT_EQ(stringWithData(std::string_view(ascii).substr(0, length), StringEncoding::utf8()),
                  expected.substr(0, length))
            << length;
    for (std::size_t seam : {256u, 512u, 1024u, 1536u, 2048u, 4096u}) {
        for (std::size_t at = seam - 2; at <= seam + 1; ++at) {
            std::string stray = ascii;
            stray[at] = '\xE9';
            EXPECT_EQ(stringWithData(std::string_view(stray), StringEncoding::utf8()), std::nullopt) << at;
            std::string accented = ascii.substr(0, at) + "\xC3\xA9" + ascii.substr(at);
            EXPECT_EQ(stringWithData(std::string_view(accented), StringEncoding::utf8()),
                      expected.substr(0, at) + u"\u00E9" + expected.substr(at))
                << at;
        }
    }
}

TEST(StringEncoding, AUtf8CharacterAnywhereInAsciiTextIsRead)
{
    // ASCII is read in blocks of sixteen and eight bytes: the character that
    // ends that falls at every place in and around each block, and in the
    // tail.
    for (std::size_t length = 0; length < 44; ++length) {
        std::string ascii;
        std::u16string expected;
        for (std::size_t index = 0; index < length; ++index) {
            ascii.push_back(static_cast<char>('a' + index % 26));
            expected.push_back(static_cast<char16_t>(u'a' + index % 26));
        }
        EXPECT_EQ(stringWithData(std::string_view(ascii), StringEncoding::utf8()), expected) << length;
        for (std::size_t at = 0; at <= length; ++at) {
            std::string mixed = ascii.substr(0, at) + "\xC3\xA9" + ascii.substr(at);
            std::u16string mixedExpected = expected.substr(0, at) + u"\u00E9" + expected.substr(at);
            EXPECT_EQ(stringWithData(std::string_view(mixed), StringEncoding::utf8()), mixedExpected) << length << " " << at;
            EXPECT_EQ(stringWithData(std::string_view(ascii.substr(0, at) + "\xE9" + ascii.substr(at)),
                                     StringEncoding::utf8()),
                      std::nullopt);
        }
    }
}

TEST(StringEncoding, CodePagesOfRtfFonts)
{
    EXPECT_EQ(stringWithData(std::string_view("caf\xE9 \x80 \x93"), StringEncoding::windowsLatin1()),
              u"caf\u00E9 \u20AC \u201C");
    EXPECT_EQ(StringEncoding::windowsCodePage(1252), StringEncoding::windowsLatin1());
    EXPECT_EQ(stringWithData(std::string_view("\xC6\xE2"), StringEncoding::windowsCodePage(1251)), u"\u0416\u0432");
    // Two adjacent escaped bytes make one Shift-JIS character.
    EXPECT_EQ(stringWithData(std::string_view("\x82\xA0"), StringEncoding::shiftJIS()), u"\u3042");
    EXPECT_EQ(stringWithData(std::string_view("\x82\xA0"), StringEncoding::windowsCodePage(932)), u"\u3042");
    EXPECT_EQ(stringWithData(std::string_view("\x82"), StringEncoding::shiftJIS()), std::nullopt);
    EXPECT_EQ(stringWithData(std::string_view("\x8E"), StringEncoding::macRoman()), u"\u00E9");
    EXPECT_EQ(stringWithData(std::string_view("\xB0\xA1"), StringEncoding::windowsCodePage(949)), u"\uAC00");
    EXPECT_EQ(stringWithData(std::string_view("\x41\x00", 2), StringEncoding::utf16LittleEndian()), u"A");
}

TEST(StringEncoding, EncodesOrAnswersNothing)
{
    EXPECT_EQ(dataUsingEncoding(u"caf\u00E9", StringEncoding::windowsLatin1()), "caf\xE9");
    EXPECT_EQ(dataUsingEncoding(u"caf\u00E9", StringEncoding::utf8()), "caf\xC3\xA9");
    EXPECT_EQ(dataUsingEncoding(u"\u0436", StringEncoding::windowsLatin1()), std::nullopt);
    EXPECT_EQ(dataUsingEncoding(u"", StringEncoding::windowsLatin1()), "");
}

TEST(StringEncoding, DetectionPicksAnEncodingThatDecodes)
{
    std::string utf8Text;
    for (int i = 0; i < 20; ++i)
        utf8Text += "Der B\xC3\xA4r f\xC3\xA4hrt \xC3\xBC" "ber die Stra\xC3\x9F" "e. ";
    auto bytes = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(utf8Text.data()), utf8Text.size());
    std::optional<StringEncoding> detected = detectEncoding(bytes);
    ASSERT_TRUE(detected.has_value());
    EXPECT_EQ(detected->name(), "UTF-8");

    std::string latin1Text;
    for (int i = 0; i < 20; ++i)
        latin1Text += "Le caf\xE9 est tr\xE8s bon, d\xE9j\xE0 pr\xEAt. ";
    auto latin1 = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(latin1Text.data()), latin1Text.size());
    detected = detectEncoding(latin1);
    ASSERT_TRUE(detected.has_value());
    std::optional<std::u16string> text = stringWithData(latin1, *detected);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->substr(0, 8), u"Le caf\u00E9 ");

    EXPECT_EQ(detectEncoding({}), std::nullopt);
}

TEST(StringEncoding, OneDecoderReadsManyRunsAsEachWouldBeReadAlone)
{
    // A cut-off double-byte character must not stay in the decoder and join
    // the next run's first byte.
    StringDecoder shiftJIS(StringEncoding::shiftJIS());
    const std::string_view runs[] = {"\x82\xA0", "\x82", "\xA0", "ab", "\x82\xA0\x82", "", "\x93\xFA\x96\x7B"};
    for (std::string_view run : runs)
        EXPECT_EQ(shiftJIS.decode(run), stringWithData(run, StringEncoding::shiftJIS())) << run.size();
    // Alone, the trail byte is no character (joined to the lead byte before
    // it, it would read as a hiragana "a").
    EXPECT_EQ(shiftJIS.decode("\x82"), std::nullopt);
    EXPECT_EQ(shiftJIS.decode("\xA0"), std::nullopt);
    EXPECT_EQ(shiftJIS.decode("\x82"), std::nullopt);
    EXPECT_EQ(shiftJIS.decode("a"), u"a");
    EXPECT_EQ(shiftJIS.decode("\x82\xA0"), u"\u3042");

    StringDecoder utf8(StringEncoding::utf8());
    EXPECT_EQ(utf8.decode("\xE2\x82"), std::nullopt);
    EXPECT_EQ(utf8.decode("\xAC"), std::nullopt);
    EXPECT_EQ(utf8.decode("caf\xC3\xA9"), u"caf\u00E9");
    EXPECT_EQ(utf8.encoding(), StringEncoding::utf8());

    StringDecoder latin(StringEncoding::windowsLatin1());
    EXPECT_EQ(latin.decode("\xE9\x80"), u"\u00E9\u20AC");
    StringDecoder moved = std::move(latin);
    EXPECT_EQ(moved.decode("\x93"), u"\u201C");

    StringDecoder missing(StringEncoding::named("no-such-encoding"));
    EXPECT_EQ(missing.decode("a"), std::nullopt);
    EXPECT_EQ(missing.decode(""), std::nullopt);
}

TEST(StringEncoding, UTF8IsToldWithoutDecodingAsTheDecoderTellsIt)
{
    // Valid characters of each length, and what the decoder refuses: a cut
    // character, an overlong form, a surrogate, past U+10FFFF, a stray
    // continuation byte; each after a long run of ASCII and alone.
    const std::string ascii(200, 'a');
    for (const std::string& tail : {std::string("\xC3\xA9"), std::string("\xE2\x82\xAC"), std::string("\xF0\x9F\x98\x80"),
                                    std::string("\xC3"), std::string("\xC0\xAF"), std::string("\xED\xA0\x80"),
                                    std::string("\xF4\x90\x80\x80"), std::string("\x80"), std::string("\xE2\x82")}) {
        for (const std::string& text : {tail, ascii + tail, ascii + tail + ascii}) {
            const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
            EXPECT_EQ(isUTF8(bytes), stringWithData(bytes, StringEncoding::utf8()).has_value()) << text.size();
        }
    }
    EXPECT_TRUE(isUTF8({}));
}

TEST(StringEncoding, UTF8ReadsEveryWellFormedSequenceAndRefusesEveryOther)
{
    // The first and last characters of each length and around the
    // surrogates, and what Unicode calls ill-formed: overlong forms of
    // each length, surrogates, past U+10FFFF, bytes that never start a
    // character, and characters cut off by the end of the text or by the
    // next character. Each alone and amid ASCII on both sides.
    struct Case {
        std::string bytes;
        std::optional<std::u16string> text;
    };
    const Case cases[] = {
        {"\xC2\x80", u"\u0080"},
        {"\xDF\xBF", u"\u07FF"},
        {"\xE0\xA0\x80", u"\u0800"},
        {"\xED\x9F\xBF", u"\uD7FF"},
        {"\xEE\x80\x80", u"\uE000"},
        {"\xEF\xBF\xBF", u"\uFFFF"},
        {"\xF0\x90\x80\x80", u"\U00010000"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", u"\u00E9\u20AC\U0001F600"},
        {"\xC0\x80", std::nullopt},
        {"\xC1\xBF", std::nullopt},
        {"\xE0\x9F\xBF", std::nullopt},
        {"\xF0\x8F\xBF\xBF", std::nullopt},
        {"\xED\xA0\x80", std::nullopt},
        {"\xED\xBF\xBF", std::nullopt},
        {"\xF4\x90\x80\x80", std::nullopt},
        {"\xF5\x80\x80\x80", std::nullopt},
        {"\xFF", std::nullopt},
        {"\xBF", std::nullopt},
        {"\xC3", std::nullopt},
        {"\xE2\x82", std::nullopt},
        {"\xF0\x9F\x98", std::nullopt},
        {"\xC3\xC3\xA9", std::nullopt},
        {"\xE2\x82" "a", std::nullopt},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(stringWithData(std::string_view(test.bytes), StringEncoding::utf8()), test.text) << test.bytes;
        const std::optional<std::u16string> amid = stringWithData(std::string_view("ab" + test.bytes + "cd"), StringEncoding::utf8());
        EXPECT_EQ(amid, test.text ? std::optional(u"ab" + *test.text + u"cd") : std::nullopt) << test.bytes;
    }
}

} // namespace folio
