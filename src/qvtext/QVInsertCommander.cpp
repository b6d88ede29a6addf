#include "qvtext/QVInsertCommander.h"

#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Unicode.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

QVInsertCommander::QVInsertCommander(PageConnection& page, Host host)
    : m_page(page), m_host(std::move(host))
{
}

std::string QVInsertCommander::horizontalLineHTML()
{
    return "<hr id=\"horizontalLine\" noshade color=\"#000000\" size=\"0.5\">";
}

std::string QVInsertCommander::pageBreakHTML()
{
    return "<hr class=\"marquent-pagebreak\" style=\"page-break-before:always;border-color: #005;height: 3px;"
           "border-style: dotted none;border-width: 1px\">";
}

std::string QVInsertCommander::tableHTML()
{
    std::string row = "<tr>";
    for (int cell = 0; cell < 3; ++cell)
        row += "<td><div><br></div></td>";
    row += "</tr>";
    return "<table width = 100% border = 1><tbody>" + row + row + row + " </tbody></table>";
}

void QVInsertCommander::insertHTML(const std::string& html)
{
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('insertHTML',false,{});", {html}));
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

void QVInsertCommander::insertHorizontalLine()
{
    insertHTML(horizontalLineHTML());
}

void QVInsertCommander::insertPageBreak()
{
    insertHTML(pageBreakHTML());
}

void QVInsertCommander::insertTable()
{
    insertHTML(tableHTML());
}

void QVInsertCommander::insertText(const std::u16string& text)
{
    insertHTML(toUtf8(HTMLTextEscaper::escape(text)));
}

void QVInsertCommander::insertDateShort()
{
    auto now = m_host.now ? m_host.now() : std::chrono::system_clock::now();
    insertText(localizedStringFromDate(now, DateFormatterStyle::Short, DateFormatterStyle::Short));
}

void QVInsertCommander::insertDate()
{
    auto now = m_host.now ? m_host.now() : std::chrono::system_clock::now();
    insertText(localizedStringFromDate(now, DateFormatterStyle::Long, DateFormatterStyle::Short));
}

void QVInsertCommander::insertLink()
{
    m_page.send("tinymce.activeEditor.execCommand('mceLink');");
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

} // namespace folio
