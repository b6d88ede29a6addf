#include "webeditor/WebPageViewer.h"

#include "platform/docframework/DKWebViewController.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/ResourceTemplate.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/UIThemes.h"
#include "platform/web/WebServices.h"

#include <filesystem>

namespace folio {

namespace {

bool isHTMLFile(const std::string& path)
{
    std::string extension = asciiLowercaseString(std::filesystem::path(path).extension().string());
    return extension == ".html" || extension == ".htm" || extension == ".xhtml";
}

} // namespace

WebPageViewer::~WebPageViewer()
{
    if (m_controller)
        m_controller->setDelegate(nullptr);
}

bool WebPageViewer::isWebAddress(const std::string& address)
{
    return hasPrefix(address, "http://") || hasPrefix(address, "https://");
}

bool WebPageViewer::showsAddress(const std::string& address)
{
    if (isWebAddress(address))
        return true;
    std::optional<URL> url = URL::URLWithString(address);
    return url && url->isFileURL() && !url->path().empty();
}

std::string WebPageViewer::pageForFile(const std::string& path, const std::string& content)
{
    if (isHTMLFile(path))
        return content;
    std::string text = toUtf8(HTMLTextEscaper::escape(toUtf16(content)));
    const Result<ResourceTemplate>& page = ResourceTemplate::shared("text-file-page.html", "pages");
    Result<std::string> filled = page ? page->filled({{"text", text}}) : Result<std::string>(page.error());
    if (filled)
        return std::move(*filled);
    // A broken installation still shows the file's text, unwrapped.
    TELog(TELogLevelError, filled.error().message);
    return text;
}

Status WebPageViewer::openInWebViewWithPath(const std::string& address, ViewController& presenter,
                                            DKWebViewController::WebViewFactory factory)
{
    if (isWebAddress(address)) {
        auto controller = std::make_shared<DKWebViewController>(std::move(factory));
        controller->setDelegate(this);
        controller->setShowNavigationButtons(true);
        controller->setShowPrintMenu(false);
        // The browsing page first, so that the view shows it.
        if (Status loaded = controller->loadURL(address); !loaded)
            return loaded;
        controller->loadViewIfNeeded();
        return present(std::move(controller), presenter);
    }
    std::optional<URL> url = URL::URLWithString(address);
    if (!url || !url->isFileURL() || url->path().empty())
        return Error{kErrorDomain, NotALocalPage, "Only a local page opens in the viewer: " + address};
    std::string path = url->path();
    Result<Data> bytes = Data::dataWithContentsOfFile(path);
    if (!bytes)
        return Error{kErrorDomain, Unreadable, bytes.error().message};
    std::string folder = std::filesystem::path(path).parent_path().string();
    auto controller = std::make_shared<DKWebViewController>([folder](const Rect& frame) {
        return WebServices::shared().makeDocumentWebView(frame, {folder});
    });
    controller->setDelegate(this);
    controller->setShowNavigationButtons(true);
    controller->setShowPrintMenu(false);
    controller->loadViewIfNeeded();
    if (Status loaded = controller->loadHTMLString(pageForFile(path, std::string(bytes->stringView())),
                                                   URL::fileURLWithPath(path).absoluteString());
        !loaded)
        return loaded;
    return present(std::move(controller), presenter);
}

Status WebPageViewer::present(std::shared_ptr<DKWebViewController> controller, ViewController& presenter)
{
    // One viewer at a time: a new address replaces the page still shown.
    if (ViewController* shown = m_navigation ? m_navigation->presentingViewController() : nullptr)
        shown->dismissViewControllerAnimated(false);
    auto navigation = NavigationController::withRootViewController(controller);
    navigation->setNavigationBarColors(
        {UIThemes::DKDocumentViewTopToolBarBackgroundColor(), UIThemes::DKPickerNavigationBarTintColor()});
    if (Status presented = presenter.presentViewController(navigation, true); !presented)
        return Error{kErrorDomain, NoPresenter, presented.error().message};
    if (m_controller)
        m_controller->setDelegate(nullptr);
    m_controller = std::move(controller);
    m_navigation = std::move(navigation);
    return {};
}

void WebPageViewer::webViewControllerDidClose(DKWebViewController& controller)
{
    if (&controller != m_controller.get())
        return;
    if (ViewController* presenting = m_navigation ? m_navigation->presentingViewController() : nullptr)
        presenting->dismissViewControllerAnimated(true);
}

} // namespace folio
