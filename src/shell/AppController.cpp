#include "shell/AppController.h"

#include "documents/EditorController.h"
#include "delivery/LinuxExportServices.h"
#include "shell/RunningPDFExport.h"
#include "documents/TextDocument.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ProgressHUD.h"

namespace folio {

AppController::AppController() = default;
AppController::~AppController() = default;

AppController* AppController::controller()
{
    return dynamic_cast<AppController*>(DKDocumentAppController::controller());
}

std::shared_ptr<DKDocument> AppController::makeDocumentForURL(const std::string& url)
{
    return std::make_shared<TextDocument>(url);
}

std::string AppController::documentStoreDocumentTypeForNewFiles() { return TypeIdentifiers::kRTF; }
std::string AppController::documentStoreDocumentTypeForNewTemplateFiles() { return TypeIdentifiers::kRTF; }
std::string AppController::documentStoreDocumentTypeForInkFiles() { return "com.brevant.inknote"; }
std::string AppController::documentStoreDocumentTypeForPencilFiles() { return "com.brevant.drawing"; }
std::string AppController::documentStoreDocumentTypeForSketchFiles() { return "com.tamrisk.pencilnote"; }
std::string AppController::documentStoreDocumentTypeForSketchDrawingFiles() { return "com.tamrisk.skt"; }
std::string AppController::documentStoreDocumentTypeForScribbleFiles() { return "com.tamrisk.scb"; }
std::string AppController::documentStoreDocumentTypeForTeXFiles() { return TypeIdentifiers::kTeX; }
std::string AppController::documentStoreDocumentTypeForQVTextFiles() { return TypeIdentifiers::kQVText; }
std::string AppController::documentStoreDocumentTypeForQVOutlineFiles() { return TypeIdentifiers::kQVOutline; }
std::string AppController::documentStoreDocumentTypeForMarkdownFiles() { return TypeIdentifiers::kMarkdown; }
std::string AppController::documentStoreDocumentTypeForPDFFiles() { return TypeIdentifiers::kPDF; }

std::shared_ptr<TextDocument> AppController::currentDocument() const
{
    return std::dynamic_pointer_cast<TextDocument>(document());
}

void AppController::updateHTMLContentCurrentDocument(std::function<void()> completion)
{
    auto current = currentDocument();
    if (!current || !current->currentTextViewController())
        return;
    ProgressHUD::show();
    current->currentTextViewController()->saveCurrentDocument([completion = std::move(completion)] {
        ProgressHUD::dismiss();
        if (completion)
            completion();
    });
}

std::shared_ptr<View> AppController::pickerAnimationViewForTarget(const TextDocument& document) const
{
    const auto& editor = document.currentTextViewController();
    return editor ? editor->textView() : nullptr;
}

void AppController::viewWillTransitionToSize(Size size)
{
    auto current = currentDocument();
    if (current && current->currentTextViewController())
        current->currentTextViewController()->transitionToSize(size);
}

void AppController::setDocumentItemsEnabled(bool enabled)
{
    for (const auto* item : {&closeDocumentBarButtonItem(), &compactCloseDocumentBarButtonItem(),
                             &shareDocumentBarButtonItem(), &toolsBarButtonItem()}) {
        if (*item)
            (*item)->setEnabled(enabled);
    }
}

void AppController::showAutoSavingIndicator()
{
    setDocumentItemsEnabled(false);
    savingIndicator()->startAnimating();
}

void AppController::hideAutoSavingIndicator()
{
    setDocumentItemsEnabled(true);
    savingIndicator()->stopAnimating();
}

std::vector<std::string> AppController::deleteOlderTmpFolder()
{
    return TemporaryFolderCleaner(AppFolders::temporaryFolder(), m_clock).deleteOlderItems();
}

Status AppController::createNewDocument(DocumentKind kind, const std::string& path, double timeoutSeconds)
{
    if (!pathMatchesKind(path, kind))
        return Error{kErrorDomain, CreateFailed, "The name " + path + " does not have the extension of its kind"};
    // Shared, because a save that outlives the wait still delivers its result.
    auto result = std::make_shared<std::optional<Status>>();
    createDocumentAtURL(path, std::nullopt, [result](Status status) { *result = std::move(status); });
    if (!RunLoop::main().runUntil([&] { return result->has_value(); }, timeoutSeconds))
        return Error{kErrorDomain, CreateFailed, "Creating " + path + " did not finish"};
    return **result;
}

} // namespace folio
