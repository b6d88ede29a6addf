#include "formats/markdown/BKDRenderer.h"

#include "formats/markdown/MarkdownPrepass.h"
#include "platform/foundation/HTMLTextEscaper.h"

// lowdown.h uses the queue macros without including their header.
#include <sys/queue.h>
#include <cstdio>
#include <lowdown.h>

#include <algorithm>
#include <cctype>

namespace folio {

namespace {

std::string_view viewOf(const struct lowdown_buf& buffer)
{
    return buffer.size ? std::string_view(buffer.data, buffer.size) : std::string_view();
}

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

std::string BKDRenderer::render(const lowdown_node& root, const MarkdownPrepass* marks)
{
    m_marks = marks && marks->marksActive() ? marks : nullptr;
    std::string ob;
    renderNode(ob, root);
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
        footnoteDefinition(definitions, renderChildren(*m_footnotes[i]), static_cast<unsigned>(i + 1));
    footnotes(ob, definitions);
}

std::string BKDRenderer::renderChildren(const lowdown_node& node)
{
    std::string content;
    const lowdown_node* child;
    TAILQ_FOREACH(child, &node.children, entries)
        renderNode(content, *child);
    return content;
}

std::string_view BKDRenderer::textOf(const struct lowdown_buf& buffer, std::string& scratch) const
{
    const std::string_view text = viewOf(buffer);
    if (!m_marks || !m_marks->containsMarks(text))
        return text;
    scratch = m_marks->removeMarks(text);
    return scratch;
}

bool BKDRenderer::isUnderline(const lowdown_node& emphasis) const
{
    if (!m_marks)
        return false;
    const lowdown_node* first = TAILQ_FIRST(&emphasis.children);
    return first && first->type == LOWDOWN_NORMAL_TEXT
        && m_marks->startsWithUnderlineMark(viewOf(first->rndr_normal_text.text));
}

void BKDRenderer::renderNode(std::string& ob, const lowdown_node& node)
{
    std::string scratch1;
    std::string scratch2;
    std::string scratch3;
    switch (node.type) {
    case LOWDOWN_ROOT:
    case LOWDOWN_DEFINITION:
    case LOWDOWN_DEFINITION_TITLE:
    case LOWDOWN_DEFINITION_DATA:
        ob += renderChildren(node);
        break;
    case LOWDOWN_DOC_HEADER:
    case LOWDOWN_META:
    case LOWDOWN__MAX:
        break;
    case LOWDOWN_BLOCKCODE:
        blockCode(ob, textOf(node.rndr_blockcode.text, scratch1), textOf(node.rndr_blockcode.lang, scratch2));
        break;
    case LOWDOWN_BLOCKQUOTE:
        blockQuote(ob, renderChildren(node));
        break;
    case LOWDOWN_HEADER:
        // lowdown counts levels from zero.
        header(ob, renderChildren(node), static_cast<int>(node.rndr_header.level) + 1);
        break;
    case LOWDOWN_HRULE:
        horizontalRule(ob);
        break;
    case LOWDOWN_LIST:
        list(ob, renderChildren(node), (node.rndr_list.flags & HLIST_FL_ORDERED) != 0);
        break;
    case LOWDOWN_LISTITEM:
        listItem(ob, renderChildren(node));
        break;
    case LOWDOWN_PARAGRAPH:
        paragraph(ob, renderChildren(node));
        break;
    case LOWDOWN_TABLE_BLOCK:
        table(ob, renderChildren(node));
        break;
    case LOWDOWN_TABLE_HEADER:
        tableHeader(ob, renderChildren(node));
        break;
    case LOWDOWN_TABLE_BODY:
        tableBody(ob, renderChildren(node));
        break;
    case LOWDOWN_TABLE_ROW:
        tableRow(ob, renderChildren(node));
        break;
    case LOWDOWN_TABLE_CELL:
        tableCell(ob, renderChildren(node), static_cast<unsigned>(node.rndr_table_cell.flags));
        break;
    case LOWDOWN_BLOCKHTML:
        blockHTML(ob, textOf(node.rndr_blockhtml.text, scratch1));
        break;
    case LOWDOWN_LINK_AUTO: {
        const auto kind = node.rndr_autolink.type == HALINK_EMAIL ? BKDAutolinkKind::Email : BKDAutolinkKind::Normal;
        if (!autolink(ob, textOf(node.rndr_autolink.link, scratch1), kind))
            ob += renderChildren(node);
        break;
    }
    case LOWDOWN_CODESPAN:
        codeSpan(ob, textOf(node.rndr_codespan.text, scratch1));
        break;
    case LOWDOWN_DOUBLE_EMPHASIS:
    case LOWDOWN_EMPHASIS:
    case LOWDOWN_HIGHLIGHT:
    case LOWDOWN_TRIPLE_EMPHASIS:
    case LOWDOWN_STRIKETHROUGH:
    case LOWDOWN_SUPERSCRIPT: {
        BKDSpanKind kind = BKDSpanKind::Emphasis;
        switch (node.type) {
        case LOWDOWN_DOUBLE_EMPHASIS: kind = BKDSpanKind::DoubleEmphasis; break;
        case LOWDOWN_EMPHASIS: kind = isUnderline(node) ? BKDSpanKind::Underline : BKDSpanKind::Emphasis; break;
        case LOWDOWN_HIGHLIGHT: kind = BKDSpanKind::Highlight; break;
        case LOWDOWN_TRIPLE_EMPHASIS: kind = BKDSpanKind::TripleEmphasis; break;
        case LOWDOWN_STRIKETHROUGH: kind = BKDSpanKind::Strikethrough; break;
        default: kind = BKDSpanKind::Superscript; break;
        }
        const std::string content = renderChildren(node);
        if (!span(ob, content, kind))
            ob += content;
        break;
    }
    case LOWDOWN_IMAGE:
        image(ob, textOf(node.rndr_image.link, scratch1), textOf(node.rndr_image.title, scratch2),
              textOf(node.rndr_image.alt, scratch3));
        break;
    case LOWDOWN_LINEBREAK:
        lineBreak(ob);
        break;
    case LOWDOWN_LINK:
        link(ob, renderChildren(node), textOf(node.rndr_link.link, scratch1), textOf(node.rndr_link.title, scratch2));
        break;
    case LOWDOWN_FOOTNOTE:
        m_footnotes.push_back(&node);
        footnoteReference(ob, static_cast<unsigned>(m_footnotes.size()));
        break;
    case LOWDOWN_MATH_BLOCK:
        math(ob, textOf(node.rndr_math.text, scratch1), node.rndr_math.blockmode == 2);
        break;
    case LOWDOWN_RAW_HTML:
        rawHTML(ob, textOf(node.rndr_raw_html.text, scratch1));
        break;
    case LOWDOWN_ENTITY:
        // Entities are copied through; the plain text is decoded as a whole at the end.
        ob += textOf(node.rndr_entity.text, scratch1);
        break;
    case LOWDOWN_NORMAL_TEXT:
        normalText(ob, textOf(node.rndr_normal_text.text, scratch1));
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
    ob += HTMLTextEscaper::escape(text);
}

void BKDRenderer::escapeHref(std::string& ob, std::string_view link)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : link) {
        const auto byte = static_cast<unsigned char>(c);
        if (isHrefSafe(byte)) {
            ob += c;
        } else if (c == '&') {
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
    constexpr std::string_view kScheme = "mailto:";
    if (link.size() < kScheme.size())
        return false;
    for (std::size_t i = 0; i < kScheme.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(link[i])) != kScheme[i])
            return false;
    }
    return true;
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
