#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ViewController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class BarButtonItem;
class DKWebViewControllerDelegate;
class WebView;

// The in-app web page: shows an HTML string under a navigation bar with a
// close button, and optionally back/forward buttons and a print button.
// The page is made on first use by the factory (a DMWebView unless one is
// given), so that tests can hand in a scripted page.
class DKWebViewController : public ViewController {
public:
    using WebViewFactory = std::function<Result<std::unique_ptr<WebView>>(const Rect& frame)>;
    using SnapshotCompletion = std::function<void(Result<Image::Pointer> image)>;

    static constexpr const char* kErrorDomain = "DKWebViewController";
    enum ErrorCode { NoWebView = 1 };
    // The page's size until the presenter gives the view its own.
    static constexpr Rect kDefaultFrame{{0, 0}, {768, 1024}};

    explicit DKWebViewController(WebViewFactory factory = {});
    ~DKWebViewController() override;

    // Not owned; it must outlive the controller or be reset first.
    void setDelegate(DKWebViewControllerDelegate* delegate) { m_delegate = delegate; }
    DKWebViewControllerDelegate* delegate() const { return m_delegate; }

    // Makes the page when needed. Fails, with the reason, when no page can be made.
    Status loadHTMLString(const std::string& html, const std::string& baseURL);

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
    WebView* ensureWebView();
    void updateBarItems();

    WebViewFactory m_factory;
    std::unique_ptr<WebView> m_webView;
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
