#include "platform/docframework/DKDocumentAppController.h"

#include "platform/docframework/DKDocument.h"
#include "platform/foundation/FileManager.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/BarButtonItem.h"

namespace folio {

namespace {

DKDocumentAppController* s_controller = nullptr;

Error documentError(const DKDocument& document, int code, const std::string& fallback)
{
    if (document.lastError())
        return *document.lastError();
    return Error{DKDocumentAppController::kErrorDomain, code, fallback};
}

} // namespace

DKDocumentAppController::DKDocumentAppController()
    : m_closeItem(std::make_shared<BarButtonItem>())
    , m_compactCloseItem(std::make_shared<BarButtonItem>())
    , m_shareItem(std::make_shared<BarButtonItem>())
    , m_toolsItem(std::make_shared<BarButtonItem>())
    , m_savingIndicator(std::make_shared<ActivityIndicatorView>())
    , m_previousController(s_controller)
{
    s_controller = this;
}

DKDocumentAppController::~DKDocumentAppController()
{
    if (m_document)
        m_document->setSaveStateHandler({});
    // Controllers nest only in tests; the outer one is shared again.
    if (s_controller == this)
        s_controller = m_previousController;
}

DKDocumentAppController* DKDocumentAppController::controller()
{
    return s_controller;
}

void DKDocumentAppController::adopt(const std::shared_ptr<DKDocument>& document)
{
    m_document = document;
    document->setSaveStateHandler([this](bool saving) {
        if (saving)
            showAutoSavingIndicator();
        else
            hideAutoSavingIndicator();
    });
}

void DKDocumentAppController::openDocumentAtURL(const std::string& url, Completion completion)
{
    auto open = [this, url, completion](Status) {
        std::shared_ptr<DKDocument> document = makeDocumentForURL(url);
        if (!document) {
            if (completion)
                completion(Error{kErrorDomain, NoDocumentClass, "No document class for " + url});
            return;
        }
        document->openWithCompletionHandler([this, document, url, completion](bool success) {
            if (!success) {
                if (completion)
                    completion(documentError(*document, OpenFailed, "Could not read " + url));
                return;
            }
            document->makeDocumentViewController();
            document->viewControllerToPresent();
            adopt(document);
            if (completion)
                completion(Status::success());
        });
    };
    // Whatever became of the old document's last save, the new one opens:
    // the old file was left as it was when that save failed.
    if (m_document)
        closeDocument(open);
    else
        open(Status::success());
}

void DKDocumentAppController::createDocumentAtURL(const std::string& url,
                                                  const std::optional<std::string>& templateURL,
                                                  Completion completion)
{
    std::shared_ptr<DKDocument> document = makeDocumentForURL(url);
    if (!document) {
        if (completion)
            completion(Error{kErrorDomain, NoDocumentClass, "No document class for " + url});
        return;
    }
    if (FileManager::fileExists(url)) {
        if (completion)
            completion(Error{kErrorDomain, CreateFailed, url + " already exists"});
        return;
    }
    if (Status created = document->initWithContentsOfTemplateAtURL(templateURL, url); !created) {
        if (completion)
            completion(created);
        return;
    }
    // A template is copied by the document itself; only a blank document
    // needs its first contents written.
    if (templateURL) {
        if (completion)
            completion(FileManager::fileExists(url)
                           ? Status::success()
                           : Status(Error{kErrorDomain, CreateFailed, "Could not copy the template to " + url}));
        return;
    }
    document->saveToURL(url, DKDocument::SaveOperation::ForCreating, [document, url, completion](bool success) {
        if (completion)
            completion(success ? Status::success()
                               : Status(documentError(*document, CreateFailed, "Could not create " + url)));
    });
}

void DKDocumentAppController::closeDocument(Completion completion)
{
    std::shared_ptr<DKDocument> document = std::move(m_document);
    m_document.reset();
    if (!document) {
        if (completion)
            completion(Status::success());
        return;
    }
    document->closeWithCompletionHandler([this, document, completion](bool saved) {
        document->setSaveStateHandler({});
        hideAutoSavingIndicator();
        if (completion)
            completion(saved ? Status::success() : Status(documentError(*document, OpenFailed, "Could not save")));
    });
}

} // namespace folio
