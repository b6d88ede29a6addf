#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ViewController.h"
#include "platform/web/WebViewDelegate.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class BarButtonItem;
class DKWebViewControllerDelegate;
class TextField;
class WebView;

// The in-app web page: shows an HTML string, or browses from a web address,
// under a navigation bar with a close button, and optionally back/forward
// buttons and a print button. The page is made on first use by the factory
// (unless one is given: a DMWebView for an HTML string, a browsing page of
// its own for a web address, never a document's page), so that tests can
// hand in a scripted page. While it browses, the bar shows the page's title
// and an address field that opens what is typed into it.
class DKWebViewController : public ViewController, private WebViewDelegate {
public:
    using WebViewFactory = std::function<Result<std::unique_ptr<WebView>>(const Rect& frame)>;
    using SnapshotCompletion = std::function<void(Result<Image::Pointer> image)>;

    static constexpr const char* kErrorDomain = "DKWebViewController";
    enum ErrorCode { NoWebView = 1, NotAWebAddress = 2, NotBrowsing = 3 };
    // The page's size until the presenter gives the view its own.
    static constexpr Rect kDefaultFrame{{0, 0}, {768, 1024}};

    explicit DKWebViewController(WebViewFactory factory = {});
    ~DKWebViewController() override;

    // Not owned; it must outlive the controller or be reset first.
    void setDelegate(DKWebViewControllerDelegate* delegate) { m_delegate = delegate; }
    DKWebViewControllerDelegate* delegate() const { return m_delegate; }

    // Makes the page when needed. Fails, with the reason, when no page can be made.
    Status loadHTMLString(const std::string& html, const std::string& baseURL);
    // Browses to a web address (http or https) in a browsing page, made
    // when needed; fails when the page is one for HTML strings.
    Status loadURL(const std::string& url);
    // What the user typed, as a web address: "https://" in front of an
    // address without a scheme; none for an empty text or another scheme.
    static std::optional<std::string> webAddressForTypedText(const std::u16string& typed);
    // The address field, while the controller browses.
    const std::shared_ptr<TextField>& addressField() const { return m_addressField; }

    bool showsNavigationButtons() const { return m_showNavigationButtons; }
    void setShowNavigationButtons(bool show);
    bool showsPrintMenu() const { return m_showPrintMenu; }
    void setShowPrintMenu(bool show);

    // The user's close: only the delegate acts on it.
    void close();

    // A picture of what the page shows, at the view's size; the completion
    // hears why there is none (no page, or the engine could not draw it).
    void snapshotImage(SnapshotCompletion completion);

    // The page, once made; null before or when it could not be made.
    WebView* webView() const { return m_webView.get(); }
    // Why the page could not be made, if it could not.
    const std::optional<Error>& webViewError() const { return m_webViewError; }

    // A page from the factory, or a DMWebView without one; an error says why
    // there is none.
    static Result<std::unique_ptr<WebView>> makeWebView(const WebViewFactory& factory, const Rect& frame);
    // The view that stands for the page in a window: the presenter shows the
    // engine's own widget in its place.
    static std::shared_ptr<View> viewShowing(WebView* page, const Rect& fallbackFrame);

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewWillTransitionToSize(Size size) override;

private:
    enum class PageKind { Application, Browsing };
    WebView* ensureWebView(PageKind kind = PageKind::Application);
    void updateBarItems();
    void showPageTitleAndAddress();

    // WebViewDelegate: the bar follows the page's title and address.
    bool webViewShouldStartLoadWithRequest(WebView& webView, const std::string& url, NavigationType type) override;
    void webViewDidFinishLoad(WebView& webView) override;
    void webViewDidChangeTitle(WebView& webView) override;
    void webViewDidFailLoad(WebView& webView, const std::string& message) override;

    WebViewFactory m_factory;
    std::unique_ptr<WebView> m_webView;
    PageKind m_pageKind = PageKind::Application;
    std::shared_ptr<TextField> m_addressField;
    std::shared_ptr<BarButtonItem> m_addressItem;
    std::optional<Error> m_webViewError;
    DKWebViewControllerDelegate* m_delegate = nullptr;
    bool m_showNavigationButtons = true;
    bool m_showPrintMenu = true;
    std::shared_ptr<BarButtonItem> m_closeItem;
    std::shared_ptr<BarButtonItem> m_backItem;
    std::shared_ptr<BarButtonItem> m_forwardItem;
    std::shared_ptr<BarButtonItem> m_printItem;
};

} // namespace folio
