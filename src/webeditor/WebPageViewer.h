#pragma once

#include "platform/docframework/DKWebViewController.h"
#include "platform/docframework/DKWebViewControllerDelegate.h"
#include "platform/foundation/Error.h"

#include <memory>
#include <string>

namespace folio {

class DKWebViewController;
class NavigationController;
class ViewController;

// The in-app page a web-view editor opens for a link, and its research
// browser. A web address is browsed in a page of its own (never the
// document's page, which is not touched); a link to a local page shows the
// file read-only in a page that runs none of its scripts, follows none of
// its links and loads nothing from the network, where only pictures beside
// the file show.
class WebPageViewer final : public DKWebViewControllerDelegate {
public:
    static constexpr const char* kErrorDomain = "WebPageViewer";
    enum ErrorCode { NotALocalPage = 1, Unreadable = 2, NoPresenter = 3 };
    // Where research starts unless the user's last page is kept.
    static constexpr const char* kWebClipLastUsedURLKey = "webClipLastUsedURL";
    static constexpr const char* kDefaultResearchPage = "https://en.wikipedia.org/";

    WebPageViewer() = default;
    ~WebPageViewer() override;
    WebPageViewer(const WebPageViewer&) = delete;
    WebPageViewer& operator=(const WebPageViewer&) = delete;

    // Whether the address is one the viewer shows (a web page or a local file).
    static bool showsAddress(const std::string& address);
    static bool isWebAddress(const std::string& address);
    // The page for a file's content: an HTML file as it is, any other text
    // escaped and kept as written.
    static std::string pageForFile(const std::string& path, const std::string& content);

    // Presents the viewer over `presenter`, animated, for the address.
    // `factory`, for tests, makes the page.
    Status openInWebViewWithPath(const std::string& address, ViewController& presenter,
                                 DKWebViewController::WebViewFactory factory = {});
    const std::shared_ptr<DKWebViewController>& webViewController() const { return m_controller; }
    const std::shared_ptr<NavigationController>& navigationController() const { return m_navigation; }

    // DKWebViewControllerDelegate
    void webViewControllerDidClose(DKWebViewController& controller) override;

private:
    Status present(std::shared_ptr<DKWebViewController> controller, ViewController& presenter);

    std::shared_ptr<DKWebViewController> m_controller;
    std::shared_ptr<NavigationController> m_navigation;
};

} // namespace folio
