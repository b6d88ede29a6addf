#include "webeditor/PageConnection.h"

#include "platform/web/FakeWebView.h"
#include "support/VirtualClock.h"
#include "webeditor/DirtyState.h"
#include "webeditor/TestDialect.h"
#include "webeditor/UndoHistory.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class PageConnectionTest : public test::VirtualClockTest {
protected:
    // Lets the page answer its held evaluations on the next turn of the loop,
    // the way a real page answers while the caller waits.
    void answerLater()
    {
        loop.post([this] { view.releaseAll(); });
    }

    FakeWebView view;
    PageConnection connection{&view};
};

TEST_F(PageConnectionTest, readsWaitForTheAnswerAndConvertIt)
{
    view.answer("getCurrentFontSize();", "16px");
    view.answer("getCurrentLineSpacing();", " 1.5");
    view.answer("hasUndo();", "1");
    view.answer("name();", "Times");
    answerLater();
    EXPECT_EQ(connection.readInteger("getCurrentFontSize();", 12), 16);
    answerLater();
    EXPECT_DOUBLE_EQ(connection.readDouble("getCurrentLineSpacing();", 1), 1.5);
    answerLater();
    EXPECT_TRUE(connection.readBool("hasUndo();", false));
    answerLater();
    EXPECT_EQ(connection.readString("name();"), "Times");
    EXPECT_FALSE(view.scripts().front().synchronous) << "reads never block inside the engine";
}

TEST_F(PageConnectionTest, aScopedConnectionRunsEveryScriptInItsScopeAndFollowsItsPage)
{
    PageConnection inFrame(connection, [](const std::string& script) { return "inFrame(" + script + ")"; });
    EXPECT_TRUE(inFrame.isConnected());
    EXPECT_EQ(inFrame.webView(), &view);
    view.answer("inFrame(caret())", "{4, 5}");
    answerLater();
    EXPECT_EQ(inFrame.readString("caret()"), "{4, 5}") << "the scope's answer is the script's";
    inFrame.send("move()");
    EXPECT_EQ(view.lastScript(), "inFrame(move())");
    connection.send("top()");
    EXPECT_EQ(view.lastScript(), "top()") << "the page itself stays unscoped";

    // A new page of the editor is the scoped connection's too; a closed one
    // is closed for it.
    FakeWebView next;
    connection.connect(&next);
    inFrame.send("again()");
    EXPECT_EQ(next.lastScript(), "inFrame(again())");
    connection.disconnect();
    EXPECT_FALSE(inFrame.isConnected());
    inFrame.send("gone()");
    EXPECT_EQ(next.lastScript(), "inFrame(again())");
    EXPECT_EQ(inFrame.read("gone()"), std::nullopt);
}

TEST_F(PageConnectionTest, askHandsTheAnswerOnLaterAndNothingOnceDisconnected)
{
    view.answer("getCurrentFontSize();", "18");
    std::vector<std::string> answers;
    connection.ask("getCurrentFontSize();", [&](const std::string& answer) { answers.push_back(answer); });
    EXPECT_TRUE(answers.empty()) << "nothing waits for the page";
    view.releaseAll();
    EXPECT_EQ(answers, std::vector<std::string>{"18"});

    connection.ask("getCurrentFontSize();", [&](const std::string& answer) { answers.push_back(answer); });
    connection.disconnect();
    view.releaseAll();
    EXPECT_EQ(answers.size(), 1u) << "an answer for an editor that let go is dropped";
    connection.ask("getCurrentFontSize();", [&](const std::string& answer) { answers.push_back(answer); });
    EXPECT_EQ(view.pendingCount(), 0u) << "nothing is sent without a page";
}

TEST_F(PageConnectionTest, aLongAnswerReachesTheReaderWithoutACopy)
{
    // A long document's content is megabytes: each copy on the way from the
    // page to the reader would hold as much again.
    const char* handedOver = nullptr;
    view.answerMatching("^content\\(\\)$", [&](const std::string&) {
        std::string answer(4 << 20, 'x');
        handedOver = answer.data();
        return answer;
    });
    answerLater();
    std::optional<std::string> content = connection.read("content()");
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(content->size(), std::size_t(4) << 20);
    EXPECT_EQ(content->data(), handedOver) << "the reader holds the very storage the page's answer came in";
}

TEST_F(PageConnectionTest, answersWithoutANumberGiveTheDefault)
{
    for (const char* answer : {"", "normal", "NaN", "px16", "Infinity"}) {
        view.clearRules();
        view.answerMatching(".", answer);
        answerLater();
        EXPECT_EQ(connection.readInteger("size();", 12), 12) << answer;
        answerLater();
        EXPECT_DOUBLE_EQ(connection.readDouble("size();", 1.0), 1.0) << answer;
    }
    view.clearRules();
    view.answerMatching(".", "maybe");
    answerLater();
    EXPECT_TRUE(connection.readBool("enabled();", true));
}

TEST_F(PageConnectionTest, pageThatHangsGivesTheDefaultAfterTheTimeLimit)
{
    connection.setReadTimeout(2);
    double start = loop.now();
    EXPECT_EQ(connection.readInteger("getCurrentFontSize();", 12), 12);
    EXPECT_NEAR(loop.now() - start, 2, 0.01);
    EXPECT_FALSE(connection.read("getSelectionHtml();"));
    // The late answer of a wait that gave up is dropped, not given to the next read.
    view.releaseNext("99");
    view.releaseNext("<b>late</b>");
    answerLater();
    view.answer("getCurrentFontSize();", "20");
    EXPECT_EQ(connection.readInteger("getCurrentFontSize();", 12), 20);
}

TEST_F(PageConnectionTest, pageGoneAnswersAtOnceAndEndsWaitsInProgress)
{
    connection.disconnect();
    double start = loop.now();
    EXPECT_EQ(connection.readString("content();", "default"), "default");
    connection.send("changeFont(18);");
    EXPECT_TRUE(view.scripts().empty());
    EXPECT_EQ(loop.now(), start);

    // The editor closes while a read is waiting.
    connection.connect(&view);
    loop.postAfterDelay(0.5, [this] { connection.disconnect(); });
    EXPECT_EQ(connection.readInteger("getCurrentFontSize();", 12), 12);
    EXPECT_NEAR(loop.now() - start, 0.5, 0.01);
    // Its answer, arriving now, goes nowhere.
    EXPECT_TRUE(view.releaseNext("40"));
}

TEST_F(PageConnectionTest, undoAndRedoCountAsChangesAndTheirQueriesWait)
{
    test::TestDialect dialect;
    int marks = 0;
    DirtyState dirty([] { return true; }, [&] { ++marks; });
    UndoHistory history(connection, dialect, dirty);

    history.undo();
    history.redo();
    EXPECT_EQ(view.scriptsMatching("^(undo|redo)\\(\\);$").size(), 2u);
    EXPECT_EQ(view.pendingCount(), 2u) << "undo and redo do not wait";
    EXPECT_EQ(marks, 2);
    view.releaseAll();

    view.answer("canUndo();", "1");
    view.answer("canRedo();", "0");
    answerLater();
    EXPECT_TRUE(history.canUndo());
    answerLater();
    EXPECT_FALSE(history.canRedo());

    connection.setReadTimeout(1);
    view.clearRules();
    EXPECT_FALSE(history.canUndo()) << "no answer reads as no";

    connection.disconnect();
    history.undo();
    EXPECT_EQ(marks, 2) << "without a page nothing changed";
}

} // namespace
} // namespace folio
