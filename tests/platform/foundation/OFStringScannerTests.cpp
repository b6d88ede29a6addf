#include "platform/foundation/OFStringScanner.h"

#include <gtest/gtest.h>

namespace folio {

TEST(OFStringScanner, StepsOverSingleUnitsAndAnswersEndOfData)
{
    OFStringScanner scanner(u"ab\U0001F600");
    EXPECT_EQ(scanner.peekCharacter(), u'a');
    EXPECT_EQ(scanner.peekCharacter(), u'a');
    scanner.skipPeekedCharacter();
    EXPECT_EQ(scanner.readCharacter(), u'b');
    // Units, not code points.
    EXPECT_EQ(scanner.readCharacter(), u'\xD83D');
    scanner.skipCharacters(10);
    EXPECT_TRUE(scanner.isAtEnd());
    EXPECT_EQ(scanner.scanLocation(), 4u);
    EXPECT_EQ(scanner.peekCharacter(), OFStringScanner::kEndOfDataCharacter);
    EXPECT_EQ(scanner.readCharacter(), OFStringScanner::kEndOfDataCharacter);
    scanner.skipPeekedCharacter();
    EXPECT_EQ(scanner.scanLocation(), 4u);
}

TEST(OFStringScanner, TokensLeaveTheirDelimiterUnread)
{
    OFStringScanner scanner(u"Arial;}");
    EXPECT_EQ(scanner.readTokenFragmentWithDelimiterCharacter(u';'), u"Arial");
    EXPECT_EQ(scanner.peekCharacter(), u';');
    // The delimiter first gives an empty token, not nothing.
    EXPECT_EQ(scanner.readTokenFragmentWithDelimiterCharacter(u';'), u"");
    scanner.skipPeekedCharacter();
    EXPECT_EQ(scanner.readTokenFragmentWithDelimiterCharacter(u';'), u"}");
    EXPECT_EQ(scanner.readTokenFragmentWithDelimiterCharacter(u';'), std::nullopt);

    CharacterSet reserved = CharacterSet::characterSetWithCharactersInString(u"\\{}\r\n");
    OFStringScanner rtf(u"Hello world\\par}");
    EXPECT_EQ(rtf.readTokenFragmentWithDelimiterSet(reserved), u"Hello world");
    EXPECT_EQ(rtf.peekCharacter(), u'\\');
    EXPECT_EQ(rtf.readTokenFragmentWithDelimiterSet(reserved), u"");
    rtf.skipPeekedCharacter();
    CharacterSet nonLetters = CharacterSet::characterSetWithAllCharactersExceptString(
        u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(rtf.readTokenFragmentWithDelimiterSet(nonLetters), u"par");
    rtf.skipUpToCharacterInSet(CharacterSet::characterSetWithCharactersInString(u"x"));
    EXPECT_TRUE(rtf.isAtEnd());
    EXPECT_EQ(rtf.readTokenFragmentWithDelimiterSet(reserved), std::nullopt);
}

TEST(OFStringScanner, StringSearches)
{
    OFStringScanner scanner(u"\\picwgoal120\\pichgoal80\n0a0b}");
    EXPECT_TRUE(scanner.scanString(u"\\picw"));
    EXPECT_FALSE(scanner.scanString(u"\\pich"));
    EXPECT_EQ(scanner.readFullTokenUpToString(u"\\pich"), u"goal120");
    EXPECT_TRUE(scanner.hasPrefix(u"\\pich"));
    EXPECT_TRUE(scanner.scanUpToString(u"\n"));
    EXPECT_EQ(scanner.peekCharacter(), u'\n');
    std::size_t before = scanner.scanLocation();
    EXPECT_TRUE(scanner.scanUpToString(u"\n"));
    EXPECT_EQ(scanner.scanLocation(), before);
    scanner.skipPeekedCharacter();
    // A missing string takes the rest of the text.
    EXPECT_EQ(scanner.readFullTokenUpToString(u"}}"), u"0a0b}");
    EXPECT_EQ(scanner.readFullTokenUpToString(u"}}"), std::nullopt);

    OFStringScanner missing(u"abc");
    EXPECT_FALSE(missing.scanUpToString(u"zz"));
    EXPECT_TRUE(missing.isAtEnd());
}

TEST(OFStringScanner, ReadsBoundedRunsOfDigits)
{
    OFStringScanner hex(u"e9Fx");
    EXPECT_EQ(hex.readHexadecimalNumber(2), 0xE9u);
    EXPECT_EQ(hex.readHexadecimalNumber(2), 0xFu);
    EXPECT_EQ(hex.readHexadecimalNumber(2), std::nullopt);
    EXPECT_EQ(hex.peekCharacter(), u'x');

    OFStringScanner decimal(u"1234567 -1");
    EXPECT_EQ(decimal.readUnsignedDecimalNumber(5), 12345u);
    EXPECT_EQ(decimal.readUnsignedDecimalNumber(5), 67u);
    decimal.skipPeekedCharacter();
    EXPECT_EQ(decimal.readUnsignedDecimalNumber(5), std::nullopt);
    EXPECT_EQ(decimal.peekCharacter(), u'-');
    // Hexadecimal letters are not decimal digits.
    OFStringScanner letters(u"a1");
    EXPECT_EQ(letters.readUnsignedDecimalNumber(5), std::nullopt);
}

TEST(OFStringScanner, RewindMarksNest)
{
    OFStringScanner scanner(u"0123456789");
    scanner.setRewindMark();
    scanner.skipCharacters(3);
    scanner.setRewindMark();
    scanner.skipCharacters(4);
    scanner.rewindToMark();
    EXPECT_EQ(scanner.scanLocation(), 3u);
    scanner.skipCharacters(1);
    scanner.rewindToMark();
    EXPECT_EQ(scanner.scanLocation(), 0u);
    // Without a mark, rewinding stays put.
    scanner.skipCharacters(2);
    scanner.rewindToMark();
    EXPECT_EQ(scanner.scanLocation(), 2u);

    scanner.setRewindMark();
    scanner.skipCharacters(5);
    scanner.discardRewindMark();
    scanner.rewindToMark();
    EXPECT_EQ(scanner.scanLocation(), 7u);
    scanner.setScanLocation(99);
    EXPECT_EQ(scanner.scanLocation(), 10u);
}

} // namespace folio
