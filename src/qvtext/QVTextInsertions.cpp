#include "qvtext/QVTextInsertions.h"

#include "engine/html/HTMLString.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Unicode.h"
#include "qvtext/QVCharacterStyleCommander.h"
#include "qvtext/QVStyleState.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <string_view>

namespace folio {

namespace {

std::string withLineBreaks(std::u16string_view escaped)
{
    std::u16string out;
    out.reserve(escaped.size());
    for (char16_t c : escaped) {
        if (c == u'\n')
            out += u"<br>";
        else
            out += c;
    }
    return toUtf8(out);
}

// The picker's commands and what they run; dates go in as text there.
struct SpecialCommand {
    std::u16string_view option;
    const char* command;
    bool closesPicker;
};

constexpr SpecialCommand kSpecialCommands[] = {
    {u"InsertDate", "insertDate", false},
    {u"InsertDateShort", "insertDateShort", false},
    {u"InsertPageBreak", "insertPageBreak", true},
    {u"Horizontal Line", "insertHorizontalLine", true},
    {u"InsertAnnotation", "insertNewAnnotation", true},
    {u"InsertFootnote", "insertNewFootnote", true},
    {u"InsertFootnoteTable", "insertFootnoteTable", true},
    {u"InsertLink", "showInsertLink", true},
};

} // namespace

QVTextInsertions::QVTextInsertions(PageConnection& page, QVCharacterStyleCommander& characters, Host host)
    : m_page(page)
    , m_characters(characters)
    , m_host(std::move(host))
{
}

void QVTextInsertions::run(const std::string& command)
{
    if (m_host.run)
        m_host.run(command);
}

bool QVTextInsertions::ask(const std::string& question) const
{
    return m_host.ask && m_host.ask(question);
}

void QVTextInsertions::dirty()
{
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

QVTextInsertions::CaretStyle QVTextInsertions::caretStyle()
{
    CaretStyle style;
    style.family = QVStyleState::familyFromAnswer(
        m_page.readString("tinymce.activeEditor.queryCommandValue('fontName').replace(/'/g,'')"));
    std::erase(style.family, '"');
    style.size = m_characters.getBiggestRealFontSizeInPointsFromSelection();
    style.color = m_page.readString("tinymce.activeEditor.getDoc().queryCommandValue('foreColor')", "black");
    return style;
}

std::string QVTextInsertions::spanHTML(const CaretStyle& style, const std::string& extra, const std::string& html,
                                       bool rightToLeft)
{
    std::string declarations = rightToLeft ? "direction:rtl;" : "";
    declarations += "font-family:" + style.family + ";font-size: " + std::to_string(style.size) + "pt; " + extra
                    + "color: " + style.color + ";";
    return "<span style=\"" + HTMLTextEscaper::escape(declarations) + "\">" + html + "</span>";
}

void QVTextInsertions::insertHTML(const std::string& html)
{
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('insertHTML',false,{});", {html}));
}

void QVTextInsertions::insertTextInDocument(const std::u16string& text)
{
    insertHTML(spanHTML(caretStyle(), {}, withLineBreaks(HTMLTextEscaper::escape(text)), false));
    dirty();
    if (ask("wordCounterVisible"))
        run("scheduleWordCounterUpdate");
}

void QVTextInsertions::specialCharsOptionSelected(const std::u16string& option)
{
    if (m_host.dismissAllPopover)
        m_host.dismissAllPopover();
    for (const SpecialCommand& special : kSpecialCommands) {
        if (option != special.option)
            continue;
        if (special.closesPicker && m_host.dismissSpecialCharsPicker)
            m_host.dismissSpecialCharsPicker();
        if (special.option == u"InsertLink")
            run("removeCustomKeyboard");
        run(special.command);
        // The date commands put their text in through insertTextInDocument,
        // which marks the document itself.
        if (special.closesPicker)
            dirty();
        return;
    }
    insertHTML(spanHTML(caretStyle(), {}, withLineBreaks(stringByAddingHTMLEntities(option)), false));
    if (ask("wordCounterVisible"))
        run("scheduleWordCounterUpdate");
    dirty();
}

void QVTextInsertions::imageOptionSelected(long option)
{
    if (ask("isTypewriterMode"))
        run("exitTypeWriterMode");
    if (ask("isResizingImage"))
        run("removeResizableView");
    switch (option) {
    case 0: run("attachImage"); break;
    case 1: run("takePhoto"); break;
    case 2:
        run("removeCustomKeyboard");
        run("insertNewAnnotation");
        break;
    case 3: run("insertNewAnnotation"); break;
    case 4: run("insertNewFootnote"); break;
    case 5: run("insertFootnoteTable"); break;
    default: break;
    }
    dirty();
}

void QVTextInsertions::insertStyledHTML(const std::string& html)
{
    insertHTML(spanHTML(caretStyle(), {}, html, false));
}

void QVTextInsertions::insertKey(const std::u16string& text, Emphasis emphasis, bool rightToLeft)
{
    std::string extra;
    if (emphasis.bold)
        extra += "font-weight:bold; ";
    if (emphasis.italic)
        extra += "font-style:italic; ";
    if (emphasis.underline)
        extra += "text-decoration:underline; ";
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('insertHTML',false,{});scrollToView();",
                                 {spanHTML(caretStyle(), extra, withLineBreaks(HTMLTextEscaper::escape(text)),
                                           rightToLeft)}));
    dirty();
}

} // namespace folio
