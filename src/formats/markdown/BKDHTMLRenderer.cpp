#include "formats/markdown/BKDHTMLRenderer.h"

#include <algorithm>
#include <string>

namespace folio {

namespace {

constexpr std::string_view kPreStyle = "border: 1px solid #ddd;padding: 10px;background-color: #f2f2f2";
constexpr std::string_view kCellStyle = "border: 1px solid #ddd;padding: 10px;";
} // namespace

BKDHTMLRenderer::BKDHTMLRenderer(unsigned flags, int nestingLevel)
    : BKDRenderer(flags, nestingLevel)
{
}

void BKDHTMLRenderer::blockCode(std::string& ob, std::string_view text, std::string_view language)
{
    newlineFirst(ob);
    ob += "<pre style=\"";
    ob += kPreStyle;
    if (!language.empty()) {
        ob += "\"><code class=\"language-";
        escapeHTML(ob, language);
        ob += "\">";
    } else {
        ob += "\"><code>";
    }
    escapeHTML(ob, text);
    ob += "</code></pre>\n";
}

void BKDHTMLRenderer::blockQuote(std::string& ob, std::string_view content)
{
    newlineFirst(ob);
    ob += "<blockquote style=\"margin-top: 10px;margin-bottom: 10px;margin-left: 50px;padding-left: 15px;"
          "border-left: 6px solid #ccc; \">\n";
    ob += content;
    ob += "</blockquote>\n";
}

void BKDHTMLRenderer::header(std::string& ob, std::string_view content, int level)
{
    newlineFirst(ob);
    if (level <= nestingLevel())
        ob += "<h" + std::to_string(level) + " id=\"toc_" + std::to_string(m_headerCount++) + "\">";
    else
        ob += "<h" + std::to_string(level) + ">";
    ob += content;
    ob += "</h" + std::to_string(level) + ">\n";
}

void BKDHTMLRenderer::horizontalRule(std::string& ob)
{
    newlineFirst(ob);
    ob += usesXHTML() ? "<hr/>\n" : "<hr>\n";
}

void BKDHTMLRenderer::list(std::string& ob, std::string_view content, bool ordered)
{
    newlineFirst(ob);
    ob += ordered ? "<ol>\n" : "<ul>\n";
    ob += content;
    ob += ordered ? "</ol>\n" : "</ul>\n";
}

void BKDHTMLRenderer::listItem(std::string& ob, std::string_view content)
{
    ob += "<li>";
    ob += withoutTrailingLineFeeds(content);
    ob += "</li>\n";
}

void BKDHTMLRenderer::paragraph(std::string& ob, std::string_view content)
{
    newlineFirst(ob);
    content = withoutLeadingSpace(content);
    if (content.empty())
        return;
    ob += "<p>";
    if (flags() & kRendererHardWrap)
        writeHardWrappedLines(ob, content);
    else
        ob += content;
    ob += "</p>\n";
}

void BKDHTMLRenderer::writeHardWrappedLines(std::string& ob, std::string_view content) const
{
    const std::string_view lineBreak = usesXHTML() ? "<br/>" : "<br>";
    std::size_t i = 0;
    while (i < content.size()) {
        const std::size_t end = std::min(content.find('\n', i), content.size());
        const std::string_view line = content.substr(i, end - i);
        ob += line;
        if (end + 1 >= content.size())
            break;
        // A line that already ends in a break (two blanks typed before the line feed)
        // gets no second one.
        if (!line.ends_with(lineBreak))
            ob += lineBreak;
        ob += '\n';
        i = end + 1;
    }
}

void BKDHTMLRenderer::table(std::string& ob, std::string_view content)
{
    // The rows were rendered before the table itself: the next table counts from 0.
    m_rowIndex = 0;
    newlineFirst(ob);
    ob += "<table style=\"border-collapse: collapse;margin: 15px\">\n";
    ob += content;
    ob += "</table>\n";
}

void BKDHTMLRenderer::tableHeader(std::string& ob, std::string_view content)
{
    newlineFirst(ob);
    ob += "<thead>\n";
    ob += content;
    ob += "</thead>\n";
}

void BKDHTMLRenderer::tableBody(std::string& ob, std::string_view content)
{
    newlineFirst(ob);
    ob += "<tbody>\n";
    ob += content;
    ob += "</tbody>\n";
}

void BKDHTMLRenderer::tableRow(std::string& ob, std::string_view content)
{
    ob += (m_rowIndex % 2) ? "<tr>\n" : "<tr style=\"background-color: #f2f2f2\">\n";
    ++m_rowIndex;
    ob += content;
    ob += "</tr>\n";
}

void BKDHTMLRenderer::tableCell(std::string& ob, std::string_view content, unsigned cellFlags)
{
    const bool isHeader = cellFlags & kTableHeaderCell;
    ob += isHeader ? "<th" : "<td";
    ob += " style=\"";
    switch (cellFlags & kTableAlignMask) {
    case kTableAlignLeft: ob += "text-align: left;"; break;
    case kTableAlignRight: ob += "text-align: right;"; break;
    case kTableAlignCenter: ob += "text-align: center;"; break;
    default: break;
    }
    ob += kCellStyle;
    ob += "\">";
    ob += content;
    ob += isHeader ? "</th>\n" : "</td>\n";
}

void BKDHTMLRenderer::footnotes(std::string& ob, std::string_view content)
{
    newlineFirst(ob);
    ob += "<div class=\"footnotes\">\n";
    ob += usesXHTML() ? "<hr/>\n" : "<hr>\n";
    ob += "<ol>\n";
    ob += content;
    ob += "\n</ol>\n</div>\n";
}

void BKDHTMLRenderer::footnoteDefinition(std::string& ob, std::string_view content, unsigned number)
{
    const std::string n = std::to_string(number);
    ob += "\n<li id=\"fn" + n + "\">\n";
    const std::size_t paragraphEnd = content.find("</p>");
    if (paragraphEnd == std::string_view::npos) {
        ob += content;
    } else {
        ob += content.substr(0, paragraphEnd);
        ob += "&nbsp;<a href=\"#fnref" + n + "\" rev=\"footnote\">&#8617;</a>";
        ob += content.substr(paragraphEnd);
    }
    ob += "</li>\n";
}

bool BKDHTMLRenderer::autolink(std::string& ob, std::string_view link, BKDAutolinkKind kind)
{
    if (link.empty())
        return false;
    ob += "<a href=\"";
    // NOTE: a link written as "<mailto:...>" already names its scheme; writing it twice
    // would make the address unusable.
    if (kind == BKDAutolinkKind::Email && !startsWithMailto(link))
        ob += "mailto:";
    escapeHref(ob, link);
    ob += "\">";
    escapeHTML(ob, withoutMailto(link));
    ob += "</a>";
    return true;
}

bool BKDHTMLRenderer::span(std::string& ob, std::string_view content, BKDSpanKind kind)
{
    if (content.empty())
        return false;
    std::string_view open;
    std::string_view close;
    switch (kind) {
    case BKDSpanKind::DoubleEmphasis: open = "<strong>"; close = "</strong>"; break;
    case BKDSpanKind::Emphasis: open = "<em>"; close = "</em>"; break;
    case BKDSpanKind::Underline: open = "<u>"; close = "</u>"; break;
    case BKDSpanKind::Highlight: open = "<mark>"; close = "</mark>"; break;
    case BKDSpanKind::Quote: open = "<q>"; close = "</q>"; break;
    case BKDSpanKind::TripleEmphasis: open = "<strong><em>"; close = "</em></strong>"; break;
    case BKDSpanKind::Strikethrough: open = "<del>"; close = "</del>"; break;
    case BKDSpanKind::Superscript: open = "<sup>"; close = "</sup>"; break;
    }
    ob += open;
    ob += content;
    ob += close;
    return true;
}

bool BKDHTMLRenderer::image(std::string& ob, std::string_view link, std::string_view title, std::string_view alt)
{
    if (link.empty())
        return false;
    ob += "<img src=\"";
    escapeHref(ob, link);
    ob += "\" alt=\"";
    escapeHTML(ob, alt);
    if (!title.empty()) {
        ob += "\" title=\"";
        escapeHTML(ob, title);
    }
    ob += usesXHTML() ? "\"/>" : "\">";
    return true;
}

void BKDHTMLRenderer::codeSpan(std::string& ob, std::string_view text)
{
    ob += "<code>";
    escapeHTML(ob, text);
    ob += "</code>";
}

void BKDHTMLRenderer::lineBreak(std::string& ob)
{
    ob += usesXHTML() ? "<br/>\n" : "<br>\n";
}

void BKDHTMLRenderer::link(std::string& ob, std::string_view content, std::string_view link, std::string_view title)
{
    ob += "<a href=\"";
    escapeHref(ob, link);
    if (!title.empty()) {
        ob += "\" title=\"";
        escapeHTML(ob, title);
    }
    ob += "\">";
    ob += content;
    ob += "</a>";
}

void BKDHTMLRenderer::footnoteReference(std::string& ob, unsigned number)
{
    const std::string n = std::to_string(number);
    ob += "<sup id=\"fnref" + n + "\"><a href=\"#fn" + n + "\" rel=\"footnote\">" + n + "</a></sup>";
}

void BKDHTMLRenderer::normalText(std::string& ob, std::string_view text)
{
    escapeHTML(ob, text);
}

} // namespace folio
