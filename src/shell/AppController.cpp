#include "shell/AppController.h"

#include "documents/EditorController.h"
#include "delivery/LinuxExportServices.h"
#include "shell/RunningPDFExport.h"
#include "documents/TextDocument.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ProgressHUD.h"

namespace folio {

AppController::AppController()
    : m_exports(ExportActions::Host{
          .openContentForFile = [this](const std::string& path) { return openContentForFile(path); },
          .hasOpenEditor = [this] { return hasOpenEditor(); },
          .cleanTemporaryFolder = [this] { deleteOlderTmpFolder(); },
          .clock = [this] { return m_clock(); },
          .tell = [this](const std::u16string& title, const std::string& message) {
              presentExportAlert(title, message);
          },
      })
    , m_previews(m_exports, PreviewPresenter::Host{
          .currentDocument = [this] { return currentDocument(); },
          .topViewController = [this] { return topViewController(); },
          .lastOpenedFileItem = [this] { return m_lastOpenedFileItem; },
          .openContentForFile = [this](const std::string& path) { return openContentForFile(path); },
          .defaults = [this]() -> UserDefaults& { return defaults(); },
      })
{
}

void AppController::previewHeaderFooter(std::function<void()> completion)
{
    m_previews.previewHeaderFooter(std::move(completion));
}
AppController::~AppController() = default;

AppController* AppController::controller()
{
    return dynamic_cast<AppController*>(DKDocumentAppController::controller());
}

std::shared_ptr<DKDocument> AppController::makeDocumentForURL(const std::string& url)
{
    return std::make_shared<TextDocument>(url);
}

std::shared_ptr<TextDocument> AppController::currentDocument() const
{
    return std::dynamic_pointer_cast<TextDocument>(document());
}

UserDefaults& AppController::defaults() const
{
    return m_defaults ? *m_defaults : UserDefaults::standardUserDefaults();
}

bool AppController::hasOpenEditor() const
{
    auto current = currentDocument();
    return current && current->currentTextViewController();
}

std::optional<EditorContent> AppController::openContentForFile(const std::string& path, EditorContent::Parts parts) const
{
    auto current = currentDocument();
    if (!current || !current->currentTextViewController() || !FileManager::isSamePath(current->fileURL(), path))
        return std::nullopt;
    Result<EditorContent> content = current->currentTextViewController()->content(parts);
    if (!content) {
        TELog(TELogLevelWarning, "The open editor gave no content; " + path + " is taken as saved: " +
                                     content.error().message);
        return std::nullopt;
    }
    return std::move(*content);
}

void AppController::takeSnapshotFromURL(const std::string& url, std::function<void(Result<std::string>)> completion)
{
    if (Status started = m_exports.PNGDataForFileItem(url, PNGAction::SaveToPictures, completion); !started)
        completion(started.error());
}

void AppController::updateHTMLContentCurrentDocument(std::function<void()> completion)
{
    auto current = currentDocument();
    // Without an editor there is nothing to save, and no overlay that a
    // save would take away; whoever waits on the completion goes on.
    if (!current || !current->currentTextViewController()) {
        if (completion)
            completion();
        return;
    }
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
