#pragma once

#include <string>

namespace folio {

class WebView;

// Why a navigation starts. The values are those the editors compare against
// (a link activation is 0).
enum class NavigationType : int {
    LinkClicked = 0,
    FormSubmitted = 1,
    BackForward = 2,
    Reload = 3,
    FormResubmitted = 4,
    Other = 5,
};

// What a web view tells the object that drives its page. Every callback
// arrives on the main thread, in the page's order.
class WebViewDelegate {
public:
    virtual ~WebViewDelegate() = default;

    // Every navigation except page messages; answering false cancels it.
    virtual bool webViewShouldStartLoadWithRequest(WebView& webView, const std::string& url, NavigationType type)
    {
        (void)webView, (void)url, (void)type;
        return true;
    }

    // A page message ("rte://..." or "x-twwebview://dom-loaded"), whether the
    // page navigated to it or posted it to the "rte" message handler. The
    // navigation itself is always cancelled, so the page stays as it is.
    virtual void webViewDidReceivePageMessage(WebView& webView, const std::string& message)
    {
        (void)webView, (void)message;
    }

    // The main frame finished loading.
    virtual void webViewDidFinishLoad(WebView& webView) { (void)webView; }

    // The page's title changed (it may come after the load has finished).
    virtual void webViewDidChangeTitle(WebView& webView) { (void)webView; }

    // The page's process ended (it crashed or was killed): the page is gone
    // and no script will answer; `reason` says why, for a message.
    virtual void webViewWebProcessDidTerminate(WebView& webView, const std::string& reason)
    {
        (void)webView, (void)reason;
    }

    // The main frame failed to load (never for a cancelled navigation).
    virtual void webViewDidFailLoad(WebView& webView, const std::string& message)
    {
        (void)webView, (void)message;
    }
};

} // namespace folio
