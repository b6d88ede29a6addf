#include "platform/docframework/DKWebViewController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TextField.h"
#include "platform/graphics/Image.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/View.h"
#include "platform/web/DMWebView.h"
#include "platform/web/WebView.h"
#include "support/DocumentTestSupport.h"
#include "support/LoopbackServer.h"
#include "webeditor/WebPageViewer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

// The in-app viewer on the real engine: it shows the page it is given and
// nothing else.
class WebPageViewerWebTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        presenter->loadViewIfNeeded();
        std::vector<std::uint8_t> pixels(8 * 8 * 4, 255);
        writeFile(folder.path("dot.png"), [&] {
            std::vector<std::uint8_t> png = *(*Image::imageWithPixels(8, 8, pixels))->pngData();
            return std::string(png.begin(), png.end());
        }());
        writeFile(folder.path("other.html"), "<p id='other'>Elsewhere</p>");
    }

    std::string run(const std::string& script)
    {
        WebView* page = viewer.webViewController() ? viewer.webViewController()->webView() : nullptr;
        return page ? page->stringByEvaluatingJavaScript(script) : std::string();
    }

    // Waits until the page's view has refused to go to an address ending
    // in `end`: the page then has handled the click that asked for it.
    bool refused(const std::string& end)
    {
        auto* view = dynamic_cast<DMWebView*>(viewer.webViewController()->webView());
        return view && RunLoop::main().runUntil(
            [&] {
                return std::any_of(view->refusedNavigations().begin(), view->refusedNavigations().end(),
                                   [&](const std::string& url) {
                                       return url.size() >= end.size() && url.compare(url.size() - end.size(), end.size(), end) == 0;
                                   });
            },
            60);
    }

    bool pageSays(const std::string& script, const std::string& expected)
    {
        return RunLoop::main().runUntil([&] { return run(script) == expected; }, 60);
    }

    ScratchFolder folder{"web-page-viewer"};
    std::shared_ptr<ViewController> presenter = std::make_shared<ViewController>();
    WebPageViewer viewer;
};

TEST_F(WebPageViewerWebTest, showsTheGivenLocalPageWithoutItsScriptsLinksOrNetwork)
{
    std::string page = folder.path("page.html");
    writeFile(page, "<html><head><title>Given</title><script>document.title='ran';</script></head><body>"
                    "<p id='given'>The given page</p><img id='local' src='dot.png'>"
                    "<img id='remote' src='http://127.0.0.1:9/far.png'><a id='away' href='other.html'>away</a>"
                    "</body></html>");
    ASSERT_TRUE(viewer.openInWebViewWithPath(URL::fileURLWithPath(page).absoluteString(), *presenter).ok());
    EXPECT_EQ(presenter->presentedViewController(), viewer.navigationController());
    EXPECT_FALSE(viewer.webViewController()->showsPrintMenu());
    EXPECT_TRUE(viewer.webViewController()->showsNavigationButtons());

    ASSERT_TRUE(pageSays("document.getElementById('given') ? document.getElementById('given').textContent : ''",
                         "The given page"));
    EXPECT_EQ(run("document.title"), "Given") << "the page's own script never runs";
    // The picture beside the page shows; nothing comes from the network.
    EXPECT_TRUE(pageSays("document.getElementById('local').complete && document.getElementById('local').naturalWidth",
                         "8"));
    EXPECT_TRUE(pageSays("document.getElementById('remote').complete", "1"));
    EXPECT_EQ(run("document.getElementById('remote').naturalWidth"), "0");

    // A followed link goes nowhere: the page stays the given one.
    std::string before = run("location.href");
    run("document.getElementById('away').click()");
    ASSERT_TRUE(refused("/other.html")) << "the link was never followed";
    EXPECT_EQ(run("location.href"), before);
    EXPECT_EQ(run("document.getElementById('given') ? 'given' : 'gone'"), "given");

    viewer.webViewController()->close();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return presenter->presentedViewController() == nullptr; }, 60));
}

TEST_F(WebPageViewerWebTest, webAndLocalPagesAreShownOthersAndAnUnreadableOneAreRefused)
{
    EXPECT_TRUE(WebPageViewer::showsAddress("https://example.com/"));
    EXPECT_TRUE(WebPageViewer::showsAddress("http://example.com/"));
    EXPECT_FALSE(WebPageViewer::showsAddress("mailto:someone@example.com"));
    EXPECT_FALSE(WebPageViewer::showsAddress("javascript:alert(1)"));
    EXPECT_TRUE(WebPageViewer::showsAddress(URL::fileURLWithPath(folder.path("other.html")).absoluteString()));

    Status script = viewer.openInWebViewWithPath("javascript:alert(1)", *presenter);
    ASSERT_FALSE(script.ok());
    EXPECT_EQ(script.error().code, WebPageViewer::NotALocalPage);
    Status missing =
        viewer.openInWebViewWithPath(URL::fileURLWithPath(folder.path("missing.html")).absoluteString(), *presenter);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, WebPageViewer::Unreadable);
    EXPECT_EQ(presenter->presentedViewController(), nullptr);
    EXPECT_EQ(viewer.webViewController(), nullptr);

    // Plain text is shown as written, never as markup.
    EXPECT_EQ(WebPageViewer::pageForFile("notes.txt", "<b>&</b>").find("<b>"), std::string::npos);
    EXPECT_NE(WebPageViewer::pageForFile("notes.txt", "<b>&</b>").find("&lt;b&gt;&amp;&lt;/b&gt;"), std::string::npos);
    EXPECT_EQ(WebPageViewer::pageForFile("page.HTML", "<b>x</b>"), "<b>x</b>");
}

TEST_F(WebPageViewerWebTest, aWebAddressIsBrowsedInAPageOfItsOwnWithItsTitleAndAddressShown)
{
    testing_support::LoopbackServer server(
        {{"/start", "<html><head><title>Start page</title></head><body><p id='p'>Research</p>"
                    "<a id='next' href='/next'>next</a><a id='file' href='file:///etc/hostname'>file</a>"
                    "<script>document.getElementById('p').dataset.ran = 'yes';</script></body></html>"},
         {"/next", "<html><head><title>Next page</title></head><body><p id='n'>Next</p></body></html>"},
         {"/other", "<html><head><title>Other page</title></head><body></body></html>"}});
    ASSERT_TRUE(server.isListening());
    ASSERT_TRUE(viewer.openInWebViewWithPath(server.url("/start"), *presenter).ok());
    EXPECT_EQ(presenter->presentedViewController(), viewer.navigationController());
    DKWebViewController& browser = *viewer.webViewController();
    auto titled = [&](const char16_t* title) {
        return RunLoop::main().runUntil([&] { return browser.navigationItem()->title() == title; }, 60);
    };
    ASSERT_TRUE(titled(u"Start page"));
    ASSERT_NE(browser.addressField(), nullptr);
    EXPECT_EQ(browser.addressField()->text(), toUtf16(server.url("/start")));
    EXPECT_EQ(run("document.getElementById('p').dataset.ran"), "yes") << "a web page runs its own scripts";
    EXPECT_EQ(run("window.webkit && window.webkit.messageHandlers && window.webkit.messageHandlers.rte ? 'bridge' : "
                  "'none'"),
              "none")
        << "a web page cannot talk to the application";

    // A local file is not followed; a web link is.
    // The engine refuses a web page's link to a local file within the
    // click; one it let through would ask the view, which refuses it too.
    // Either way the click has been handled once it returns.
    run("document.getElementById('file').click()");
    EXPECT_EQ(run("location.pathname"), "/start");
    EXPECT_FALSE(browser.webView()->isLoading());
    run("document.getElementById('next').click()");
    ASSERT_TRUE(titled(u"Next page"));
    EXPECT_EQ(browser.addressField()->text(), toUtf16(server.url("/next")));

    // An address typed into the bar is browsed to.
    browser.addressField()->setText(toUtf16(server.url("/other")));
    browser.addressField()->sendActionsForControlEvent(ControlEvent::PrimaryActionTriggered);
    ASSERT_TRUE(titled(u"Other page"));
    EXPECT_EQ(browser.addressField()->text(), toUtf16(server.url("/other")));

    EXPECT_EQ(DKWebViewController::webAddressForTypedText(u" example.org/a "), "https://example.org/a");
    EXPECT_EQ(DKWebViewController::webAddressForTypedText(u"localhost:8080/x"), "https://localhost:8080/x");
    EXPECT_EQ(DKWebViewController::webAddressForTypedText(u"file:///etc/passwd"), std::nullopt);
    EXPECT_EQ(DKWebViewController::webAddressForTypedText(u"javascript:alert(1)"), std::nullopt);
    EXPECT_EQ(DKWebViewController::webAddressForTypedText(u"  "), std::nullopt);

    // A page for HTML strings is never made to browse.
    DKWebViewController strings;
    ASSERT_TRUE(strings.loadHTMLString("<p>own</p>", "").ok());
    Status browsed = strings.loadURL(server.url("/start"));
    ASSERT_FALSE(browsed.ok());
    EXPECT_EQ(browsed.error().code, DKWebViewController::NotBrowsing);
    EXPECT_FALSE(strings.loadURL("file:///etc/passwd").ok());
}

} // namespace
} // namespace folio
