#include "richtext/RichTextReadAloud.h"

#include "platform/foundation/Unicode.h"
#include "tools/speech/ReadAloudController.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

namespace {

constexpr const char* kSelectionTextScript = "var sel = window.getSelection();sel.toString();";

void replaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to)
{
    for (std::size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

std::u16string RichTextReadAloud::cleanedForReading(std::u16string text, Source source)
{
    replaceAll(text, u"\uFEFF[\U0001F4AC]", u" ");
    replaceAll(text, u"\uFEFF", u" ");
    replaceAll(text, u"\r", u".");
    if (source == Source::Selection)
        replaceAll(text, u". ", u"\n");
    replaceAll(text, u"\"", u" ");
    return text;
}

void RichTextReadAloud::readAloudFromCursorToEnd()
{
    long long offset = m_page.readInteger("document.getElementById('content').scrollTop", 0);
    std::string text;
    if (m_host.isEditing && m_host.isEditing()) {
        if (m_host.selectToEndOfDoc)
            m_host.selectToEndOfDoc();
        text = m_page.readString(kSelectionTextScript);
        m_page.send("document.execCommand('unselect');");
    } else {
        text = m_page.readString("document.body.innerText");
    }
    m_page.send(PageScript::fill("document.getElementById('content').scrollTop = {};", {offset}));
    m_speech.readAloudText(cleanedForReading(toUtf16(text), Source::FromCaret));
    m_speech.showSpeakMenu();
}

void RichTextReadAloud::speakSelectedText()
{
    if (!m_host.hasSelection || m_host.hasSelection()) {
        readAloudFromCursorToEnd();
        return;
    }
    if (m_speech.synthesizerIsSpeaking())
        m_speech.cancelSpeak();
    std::u16string text = toUtf16(m_page.readString(kSelectionTextScript));
    m_speech.readAloudText(cleanedForReading(std::move(text), Source::Selection));
    m_speech.showSpeakMenu();
}

} // namespace folio
