#include "platform/docframework/DKDocumentAppController.h"

#include "platform/docframework/DKDocument.h"
#include "platform/docframework/DKDocumentPicker.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/AlertAction.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Window.h"

#include <optional>
#include <utility>

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

// A document whose reading started before anyone asked to open it, and what
// waits for the end of that reading.
struct DKDocumentAppController::DocumentReadAhead {
    std::string url;
    std::shared_ptr<DKDocument> document;
    std::optional<bool> read;
    std::function<void(bool success)> whenRead;

    void finish(bool success)
    {
        read = success;
        if (whenRead)
            std::exchange(whenRead, {})(success);
    }
    void then(std::function<void(bool success)> next)
    {
        if (read)
            next(*read);
        else
            whenRead = std::move(next);
    }
};

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
    if (m_document) {
        m_document->setSaveStateHandler({});
        m_document->setSaveFailureHandler({});
        m_document->setFileChangedHandler({});
    }
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
    // An autosave runs unseen: its failure is told at once, while the
    // document stays open and changed, not first when the window closes.
    document->setSaveFailureHandler([this](const Error& error) {
        presentDocumentAlert(u"The Document Could Not Be Saved", error.message);
    });
    document->setFileChangedHandler([this] { presentFileChangedAlert(); });
    // The window is titled with the file's name, and a save follows a file
    // renamed while open: the title follows it too.
    std::string nameShown = document->fileItem() ? document->fileItem()->displayedName() : std::string();
    document->setFileMovedHandler([this, nameShown]() mutable {
        std::shared_ptr<NavigationController> navigation = m_document ? m_document->viewControllerToPresent() : nullptr;
        std::shared_ptr<ViewController> shown = navigation ? navigation->topViewController() : nullptr;
        if (!shown || !m_document->fileItem())
            return;
        std::string newName = m_document->fileItem()->displayedName();
        if (toUtf8(shown->title()) == nameShown)
            shown->setTitle(toUtf16(newName));
        nameShown = newName;
    });
}

std::shared_ptr<ViewController> DKDocumentAppController::alertPresenter() const
{
    if (!m_documentWindow || !m_documentWindow->rootViewController())
        return nullptr;
    std::shared_ptr<ViewController> top = m_documentWindow->topMostViewController();
    // One alert at a time: a second would hide the first, or not show.
    if (!top || std::dynamic_pointer_cast<AlertController>(top))
        return nullptr;
    return top;
}

void DKDocumentAppController::presentDocumentAlert(const std::u16string& title, const std::string& message)
{
    std::shared_ptr<ViewController> top = alertPresenter();
    if (!top)
        return;
    auto alert = AlertController::make(title, toUtf16(message), AlertControllerStyle::Alert);
    alert->addAction(AlertAction::make(u"OK", AlertActionStyle::Default, {}));
    top->presentViewController(alert, true);
}

void DKDocumentAppController::presentFileChangedAlert()
{
    std::shared_ptr<ViewController> top = alertPresenter();
    if (!m_document || !top)
        return;
    std::string message = m_document->lastError() ? m_document->lastError()->message : std::string();
    auto alert = AlertController::make(u"The Document Was Changed by Another Program", toUtf16(message),
                                       AlertControllerStyle::Alert);
    std::weak_ptr<DKDocument> weakDocument = m_document;
    // Either answer loses one version, and only that one: the person's own
    // edits stay in the window until Keep My Version has written them.
    alert->addAction(AlertAction::make(u"Reload", AlertActionStyle::Default, [this, weakDocument](AlertAction&) {
        if (std::shared_ptr<DKDocument> document = weakDocument.lock(); document && document == m_document)
            reloadDocument();
    }));
    alert->addAction(AlertAction::make(u"Keep My Version", AlertActionStyle::Destructive, [weakDocument](AlertAction&) {
        if (std::shared_ptr<DKDocument> document = weakDocument.lock(); document && !document->isClosed())
            document->keepOwnVersion({});
    }));
    top->presentViewController(alert, true);
}

void DKDocumentAppController::reloadDocument()
{
    std::shared_ptr<ODSFileItem> item = m_document->fileItem();
    m_document->discardChanges();
    m_reloading = true;
    openFileItem(item, [this](Status opened) {
        m_reloading = false;
        if (opened)
            return;
        // The other program's file cannot be shown; it is left as it is,
        // and the browser shows where it lies.
        if (m_documentBrowserHandler) {
            std::function<void()> handler = m_documentBrowserHandler;
            handler();
        }
    });
}

void DKDocumentAppController::openDocumentAtURL(const std::string& url, Completion completion)
{
    openDocument(url, nullptr, std::move(completion));
}

void DKDocumentAppController::openFileItem(const std::shared_ptr<ODSFileItem>& item, Completion completion)
{
    if (!item) {
        if (completion)
            completion(Error{kErrorDomain, OpenFailed, "Nothing to open"});
        return;
    }
    if (std::optional<Status> shown = presentFileItemWithoutDocument(item)) {
        if (completion)
            completion(*shown);
        return;
    }
    openDocument(item->fileURL(), item, [this, completion](Status opened) {
        if (opened)
            opened = presentDocument();
        if (completion)
            completion(opened);
    });
}

void DKDocumentAppController::readDocumentAhead(const std::string& url)
{
    if (m_document || m_closing || m_readAhead)
        return;
    std::shared_ptr<DKDocument> document = makeDocumentForURL(url);
    if (!document)
        return;
    auto ahead = std::make_shared<DocumentReadAhead>();
    ahead->url = url;
    ahead->document = document;
    m_readAhead = ahead;
    // Held until the reading ends, by whoever waits for it by then.
    document->openWithCompletionHandler([ahead](bool success) { ahead->finish(success); });
}

std::shared_ptr<DKDocumentAppController::DocumentReadAhead>
DKDocumentAppController::takeDocumentReadAhead(const std::string& url)
{
    // Taken once, by the opening it was read for; any other opening lets it go.
    std::shared_ptr<DocumentReadAhead> ahead = std::move(m_readAhead);
    return ahead && ahead->url == url ? ahead : nullptr;
}

void DKDocumentAppController::openDocument(const std::string& url, std::shared_ptr<ODSFileItem> item,
                                           Completion completion)
{
    auto open = [this, url, item, completion](Status closed) {
        if (!closed) {
            if (completion)
                completion(closed);
            return;
        }
        std::shared_ptr<DocumentReadAhead> ahead = takeDocumentReadAhead(url);
        std::shared_ptr<DKDocument> document = ahead ? ahead->document : makeDocumentForURL(url);
        if (!document) {
            if (completion)
                completion(Error{kErrorDomain, NoDocumentClass, "No document class for " + url});
            return;
        }
        // Reading goes by the URL alone: a document read ahead takes its item now.
        document->setFileItem(item ? item : std::make_shared<ODSFileItem>(url, nullptr));
        auto opened = [this, document, url, completion](bool success) {
            if (!success) {
                if (completion)
                    completion(documentError(*document, OpenFailed, "Could not read " + url));
                return;
            }
            // A file that may not be written is shown, never saved over:
            // the save's rename would replace it all the same.
            if (!document->fileIsWritable()) {
                document->makeReadOnly("\"" + document->fileItem()->name()
                                       + "\" is read-only, so it opens for reading only and nothing "
                                         "you do here is saved to it.");
                std::shared_ptr<ViewController> viewer = viewControllerForDocumentWithoutEditor(*document);
                if (!viewer) {
                    if (completion)
                        completion(Error{kErrorDomain, OpenFailed,
                                         "\"" + document->fileItem()->name()
                                             + "\" is read-only and cannot be shown for reading."});
                    return;
                }
                document->presentReadOnly(viewer);
            } else if (!document->makeDocumentViewController()) {
                std::shared_ptr<ViewController> viewer = viewControllerForDocumentWithoutEditor(*document);
                if (!viewer) {
                    if (completion)
                        completion(Error{kErrorDomain, EditorNotAvailable,
                                         "The editor for " + document->fileItem()->name()
                                             + " is not available yet."});
                    return;
                }
                document->presentReadOnly(viewer);
            }
            document->viewControllerToPresent();
            adopt(document);
            if (completion)
                completion(Status::success());
        };
        if (ahead)
            ahead->then(std::move(opened));
        else
            document->openWithCompletionHandler(std::move(opened));
    };
    // The old document's unsaved changes come first: when they cannot be
    // saved, it stays open and the new one does not open.
    if (m_document || m_closing)
        closeDocument(open);
    else
        open(Status::success());
}

Status DKDocumentAppController::presentDocument()
{
    std::shared_ptr<NavigationController> navigation = m_document ? m_document->viewControllerToPresent() : nullptr;
    if (!navigation)
        return Error{kErrorDomain, OpenFailed, "No document is open to show"};
    if (std::shared_ptr<ViewController> shown = navigation->topViewController()) {
        if (shown->title().empty())
            shown->setTitle(toUtf16(m_document->fileItem() ? m_document->fileItem()->displayedName()
                                                           : m_document->localizedName()));
        addDocumentBarItems(*shown);
    }
    closeDocumentWindow();
    m_documentWindow = std::make_shared<Window>(Rect{{0, 0}, {1000, 760}});
    m_documentWindow->setRootViewController(navigation);
    m_documentWindow->setCloseRequestHandler([this] { closeDocument([this](Status closed) { reportCloseFailure(closed); }); });
    m_documentWindow->makeKeyAndVisible();
    if (const std::optional<std::string>& notice = m_document->readOnlyNotice())
        presentDocumentAlert(u"Read Only Document", *notice);
    return Status::success();
}

void DKDocumentAppController::addDocumentBarItems(ViewController& shown)
{
    std::shared_ptr<NavigationItem> item = shown.navigationItem();
    if (!item)
        return;
    // An editor that brings its own items keeps them; a viewer's are replaced.
    bool ownItems = !item->effectiveLeadingItems().empty() || !item->effectiveTrailingItems().empty();
    if (ownItems && !m_document->isReadOnly())
        return;
    m_closeItem->setTitle(u"Documents");
    m_closeItem->setAction([this](BarButtonItem&) {
        closeDocumentAndShowBrowser([this](Status closed) { reportCloseFailure(closed); });
    });
    m_shareItem->setTitle(u"Share");
    m_shareItem->setMenu(exportMenuActions());
    m_shareItem->setHidden(!m_shareItem->menu());
    m_toolsItem->setTitle(u"Tools");
    m_toolsItem->setMenu(toolMenuActions());
    m_toolsItem->setHidden(!m_toolsItem->menu());
    item->setLeftBarButtonItems({m_closeItem});
    // Listed from the outer edge inwards.
    item->setRightBarButtonItems({m_shareItem, m_toolsItem, BarButtonItem::withCustomView(m_savingIndicator)});
}

void DKDocumentAppController::closeDocumentAndShowBrowser(Completion completion)
{
    closeDocument([this, completion](Status closed) {
        if (closed && m_documentBrowserHandler) {
            // Copied: the handler may replace itself while it runs.
            std::function<void()> handler = m_documentBrowserHandler;
            handler();
        }
        if (completion)
            completion(closed);
    });
}

void DKDocumentAppController::reportCloseFailure(const Status& status)
{
    if (!status)
        presentDocumentAlert(u"The Document Could Not Be Saved", status.error().message);
}

void DKDocumentAppController::closeDocumentWindow()
{
    std::shared_ptr<Window> window = std::move(m_documentWindow);
    if (window) {
        window->setCloseRequestHandler({});
        window->close();
    }
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
    if (m_closing) {
        m_waitingForClose.push_back([this, completion] { closeDocument(completion); });
        return;
    }
    std::shared_ptr<DKDocument> document = std::move(m_document);
    m_document.reset();
    if (!document) {
        if (completion)
            completion(Status::success());
        return;
    }
    m_closing = true;
    // Saved first, so that the picture and the browser show the saved file.
    document->saveBeforeClosing([this, document, completion](bool saved) {
        // A document whose changes cannot be saved stays open, so that they
        // are not lost; the caller reports why.
        if (!saved && !document->isClosed()) {
            m_document = document;
            finishClosing(completion, documentError(*document, OpenFailed, "Could not save " + document->fileURL()));
            return;
        }
        writePreviewsForDocument(*document, [this, document, completion, saved] {
            document->closeWithCompletionHandler([this, document, completion, saved](bool closedSaved) {
                document->setSaveStateHandler({});
                document->setSaveFailureHandler({});
                document->setFileChangedHandler({});
                hideAutoSavingIndicator();
                closeDocumentWindow();
                if (m_documentPicker)
                    m_documentPicker->documentDidClose(document->fileURL());
                finishClosing(completion, saved && closedSaved
                                              ? Status::success()
                                              : Status(documentError(*document, OpenFailed, "Could not save")));
            });
        });
    });
}

void DKDocumentAppController::finishClosing(const Completion& completion, const Status& closed)
{
    m_closing = false;
    std::vector<std::function<void()>> waiting = std::move(m_waitingForClose);
    m_waitingForClose.clear();
    if (completion)
        completion(closed);
    for (std::function<void()>& next : waiting)
        next();
}

} // namespace folio
