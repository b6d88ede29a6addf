#include "formats/html/HTMLPlainText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

// libxml2 cuts a text run at 10,000,000 bytes unless told otherwise; the
// plain text of a page keeps every character.
TEST(HTMLPlainText, keepsTextRunsLongerThanTenMegabytes)
{
    const std::size_t length = 10'500'000;
    std::u16string text = HTMLPlainText::plainText("<p>" + std::string(length, 'a') + "</p><p>end</p>");
    ASSERT_EQ(text.size(), length + 4);
    EXPECT_EQ(text.substr(length), u"\nend");
}

TEST(HTMLPlainText, blocksBreakLinesAndPreformattedTextKeepsItsBlanks)
{
    EXPECT_EQ(HTMLPlainText::plainText("<div>One  <b>two</b></div><pre><i>a   b\n c</i></pre>after   pre"
                                       "<table><tr><td>x</td><td>y</td></tr></table>"
                                       "<div id=\"pageHeader\">hidden</div><p style=\"display: none\">gone</p>end"),
              u"One two\na   b\n c\nafter pre\nx\ty\nend");
}

// Font names come from documents and stand quoted in the style the writer
// gives a paragraph; what they say must neither hide the text nor choose
// its list markers.
TEST(HTMLPlainText, quotedFontNamesInStylesAreNotDeclarations)
{
    EXPECT_EQ(HTMLPlainText::plainText("<div style=\"font-family:'display:none','display:none';font-size:18px;\">Kept"
                                       "</div><div style=\"font-family:&quot;x; display: none&quot;\">Also kept</div>"
                                       "<div style=\"font-family:'it\\'s';display:none\">gone</div>end"),
              u"Kept\nAlso kept\nend");
    HTMLPlainText::Options markers;
    markers.listMarkers = true;
    EXPECT_EQ(HTMLPlainText::plainText("<ol style=\"font-family:'list-style:disc;'\"><li>One</li></ol>"
                                       "<ul style=\"font-family:'a';list-style-type:decimal\"><li>Two</li></ul>",
                                       markers),
              u"1. One\n1. Two");
}

TEST(HTMLPlainText, nestingDeeperThanTheStackKeepsItsText)
{
    constexpr int depth = 100000;
    std::string html;
    for (int level = 0; level < depth; ++level)
        html += "<div>";
    html += "Buried";
    for (int level = 0; level < depth; ++level)
        html += "</div>";
    EXPECT_EQ(HTMLPlainText::plainText(html + "<p>After</p>"), u"Buried\nAfter");
}

// The writer's own forms are read without libxml2; a comment in front makes
// the same HTML go through libxml2, which must find the same text.
TEST(HTMLPlainText, theWritersFormsReadAsLibxml2ReadsThem)
{
    const std::vector<std::string> fragments = {
        "<div style=\"text-align:left;\"><span style=\"color:#ff0000;\">Red</span> and\tplain  text</div>"
        "<div><br/></div><div>After &amp; &lt;tag&gt; &#39;quoted&#39; &quot;x&quot;</div>",
        "<ul><li>One<ul><li>Inner</li></ul></li><li>Two</ul><ol start=\"3\"><li>Three<li>Four</ol>tail",
        "<div><a href=\"https://example.com/\">link</a> <sup>1</sup><sub>2</sub></div>\n<div>\xC3\xA9t\xC3\xA9 "
        "\xE2\x80\x9Cquoted\xE2\x80\x9D</div><hr/><div>end</div>",
        "<div style=\"display:none\">hidden</div><div>shown</div>",
        // Text ahead of every element: libxml2 puts it in a paragraph.
        "Intro<div>body</div>",
        "  <div>blanks first</div>",
    };
    HTMLPlainText::Options listed;
    listed.listMarkers = true;
    listed.keepsWhiteSpace = true;
    for (const std::string& fragment : fragments) {
        EXPECT_EQ(HTMLPlainText::plainText(fragment), HTMLPlainText::plainText("<!---->" + fragment)) << fragment;
        EXPECT_EQ(HTMLPlainText::plainText(fragment, listed), HTMLPlainText::plainText("<!---->" + fragment, listed))
            << fragment;
    }
    HTMLPlainText::Options markers;
    markers.listMarkers = true;
    EXPECT_EQ(HTMLPlainText::plainText(fragments[1], markers), u"\u2022 One\n\t\u2022 Inner\n\u2022 Two\n3. Three\n4. Four\ntail");
}

} // namespace
} // namespace folio
