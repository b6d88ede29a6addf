#pragma once

#include "documents/EditorContent.h"
#include "documents/EditorController.h"
#include "platform/foundation/Error.h"

#include <optional>
#include <string>
#include <string_view>

namespace folio {

class PageConnection;

// The one page call an editing page answers its content with
// (folioEditorContent in the page helpers), and the checked reading of its
// answer. Shared by the web-view editors; what each kind cleans out of
// its body is the editor's own.
class PageContent {
public:
    // What the page answered: the content, and the opening tag of the
    // rich-text page's document wrapper when the wrapper holds the whole
    // body (the body's HTML then starts with it and ends with its "</div>").
    struct Reply {
        EditorContent content;
        std::optional<std::string> wrapperOpening;
    };

    PageContent() = delete;

    static std::string script(EditorContent::Parts parts);

    // Asks the page and reads the answer. A page that is gone, does not
    // answer in time or answers nothing gives the editor's NoAnswer error.
    // A long answer is read a slice at a time, each its own page call, so
    // that the program serves its events between two.
    static Result<Reply> fetch(PageConnection& connection, EditorContent::Parts parts);

    // Reads the page's answer: JSON text, a line break, then the body's HTML,
    // which becomes the content's body without a copy. Every JSON member is
    // checked: line height and first-line indent must be CSS lengths the
    // editor sets; header and footer fields are text and, but for the text
    // itself, hold no "::" (the settings' separator). A colour that is not
    // one is taken as none. An answer without the line break has no body.
    // Anything else is the editor's BadAnswer.
    static Result<Reply> read(std::string answer);

    // The rich-text body's HTML with the document wrapper taken off, when
    // the reply says the wrapper holds the whole body: a view into the
    // reply's body.
    static std::string_view unwrappedHTML(const Reply& reply);

private:
    // The rest of an answer the page keeps under `number`; none when any
    // slice does not come.
    static std::optional<std::string> readSlices(PageConnection& connection, const std::string& number);
};

} // namespace folio
