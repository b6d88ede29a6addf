#include "walk/ControlWalk.h"

#include "markdown/MDTextViewController.h"
#include "markdown/MEMarkdownTextView.h"
#include "markdown/MarkdownEditorRegistration.h"
#include "platform/foundation/Unicode.h"

namespace folio::test {

TEST_F(EveryControlWalk, markdown)
{
    registerMarkdownEditor([this](MDTextViewController&) {
        if (Status shown = app.previews().previewOpenMarkdownDocument(); !shown)
            ADD_FAILURE() << shown.error().message;
    });
    EditorUnderWalk editor;
    editor.fileName = "walk.md";
    editor.kind = DocumentKind::Markdown;
    editor.pageState = [](ViewController& controller) {
        auto& markdown = static_cast<MDTextViewController&>(controller);
        Range selected = markdown.markdownTextView().selectedRange();
        return "text:" + toUtf8(markdown.text()) + "\nselected:" + std::to_string(selected.location) + "+" +
               std::to_string(selected.length);
    };
    editor.placeCaretAtEnd = [](ViewController& controller) {
        auto& markdown = static_cast<MDTextViewController&>(controller);
        markdown.markdownTextView().setSelectedRange({markdown.text().size(), 0});
    };
    editor.selectSomeText = [](ViewController& controller) {
        auto& markdown = static_cast<MDTextViewController&>(controller);
        std::size_t at = markdown.text().find(toUtf16(kSelectedWord));
        if (at != std::u16string::npos)
            markdown.markdownTextView().setSelectedRange({at, std::char_traits<char>::length(kSelectedWord)});
    };
    // The rows that do not work yet, with why: each line goes once its row works.
    editor.knownDead = {};
    walk(editor);
}

} // namespace folio::test
