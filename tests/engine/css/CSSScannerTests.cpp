#include "engine/css/CSSScanner.h"
#include "engine/css/CSSString.h"
#include "engine/css/ColorHTML.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

using Items = std::vector<std::u16string>;

CSSValue valueOf(std::u16string_view declaration)
{
    Scanner scanner{std::u16string(declaration)};
    std::string name;
    CSSValue value;
    EXPECT_TRUE(scanCSSAttribute(scanner, &name, &value)) << toUtf8(declaration);
    return value;
}

TEST(CSSDeclarationTest, readsNamesAndSimpleValues)
{
    Scanner scanner{std::u16string(u"  margin : 0 auto ; color:red")};
    std::string name;
    CSSValue value;
    ASSERT_TRUE(scanCSSAttribute(scanner, &name, &value));
    EXPECT_EQ(name, "margin");
    EXPECT_EQ(value, CSSValue(u"0 auto"));
    ASSERT_TRUE(scanCSSAttribute(scanner, &name, &value));
    EXPECT_EQ(name, "color");
    EXPECT_EQ(value, CSSValue(u"red"));
    EXPECT_FALSE(scanCSSAttribute(scanner, &name, &value));
    EXPECT_EQ(valueOf(u"width:"), CSSValue(u""));
    EXPECT_EQ(valueOf(u"color: red !important"), CSSValue(u"red !important"));
}

TEST(CSSDeclarationTest, quotesAndCommasMakeListItems)
{
    EXPECT_EQ(valueOf(u"font-family: Arial, 'Times New Roman'"), CSSValue(Items{u"Arial", u"Times New Roman"}));
    EXPECT_EQ(valueOf(u"font-family: \"Helvetica Neue\", Arial, sans-serif"),
              CSSValue(Items{u"Helvetica Neue", u"Arial", u"sans-serif"}));
    // A quoted text joined to an item keeps its quotes.
    EXPECT_EQ(valueOf(u"quotes: x 'y'"), CSSValue(u"x 'y'"));
    EXPECT_EQ(valueOf(u"content: 'a;b'; color: red"), CSSValue(u"a;b"));
}

TEST(CSSDeclarationTest, colourShadowBackgroundAndFontKeepTheirCommas)
{
    EXPECT_EQ(valueOf(u"text-shadow: 1px 1px red, 2px 2px blue"), CSSValue(u"1px 1px red, 2px 2px blue"));
    EXPECT_EQ(valueOf(u"font: 12px Arial, serif"), CSSValue(u"12px Arial, serif"));
    EXPECT_EQ(valueOf(u"background-image: url(a.png), url(b.png)"), CSSValue(u"url(a.png), url(b.png)"));
    // "font-size" is not "font": its commas separate items.
    EXPECT_EQ(valueOf(u"font-size: 1, 2"), CSSValue(Items{u"1", u"2"}));
}

TEST(CSSDeclarationTest, rgbTakesTheRestOfTheDeclaration)
{
    EXPECT_EQ(valueOf(u"color: rgb(1, 2, 3); x: y"), CSSValue(u"rgb(1, 2, 3)"));
    EXPECT_EQ(valueOf(u"border: 1px solid rgb(0,0,0)"), CSSValue(u"1px solid rgb(0,0,0)"));
    EXPECT_EQ(valueOf(u"color: rgb("), CSSValue(u"rgb("));
}

TEST(CSSDeclarationTest, failsWithoutNameColonOrQuotedText)
{
    Scanner scanner{std::u16string(u"font-family: ''")};
    EXPECT_FALSE(scanCSSAttribute(scanner, nullptr, nullptr));
    EXPECT_EQ(scanner.scanLocation(), 0u);
    Scanner noColon{std::u16string(u"color red")};
    EXPECT_FALSE(scanCSSAttribute(noColon, nullptr, nullptr));
    EXPECT_EQ(noColon.scanLocation(), 0u);
    Scanner noName{std::u16string(u": red")};
    EXPECT_FALSE(scanCSSAttribute(noName, nullptr, nullptr));
    Scanner quoteAtEnd{std::u16string(u"content: \"")};
    EXPECT_FALSE(scanCSSAttribute(quoteAtEnd, nullptr, nullptr));
}

TEST(CSSDeclarationTest, unbalancedInputStillEnds)
{
    // An unterminated quote takes the rest of the text.
    EXPECT_EQ(valueOf(u"content: 'open; color: red"), CSSValue(u"open; color: red"));
    EXPECT_EQ(valueOf(u"width: calc((1px"), CSSValue(u"calc((1px"));
    EXPECT_EQ(valueOf(u"a: ,,,"), CSSValue(u""));
}

TEST(CSSStyleDictionaryTest, readsDeclarationListsUntilOneFails)
{
    CSSStyleDictionary styles = dictionaryOfCSSStyles(u"color:red;font-size:12px");
    ASSERT_EQ(styles.count(), 2u);
    EXPECT_EQ(styles.stringForKey("color"), u"red");
    EXPECT_EQ(styles.stringForKey("font-size"), u"12px");
    EXPECT_TRUE(dictionaryOfCSSStyles(u"; color:red").isEmpty());
    CSSStyleDictionary repeated = dictionaryOfCSSStyles(u"color: red; margin: 0; color: blue; 5: x; top: 1px");
    EXPECT_EQ(repeated.stringForKey("color"), u"blue");
    EXPECT_EQ(repeated.begin()->first, "color");
    EXPECT_EQ(repeated.stringForKey("5"), u"x");
    EXPECT_EQ(repeated.stringForKey("nothing"), std::nullopt);
    EXPECT_EQ(dictionaryOfCSSStyles(u"font-family: a, b").stringForKey("font-family"), u"a, b");
}

TEST(CSSURLTest, readsQuotedAndUnquotedURLs)
{
    auto read = [](std::u16string_view text) {
        Scanner scanner{std::u16string(text)};
        std::optional<std::u16string> url = u"unset";
        EXPECT_TRUE(scanCSSURL(scanner, &url)) << toUtf8(text);
        return url;
    };
    EXPECT_EQ(read(u"url('a&amp;b.png')"), u"a&b.png");
    EXPECT_EQ(read(u"url(\"x y.png\")"), u"x y.png");
    EXPECT_EQ(read(u"url(star.png)"), u"star.png");
    EXPECT_EQ(read(u"url()"), std::nullopt);
    EXPECT_EQ(read(u"url('')"), u"");
    EXPECT_EQ(read(u"url('unterminated"), u"unterminated");

    Scanner closing{std::u16string(u"url(a.png) repeat")};
    ASSERT_TRUE(scanCSSURL(closing, nullptr));
    EXPECT_TRUE(closing.scanString(u")"));
    Scanner notURL{std::u16string(u"uri(a.png)")};
    EXPECT_FALSE(scanCSSURL(notURL, nullptr));
    EXPECT_EQ(notURL.scanLocation(), 0u);
}

TEST(CSSColorTest, readsHashRgbAndNames)
{
    Scanner hash{std::u16string(u"#ff0000, blue")};
    Color color;
    std::u16string name;
    ASSERT_TRUE(scanHTMLColor(hash, &color, &name));
    EXPECT_EQ(name, u"#ff0000");
    EXPECT_EQ(color, *colorWithHTMLName(u"#ff0000"));
    EXPECT_TRUE(hash.scanString(u","));

    Scanner rgb{std::u16string(u" rgba(0, 128, 255, 0.5) 1px")};
    ASSERT_TRUE(scanHTMLColor(rgb, &color, &name));
    EXPECT_EQ(name, u"rgba(0, 128, 255, 0.5)");
    EXPECT_EQ(color, *colorWithHTMLName(u"rgba(0, 128, 255, 0.5)"));

    Scanner named{std::u16string(u"Navy 2px")};
    ASSERT_TRUE(scanHTMLColor(named, &color, &name));
    EXPECT_EQ(name, u"Navy");
    EXPECT_EQ(color, *colorWithHTMLName(u"navy"));
}

TEST(CSSColorTest, failsWithoutMovingTheScanner)
{
    for (std::u16string_view text : {u"rgb(1,2,3", u"2px red", u"-1px", u"notacolour", u"#12", u""}) {
        Scanner scanner{std::u16string(text)};
        EXPECT_FALSE(scanHTMLColor(scanner, nullptr)) << toUtf8(text);
        EXPECT_EQ(scanner.scanLocation(), 0u) << toUtf8(text);
    }
}

} // namespace
} // namespace folio
