#pragma once

#include "platform/docframework/DKWebViewControllerDelegate.h"
#include "platform/foundation/Error.h"

#include <memory>
#include <string>

namespace folio {

class DKWebViewController;
class NavigationController;
class ViewController;

// The in-app page a web-view editor opens for a link to a local page: the
// file the link names, shown read-only in a page that runs none of its
// scripts, follows none of its links and loads nothing from the network;
// only pictures beside the file show. Web and mail addresses go to the
// desktop's own browser instead, which is where the user browses.
class WebPageViewer final : public DKWebViewControllerDelegate {
public:
    static constexpr const char* kErrorDomain = "WebPageViewer";
    enum ErrorCode { NotALocalPage = 1, Unreadable = 2, NoPresenter = 3 };

    WebPageViewer() = default;
    ~WebPageViewer() override;
    WebPageViewer(const WebPageViewer&) = delete;
    WebPageViewer& operator=(const WebPageViewer&) = delete;

    // Whether the address is one the viewer shows (a local file).
    static bool showsAddress(const std::string& address);
    // The page for a file's content: an HTML file as it is, any other text
    // escaped and kept as written.
    static std::string pageForFile(const std::string& path, const std::string& content);

    // Presents the viewer over `presenter`, animated, for the address.
    Status openInWebViewWithPath(const std::string& address, ViewController& presenter);
    const std::shared_ptr<DKWebViewController>& webViewController() const { return m_controller; }
    const std::shared_ptr<NavigationController>& navigationController() const { return m_navigation; }

    // DKWebViewControllerDelegate
    void webViewControllerDidClose(DKWebViewController& controller) override;

private:
    std::shared_ptr<DKWebViewController> m_controller;
    std::shared_ptr<NavigationController> m_navigation;
};

} // namespace folio
