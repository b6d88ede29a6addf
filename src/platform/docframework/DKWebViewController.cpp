#include "platform/docframework/DKWebViewController.h"

#include "platform/docframework/DKWebViewControllerDelegate.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/View.h"
#include "platform/web/WebServices.h"

namespace folio {

namespace {

std::u16string localized(std::string_view key)
{
    return toUtf16(Localization::localizedString(key));
}

} // namespace

DKWebViewController::DKWebViewController(WebViewFactory factory) : m_factory(std::move(factory))
{
    // The items capture the controller rather than share it: it owns them
    // (also through its navigation item), and sharing would make a cycle.
    m_closeItem = BarButtonItem::withTitle(localized("Done"), [this](BarButtonItem&) { close(); });
    m_closeItem->setStyle(BarButtonItemStyle::Done);
    m_backItem = BarButtonItem::withTitle(localized("Back"), [this](BarButtonItem&) {
        if (WebView* page = webView())
            page->evaluateJavaScript("history.back();", [](const std::string&) {});
    });
    m_forwardItem = BarButtonItem::withTitle(localized("Forward"), [this](BarButtonItem&) {
        if (WebView* page = webView())
            page->evaluateJavaScript("history.forward();", [](const std::string&) {});
    });
    m_printItem = BarButtonItem::withTitle(localized("Print"), [this](BarButtonItem&) {
        if (WebView* page = webView())
            page->evaluateJavaScript("window.print();", [](const std::string&) {});
    });
    updateBarItems();
}

DKWebViewController::~DKWebViewController() = default;

WebView* DKWebViewController::ensureWebView()
{
    if (m_webView || m_webViewError)
        return m_webView.get();
    Rect frame = isViewLoaded() && !viewIfLoaded()->frame().isEmpty() ? viewIfLoaded()->frame() : kDefaultFrame;
    Result<std::unique_ptr<WebView>> made = makeWebView(m_factory, frame);
    if (!made) {
        m_webViewError = made.error();
        return nullptr;
    }
    m_webView = std::move(*made);
    return m_webView.get();
}

Result<std::unique_ptr<WebView>> DKWebViewController::makeWebView(const WebViewFactory& factory, const Rect& frame)
{
    Result<std::unique_ptr<WebView>> made = factory ? factory(frame) : WebServices::shared().makeWebView(frame);
    if (made && !*made)
        return Error{kErrorDomain, NoWebView, "The web view could not be made"};
    return made;
}

std::shared_ptr<View> DKWebViewController::viewShowing(WebView* page, const Rect& fallbackFrame)
{
    auto view = std::make_shared<View>(page ? page->frame() : fallbackFrame);
    // The presenter shows the engine's own widget in place of this view.
    if (page)
        view->setNativeWidgetHandle(page->nativeWidget());
    return view;
}

Status DKWebViewController::loadHTMLString(const std::string& html, const std::string& baseURL)
{
    WebView* page = ensureWebView();
    if (!page)
        return *m_webViewError;
    page->loadHTMLString(html, baseURL);
    return Status::success();
}

void DKWebViewController::loadView()
{
    setView(viewShowing(ensureWebView(), kDefaultFrame));
}

void DKWebViewController::viewDidLoad()
{
    updateBarItems();
}

void DKWebViewController::viewWillTransitionToSize(Size size)
{
    if (m_webView)
        m_webView->setFrame(Rect{m_webView->frame().origin, size});
}

void DKWebViewController::setShowNavigationButtons(bool show)
{
    m_showNavigationButtons = show;
    updateBarItems();
}

void DKWebViewController::setShowPrintMenu(bool show)
{
    m_showPrintMenu = show;
    updateBarItems();
}

void DKWebViewController::updateBarItems()
{
    std::shared_ptr<NavigationItem> item = navigationItem();
    item->setLeftBarButtonItems({m_closeItem});
    // Right items are listed from the outer edge inwards.
    std::vector<std::shared_ptr<BarButtonItem>> right;
    if (m_showPrintMenu)
        right.push_back(m_printItem);
    if (m_showNavigationButtons) {
        right.push_back(m_forwardItem);
        right.push_back(m_backItem);
    }
    item->setRightBarButtonItems(std::move(right));
}

void DKWebViewController::close()
{
    if (m_delegate)
        m_delegate->webViewControllerDidClose(*this);
}

void DKWebViewController::snapshotImage(SnapshotCompletion completion)
{
    if (!m_webView) {
        completion(m_webViewError ? *m_webViewError
                                  : Error{kErrorDomain, NoWebView, "The page has not been made yet"});
        return;
    }
    m_webView->takeSnapshot(WebView::SnapshotRegion::Visible, std::move(completion));
}

} // namespace folio
