#include "platform/ui/Label.h"
#include "platform/web/FakeWebView.h"
#include "qvtext/QVWordCounter.h"
#include "support/VirtualClock.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class QVWordCounterTest : public test::VirtualClockTest {
protected:
    QVWordCounterTest()
        : connection(&page)
    {
        // The page answers on the next turn; every count it is asked for is
        // noted.
        page.answerMatching("", [this](const std::string& script) {
            loop.post([this] { page.releaseAll(); });
            if (script.find("isCollapsed") != std::string::npos)
                return std::string(collapsed ? "true" : "false");
            if (script.find("getWordCount") != std::string::npos) {
                ++wordReads;
                return std::string(script.find(".body.") != std::string::npos ? "250" : "3");
            }
            if (script.find("getCharacterCount") != std::string::npos)
                return std::string(script.find(".body.") != std::string::npos ? "1400" : "17");
            return std::string();
        });
        banner->setAlpha(0.0);
    }

    FakeWebView page;
    PageConnection connection;
    std::shared_ptr<Label> banner = std::make_shared<Label>();
    bool visible = false;
    bool collapsed = true;
    int wordReads = 0;
    QVWordCounter counter{connection, {[this] { return visible; }, [this] { return banner; }}};
};

TEST_F(QVWordCounterTest, theBannerShowsTheCountsOnlyWhileTheSwitchIsOn)
{
    counter.updateWordCounter();
    EXPECT_EQ(wordReads, 0) << "the page is not asked while the counter is off";
    EXPECT_EQ(banner->text(), u"");
    EXPECT_EQ(banner->alpha(), 0.0);

    visible = true;
    counter.updateWordCounter();
    EXPECT_EQ(banner->text(), u"Chars 1400 Words 250") << "a caret counts the whole text";
    EXPECT_EQ(banner->alpha(), 1.0);
    EXPECT_FALSE(banner->isHidden());
    collapsed = false;
    counter.updateWordCounter();
    EXPECT_EQ(banner->text(), u"Chars 17 Words 3") << "a selection counts itself";
    EXPECT_EQ(counter.counts().globalTotalWords, 3);
}

TEST_F(QVWordCounterTest, aBurstOfTypingIsCountedOnceItSettles)
{
    visible = true;
    for (int key = 0; key < 5; ++key) {
        counter.scheduleUpdate();
        loop.advanceVirtualClock(QVWordCounter::kSettleSeconds / 2);
    }
    EXPECT_EQ(wordReads, 0) << "nothing is counted while keys keep coming";
    loop.advanceVirtualClock(QVWordCounter::kSettleSeconds);
    EXPECT_EQ(wordReads, 1);
    EXPECT_EQ(banner->text(), u"Chars 1400 Words 250");

    // A count still waiting when the editor closes is dropped.
    counter.scheduleUpdate();
    counter.cancelPendingTasks();
    loop.advanceVirtualClock(1.0);
    EXPECT_EQ(wordReads, 1);
    visible = false;
    counter.scheduleUpdate();
    loop.advanceVirtualClock(1.0);
    EXPECT_EQ(wordReads, 1) << "with the counter off nothing is scheduled";
}

} // namespace
} // namespace folio
