#include "documents/EditorController.h"

#include "documents/TextDocument.h"

namespace folio {

EditorController::ContentMaker EditorController::contentMaker(EditorContent::Parts parts)
{
    auto made = std::make_shared<Result<EditorContent>>(content(parts));
    return [made] { return std::move(*made); };
}

void EditorController::saveCurrentDocument(Completion completion)
{
    TextDocument* document = editedDocument();
    if (document)
        willSaveCurrentDocument();
    if (!document || (savesOnlyChanges() && !document->hasUnsavedChanges())) {
        if (completion)
            completion();
        return;
    }
    // Null while the editor is not shared-owned; the hook is then skipped.
    std::weak_ptr<EditorController> editor = sharedAs<EditorController>();
    document->saveToURL(document->fileURL(), DKDocument::SaveOperation::ForOverwriting,
                        [editor, completion = std::move(completion)](bool saved) {
                            if (auto self = editor.lock())
                                self->didSaveCurrentDocument(saved);
                            if (completion)
                                completion();
                        });
}

} // namespace folio
