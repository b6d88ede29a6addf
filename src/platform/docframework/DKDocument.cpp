#include "platform/docframework/DKDocument.h"

#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/FreedMemory.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/NavigationController.h"

#include <cassert>
#include <filesystem>

namespace folio {

namespace {

constexpr const char* kAutosaveSelector = "autosave";

std::string parentFolder(const std::string& path)
{
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// Whether the file at `url` is no longer the one a save expects to write
// over. A file that is not there has not changed: that case is the
// caller's (see locateOwnFile).
bool changedSince(const std::string& url, const std::optional<FileVersion>& expected)
{
    if (!expected)
        return false;
    std::optional<FileVersion> current = FileManager::versionOfFile(url);
    return current && *current != *expected;
}

} // namespace

DKDocument::DKDocument(std::string fileURL) : m_fileAccessQueue("DKDocument file access")
{
    setFileURL(std::move(fileURL));
}

DKDocument::~DKDocument()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

void DKDocument::setFileURL(std::string url)
{
    m_fileType = url.empty() ? std::string() : TypeIdentifiers::typeIdentifierForPath(url);
    m_fileURL = std::move(url);
}

Status DKDocument::initWithContentsOfTemplateAtURL(const std::optional<std::string>&, const std::string& destinationURL)
{
    if (destinationURL.empty())
        return Error{kErrorDomain, InvalidDestination, "A new document needs a file path"};
    if (!FileManager::isDirectory(parentFolder(destinationURL)))
        return Error{kErrorDomain, InvalidDestination, "The folder of " + destinationURL + " does not exist"};
    setFileURL(destinationURL);
    return Status::success();
}

Status DKDocument::writeContents(const Data& contents, const std::string& url, SaveOperation operation,
                                 const std::string&)
{
    if (operation == SaveOperation::ForCreating && FileManager::fileExists(url))
        return Error{kErrorDomain, FileExists, url + " already exists"};
    return FileManager::writeAtomically(url, contents.span());
}

void DKDocument::didWriteToURL(const std::string&) {}

void DKDocument::didClose() {}

std::shared_ptr<ViewController> DKDocument::makeDocumentViewController()
{
    const std::string& type = fileType();
    if (type == TypeIdentifiers::kMarkdown || type == TypeIdentifiers::kPlainText || type == TypeIdentifiers::kTeX)
        return makeMDViewController();
    if (type == TypeIdentifiers::kQVText)
        return makeQVTextViewController();
    if (type == TypeIdentifiers::kQVOutline)
        return makeQVOutlineViewController();
    if (showsRichTextInViewer()) {
        if (std::shared_ptr<ViewController> viewer = makeRTFViewController())
            return viewer;
    }
    return makeViewController();
}

std::shared_ptr<ViewController> DKDocument::makeViewController() { return nullptr; }
std::shared_ptr<ViewController> DKDocument::makeRTFViewController() { return nullptr; }
std::shared_ptr<ViewController> DKDocument::makeMDViewController() { return nullptr; }
std::shared_ptr<ViewController> DKDocument::makeQVTextViewController() { return nullptr; }
std::shared_ptr<ViewController> DKDocument::makeQVOutlineViewController() { return nullptr; }
std::shared_ptr<ViewController> DKDocument::documentViewController() const { return nullptr; }

std::shared_ptr<NavigationController> DKDocument::viewControllerToPresent()
{
    if (!m_navigationController) {
        auto editor = documentViewController();
        m_navigationController = editor ? NavigationController::withRootViewController(editor)
                                        : std::make_shared<NavigationController>();
    }
    return m_navigationController;
}

void DKDocument::updateViewControllerToPresent()
{
    auto editor = documentViewController();
    if (m_navigationController && editor)
        m_navigationController->setViewControllers({editor}, false);
}

void DKDocument::presentReadOnly(const std::shared_ptr<ViewController>& viewer)
{
    makeReadOnly(m_readOnlyNotice);
    m_navigationController = viewer ? NavigationController::withRootViewController(viewer) : nullptr;
}

void DKDocument::makeReadOnly(std::optional<std::string> notice)
{
    m_readOnly = true;
    m_readOnlyNotice = std::move(notice);
    m_changeCount = 0;
    RunLoop::main().cancelPreviousPerformRequests(this);
    m_autosaveScheduled = false;
}

void DKDocument::setViewControllerToPresent(std::shared_ptr<NavigationController> controller)
{
    m_navigationController = std::move(controller);
}

std::string DKDocument::localizedName() const
{
    return std::filesystem::path(m_fileURL).stem().string();
}

void DKDocument::updateChangeCount(ChangeKind kind)
{
    if (refusesSaves())
        return;
    switch (kind) {
    case ChangeKind::Done:
    case ChangeKind::Redone:
        ++m_changeCount;
        break;
    case ChangeKind::Undone:
        if (m_changeCount > 0)
            --m_changeCount;
        break;
    case ChangeKind::Cleared:
        m_changeCount = 0;
        break;
    }
    if (hasUnsavedChanges())
        scheduleAutosave();
}

void DKDocument::scheduleAutosave()
{
    // A file changed elsewhere waits for the person's choice: an autosave
    // would only be refused again.
    if (m_autosaveScheduled || m_closed || m_fileChangedElsewhere)
        return;
    m_autosaveScheduled = true;
    std::weak_ptr<DKDocument> weakSelf = weak_from_this();
    RunLoop::main().performSelectorAfterDelay(this, kAutosaveSelector, {}, kAutosaveDelaySeconds, [weakSelf] {
        if (auto self = weakSelf.lock()) {
            self->m_autosaveScheduled = false;
            self->autosaveWithCompletionHandler({});
        }
    });
}

void DKDocument::openWithCompletionHandler(Completion completion)
{
    auto self = shared_from_this();
    std::string url = m_fileURL;
    m_fileAccessQueue.async([self, url, completion = std::move(completion)]() mutable {
        // Taken before the read, so that a file replaced or written while
        // it is read counts as changed.
        std::optional<FileVersion> version = FileManager::versionOfFile(url);
        // A save replaces the file through a new one beside it, so a
        // writable file in a folder that is not counts as read-only.
        bool writable = FileManager::isWritableFile(url) && FileManager::isWritableFolder(parentFolder(url));
        std::string name = FileManager::temporaryTargetName(std::filesystem::path(url).filename().string());
        FileManager::removeAtomicWriteLeftovers(
            parentFolder(url), [&name](const std::string& target) { return target == name; });
        Status status = self->readFromURL(url);
        // As in saving: the document is let go of on the main thread only.
        dispatchAsyncMain([self = std::move(self), status, version, writable, completion = std::move(completion)] {
            if (status) {
                self->m_lastError.reset();
                self->m_fileVersion = version;
                self->m_fileIsWritable = writable;
            } else {
                self->m_lastError = status.error();
            }
            if (completion)
                completion(status.ok());
        });
        // Reading a large file has a peak of its own, as a save has. Handed
        // back here, while the main thread goes on to show the document: a
        // trim after a megabyte's read takes a tenth of a second.
        releaseFreedMemory();
    });
}

Status DKDocument::performSave(const std::string& url, SaveOperation operation, const std::string& type,
                               const std::string& originalURL, const std::optional<FileVersion>& expected)
{
    Result<Data> contents = contentsForType(type);
    if (!contents)
        return contents.error();
    // Asked again right before the write: making the contents takes a
    // while, and another program may have saved meanwhile. The file this
    // document's own save wrote just before is its own, although the main
    // thread, which made `expected`, may not know it yet.
    if (changedSince(url, expected) && (!m_writtenVersion || FileManager::versionOfFile(url) != m_writtenVersion))
        return changedElsewhereError();
    return writeContents(*contents, url, operation, originalURL);
}

std::optional<FileIdentity> DKDocument::fileIdentity() const
{
    return m_fileVersion ? std::optional<FileIdentity>(m_fileVersion->identity) : std::nullopt;
}

bool DKDocument::followRenamedFile()
{
    std::optional<FileIdentity> identity = fileIdentity();
    if (!identity || FileManager::identityOfFile(m_fileURL) == identity)
        return false;
    std::optional<std::string> moved = FileManager::itemWithIdentity(parentFolder(m_fileURL), *identity);
    // A new extension would change the format the save writes, under a
    // name the user chose for another one.
    if (!moved || TypeIdentifiers::typeIdentifierForPath(*moved) != m_fileType)
        return false;
    setFileURL(*moved);
    m_fileItem = std::make_shared<ODSFileItem>(*moved, m_fileItem ? m_fileItem->scope() : nullptr);
    if (m_fileMovedHandler) {
        // Copied: the handler may replace itself while it runs.
        FileMovedHandler handler = m_fileMovedHandler;
        handler();
    }
    return true;
}

Result<std::string> DKDocument::locateOwnFile()
{
    if (!m_fileVersion)
        return m_fileURL;
    std::optional<FileIdentity> current = FileManager::identityOfFile(m_fileURL);
    if (current == fileIdentity() || followRenamedFile())
        return m_fileURL;
    // Another file under the same name (one put there by another program's
    // own save) is the file changed elsewhere; the save finds it so.
    if (current || (m_toldFileMissing && m_savingToClose))
        return m_fileURL;
    m_toldFileMissing = true;
    std::string name = std::filesystem::path(m_fileURL).filename().string();
    return Error{kErrorDomain, FileMissing,
                 "\"" + name + "\" was moved or deleted while it was open, so it is not saved again. "
                 "Your text is still here: copy it, or close the document to save it again under its name."};
}

void DKDocument::saveDidFail(const Error& error)
{
    m_lastError = error;
    if (m_toldSaveFailure)
        return;
    m_toldSaveFailure = true;
    if (m_saveFailureHandler) {
        // Copied: the handler may replace itself while it runs.
        SaveFailureHandler handler = m_saveFailureHandler;
        handler(error);
    }
}

Error DKDocument::changedElsewhereError() const
{
    std::string name = std::filesystem::path(m_fileURL).filename().string();
    return Error{kErrorDomain, ChangedElsewhere,
                 "\"" + name + "\" was changed by another program since it was opened here. Reload it to see "
                 "that version (what you changed here since the last save is dropped), or keep your version "
                 "and save it over the other."};
}

void DKDocument::fileWasChangedElsewhere(const Error& error)
{
    m_lastError = error;
    const bool newlyFound = !m_fileChangedElsewhere;
    m_fileChangedElsewhere = true;
    RunLoop::main().cancelPreviousPerformRequests(this);
    m_autosaveScheduled = false;
    if ((newlyFound || m_savingToClose) && m_fileChangedHandler) {
        // Copied: the handler may replace itself while it runs.
        FileChangedHandler handler = m_fileChangedHandler;
        handler();
    }
}

void DKDocument::keepOwnVersion(Completion completion)
{
    m_fileVersion = FileManager::versionOfFile(m_fileURL);
    m_fileChangedElsewhere = false;
    m_lastError.reset();
    saveToURL(m_fileURL, SaveOperation::ForOverwriting, std::move(completion));
}

void DKDocument::discardChanges()
{
    makeReadOnly(std::nullopt);
    m_fileChangedElsewhere = false;
}

void DKDocument::saveOwnVersionBeside(std::function<void(Result<std::string> kept)> completion)
{
    std::filesystem::path own(m_fileURL);
    std::string name = own.stem().string() + " (my version)" + own.extension().string();
    std::string folder = parentFolder(m_fileURL);
    std::string copy = folder + "/" + name;
    for (int number = 2; FileManager::fileExists(copy) && number < 10000; ++number)
        copy = folder + "/" + FileManager::numberedName(name, number);
    saveToURL(copy, SaveOperation::ForCreating, [self = shared_from_this(), copy, completion](bool saved) {
        if (!completion)
            return;
        if (saved)
            completion(copy);
        else
            completion(self->lastError() ? *self->lastError() : Error{kErrorDomain, NoContents, "Could not write " + copy});
    });
}

void DKDocument::saveToURL(const std::string& requestedURL, SaveOperation operation, Completion completion)
{
    auto refuse = [&completion] {
        if (completion)
            dispatchAsyncMain([completion = std::move(completion)] { completion(false); });
    };
    if (m_closed || refusesSaves()) {
        m_lastError = m_closed ? Error{kErrorDomain, Closed, "The document is closed"}
                               : Error{kErrorDomain, ReadOnly, m_fileURL + " is open for reading only"};
        refuse();
        return;
    }
    const bool ownFile = operation == SaveOperation::ForOverwriting && requestedURL == m_fileURL;
    if (ownFile && m_fileChangedElsewhere) {
        fileWasChangedElsewhere(changedElsewhereError());
        refuse();
        return;
    }
    Result<std::string> located = ownFile ? locateOwnFile() : Result<std::string>(requestedURL);
    if (!located) {
        saveDidFail(located.error());
        refuse();
        return;
    }
    const std::string url = std::move(*located);
    // What the file must still be when it is written over; nothing when
    // the save makes a file or writes another one.
    const std::optional<FileVersion> expected = ownFile ? m_fileVersion : std::nullopt;
    // While a save is on its way the file may be its work; the check just
    // before the write tells.
    if (m_savesInProgress == 0 && changedSince(url, expected)) {
        fileWasChangedElsewhere(changedElsewhereError());
        refuse();
        return;
    }
    auto self = shared_from_this();
    const int changesSaved = m_changeCount;
    if (m_savesInProgress++ == 0 && m_saveStateHandler)
        m_saveStateHandler(true);
    // The type is that of the file saved to, so that saving under a new name
    // writes the new name's format.
    std::string type = TypeIdentifiers::typeIdentifierForPath(url);
    std::string originalURL = m_fileURL;
    m_fileAccessQueue.async([self, url, operation, type, originalURL, expected, changesSaved,
                             completion = std::move(completion)]() mutable {
        Status status = self->performSave(url, operation, type, originalURL, expected);
        std::optional<FileVersion> version = status ? FileManager::versionOfFile(url) : std::nullopt;
        if (version)
            self->m_writtenVersion = version;
        // What the contents were made from is gone now; without this the
        // process would keep a large document's save peak for good. Here,
        // not on the main thread: trimming a large peak takes milliseconds.
        releaseFreedMemory();
        // The worker lets go of the document here: were it the last holder,
        // the document, its editor and the editor's web view would be
        // destroyed on this thread, which the web engine does not survive.
        dispatchAsyncMain([self = std::move(self), url, status, version, changesSaved,
                           completion = std::move(completion)] {
            if (status) {
                self->m_lastError.reset();
                self->m_toldSaveFailure = false;
                self->m_toldFileMissing = false;
                self->m_fileVersion = version;
                self->m_changeCount = std::max(0, self->m_changeCount - changesSaved);
                if (url != self->m_fileURL)
                    self->setFileURL(url);
            } else if (status.error().domain == kErrorDomain && status.error().code == ChangedElsewhere) {
                self->fileWasChangedElsewhere(status.error());
            } else {
                self->saveDidFail(status.error());
            }
            if (--self->m_savesInProgress == 0 && self->m_saveStateHandler)
                self->m_saveStateHandler(false);
            if (completion)
                completion(status.ok());
            if (self->m_savesInProgress == 0) {
                std::vector<std::function<void()>> waiting = std::move(self->m_afterSaves);
                self->m_afterSaves.clear();
                for (std::function<void()>& told : waiting)
                    told();
            }
            // Edits made while the save ran still need one.
            if (self->hasUnsavedChanges())
                self->scheduleAutosave();
        });
    });
}

void DKDocument::autosaveWithCompletionHandler(Completion completion)
{
    if (!hasUnsavedChanges() || m_closed) {
        if (completion)
            completion(true);
        return;
    }
    saveToURL(m_fileURL, SaveOperation::ForOverwriting, std::move(completion));
}

void DKDocument::saveBeforeClosing(Completion completion)
{
    if (m_closed || refusesSaves()) {
        autosaveWithCompletionHandler(std::move(completion));
        return;
    }
    takePendingEdits([self = shared_from_this(), completion = std::move(completion)](Status taken) mutable {
        if (!taken) {
            self->saveDidFail(taken.error());
            if (completion)
                completion(false);
            return;
        }
        // The file is located while saveToURL runs, before it returns.
        self->m_savingToClose = true;
        self->autosaveWithCompletionHandler(std::move(completion));
        self->m_savingToClose = false;
    });
}

void DKDocument::closeWithCompletionHandler(Completion completion)
{
    if (m_closed) {
        if (completion)
            completion(true);
        return;
    }
    RunLoop::main().cancelPreviousPerformRequests(this);
    m_autosaveScheduled = false;
    auto close = [self = shared_from_this(), completion = std::move(completion)](Status taken) mutable {
        // Closed by another request while the edits were taken in.
        if (self->m_closed) {
            if (completion)
                completion(true);
            return;
        }
        // The document closes all the same; the completion is told.
        if (!taken)
            self->saveDidFail(taken.error());
        auto finish = [self, taken, completion = std::move(completion)](bool saved) mutable {
            auto closed = [self, saved, taken, completion = std::move(completion)] {
                self->m_closed = true;
                self->didClose();
                if (completion)
                    completion(saved && taken.ok());
            };
            if (self->m_savesInProgress > 0)
                self->m_afterSaves.push_back(std::move(closed));
            else
                closed();
        };
        if (!self->hasUnsavedChanges()) {
            finish(true);
            return;
        }
        self->saveToURL(self->m_fileURL, SaveOperation::ForOverwriting, std::move(finish));
    };
    if (refusesSaves())
        close(Status::success());
    else
        takePendingEdits(std::move(close));
}

} // namespace folio
