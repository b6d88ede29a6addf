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

std::u16string QVTextInsertions::textAmongWords(const std::u16string& text, std::optional<char16_t> before,
                                               std::optional<char16_t> after)
{
    auto blank = [](char16_t c) { return c == u' ' || c == u'\n' || c == u'\r' || c == u'\t' || c == u'\u00a0'; };
    std::u16string words;
    for (char16_t c : text) {
        if (!blank(c))
            words += c;
        else if (!words.empty() && words.back() != u' ')
            words += u' ';
    }
    while (!words.empty() && words.back() == u' ')
        words.pop_back();
    if (words.empty())
        return words;
    if (before && !blank(*before))
        words.insert(words.begin(), u' ');
    // Punctuation after the caret closes the inserted words as it closed the ones before.
    static const std::u16string closing = u".,;:!?)]}\u201d\u2019'\"";
    if (after && !blank(*after) && closing.find(*after) == std::u16string::npos)
        words += u' ';
    return words;
}

void QVTextInsertions::insertTextAmongWords(const std::u16string& text)
{
    // The characters either side of the caret within its block.
    std::u16string around = toUtf16(m_page.readString(
        "(function(){var e=tinymce.activeEditor,r=e.selection.getRng(),d=e.dom;"
        "var b=d.getParent(r.startContainer,d.isBlock)||e.getBody();"
        "var x=d.createRng();x.setStart(b,0);x.setEnd(r.startContainer,r.startOffset);"
        "var y=d.createRng();y.setStart(r.endContainer,r.endOffset);y.setEnd(b,b.childNodes.length);"
        "return '['+x.toString().slice(-1)+'|'+y.toString().charAt(0)+']';})()"));
    std::optional<char16_t> before;
    std::optional<char16_t> after;
    if (around.size() >= 3 && around.front() == u'[' && around.back() == u']') {
        std::u16string inner = around.substr(1, around.size() - 2);
        std::size_t bar = inner.find(u'|');
        if (bar == 1)
            before = inner[0];
        if (bar != std::u16string::npos && bar + 1 < inner.size())
            after = inner[bar + 1];
    }
    std::u16string words = textAmongWords(text, before, after);
    if (!words.empty())
        insertTextInDocument(words);
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
