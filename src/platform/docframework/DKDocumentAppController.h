#pragma once

#include "platform/foundation/Error.h"

#include <functional>
#include <vector>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class ActivityIndicatorView;
class BarButtonItem;
class DKDocument;
class DKDocumentPicker;
class Menu;
class ODSFileItem;
class ViewController;
class Window;

// The application's controller of the document life cycle: it makes the
// document object for a file, opens, creates and closes documents, and owns
// the bar items shown while a document is open. The application subclasses
// it and answers the hooks. One instance per process, reached through
// controller(); main thread only.
class DKDocumentAppController {
public:
    using Completion = std::function<void(Status status)>;

    static constexpr const char* kErrorDomain = "DKDocumentAppController";
    enum ErrorCode { NoDocumentClass = 1, OpenFailed = 2, CreateFailed = 3, EditorNotAvailable = 4, NoSnapshot = 5 };

    DKDocumentAppController();
    virtual ~DKDocumentAppController();
    DKDocumentAppController(const DKDocumentAppController&) = delete;
    DKDocumentAppController& operator=(const DKDocumentAppController&) = delete;

    // The controller made last and still alive, or null.
    static DKDocumentAppController* controller();

    // The document object for a file (the application's document class).
    virtual std::shared_ptr<DKDocument> makeDocumentForURL(const std::string& url) = 0;

    // Reads the file, makes its editor and makes it the open document; a
    // document already open is closed (and saved) first. A kind without an
    // editor opens read-only in the viewer the application offers, or fails
    // with EditorNotAvailable; a file that cannot be read fails with the
    // reader's error. A file that may not be written opens read-only in that
    // viewer, with a notice when it is shown. Either way the file is left as it was.
    void openDocumentAtURL(const std::string& url, Completion completion);
    // The same for a file listed by the browser, then shown in the editor window.
    void openFileItem(const std::shared_ptr<ODSFileItem>& item, Completion completion);
    // Starts reading the document at `url` before the program can show it
    // (while it loads its windows' libraries): the next opening of that same
    // URL takes the document, read or still being read, instead of reading
    // the file again. Does nothing while a document is open or being read.
    void readDocumentAhead(const std::string& url);
    // Makes a new file at `url`, from a copy of the template when one is
    // given, and saves it; it is not opened.
    void createDocumentAtURL(const std::string& url, const std::optional<std::string>& templateURL,
                             Completion completion);
    // Saves the open document, then has its preview written, closes it
    // and its window, and tells the browser; succeeds at once without one.
    // When its changes cannot be saved it stays open and the save's error is answered.
    void closeDocument(Completion completion);

    const std::shared_ptr<DKDocument>& document() const { return m_document; }

    // Items of the open document's bar and the spinner of its saves.
    const std::shared_ptr<BarButtonItem>& closeDocumentBarButtonItem() const { return m_closeItem; }
    const std::shared_ptr<BarButtonItem>& compactCloseDocumentBarButtonItem() const { return m_compactCloseItem; }
    const std::shared_ptr<BarButtonItem>& shareDocumentBarButtonItem() const { return m_shareItem; }
    const std::shared_ptr<BarButtonItem>& toolsBarButtonItem() const { return m_toolsItem; }
    const std::shared_ptr<ActivityIndicatorView>& savingIndicator() const { return m_savingIndicator; }

    // Shown while the open document saves.
    virtual void showAutoSavingIndicator() {}
    virtual void hideAutoSavingIndicator() {}

    // Files the browser lists that are no document of the application (a
    // PDF it made) are shown by a viewer of their own: the status of
    // showing it, or nothing when the file is a document to open.
    virtual std::optional<Status> presentFileItemWithoutDocument(const std::shared_ptr<ODSFileItem>&)
    {
        return std::nullopt;
    }
    // A viewer for a document whose kind has no editor, or null when there is none.
    virtual std::shared_ptr<ViewController> viewControllerForDocumentWithoutEditor(DKDocument&) { return nullptr; }
    // Pictures the open document for the browser once it is saved; the
    // completion runs when that is done (or given up).
    virtual void writePreviewsForDocument(DKDocument&, std::function<void()> completion) { completion(); }
    // Pictures a listed file that has no picture yet (one never opened, or
    // changed elsewhere) and tells the browser when it is in; the completion
    // runs when that is done or given up.
    virtual void writePreviewForFileItem(const std::shared_ptr<ODSFileItem>&, std::function<void()> completion)
    {
        completion();
    }
    // A picture of the document file at `url`, kept where the desktop keeps
    // pictures; the completion hears where it went or why there is none.
    virtual void takeSnapshotFromURL(const std::string& url, std::function<void(Result<std::string> picture)> completion)
    {
        completion(Error{kErrorDomain, NoSnapshot, "This application takes no snapshot of " + url});
    }
    // Shows how the open document's header and footer print; the
    // completion runs when the preview is up, or when there is none.
    virtual void previewHeaderFooter(std::function<void()> completion) { completion(); }
    // The menus of the open document's share and tools items; null hides the item.
    virtual std::shared_ptr<Menu> exportMenuActions() { return nullptr; }
    virtual std::shared_ptr<Menu> toolMenuActions() { return nullptr; }

    // The window the open document is shown in, while it is.
    const std::shared_ptr<Window>& documentWindow() const { return m_documentWindow; }
    // Whether the open document is being closed to be read again from its
    // file (Reload): its window is gone for a moment, and another comes.
    bool isReloadingDocument() const { return m_reloading; }
    // Puts the open document's navigation controller in the document window,
    // with the close, share and tools items and the saving indicator.
    Status presentDocument();

    // The browser, while one is shown.
    DKDocumentPicker* currentDocumentPicker() const { return m_documentPicker; }
    void setCurrentDocumentPicker(DKDocumentPicker* picker) { m_documentPicker = picker; }

    // Shows the document browser after the "Documents" item has closed the
    // open document (the browser may not have been made yet when the
    // application was started with a document).
    void setDocumentBrowserHandler(std::function<void()> handler) { m_documentBrowserHandler = std::move(handler); }
    // The "Documents" item, and an editor's own close item: closes the open
    // document and then shows the browser. When the document cannot be saved
    // it stays open and the browser does not show; the completion hears why.
    void closeDocumentAndShowBrowser(Completion completion);
    // Tells the user, over the document's window, why it stays open.
    void reportCloseFailure(const Status& status);

    Window* currentWindow() const { return m_currentWindow; }
    void setCurrentWindow(Window* window) { m_currentWindow = window; }

protected:
    // An alert with an OK button over the document's window, unless one is up.
    void presentDocumentAlert(const std::u16string& title, const std::string& message);

private:
    void adopt(const std::shared_ptr<DKDocument>& document);
    // What an alert over the document's window is presented from; null
    // without a window, or while an alert is up.
    std::shared_ptr<ViewController> alertPresenter() const;
    // Asks the person which version to keep of a file another program changed.
    void presentFileChangedAlert();
    // Closes the open document without its unsaved changes and opens its
    // file again, as the other program left it.
    void reloadDocument();
    void openDocument(const std::string& url, std::shared_ptr<ODSFileItem> item, Completion completion);
    void addDocumentBarItems(ViewController& shown);
    void closeDocumentWindow();
    // Runs what waited for the close in flight, in the order it was asked.
    void finishClosing(const Completion& completion, const Status& closed);

    struct DocumentReadAhead;
    std::shared_ptr<DocumentReadAhead> takeDocumentReadAhead(const std::string& url);

    std::shared_ptr<DKDocument> m_document;
    std::shared_ptr<DocumentReadAhead> m_readAhead;
    std::shared_ptr<BarButtonItem> m_closeItem;
    std::shared_ptr<BarButtonItem> m_compactCloseItem;
    std::shared_ptr<BarButtonItem> m_shareItem;
    std::shared_ptr<BarButtonItem> m_toolsItem;
    std::shared_ptr<ActivityIndicatorView> m_savingIndicator;
    Window* m_currentWindow = nullptr;
    std::shared_ptr<Window> m_documentWindow;
    // While a close saves in the background there is no current document,
    // yet an open or a second close must wait for it: otherwise the close
    // would shut the next document's window, or a failed save would find
    // another document in its place and drop its own unsaved changes.
    bool m_closing = false;
    bool m_reloading = false;
    std::vector<std::function<void()>> m_waitingForClose;
    DKDocumentPicker* m_documentPicker = nullptr;
    DKDocumentAppController* m_previousController = nullptr;
    std::function<void()> m_documentBrowserHandler;
};

} // namespace folio
