#include "webeditor/PageBridge.h"

#include "platform/foundation/RunLoop.h"
#include "platform/web/WebView.h"
#include "webeditor/PageBridgeClient.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageDialect.h"
#include "webeditor/PageMessage.h"

namespace folio {

namespace {

constexpr const char* kLoadStatusSelector = "loadingStatusChanged";
constexpr const char* kReadyTimeoutSelector = "readyTimedOut";

bool hasScheme(const std::string& url, std::string_view scheme)
{
    return url.size() > scheme.size() && url.compare(0, scheme.size(), scheme) == 0;
}

// What a page may load into its own view: its own document and what it makes
// itself. Everything from outside goes to the browser or nowhere.
bool isLocalPageLoad(const std::string& url)
{
    return hasScheme(url, "about:") || hasScheme(url, "file:") || hasScheme(url, "data:")
        || hasScheme(url, "blob:");
}

} // namespace

PageBridge::PageBridge(PageConnection& connection, const PageDialect& dialect, PageBridgeClient& client)
    : m_connection(connection)
    , m_dialect(dialect)
    , m_client(client)
    , m_poller(connection, dialect)
{
}

PageBridge::~PageBridge()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

void PageBridge::pageWillLoad()
{
    m_loadRequested = true;
    m_ready = false;
    m_failed = false;
    // Keys typed before the page holds the document would be lost in a page
    // about to be replaced, or counted as changes it never saw.
    if (WebView* view = m_connection.webView())
        view->holdTypedKeys();
    RunLoop::main().cancelPreviousPerformRequests(this, kReadyTimeoutSelector);
    m_poller.pageWillLoad();
}

void PageBridge::beginClosing()
{
    m_closing = true;
    releaseTypedKeys(WebView::HeldKeys::Discard);
    m_poller.cancel();
    RunLoop::main().cancelPreviousPerformRequests(this);
}

bool PageBridge::webViewShouldStartLoadWithRequest(WebView&, const std::string& url, NavigationType type)
{
    if (m_closing)
        return false;
    if (hasScheme(url, "rte:") || hasScheme(url, "x-twwebview:")) {
        receive(url);
        return false;
    }
    if (type == NavigationType::LinkClicked) {
        // A link "clicked" before the page is ready was not the user's: the
        // page is still being built from the document.
        if (m_ready && m_client.hasDocument())
            m_client.openLinkInBrowser(url);
        return false;
    }
    return isLocalPageLoad(url);
}

void PageBridge::webViewDidReceivePageMessage(WebView&, const std::string& message)
{
    receive(message);
}

void PageBridge::receive(const std::string& message)
{
    if (m_closing || m_failed || !m_client.hasDocument())
        return;
    if (m_poller.handleMessage(message, [this] { runReadyStep(); }))
        return;
    std::optional<PageMessage> parsed = PageMessage::parse(message);
    if (!parsed)
        return;
    bool handled = m_dispatcher.dispatch(*parsed, m_ready);
    // The handler may have started the close.
    if (!m_closing)
        m_client.pageMessageWasProcessed(*parsed, handled);
}

void PageBridge::runReadyStep()
{
    if (m_closing || m_failed || !m_client.hasDocument())
        return;
    RunLoop::main().cancelPreviousPerformRequests(this, kReadyTimeoutSelector);
    // A document just opened is typed into at once, as in any editor. The
    // editing area is focused before the ready step, whose scripts then put
    // the caret and the scroll where the reader left off.
    if (m_client.pageTakesTheKeyboard())
        m_connection.send(m_dialect.focusScript());
    m_client.pageDidBecomeReady();
    if (m_closing)
        return;
    m_ready = true;
    // Keys typed while the page loaded were meant for the document, which
    // had no caret yet: they go into the editing area, after the ready
    // step's own scripts have settled what may be typed.
    WebView* view = m_connection.webView();
    if (view && view->hasHeldTypedKeys())
        m_connection.send(m_dialect.focusScript());
    releaseTypedKeys(WebView::HeldKeys::Deliver);
}

void PageBridge::releaseTypedKeys(WebView::HeldKeys what)
{
    if (WebView* view = m_connection.webView())
        view->releaseTypedKeys(what);
}

void PageBridge::webViewDidFinishLoad(WebView&)
{
    if (m_closing || m_failed)
        return;
    ++m_finishedLoads;
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kLoadStatusSelector);
    loop.performSelectorAfterDelay(this, kLoadStatusSelector, {}, kLoadStatusDelaySeconds,
                                   [this] { checkLoadingStatus(); });
    if (!m_ready && !m_poller.hasStartedReadyStep()) {
        loop.cancelPreviousPerformRequests(this, kReadyTimeoutSelector);
        loop.performSelectorAfterDelay(this, kReadyTimeoutSelector, {}, kReadyTimeoutSeconds, [this] {
            if (!m_ready && !m_poller.hasStartedReadyStep())
                fail("the editing page did not start");
        });
    }
    m_poller.pageDidFinishLoad();
    m_client.pageDidFinishLoad();
}

void PageBridge::checkLoadingStatus()
{
    WebView* view = m_connection.webView();
    if (!m_closing && view && !view->isLoading())
        m_client.pageDidFinishLoading();
}

void PageBridge::webViewDidFailLoad(WebView&, const std::string& message)
{
    if (m_closing || m_failed)
        return;
    m_client.pageDidFailToLoad(message);
    // A page that was ready keeps its text; one that never was has none to offer.
    if (!m_ready && !m_poller.hasStartedReadyStep())
        fail(message);
}

void PageBridge::fail(const std::string& reason)
{
    m_failed = true;
    m_poller.cancel();
    // Nothing typed into a page that never held the document can be kept.
    releaseTypedKeys(WebView::HeldKeys::Discard);
    RunLoop::main().cancelPreviousPerformRequests(this);
    m_client.pageCannotBeEdited(reason);
}

void PageBridge::webViewWebProcessDidTerminate(WebView&, const std::string& reason)
{
    m_ready = false;
    m_poller.pageWillLoad();
    RunLoop::main().cancelPreviousPerformRequests(this, kLoadStatusSelector);
    RunLoop::main().cancelPreviousPerformRequests(this, kReadyTimeoutSelector);
    m_connection.disconnect();
    if (!m_closing)
        m_client.pageProcessDidTerminate(reason);
}

} // namespace folio
