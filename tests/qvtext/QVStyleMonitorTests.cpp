#include "platform/web/FakeWebView.h"
#include "qvtext/QVStyleMonitor.h"
#include "support/VirtualClock.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

#include <vector>

namespace folio {
namespace {

// The answer of the poll script: the ten states, the family, the size, the
// selection, undo and redo.
std::string answer(std::vector<std::string> fields)
{
    std::string text;
    for (size_t i = 0; i < fields.size(); ++i)
        text += (i ? "\x1f" : "") + fields[i];
    return text;
}

std::vector<std::string> plainCaret()
{
    return {"0", "0", "0", "0", "0", "0", "1", "0", "0", "0", "Helvetica", "16px", "0", "0", "0"};
}

TEST(QVStyleMonitorAnswerTest, everyFieldOfTheAnswerLandsInItsPlace)
{
    std::vector<std::string> fields = {"1", "0", "1", "0", "0", "1", "0", "0", "1", "0",
                                       "\"Georgia\", serif", "24px", "1", "1", "0"};
    std::optional<QVStyleMonitor::Snapshot> snapshot = QVStyleMonitor::snapshotFromAnswer(answer(fields));
    ASSERT_TRUE(snapshot);
    const QVStyleState& style = snapshot->style;
    EXPECT_TRUE(style.underline);
    EXPECT_FALSE(style.bold);
    EXPECT_TRUE(style.italic);
    EXPECT_FALSE(style.strikeThrough);
    EXPECT_FALSE(style.superscript);
    EXPECT_TRUE(style.subscript);
    EXPECT_FALSE(style.justifyLeft);
    EXPECT_TRUE(style.justifyCenter);
    EXPECT_EQ(style.fontFamily, "Georgia");
    EXPECT_EQ(style.fontSize, 18) << "the page's pixels read as points";
    EXPECT_TRUE(snapshot->textSelected);
    EXPECT_TRUE(snapshot->canUndo);
    EXPECT_FALSE(snapshot->canRedo);

    fields[11] = "";
    EXPECT_EQ(QVStyleMonitor::snapshotFromAnswer(answer(fields))->style.fontSize, 12) << "no size counts as 12";
    fields.pop_back();
    EXPECT_FALSE(QVStyleMonitor::snapshotFromAnswer(answer(fields))) << "a field short";
    EXPECT_FALSE(QVStyleMonitor::snapshotFromAnswer("")) << "a page without its editor answers nothing";
}

class QVStyleMonitorTest : public test::VirtualClockTest {
protected:
    QVStyleMonitorTest()
        : connection(&page)
        , monitor(connection, {[this] { return canPoll; },
                               [this](const QVStyleMonitor::Snapshot& snapshot) { changes.push_back(snapshot); }})
    {
    }

    size_t questions() const { return page.scriptsMatching("queryCommandState").size(); }

    FakeWebView page;
    PageConnection connection;
    bool canPoll = true;
    std::vector<QVStyleMonitor::Snapshot> changes;
    QVStyleMonitor monitor;
};

TEST_F(QVStyleMonitorTest, itAsksOnceATickAndTellsOnlyChanges)
{
    page.answerMatching("queryCommandState", answer(plainCaret()));
    monitor.start();
    EXPECT_EQ(questions(), 0u);
    loop.advanceVirtualClock(QVStyleMonitor::kPollIntervalSeconds);
    EXPECT_EQ(questions(), 1u);
    loop.advanceVirtualClock(QVStyleMonitor::kPollIntervalSeconds);
    EXPECT_EQ(questions(), 1u) << "no new question while the last one is out";

    page.releaseAll();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(changes[0].style.justifyLeft);
    EXPECT_EQ(changes[0].style.fontSize, 12);

    loop.advanceVirtualClock(QVStyleMonitor::kPollIntervalSeconds);
    page.releaseAll();
    EXPECT_EQ(questions(), 2u);
    EXPECT_EQ(changes.size(), 1u) << "the same style is not told again";

    std::vector<std::string> bold = plainCaret();
    bold[1] = "1";
    page.answerMatching("queryCommandState", answer(bold));
    loop.advanceVirtualClock(QVStyleMonitor::kPollIntervalSeconds);
    page.releaseAll();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_TRUE(changes[1].style.bold);

    monitor.stop();
    loop.advanceVirtualClock(10 * QVStyleMonitor::kPollIntervalSeconds);
    EXPECT_EQ(questions(), 3u);
    EXPECT_FALSE(monitor.isRunning());
}

TEST_F(QVStyleMonitorTest, aTickAsksNothingWhenTheEditorSaysNoOrThePageIsGone)
{
    page.answerMatching("queryCommandState", answer(plainCaret()));
    monitor.start();
    canPoll = false;
    loop.advanceVirtualClock(3 * QVStyleMonitor::kPollIntervalSeconds);
    EXPECT_EQ(questions(), 0u);

    canPoll = true;
    connection.disconnect();
    loop.advanceVirtualClock(3 * QVStyleMonitor::kPollIntervalSeconds);
    EXPECT_EQ(questions(), 0u);
    EXPECT_TRUE(changes.empty());
}

TEST_F(QVStyleMonitorTest, anAnswerAfterTheMonitorWentAwayIsDropped)
{
    page.answerMatching("queryCommandState", answer(plainCaret()));
    {
        QVStyleMonitor shortLived(connection, {{}, [this](const QVStyleMonitor::Snapshot& s) { changes.push_back(s); }});
        shortLived.start();
        loop.advanceVirtualClock(QVStyleMonitor::kPollIntervalSeconds);
        EXPECT_EQ(questions(), 1u);
    }
    page.releaseAll();
    EXPECT_TRUE(changes.empty());
}

} // namespace
} // namespace folio
