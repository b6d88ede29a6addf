#include "webeditor/PageBridge.h"

#include "platform/web/FakeWebView.h"
#include "support/VirtualClock.h"
#include "webeditor/PageConnection.h"
#include "webeditor/ReadyPoller.h"
#include "webeditor/TestDialect.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using Gate = PageMessageDispatcher::Gate;

class PageBridgeTest : public test::VirtualClockTest {
protected:
    PageBridgeTest()
    {
        view.setDelegate(&bridge);
        for (const char* token : {"onkeydownEvent", "dirtyEvent", "cutEventList", "cutEvent"})
            route(token, Gate::Always);
        for (const char* token : {"startScrollEvent", "endScrollEvent", "imageTouchedEvent", "pasteEvent"})
            route(token, Gate::WhenReady);
    }

    void route(const std::string& token, Gate gate)
    {
        bridge.dispatcher().add(token, gate, [this](const PageMessage& message) {
            handled.push_back(message.hasData ? message.token + "#" + message.data : message.token);
        });
    }

    void becomeReady()
    {
        view.finishLoad();
        view.sendPageMessage(ReadyPoller::kDOMLoadedSignal);
        ASSERT_TRUE(bridge.isPageReady());
    }

    FakeWebView view;
    PageConnection connection{&view};
    test::TestDialect dialect;
    test::RecordingEditor editor;
    PageBridge bridge{connection, dialect, editor};
    std::vector<std::string> handled;
};

TEST_F(PageBridgeTest, dispatchesInThePagesOrderAndHoldsGatedMessagesUntilReady)
{
    for (const char* message : {"rte://onkeydownEvent", "rte://endScrollEvent#5_900", "rte://dirtyEvent",
                                "rte://pasteEvent", "rte://cutEventList", "rte://cutEvent", "rte://unknownEvent"})
        view.sendPageMessage(message);
    EXPECT_EQ(handled, (std::vector<std::string>{"onkeydownEvent", "dirtyEvent", "cutEventList", "cutEvent"}));
    EXPECT_EQ(editor.processed, (std::vector<std::string>{"onkeydownEvent", "endScrollEvent?", "dirtyEvent",
                                                          "pasteEvent?", "cutEventList", "cutEvent",
                                                          "unknownEvent?"}));

    becomeReady();
    handled.clear();
    view.sendPageMessage("rte://startScrollEvent");
    view.sendPageMessage("rte://endScrollEvent#120_3400");
    view.sendPageMessage("rte://imageTouchedEvent");
    EXPECT_EQ(handled,
              (std::vector<std::string>{"startScrollEvent", "endScrollEvent#120_3400", "imageTouchedEvent"}));
}

TEST_F(PageBridgeTest, firstRouteOfATokenDecides)
{
    bridge.dispatcher().add("dirtyEvent", Gate::Always, [this](const PageMessage&) { handled.push_back("second"); });
    view.sendPageMessage("rte://dirtyEvent");
    EXPECT_EQ(handled, (std::vector<std::string>{"dirtyEvent"}));
}

TEST_F(PageBridgeTest, nothingReachesTheEditorWithoutDocumentOrWhileClosing)
{
    becomeReady();
    editor.document = false;
    view.sendPageMessage("rte://dirtyEvent");
    EXPECT_TRUE(handled.empty());
    EXPECT_FALSE(view.simulateNavigation("https://example.test/", NavigationType::LinkClicked));
    EXPECT_TRUE(editor.links.empty());

    editor.document = true;
    bridge.beginClosing();
    view.sendPageMessage("rte://dirtyEvent");
    view.sendPageMessage("rte://endScrollEvent#1_2");
    EXPECT_TRUE(handled.empty());
    EXPECT_TRUE(editor.processed.empty());
    // Every navigation is refused, also the page's own.
    EXPECT_FALSE(view.simulateNavigation("about:blank", NavigationType::Other));
    EXPECT_FALSE(view.simulateNavigation("rte://dirtyEvent", NavigationType::Other));
    EXPECT_TRUE(handled.empty());
}

TEST_F(PageBridgeTest, navigationsKeepThePageHoldingTheDocument)
{
    // Messages that arrive as navigations are cancelled and dispatched.
    EXPECT_FALSE(view.simulateNavigation("rte://dirtyEvent", NavigationType::Other));
    EXPECT_EQ(handled, (std::vector<std::string>{"dirtyEvent"}));
    // A link "clicked" while the page is still being built is no one's;
    // one the user follows opens in the browser, and the page stays.
    EXPECT_FALSE(view.simulateNavigation("https://example.test/early", NavigationType::LinkClicked));
    EXPECT_TRUE(editor.links.empty());
    becomeReady();
    EXPECT_FALSE(view.simulateNavigation("https://example.test/a?b#c", NavigationType::LinkClicked));
    EXPECT_EQ(editor.links, (std::vector<std::string>{"https://example.test/a?b#c"}));
    // The page's own loads go through; a script may not replace the page with
    // something from outside.
    EXPECT_TRUE(view.simulateNavigation("file:///tmp/folio/", NavigationType::Other));
    EXPECT_TRUE(view.simulateNavigation("about:blank", NavigationType::Other));
    EXPECT_FALSE(view.simulateNavigation("https://example.test/", NavigationType::Other));
    EXPECT_FALSE(view.simulateNavigation("javascript:alert(1)", NavigationType::Other));
    EXPECT_EQ(editor.links.size(), 1u);
}

TEST_F(PageBridgeTest, pollerIsInjectedOnceAndReadyStepRunsOncePerPage)
{
    EXPECT_FALSE(bridge.isPageReady());
    view.finishLoad();
    view.finishLoad();
    EXPECT_EQ(view.scriptsMatching("_SSWebViewDOMLoadTimer").size(), 1u);
    EXPECT_EQ(bridge.finishedLoadCount(), 2);

    view.sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    view.sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    EXPECT_EQ(editor.readySteps, 1);
    EXPECT_TRUE(bridge.isPageReady());
    EXPECT_TRUE(handled.empty()) << "the ready signal is not an ordinary message";

    // A new page gets its own poller and its own ready step.
    bridge.pageWillLoad();
    EXPECT_FALSE(bridge.isPageReady());
    view.finishLoad();
    EXPECT_EQ(view.scriptsMatching("_SSWebViewDOMLoadTimer").size(), 2u);
    view.sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    EXPECT_EQ(editor.readySteps, 2);
}

TEST_F(PageBridgeTest, delayedReadyStepAndLoadStatusRunOnTheClockAndNotAfterClosing)
{
    dialect.signal = "rte://DOMLoaded";
    dialect.delay = 0.5;
    view.finishLoad();
    view.sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    view.sendPageMessage("rte://DOMLoaded");
    loop.advanceVirtualClock(0.29);
    EXPECT_EQ(editor.finishedLoading, 0);
    loop.advanceVirtualClock(0.02);
    EXPECT_EQ(editor.finishedLoading, 1);
    EXPECT_EQ(editor.readySteps, 0);
    view.sendPageMessage("rte://endScrollEvent#1_2");
    loop.advanceVirtualClock(0.2);
    EXPECT_EQ(editor.readySteps, 1);
    EXPECT_TRUE(handled.empty()) << "a gated message before the ready step is dropped, not queued";

    bridge.pageWillLoad();
    view.finishLoad();
    view.sendPageMessage("rte://DOMLoaded");
    bridge.beginClosing();
    loop.advanceVirtualClock(1);
    EXPECT_EQ(editor.readySteps, 1);
    EXPECT_EQ(editor.finishedLoading, 1);
}

TEST_F(PageBridgeTest, messageThatClosesTheEditorEndsDispatch)
{
    becomeReady();
    bridge.dispatcher().add("closeEvent", Gate::Always, [this](const PageMessage&) { bridge.beginClosing(); });
    view.sendPageMessage("rte://closeEvent");
    view.sendPageMessage("rte://dirtyEvent");
    EXPECT_TRUE(handled.empty());
    EXPECT_TRUE(editor.processed.empty());
}

TEST_F(PageBridgeTest, crashedPageIsNotWaitedForAndCanBeLoadedAgain)
{
    becomeReady();
    view.terminateWebProcess("crashed");
    EXPECT_EQ(editor.terminations, (std::vector<std::string>{"crashed"}));
    EXPECT_FALSE(bridge.isPageReady());
    EXPECT_FALSE(connection.isConnected());
    double start = loop.now();
    EXPECT_EQ(connection.readInteger("getCurrentFontSize();", 12), 12);
    EXPECT_EQ(loop.now(), start) << "no wait for a page that is gone";
    view.sendPageMessage("rte://endScrollEvent#1_2");
    EXPECT_TRUE(handled.empty());

    connection.connect(&view);
    bridge.pageWillLoad();
    view.finishLoad();
    view.sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    EXPECT_EQ(editor.readySteps, 2);
    EXPECT_EQ(view.scriptsMatching("_SSWebViewDOMLoadTimer").size(), 2u);
}

TEST_F(PageBridgeTest, pageThatNeverBecomesReadyIsGivenUpAndStaysUnheard)
{
    view.finishLoad();
    loop.advanceVirtualClock(PageBridge::kReadyTimeoutSeconds - 1);
    EXPECT_TRUE(editor.givenUp.empty());
    loop.advanceVirtualClock(2);
    ASSERT_EQ(editor.givenUp.size(), 1u);
    EXPECT_TRUE(bridge.hasFailed());
    // A signal that comes after all does not revive a page the user was told is dead.
    view.sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    view.sendPageMessage("rte://dirtyEvent");
    EXPECT_EQ(editor.readySteps, 0);
    EXPECT_FALSE(bridge.isPageReady());
    EXPECT_TRUE(handled.empty());

    // A page loaded again gets its own chance.
    bridge.pageWillLoad();
    EXPECT_FALSE(bridge.hasFailed());
    becomeReady();
    loop.advanceVirtualClock(PageBridge::kReadyTimeoutSeconds * 3);
    EXPECT_EQ(editor.givenUp.size(), 1u) << "a ready page is never given up";
}

TEST_F(PageBridgeTest, failedLoadGivesUpOnlyAPageThatWasNeverReady)
{
    dialect.delay = 0.5;
    view.failLoad("file not found");
    EXPECT_EQ(editor.givenUp, (std::vector<std::string>{"file not found"}));

    // The ready signal has come and its step waits for its delay: the page is there.
    bridge.pageWillLoad();
    view.finishLoad();
    view.sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    view.failLoad("a picture");
    loop.advanceVirtualClock(PageBridge::kReadyTimeoutSeconds + 1);
    EXPECT_EQ(editor.givenUp.size(), 1u);
    EXPECT_TRUE(bridge.isPageReady());
}

} // namespace
} // namespace folio
