#include "foundation/markup/CharacterReference.h"
#include "foundation/markup/HTMLAdditions.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

TEST(HTMLEscapeTablesTest, tablesAreStrictlySortedForBisection)
{
    for (auto table : {htmlUnicodeEscapeTable(), htmlAsciiEscapeTable()}) {
        for (std::size_t index = 1; index < table.size(); ++index)
            EXPECT_LT(table[index - 1].code, table[index].code) << "row " << index;
    }
    EXPECT_EQ(htmlUnicodeEscapeTable().size(), 33u);
    EXPECT_EQ(htmlAsciiEscapeTable().size(), 253u);
}

TEST(HTMLEscapeTablesTest, everyRowIsFoundByTheSearch)
{
    // Escaping each row's own character must find that row, wherever it sits in the table.
    for (auto table : {htmlUnicodeEscapeTable(), htmlAsciiEscapeTable()}) {
        for (const HTMLEscapeMap& row : table) {
            std::u16string text(1, row.code);
            EXPECT_EQ(stringByEscapingHTMLUsingTable(text, table, false), row.reference);
        }
    }
}

TEST(HTMLEscapeTablesTest, searchFindsEndsAndMiddleAndMissesBetweenRows)
{
    EXPECT_EQ(stringByEscapingForHTML(u"\""), u"&quot;");
    EXPECT_EQ(stringByEscapingForHTML(u"\u20AC"), u"&euro;");
    EXPECT_EQ(stringByEscapingForHTML(u"\u200D"), u"&zwj;");
    EXPECT_EQ(stringByEscapingForAsciiHTML(u"\u00A0"), u"&nbsp;");
    EXPECT_EQ(stringByEscapingForAsciiHTML(u"\u2666"), u"&diams;");
    EXPECT_EQ(stringByEscapingForAsciiHTML(u"\u03C0"), u"&pi;");
    // Codes between rows, below the first row and above the last one are not found.
    EXPECT_EQ(stringByEscapingForHTML(u"!#=?\u2000\u20AD\uFFFF"), u"!#=?\u2000\u20AD\uFFFF");
    EXPECT_EQ(escapeMapCompare(33, htmlUnicodeEscapeTable()[0]), -1);
    EXPECT_EQ(escapeMapCompare(34, htmlUnicodeEscapeTable()[0]), 0);
    EXPECT_EQ(escapeMapCompare(35, htmlUnicodeEscapeTable()[0]), 1);
}

TEST(HTMLAdditionsTest, escapesMarkupWithEitherVariant)
{
    EXPECT_EQ(stringByEscapingForHTML(u"a<b & 'c'"), u"a&lt;b &amp; &apos;c&apos;");
    EXPECT_EQ(stringByEscapingForAsciiHTML(u"a<b & 'c'"), u"a&lt;b &amp; &apos;c&apos;");
    EXPECT_EQ(stringByEscapingForHTML(u""), u"");
}

TEST(HTMLAdditionsTest, asciiVariantWritesEverythingAbove127AsReferences)
{
    EXPECT_EQ(stringByEscapingForHTML(u"\u00E9"), u"\u00E9");
    EXPECT_EQ(stringByEscapingForAsciiHTML(u"\u00E9"), u"&eacute;");
    EXPECT_EQ(stringByEscapingForHTML(u"\u4E2D"), u"\u4E2D");
    EXPECT_EQ(stringByEscapingForAsciiHTML(u"\u4E2D"), u"&#20013;");
    EXPECT_EQ(stringByEscapingForAsciiHTML(u"x\u0100y"), u"x&#256;y");
}

TEST(HTMLAdditionsTest, asciiVariantKeepsCharactersOutsideTheBasicPlaneWhole)
{
    EXPECT_EQ(stringByEscapingForAsciiHTML(u"\U0001F600"), u"&#128512;");
    // A lone half has no code point of its own; its unit value is all there is to write.
    EXPECT_EQ(stringByEscapingForAsciiHTML(u"\xD83D" u"a"), u"&#55357;a");
}

TEST(HTMLAdditionsTest, unescapesNamedDecimalAndHexadecimalReferences)
{
    EXPECT_EQ(stringByUnescapingFromHTML(u"&lt;&#65;&#x42;&bogus;&amp"), u"<AB&bogus;&amp");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&eacute;t&eacute;"), u"\u00E9t\u00E9");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&diams;&quot;&nbsp;"), u"\u2666\"\u00A0");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#X4e2d;"), u"\u4E2D");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#128512;&#x10FFFF;"), u"\U0001F600\U0010FFFF");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#1114112;&#x110000;"), u"&#1114112;&#x110000;");
    EXPECT_EQ(stringByUnescapingFromHTML(u"no references"), u"no references");
}

TEST(HTMLAdditionsTest, leavesReferencesItCannotRead)
{
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#0;"), u"&#0;");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#65535;"), u"&#65535;");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#xFFFF;"), u"&#xFFFF;");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#6a;"), u"&#6a;");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#x;"), u"&#x;");
    // Shorter than four or longer than ten characters from "&" to ";".
    EXPECT_EQ(stringByUnescapingFromHTML(u"&a;"), u"&a;");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#0000000065;"), u"&#0000000065;");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#99999999999999999999;"), u"&#99999999999999999999;");
    // A reference never runs past the next "&".
    EXPECT_EQ(stringByUnescapingFromHTML(u"&amp&lt;"), u"&amp<");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&&&;;&"), u"&&&;;&");
}

TEST(HTMLAdditionsTest, numericReferencesNeverInsertControlsOrLoneSurrogates)
{
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#55357;"), u"\uFFFD");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#xDC00;"), u"\uFFFD");
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#1;&#x7F;"), u"\uFFFD\uFFFD");
    EXPECT_EQ(stringByUnescapingFromHTML(u"a&#10;b&#9;"), u"a\nb\t");
    // Legacy pages write Windows-1252 quotes and dashes as numbers.
    EXPECT_EQ(stringByUnescapingFromHTML(u"&#150;&#147;&#x80;&#129;"), u"\u2013\u201C\u20AC\uFFFD");
}

TEST(HTMLAdditionsTest, escapeThenUnescapeGivesTheTextBack)
{
    const std::u16string samples[] = {
        u"plain", u"a<b & 'c' > \"d\"", u"caf\u00E9 \u2014 \u20AC5 \u03C0\u00B2", u"\u4E2D\u6587 \U0001F600",
        u"&amp; literal",
    };
    for (const std::u16string& text : samples) {
        EXPECT_EQ(stringByUnescapingFromHTML(stringByEscapingForHTML(text)), text);
        EXPECT_EQ(stringByUnescapingFromHTML(stringByEscapingForAsciiHTML(text)), text);
    }
}

TEST(CharacterReferenceTest, mapsCodesToSoundCharacters)
{
    EXPECT_EQ(characterFromReferenceCode(65), u"A");
    EXPECT_EQ(characterFromReferenceCode(0), u"\uFFFD");
    EXPECT_EQ(characterFromReferenceCode(0xD800), u"\uFFFD");
    EXPECT_EQ(characterFromReferenceCode(0x110000), u"\uFFFD");
    EXPECT_EQ(characterFromReferenceCode(0x1F600), u"\U0001F600");
    EXPECT_EQ(characterFromReferenceCode(0x10FFFF), u"\U0010FFFF");
    EXPECT_EQ(characterFromReferenceCode(0x9F), u"\u0178");
    EXPECT_EQ(characterFromReferenceCode(0xA0), u"\u00A0");
    EXPECT_EQ(characterFromReferenceCode(0x0D), u"\r");
}

} // namespace
} // namespace folio
