#include "platform/foundation/MarkdownSyntaxTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

std::vector<MarkdownNode> childrenOf(MarkdownNode node)
{
    std::vector<MarkdownNode> children;
    for (MarkdownNode child = node.firstChild(); child; child = child.nextSibling())
        children.push_back(child);
    return children;
}

// The first node of `kind` in document order, or a null node.
MarkdownNode find(MarkdownNode node, MarkdownNodeKind kind)
{
    if (node.kind() == kind)
        return node;
    for (MarkdownNode child = node.firstChild(); child; child = child.nextSibling()) {
        if (MarkdownNode found = find(child, kind))
            return found;
    }
    return MarkdownNode();
}

TEST(MarkdownSyntaxTree, BlocksAndSpansCarryTheirTextsAndSettings)
{
    const std::string text = "## Title\n\n1. one\n2. two\n\n- bullet\n\n"
                             "A *word*, a [link](http://example.com/a \"Where\") and `code`.\n\n"
                             "![Alt text](pic.png \"Caption\")\n\n"
                             "```swift\nlet x = 1\n```\n";
    auto tree = MarkdownSyntaxTree::parse(text, kMarkdownSyntaxFencedCode, 128);
    ASSERT_TRUE(tree);
    const MarkdownNode root = tree->root();
    EXPECT_EQ(root.kind(), MarkdownNodeKind::Container);

    const MarkdownNode header = find(root, MarkdownNodeKind::Header);
    ASSERT_TRUE(header);
    EXPECT_EQ(header.headerLevel(), 2);
    ASSERT_EQ(childrenOf(header).size(), 1u);
    EXPECT_EQ(childrenOf(header)[0].text(), "Title");

    std::vector<MarkdownNode> lists;
    for (MarkdownNode block : childrenOf(root)) {
        if (block.kind() == MarkdownNodeKind::List)
            lists.push_back(block);
    }
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_TRUE(lists[0].isOrderedList());
    EXPECT_EQ(childrenOf(lists[0]).size(), 2u);
    EXPECT_FALSE(lists[1].isOrderedList());

    EXPECT_TRUE(find(root, MarkdownNodeKind::Emphasis));
    const MarkdownNode link = find(root, MarkdownNodeKind::Link);
    ASSERT_TRUE(link);
    EXPECT_EQ(link.link(), "http://example.com/a");
    EXPECT_EQ(link.title(), "Where");
    EXPECT_EQ(find(link, MarkdownNodeKind::NormalText).text(), "link");
    EXPECT_EQ(find(root, MarkdownNodeKind::CodeSpan).text(), "code");

    const MarkdownNode image = find(root, MarkdownNodeKind::Image);
    ASSERT_TRUE(image);
    EXPECT_EQ(image.link(), "pic.png");
    EXPECT_EQ(image.title(), "Caption");
    EXPECT_EQ(image.imageAlternativeText(), "Alt text");

    const MarkdownNode code = find(root, MarkdownNodeKind::BlockCode);
    ASSERT_TRUE(code);
    EXPECT_EQ(code.codeLanguage(), "swift");
    EXPECT_EQ(code.text(), "let x = 1\n");
    // Settings of one kind are nothing on another.
    EXPECT_EQ(code.headerLevel(), 0);
    EXPECT_TRUE(code.link().empty());
}

TEST(MarkdownSyntaxTree, ExtensionsAreParsedOnlyWhenAsked)
{
    const std::string text = "| a | b |\n|:--|--:|\n| 1 | 2 |\n\n~~gone~~ and <me@example.com>\n";
    auto plain = MarkdownSyntaxTree::parse(text, 0, 128);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(find(plain->root(), MarkdownNodeKind::Table));
    EXPECT_FALSE(find(plain->root(), MarkdownNodeKind::Strikethrough));

    auto extended = MarkdownSyntaxTree::parse(
        text, kMarkdownSyntaxTables | kMarkdownSyntaxStrikethrough | kMarkdownSyntaxAutolink, 128);
    ASSERT_TRUE(extended);
    const MarkdownNode root = extended->root();
    ASSERT_TRUE(find(root, MarkdownNodeKind::Table));
    const MarkdownNode header = find(root, MarkdownNodeKind::TableHeader);
    ASSERT_TRUE(header);
    const std::vector<MarkdownNode> cells = childrenOf(childrenOf(header).at(0));
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].tableCellFlags() & kMarkdownCellAlignMask, kMarkdownCellAlignLeft);
    EXPECT_EQ(cells[1].tableCellFlags() & kMarkdownCellAlignMask, kMarkdownCellAlignRight);
    EXPECT_NE(cells[0].tableCellFlags() & kMarkdownCellHeader, 0u);
    EXPECT_TRUE(find(root, MarkdownNodeKind::Strikethrough));
    const MarkdownNode autolink = find(root, MarkdownNodeKind::Autolink);
    ASSERT_TRUE(autolink);
    EXPECT_TRUE(autolink.isEmailAutolink());
}

TEST(MarkdownSyntaxTree, RefusesNestingPastTheLimitInsteadOfOverflowing)
{
    const std::string deep = std::string(5000, '>') + " deep\n";
    EXPECT_FALSE(MarkdownSyntaxTree::parse(deep, 0, 128));
    // The same text within the limit parses.
    const std::string shallow = std::string(10, '>') + " shallow\n";
    auto tree = MarkdownSyntaxTree::parse(shallow, 0, 128);
    ASSERT_TRUE(tree);
    EXPECT_TRUE(find(tree->root(), MarkdownNodeKind::BlockQuote));
    // An empty text is a document without blocks, not a refusal.
    auto empty = MarkdownSyntaxTree::parse("", 0, 128);
    ASSERT_TRUE(empty);
    for (MarkdownNode child : childrenOf(empty->root()))
        EXPECT_EQ(child.kind(), MarkdownNodeKind::Ignored);
}

} // namespace
} // namespace folio
