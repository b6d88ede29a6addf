#include "platform/foundation/MarkdownSyntaxTree.h"

// lowdown.h uses the queue macros without including their header.
#include <sys/queue.h>
#include <cstdio>
#include <lowdown.h>

namespace folio {

namespace {

std::string_view viewOf(const struct lowdown_buf& buffer)
{
    return buffer.size ? std::string_view(buffer.data, buffer.size) : std::string_view();
}

unsigned lowdownFeatures(unsigned features)
{
    struct Mapping {
        unsigned feature;
        unsigned lowdownFeature;
    };
    static constexpr Mapping kMappings[] = {
        {kMarkdownSyntaxTables, LOWDOWN_TABLES},
        {kMarkdownSyntaxFencedCode, LOWDOWN_FENCED},
        {kMarkdownSyntaxFootnotes, LOWDOWN_FOOTNOTES},
        {kMarkdownSyntaxAutolink, LOWDOWN_AUTOLINK},
        {kMarkdownSyntaxStrikethrough, LOWDOWN_STRIKE},
        {kMarkdownSyntaxHighlight, LOWDOWN_HILITE},
        {kMarkdownSyntaxSuperscript, LOWDOWN_SUPER},
        {kMarkdownSyntaxMath, LOWDOWN_MATH},
        {kMarkdownSyntaxNoIndentedCode, LOWDOWN_NOCODEIND},
        {kMarkdownSyntaxNoIntraEmphasis, LOWDOWN_NOINTEM},
    };
    unsigned result = 0;
    for (const Mapping& mapping : kMappings) {
        if (features & mapping.feature)
            result |= mapping.lowdownFeature;
    }
    return result;
}

} // namespace

MarkdownNodeKind MarkdownNode::kind() const
{
    switch (m_node->type) {
    case LOWDOWN_ROOT:
    case LOWDOWN_DEFINITION:
    case LOWDOWN_DEFINITION_TITLE:
    case LOWDOWN_DEFINITION_DATA:
        return MarkdownNodeKind::Container;
    case LOWDOWN_DOC_HEADER:
    case LOWDOWN_META:
    case LOWDOWN__MAX:
        return MarkdownNodeKind::Ignored;
    case LOWDOWN_BLOCKCODE: return MarkdownNodeKind::BlockCode;
    case LOWDOWN_BLOCKQUOTE: return MarkdownNodeKind::BlockQuote;
    case LOWDOWN_HEADER: return MarkdownNodeKind::Header;
    case LOWDOWN_HRULE: return MarkdownNodeKind::HorizontalRule;
    case LOWDOWN_LIST: return MarkdownNodeKind::List;
    case LOWDOWN_LISTITEM: return MarkdownNodeKind::ListItem;
    case LOWDOWN_PARAGRAPH: return MarkdownNodeKind::Paragraph;
    case LOWDOWN_TABLE_BLOCK: return MarkdownNodeKind::Table;
    case LOWDOWN_TABLE_HEADER: return MarkdownNodeKind::TableHeader;
    case LOWDOWN_TABLE_BODY: return MarkdownNodeKind::TableBody;
    case LOWDOWN_TABLE_ROW: return MarkdownNodeKind::TableRow;
    case LOWDOWN_TABLE_CELL: return MarkdownNodeKind::TableCell;
    case LOWDOWN_BLOCKHTML: return MarkdownNodeKind::BlockHTML;
    case LOWDOWN_LINK_AUTO: return MarkdownNodeKind::Autolink;
    case LOWDOWN_CODESPAN: return MarkdownNodeKind::CodeSpan;
    case LOWDOWN_DOUBLE_EMPHASIS: return MarkdownNodeKind::DoubleEmphasis;
    case LOWDOWN_EMPHASIS: return MarkdownNodeKind::Emphasis;
    case LOWDOWN_HIGHLIGHT: return MarkdownNodeKind::Highlight;
    case LOWDOWN_TRIPLE_EMPHASIS: return MarkdownNodeKind::TripleEmphasis;
    case LOWDOWN_STRIKETHROUGH: return MarkdownNodeKind::Strikethrough;
    case LOWDOWN_SUPERSCRIPT: return MarkdownNodeKind::Superscript;
    case LOWDOWN_IMAGE: return MarkdownNodeKind::Image;
    case LOWDOWN_LINEBREAK: return MarkdownNodeKind::LineBreak;
    case LOWDOWN_LINK: return MarkdownNodeKind::Link;
    case LOWDOWN_FOOTNOTE: return MarkdownNodeKind::Footnote;
    case LOWDOWN_MATH_BLOCK: return MarkdownNodeKind::MathBlock;
    case LOWDOWN_RAW_HTML: return MarkdownNodeKind::RawHTML;
    case LOWDOWN_ENTITY: return MarkdownNodeKind::Entity;
    case LOWDOWN_NORMAL_TEXT: return MarkdownNodeKind::NormalText;
    }
    return MarkdownNodeKind::Ignored;
}

MarkdownNode MarkdownNode::firstChild() const
{
    return MarkdownNode(TAILQ_FIRST(&m_node->children));
}

MarkdownNode MarkdownNode::nextSibling() const
{
    return MarkdownNode(TAILQ_NEXT(m_node, entries));
}

std::string_view MarkdownNode::text() const
{
    switch (m_node->type) {
    case LOWDOWN_BLOCKCODE: return viewOf(m_node->rndr_blockcode.text);
    case LOWDOWN_BLOCKHTML: return viewOf(m_node->rndr_blockhtml.text);
    case LOWDOWN_CODESPAN: return viewOf(m_node->rndr_codespan.text);
    case LOWDOWN_MATH_BLOCK: return viewOf(m_node->rndr_math.text);
    case LOWDOWN_RAW_HTML: return viewOf(m_node->rndr_raw_html.text);
    case LOWDOWN_ENTITY: return viewOf(m_node->rndr_entity.text);
    case LOWDOWN_NORMAL_TEXT: return viewOf(m_node->rndr_normal_text.text);
    default: return {};
    }
}

std::string_view MarkdownNode::link() const
{
    switch (m_node->type) {
    case LOWDOWN_LINK: return viewOf(m_node->rndr_link.link);
    case LOWDOWN_IMAGE: return viewOf(m_node->rndr_image.link);
    case LOWDOWN_LINK_AUTO: return viewOf(m_node->rndr_autolink.link);
    default: return {};
    }
}

std::string_view MarkdownNode::title() const
{
    switch (m_node->type) {
    case LOWDOWN_LINK: return viewOf(m_node->rndr_link.title);
    case LOWDOWN_IMAGE: return viewOf(m_node->rndr_image.title);
    default: return {};
    }
}

std::string_view MarkdownNode::imageAlternativeText() const
{
    return m_node->type == LOWDOWN_IMAGE ? viewOf(m_node->rndr_image.alt) : std::string_view();
}

std::string_view MarkdownNode::codeLanguage() const
{
    return m_node->type == LOWDOWN_BLOCKCODE ? viewOf(m_node->rndr_blockcode.lang) : std::string_view();
}

int MarkdownNode::headerLevel() const
{
    // lowdown counts levels from zero.
    return m_node->type == LOWDOWN_HEADER ? static_cast<int>(m_node->rndr_header.level) + 1 : 0;
}

bool MarkdownNode::isOrderedList() const
{
    return m_node->type == LOWDOWN_LIST && (m_node->rndr_list.flags & HLIST_FL_ORDERED) != 0;
}

unsigned MarkdownNode::tableCellFlags() const
{
    return m_node->type == LOWDOWN_TABLE_CELL ? static_cast<unsigned>(m_node->rndr_table_cell.flags) : 0;
}

bool MarkdownNode::isEmailAutolink() const
{
    return m_node->type == LOWDOWN_LINK_AUTO && m_node->rndr_autolink.type == HALINK_EMAIL;
}

bool MarkdownNode::isDisplayMath() const
{
    return m_node->type == LOWDOWN_MATH_BLOCK && m_node->rndr_math.blockmode == 2;
}

std::unique_ptr<MarkdownSyntaxTree> MarkdownSyntaxTree::parse(std::string_view text, unsigned features,
                                                              std::size_t maximumNesting)
{
    lowdown_opts options{};
    options.type = LOWDOWN_HTML;
    options.feat = lowdownFeatures(features);
    options.maxdepth = maximumNesting;
    lowdown_doc* document = lowdown_doc_new(&options);
    if (!document)
        return nullptr;
    std::size_t depth = 0;
    lowdown_node* root = lowdown_doc_parse(document, &depth, text.data(), text.size(), nullptr);
    if (!root) {
        lowdown_doc_free(document);
        return nullptr;
    }
    return std::unique_ptr<MarkdownSyntaxTree>(new MarkdownSyntaxTree(document, root));
}

MarkdownSyntaxTree::~MarkdownSyntaxTree()
{
    lowdown_node_free(m_root);
    lowdown_doc_free(m_document);
}

} // namespace folio
