#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

struct lowdown_node;
struct lowdown_doc;

namespace folio {

// What the Markdown parser recognises beyond the core syntax; off unless asked.
enum MarkdownSyntaxFeature : unsigned {
    kMarkdownSyntaxTables = 1u << 0,
    kMarkdownSyntaxFencedCode = 1u << 1,
    kMarkdownSyntaxFootnotes = 1u << 2,
    kMarkdownSyntaxAutolink = 1u << 3,
    kMarkdownSyntaxStrikethrough = 1u << 4,
    kMarkdownSyntaxHighlight = 1u << 5,
    kMarkdownSyntaxSuperscript = 1u << 6,
    kMarkdownSyntaxMath = 1u << 7,
    // Indented lines are no code block.
    kMarkdownSyntaxNoIndentedCode = 1u << 8,
    // "_" inside a word is no emphasis.
    kMarkdownSyntaxNoIntraEmphasis = 1u << 9,
};

enum class MarkdownNodeKind {
    // Holds its children and nothing else (the document, definition lists).
    Container,
    // Metadata the converter does not render.
    Ignored,
    BlockCode,
    BlockQuote,
    Header,
    HorizontalRule,
    List,
    ListItem,
    Paragraph,
    Table,
    TableHeader,
    TableBody,
    TableRow,
    TableCell,
    BlockHTML,
    Autolink,
    CodeSpan,
    DoubleEmphasis,
    Emphasis,
    Highlight,
    TripleEmphasis,
    Strikethrough,
    Superscript,
    Image,
    LineBreak,
    Link,
    Footnote,
    MathBlock,
    RawHTML,
    Entity,
    NormalText,
};

// Table cell flags as the parser gives them: the alignment in the low two bits.
inline constexpr unsigned kMarkdownCellAlignLeft = 1;
inline constexpr unsigned kMarkdownCellAlignRight = 2;
inline constexpr unsigned kMarkdownCellAlignCenter = 3;
inline constexpr unsigned kMarkdownCellAlignMask = 3;
inline constexpr unsigned kMarkdownCellHeader = 4;

// One node of a parsed document, valid as long as its tree. A handle: cheap
// to copy, and a null node (false) ends a walk through children.
class MarkdownNode {
public:
    MarkdownNode() = default;
    explicit operator bool() const { return m_node != nullptr; }
    friend bool operator==(MarkdownNode, MarkdownNode) = default;

    MarkdownNodeKind kind() const;
    MarkdownNode firstChild() const;
    MarkdownNode nextSibling() const;

    // The literal text of code, markup, math, entities and plain text.
    std::string_view text() const;
    // The target of links, images and autolinks.
    std::string_view link() const;
    // The title of links and images.
    std::string_view title() const;
    std::string_view imageAlternativeText() const;
    std::string_view codeLanguage() const;
    // From 1.
    int headerLevel() const;
    bool isOrderedList() const;
    unsigned tableCellFlags() const;
    bool isEmailAutolink() const;
    // Math set apart as a block ("$$"), not within a line.
    bool isDisplayMath() const;

private:
    friend class MarkdownSyntaxTree;
    explicit MarkdownNode(const lowdown_node* node) : m_node(node) {}
    const lowdown_node* m_node = nullptr;
};

// A Markdown text parsed into its blocks and spans.
class MarkdownSyntaxTree {
public:
    // Null when the parser refuses the text: nesting deeper than
    // `maximumNesting` would cost it more stack than it has.
    static std::unique_ptr<MarkdownSyntaxTree> parse(std::string_view text, unsigned features,
                                                     std::size_t maximumNesting);
    ~MarkdownSyntaxTree();
    MarkdownSyntaxTree(const MarkdownSyntaxTree&) = delete;
    MarkdownSyntaxTree& operator=(const MarkdownSyntaxTree&) = delete;

    MarkdownNode root() const { return MarkdownNode(m_root); }

private:
    MarkdownSyntaxTree(lowdown_doc* document, lowdown_node* root) : m_document(document), m_root(root) {}
    lowdown_doc* m_document;
    lowdown_node* m_root;
};

} // namespace folio
