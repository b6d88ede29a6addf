#include "formats/markdown/BKDMarkdown.h"
#include "formats/markdown/MarkdownPrepass.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace folio {
namespace {

std::string htmlOf(std::string_view markdown)
{
    BKDMarkdown converter(toUtf16(markdown));
    return toUtf8(converter.html());
}

std::string plainOf(std::string_view markdown)
{
    BKDMarkdown converter(toUtf16(markdown));
    return toUtf8(converter.plainText());
}

std::string hardWrappedHtmlOf(std::string_view markdown)
{
    BKDMarkdown converter(toUtf16(markdown));
    converter.setHtmlHardWrap(true);
    return toUtf8(converter.html());
}

const std::string kPre = "<pre style=\"border: 1px solid #ddd;padding: 10px;background-color: #f2f2f2\">";
const std::string kQuote = "<blockquote style=\"margin-top: 10px;margin-bottom: 10px;margin-left: 50px;"
                           "padding-left: 15px;border-left: 6px solid #ccc; \">\n";
const std::string kShadedRow = "<tr style=\"background-color: #f2f2f2\">\n";
const std::string kPlainRow = "<tr>\n";

std::string cell(std::string_view tag, std::string_view align, std::string_view content)
{
    return "<" + std::string(tag) + " style=\"" + std::string(align) + "border: 1px solid #ddd;padding: 10px;\">"
        + std::string(content) + "</" + std::string(tag) + ">\n";
}

TEST(BKDMarkdownHTMLTest, numbersHeadersOfEveryLevelInDocumentOrder)
{
    EXPECT_EQ(htmlOf("# One\n## Two\n### Three\n#### Four\n##### Five\n###### Six ######\n"),
              "\n<h1 id=\"toc_0\">One</h1>\n\n<h2 id=\"toc_1\">Two</h2>\n\n<h3 id=\"toc_2\">Three</h3>\n"
              "\n<h4 id=\"toc_3\">Four</h4>\n\n<h5 id=\"toc_4\">Five</h5>\n\n<h6 id=\"toc_5\">Six</h6>\n");
    // The count belongs to one conversion: a second document starts again at 0.
    EXPECT_EQ(htmlOf("Intro\n\n## Again"), "\n<p>Intro</p>\n\n<h2 id=\"toc_0\">Again</h2>\n");
}

TEST(BKDMarkdownHTMLTest, headerNeedsBlankAfterItsSigns)
{
    EXPECT_EQ(htmlOf("#NoSpace"), "\n<p>#NoSpace</p>\n");
    EXPECT_EQ(htmlOf("#"), "\n<p>#</p>\n");
    EXPECT_EQ(htmlOf("####### Seven"), "\n<p>####### Seven</p>\n");
    EXPECT_EQ(htmlOf("Text\n#tag"), "\n<p>Text\n#tag</p>\n");
    EXPECT_EQ(htmlOf("> #quoted"), "\n" + kQuote + "<p>#quoted</p>\n</blockquote>\n");
    // Inside code the line stays exactly as written.
    EXPECT_EQ(htmlOf("```\n#include <x>\n```"), "\n" + kPre + "<code>#include &lt;x&gt;\n</code></pre>\n");
}

TEST(BKDMarkdownHTMLTest, writesParagraphsFromTheirFirstNonBlank)
{
    EXPECT_EQ(htmlOf("   Leading blanks\n\nSecond"), "\n<p>Leading blanks</p>\n\n<p>Second</p>\n");
    EXPECT_EQ(htmlOf("one\ntwo\nthree"), "\n<p>one\ntwo\nthree</p>\n");
    EXPECT_EQ(hardWrappedHtmlOf("one\ntwo\nthree"), "\n<p>one<br>\ntwo<br>\nthree</p>\n");
    // A typed line break is not doubled by the hard wrap.
    EXPECT_EQ(hardWrappedHtmlOf("one  \ntwo\nthree\n"), "\n<p>one<br>\ntwo<br>\nthree</p>\n");
}

TEST(BKDMarkdownHTMLTest, writesEveryEmphasisKind)
{
    EXPECT_EQ(htmlOf("*em* **strong** __strong__ ***both*** _under_ ==mark== ~~del~~ x^sup"),
              "\n<p><em>em</em> <strong>strong</strong> <strong>strong</strong> <strong><em>both</em></strong> "
              "<u>under</u> <mark>mark</mark> <del>del</del> x<sup>sup</sup></p>\n");
    EXPECT_EQ(htmlOf("snake_case_name"), "\n<p>snake<u>case</u>name</p>\n");
    EXPECT_EQ(htmlOf("_a *b* c_"), "\n<p><u>a <em>b</em> c</u></p>\n");
}

TEST(BKDMarkdownHTMLTest, escapesCodeSpansAndBlocks)
{
    EXPECT_EQ(htmlOf("Use `a < b && _c_`"), "\n<p>Use <code>a &lt; b &amp;&amp; _c_</code></p>\n");
    EXPECT_EQ(htmlOf("```swift\nlet s = \"<x>\"\n```"),
              "\n" + kPre + "<code class=\"language-swift\">let s = &quot;&lt;x&gt;&quot;\n</code></pre>\n");
    EXPECT_EQ(htmlOf("Text\n\n    indented_code_\n"),
              "\n<p>Text</p>\n\n" + kPre + "<code>indented_code_\n</code></pre>\n");
}

TEST(BKDMarkdownHTMLTest, writesBlockQuotesWithInlineStyle)
{
    EXPECT_EQ(htmlOf("> one\n>\n> two"), "\n" + kQuote + "<p>one</p>\n\n<p>two</p>\n</blockquote>\n");
}

TEST(BKDMarkdownHTMLTest, writesTightLooseAndNestedLists)
{
    EXPECT_EQ(htmlOf("- apple\n- banana"), "\n<ul>\n<li>apple</li>\n<li>banana</li>\n</ul>\n");
    EXPECT_EQ(htmlOf("1. one\n\n2. two"), "\n<ol>\n<li><p>one</p></li>\n<li><p>two</p></li>\n</ol>\n");
    EXPECT_EQ(htmlOf("* a\n  * b"), "\n<ul>\n<li>a\n\n<ul>\n<li>b</li>\n</ul></li>\n</ul>\n");
}

TEST(BKDMarkdownHTMLTest, shadesEvenRowsAndRestartsForEachTable)
{
    const std::string markdown = "| L | R |\n|:--|--:|\n| a | b |\n| c | d |\n| e | f |\n\n"
                                 "| C | N |\n|:-:|---|\n| g | h |\n";
    const std::string left = "text-align: left;";
    const std::string right = "text-align: right;";
    const std::string center = "text-align: center;";
    const auto bodyRow = [&](const std::string& row, std::string_view x, std::string_view y) {
        return row + cell("td", left, x) + cell("td", right, y) + "</tr>\n";
    };
    const std::string first = "<table style=\"border-collapse: collapse;margin: 15px\">\n<thead>\n" + kShadedRow
        + cell("th", left, "L") + cell("th", right, "R") + "</tr>\n</thead>\n\n<tbody>\n"
        + bodyRow(kPlainRow, "a", "b") + bodyRow(kShadedRow, "c", "d") + bodyRow(kPlainRow, "e", "f")
        + "</tbody>\n</table>\n";
    const std::string second = "<table style=\"border-collapse: collapse;margin: 15px\">\n<thead>\n" + kShadedRow
        + cell("th", center, "C") + cell("th", "", "N") + "</tr>\n</thead>\n\n<tbody>\n" + kPlainRow
        + cell("td", center, "g") + cell("td", "", "h") + "</tr>\n</tbody>\n</table>\n";
    EXPECT_EQ(htmlOf(markdown), "\n" + first + "\n" + second);
}

TEST(BKDMarkdownHTMLTest, numbersFootnotesByFirstReferenceAfterTheBody)
{
    const auto reference = [](int n) {
        const std::string s = std::to_string(n);
        return "<sup id=\"fnref" + s + "\"><a href=\"#fn" + s + "\" rel=\"footnote\">" + s + "</a></sup>";
    };
    const auto definition = [](int n, std::string_view text) {
        const std::string s = std::to_string(n);
        return "\n<li id=\"fn" + s + "\">\n<p>" + std::string(text) + "&nbsp;<a href=\"#fnref" + s
            + "\" rev=\"footnote\">&#8617;</a></p>\n</li>\n";
    };
    EXPECT_EQ(htmlOf("A[^x] B[^y].\n\n[^y]: Why\n[^x]: Ex\n\nEnd"),
              "\n<p>A" + reference(1) + " B" + reference(2) + ".</p>\n\n<p>End</p>\n\n<div class=\"footnotes\">\n<hr>\n"
                  "<ol>\n" + definition(1, "Ex") + definition(2, "Why") + "\n</ol>\n</div>\n");
}

TEST(BKDMarkdownHTMLTest, writesAutolinksLinksAndImages)
{
    EXPECT_EQ(htmlOf("<http://a.org/x?y=1&z=2> <me@x.org> <mailto:you@x.org>"),
              "\n<p><a href=\"http://a.org/x?y=1&amp;z=2\">http://a.org/x?y=1&amp;z=2</a> "
              "<a href=\"mailto:me@x.org\">me@x.org</a> <a href=\"mailto:you@x.org\">you@x.org</a></p>\n");
    EXPECT_EQ(htmlOf("see http://a.org/snake_case_path"),
              "\n<p>see <a href=\"http://a.org/snake_case_path\">http://a.org/snake_case_path</a></p>\n");
    EXPECT_EQ(htmlOf("[text](http://l.com/a b?q='1'&r=\"2\" \"The title\") [bare](u.html)"),
              "\n<p><a href=\"http://l.com/a%20b?q=&#x27;1&#x27;&amp;r=%222%22\" title=\"The title\">text</a> "
              "<a href=\"u.html\">bare</a></p>\n");
    EXPECT_EQ(htmlOf("![a \"b\"](i.png \"Pic\") ![plain](j.png)"),
              "\n<p><img src=\"i.png\" alt=\"a &quot;b&quot;\" title=\"Pic\"> <img src=\"j.png\" alt=\"plain\"></p>\n");
}

TEST(BKDMarkdownHTMLTest, passesHTMLAndEntitiesThrough)
{
    EXPECT_EQ(htmlOf("a <b class=\"x_y\">bold</b> &copy; &#169; &amp;"),
              "\n<p>a <b class=\"x_y\">bold</b> &copy; &#169; &amp;</p>\n");
    EXPECT_EQ(htmlOf("<div>\n#hash _x_\n</div>\n\nafter"), "\n<div>\n#hash _x_\n</div>\n\n<p>after</p>\n");
}

TEST(BKDMarkdownHTMLTest, writesLineBreaksAndRules)
{
    EXPECT_EQ(htmlOf("a  \nb"), "\n<p>a<br>\nb</p>\n");
    EXPECT_EQ(htmlOf("a\n\n---\n\nb"), "\n<p>a</p>\n\n<hr>\n\n<p>b</p>\n");
}

TEST(BKDMarkdownHTMLTest, setsTypographicPunctuationOutsideCodeOnly)
{
    EXPECT_EQ(htmlOf("\"Hi\" -- it's 'ok'... --- `\"no\" -- don't`"),
              "\n<p>&ldquo;Hi&rdquo; &ndash; it&rsquo;s &lsquo;ok&rsquo;&hellip; &mdash; "
              "<code>&quot;no&quot; -- don&#39;t</code></p>\n");
    EXPECT_EQ(htmlOf("```\n\"x\" -- y...\n```"), "\n" + kPre + "<code>&quot;x&quot; -- y...\n</code></pre>\n");
}

TEST(BKDMarkdownHTMLTest, emptyTextGivesOneLineFeed)
{
    EXPECT_EQ(htmlOf(""), "\n");
    EXPECT_EQ(plainOf(""), "\n");
}

TEST(BKDMarkdownPlainTextTest, dropsMarkupFromBlocks)
{
    EXPECT_EQ(plainOf("# Title\n\nBody *text*.\n\n> quoted\n\n---\n\nlast"), "\nTitle\nBody text.\nquoted\nlast");
    EXPECT_EQ(plainOf("   lead\n\nx  \ny"), "\nlead\nx\ny");
    BKDMarkdown wrapped(u"one\ntwo");
    wrapped.setHtmlHardWrap(true);
    EXPECT_EQ(toUtf8(wrapped.plainText()), "\none\ntwo");
}

TEST(BKDMarkdownPlainTextTest, endsEveryListItemWithALineFeed)
{
    EXPECT_EQ(plainOf("- apple\n- banana"), "\napple\nbanana\n");
    EXPECT_EQ(plainOf("1. one\n\n2. two\n\nafter"), "\none\ntwo\n\nafter");
}

TEST(BKDMarkdownPlainTextTest, keepsCodeLanguageOnItsOwnLine)
{
    EXPECT_EQ(plainOf("```swift\nlet x\n```"), "\nswift\nlet x\n");
    EXPECT_EQ(plainOf("```\nlet x\n```"), "\nlet x\n");
    EXPECT_EQ(plainOf("a `b<c` d"), "\na b<c d");
}

TEST(BKDMarkdownPlainTextTest, givesLinkTextAndAddressesOnce)
{
    EXPECT_EQ(plainOf("<http://a.org> and <me@x.org>"), "\nhttp://a.org and me@x.org");
    EXPECT_EQ(plainOf("[the text](http://l.com \"Title\") ![alt](i.png)[^n]\n\n[^n]: Note"), "\nthe text \n\n1 Note");
}

TEST(BKDMarkdownPlainTextTest, putsTableCellsOnLinesOfTheirOwn)
{
    EXPECT_EQ(plainOf("| a | b |\n|---|---|\n| c | d |"), "\na\nb\n\n\nc\nd\n\n");
}

TEST(BKDMarkdownPlainTextTest, decodesEntitiesAndKeepsInlineHTML)
{
    EXPECT_EQ(plainOf("Tom &amp; Jerry &lt;3 &copy; <b title=\"&eacute;\">x</b> 1 < 2"),
              "\nTom & Jerry <3 \u00A9 <b title=\"\u00E9\">x</b> 1 < 2");
    EXPECT_EQ(plainOf("\"Hi\" -- don't..."), "\n\u201CHi\u201D \u2013 don\u2019t\u2026");
}

TEST(BKDMarkdownCacheTest, keepsOutputsUntilTheTextChanges)
{
    BKDMarkdown converter(u"a ~~b~~");
    EXPECT_EQ(toUtf8(converter.html()), "\n<p>a <del>b</del></p>\n");
    converter.setExtensions(0);
    converter.setFlags(7);
    EXPECT_EQ(toUtf8(converter.html()), "\n<p>a <del>b</del></p>\n");
    // The plain text was not computed yet, so it sees the new extensions.
    EXPECT_EQ(toUtf8(converter.plainText()), "\na ~~b~~");
    converter.setText(u"*c*");
    EXPECT_EQ(toUtf8(converter.html()), "\n<p><em>c</em></p>\n");
    EXPECT_EQ(toUtf8(converter.plainText()), "\nc");
}

TEST(BKDMarkdownCacheTest, startsWithTheDefaultExtensionsAndNoFlags)
{
    const BKDMarkdown converter;
    EXPECT_EQ(converter.extensions(), 0x317Fu);
    EXPECT_EQ(converter.flags(), 0u);
    EXPECT_EQ(converter.rendererFlags(), 0u);
    BKDMarkdown options;
    options.setHtmlHardWrap(true);
    options.setHtmlTaskList(true);
    options.setHtmlLineNumbers(true);
    options.setHtmlMathJax(true);
    EXPECT_EQ(options.rendererFlags(), 4u | 16u | 32u);
}

TEST(BKDMarkdownThreadTest, conversionsOnTwoThreadsShadeTheirOwnRows)
{
    const std::u16string oneRow = u"| a |\n|---|\n| b |\n";
    const std::u16string fourRows = u"| a |\n|---|\n| b |\n| c |\n| d |\n\n" + oneRow;
    const std::u16string expectedShort = BKDMarkdown(oneRow).html();
    const std::u16string expectedLong = BKDMarkdown(fourRows).html();
    ASSERT_NE(expectedShort, expectedLong);

    const auto convertMany = [](const std::u16string& text, const std::u16string& expected, int* mismatches) {
        for (int i = 0; i < 300; ++i) {
            if (BKDMarkdown(text).html() != expected)
                ++*mismatches;
        }
    };
    int shortMismatches = 0;
    int longMismatches = 0;
    std::thread first(convertMany, std::cref(oneRow), std::cref(expectedShort), &shortMismatches);
    std::thread second(convertMany, std::cref(fourRows), std::cref(expectedLong), &longMismatches);
    first.join();
    second.join();
    EXPECT_EQ(shortMismatches, 0);
    EXPECT_EQ(longMismatches, 0);
}

TEST(BKDMarkdownFailureTest, keepsTheWholeTextWhenNestingIsTooDeep)
{
    const std::string quotes(1000, '>');
    std::string escapedQuotes;
    for (std::size_t i = 0; i < quotes.size(); ++i)
        escapedQuotes += "&gt;";
    const std::string deep = quotes + " \"deep\" & <x>";
    EXPECT_EQ(plainOf(deep), "\n" + quotes + " \u201Cdeep\u201D & <x>");
    EXPECT_EQ(htmlOf(deep), "\n<p>" + escapedQuotes + " &ldquo;deep&rdquo; &amp; &lt;x&gt;</p>\n");
}

// Long runs of brackets that never close read as the same text (the parser
// is spared them); a short run and a closed link are left alone.
TEST(BKDMarkdownTest, longRunsOfOpenBracketsStayTextAndLinksStayLinks)
{
    const std::string brackets(100000, '[');
    std::string html = htmlOf(brackets);
    EXPECT_EQ(std::count(html.begin(), html.end(), '['), 100000);
    EXPECT_EQ(html.find('\\'), std::string::npos);

    std::string pictures;
    for (int index = 0; index < 20000; ++index)
        pictures += "![";
    std::string plain = plainOf(pictures);
    EXPECT_EQ(std::count(plain.begin(), plain.end(), '['), 20000);

    EXPECT_EQ(MarkdownPrepass::escapingUnmatchedBracketRuns(std::string(15, '[') + "[a](b) `[[`"),
              std::string(15, '[') + "[a](b) `[[`");
    EXPECT_EQ(MarkdownPrepass::escapingUnmatchedBracketRuns(std::string(17, '[') + "[a](b) x"),
              "\\[\\[\\[\\[\\[\\[\\[\\[\\[\\[\\[\\[\\[\\[\\[\\[\\[[a](b) x");
    EXPECT_NE(htmlOf(std::string(40, '[') + " [link](http://example.org/)").find("<a href=\"http://example.org/\""),
              std::string::npos);
}

// The UTF-8 entry points answer what the UTF-16 ones do, for the converter's
// own text and for a text handed in, with the converter's options.
TEST(BKDMarkdownTest, utf8EntryPointsAnswerWhatTheUTF16OnesDo)
{
    const std::string text = "# T\n\n_u_ \"q\" caf\xC3\xA9 -- \xE4\xB8\xAD\n\n- [a](b)\n\n    code\n";
    BKDMarkdown own(toUtf16(text));
    own.setHtmlHardWrap(true);
    const std::string html = toUtf8(own.html());
    EXPECT_EQ(own.utf8HTML(), html);

    BKDMarkdown options;
    options.setHtmlHardWrap(true);
    EXPECT_EQ(options.utf8HTML(toUtf16(text)), html);
    EXPECT_EQ(options.plainText(toUtf16(text)), own.plainText());
    EXPECT_NE(options.utf8HTML(u"a\nb").find("<br>"), std::string::npos);
    EXPECT_EQ(BKDMarkdown().utf8HTML(u"a\nb").find("<br>"), std::string::npos);
}

} // namespace
} // namespace folio
