#pragma once

#include "documents/EditorController.h"
#include "platform/docframework/DKWebViewController.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "webeditor/DirtyState.h"
#include "webeditor/PageBridge.h"
#include "webeditor/PageBridgeClient.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageContent.h"
#include "webeditor/PageDialect.h"
#include "webeditor/UndoHistory.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class BarContainerView;
class TextDocument;
class WebView;

// What the web-view editors share: one page in a web view, driven by script
// through the connection and heard through the bridge, in the page's own
// dialect. The editor holds its document without owning it until the
// document closes; the page is made with the view and loaded on the turn
// after the view has loaded.
class WebEditorController : public EditorController, public PageBridgeClient {
public:
    using WebViewFactory = DKWebViewController::WebViewFactory;
    // Hands a followed link to the desktop.
    using LinkOpener = std::function<void(const std::string& url)>;

    static constexpr Rect kDefaultFrame{{0, 0}, {900, 700}};

    ~WebEditorController() override;

    // NOTE: the close items are disabled and the saving indicator runs for
    // as long as any save of the open document runs: the application
    // controller follows the document's saves for every editor. Here, where
    // nothing says when the save ends, they would stay off after a content
    // read that is no save (an export). The page needs nothing before its
    // content is asked for.
    void documentWillSave() override {}
    void setForPreviewGeneration(bool forPreview) override { m_forPreviewGeneration = forPreview; }
    bool isForPreviewGeneration() const { return m_forPreviewGeneration; }
    std::shared_ptr<View> textView() override { return view(); }

    // A change of the page: marks the document changed.
    void documentIsDirty() { m_dirty.documentIsDirty(); }
    void undoAction() { m_undo.undo(); }
    void redoAction() { m_undo.redo(); }
    bool canUndo() { return m_undo.canUndo(); }
    bool canRedo() { return m_undo.canRedo(); }

    bool isPageReady() const { return m_bridge.isPageReady(); }
    // How long a save or a close waits for a page still starting and for the
    // keys typed into it: a page starts in a second or two, one that takes
    // this long is stuck.
    static constexpr double kTypedKeysWaitSeconds = 20;
    // How long a key typed early waits, as it is handed over, for the page
    // to take the one before it.
    static constexpr double kKeyTakeWaitSeconds = 5;
    // Waits for a page still starting that holds keys typed into it, then
    // until the page has taken every key handed to it, so that a save reads
    // what the person typed.
    Status takeTypedKeys() override;
    // Checks again every little while, on the run loop, within the same
    // bound: a close may be asked for from within the page's ready step.
    void whenTypedKeysTaken(std::function<void(Status)> done) override;
    // The editor's view: the page, with the bars the editor puts around it.
    BarContainerView* barContainer();
    // The view standing for the page, in its coordinates: views placed on it
    // (a picture's frame, a crop) show over the page. Null before the view loads.
    std::shared_ptr<View> pageView();
    // The editor's view once loaded; null before.
    BarContainerView* loadedBarContainer() { return isViewLoaded() ? barContainer() : nullptr; }
    // Gives the page the keyboard, as a click into it would.
    void givePageTheKeyboard();
    // A picture of the document among the desktop's pictures, with the
    // progress overlay telling how it went.
    void takeSnapshot();
    // The edit menu's rows of the editor's own, after the standard ones:
    // the assistant, the highlight and reading the selection aloud.
    void updateContextualMenu();
    // The page itself, for the editor's own tests and benchmarks; the
    // document and the shell get its content, never the page.
    WebView* webView() const { return m_webView.get(); }
    DirtyState& dirtyState() { return m_dirty; }
    PageBridge& bridge() { return m_bridge; }
    // Why the page could not be made, if it could not.
    const std::optional<Error>& pageError() const { return m_pageError; }

    // The user-defaults key of the document's scroll position, kept from one
    // opening to the next: its path in the documents folder (or its whole
    // path when it lies elsewhere) and "_lastposition".
    static std::string lastPositionKey(const std::string& documentPath);

    // Follows a link a person touched in the document, by its scheme (see
    // LinkDestination): a web address opens through `openWebAddress`, a mail
    // address in the desktop's mail program; any other is refused with a
    // message.
    void followLink(const std::string& target);

    // PageBridgeClient
    bool hasDocument() const override { return m_document != nullptr; }
    void openLinkInBrowser(const std::string& url) override { followLink(url); }
    void pageCannotBeEdited(const std::string& reason) override;
    bool pageTakesTheKeyboard() override;

protected:
    WebEditorController(TextDocument& document, std::unique_ptr<PageDialect> dialect, WebViewFactory factory,
                        LinkOpener openLink);

    TextDocument* editedDocument() const override { return m_document; }
    // Where a followed web address opens: the desktop's browser.
    virtual void openWebAddress(const std::string& url);
    void loadView() override;
    void viewDidLoad() override;

    // Builds the page and loads it into the view.
    virtual void loadHTMLDocument() = 0;
    // The edit menu holds rows of its own now (a picture's, a crop's, the
    // reading's pause and cancel), which the editor's rows must not replace.
    virtual bool editMenuHoldsOwnRows() const { return false; }
    // The application went out of sight, or came back: the document's place
    // in the page is kept first, and nothing of the page counts as the
    // user's change while away. Editors add their own steps.
    virtual void applicationWillEnterBackground();
    virtual void willEnterForeground();

    // The web view, made on first use; null when it cannot be made.
    WebView* ensureWebView();
    // The page cannot be made or loaded: the editor shows why in place of
    // the page, so that nothing is typed that could not be saved, and no
    // change of the page counts from now on.
    void showPageError(const Error& error);
    // Whether the page has taken every key the view handed it; true when it
    // cannot tell.
    bool pageHasTakenTheKeys();
    void checkTypedKeysTaken(std::function<void(Status)> done, double deadline);
    // The page's content in one call, once the page is ready: a page that is
    // not ready, does not answer or answers nonsense gives an error, so that
    // no save is built on it.
    Result<PageContent::Reply> readContent(EditorContent::Parts parts);
    // Stores where the page is scrolled to, read from the page in the
    // dialect's way; a page that does not answer keeps the position stored before.
    void keepScrollPosition();
    // The position stored for the document; 0 when none.
    long long storedScrollPosition() const;
    // Stops everything of the page reaching the editor and lets go of the
    // document, which it answers (null when already let go).
    TextDocument* beginClosing();

    TextDocument* m_document;
    std::unique_ptr<PageDialect> m_dialect;
    WebViewFactory m_factory;
    LinkOpener m_openLink;
    std::unique_ptr<WebView> m_webView;
    std::optional<Error> m_pageError;
    PageConnection m_connection;
    DirtyState m_dirty;
    UndoHistory m_undo;
    PageBridge m_bridge;
    bool m_forPreviewGeneration = false;
    Size m_size = kDefaultFrame.size;
    std::uint64_t m_backgroundObserver = 0;
    std::uint64_t m_foregroundObserver = 0;
    std::uint64_t m_menuWillShowObserver = 0;
    std::uint64_t m_menuDidHideObserver = 0;
};

} // namespace folio
