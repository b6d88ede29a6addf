#include "richtext/RichTextReadAloud.h"

#include "tools/speech/ReadAloudController.h"

namespace folio {

namespace {

constexpr const char* kSelectionTextScript = "var sel = window.getSelection();sel.toString();";

PageReadAloud::Scripts pageScripts()
{
    return PageReadAloud::Scripts{.scrollPosition = "document.getElementById('content').scrollTop",
                                  .scrollTo = "document.getElementById('content').scrollTop = {};",
                                  .selectionText = kSelectionTextScript,
                                  .wholeText = "document.body.innerText",
                                  .unselect = "document.execCommand('unselect');"};
}

} // namespace

RichTextReadAloud::RichTextReadAloud(PageConnection& page, ReadAloudController& speech, Host host)
    : m_reader(page, speech, pageScripts(), &RichTextReadAloud::cleanedForReading,
               PageReadAloud::Host{.isEditing = std::move(host.isEditing),
                                   .hasSelection = std::move(host.hasSelection),
                                   .selectToEndOfDoc = std::move(host.selectToEndOfDoc),
                                   .didStartReading = [&speech] { speech.showSpeakMenu(); }})
{
}

std::u16string RichTextReadAloud::cleanedForReading(std::u16string text, Source source)
{
    text = PageReadAloud::withoutCommentMarkers(std::move(text));
    PageReadAloud::replaceAll(text, u"\r", u".");
    if (source == Source::Selection)
        PageReadAloud::replaceAll(text, u". ", u"\n");
    PageReadAloud::replaceAll(text, u"\"", u" ");
    return text;
}

} // namespace folio
