#include "platform/docframework/DKWebViewController.h"

#include "platform/docframework/DKWebViewControllerDelegate.h"
#include "platform/docframework/WebPageView.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TextField.h"
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

DKWebViewController::~DKWebViewController()
{
    if (m_webView)
        m_webView->setDelegate(nullptr);
}

WebView* DKWebViewController::ensureWebView(PageKind kind)
{
    if (m_webView || m_webViewError)
        return m_webView.get();
    Rect frame = isViewLoaded() && !viewIfLoaded()->frame().isEmpty() ? viewIfLoaded()->frame() : kDefaultFrame;
    Result<std::unique_ptr<WebView>> made = m_factory || kind == PageKind::Application
        ? makeWebView(m_factory, frame)
        : WebServices::shared().makeBrowsingWebView(frame);
    if (made && !*made)
        made = Error{kErrorDomain, NoWebView, "The web view could not be made"};
    if (!made) {
        m_webViewError = made.error();
        return nullptr;
    }
    m_webView = std::move(*made);
    m_pageKind = kind;
    m_webView->setDelegate(this);
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
    // The presenter shows the engine's own widget in place of this view.
    return std::make_shared<WebPageView>(page ? page->frame() : fallbackFrame, page);
}

bool DKWebViewController::webViewShouldStartLoadWithRequest(WebView&, const std::string& url, NavigationType type)
{
    if (type != NavigationType::LinkClicked || m_pageKind == PageKind::Browsing || !m_delegate)
        return true;
    return !m_delegate->webViewControllerShouldOpenLink(*this, url);
}

Status DKWebViewController::loadHTMLString(const std::string& html, const std::string& baseURL)
{
    WebView* page = ensureWebView();
    if (!page)
        return *m_webViewError;
    page->loadHTMLString(html, baseURL);
    return Status::success();
}

std::optional<std::string> DKWebViewController::webAddressForTypedText(const std::u16string& typed)
{
    std::string address = toUtf8(typed);
    std::size_t first = address.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::nullopt;
    address = address.substr(first, address.find_last_not_of(" \t\r\n") - first + 1);
    if (address.rfind("http://", 0) == 0 || address.rfind("https://", 0) == 0)
        return address;
    // Another scheme ("file:", "javascript:") is not browsed to.
    std::size_t colon = address.find(':');
    std::size_t slash = address.find('/');
    if (colon != std::string::npos && (slash == std::string::npos || colon < slash)) {
        // "host:8080" names a port; anything else before a slash is a scheme.
        std::size_t portEnd = slash == std::string::npos ? address.size() : slash;
        bool port = portEnd > colon + 1 && address.find_first_not_of("0123456789", colon + 1) >= portEnd;
        if (!port)
            return std::nullopt;
    }
    return "https://" + address;
}

Status DKWebViewController::loadURL(const std::string& url)
{
    if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0)
        return Error{kErrorDomain, NotAWebAddress, "Only web addresses are browsed: " + url};
    WebView* page = ensureWebView(PageKind::Browsing);
    if (!page)
        return *m_webViewError;
    if (m_pageKind != PageKind::Browsing)
        return Error{kErrorDomain, NotBrowsing, "This page shows the application's own content"};
    if (!m_addressField) {
        m_addressField = std::make_shared<TextField>(Rect{{0, 0}, {360, 30}});
        m_addressField->setPlaceholder(localized("Address"));
        m_addressField->addAction(ControlEvent::PrimaryActionTriggered, [this](Control&) {
            if (std::optional<std::string> typed = webAddressForTypedText(m_addressField->text()))
                (void)loadURL(*typed);
        });
        m_addressItem = BarButtonItem::withCustomView(m_addressField);
        updateBarItems();
    }
    m_addressField->setText(toUtf16(url));
    page->loadURL(url);
    return Status::success();
}

void DKWebViewController::showPageTitleAndAddress()
{
    if (!m_webView || m_pageKind != PageKind::Browsing)
        return;
    // A page that never loaded keeps the address that was asked for.
    if (std::string address = m_webView->currentURL(); m_addressField && !address.empty())
        m_addressField->setText(toUtf16(address));
    // Setting the title redraws the bar, the address field with it.
    navigationItem()->setTitle(toUtf16(m_webView->title()));
}

void DKWebViewController::webViewDidFinishLoad(WebView&)
{
    showPageTitleAndAddress();
}

void DKWebViewController::webViewDidChangeTitle(WebView&)
{
    showPageTitleAndAddress();
}

void DKWebViewController::webViewDidFailLoad(WebView&, const std::string&)
{
    if (m_pageKind != PageKind::Browsing)
        return;
    if (std::string address = m_webView ? m_webView->currentURL() : std::string(); m_addressField && !address.empty())
        m_addressField->setText(toUtf16(address));
    navigationItem()->setTitle(localized("Cannot Open Page"));
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
    if (m_addressItem)
        item->setLeftBarButtonItems({m_closeItem, m_addressItem});
    else
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
