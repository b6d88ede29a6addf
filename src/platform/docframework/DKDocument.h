#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/FileManager.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class NavigationController;
class ODSFileItem;
class ViewController;

// One open file: the document framework reads it off the main thread, asks a
// subclass for an editor, records changes, autosaves, saves and closes it.
//
// Documents must be owned by a std::shared_ptr: reads and saves run on the
// document's own file-access queue and keep the document alive until their
// completion has run on the main thread. Every public operation other than
// readFromURL and contentsForType is called on the main thread.
class DKDocument : public std::enable_shared_from_this<DKDocument> {
public:
    using Completion = std::function<void(bool success)>;
    using SaveStateHandler = std::function<void(bool saving)>;
    using SaveFailureHandler = std::function<void(const Error& error)>;
    using FileMovedHandler = std::function<void()>;
    using FileChangedHandler = std::function<void()>;

    static constexpr const char* kErrorDomain = "DKDocument";
    enum ErrorCode {
        InvalidDestination = 1,
        FileExists = 2,
        NoContents = 3,
        ReadFailed = 4,
        Closed = 5,
        ReadOnly = 6,
        FileMissing = 7,
        ChangedElsewhere = 8,
    };
    // How long after the first unsaved change an autosave starts.
    static constexpr double kAutosaveDelaySeconds = 5;

    enum class SaveOperation { ForCreating = 0, ForOverwriting = 1 };
    enum class ChangeKind { Done = 0, Undone = 1, Redone = 2, Cleared = 3 };

    explicit DKDocument(std::string fileURL = {});
    virtual ~DKDocument();
    DKDocument(const DKDocument&) = delete;
    DKDocument& operator=(const DKDocument&) = delete;

    // Makes this a new document to be saved at `destinationURL`; the base only
    // checks that the destination can be written to later (its folder exists).
    // Subclasses decide what a template means.
    virtual Status initWithContentsOfTemplateAtURL(const std::optional<std::string>& templateURL,
                                                   const std::string& destinationURL);

    // Called off the main thread.
    virtual Status readFromURL(const std::string& url) = 0;
    // The bytes of a save; called on the file-access queue, never on the main thread.
    virtual Result<Data> contentsForType(const std::string& typeIdentifier) = 0;
    // Writes atomically: a temporary file beside the target is renamed over it,
    // so a failure at any point leaves the old file as it was.
    virtual Status writeContents(const Data& contents, const std::string& url, SaveOperation operation,
                                 const std::string& originalContentsURL);
    virtual void didWriteToURL(const std::string& url);
    virtual void didClose();
    // Main thread, before a close decides whether there is anything to
    // save: edits the editor has not taken in yet (keys typed while it was
    // still starting) are taken in, so that they count, and `done` is told,
    // later or at once. An error when they could not be; the close then
    // saves nothing and says why.
    using EditsTaken = std::function<void(Status)>;
    virtual void takePendingEdits(EditsTaken done) { done(Status::success()); }

    // Editors, made on the main thread once the document is read. The
    // framework picks the maker by the file type; a subclass answers the
    // controller and keeps it for documentViewController.
    std::shared_ptr<ViewController> makeDocumentViewController();
    virtual std::shared_ptr<ViewController> makeViewController();
    virtual std::shared_ptr<ViewController> makeRTFViewController();
    virtual std::shared_ptr<ViewController> makeMDViewController();
    virtual std::shared_ptr<ViewController> makeQVTextViewController();
    virtual std::shared_ptr<ViewController> makeQVOutlineViewController();
    virtual std::shared_ptr<ViewController> documentViewController() const;
    // Whether a rich-text file is shown in the native viewer
    // (makeRTFViewController) instead of the editor; the editor is made
    // when no viewer is.
    virtual bool showsRichTextInViewer() const { return false; }
    // What the browser presents: a navigation controller around the editor,
    // made on first request.
    virtual std::shared_ptr<NavigationController> viewControllerToPresent();
    // Puts the current editor back as the navigation controller's only child.
    void updateViewControllerToPresent();
    // Shows the document in a viewer instead of an editor (a kind whose
    // editor is missing, a file that may not be written): the document then
    // refuses every save and records no change, so that nothing can write
    // over the file.
    void presentReadOnly(const std::shared_ptr<ViewController>& viewer);
    // Refuses every save from now on and records no change; the notice, when
    // there is one, tells the user why once the document is shown.
    void makeReadOnly(std::optional<std::string> notice = std::nullopt);
    bool isReadOnly() const { return m_readOnly; }
    const std::optional<std::string>& readOnlyNotice() const { return m_readOnlyNotice; }
    // Whether the file could be written when it was read (FileManager::isWritableFile).
    bool fileIsWritable() const { return m_fileIsWritable; }
    // Whether every save is refused and no change is recorded: a document in
    // a viewer, or one whose subclass knows that its editor cannot carry the
    // whole file back.
    virtual bool refusesSaves() const { return m_readOnly; }

    const std::string& fileURL() const { return m_fileURL; }
    const std::string& fileType() const { return m_fileType; }
    // The file name without its extension.
    std::string localizedName() const;
    const std::shared_ptr<ODSFileItem>& fileItem() const { return m_fileItem; }
    // Moves fileURL and fileItem to the name the file was given in its folder
    // since it was read or last saved, as a save would; true when it moved.
    // What hands the file to others asks first, so that it is not handed a
    // name that is gone.
    bool followRenamedFile();
    void setFileItem(std::shared_ptr<ODSFileItem> item) { m_fileItem = std::move(item); }

    bool hasUnsavedChanges() const { return m_changeCount > 0; }
    int changeCount() const { return m_changeCount; }
    void updateChangeCount(ChangeKind kind);

    // Reads the file on the file-access queue; the completion runs on the main thread.
    void openWithCompletionHandler(Completion completion);
    // Produces the contents on the file-access queue and writes them; the
    // completion runs on the main thread. Changes made while the save ran stay unsaved.
    // Saving over the document's own file follows it when it was renamed
    // in its folder since it was read or last saved, and is refused
    // (FileMissing) when it is gone: a deleted document is not made again
    // behind the user's back (see saveBeforeClosing). It is refused too
    // (ChangedElsewhere) when another program has changed the file since
    // this document read or last wrote it: the file-changed handler is
    // told, and nothing writes over the file until the person chooses
    // (keepOwnVersion, or the document is closed without its changes and
    // read again).
    void saveToURL(const std::string& url, SaveOperation operation, Completion completion);
    // Saves when there are unsaved changes; otherwise succeeds at once.
    void autosaveWithCompletionHandler(Completion completion);
    // Whether a save found the file changed by another program and the
    // person has not yet chosen which version to keep; no autosave runs
    // meanwhile.
    bool fileChangedElsewhere() const { return m_fileChangedElsewhere; }
    // The person keeps this document's text: the file as it is now counts
    // as the one read, and the document is saved over it.
    void keepOwnVersion(Completion completion);
    // The person keeps the other program's version: unsaved changes are
    // dropped and no save writes from now on, so that the document can be
    // closed and its file read again as it is.
    void discardChanges();
    // Writes this document's text to a new file beside its own ("Name (my
    // version).ext", numbered when that is taken) and makes that file the
    // document's: what keeps the person's version when a file changed
    // elsewhere must be let go of before they could choose (the program is
    // ending). The completion hears the new file, or why there is none.
    void saveOwnVersionBeside(std::function<void(Result<std::string> kept)> completion);
    // The same when the user closes the document: a file gone while it was
    // open, once the user has been told so, is written again under its name,
    // so that the text is kept and the document can be closed.
    void saveBeforeClosing(Completion completion);
    // Saves unsaved changes, then closes. A failed save still closes (the
    // framework cannot keep a document open against the user's wish) but the
    // completion is told, and lastError says why.
    void closeWithCompletionHandler(Completion completion);
    bool isClosed() const { return m_closed; }
    // A save has started and not yet ended (main thread).
    bool isSaving() const { return m_savesInProgress > 0; }

    // Why the last read or save failed; cleared by the next success.
    const std::optional<Error>& lastError() const { return m_lastError; }
    // Told when a save starts and when it ends (the autosave indicator).
    void setSaveStateHandler(SaveStateHandler handler) { m_saveStateHandler = std::move(handler); }
    // Told on the main thread when a save fails, once until a save succeeds
    // again: an autosave that keeps failing tells the user once, not every
    // few seconds. Refusals of a read-only or closed document are not failures.
    void setSaveFailureHandler(SaveFailureHandler handler) { m_saveFailureHandler = std::move(handler); }
    // Told on the main thread when a save follows the file to the new name
    // it was given while open, or followRenamedFile finds it (fileURL and fileItem
    // already tell the new one).
    void setFileMovedHandler(FileMovedHandler handler) { m_fileMovedHandler = std::move(handler); }
    // Told on the main thread when a save finds the file changed by another
    // program (lastError says so), once until the person chooses, and again
    // when the document is to be closed meanwhile.
    void setFileChangedHandler(FileChangedHandler handler) { m_fileChangedHandler = std::move(handler); }

protected:
    void setFileURL(std::string url);
    std::shared_ptr<NavigationController> existingViewControllerToPresent() const { return m_navigationController; }
    void setViewControllerToPresent(std::shared_ptr<NavigationController> controller);

private:
    Status performSave(const std::string& url, SaveOperation operation, const std::string& type,
                       const std::string& originalURL, const std::optional<FileVersion>& expected);
    void scheduleAutosave();
    // Where the file read or last saved is now (see saveToURL).
    Result<std::string> locateOwnFile();
    void saveDidFail(const Error& error);
    Error changedElsewhereError() const;
    void fileWasChangedElsewhere(const Error& error);
    std::optional<FileIdentity> fileIdentity() const;

    std::string m_fileURL;
    std::string m_fileType;
    std::shared_ptr<ODSFileItem> m_fileItem;
    std::shared_ptr<NavigationController> m_navigationController;
    DispatchQueue m_fileAccessQueue;
    int m_changeCount = 0;
    int m_savesInProgress = 0;
    // Told once no save is on its way: a close waits for them, so that
    // nothing is still writing the file when its closer goes on (or quits).
    std::vector<std::function<void()>> m_afterSaves;
    bool m_closed = false;
    bool m_autosaveScheduled = false;
    bool m_readOnly = false;
    std::optional<std::string> m_readOnlyNotice;
    bool m_fileIsWritable = true;
    // The file as it was read or last saved; unknown for a new document
    // until its first save.
    std::optional<FileVersion> m_fileVersion;
    // The file as this document's last save left it; on the file-access
    // queue only.
    std::optional<FileVersion> m_writtenVersion;
    bool m_fileChangedElsewhere = false;
    bool m_toldSaveFailure = false;
    bool m_toldFileMissing = false;
    bool m_savingToClose = false;
    std::optional<Error> m_lastError;
    SaveStateHandler m_saveStateHandler;
    SaveFailureHandler m_saveFailureHandler;
    FileMovedHandler m_fileMovedHandler;
    FileChangedHandler m_fileChangedHandler;
};

} // namespace folio
