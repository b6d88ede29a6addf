#include "platform/foundation/Scanner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace folio {

TEST(Scanner, SkipsWhitespaceAndNewlinesBeforeEachScan)
{
    Scanner scanner(u"  12\n\t abc  ");
    int number = 0;
    ASSERT_TRUE(scanner.scanInt(&number));
    EXPECT_EQ(number, 12);
    EXPECT_EQ(scanner.scanLocation(), 4u);
    std::u16string word;
    ASSERT_TRUE(scanner.scanString(u"abc", &word));
    EXPECT_EQ(word, u"abc");
    // Only skippable characters remain.
    EXPECT_TRUE(scanner.isAtEnd());
    EXPECT_EQ(scanner.scanLocation(), 10u);
}

TEST(Scanner, FailedScansLeaveTheLocationBeforeTheSkippedCharacters)
{
    Scanner scanner(u"   abc");
    EXPECT_FALSE(scanner.scanInt());
    EXPECT_FALSE(scanner.scanString(u"abd"));
    EXPECT_FALSE(scanner.scanCharactersFromSet(CharacterSet::decimalDigitCharacterSet()));
    EXPECT_EQ(scanner.scanLocation(), 0u);
    Scanner sign(u"- 5");
    EXPECT_FALSE(sign.scanInt());
    EXPECT_EQ(sign.scanLocation(), 0u);
}

TEST(Scanner, WithoutSkipSetWhitespaceIsText)
{
    Scanner scanner(u" 5");
    scanner.setCharactersToBeSkipped(std::nullopt);
    EXPECT_FALSE(scanner.scanInt());
    EXPECT_FALSE(scanner.isAtEnd());
    EXPECT_TRUE(scanner.scanString(u" "));
    EXPECT_TRUE(scanner.scanInt());
    EXPECT_TRUE(scanner.isAtEnd());
}

TEST(Scanner, ScanUpToStringAnswersFalseWhenNothingWasScanned)
{
    Scanner scanner(u"key : value");
    std::u16string token;
    ASSERT_TRUE(scanner.scanUpToString(u":", &token));
    // Trailing blanks belong to the token; only leading ones are skipped.
    EXPECT_EQ(token, u"key ");
    EXPECT_EQ(scanner.scanLocation(), 4u);
    EXPECT_FALSE(scanner.scanUpToString(u":", &token));
    EXPECT_EQ(token, u"key ");
    EXPECT_TRUE(scanner.scanString(u":"));
    // A string that never occurs takes the rest of the text.
    ASSERT_TRUE(scanner.scanUpToString(u";", &token));
    EXPECT_EQ(token, u"value");
    EXPECT_TRUE(scanner.isAtEnd());
    EXPECT_FALSE(scanner.scanUpToString(u";", &token));
}

TEST(Scanner, StringScansIgnoreCaseUnlessAskedNotTo)
{
    Scanner scanner(u"URL(x) fooBARbaz");
    std::u16string written;
    ASSERT_TRUE(scanner.scanString(u"url(", &written));
    EXPECT_EQ(written, u"URL(");
    std::u16string before;
    ASSERT_TRUE(scanner.scanUpToString(u")", &before));
    EXPECT_EQ(before, u"x");
    scanner.scanString(u")");
    ASSERT_TRUE(scanner.scanUpToString(u"bar", &before));
    EXPECT_EQ(before, u"foo");

    Scanner strict(u"Abc");
    strict.setCaseSensitive(true);
    EXPECT_FALSE(strict.scanString(u"abc"));
    EXPECT_TRUE(strict.scanString(u"Abc"));
}

TEST(Scanner, CharacterSetScans)
{
    Scanner scanner(u"font-size: 12px");
    CharacterSet nameCharacters = CharacterSet::characterSetWithCharactersInString(
        u"-_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    std::u16string name;
    ASSERT_TRUE(scanner.scanCharactersFromSet(nameCharacters, &name));
    EXPECT_EQ(name, u"font-size");
    EXPECT_FALSE(scanner.scanCharactersFromSet(nameCharacters));
    std::u16string rest;
    ASSERT_TRUE(scanner.scanUpToCharactersFromSet(CharacterSet::decimalDigitCharacterSet(), &rest));
    EXPECT_EQ(rest, u": ");
    EXPECT_FALSE(scanner.scanUpToCharactersFromSet(CharacterSet::decimalDigitCharacterSet()));
}

TEST(Scanner, IntegersStopAtTheFirstInvalidCharacterAndClamp)
{
    Scanner prefix(u"12abc");
    int value = 0;
    ASSERT_TRUE(prefix.scanInt(&value));
    EXPECT_EQ(value, 12);
    EXPECT_EQ(prefix.scanLocation(), 2u);

    Scanner signs(u"+7 -8");
    ASSERT_TRUE(signs.scanInt(&value));
    EXPECT_EQ(value, 7);
    ASSERT_TRUE(signs.scanInt(&value));
    EXPECT_EQ(value, -8);

    Scanner huge(u"99999999999x");
    ASSERT_TRUE(huge.scanInt(&value));
    EXPECT_EQ(value, std::numeric_limits<int>::max());
    EXPECT_EQ(huge.scanLocation(), 11u); // every digit is consumed
    Scanner negative(u"-99999999999");
    ASSERT_TRUE(negative.scanInt(&value));
    EXPECT_EQ(value, std::numeric_limits<int>::min());

    std::int64_t wide = 0;
    Scanner fits(u"-99999999999");
    ASSERT_TRUE(fits.scanInteger(&wide));
    EXPECT_EQ(wide, -99999999999LL);
    Scanner wideHuge(u"9223372036854775808");
    ASSERT_TRUE(wideHuge.scanInteger(&wide));
    EXPECT_EQ(wide, std::numeric_limits<std::int64_t>::max());
    long long longest = 0;
    Scanner wideLow(u"-9223372036854775808");
    ASSERT_TRUE(wideLow.scanLongLong(&longest));
    EXPECT_EQ(longest, std::numeric_limits<long long>::min());
}

TEST(Scanner, HexadecimalIntegers)
{
    unsigned value = 0;
    Scanner prefixed(u"0x1A;");
    ASSERT_TRUE(prefixed.scanHexInt(&value));
    EXPECT_EQ(value, 0x1Au);
    EXPECT_EQ(prefixed.scanLocation(), 4u);

    Scanner bare(u"ff0g");
    ASSERT_TRUE(bare.scanHexInt(&value));
    EXPECT_EQ(value, 0xFF0u);

    // "0x" without a digit after it is the number 0 followed by "x".
    Scanner lonePrefix(u"0xg");
    ASSERT_TRUE(lonePrefix.scanHexInt(&value));
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(lonePrefix.scanLocation(), 1u);

    Scanner huge(u"123456789ABC");
    ASSERT_TRUE(huge.scanHexInt(&value));
    EXPECT_EQ(value, std::numeric_limits<unsigned>::max());
    EXPECT_TRUE(huge.isAtEnd());
    unsigned long long wide = 0;
    Scanner wideScanner(u"123456789ABC");
    ASSERT_TRUE(wideScanner.scanHexLongLong(&wide));
    EXPECT_EQ(wide, 0x123456789ABCull);

    EXPECT_FALSE(Scanner(u"xyz").scanHexInt(&value));
}

TEST(Scanner, FloatingPointNumbers)
{
    double value = 0;
    Scanner exponent(u"  -3.5e2x");
    ASSERT_TRUE(exponent.scanDouble(&value));
    EXPECT_DOUBLE_EQ(value, -350.0);
    EXPECT_EQ(exponent.scanLocation(), 8u);

    // An "e" without digits is not part of the number.
    Scanner dangling(u"1e");
    ASSERT_TRUE(dangling.scanDouble(&value));
    EXPECT_DOUBLE_EQ(value, 1.0);
    EXPECT_EQ(dangling.scanLocation(), 1u);

    Scanner fractionOnly(u".5em");
    ASSERT_TRUE(fractionOnly.scanDouble(&value));
    EXPECT_DOUBLE_EQ(value, 0.5);
    EXPECT_EQ(fractionOnly.scanLocation(), 2u);

    Scanner comma(u"1,5");
    ASSERT_TRUE(comma.scanDouble(&value));
    EXPECT_DOUBLE_EQ(value, 1.0);

    EXPECT_FALSE(Scanner(u".").scanDouble(&value));
    EXPECT_FALSE(Scanner(u"-x").scanDouble(&value));

    Scanner overflow(u"1e999");
    ASSERT_TRUE(overflow.scanDouble(&value));
    EXPECT_TRUE(std::isinf(value));
    float narrow = 0;
    Scanner floatOverflow(u"-1e39");
    ASSERT_TRUE(floatOverflow.scanFloat(&narrow));
    EXPECT_TRUE(std::isinf(narrow));
    EXPECT_LT(narrow, 0);
    Scanner floatValue(u"2.25");
    ASSERT_TRUE(floatValue.scanFloat(&narrow));
    EXPECT_FLOAT_EQ(narrow, 2.25f);
}

TEST(Scanner, LocationIsClampedAndUtf8TextIsAccepted)
{
    Scanner scanner(std::string_view("caf\xC3\xA9 7"));
    EXPECT_EQ(scanner.string(), u"caf\u00E9 7");
    scanner.setScanLocation(100);
    EXPECT_EQ(scanner.scanLocation(), 6u);
    EXPECT_TRUE(scanner.isAtEnd());
    scanner.setScanLocation(4);
    int value = 0;
    ASSERT_TRUE(scanner.scanInt(&value));
    EXPECT_EQ(value, 7);
}

} // namespace folio
