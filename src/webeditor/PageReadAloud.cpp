#include "webeditor/PageReadAloud.h"

#include "platform/foundation/Unicode.h"
#include "tools/speech/ReadAloudController.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

PageReadAloud::PageReadAloud(PageConnection& page, ReadAloudController& speech, Scripts scripts, Cleaner cleaner,
                             Host host)
    : m_page(page), m_speech(speech), m_scripts(std::move(scripts)), m_cleaner(std::move(cleaner)), m_host(std::move(host))
{
}

void PageReadAloud::replaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to)
{
    if (from.empty())
        return;
    for (std::size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::u16string PageReadAloud::withoutCommentMarkers(std::u16string text)
{
    replaceAll(text, u"\uFEFF[\U0001F4AC]", u" ");
    replaceAll(text, u"\uFEFF", u" ");
    return text;
}

void PageReadAloud::read(std::u16string text, Source source)
{
    m_speech.readAloudText(m_cleaner ? m_cleaner(std::move(text), source) : std::move(text));
    if (m_host.didStartReading)
        m_host.didStartReading();
}

void PageReadAloud::readAloudFromCursorToEnd()
{
    long long offset = m_page.readInteger(m_scripts.scrollPosition, 0);
    std::string text;
    if (m_host.isEditing && m_host.isEditing()) {
        if (m_host.selectToEndOfDoc)
            m_host.selectToEndOfDoc();
        text = m_page.readString(m_scripts.selectionText);
        m_page.send(m_scripts.unselect);
    } else {
        text = m_page.readString(m_scripts.wholeText);
    }
    // Selecting to the end scrolled the page: it goes back where the reader was.
    m_page.send(PageScript::fill(m_scripts.scrollTo, {offset}));
    read(toUtf16(text), Source::FromCaret);
}

void PageReadAloud::speakSelectedText()
{
    if (!m_host.hasSelection || m_host.hasSelection()) {
        readAloudFromCursorToEnd();
        return;
    }
    if (m_speech.synthesizerIsSpeaking() || m_speech.synthesizerIsPaused())
        m_speech.cancelSpeak();
    read(toUtf16(m_page.readString(m_scripts.selectionText)), Source::Selection);
}

} // namespace folio
