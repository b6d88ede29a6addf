#include "engine/css/ColorHTML.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace folio {
namespace {

class HTMLReaderBuilderTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousCatalog = FontCatalog::shared();
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
    }
    void TearDown() override
    {
        FontCatalog::setShared(m_previousCatalog);
    }

    static AttributedString convert(const std::string& html, const TEHTMLReaderOptions& options = {})
    {
        std::optional<AttributedString> text = attributedStringWithHTMLData(html, options);
        EXPECT_TRUE(text.has_value());
        return text.value_or(AttributedString());
    }

    // The same page read twice: settling each block as it ends, as documents
    // are read, and keeping the whole tree; both readings must agree.
    struct TwoReadings {
        std::optional<MutableAttributedString> settled;
        std::optional<MutableAttributedString> whole;
    };
    static TwoReadings settledAndWhole(const std::string& html)
    {
        TEHTMLAttributedStringBuilder settling(html);
        TEHTMLAttributedStringBuilder keeping(html);
        keeping.setShouldKeepDocumentNodeTree(true);
        return {settling.generatedAttributedString(), keeping.generatedAttributedString()};
    }

    static std::size_t indexOf(const AttributedString& text, std::u16string_view needle)
    {
        const std::size_t index = text.string().find(needle);
        EXPECT_NE(index, std::u16string::npos) << toUtf8(needle);
        return index == std::u16string::npos ? 0 : index;
    }

    static const Font* fontAt(const AttributedString& text, std::size_t index)
    {
        const AttributeValuePtr value = text.attributeAtIndex(kCTFontAttributeName, index);
        const auto* font = value ? value->as<FontAttributeValue>() : nullptr;
        return font ? &font->font() : nullptr;
    }

    static const PlatformParagraphStyle* paragraphStyleAt(const AttributedString& text, std::size_t index)
    {
        const AttributeValuePtr value = text.attributeAtIndex(kCTParagraphStyleAttributeName, index);
        const auto* style = value ? value->as<ParagraphStyleValue>() : nullptr;
        return style ? &style->style() : nullptr;
    }

    static std::u16string stringAt(const AttributedString& text, std::string_view key, std::size_t index)
    {
        const AttributeValuePtr value = text.attributeAtIndex(key, index);
        const auto* string = value ? value->as<StringValue>() : nullptr;
        return string ? string->value() : u"(none)";
    }

private:
    std::shared_ptr<FontCatalog> m_previousCatalog;
};

TEST_F(HTMLReaderBuilderTests, emptyDataGivesNoneAndCommentOnlyGivesEmptyText)
{
    EXPECT_FALSE(attributedStringWithHTMLData(""));
    std::optional<AttributedString> comment = attributedStringWithHTMLData("<!-- nothing -->");
    ASSERT_TRUE(comment);
    EXPECT_EQ(comment->string(), u"");
}

TEST_F(HTMLReaderBuilderTests, listsStartingAtTheEndsOfTheNumberRangeConvert)
{
    for (const char* start : {"9223372036854775807", "-9223372036854775808", "99999999999999999999"}) {
        AttributedString text = convert(std::string("<ol start=\"") + start + "\"><li>first</li><li>second</li></ol>");
        EXPECT_NE(text.string().find(u"second"), std::u16string::npos) << start;
    }
}

TEST_F(HTMLReaderBuilderTests, documentsWithADoctypeConvert)
{
    // Exported and pasted pages carry a DOCTYPE, sometimes with declarations.
    const AttributedString strict = convert(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">"
        "<html><head><title>t</title></head><body><p>Amber</p></body></html>");
    EXPECT_NE(strict.string().find(u"Amber"), std::u16string::npos);
    const AttributedString declared =
        convert("<!DOCTYPE html [<!ENTITY lamp \"lantern\"><!ELEMENT p ANY>]><p>Copper</p>");
    EXPECT_NE(declared.string().find(u"Copper"), std::u16string::npos);
}

TEST_F(HTMLReaderBuilderTests, generatedStringIsBuiltOnce)
{
    TEHTMLAttributedStringBuilder builder("<p>once</p>");
    const auto* first = &builder.generatedAttributedString();
    EXPECT_EQ(first, &builder.generatedAttributedString());
    ASSERT_TRUE(first->has_value());
    EXPECT_EQ((*first)->string(), u"once\n");
}

TEST_F(HTMLReaderBuilderTests, fontSizesAreSixPointsBelowTheirCSS)
{
    const AttributedString text =
        convert("<div><span style=\"font-size:18px\">a</span><span style=\"font-size:8px\">b</span>"
                "<span style=\"font-size:2em\"><span style=\"font-size:2em\">c</span></span>plain</div>"
                "<h1>head</h1><p>x<small>s</small><sub>Z</sub></p>");
    ASSERT_NE(fontAt(text, indexOf(text, u"a")), nullptr);
    EXPECT_DOUBLE_EQ(fontAt(text, indexOf(text, u"a"))->pointSize(), 12);
    EXPECT_DOUBLE_EQ(fontAt(text, indexOf(text, u"b"))->pointSize(), 6);
    // em refers to the document's text size, not the parent's.
    EXPECT_DOUBLE_EQ(fontAt(text, indexOf(text, u"c"))->pointSize(), 18);
    EXPECT_DOUBLE_EQ(fontAt(text, indexOf(text, u"plain"))->pointSize(), 12);
    const Font* head = fontAt(text, indexOf(text, u"head"));
    ASSERT_NE(head, nullptr);
    EXPECT_DOUBLE_EQ(head->pointSize(), 18);
    EXPECT_TRUE(head->symbolicTraits() & kFontBoldTrait);
    EXPECT_EQ(text.attributeAtIndex(TEHeaderLevelAttribute, indexOf(text, u"head"))->as<IntegerValue>()->value(), 1);
    EXPECT_NEAR(fontAt(text, indexOf(text, u"s"))->pointSize(), 12 / 1.2000000476837158 - 6 + 4, 1e-5);
    EXPECT_NEAR(fontAt(text, indexOf(text, u"Z"))->pointSize(), 7.9999996, 1e-5);
    EXPECT_EQ(text.attributeAtIndex(kCTSuperscriptAttributeName, indexOf(text, u"Z"))->as<IntegerValue>()->value(), -1);
}

TEST_F(HTMLReaderBuilderTests, weightsColoursAndBackgrounds)
{
    const AttributedString text = convert(
        "<div><span style=\"font-weight:600\">r</span><span style=\"font-weight:700\">B</span>"
        "<span style=\"background-color:#cadeee\">n</span><span style=\"background-color:#00ff00\">g</span>"
        "<span style=\"color:red; text-decoration:line-through\">k</span></div>");
    EXPECT_FALSE(fontAt(text, indexOf(text, u"r"))->symbolicTraits() & kFontBoldTrait);
    EXPECT_TRUE(fontAt(text, indexOf(text, u"B"))->symbolicTraits() & kFontBoldTrait);
    EXPECT_EQ(text.attributeAtIndex(NSBackgroundColorAttributeName, indexOf(text, u"n")), nullptr);
    EXPECT_NE(text.attributeAtIndex(NSBackgroundColorAttributeName, indexOf(text, u"g")), nullptr);
    const auto red = text.attributeAtIndex(kCTForegroundColorAttributeName, indexOf(text, u"k"));
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(htmlHexString(red->as<ColorValue>()->color()), "ff0000");
    EXPECT_NE(text.attributeAtIndex(TEStrikeOutAttribute, indexOf(text, u"k")), nullptr);
}

TEST_F(HTMLReaderBuilderTests, defaultFontComesFromTheOptions)
{
    const AttributedString plain = convert("<div>t</div>");
    EXPECT_DOUBLE_EQ(fontAt(plain, 0)->pointSize(), 12);

    TEHTMLReaderOptions options;
    options.defaultFontFamily = "Georgia";
    options.defaultFontSize = 14.5;
    const AttributedString styled = convert("<div>t</div>", options);
    ASSERT_NE(fontAt(styled, 0), nullptr);
    EXPECT_EQ(fontAt(styled, 0)->familyName(), "Georgia");
    EXPECT_DOUBLE_EQ(fontAt(styled, 0)->pointSize(), 14);
}

TEST_F(HTMLReaderBuilderTests, paragraphEndsAfterEveryBlock)
{
    EXPECT_EQ(convert("<div>a</div><div>b</div>").string(), u"a\nb\n");
    EXPECT_EQ(convert("<div><p>a</p><p>b</p></div>").string(), u"a\nb\n");
    // Also in parents other than div and span, where they used to run together.
    EXPECT_EQ(convert("<blockquote><p>a</p><p>b</p></blockquote>").string(), u"a\nb\n");
    // Blocks other than div: a quote of bare text is a paragraph of its own.
    EXPECT_EQ(convert("<p>One</p><blockquote>Bare quote text</blockquote><p>Next</p>").string(),
              u"One\nBare quote text\nNext\n");
    for (const char* block : {"address", "figure", "form", "main", "dl"}) {
        const std::string html = std::string("<div>before</div><") + block + ">inside</" + block + "><div>after</div>";
        EXPECT_EQ(convert(html).string(), u"before\ninside\nafter\n") << block;
    }
    EXPECT_EQ(convert("<dl><dt>Term</dt><dd>Meaning</dd></dl><p>Next</p>").string(), u"Term\nMeaning\nNext\n");
    EXPECT_EQ(convert("<figure><figcaption>Caption</figcaption></figure><p>after</p>").string(), u"Caption\nafter\n");
    EXPECT_EQ(convert("<div></div>").string(), u"\n");
    // A table's rows are lines of their own, their cells parted by tabs, as
    // the editors' tables are written (a header row and a cell's line break
    // too); a cell that is a block of its own needs no tab.
    EXPECT_EQ(convert("<p>Before</p><table border=\"1\"><tbody><tr><th>Name</th><th>Town</th></tr><tr><td>Ann <b>B</b></td>"
                      "<td>Zo<br>rich</td></tr></tbody></table><p>After</p>").string(),
              u"Before\nName\tTown\nAnn B\tZo\u2028rich\nAfter\n");
    EXPECT_EQ(convert("<table><tr><td><div>a</div></td><td><div>b</div></td></tr></table>").string(), u"a\nb\n");
    // A break inside a block is a line of its paragraph; the one that ends
    // the block is its paragraph end.
    EXPECT_EQ(convert("<div>a<br>b<br></div>").string(), u"a\u2028b\n");
    EXPECT_EQ(convert("<div>a<br><br></div><div><br></div>").string(), u"a\u2028\n\n");
    // A break before a block ends the line the block starts anyway.
    EXPECT_EQ(convert("<div>a<br><div>b</div></div>").string(), u"a\nb\n");
    std::u16string nested = convert("<ul><li>a<ul><li>x</li></ul></li></ul>").string();
    EXPECT_EQ(convert("<ul><li>a<br><ul><li>x</li></ul></li></ul>").string(), nested);
    nested.insert(nested.find(u"a\n") + 1, u"\u2028");
    EXPECT_EQ(convert("<ul><li>a<br><br><ul><li>x</li></ul></li></ul>").string(), nested);
    // Nor does the line feed an editor writes before the nested list's tag,
    // or a paragraph that ends the item's text.
    const std::u16string nestedOnce = convert("<ul><li>a<ul><li>x</li></ul></li></ul>").string();
    EXPECT_EQ(convert("<ul>\n<li>a\n<ul>\n<li>x</li>\n</ul>\n</li>\n</ul>").string(), nestedOnce);
    EXPECT_EQ(convert("<ol><li><p>a</p><ul><li>x</li></ul></li></ol>").string(),
              convert("<ol><li>a<ul><li>x</li></ul></li></ol>").string());
    EXPECT_EQ(convert("<div>line\nfeed  kept</div>").string(), u"line\nfeed  kept\n");
    // The parser wraps loose text before a block in an implied paragraph.
    EXPECT_EQ(convert("before<div>block</div>after").string(), u"before\nblock\nafter");
}

// Pretty-printed source: white space beside a block tag lies at the start or
// the end of a line and shows nothing, so it makes no paragraph of its own;
// between two words it stays their space.
TEST_F(HTMLReaderBuilderTests, whitespaceBesideABlockMakesNoParagraph)
{
    const std::string branches = "<ul><li><div><div>Garden</div></div>\n  <span class=\"bus\"></span></li>\n"
                                 "<li><div><div>Beans</div></div>\n  <span class=\"bus\"></span></li>\n"
                                 "<li><div><div>Kitchen</div></div>\n  <span class=\"bus\"></span></li></ul>";
    const AttributedString outline = convert(branches);
    for (std::u16string_view blank : {u"\n\n", u"\n ", u" \n"})
        EXPECT_EQ(outline.string().find(blank), std::u16string::npos) << toUtf8(outline.string());
    EXPECT_LT(indexOf(outline, u"Garden"), indexOf(outline, u"Beans"));
    EXPECT_LT(indexOf(outline, u"Beans"), indexOf(outline, u"Kitchen"));
    EXPECT_EQ(convert("<div>a</div>\n<b>b</b>\n<div>c</div>").string(), u"a\nb\nc\n");
    EXPECT_EQ(convert("<div><b>x</b> <i>y</i></div>").string(), u"x y\n");
    EXPECT_EQ(convert("<pre>  <b>x</b></pre>").string().substr(0, 3), u"  x");
}

TEST_F(HTMLReaderBuilderTests, paragraphEndKeepsOnlyParagraphAttributes)
{
    const AttributedString text = convert("<div><a href=\"http://x.org/\">link</a></div>");
    ASSERT_EQ(text.string(), u"link\n");
    EXPECT_NE(text.attributeAtIndex(TELinkAttribute, 0), nullptr);
    EXPECT_NE(text.attributeAtIndex(TEGUIDAttribute, 0), nullptr);
    EXPECT_EQ(text.attributeAtIndex(TELinkAttribute, 4), nullptr);
    EXPECT_EQ(text.attributeAtIndex(kCTUnderlineStyleAttributeName, 4), nullptr);
    EXPECT_NE(text.attributeAtIndex(kCTParagraphStyleAttributeName, 4), nullptr);
    EXPECT_NE(text.attributeAtIndex(TELinkHighlightColorAttribute, 0), nullptr);
}

TEST_F(HTMLReaderBuilderTests, eachLinkTakesThePressedColourInForceWhereItStands)
{
    const AttributedString text =
        convert("<div><a href=\"http://x.org/\">one</a> <a href=\"http://y.org/\">two</a></div>"
                "<style>a:active { color: #00ff00 }</style><div><a href=\"http://z.org/\">three</a> four</div>");
    auto highlight = [&text](std::u16string_view word) -> std::string {
        const AttributeValuePtr value = text.attributeAtIndex(TELinkHighlightColorAttribute, indexOf(text, word));
        return value && value->as<ColorValue>() ? htmlHexString(value->as<ColorValue>()->color()) : "none";
    };
    auto drawnFromContext = [&text](std::u16string_view word) {
        return text.attributeAtIndex(kCTForegroundColorFromContextAttributeName, indexOf(text, word)) != nullptr;
    };
    EXPECT_EQ(highlight(u"one"), "ff0000");
    EXPECT_EQ(highlight(u"two"), "ff0000");
    EXPECT_EQ(highlight(u"three"), "00ff00");
    EXPECT_EQ(highlight(u"four"), "none");
    EXPECT_TRUE(drawnFromContext(u"one"));
    EXPECT_TRUE(drawnFromContext(u"three"));
    EXPECT_FALSE(drawnFromContext(u"four"));
    // Each link keeps its own identifier.
    EXPECT_FALSE(attributeValuesEqual(text.attributeAtIndex(TEGUIDAttribute, indexOf(text, u"one")),
                                      text.attributeAtIndex(TEGUIDAttribute, indexOf(text, u"two"))));
}

TEST_F(HTMLReaderBuilderTests, browserSerialisedEditorPageConverts)
{
    const AttributedString text = convert(
        "<div style=\"text-align: center;\"><font face=\"Georgia\" size=\"5\" color=\"#0000ff\">Title</font></div>"
        "<div><span style=\"font-weight: bold;\">Bold</span> and <i>italic</i><br></div>"
        "<div><br></div><div style=\"margin-left: 40px;\">indented</div>");
    EXPECT_EQ(text.string(), u"Title\nBold and italic\n\nindented\n");
    EXPECT_EQ(paragraphStyleAt(text, 0)->alignment(), TextAlignment::Center);
    const Font* title = fontAt(text, 0);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->familyName(), "Georgia");
    EXPECT_DOUBLE_EQ(title->pointSize(), 24);
    EXPECT_EQ(htmlHexString(text.attributeAtIndex(kCTForegroundColorAttributeName, 0)->as<ColorValue>()->color()),
              "0000ff");
    EXPECT_TRUE(fontAt(text, indexOf(text, u"Bold"))->symbolicTraits() & kFontBoldTrait);
    EXPECT_TRUE(fontAt(text, indexOf(text, u"italic"))->symbolicTraits() & kFontItalicTrait);
    EXPECT_DOUBLE_EQ(paragraphStyleAt(text, indexOf(text, u"indented"))->headIndent(), 40);
}

TEST_F(HTMLReaderBuilderTests, listsNumberIndentAndMarkTheirEnds)
{
    const AttributedString text = convert("<div><ol start=\"5\"><li>a</li><li>b</li><li>c</li></ol></div>");
    TECSSListStyle decimal;
    decimal.setType(TECSSListStyleType::Decimal);
    EXPECT_EQ(text.string(), *decimal.prefixWithCounter(5) + u"a\n" + *decimal.prefixWithCounter(6) + u"b\n" +
                                 *decimal.prefixWithCounter(7) + u"c\n");
    const std::size_t item = indexOf(text, u"c");
    EXPECT_DOUBLE_EQ(paragraphStyleAt(text, item)->headIndent(), 27);
    EXPECT_EQ(stringAt(text, TEFieldAttribute, item - 1), u"TEField");
    EXPECT_EQ(stringAt(text, TEFieldAttribute, item), u"(none)");
    EXPECT_EQ(stringAt(text, TEListEndMarker, item), u"1");
    EXPECT_EQ(stringAt(text, TEListEndMarker, indexOf(text, u"a")), u"(none)");
    const AttributeValuePtr lists = text.attributeAtIndex(TETextListsAttribute, item);
    ASSERT_NE(lists, nullptr);
    EXPECT_EQ(lists->as<ArrayValue>()->count(), 1u);
    // Every item of one list carries the very same list object.
    EXPECT_EQ(text.attributeAtIndex(TETextListsAttribute, indexOf(text, u"a"))->as<ArrayValue>()->elements()[0].get(),
              lists->as<ArrayValue>()->elements()[0].get());
}

// Runs of the same formatting in different paragraphs share one dictionary,
// while two lists of the same style keep their own list objects.
TEST_F(HTMLReaderBuilderTests, runsOfTheSameFormattingShareADictionaryAndListsStayApart)
{
    const AttributedString text = convert(
        "<div><p><span style=\"color: #c0504d\">one</span> <b>x</b></p><p><span style=\"color: #c0504d\">two</span></p>"
        "<ol><li>first</li></ol><ol><li>second</li></ol></div>");
    auto dictionaryAt = [&text](std::size_t index) { return text.attributesAtIndex(index, nullptr).get(); };
    EXPECT_EQ(dictionaryAt(indexOf(text, u"one")), dictionaryAt(indexOf(text, u"two")));
    EXPECT_NE(dictionaryAt(indexOf(text, u"one")), dictionaryAt(indexOf(text, u"x")));

    const AttributeValuePtr first = text.attributeAtIndex(TETextListsAttribute, indexOf(text, u"first"));
    const AttributeValuePtr second = text.attributeAtIndex(TETextListsAttribute, indexOf(text, u"second"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(first->isEqual(*second));
    EXPECT_NE(first->as<ArrayValue>()->elements()[0].get(), second->as<ArrayValue>()->elements()[0].get());
}

TEST_F(HTMLReaderBuilderTests, nestedListsMarkSublevelEndsAndUseTheirOwnMarkers)
{
    const AttributedString text = convert("<div><ul><li>outer<ul><li>inner</li></ul></li><li>last</li></ul></div>");
    const std::size_t inner = indexOf(text, u"inner");
    EXPECT_EQ(stringAt(text, TEListSublevelEndMarker, inner), u"1");
    EXPECT_EQ(stringAt(text, TEListEndMarker, indexOf(text, u"last")), u"1");
    EXPECT_EQ(text.attributeAtIndex(TETextListsAttribute, inner)->as<ArrayValue>()->count(), 2u);
    const auto* innerList =
        text.attributeAtIndex(TETextListsAttribute, inner)->as<ArrayValue>()->elements()[1]->as<TECSSListStyle>();
    EXPECT_EQ(innerList->type(), TECSSListStyleType::Circle);
    EXPECT_GT(paragraphStyleAt(text, inner)->headIndent(), paragraphStyleAt(text, indexOf(text, u"last"))->headIndent());
}

TEST_F(HTMLReaderBuilderTests, itemsWithoutLeftMarginHaveNoMarker)
{
    const AttributedString text = convert("<div><ul style=\"padding-left:0\"><li>a</li></ul></div>");
    EXPECT_EQ(text.string(), u"a\n");
    const AttributedString none = convert("<div><ul style=\"list-style-type:none\"><li>a</li></ul></div>");
    EXPECT_EQ(stringAt(none, TEFieldAttribute, 0), u"(none)");
}

TEST_F(HTMLReaderBuilderTests, rulesAndPageBreaks)
{
    const AttributedString text = convert("<div>a<hr class=\"marquent-pagebreak\">b<hr>c</div>");
    EXPECT_EQ(text.string(), u"a\nb\nc\n");
    EXPECT_NE(text.attributeAtIndex(TEPageBreakAttribute, 1), nullptr);
    EXPECT_EQ(text.attributeAtIndex(TEHorizontalRuleStyleAttribute, 1), nullptr);
    EXPECT_NE(text.attributeAtIndex(TEHorizontalRuleStyleAttribute, 3), nullptr);
    EXPECT_EQ(text.attributeAtIndex(TEPageBreakAttribute, 3), nullptr);

    // A break inside its paragraph is a form feed in it, drawn as a block
    // or not; words that were typed into it follow it. A span of another
    // class is text as ever.
    const AttributedString inside = convert("<div>a<span class=\"marquent-pagebreak\" style=\"display:block\"></span>"
                                            "b<span class=\"marquent-pagebreak\">x</span>c<span class=\"other\"></span>d</div>");
    EXPECT_EQ(inside.string(), u"a\fb\fxcd\n");
    EXPECT_NE(inside.attributeAtIndex(TEPageBreakAttribute, 1), nullptr);
    EXPECT_NE(inside.attributeAtIndex(TEPageBreakAttribute, 3), nullptr);
    EXPECT_EQ(inside.attributeAtIndex(TEPageBreakAttribute, 4), nullptr);

    // So is a rule inside its paragraph, which is no page break, and whose
    // class is no attribute of the text.
    const AttributedString rule = convert("<div>a<span class=\"horizontal-rule\" style=\"display:block\"></span>"
                                          "b<span class=\"horizontal-rule\">x</span>c</div>");
    EXPECT_EQ(rule.string(), u"a\fb\fxc\n");
    for (std::size_t index : {1, 3}) {
        EXPECT_NE(rule.attributeAtIndex(TEHorizontalRuleStyleAttribute, index), nullptr) << index;
        EXPECT_EQ(rule.attributeAtIndex(TEPageBreakAttribute, index), nullptr) << index;
        EXPECT_EQ(rule.attributeAtIndex(TECustomAttributesAttribute, index), nullptr) << index;
    }
    EXPECT_EQ(rule.attributeAtIndex(TEHorizontalRuleStyleAttribute, 4), nullptr);
}

// The keeps and widow control a paragraph's CSS gives, in the words print
// uses now and in the older page-break words a browser may write back.
TEST_F(HTMLReaderBuilderTests, paragraphsKeepWhatTheirPaginationSays)
{
    const AttributedString text = convert(
        "<div style='break-after:avoid;break-inside:avoid;orphans:2;widows:2'>a<span>b</span></div>"
        "<div style='page-break-after:avoid;page-break-inside:avoid-page'>c</div>"
        "<div style='break-after:auto;page-break-inside:auto;widows:1'>d</div><div>e</div>");
    ASSERT_EQ(text.string(), u"ab\nc\nd\ne\n");
    auto pagination = [&](std::size_t index) {
        const PlatformParagraphStyle* style = paragraphStyleAt(text, index);
        if (!style)
            return std::string("none");
        return std::string(style->keepWithNext() ? "next" : "-") + (style->keepTogether() ? " whole" : " -") +
            (style->widowControl() ? " widows" : " -");
    };
    EXPECT_EQ(pagination(0), "next whole widows");
    EXPECT_EQ(pagination(1), "next whole widows");
    EXPECT_EQ(pagination(3), "next whole -");
    const std::string free = paragraphStyleAt(text, 5) ? pagination(5) : "- - -";
    EXPECT_EQ(free, "- - -");
    const std::string plain = paragraphStyleAt(text, 7) ? pagination(7) : "- - -";
    EXPECT_EQ(plain, "- - -");
}

TEST_F(HTMLReaderBuilderTests, footnoteTableDivisionMarksItsLastCharacter)
{
    const AttributedString empty = convert("<div id=\"divfootnotetable\"></div>");
    EXPECT_EQ(empty.string(), u"\n");
    EXPECT_EQ(stringAt(empty, TETextIsFootnoteTableAttribute, 0), u"1");

    const AttributedString notes = convert("<div>x</div><div id=\"divfootnotetable\"><div>note</div></div>"
                                           "<div id=\"endfootnotetable\">y</div>");
    std::size_t marked = 0;
    for (std::size_t i = 0; i < notes.length(); ++i)
        marked += stringAt(notes, TETextIsFootnoteTableAttribute, i) == u"1";
    EXPECT_EQ(marked, 1u);
    EXPECT_EQ(stringAt(notes, TETextIsFootnoteTableAttribute, indexOf(notes, u"note") + 4), u"1");
}

TEST_F(HTMLReaderBuilderTests, styleElementsRestyleOnlyWhatFollows)
{
    const AttributedString text =
        convert("<div>before</div><style>div { color: #00ff00 }</style><div>after</div>");
    EXPECT_EQ(text.string(), u"before\nafter\n");
    EXPECT_EQ(htmlHexString(text.attributeAtIndex(kCTForegroundColorAttributeName, 0)->as<ColorValue>()->color()),
              "000000");
    EXPECT_EQ(htmlHexString(text.attributeAtIndex(kCTForegroundColorAttributeName, indexOf(text, u"after"))
                                ->as<ColorValue>()
                                ->color()),
              "00ff00");
}

TEST_F(HTMLReaderBuilderTests, linkedStyleSheetsAreReadOnlyInsideTheBaseFolder)
{
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "folio-htmlreader-links";
    std::filesystem::create_directories(root / "doc");
    std::ofstream(root / "doc" / "inside.css") << "div { color: #00ff00 }";
    std::ofstream(root / "outside.css") << "div { color: #ff0000 }";
    TEHTMLReaderOptions options;
    options.baseURL = URL::fileURLWithPath((root / "doc").string() + "/", true);

    const AttributedString inside =
        convert("<link type=\"text/css\" href=\"inside.css\"><div>t</div>", options);
    EXPECT_EQ(htmlHexString(inside.attributeAtIndex(kCTForegroundColorAttributeName, 0)->as<ColorValue>()->color()),
              "00ff00");
    const AttributedString outside =
        convert("<link type=\"text/css\" href=\"../outside.css\"><div>t</div>", options);
    EXPECT_EQ(htmlHexString(outside.attributeAtIndex(kCTForegroundColorAttributeName, 0)->as<ColorValue>()->color()),
              "000000");
    std::filesystem::remove_all(root);
}

TEST_F(HTMLReaderBuilderTests, optionsSetLinkColourAndScale)
{
    TEHTMLReaderOptions options;
    options.defaultLinkColor = std::u16string(u"green");
    options.defaultLinkDecoration = false;
    options.textSizeMultiplier = 2;
    const AttributedString text = convert("<div><a href=\"x.html\">l</a><span style=\"font-size:large\">L</span></div>",
                                          options);
    EXPECT_EQ(htmlHexString(text.attributeAtIndex(kCTForegroundColorAttributeName, 0)->as<ColorValue>()->color()),
              "008000");
    EXPECT_EQ(text.attributeAtIndex(kCTUnderlineStyleAttributeName, 0), nullptr);
    EXPECT_DOUBLE_EQ(fontAt(text, indexOf(text, u"L"))->pointSize(), 2 * 18 - 6);
}

TEST_F(HTMLReaderBuilderTests, deeplyNestedSpansConvertWithoutOverflow)
{
    constexpr int kDepth = 100000;
    std::string html = "<div>";
    for (int i = 0; i < kDepth; ++i)
        html += "<span>";
    html += "deep";
    for (int i = 0; i < kDepth; ++i)
        html += "</span>";
    html += "</div><div>next</div>";
    const AttributedString text = convert(html);
    EXPECT_EQ(text.string(), u"deep\nnext\n");
}

TEST_F(HTMLReaderBuilderTests, blocksInsideAWrapperGiveTheTextTheWholeTreeGives)
{
    // Editor pages wrap the whole document in one block: its inner blocks
    // work out their text as they end, and that must be the text the
    // complete tree gives.
    const std::string html =
        "<html><body><div class=\"editor\" style=\"font-size: 16px\">"
        "<h1 style=\"margin: 24px 0px 8px\"><span style=\"color: #1f497d\">Title</span></h1>"
        "<div style=\"margin-bottom: 12px; line-height: 1.5\"><u>under</u> plain <b>bold "
        "<a href=\"https://example.com/x\">link <i>it</i></a></b><span style=\"display: none\">hidden</span></div>"
        "<ol start=\"3\"><li>three</li><li>four<ul><li>inner <b>a</b></li><li>inner b</li></ul></li><li>five</li></ol>"
        "<blockquote><p>quoted</p><p>again<br>after break</p></blockquote>"
        "<div style=\"padding: 4px; background-color: #eeeeee\">boxed<hr>ruled</div>"
        "</div><p>after the wrapper</p></body></html>";
    auto [settled, whole] = settledAndWhole(html);
    ASSERT_TRUE(settled && whole);
    EXPECT_EQ(toUtf8(settled->string()), toUtf8(whole->string()));
    EXPECT_NE(settled->string().find(u"three"), std::u16string::npos);
    EXPECT_NE(settled->string().find(u"inner a"), std::u16string::npos);
    EXPECT_EQ(settled->string().find(u"hidden"), std::u16string::npos);
    // Each reading names its links afresh; every other attribute must agree.
    settled->removeAttribute(TEGUIDAttribute, Range{0, settled->length()});
    whole->removeAttribute(TEGUIDAttribute, Range{0, whole->length()});
    EXPECT_TRUE(AttributedString(*settled) == AttributedString(*whole));
}

TEST_F(HTMLReaderBuilderTests, largeWrappersAndListsGiveTheTextTheWholeTreeGives)
{
    // Blocks of many thousand characters take the room for their text at
    // once, from what their children have worked out: the text must still be
    // every child's, in order, with the line feeds the blocks add around it.
    std::string blocks;
    for (int index = 0; index < 500; ++index) {
        const std::string number = std::to_string(index);
        blocks += "<div style=\"margin-bottom: 12px\"><u>under " + number + "</u> plain words to fill the line <b>bold " +
                  number + "</b></div>loose text " + number + " between blocks, long enough to count for something " +
                  "<ul><li>item " + number + "<ol><li>nested " + number + " with words to fill it</li></ol></li></ul>";
    }
    const std::string html = "<html><body><div class=\"editor\">" + blocks +
                             "</div><ul><li>outer<ol><li>" + blocks + "</li></ol></li></ul></body></html>";
    auto [settled, whole] = settledAndWhole(html);
    ASSERT_TRUE(settled && whole);
    ASSERT_GT(settled->length(), 2 * 65536u);
    EXPECT_EQ(toUtf8(settled->string()), toUtf8(whole->string()));
    const std::u16string& text = settled->string();
    const std::size_t first = text.find(u"under 0");
    const std::size_t last = text.find(u"nested 499 with words to fill it\n");
    ASSERT_NE(first, std::u16string::npos);
    ASSERT_NE(last, std::u16string::npos);
    EXPECT_LT(first, text.find(u"loose text 0 between blocks"));
    EXPECT_NE(text.find(u"outer\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"nested 499", last + 1), std::u16string::npos);
    EXPECT_TRUE(AttributedString(*settled) == AttributedString(*whole));
}

TEST_F(HTMLReaderBuilderTests, aLargeBlockBesideHiddenSiblingsGivesTheTextTheWholeTreeGives)
{
    // A saved page is a whole document wrapped in one block: the page's
    // hidden title and meta stand beside its body, whose text is taken over
    // as it stands; a second shown block after it must still follow it.
    std::string blocks;
    for (int index = 0; index < 1000; ++index) {
        const std::string number = std::to_string(index);
        blocks += "<div style=\"margin-bottom: 12px\"><u>under " + number + "</u> plain words to fill the line <b>bold " +
                  number + "</b> and a few more words to make it long</div>";
    }
    const std::string page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>hidden title</title></head>"
                             "<body><div class=\"page\">" + blocks + "</div></body></html>";
    for (const std::string& after : {std::string(), std::string("<div>shown after</div>")}) {
        const std::string html = "<div style='line-height:0;text-indent:0cm'>" + page + after + "</div>";
        auto [settled, whole] = settledAndWhole(html);
        ASSERT_TRUE(settled && whole);
        ASSERT_GT(settled->length(), 65536u);
        const std::u16string& text = settled->string();
        EXPECT_EQ(text.find(u"hidden title"), std::u16string::npos);
        EXPECT_EQ(text.find(u"under 0"), 0u);
        const std::size_t last = text.find(u"under 999");
        ASSERT_NE(last, std::u16string::npos);
        if (!after.empty())
            EXPECT_GT(text.find(u"shown after"), last);
        EXPECT_TRUE(AttributedString(*settled) == AttributedString(*whole));
    }
}

TEST_F(HTMLReaderBuilderTests, borrowedBytesReadAsOwnedBytesAndOnlyAsFarAsTheyGo)
{
    // A page being saved is read where it lies; the text must be the one a
    // copy of it gives, and nothing past the bytes lent may be read.
    const std::string html =
        "<div style='line-height:1.5;text-indent:1cm'><h2><span style=\"color: #1f497d\">Head</span></h2>"
        "<div>caf\xC3\xA9 <b>bold <a href=\"https://example.com/x\">link</a></b></div>"
        "<ul><li>one</li><li>two</li></ul></div>";
    std::optional<AttributedString> owned = attributedStringWithHTMLData(html);
    std::optional<AttributedString> borrowed = attributedStringWithHTMLData(TEHTMLBorrowedBytes{html});
    ASSERT_TRUE(owned && borrowed);
    EXPECT_EQ(toUtf8(borrowed->string()), toUtf8(owned->string()));
    MutableAttributedString ownedText(*owned);
    MutableAttributedString borrowedText(*borrowed);
    ownedText.removeAttribute(TEGUIDAttribute, Range{0, ownedText.length()});
    borrowedText.removeAttribute(TEGUIDAttribute, Range{0, borrowedText.length()});
    EXPECT_TRUE(AttributedString(borrowedText) == AttributedString(ownedText));

    const std::string longer = "<p>lent</p><p>not lent</p>";
    std::optional<AttributedString> part =
        attributedStringWithHTMLData(TEHTMLBorrowedBytes{std::string_view(longer).substr(0, 11)});
    ASSERT_TRUE(part);
    EXPECT_EQ(part->string(), u"lent\n");
    EXPECT_FALSE(attributedStringWithHTMLData(TEHTMLBorrowedBytes{std::string_view(longer).substr(0, 0)}));
}

TEST_F(HTMLReaderBuilderTests, flushCallbackSeesEachTopLevelBlock)
{
    std::vector<std::string> flushed;
    TEHTMLReaderOptions options;
    options.willFlushBlockCallBack = [&flushed](TEHTMLElement& element) { flushed.push_back(element.name()); };
    convert("<div>a</div><p>b</p><span>c</span>", options);
    EXPECT_EQ(flushed, (std::vector<std::string>{"div", "p", "span"}));
}

TEST_F(HTMLReaderBuilderTests, replaysMalformedInputs)
{
    const std::filesystem::path folder = std::filesystem::path(FOLIO_TEST_DATA_DIR) / "html-reader" / "malformed";
    std::size_t replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream stream(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << stream.rdbuf();
        const std::optional<AttributedString> text = attributedStringWithHTMLData(bytes.str());
        ASSERT_TRUE(text) << entry.path();
        // Whatever was readable comes through: every file holds a letter of text.
        EXPECT_GT(text->length(), 0u) << entry.path();
        ++replayed;
    }
    EXPECT_GE(replayed, 5u);
}

} // namespace
} // namespace folio
