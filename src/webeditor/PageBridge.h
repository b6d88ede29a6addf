#pragma once

#include "platform/web/WebView.h"
#include "platform/web/WebViewDelegate.h"
#include "webeditor/PageMessageDispatcher.h"
#include "webeditor/ReadyPoller.h"

#include <string>

namespace folio {

class PageBridgeClient;
class PageConnection;
class PageDialect;

// The editor's side of the page protocol, as the web view's delegate.
//
// Navigations: while closing everything is refused; page messages are
// cancelled and dispatched; a link the user activates opens in the browser
// and the page stays; the page's own local loads go through, and nothing
// else may replace the page holding the document.
//
// Messages: dropped while closing and without a document; the ready signal
// starts the editor's ready step once per page; every other message goes to
// the dispatcher, whose ready-gated routes wait for that step to finish.
//
// Keys typed into the view from the time a page starts loading wait until
// its ready step has run, then reach the page in order; a page that fails,
// or a close, drops them.
class PageBridge final : public WebViewDelegate {
public:
    static constexpr double kLoadStatusDelaySeconds = 0.3;
    // How long a loaded page may take to report ready. Generous, since a
    // large document takes seconds to lay out on a slow machine; a page
    // that is broken never reports at all.
    static constexpr double kReadyTimeoutSeconds = 60;

    PageBridge(PageConnection& connection, const PageDialect& dialect, PageBridgeClient& client);
    ~PageBridge() override;
    PageBridge(const PageBridge&) = delete;
    PageBridge& operator=(const PageBridge&) = delete;

    PageMessageDispatcher& dispatcher() { return m_dispatcher; }

    // The editor is about to load a new page into the view.
    void pageWillLoad();

    bool isPageReady() const { return m_ready; }
    // A page was asked to load and has neither become ready nor failed.
    bool isStarting() const { return m_loadRequested && !m_ready && !m_failed && !m_closing; }
    // The page failed to load or never became ready; it stays unheard.
    bool hasFailed() const { return m_failed; }
    int finishedLoadCount() const { return m_finishedLoads; }

    // From here on nothing of the page reaches the editor; pending delayed
    // steps are dropped.
    void beginClosing();
    bool isClosing() const { return m_closing; }

    // WebViewDelegate
    bool webViewShouldStartLoadWithRequest(WebView& webView, const std::string& url, NavigationType type) override;
    void webViewDidReceivePageMessage(WebView& webView, const std::string& message) override;
    void webViewDidFinishLoad(WebView& webView) override;
    void webViewDidFailLoad(WebView& webView, const std::string& message) override;
    // The page is gone: the connection is cut, so reads answer their
    // defaults at once instead of waiting for a page that will not answer.
    void webViewWebProcessDidTerminate(WebView& webView, const std::string& reason) override;

private:
    void receive(const std::string& message);
    void runReadyStep();
    void releaseTypedKeys(WebView::HeldKeys what);
    void checkLoadingStatus();
    void fail(const std::string& reason);

    PageConnection& m_connection;
    const PageDialect& m_dialect;
    PageBridgeClient& m_client;
    PageMessageDispatcher m_dispatcher;
    ReadyPoller m_poller;
    bool m_loadRequested = false;
    bool m_ready = false;
    bool m_closing = false;
    bool m_failed = false;
    int m_finishedLoads = 0;
};

} // namespace folio
