#include "formats/markdown/BKDRenderer.h"

#include "formats/markdown/MarkdownPrepass.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/StringUtilities.h"

#include <algorithm>
#include <cctype>

namespace folio {

namespace {

bool isSpaceByte(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Characters that stand in a link as they are. "&" and "'" are written as references
// because the link goes into a quoted attribute; everything else is percent-encoded.
bool isHrefSafe(unsigned char c)
{
    if (std::isalnum(c))
        return true;
    switch (c) {
    case '-': case '_': case '.': case '+': case '!': case '*': case '(': case ')': case ',':
    case '%': case '#': case '@': case '?': case '=': case ';': case ':': case '/': case '$':
    case '~':
        return true;
    default:
        return false;
    }
}

} // namespace

BKDRenderer::BKDRenderer(unsigned flags, int nestingLevel)
    : m_flags(flags)
    , m_nestingLevel(nestingLevel)
{
}

BKDRenderer::~BKDRenderer() = default;

std::string BKDRenderer::render(const MarkdownSyntaxTree& tree, const MarkdownPrepass* marks)
{
    m_marks = marks && marks->marksActive() ? marks : nullptr;
    std::string ob;
    // The document's blocks are written straight into the output, which is as
    // empty as a container's own buffer would be, instead of being copied up.
    const MarkdownNode root = tree.root();
    if (root.kind() == MarkdownNodeKind::Container) {
        for (MarkdownNode child = root.firstChild(); child; child = child.nextSibling())
            renderNode(ob, child);
    } else {
        renderNode(ob, root);
    }
    renderFootnotes(ob);
    return ob;
}

std::string BKDRenderer::renderUnparsed(std::string_view text)
{
    std::string content;
    normalText(content, text);
    std::string ob;
    paragraph(ob, content);
    return ob;
}

void BKDRenderer::renderFootnotes(std::string& ob)
{
    if (m_footnotes.empty())
        return;
    std::string definitions;
    // A footnote may refer to another that nothing before it did; it joins the end.
    for (std::size_t i = 0; i < m_footnotes.size(); ++i)
        footnoteDefinition(definitions, renderChildren(m_footnotes[i]), static_cast<unsigned>(i + 1));
    footnotes(ob, definitions);
}

std::string_view BKDRenderer::renderChildren(MarkdownNode node)
{
    if (m_buffers.size() <= m_depth)
        m_buffers.emplace_back();
    std::string& content = m_buffers[m_depth];
    content.clear();
    ++m_depth;
    for (MarkdownNode child = node.firstChild(); child; child = child.nextSibling())
        renderNode(content, child);
    --m_depth;
    return content;
}

std::string_view BKDRenderer::textOf(std::string_view text, std::string& scratch) const
{
    if (!m_marks || !m_marks->containsMarks(text))
        return text;
    scratch = m_marks->removeMarks(text);
    return scratch;
}

bool BKDRenderer::isUnderline(MarkdownNode emphasis) const
{
    if (!m_marks)
        return false;
    const MarkdownNode first = emphasis.firstChild();
    return first && first.kind() == MarkdownNodeKind::NormalText && m_marks->startsWithUnderlineMark(first.text());
}

void BKDRenderer::renderNode(std::string& ob, MarkdownNode node)
{
    std::string scratch1;
    std::string scratch2;
    std::string scratch3;
    const MarkdownNodeKind kind = node.kind();
    switch (kind) {
    case MarkdownNodeKind::Container:
        ob += renderChildren(node);
        break;
    case MarkdownNodeKind::Ignored:
        break;
    case MarkdownNodeKind::BlockCode:
        blockCode(ob, textOf(node.text(), scratch1), textOf(node.codeLanguage(), scratch2));
        break;
    case MarkdownNodeKind::BlockQuote:
        blockQuote(ob, renderChildren(node));
        break;
    case MarkdownNodeKind::Header:
        header(ob, renderChildren(node), node.headerLevel());
        break;
    case MarkdownNodeKind::HorizontalRule:
        horizontalRule(ob);
        break;
    case MarkdownNodeKind::List:
        list(ob, renderChildren(node), node.isOrderedList());
        break;
    case MarkdownNodeKind::ListItem:
        listItem(ob, renderChildren(node));
        break;
    case MarkdownNodeKind::Paragraph:
        paragraph(ob, renderChildren(node));
        break;
    case MarkdownNodeKind::Table:
        table(ob, renderChildren(node));
        break;
    case MarkdownNodeKind::TableHeader:
        tableHeader(ob, renderChildren(node));
        break;
    case MarkdownNodeKind::TableBody:
        tableBody(ob, renderChildren(node));
        break;
    case MarkdownNodeKind::TableRow:
        tableRow(ob, renderChildren(node));
        break;
    case MarkdownNodeKind::TableCell:
        tableCell(ob, renderChildren(node), node.tableCellFlags());
        break;
    case MarkdownNodeKind::BlockHTML:
        blockHTML(ob, textOf(node.text(), scratch1));
        break;
    case MarkdownNodeKind::Autolink: {
        const auto linkKind = node.isEmailAutolink() ? BKDAutolinkKind::Email : BKDAutolinkKind::Normal;
        if (!autolink(ob, textOf(node.link(), scratch1), linkKind))
            ob += renderChildren(node);
        break;
    }
    case MarkdownNodeKind::CodeSpan:
        codeSpan(ob, textOf(node.text(), scratch1));
        break;
    case MarkdownNodeKind::DoubleEmphasis:
    case MarkdownNodeKind::Emphasis:
    case MarkdownNodeKind::Highlight:
    case MarkdownNodeKind::TripleEmphasis:
    case MarkdownNodeKind::Strikethrough:
    case MarkdownNodeKind::Superscript: {
        BKDSpanKind spanKind = BKDSpanKind::Emphasis;
        switch (kind) {
        case MarkdownNodeKind::DoubleEmphasis: spanKind = BKDSpanKind::DoubleEmphasis; break;
        case MarkdownNodeKind::Emphasis:
            spanKind = isUnderline(node) ? BKDSpanKind::Underline : BKDSpanKind::Emphasis;
            break;
        case MarkdownNodeKind::Highlight: spanKind = BKDSpanKind::Highlight; break;
        case MarkdownNodeKind::TripleEmphasis: spanKind = BKDSpanKind::TripleEmphasis; break;
        case MarkdownNodeKind::Strikethrough: spanKind = BKDSpanKind::Strikethrough; break;
        default: spanKind = BKDSpanKind::Superscript; break;
        }
        const std::string_view content = renderChildren(node);
        if (!span(ob, content, spanKind))
            ob += content;
        break;
    }
    case MarkdownNodeKind::Image:
        image(ob, textOf(node.link(), scratch1), textOf(node.title(), scratch2),
              textOf(node.imageAlternativeText(), scratch3));
        break;
    case MarkdownNodeKind::LineBreak:
        lineBreak(ob);
        break;
    case MarkdownNodeKind::Link:
        link(ob, renderChildren(node), textOf(node.link(), scratch1), textOf(node.title(), scratch2));
        break;
    case MarkdownNodeKind::Footnote:
        m_footnotes.push_back(node);
        footnoteReference(ob, static_cast<unsigned>(m_footnotes.size()));
        break;
    case MarkdownNodeKind::MathBlock:
        math(ob, textOf(node.text(), scratch1), node.isDisplayMath());
        break;
    case MarkdownNodeKind::RawHTML:
        rawHTML(ob, textOf(node.text(), scratch1));
        break;
    case MarkdownNodeKind::Entity:
        // Entities are copied through; the plain text is decoded as a whole at the end.
        ob += textOf(node.text(), scratch1);
        break;
    case MarkdownNodeKind::NormalText:
        normalText(ob, textOf(node.text(), scratch1));
        break;
    }
}

void BKDRenderer::blockHTML(std::string& ob, std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && text[start] == '\n')
        ++start;
    text = withoutTrailingLineFeeds(text.substr(start));
    if (text.empty())
        return;
    if (m_flags & kRendererSkipHTML)
        return;
    newlineFirst(ob);
    if (m_flags & kRendererEscapeHTML)
        escapeHTML(ob, text);
    else
        ob += text;
    ob += '\n';
}

void BKDRenderer::math(std::string& ob, std::string_view text, bool display)
{
    ob += display ? "\\[" : "\\(";
    escapeHTML(ob, text);
    ob += display ? "\\]" : "\\)";
}

void BKDRenderer::rawHTML(std::string& ob, std::string_view text)
{
    if (m_flags & kRendererEscapeHTML)
        escapeHTML(ob, text);
    else if (!(m_flags & kRendererSkipHTML))
        ob += text;
}

void BKDRenderer::escapeHTML(std::string& ob, std::string_view text)
{
    HTMLTextEscaper::append(ob, text);
}

void BKDRenderer::escapeHref(std::string& ob, std::string_view link)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    // A link is mostly characters that stand as they are: each run of them
    // goes across in one piece.
    std::size_t index = 0;
    while (index < link.size()) {
        std::size_t end = index;
        while (end < link.size() && isHrefSafe(static_cast<unsigned char>(link[end])))
            ++end;
        ob.append(link.substr(index, end - index));
        if (end == link.size())
            break;
        const char c = link[end];
        const auto byte = static_cast<unsigned char>(c);
        index = end + 1;
        if (c == '&') {
            ob += "&amp;";
        } else if (c == '\'') {
            ob += "&#x27;";
        } else {
            ob += '%';
            ob += kHex[byte >> 4];
            ob += kHex[byte & 0xF];
        }
    }
}

void BKDRenderer::newlineFirst(std::string& ob)
{
    if (!ob.empty())
        ob += '\n';
}

bool BKDRenderer::startsWithMailto(std::string_view link)
{
    return hasPrefixIgnoringASCIICase(link, "mailto:");
}

std::string_view BKDRenderer::withoutMailto(std::string_view link)
{
    return startsWithMailto(link) ? link.substr(7) : link;
}

std::string_view BKDRenderer::withoutLeadingSpace(std::string_view content)
{
    std::size_t start = 0;
    while (start < content.size() && isSpaceByte(content[start]))
        ++start;
    return content.substr(start);
}

std::string_view BKDRenderer::withoutTrailingLineFeeds(std::string_view content)
{
    while (!content.empty() && content.back() == '\n')
        content.remove_suffix(1);
    return content;
}

void BKDRenderer::writeLines(std::string& ob, std::string_view content, std::string_view lineBreak)
{
    std::size_t i = 0;
    while (i < content.size()) {
        const std::size_t end = std::min(content.find('\n', i), content.size());
        ob.append(content.substr(i, end - i));
        if (end + 1 >= content.size())
            break;
        ob += lineBreak;
        i = end + 1;
    }
}

} // namespace folio
