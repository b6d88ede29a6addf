#include "engine/css/CSSCharacterSets.h"
#include "engine/html/HTMLEntityTable.h"
#include "engine/html/HTMLString.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

TEST(HTMLEntityTableTest, tablesHoldTheEngineNames)
{
    EXPECT_EQ(htmlEntityEscapeTable().size(), 249u);
    EXPECT_EQ(htmlEntityInTextEscapeTable().size(), 244u);
    EXPECT_EQ(htmlEntityDecodeTable().size(), 249u);
    for (char16_t invisible : std::u16string_view(u"\u00AD\u200C\u200D\u200E\u200F"))
        EXPECT_FALSE(htmlEntityEscapeTable().contains(invisible));
    for (std::u16string_view name : {u"shy", u"zwnj", u"zwj", u"lrm", u"rlm"})
        EXPECT_FALSE(htmlEntityDecodeTable().contains(name));
    for (char16_t markup : std::u16string_view(u"\"&'<>"))
        EXPECT_FALSE(htmlEntityInTextEscapeTable().contains(markup));
}

TEST(HTMLEntityTableTest, everyEscapedCharacterDecodesBack)
{
    for (const auto& [code, text] : htmlEntityEscapeTable()) {
        if (code == 0x2028)
            continue;
        EXPECT_EQ(stringByReplacingHTMLEntities(text), std::u16string(1, code)) << int(code);
    }
}

TEST(HTMLStringTest, escapesUtf8MarkupAsItsUtf16Text)
{
    // The page's HTML is escaped as UTF-8; it must come out as the text
    // escaped in UTF-16 does.
    for (std::u16string_view text :
         {u"<p class=\"a\">caf\u00E9 &amp; 'x'</p>", u"\u20AC \u27E8x\u27E9 \u2329", u"a\u2028b",
          u"soft\u00ADhyphen\u00A0\u0085", u"\U0001F600 and \u4E2D", u"plain ASCII only", u""}) {
        EXPECT_EQ(stringByAddingHTMLEntitiesInText(toUtf8(text)), toUtf8(stringByAddingHTMLEntitiesInText(text)))
            << toUtf8(text);
    }
    // Bytes that are not UTF-8 (a cut sequence, a surrogate, an overlong
    // form) are each the replacement character, never passed on.
    EXPECT_EQ(stringByAddingHTMLEntitiesInText(std::string_view("a\xE2\x82")), "a&#65533;&#65533;");
    EXPECT_EQ(stringByAddingHTMLEntitiesInText(std::string_view("\xED\xA0\x80")), "&#65533;&#65533;&#65533;");
    EXPECT_EQ(stringByAddingHTMLEntitiesInText(std::string_view("\xC0\xAF<")), "&#65533;&#65533;<");
}

TEST(HTMLStringTest, escapesMarkupAndNamedCharacters)
{
    EXPECT_EQ(stringByAddingHTMLEntities(u"a < b & 'c'"), u"a &lt; b &amp; &apos;c&apos;");
    EXPECT_EQ(stringByAddingHTMLEntitiesInText(u"a < b & 'c'"), u"a < b & 'c'");
    EXPECT_EQ(stringByAddingHTMLEntities(u"caf\u00E9"), u"caf&eacute;");
    EXPECT_EQ(stringByAddingHTMLEntitiesInText(u"caf\u00E9"), u"caf&eacute;");
    EXPECT_EQ(stringByAddingHTMLEntities(u"\u20AC"), u"&euro;");
    EXPECT_EQ(stringByAddingHTMLEntities(u"\u27E8x\u27E9"), u"&lang;x&rang;");
    EXPECT_EQ(stringByAddingHTMLEntities(u"\u2329"), u"&#9001;");
    EXPECT_EQ(stringByAddingHTMLEntities(u"a\u2028b"), u"a<br />b");
    EXPECT_EQ(stringByAddingHTMLEntities(u"soft\u00ADhyphen"), u"soft\u00ADhyphen");
}

TEST(HTMLStringTest, escapesOtherCharactersAsNumbers)
{
    EXPECT_EQ(stringByAddingHTMLEntities(u"\u0100"), u"&#256;");
    EXPECT_EQ(stringByAddingHTMLEntities(u"\U0001F600"), u"&#128512;");
    EXPECT_EQ(stringByAddingHTMLEntities(u"\u00FF\u0101"), u"&yuml;&#257;");
    // A high half at the end, or before something that is not a low half, is written
    // alone and the unit after it survives.
    EXPECT_EQ(stringByAddingHTMLEntities(u"x\xD83D"), u"x&#55357;");
    EXPECT_EQ(stringByAddingHTMLEntities(u"\xD83D" u"a\u4E2D"), u"&#55357;a&#20013;");
}

TEST(HTMLStringTest, decodesNamedAndNumericEntities)
{
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&lt;p&gt;"), u"<p>");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&#65;"), u"A");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&#x41;&#X4e2d;"), u"A\u4E2D");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&#x1F600;"), u"\U0001F600");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&#65601;"), u"\U00010041");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&bsquo;&sbquo;"), u"\u201A\u201A");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&lang;&rang;&apos;"), u"\u27E8\u27E9'");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&Omega;&omega;&hearts;&yuml;&nbsp;"), u"\u03A9\u03C9\u2665\u00FF\u00A0");
}

TEST(HTMLStringTest, copiesWhatItCannotDecode)
{
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&#1234567;"), u"&#1234567;");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&foo;"), u"&foo;");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"AT&T"), u"AT&T");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&shy;"), u"&shy;");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&#;&#x;&#-5;&#12a;"), u"&#;&#x;&#-5;&#12a;");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"tail &"), u"tail &");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&;"), u"&;");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"a & b &amp; c"), u"a & b & c");
}

TEST(HTMLStringTest, invalidNumbersDecodeToTheReplacementCharacter)
{
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&#0;"), u"\uFFFD");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&#x0;"), u"\uFFFD");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&#55296;&#xDFFF;"), u"\uFFFD\uFFFD");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&#x110000;&#1114112;"), u"&#x110000;&#1114112;");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&#1114111;"), u"\U0010FFFF");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&#8;"), u"\uFFFD");
    EXPECT_EQ(stringByReplacingHTMLEntities(u"&#10;"), u"\n");
}

TEST(HTMLStringTest, escapeAndDecodeRoundTrip)
{
    const std::u16string samples[] = {
        u"<a href=\"x\">Tom & Jerry's</a>",
        u"\u00A0\u00E9\u00FF\u0152\u2014\u20AC\u2665\u03B1",
        u"\u4E2D\u6587 \U0001F600 \U00010348",
        u"&amp; stays &lt;literal&gt;",
    };
    for (const std::u16string& text : samples)
        EXPECT_EQ(stringByReplacingHTMLEntities(stringByAddingHTMLEntities(text)), text);
}

TEST(HTMLStringTest, normalisesWhitespaceRuns)
{
    EXPECT_EQ(stringByNormalizingWhitespace(u"a\t\n  b"), u"a b");
    EXPECT_EQ(stringByNormalizingWhitespace(u"  x  "), u" x ");
    EXPECT_EQ(stringByNormalizingWhitespace(u"a\u0085\r\v\fb"), u"a b");
    EXPECT_EQ(stringByNormalizingWhitespace(u"a\u00A0\u00A0b"), u"a\u00A0\u00A0b");
    EXPECT_EQ(stringByNormalizingWhitespace(u""), u"");
}

TEST(HTMLStringTest, convertsPairsOfBlanks)
{
    EXPECT_EQ(stringByAddingAppleConvertedSpace(u"a   b"), u"a \u00A0 b");
    EXPECT_EQ(stringByAddingAppleConvertedSpace(u"    "), u" \u00A0 \u00A0");
    EXPECT_EQ(stringByAddingAppleConvertedSpace(u"a b"), u"a b");
}

TEST(HTMLStringTest, recognisesIgnorableWhitespace)
{
    EXPECT_TRUE(isIgnorableWhitespace(u""));
    EXPECT_TRUE(isIgnorableWhitespace(u" \t\r\n\u2028"));
    EXPECT_FALSE(isIgnorableWhitespace(u" \u00A0 "));
    EXPECT_FALSE(isIgnorableWhitespace(u"\u2003"));
    EXPECT_FALSE(isIgnorableWhitespace(u"\uFEFF"));
    EXPECT_FALSE(isIgnorableWhitespace(u" x "));
    EXPECT_TRUE(ignorableWhitespaceCharacterSet().characterIsMember(u'\u0085'));
    EXPECT_FALSE(ignorableWhitespaceCharacterSet().characterIsMember(u'\u200B'));
}

TEST(HTMLStringTest, readsNumbersOutOfAttributeTexts)
{
    EXPECT_TRUE(isNumeric(u"3.14"));
    EXPECT_TRUE(isNumeric(u"1.2.3"));
    EXPECT_TRUE(isNumeric(u""));
    EXPECT_FALSE(isNumeric(u"-1"));
    EXPECT_FALSE(isNumeric(u"12px"));
    EXPECT_FLOAT_EQ(percentValue(u"50%"), 0.5f);
    EXPECT_FLOAT_EQ(percentValue(u" 12.5"), 0.125f);
    EXPECT_FLOAT_EQ(percentValue(u"abc"), 0.01f);
    EXPECT_EQ(integerValueFromHex(u"ff"), 255u);
    EXPECT_EQ(integerValueFromHex(u"  0x1A2b"), 0x1A2Bu);
    EXPECT_EQ(integerValueFromHex(u"7fz9"), 0x7Fu);
    EXPECT_EQ(integerValueFromHex(u"zz"), 0u);
    EXPECT_EQ(integerValueFromHex(u"fffffffffffff"), 0xFFFFFFFFu);
}

TEST(HTMLStringTest, testsFirstAndLastCharacters)
{
    const CharacterSet& quotes = quoteCharacterSet();
    EXPECT_TRUE(hasPrefixCharacterFromSet(u"'a", quotes));
    EXPECT_FALSE(hasPrefixCharacterFromSet(u"a'", quotes));
    EXPECT_TRUE(hasSuffixCharacterFromSet(u"a\"", quotes));
    EXPECT_FALSE(hasSuffixCharacterFromSet(u"", quotes));
    EXPECT_FALSE(hasPrefixCharacterFromSet(u"", quotes));
    auto emoji = CharacterSet::characterSetWithCharactersInString(u"\U0001F600");
    EXPECT_TRUE(hasSuffixCharacterFromSet(u"x\U0001F600", emoji));
    EXPECT_TRUE(hasPrefixCharacterFromSet(u"\U0001F600x", emoji));
}

} // namespace
} // namespace folio
