#include "formats/markdown/BKDHTMLRenderer.h"
#include "formats/markdown/BKDPlainTextRenderer.h"

#include "platform/foundation/MarkdownSyntaxTree.h"

#include <gtest/gtest.h>

#include <memory>

namespace folio {
namespace {

// Renders without the converter around it, to reach the renderer flags that the
// converter itself never sets.
std::string render(BKDRenderer& renderer, std::string_view markdown)
{
    auto tree = MarkdownSyntaxTree::parse(
        markdown, kMarkdownSyntaxTables | kMarkdownSyntaxFencedCode | kMarkdownSyntaxFootnotes | kMarkdownSyntaxAutolink,
        128);
    EXPECT_TRUE(tree);
    return tree ? renderer.render(*tree, nullptr) : std::string();
}

TEST(BKDRendererFlagsTest, writesXHTMLEmptyElements)
{
    BKDHTMLRenderer renderer(kRendererUseXHTML | kRendererHardWrap, 6);
    EXPECT_EQ(render(renderer, "a\nb  \nc ![i](p.png)\n\n***\n\nx[^1]\n\n[^1]: n"),
              "<p>a<br/>\nb<br/>\nc <img src=\"p.png\" alt=\"i\"/></p>\n\n<hr/>\n\n"
              "<p>x<sup id=\"fnref1\"><a href=\"#fn1\" rel=\"footnote\">1</a></sup></p>\n\n"
              "<div class=\"footnotes\">\n<hr/>\n<ol>\n\n<li id=\"fn1\">\n"
              "<p>n&nbsp;<a href=\"#fnref1\" rev=\"footnote\">&#8617;</a></p>\n</li>\n\n</ol>\n</div>\n");
}

TEST(BKDRendererFlagsTest, escapesOrSkipsUsersHTML)
{
    BKDHTMLRenderer escaping(kRendererEscapeHTML, 6);
    EXPECT_EQ(render(escaping, "a <b>x</b>\n\n<div>\ny\n</div>"),
              "<p>a &lt;b&gt;x&lt;/b&gt;</p>\n\n&lt;div&gt;\ny\n&lt;/div&gt;\n");
    BKDHTMLRenderer skipping(kRendererSkipHTML, 6);
    EXPECT_EQ(render(skipping, "a <b>x</b>\n\n<div>\ny\n</div>"), "<p>a x</p>\n");
}

TEST(BKDRendererFlagsTest, numbersHeadersOnlyUpToTheNestingLevel)
{
    BKDHTMLRenderer renderer(0, 2);
    EXPECT_EQ(render(renderer, "# a\n### b\n## c"),
              "<h1 id=\"toc_0\">a</h1>\n\n<h3>b</h3>\n\n<h2 id=\"toc_1\">c</h2>\n");
}

TEST(BKDRendererFlagsTest, writesPlainTextOfNestedBlocks)
{
    BKDPlainTextRenderer renderer(0, 6);
    EXPECT_EQ(render(renderer, "> - one\n> - two\n\nx\n\n---\n\n1. a\n   1. b"), "one\ntwo\n\nx\na\n\nb\n");
}

} // namespace
} // namespace folio
