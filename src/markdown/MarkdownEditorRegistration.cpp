#include "markdown/MarkdownEditorRegistration.h"

#include "documents/EditorMakers.h"
#include "markdown/MDTextViewController.h"

namespace folio {

void registerMarkdownEditor()
{
    EditorMakers::registerMarkdownMaker([](TextDocument& document) { return MDTextViewController::make(document); });
}

} // namespace folio
