#include "platform/web/FakeWebView.h"

#include "platform/web/RecordingDelegate.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(FakeWebViewTest, answersFromExactRulesPatternsAndQueueInThatOrder)
{
    FakeWebView view;
    view.answer("getFontFamilies()", "Cochin");
    view.answerMatching(R"(getCurrentFontSize\(\))", "14");
    view.answerMatching(R"(^echo\('(.*)'\)$)", [](const std::string& script) {
        return script.substr(6, script.size() - 8);
    });
    view.queueAnswer("first queued");
    view.queueAnswer("second queued");

    EXPECT_EQ(view.stringByEvaluatingJavaScript("getFontFamilies()"), "Cochin");
    // An exact rule does not match a longer script; the queue answers it.
    EXPECT_EQ(view.stringByEvaluatingJavaScript("getFontFamilies();x"), "first queued");
    EXPECT_EQ(view.stringByEvaluatingJavaScript("var s = getCurrentFontSize();"), "14");
    EXPECT_EQ(view.stringByEvaluatingJavaScript("echo('back')"), "back");
    EXPECT_EQ(view.stringByEvaluatingJavaScript("unknown()"), "second queued");
    EXPECT_EQ(view.stringByEvaluatingJavaScript("unknown()"), "");

    // A later rule overrides an earlier one for the same script.
    view.answer("getFontFamilies()", "Georgia");
    EXPECT_EQ(view.stringByEvaluatingJavaScript("getFontFamilies()"), "Georgia");
    view.clearRules();
    EXPECT_EQ(view.stringByEvaluatingJavaScript("getFontFamilies()"), "");
}

TEST(FakeWebViewTest, recordsEveryScriptWithHowItWasAsked)
{
    FakeWebView view;
    view.stringByEvaluatingJavaScript("a()");
    view.evaluateJavaScript("b()", nullptr);
    view.evaluateJavaScript("c(1)", [](const std::string&) {});
    ASSERT_EQ(view.scripts().size(), 3u);
    EXPECT_TRUE(view.scripts()[0].synchronous);
    EXPECT_FALSE(view.scripts()[1].synchronous);
    EXPECT_EQ(view.scripts()[2].script, "c(1)");
    EXPECT_EQ(view.scriptsMatching(R"(^[bc]\()"), (std::vector<std::string>{"b()", "c(1)"}));
    EXPECT_EQ(view.lastScript(), "c(1)");
    view.clearScripts();
    EXPECT_EQ(view.lastScript(), std::nullopt);
}

TEST(FakeWebViewTest, holdsAsynchronousCompletionsUntilReleased)
{
    FakeWebView view;
    view.answer("one", "1");
    std::vector<std::string> answers;
    view.evaluateJavaScript("one", [&](const std::string& answer) { answers.push_back(answer); });
    view.evaluateJavaScript("two", [&](const std::string& answer) {
        answers.push_back(answer);
        // A completion that asks again: its answer is held too, not lost.
        view.evaluateJavaScript("one", [&](const std::string& again) { answers.push_back("again " + again); });
    });
    // The answer is decided when asked, even if rules change before release.
    view.answer("one", "changed");
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(view.pendingCount(), 2u);

    EXPECT_TRUE(view.releaseNext());
    EXPECT_EQ(answers, (std::vector<std::string>{"1"}));
    EXPECT_TRUE(view.releaseNext("forced"));
    EXPECT_EQ(view.releaseAll(), 1u);
    EXPECT_EQ(answers, (std::vector<std::string>{"1", "forced", "again changed"}));
    EXPECT_FALSE(view.releaseNext());
}

TEST(FakeWebViewTest, playsThePageSideToTheDelegate)
{
    FakeWebView view;
    testing::RecordingDelegate delegate;
    delegate.refuse = [](const std::string& url) { return url.rfind("https:", 0) == 0; };
    view.setDelegate(&delegate);

    view.loadHTMLString("<p>x</p>", "file:///doc/");
    EXPECT_TRUE(view.isLoading());
    EXPECT_EQ(view.loadedHTML(), "<p>x</p>");
    EXPECT_EQ(view.loadedBaseURL(), "file:///doc/");
    view.finishLoad();
    EXPECT_FALSE(view.isLoading());
    EXPECT_EQ(delegate.finishedLoads, 1);

    view.sendPageMessage("rte://dirtyEvent");
    view.sendPageMessage("x-twwebview://dom-loaded");
    EXPECT_EQ(delegate.messages, (std::vector<std::string>{"rte://dirtyEvent", "x-twwebview://dom-loaded"}));

    EXPECT_FALSE(view.simulateNavigation("https://example.org/"));
    EXPECT_TRUE(view.simulateNavigation("file:///doc/other.html", NavigationType::Other));
    ASSERT_EQ(delegate.navigations.size(), 2u);
    EXPECT_EQ(delegate.navigations[0].type, NavigationType::LinkClicked);
    EXPECT_EQ(delegate.navigations[1].type, NavigationType::Other);

    view.failLoad("gone");
    EXPECT_EQ(delegate.failures, (std::vector<std::string>{"gone"}));
}

TEST(FakeWebViewTest, recordsCommandsPrintsAndSnapshotsWithScriptedOutcomes)
{
    FakeWebView view(makeRect(0, 0, 768, 480));
    view.executeEditingCommand("Bold");
    view.executeEditingCommand("InsertText", "abc");
    ASSERT_EQ(view.editingCommands().size(), 2u);
    EXPECT_EQ(view.editingCommands()[1].command, "InsertText");
    EXPECT_EQ(view.editingCommands()[1].argument, "abc");

    std::optional<Status> printed;
    view.printToPDF("/tmp/out.pdf", Size{612, 792}, EdgeInsets{72, 36, 72, 36}, [&](Status s) { printed = s; });
    ASSERT_TRUE(printed.has_value());
    EXPECT_FALSE(printed->ok()) << "an unscripted print must not pass for success";
    view.setPrintResult(Status::success());
    view.printToPDF("/tmp/out2.pdf", Size{100, 100}, EdgeInsets{}, [&](Status s) { printed = s; });
    EXPECT_TRUE(printed->ok());
    ASSERT_EQ(view.printRequests().size(), 2u);
    EXPECT_EQ(view.printRequests()[0].pageSize, (Size{612, 792}));
    EXPECT_EQ(view.printRequests()[0].margins.left, 36);

    std::optional<Result<Image::Pointer>> snapshot;
    view.takeSnapshot(WebView::SnapshotRegion::FullDocument, [&](Result<Image::Pointer> r) { snapshot = r; });
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_FALSE(snapshot->ok());
    auto image = Image::imageWithPixels(1, 1, {1, 2, 3, 255});
    ASSERT_TRUE(image.ok());
    view.setSnapshotResult(*image);
    view.takeSnapshot(WebView::SnapshotRegion::Visible, [&](Result<Image::Pointer> r) { snapshot = r; });
    ASSERT_TRUE(snapshot->ok());
    EXPECT_EQ(**snapshot, *image);
    EXPECT_EQ(view.snapshotRequestCount(), 2u);
}

} // namespace
} // namespace folio
