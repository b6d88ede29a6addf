#include "documents/MarkdownEditorController.h"

namespace folio {

Result<EditorContent> MarkdownEditorController::content(EditorContent::Parts)
{
    EditorContent content;
    content.bodyHTML = html();
    content.sourceText = text();
    return content;
}

} // namespace folio
