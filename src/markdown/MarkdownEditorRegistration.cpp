#include "markdown/MarkdownEditorRegistration.h"

#include "documents/EditorMakers.h"

namespace folio {

void registerMarkdownEditor(MDTextViewController::PreviewAction preview)
{
    EditorMakers::registerMarkdownMaker([preview = std::move(preview)](TextDocument& document) {
        return MDTextViewController::make(document, nullptr, preview);
    });
}

} // namespace folio
