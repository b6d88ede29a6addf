#include "walk/ControlWalk.h"

#include "markdown/MDTextViewController.h"
#include "markdown/MEMarkdownTextView.h"
#include "markdown/MarkdownEditorRegistration.h"
#include "platform/foundation/Unicode.h"

#include <string>

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
    // The text holds the selected word as the row marks it up.
    auto textHas = [](std::string wanted) {
        return [wanted](ViewController& controller) {
            return toUtf8(static_cast<MDTextViewController&>(controller).text()).find(wanted) != std::string::npos;
        };
    };
    // The heading's marks, as many as its level, are typed at the selection.
    auto headingOf = [](int level) {
        return [level](ViewController& controller) {
            std::string text = toUtf8(static_cast<MDTextViewController&>(controller).text());
            return text.find(std::string(level, '#') + " ") != std::string::npos &&
                text.find(std::string(level + 1, '#')) == std::string::npos;
        };
    };
    const std::string word = kSelectedWord;
    editor.expectedEffects = {
        {"button:BIU > row:Bold", textHas("**" + word + "**")},
        {"button:BIU > row:Striketrough", textHas("~~" + word + "~~")},
        {"button:BIU > row:Inline Code", textHas("`" + word + "`")},
        {"button:[…] > row:[…]", textHas("[" + word + "]")},
        {"button:[…] > row:(…)", textHas("(" + word + ")")},
        {"button:[…] > row:'…'", textHas("'" + word + "'")},
        {"button:[…] > row:\"…\"", textHas("\"" + word + "\"")},
        {"button:[…] > row:“…”", textHas("“" + word + "”")},
        {"button:[…] > row:<…>", textHas("<" + word + ">")},
        {"button:[…] > row:{…}", textHas("{" + word + "}")},
    };
    for (int level = 1; level <= 6; ++level)
        editor.expectedEffects["button:H1 > row:Header " + std::to_string(level)] = headingOf(level);
    // The rows that do not work yet, with why: each line goes once its row works.
    editor.knownDead = {};
    walk(editor);
}

} // namespace folio::test
