#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "support/TurkishLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace folio {

TEST(StringNumbers, ReadTheLongestNumberPrefix)
{
    EXPECT_EQ(intValue(u"12abc"), 12);
    EXPECT_FLOAT_EQ(floatValue(u"  -3.5e2x"), -350.0f);
    EXPECT_EQ(intValue(u"abc"), 0);
    EXPECT_DOUBLE_EQ(doubleValue(u"abc"), 0.0);
    EXPECT_DOUBLE_EQ(doubleValue(u" \n\t2.5cm"), 2.5);
    EXPECT_DOUBLE_EQ(doubleValue(u".75"), 0.75);
    EXPECT_DOUBLE_EQ(doubleValue(u"-"), 0.0);
    EXPECT_EQ(intValue(u"3.9"), 3);
    EXPECT_EQ(intValue(u"+42"), 42);
    EXPECT_EQ(intValue(u"- 4"), 0);
    EXPECT_EQ(integerValue(u"-17px"), -17);
    // Script answers and keys arrive as UTF-8.
    EXPECT_EQ(intValue(std::string_view("  8 items")), 8);
    EXPECT_DOUBLE_EQ(doubleValue(std::string_view("2.54")), 2.54);
    EXPECT_FLOAT_EQ(floatValue(std::string_view("1e-2")), 0.01f);
}

TEST(StringNumbers, SkipEveryKindOfLeadingBlank)
{
    EXPECT_EQ(intValue(u"\v\f\r7"), 7);
    EXPECT_EQ(intValue(u"\u00A0 \u2003-12"), -12);
    EXPECT_EQ(intValue(u" \u2028\t\u0085 5"), 5);
    EXPECT_DOUBLE_EQ(doubleValue(u"\u3000\u3000" u"1.5"), 1.5);
    // Controls that are not blanks end the prefix, ASCII or not.
    EXPECT_EQ(intValue(u"\x1C" u"5"), 0);
    EXPECT_EQ(intValue(u" \u200B" u"5"), 0);
    EXPECT_EQ(intValue(u" \u00A0\x1F" u"5"), 0);
}

TEST(StringNumbers, OverflowClampsToTheTypeLimits)
{
    EXPECT_EQ(intValue(u"99999999999"), std::numeric_limits<int>::max());
    EXPECT_EQ(intValue(u"-99999999999"), std::numeric_limits<int>::min());
    EXPECT_EQ(integerValue(u"99999999999"), 99999999999LL);
    EXPECT_EQ(integerValue(u"99999999999999999999999"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(longLongValue(std::string_view("-99999999999999999999999")), std::numeric_limits<long long>::min());
    EXPECT_TRUE(std::isinf(doubleValue(u"1e400")));
    EXPECT_TRUE(std::isinf(floatValue(u"1e39")));
    EXPECT_EQ(doubleValue(u"1e-400"), 0.0);
}

TEST(StringNumbers, BoolValueLooksAtTheFirstSignificantCharacter)
{
    for (const char16_t* yes : {u"YES", u"yes", u"true", u"T", u"1", u"  +0009", u"-1", u"7abc"})
        EXPECT_TRUE(boolValue(yes)) << toUtf8(yes);
    for (const char16_t* no : {u"", u"NO", u"false", u"0", u"000", u"0.5", u"  x", u"n"})
        EXPECT_FALSE(boolValue(no)) << toUtf8(no);
    EXPECT_TRUE(boolValue(std::string_view("1")));
    EXPECT_FALSE(boolValue(std::string_view("")));
}

TEST(StringNumbers, ReadingIgnoresTheProcessLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    const char* commaLocale = nullptr;
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE.utf8", "fr_FR.utf8"}) {
        if (std::setlocale(LC_NUMERIC, name)) {
            commaLocale = name;
            break;
        }
    }
    if (!commaLocale)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    double read = doubleValue(u"1.5");
    std::string written = formatInCLocale("%.2f", 1.5);
    std::string fixed = formatFixed(1.5, 1);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_DOUBLE_EQ(read, 1.5);
    EXPECT_EQ(written, "1.50");
    EXPECT_EQ(fixed, "1.5");
}

TEST(StringSplitting, ComponentsKeepEmptyPieces)
{
    using Pieces = std::vector<std::u16string>;
    EXPECT_EQ(componentsSeparatedByString(u"a,,b", u","), (Pieces{u"a", u"", u"b"}));
    EXPECT_EQ(componentsSeparatedByString(u",a,", u","), (Pieces{u"", u"a", u""}));
    EXPECT_EQ(componentsSeparatedByString(u"", u","), (Pieces{u""}));
    EXPECT_EQ(componentsSeparatedByString(u"x::y::", u"::"), (Pieces{u"x", u"y", u""}));
    EXPECT_EQ(componentsSeparatedByString(u"abc", u""), (Pieces{u"abc"}));
    EXPECT_EQ(componentsSeparatedByString(std::string_view("1::2"), std::string_view("::")),
              (std::vector<std::string>{"1", "2"}));

    const CharacterSet& blanks = CharacterSet::whitespaceCharacterSet();
    EXPECT_EQ(componentsSeparatedByCharactersInSet(u"a b\tc", blanks), (Pieces{u"a", u"b", u"c"}));
    EXPECT_EQ(componentsSeparatedByCharactersInSet(u"a  b ", blanks), (Pieces{u"a", u"", u"b", u""}));
    EXPECT_EQ(componentsSeparatedByCharactersInSet(u"", blanks), (Pieces{u""}));
    CharacterSet smiley = CharacterSet::characterSetWithCharactersInString(u"\U0001F600");
    EXPECT_EQ(componentsSeparatedByCharactersInSet(u"x\U0001F600y", smiley), (Pieces{u"x", u"y"}));
}

TEST(StringSplitting, TrimmingRemovesSetMembersFromBothEnds)
{
    const CharacterSet& space = CharacterSet::whitespaceAndNewlineCharacterSet();
    EXPECT_EQ(stringByTrimmingCharactersInSet(u" \n hi there \t", space), u"hi there");
    EXPECT_EQ(stringByTrimmingCharactersInSet(u" \n ", space), u"");
    EXPECT_EQ(stringByTrimmingCharactersInSet(u"", space), u"");
    EXPECT_EQ(stringByTrimmingCharactersInSet(std::string_view(" red "), space), "red");
    CharacterSet smiley = CharacterSet::characterSetWithCharactersInString(u"\U0001F600");
    EXPECT_EQ(stringByTrimmingCharactersInSet(u"\U0001F600a\U0001F600", smiley), u"a");
    EXPECT_EQ(stringByTrimmingCharactersInSet(u"\U0001F601", smiley), u"\U0001F601");
}

TEST(StringCase, MappingIsLocaleIndependentAndMayChangeLength)
{
    EXPECT_EQ(uppercaseString(u"stra\u00DFe"), u"STRASSE");
    EXPECT_EQ(uppercaseString(u"istanbul"), u"ISTANBUL");
    EXPECT_EQ(lowercaseString(u"\u00C0B"), u"\u00E0b");
    EXPECT_EQ(lowercaseString(std::string_view("Times-Bold")), "times-bold");
    EXPECT_EQ(uppercaseString(std::string_view("caf\xC3\xA9")), "CAF\xC3\x89");
    EXPECT_EQ(uppercaseString(u""), u"");
}

TEST(StringCase, ASCIICaseBlindChecksHoldInATurkishLocale)
{
    test::TurkishLocale turkish;
    if (!turkish.active())
        GTEST_SKIP() << "no Turkish locale can be made here";
    EXPECT_EQ(asciiLowercaseString("JAVASCRIPT:Alert(\xC4\xB0)"), "javascript:alert(\xC4\xB0)") << "only ASCII letters change";
    EXPECT_TRUE(equalsIgnoringASCIICase("FILE", "file"));
    EXPECT_FALSE(equalsIgnoringASCIICase("file", "files"));
    EXPECT_TRUE(hasPrefixIgnoringASCIICase("FILE:///x", "file://"));
    EXPECT_FALSE(hasPrefixIgnoringASCIICase("fil", "file"));
    EXPECT_TRUE(containsIgnoringASCIICase("color:red;DISPLAY:NONE", "display:none"));
    EXPECT_FALSE(containsIgnoringASCIICase("display:no", "display:none"));
    EXPECT_TRUE(containsIgnoringASCIICase("anything", ""));
}

// ASCII text lowers without ICU, every letter and nothing else; text with
// other characters lowers through ICU, including its ASCII letters.
TEST(StringCase, ASCIILowersLetterByLetterAndOtherTextAsBefore)
{
    std::u16string all;
    for (char16_t c = 0; c < 0x80; ++c)
        all += c;
    const std::u16string lowered = lowercaseString(all);
    ASSERT_EQ(lowered.size(), all.size());
    for (char16_t c = 0; c < 0x80; ++c)
        EXPECT_EQ(lowered[c], c >= u'A' && c <= u'Z' ? c + 32 : c) << static_cast<int>(c);
    EXPECT_EQ(lowercaseString(u"ISTANBUL"), u"istanbul");
    EXPECT_EQ(lowercaseString(u"\u00C9COLE Stra\u00DFe"), u"\u00E9cole stra\u00DFe");
    EXPECT_EQ(lowercaseString(u"\u0130I"), u"i\u0307i");
}

// Uppering is the same: ASCII letter by letter, other text through ICU.
TEST(StringCase, ASCIIUppersLetterByLetterAndOtherTextAsBefore)
{
    std::u16string all;
    for (char16_t c = 0; c < 0x80; ++c)
        all += c;
    const std::u16string uppered = uppercaseString(all);
    ASSERT_EQ(uppered.size(), all.size());
    for (char16_t c = 0; c < 0x80; ++c)
        EXPECT_EQ(uppered[c], c >= u'a' && c <= u'z' ? c - 32 : c) << static_cast<int>(c);
    EXPECT_EQ(uppercaseString(u"hyperlink"), u"HYPERLINK");
    // A dotless i and a long s upper to ASCII letters, and a sharp s to two.
    EXPECT_EQ(uppercaseString(u"hyperl\u0131nk"), u"HYPERLINK");
    EXPECT_EQ(uppercaseString(u"\u017Ftra\u00DFe"), u"STRASSE");
}

TEST(StringSearch, FindsWithOptions)
{
    EXPECT_EQ(rangeOfString(u"Hello World", u"world"), NotFoundRange);
    EXPECT_EQ(rangeOfString(u"Hello World", u"WORLD", StringCompareOptions::CaseInsensitive), (Range{6, 5}));
    EXPECT_EQ(rangeOfString(u"\u00C9T\u00C9 \u00E9t\u00E9", u"\u00E9t\u00E9", StringCompareOptions::CaseInsensitive),
              (Range{0, 3}));
    EXPECT_EQ(rangeOfString(u"abcabc", u"bc", StringCompareOptions::Backwards), (Range{4, 2}));
    EXPECT_EQ(rangeOfString(u"abcabc", u"bc", StringCompareOptions::Anchored), NotFoundRange);
    EXPECT_EQ(rangeOfString(u"abcabc", u"AB", StringCompareOptions::Anchored | StringCompareOptions::CaseInsensitive),
              (Range{0, 2}));
    EXPECT_EQ(rangeOfString(u"abcabc", u"bc", StringCompareOptions::Anchored | StringCompareOptions::Backwards),
              (Range{4, 2}));
    EXPECT_EQ(rangeOfString(u"abcabc", u"ab", StringCompareOptions::Anchored | StringCompareOptions::Backwards),
              NotFoundRange);
    EXPECT_EQ(rangeOfString(u"abcabc", u"abc", StringCompareOptions::None, Range{1, 5}), (Range{3, 3}));
    // A match must lie wholly inside the search range.
    EXPECT_EQ(rangeOfString(u"abcabc", u"abc", StringCompareOptions::None, Range{1, 4}), NotFoundRange);
    EXPECT_EQ(rangeOfString(u"abc", u"c", StringCompareOptions::None, Range{10, 5}), NotFoundRange);
    EXPECT_EQ(rangeOfString(u"abc", u""), NotFoundRange);
}

TEST(StringSearch, FindsCharactersFromASet)
{
    const CharacterSet& digits = CharacterSet::decimalDigitCharacterSet();
    EXPECT_EQ(rangeOfCharacterFromSet(u"ab1c2", digits), (Range{2, 1}));
    EXPECT_EQ(rangeOfCharacterFromSet(u"ab1c2", digits, StringCompareOptions::Backwards), (Range{4, 1}));
    EXPECT_EQ(rangeOfCharacterFromSet(u"ab1c2", digits, StringCompareOptions::Anchored), NotFoundRange);
    EXPECT_EQ(rangeOfCharacterFromSet(u"abc", digits), NotFoundRange);
    CharacterSet smiley = CharacterSet::characterSetWithCharactersInString(u"\U0001F600");
    EXPECT_EQ(rangeOfCharacterFromSet(u"a\U0001F600", smiley), (Range{1, 2}));
    EXPECT_EQ(rangeOfCharacterFromSet(u"a\U0001F600b", smiley, StringCompareOptions::Backwards), (Range{1, 2}));
}

TEST(StringReplacing, ReplacesEveryOccurrenceLeftToRight)
{
    EXPECT_EQ(stringByReplacingOccurrencesOfString(u"a.b.c", u".", u"-"), u"a-b-c");
    EXPECT_EQ(stringByReplacingOccurrencesOfString(u"aaa", u"aa", u"b"), u"ba");
    EXPECT_EQ(stringByReplacingOccurrencesOfString(u"a  b", u"  ", u" \u00A0"), u"a \u00A0b");
    EXPECT_EQ(stringByReplacingOccurrencesOfString(u"<BR>x<br>", u"<br>", u"\n", StringCompareOptions::CaseInsensitive),
              u"\nx\n");
    EXPECT_EQ(stringByReplacingOccurrencesOfString(u"abc", u"", u"x"), u"abc");
    EXPECT_EQ(stringByReplacingOccurrencesOfString(u"abc", u"abc", u""), u"");
    EXPECT_EQ(stringByReplacingOccurrencesOfString(std::string_view("a'b'"), std::string_view("'"),
                                                   std::string_view("\\'")),
              "a\\'b\\'");
}

TEST(StringReplacing, LineEndings)
{
    std::u16string text = u"a\r\nb\rc\nd\n\re";
    replaceAllLineEndingsWithString(text, u"<br>");
    // LF followed by CR is two line endings; only CR LF is one.
    EXPECT_EQ(text, u"a<br>b<br>c<br>d<br><br>e");
    std::u16string empty;
    replaceAllLineEndingsWithString(empty, u"\n");
    EXPECT_EQ(empty, u"");
    EXPECT_EQ(stringByNormalizingLineEndings(u"x\r\n\r\ny\r"), u"x\n\ny\n");
    EXPECT_EQ(stringByNormalizingLineEndings(u"plain"), u"plain");
}

TEST(StringReplacing, PrefixesAndSuffixes)
{
    EXPECT_TRUE(hasPrefix(u"rte://caret", u"rte://"));
    EXPECT_FALSE(hasPrefix(u"rte:", u"rte://"));
    EXPECT_TRUE(hasSuffix(u"image.png", u".png"));
    EXPECT_FALSE(hasSuffix(u"image.png", u".PNG"));
    EXPECT_TRUE(hasPrefix(std::string_view("abc"), std::string_view("")));
    EXPECT_TRUE(hasSuffix(std::string_view("a.rtf"), std::string_view(".rtf")));
}

TEST(NumberFormatting, FixedRoundsHalfToEvenLikePrintf)
{
    EXPECT_EQ(formatFixed(0.5, 0), "0");
    EXPECT_EQ(formatFixed(1.5, 0), "2");
    EXPECT_EQ(formatFixed(2.5, 0), "2");
    EXPECT_EQ(formatFixed(3.5, 0), "4");
    EXPECT_EQ(formatFixed(88.506667, 0), "89");
    EXPECT_EQ(formatFixed(-0.4, 0), "-0");
    // 1.005 is stored just below the tie, so it rounds down.
    EXPECT_EQ(formatFixed(1.005, 2), "1.00");
    EXPECT_EQ(formatFixed(2.54, 2), "2.54");
    EXPECT_EQ(formatFixed(1e300, 0).size(), 301u);
    EXPECT_EQ(formatFixed(std::numeric_limits<double>::infinity(), 0), "inf");
}

TEST(NumberFormatting, GeneralAndShortestForms)
{
    EXPECT_EQ(formatGeneral(100), "100");
    EXPECT_EQ(formatGeneral(0.0001234), "0.0001234");
    EXPECT_EQ(formatGeneral(1234567), "1.23457e+06");
    EXPECT_EQ(formatGeneral(2.5, 1), "2");
    EXPECT_EQ(formatGeneral(15.9996), "15.9996");
    EXPECT_EQ(formatShortest(0.1), "0.1");
    EXPECT_EQ(formatShortest(3.0), "3");
    EXPECT_EQ(formatShortest(-12.25), "-12.25");
    EXPECT_EQ(formatShortest(1.0 / 3.0), "0.3333333333333333");
    EXPECT_EQ(formatShortest(1e21), "1e+21");
    EXPECT_EQ(doubleValue(toUtf16(formatShortest(0.1 + 0.2))), 0.1 + 0.2);
}

TEST(NumberFormatting, PrintfInTheCLocale)
{
    EXPECT_EQ(formatInCLocale("width:%.0fpx;", 88.5), "width:88px;");
    EXPECT_EQ(formatInCLocale("%06lX", 0xFFA0B1ul), "FFA0B1");
    std::string longText(1000, 'x');
    EXPECT_EQ(formatInCLocale("<%s>", longText.c_str()), "<" + longText + ">");
    EXPECT_EQ(formatInCLocale("%s", ""), "");
}

} // namespace folio
