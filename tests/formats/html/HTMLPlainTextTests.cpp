#include "formats/html/HTMLPlainText.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace folio
