#include "platform/foundation/UnicodeProperties.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(UnicodeProperties, LowercaseLettersAreThoseOfTheirCategoryInEveryScript)
{
    EXPECT_TRUE(isLowercaseLetter(U'a'));
    EXPECT_TRUE(isLowercaseLetter(U'\u00DF'));  // ß has no single capital
    EXPECT_TRUE(isLowercaseLetter(U'\u03B1'));  // Greek alpha
    EXPECT_TRUE(isLowercaseLetter(U'\U0001D41A'));  // mathematical bold small a, past the BMP
    EXPECT_FALSE(isLowercaseLetter(U'A'));
    EXPECT_FALSE(isLowercaseLetter(U'\u01C5'));  // title case "Dž" is no small letter
    EXPECT_FALSE(isLowercaseLetter(U'1'));
    EXPECT_FALSE(isLowercaseLetter(U' '));
    // A UTF-16 unit on its own: half a pair is nothing.
    EXPECT_FALSE(isLowercaseLetter(0xD835));
}

TEST(UnicodeProperties, FoldingDropsCaseAndAccentsButKeepsTheLetters)
{
    EXPECT_EQ(stringByFoldingCaseAndDiacritics(u"\u00C9b\u00E8ne"), stringByFoldingCaseAndDiacritics(u"ebene"));
    // Already decomposed: the combining acute goes the same way.
    EXPECT_EQ(stringByFoldingCaseAndDiacritics(u"E\u0301bene"), u"ebene");
    EXPECT_EQ(stringByFoldingCaseAndDiacritics(u"Stra\u00DFe"), u"strasse");
    EXPECT_NE(stringByFoldingCaseAndDiacritics(u"Baskerville"), stringByFoldingCaseAndDiacritics(u"Baskervile"));
    // Letters that merely look accented are letters of their own.
    EXPECT_NE(stringByFoldingCaseAndDiacritics(u"\u00D8"), u"o");
    EXPECT_EQ(stringByFoldingCaseAndDiacritics(u""), u"");
}

} // namespace
} // namespace folio
