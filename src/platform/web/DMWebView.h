#pragma once

#include "platform/web/WebView.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

// The editors' web view on WebKitGTK. It lives in an off-screen window, so
// previews and exports work without showing anything; the GTK presenter
// moves nativeWidget() into a real window when the editor is shown.
//
// Page messages reach the delegate by two ways: navigations to "rte:" and
// "x-twwebview:" URLs (cancelled here), and window.webkit.messageHandlers.rte
// .postMessage(text) - the latter because two location changes in one script
// task lose the first, while posted messages all arrive, in order.
//
// Main thread only.
class DMWebView final : public WebView {
public:
    static constexpr const char* kErrorDomain = "DMWebView";
    enum ErrorCode { NoDisplay = 1, PrintFailed = 2, SnapshotFailed = 3, ViewGone = 4, NoContentFilter = 5 };
    static constexpr double kDefaultScriptTimeoutSeconds = 10;

    // A page of the application's own (an editor's), which runs its helper
    // scripts and reads what its base URL allows. Fails when no display can
    // be opened. Without DISPLAY and WAYLAND_DISPLAY a private virtual
    // display is started first.
    static Result<std::unique_ptr<DMWebView>> create(const Rect& frame);
    // A page that shows a document's content (exports, previews). Documents
    // come from anywhere, so the page runs no script of its own (the
    // application's evaluations still work), follows no link, and loads
    // nothing from the network or from files: only pictures inside
    // `readableFolders` and the application's resources, through a
    // "folio-page:" base URL that stands for the file URL it is given.
    static Result<std::unique_ptr<DMWebView>> createForDocument(const Rect& frame,
                                                                std::vector<std::string> readableFolders);
    // An editor's page that holds a document's content (the QV editors).
    // Its own scripts run, but whatever the document carries is kept in
    // check: the page reads no file through a file URL, loads nothing but
    // files inside `readableFolders` (its own resources, the document's
    // pictures), the font scheme's fonts and inline pictures, and takes
    // page messages only from the "rte" message handler of its main frame:
    // a navigation to a message address, from any frame, is cancelled
    // without a word to the delegate.
    static Result<std::unique_ptr<DMWebView>> createForEditor(const Rect& frame,
                                                              std::vector<std::string> readableFolders);
    // Makes the next editor's page ahead of its document, and starts its
    // page process, while the document is still being read: the next
    // createForEditor() with the same folders takes it at once, and its
    // first load waits for that start to end. Fails as createForEditor() does.
    static Status prepareEditor(std::vector<std::string> readableFolders);
    // An editor's page is prepared, its process started, and not taken yet.
    static bool hasPreparedEditor();
    // Destroys a prepared page no editor took, and ends its process.
    static void discardPreparedEditor();
    // A page for browsing the web (the in-app browser): it loads web
    // addresses and runs their scripts, in a web context of its own that
    // keeps nothing on disk and knows neither the font scheme nor the
    // document scheme. It follows only web addresses; a link that asks for a
    // new window opens in the same page. No page message reaches its delegate.
    static Result<std::unique_ptr<DMWebView>> createForBrowsing(const Rect& frame);

    // Sets WebKit's environment, makes sure a display exists and initialises
    // GTK; create() calls it, and so may a program before its first window.
    static Status prepareToolkit();

    // Which folders "myFont://" serves, for every web view of the process.
    static void setFontFolders(std::vector<std::string> folders);
    static std::vector<std::string> fontFolders();

    ~DMWebView() override;
    DMWebView(const DMWebView&) = delete;
    DMWebView& operator=(const DMWebView&) = delete;

    void setDelegate(WebViewDelegate* delegate) override;
    WebViewDelegate* delegate() const override;

    void loadHTMLString(const std::string& html, const std::string& baseURL) override;
    bool isLoading() const override;
    // Only a browsing page loads web addresses.
    void loadURL(const std::string& url) override;
    std::string title() const override;
    std::string currentURL() const override;

    void evaluateJavaScript(const std::string& script, ScriptCompletion completion) override;
    std::string stringByEvaluatingJavaScript(const std::string& script) override;

    // Asks the page's script engine to collect what the page no longer holds;
    // done(true) once the page process has taken the request. After a large
    // answer the view asks by itself.
    void collectPageGarbage(std::function<void(bool collected)> done);

    void executeEditingCommand(const std::string& command, const std::string& argument = {}) override;

    void holdTypedKeys() override;
    void releaseTypedKeys(HeldKeys what) override;
    bool hasHeldTypedKeys() const override;
    std::size_t keyPressesHandedToPage() const override;
    void setHeldKeyPacer(std::function<void()> waitForPage) override;

    void setSpellCheckingEnabled(bool enabled) override;
    bool isSpellCheckingEnabled() const override;

    Rect frame() const override;
    void setFrame(const Rect& frame) override;

    void takeSnapshot(SnapshotRegion region, SnapshotCompletion completion) override;
    void printToPDF(const std::string& path, const Size& pageSize, const EdgeInsets& margins,
                    PrintCompletion completion, double magnification = 1) override;

    // How long stringByEvaluatingJavaScript waits for an answer.
    void setScriptTimeout(double seconds);
    double scriptTimeout() const;

    // The addresses the page was kept from going to since the last load, in
    // the order it tried them: a document page's refresh, frame or link, a
    // browsing page's address that is no web address or that asked for a
    // new window, and an editor page's navigation to a page-message address.
    // Nothing else shows that such a try has been handled.
    const std::vector<std::string>& refusedNavigations() const;

    // Whether the page's process ended (crash or kill) since the last load;
    // scripts then answer "" at once.
    bool isWebProcessTerminated() const;

    // The WebKitWebView (a GtkWidget*). It sits in an off-screen window until
    // the presenter takes it out (reference it, remove it from its parent,
    // add it to a container of a shown window).
    void* nativeWidget() const override;

private:
    static Result<std::unique_ptr<DMWebView>> makeEditor(const Rect& frame, std::vector<std::string> readableFolders);
    // Waits for a prepared page's blank start before the page's own load.
    void finishPreparing();
    struct Impl;
    enum class Kind { Application, Editor, Document, Browsing };
    DMWebView(const Rect& frame, Kind kind, std::optional<std::vector<std::string>> documentFolders);

    std::shared_ptr<Impl> m_impl;
};

} // namespace folio
