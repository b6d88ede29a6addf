#include "formats/markdown/BKDPlainTextRenderer.h"

#include <string>

namespace folio {

BKDPlainTextRenderer::BKDPlainTextRenderer(unsigned flags, int nestingLevel)
    : BKDRenderer(flags, nestingLevel)
{
}

void BKDPlainTextRenderer::writeBlock(std::string& ob, std::string_view content)
{
    newlineFirst(ob);
    ob += content;
}

void BKDPlainTextRenderer::blockCode(std::string& ob, std::string_view text, std::string_view language)
{
    newlineFirst(ob);
    // The language stands on a line of its own: glued to the first line of code it
    // would read, and be counted, as one word with it.
    if (!language.empty()) {
        escapeHTML(ob, language);
        ob += '\n';
    }
    escapeHTML(ob, text);
}

void BKDPlainTextRenderer::blockQuote(std::string& ob, std::string_view content)
{
    writeBlock(ob, content);
}

void BKDPlainTextRenderer::header(std::string& ob, std::string_view content, int)
{
    writeBlock(ob, content);
}

void BKDPlainTextRenderer::horizontalRule(std::string&)
{
}

void BKDPlainTextRenderer::list(std::string& ob, std::string_view content, bool)
{
    writeBlock(ob, content);
}

void BKDPlainTextRenderer::listItem(std::string& ob, std::string_view content)
{
    // Each item on its own line, so that two items never run together into one word.
    ob += withoutTrailingLineFeeds(content);
    ob += '\n';
}

void BKDPlainTextRenderer::paragraph(std::string& ob, std::string_view content)
{
    newlineFirst(ob);
    content = withoutLeadingSpace(content);
    if (content.empty())
        return;
    if (flags() & kRendererHardWrap)
        writeLines(ob, content, "\n");
    else
        ob += content;
}

void BKDPlainTextRenderer::table(std::string& ob, std::string_view content)
{
    writeBlock(ob, content);
}

void BKDPlainTextRenderer::tableHeader(std::string& ob, std::string_view content)
{
    writeBlock(ob, content);
}

void BKDPlainTextRenderer::tableBody(std::string& ob, std::string_view content)
{
    writeBlock(ob, content);
}

void BKDPlainTextRenderer::tableRow(std::string& ob, std::string_view content)
{
    ob += content;
    ob += '\n';
}

void BKDPlainTextRenderer::tableCell(std::string& ob, std::string_view content, unsigned)
{
    ob += content;
    ob += '\n';
}

void BKDPlainTextRenderer::footnotes(std::string& ob, std::string_view content)
{
    writeBlock(ob, content);
}

void BKDPlainTextRenderer::footnoteDefinition(std::string& ob, std::string_view content, unsigned number)
{
    // A blank after the number keeps it apart from the note's first word.
    ob += '\n';
    ob += std::to_string(number);
    ob += ' ';
    ob += content;
}

bool BKDPlainTextRenderer::autolink(std::string& ob, std::string_view link, BKDAutolinkKind)
{
    if (link.empty())
        return false;
    // The address once, as the HTML shows it.
    escapeHTML(ob, withoutMailto(link));
    return true;
}

bool BKDPlainTextRenderer::span(std::string& ob, std::string_view content, BKDSpanKind)
{
    if (content.empty())
        return false;
    ob += content;
    return true;
}

bool BKDPlainTextRenderer::image(std::string&, std::string_view, std::string_view, std::string_view)
{
    return true;
}

void BKDPlainTextRenderer::codeSpan(std::string& ob, std::string_view text)
{
    escapeHTML(ob, text);
}

void BKDPlainTextRenderer::lineBreak(std::string& ob)
{
    ob += '\n';
}

void BKDPlainTextRenderer::link(std::string& ob, std::string_view content, std::string_view, std::string_view)
{
    // What the reader of the page sees of a link is its text.
    ob += content;
}

void BKDPlainTextRenderer::footnoteReference(std::string&, unsigned)
{
}

void BKDPlainTextRenderer::normalText(std::string& ob, std::string_view text)
{
    escapeHTML(ob, text);
}

} // namespace folio
