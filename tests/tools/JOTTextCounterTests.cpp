#include "tools/wordcounter/JOTTextCounter.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/text/TextStorage.h"

#include <gtest/gtest.h>

#include <deque>

namespace folio {
namespace {

// Count jobs wait here until the test runs them, so that "a count is under
// way" lasts exactly as long as the test wants.
class HeldJobs {
public:
    JOTTextCounter::Executor executor()
    {
        return [this](std::function<void()> job) { m_jobs.push_back(std::move(job)); };
    }
    std::size_t pending() const { return m_jobs.size(); }
    // Runs the oldest job and lets its result reach the main thread.
    void runNext()
    {
        ASSERT_FALSE(m_jobs.empty());
        auto job = std::move(m_jobs.front());
        m_jobs.pop_front();
        job();
        while (RunLoop::main().runOnce()) {
        }
    }

private:
    std::deque<std::function<void()>> m_jobs;
};

class JOTTextCounterTest : public testing::Test {
protected:
    void SetUp() override { RunLoop::main().useVirtualClock(); }
    void TearDown() override
    {
        for (ObserverToken observer : m_observers)
            NotificationCenter::defaultCenter().removeObserver(observer);
        RunLoop::main().cancelAll();
        RunLoop::main().useRealClock();
    }

    void observe(const JOTTextCounter& counter)
    {
        m_observers.push_back(NotificationCenter::defaultCenter().addObserver(
            JOTTextCounter::kDidUpdateCountNotification, &counter, [this](const Notification& notification) {
                ++m_updates;
                m_lastInfo = notification.userInfo;
            }));
    }
    std::size_t lastCount(const char* key) const
    {
        const std::size_t* value = m_lastInfo.get<std::size_t>(key);
        return value ? *value : 9999;
    }
    // Counts on the real background queue and waits for the report.
    void countAndWait(JOTTextCounter& counter, const std::u16string& text)
    {
        int before = m_updates;
        counter.forceCountWithText(text);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return m_updates > before; }, 30));
    }
    static std::shared_ptr<TextStorage> storageWith(std::size_t length)
    {
        auto storage = std::make_shared<TextStorage>();
        storage->replaceCharactersInRange(Range{0, 0}, std::u16string(length, u'a'));
        return storage;
    }

    HeldJobs jobs;
    std::vector<ObserverToken> m_observers;
    int m_updates = 0;
    UserInfo m_lastInfo;
};

TEST_F(JOTTextCounterTest, CountsCharactersOfTheRenderedTextAndWordsByWordBreaks)
{
    auto counter = JOTTextCounter::make();
    observe(*counter);
    // Markup is no character; blanks count once each, and never as words.
    countAndWait(*counter, u"Hello **big** world");
    EXPECT_EQ(counter->countOfComposedCharacterSequences(), 15u);
    EXPECT_EQ(lastCount(JOTTextCounter::kComposedCharacterSequencesCountKey), 15u);
    EXPECT_EQ(counter->countOfWords(), 3u);
    EXPECT_EQ(lastCount(JOTTextCounter::kWordCountKey), 3u);

    // Word breaks, not blanks: the apostrophe and the decimal point stay
    // inside their words, the hyphen and the slash divide.
    countAndWait(*counter, u"don't pay 3.50 for e-mail/fax");
    EXPECT_EQ(counter->countOfWords(), 7u);

    // Every count is always reported, those not asked for as they were.
    EXPECT_EQ(lastCount(JOTTextCounter::kLineCountKey), 0u);
    EXPECT_EQ(lastCount(JOTTextCounter::kSentenceCountKey), 0u);
    EXPECT_EQ(lastCount(JOTTextCounter::kParagraphCountKey), 0u);

    countAndWait(*counter, u"");
    EXPECT_EQ(counter->countOfComposedCharacterSequences(), 0u);
    EXPECT_EQ(counter->countOfWords(), 0u);
}

TEST_F(JOTTextCounterTest, OptionsZeroCountsWordsSentencesAndParagraphsSkippingBlankOnes)
{
    auto counter = JOTTextCounter::makeWithOptions(0);
    EXPECT_EQ(counter->textCountingOptions(),
              JOTTextCounter::CountWords | JOTTextCounter::CountSentences | JOTTextCounter::CountParagraphs);
    observe(*counter);
    countAndWait(*counter, u"One two. Three?\n   \n\nFour five six.\n");
    EXPECT_EQ(counter->countOfComposedCharacterSequences(), 0u) << "characters are not asked for";
    EXPECT_EQ(counter->countOfWords(), 6u);
    EXPECT_EQ(counter->countOfSentences(), 3u);
    EXPECT_EQ(counter->countOfParagraphs(), 2u) << "a paragraph of blanks is none";

    auto lines = JOTTextCounter::makeWithOptions(JOTTextCounter::CountLines);
    observe(*lines);
    countAndWait(*lines, u"a\n\nb");
    EXPECT_EQ(lines->countOfLines(), 3u);
}

TEST_F(JOTTextCounterTest, CountsOnlyBetweenStartAndEnd)
{
    auto counter = JOTTextCounter::make(jobs.executor());
    auto storage = storageWith(10);
    counter->textStorageDidProcessEditing(storage);
    EXPECT_EQ(jobs.pending(), 0u) << "no count before counting starts";

    counter->startCountingWithText(u"one two");
    EXPECT_TRUE(counter->shouldAllowCount());
    ASSERT_EQ(jobs.pending(), 1u);
    jobs.runNext();
    EXPECT_EQ(counter->countOfWords(), 2u);
    EXPECT_FALSE(counter->isCounterRunning());

    counter->startCountingWithText(u"ignored, as counting already runs");
    EXPECT_EQ(jobs.pending(), 0u);

    counter->endCounting();
    counter->textStorageDidProcessEditing(storage);
    EXPECT_EQ(jobs.pending(), 0u) << "edits after the end are ignored";
    counter->forceCountWithText(u"a b c");
    ASSERT_EQ(jobs.pending(), 1u) << "a forced count still runs";
    jobs.runNext();
    EXPECT_EQ(counter->countOfWords(), 3u);

    counter->startCountingWithText(u"x");
    EXPECT_EQ(jobs.pending(), 1u) << "started again, it counts again";
}

TEST_F(JOTTextCounterTest, EditsWhileCountingAreQueuedAndTheLatestIsCountedAfterwards)
{
    auto counter = JOTTextCounter::make(jobs.executor());
    observe(*counter);
    counter->startCountingWithText(u"first");
    auto storage = storageWith(JOTTextCounter::kDelayedCountLength - 1);
    counter->textStorageDidProcessEditing(storage);
    EXPECT_TRUE(counter->didReceiveCountRequestWhileCounterWasRunning());
    EXPECT_FALSE(counter->hasDelayedCount()) << "a short text is not held back";
    EXPECT_EQ(jobs.pending(), 1u);

    jobs.runNext();
    EXPECT_EQ(m_updates, 1);
    EXPECT_EQ(jobs.pending(), 1u) << "the queued text is counted when the first count ends";
    EXPECT_TRUE(counter->isCounterRunning());
    jobs.runNext();
    EXPECT_EQ(counter->countOfComposedCharacterSequences(), JOTTextCounter::kDelayedCountLength - 1);
    EXPECT_FALSE(counter->isCounterRunning());
}

TEST_F(JOTTextCounterTest, LongTextsWaitForTheTimerWhileACountRuns)
{
    auto counter = JOTTextCounter::make(jobs.executor());
    counter->startCountingWithText(u"first");
    auto storage = storageWith(JOTTextCounter::kDelayedCountLength);
    counter->textStorageDidProcessEditing(storage);
    EXPECT_TRUE(counter->hasDelayedCount());
    EXPECT_FALSE(counter->didReceiveCountRequestWhileCounterWasRunning());
    storage->replaceCharactersInRange(Range{0, 0}, u"b");
    counter->textStorageDidProcessEditing(storage);
    EXPECT_FALSE(counter->didReceiveCountRequestWhileCounterWasRunning()) << "a second edit changes nothing";

    RunLoop::main().advanceVirtualClock(JOTTextCounter::kDelayedCountSeconds - 0.1);
    EXPECT_FALSE(counter->didReceiveCountRequestWhileCounterWasRunning());
    RunLoop::main().advanceVirtualClock(0.1);
    EXPECT_FALSE(counter->hasDelayedCount());
    EXPECT_TRUE(counter->didReceiveCountRequestWhileCounterWasRunning()) << "the timer asks for a count of the storage";

    jobs.runNext();
    jobs.runNext();
    EXPECT_EQ(counter->countOfComposedCharacterSequences(), JOTTextCounter::kDelayedCountLength + 1)
        << "the storage's text as it was when the timer fired";

    // With no count under way a long text is counted at once.
    counter->textStorageDidProcessEditing(storage);
    EXPECT_EQ(jobs.pending(), 1u);
    EXPECT_FALSE(counter->hasDelayedCount());
}

TEST_F(JOTTextCounterTest, ACounterFreedDuringACountHearsNothing)
{
    auto counter = JOTTextCounter::make(jobs.executor());
    observe(*counter);
    counter->startCountingWithText(u"words here");
    counter.reset();
    jobs.runNext();
    EXPECT_EQ(m_updates, 0);
}

TEST_F(JOTTextCounterTest, ConvertHTMLRemovesTags)
{
    EXPECT_EQ(JOTTextCounter::convertHTML(u"<p>One <b class=\"x\">two</b></p>"), u"One two");
    // "<>" is no tag; a "<" without a closing ">" stays.
    EXPECT_EQ(JOTTextCounter::convertHTML(u"a <> b < c"), u"a <> b < c");
    EXPECT_EQ(JOTTextCounter::convertHTML(u"<<a>b>"), u"b>");
}

} // namespace
} // namespace folio
