#include "engine/css/TECSSStylesheet.h"
#include "engine/dom/TEHTMLParserNode.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

#include <memory>

namespace folio {
namespace {

std::u16string textOf(const TECSSStylesheet& sheet, const std::string& selector, const std::string& property)
{
    const CSSStyleDictionary* styles = sheet.stylesForSelector(selector);
    if (!styles)
        return u"(no rule)";
    return styles->stringForKey(property).value_or(u"(absent)");
}

TEST(HTMLReaderStylesheetTests, storesRulesPerSelectorWithPseudoClassesInThePlainRule)
{
    TECSSStylesheet sheet(u"p { color: red; }\nh1, h2 {margin:0}\na {color:red} a:hover {color:blue}");
    EXPECT_EQ(textOf(sheet, "p", "color"), u"red");
    for (const char* selector : {"h1", "h2"})
        for (const char* side : {"margin-top", "margin-right", "margin-bottom", "margin-left"})
            EXPECT_EQ(textOf(sheet, selector, side), u"0") << selector << " " << side;
    EXPECT_EQ(textOf(sheet, "a", "color"), u"red");
    EXPECT_EQ(textOf(sheet, "a", "hover:color"), u"blue");
    EXPECT_EQ(sheet.orderedSelectors(), (std::vector<std::string>{"p", "h1", "h2", "a"}));
}

TEST(HTMLReaderStylesheetTests, commentsDropPendingTextAndEndAtTheFirstSlash)
{
    TECSSStylesheet before(u"p {color:red; /* note */ font-size:12px}");
    EXPECT_EQ(before.stylesForSelector("p")->count(), 1u);
    EXPECT_EQ(textOf(before, "p", "font-size"), u"12px");

    TECSSStylesheet semicolon(u"p {color:red /* note */ ; font-size:12px}");
    ASSERT_NE(semicolon.stylesForSelector("p"), nullptr);
    EXPECT_TRUE(semicolon.stylesForSelector("p")->isEmpty());

    TECSSStylesheet slash(u"/* a/b */ p {color:red}");
    EXPECT_EQ(textOf(slash, "b */ p", "color"), u"red");

    TECSSStylesheet unterminated(u"p {color:red} /* never closed {color:blue}");
    EXPECT_EQ(textOf(unterminated, "p", "color"), u"red");
    EXPECT_EQ(unterminated.orderedSelectors().size(), 1u);
}

TEST(HTMLReaderStylesheetTests, strayClosingBraceDoesNotHideLaterRules)
{
    TECSSStylesheet sheet(u"} p {color:red} div {x:y{z}} em {color:blue}");
    EXPECT_EQ(textOf(sheet, "p", "color"), u"red");
    EXPECT_EQ(textOf(sheet, "em", "color"), u"blue");
}

TEST(HTMLReaderStylesheetTests, expandsFontShorthand)
{
    TECSSStylesheet sheet(u"p {font: italic bold 12px/30px Georgia, serif} q {font: bold 12px; color: red}");
    EXPECT_EQ(textOf(sheet, "p", "font-style"), u"italic");
    EXPECT_EQ(textOf(sheet, "p", "font-weight"), u"bold");
    EXPECT_EQ(textOf(sheet, "p", "font-variant"), u"normal");
    EXPECT_EQ(textOf(sheet, "p", "font-size"), u"12px");
    EXPECT_EQ(textOf(sheet, "p", "line-height"), u"30px");
    EXPECT_EQ(textOf(sheet, "p", "font-family"), u"Georgia, serif");
    EXPECT_EQ(textOf(sheet, "p", "font"), u"(absent)");
    // Without a family nothing is set, but the shorthand is still consumed.
    EXPECT_EQ(textOf(sheet, "q", "font-weight"), u"(absent)");
    EXPECT_EQ(textOf(sheet, "q", "font"), u"(absent)");
    EXPECT_EQ(textOf(sheet, "q", "color"), u"red");
}

TEST(HTMLReaderStylesheetTests, expandsBoxListAndBackgroundShorthands)
{
    TECSSStylesheet sheet(u"p {margin: 1px 2px 3px} q {margin-left: 9px; margin: 1px 2px 3px}"
                          u"b {padding: 4px 5px} i {background: url(x.png) #ffcc00 no-repeat}"
                          u"ul {list-style: square inside} ol {list-style: inside square}"
                          u"li {list-style: INHERIT} dd {color: red !IMPORTANT}");
    EXPECT_EQ(textOf(sheet, "p", "margin-top"), u"1px");
    EXPECT_EQ(textOf(sheet, "p", "margin-right"), u"2px");
    EXPECT_EQ(textOf(sheet, "p", "margin-bottom"), u"3px");
    EXPECT_EQ(textOf(sheet, "p", "margin-left"), u"2px");
    EXPECT_EQ(textOf(sheet, "q", "margin-left"), u"9px");
    EXPECT_EQ(textOf(sheet, "b", "padding-top"), u"4px");
    EXPECT_EQ(textOf(sheet, "b", "padding-left"), u"5px");
    EXPECT_EQ(textOf(sheet, "i", "background-color"), u"#ffcc00");
    EXPECT_EQ(textOf(sheet, "i", "background"), u"(absent)");
    EXPECT_EQ(textOf(sheet, "ul", "list-style-type"), u"square");
    EXPECT_EQ(textOf(sheet, "ul", "list-style-position"), u"inside");
    EXPECT_EQ(textOf(sheet, "ol", "list-style-type"), u"inside");
    EXPECT_EQ(textOf(sheet, "ol", "list-style-position"), u"square");
    EXPECT_EQ(textOf(sheet, "li", "list-style-type"), u"inherit");
    EXPECT_EQ(textOf(sheet, "dd", "color"), u"red");
}

TEST(HTMLReaderStylesheetTests, weighsSelectorsByIdsClassesAndNames)
{
    EXPECT_EQ(TECSSStylesheet::weightForSelector(""), 0u);
    EXPECT_EQ(TECSSStylesheet::weightForSelector("div p"), 2u);
    EXPECT_EQ(TECSSStylesheet::weightForSelector(".x"), 10u);
    EXPECT_EQ(TECSSStylesheet::weightForSelector("#y .x  p"), 111u);
}

class StylesheetCascadeTests : public ::testing::Test {
protected:
    std::shared_ptr<TEHTMLParserNode> node(const std::string& name, TEHTMLAttributes attributes = {},
                                           TEHTMLParserNode* parent = nullptr)
    {
        auto made = std::make_shared<TEHTMLParserNode>(name, std::move(attributes));
        if (parent)
            parent->addChildNode(made);
        return made;
    }
};

TEST_F(StylesheetCascadeTests, mergesInCascadeOrderAndRecordsMatches)
{
    TECSSStylesheet sheet(u"#y {a:id; b:id} p.x {a:qualified; c:qualified} .x {a:class; c:class; d:class}"
                          u"div p {a:descendant; d:descendant; e:descendant} p {a:name; e:name; f:name}");
    auto div = node("div");
    auto p = node("p", {{"class", u"x"}, {"id", u"y"}, {"style", u"a:inline"}}, div.get());
    std::set<std::string> matched;
    auto merged = sheet.mergedStyleDictionaryForElement(*p, &matched, false);
    ASSERT_TRUE(merged);
    EXPECT_EQ(merged->stringForKey("a"), u"inline");
    EXPECT_EQ(merged->stringForKey("b"), u"id");
    EXPECT_EQ(merged->stringForKey("c"), u"qualified");
    EXPECT_EQ(merged->stringForKey("d"), u"class");
    EXPECT_EQ(merged->stringForKey("e"), u"descendant");
    EXPECT_EQ(merged->stringForKey("f"), u"name");
    EXPECT_EQ(matched, (std::set<std::string>{"div p", "x", "p.x", "#y"}));

    auto ignoringInline = sheet.mergedStyleDictionaryForElement(*p, nullptr, true);
    EXPECT_EQ(ignoringInline->stringForKey("a"), u"id");
    EXPECT_FALSE(sheet.mergedStyleDictionaryForElement(*node("span"), nullptr, false));
}

TEST_F(StylesheetCascadeTests, matchesDescendantSelectorsAgainstNearestAncestors)
{
    TECSSStylesheet sheet(u"ul ul {t:circle} ol ul ul {t:square} .note em {c:1} #main .note em {c:2} p.note em {c:3}");
    auto ol = node("ol");
    auto outer = node("ul", {}, ol.get());
    auto inner = node("ul", {}, outer.get());
    EXPECT_EQ(sheet.matchingComplexCascadingSelectorsForElement(*inner),
              (std::vector<std::string>{"ul ul", "ol ul ul"}));
    EXPECT_EQ(sheet.matchingComplexCascadingSelectorsForElement(*outer), std::vector<std::string>{});

    auto main = node("div", {{"id", u"main"}});
    auto note = node("p", {{"class", u"a note"}}, main.get());
    auto em = node("em", {}, note.get());
    // Heavier selectors win; a compound component is compared as a name and never matches.
    EXPECT_EQ(sheet.matchingComplexCascadingSelectorsForElement(*em),
              (std::vector<std::string>{".note em", "#main .note em"}));
    EXPECT_EQ(sheet.mergedStyleDictionaryForElement(*em, nullptr, false)->stringForKey("c"), u"2");
}

TEST(HTMLReaderStylesheetTests, mergingAndCopiesLeaveTheSourceUntouched)
{
    TECSSStylesheet base(u"p {color:red; margin-top:1px}");
    TECSSStylesheet copy = base;
    copy.mergeStylesheet(TECSSStylesheet(u"p {color:blue} em {x:y}"));
    EXPECT_EQ(textOf(copy, "p", "color"), u"blue");
    EXPECT_EQ(textOf(copy, "p", "margin-top"), u"1px");
    EXPECT_EQ(textOf(copy, "em", "x"), u"y");
    EXPECT_EQ(textOf(base, "p", "color"), u"red");
    EXPECT_EQ(base.stylesForSelector("em"), nullptr);
}

TEST(HTMLReaderStylesheetTests, defaultSheetHoldsTheMergedBrowserRules)
{
    const TECSSStylesheet& sheet = TECSSStylesheet::defaultStyleSheet();
    EXPECT_EQ(&sheet, &TECSSStylesheet::defaultStyleSheet());
    EXPECT_EQ(textOf(sheet, "code", "font-family"), u"monospace");
    EXPECT_EQ(textOf(sheet, "pre", "margin-top"), u"1em");
    EXPECT_EQ(textOf(sheet, "pre", "margin-right"), u"0");
    EXPECT_EQ(textOf(sheet, "listing", "margin-left"), u"0");
    EXPECT_EQ(textOf(sheet, "a", "color"), u"#0000EE");
    EXPECT_EQ(textOf(sheet, "a", "text-decoration"), u"underline");
    EXPECT_EQ(textOf(sheet, "a", "active:color"), u"#FF0000");
    EXPECT_EQ(textOf(sheet, "html", "display"), u"block");
    EXPECT_EQ(textOf(sheet, "h1", "font-size"), u"2em");
    EXPECT_EQ(textOf(sheet, "h4", "font-size"), u"(absent)");
    EXPECT_EQ(textOf(sheet, "ol", "-webkit-padding-start"), u"27px");
    EXPECT_EQ(textOf(sheet, "ul ul ul", "list-style-type"), u"square");
    EXPECT_EQ(textOf(sheet, "script", "display"), u"none");
    EXPECT_EQ(textOf(sheet, "table", "border-color"), u"gray");
    EXPECT_EQ(sheet.orderedSelectors().front(), "html");
}

} // namespace
} // namespace folio
