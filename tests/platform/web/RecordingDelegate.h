#pragma once

#include "platform/web/WebViewDelegate.h"

#include <functional>
#include <string>
#include <vector>

namespace folio::testing {

// Records what a web view tells its delegate, and refuses the navigations
// the test names.
class RecordingDelegate : public WebViewDelegate {
public:
    struct Navigation {
        std::string url;
        NavigationType type;
    };

    std::function<bool(const std::string& url)> refuse = [](const std::string&) { return false; };

    bool webViewShouldStartLoadWithRequest(WebView&, const std::string& url, NavigationType type) override
    {
        navigations.push_back({url, type});
        return !refuse(url);
    }
    void webViewDidReceivePageMessage(WebView&, const std::string& message) override { messages.push_back(message); }
    void webViewDidFinishLoad(WebView&) override { ++finishedLoads; }
    void webViewDidFailLoad(WebView&, const std::string& message) override { failures.push_back(message); }

    std::vector<Navigation> navigations;
    std::vector<std::string> messages;
    std::vector<std::string> failures;
    int finishedLoads = 0;
};

} // namespace folio::testing
