#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/web/DMWebView.h"
#include "platform/web/WebViewDelegate.h"
#include "webeditor/PageResources.h"
#include "platform/gtk/GtkRealKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace folio::test {

// A real WebKit page for the page tests: loads HTML, collects the page's
// messages and answers scripts synchronously.
class WebPageFixture : public ::testing::Test, public WebViewDelegate {
protected:
    // Generous: the first page of a run also starts WebKit's processes.
    static constexpr double kEngineWaitSeconds = 60;

    void SetUp() override
    {
        // The primary selection is the display's: a page beside this one
        // selecting text would take it and collapse this page's selection.
        test::usePrivateDisplay();
        Result<std::unique_ptr<DMWebView>> created = DMWebView::create(makeRect(0, 0, 800, 600));
        ASSERT_TRUE(created.ok()) << created.error().message;
        view = std::move(*created);
        view->setDelegate(this);
    }

    void TearDown() override
    {
        if (view)
            view->setDelegate(nullptr);
    }

    void webViewDidReceivePageMessage(WebView&, const std::string& message) override { messages.push_back(message); }
    void webViewDidFinishLoad(WebView&) override { ++finishedLoads; }

    bool waitFor(const std::function<bool()>& condition, double seconds = kEngineWaitSeconds)
    {
        return RunLoop::main().runUntil(condition, seconds);
    }

    bool waitForMessage(const std::string& message)
    {
        return waitFor([&] { return std::find(messages.begin(), messages.end(), message) != messages.end(); });
    }

    void load(const std::string& html, const std::string& baseURL)
    {
        int before = finishedLoads;
        view->loadHTMLString(html, baseURL);
        ASSERT_TRUE(waitFor([&] { return finishedLoads > before; })) << "the page did not load";
    }

    static std::string scriptTag(const std::optional<std::string>& url)
    {
        EXPECT_TRUE(url) << "a page file is not installed beside the tests";
        return "<script src='" + url.value_or("missing") + "'></script>";
    }

    std::string run(const std::string& script) { return view->stringByEvaluatingJavaScript(script); }

    std::unique_ptr<DMWebView> view;
    std::vector<std::string> messages;
    int finishedLoads = 0;
};

} // namespace folio::test
