#include "platform/foundation/Dispatch.h"
#include "support/VirtualClock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace folio {
namespace {

// A generous bound for waits on real events; a passing test never comes near it.
constexpr double kRealWaitLimit = 30;

class RunLoopTest : public test::VirtualClockTest {
protected:
    // Runs the loop until nothing is due, without letting virtual time pass.
    void drain()
    {
        while (loop.runOnce()) {
        }
    }

    std::vector<std::string> log;
};

TEST_F(RunLoopTest, postedWorkRunsLaterInPostingOrder)
{
    for (const char* name : {"a", "b", "c", "d"})
        loop.post([this, name] { log.push_back(name); });
    EXPECT_TRUE(log.empty()) << "posted work must not run inside post()";
    EXPECT_TRUE(loop.runUntil([&] { return log.size() == 4; }, 1));
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST_F(RunLoopTest, delayedWorkFiresInTimeOrderEachAtItsOwnTime)
{
    double start = loop.now();
    std::vector<double> firedAt;
    auto record = [&](std::string name) {
        return [&, name] {
            log.push_back(name);
            firedAt.push_back(loop.now() - start);
        };
    };
    loop.postAfterDelay(3, record("three"));
    loop.postAfterDelay(1, record("one"));
    loop.postAfterDelay(2, record("two"));
    loop.postAfterDelay(1, record("one again"));

    loop.advanceVirtualClock(0.5);
    EXPECT_TRUE(log.empty());
    loop.advanceVirtualClock(10);
    EXPECT_EQ(log, (std::vector<std::string>{"one", "one again", "two", "three"}));
    EXPECT_EQ(firedAt, (std::vector<double>{1, 1, 2, 3}));
    EXPECT_DOUBLE_EQ(loop.now() - start, 10.5);
}

// Whole-second delays must add up exactly whatever the machine's uptime: a
// start with a fraction rounds 1024.3 + 1 differently from 0.3 + 1.
TEST(RunLoopVirtualClock, startsAtAWholeSecondNotBeforeTheRealClock)
{
    RunLoop& loop = RunLoop::main();
    double real = loop.now();
    test::VirtualClockScope clock;
    double start = loop.now();
    EXPECT_EQ(start, std::floor(start));
    EXPECT_GE(start, real);
    loop.advanceVirtualClock(1);
    loop.advanceVirtualClock(2);
    EXPECT_EQ(loop.now() - start, 3);
}

TEST_F(RunLoopTest, workScheduledWhileAdvancingFiresWithinTheSameAdvance)
{
    double start = loop.now();
    double innerAt = -1;
    loop.postAfterDelay(1, [&] { loop.postAfterDelay(1, [&] { innerAt = loop.now() - start; }); });
    loop.advanceVirtualClock(5);
    EXPECT_DOUBLE_EQ(innerAt, 2);
}

TEST_F(RunLoopTest, cancellationMatchesTargetSelectorAndArgument)
{
    int controller = 0, otherController = 0;
    auto request = [&](const void* target, std::string selector, PerformArgument argument, std::string name) {
        loop.performSelectorAfterDelay(target, selector, argument, 1, [this, name] { log.push_back(name); });
    };
    request(&controller, "save", std::string("a"), "save a");
    request(&controller, "save", std::string("b"), "save b");
    request(&controller, "save", {}, "save nil");
    request(&controller, "load", std::string("a"), "load a");
    request(&otherController, "save", std::string("a"), "other save a");

    loop.cancelPreviousPerformRequests(&controller, "save", std::string("a"));
    loop.advanceVirtualClock(2);
    EXPECT_EQ(log, (std::vector<std::string>{"save b", "save nil", "load a", "other save a"}));
}

// Work can hold the last reference to an object that cancels its own
// requests when it goes: a document whose save handed its completion to the
// main thread. Cancelling that work must not wait on the loop's own lock.
TEST_F(RunLoopTest, cancelledWorkMayOwnAnObjectThatCancelsItsRequestsWhenItGoes)
{
    struct CancelsWhenGone {
        RunLoop& loop;
        ~CancelsWhenGone() { loop.cancelPreviousPerformRequests(this); }
    };
    const std::vector<std::function<void(RunLoop::TimerId)>> cancellations = {
        [&](RunLoop::TimerId) { loop.cancelAll(); },
        [&](RunLoop::TimerId id) { loop.invalidate(id); },
        [&](RunLoop::TimerId) { loop.cancelPreviousPerformRequests(&log); },
        [&](RunLoop::TimerId) { loop.cancelPreviousPerformRequests(&log, "save", {}); },
    };
    for (const auto& cancel : cancellations) {
        auto owner = std::make_shared<CancelsWhenGone>(CancelsWhenGone{loop});
        RunLoop::TimerId id = loop.performSelectorAfterDelay(&log, "save", {}, 1, [owner] {});
        owner.reset();
        auto done = std::make_shared<std::promise<void>>();
        std::future<void> cancelled = done->get_future();
        std::thread([&cancel, id, done] {
            cancel(id);
            done->set_value();
        }).detach();
        ASSERT_EQ(cancelled.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    }
}

TEST_F(RunLoopTest, cancellingWithoutArgumentMatchesOnlyRequestsWithoutOne)
{
    int controller = 0;
    loop.performSelectorAfterDelay(&controller, "tick", {}, 1, [&] { log.push_back("nil"); });
    loop.performSelectorAfterDelay(&controller, "tick", 7LL, 1, [&] { log.push_back("7"); });
    loop.performSelectorAfterDelay(&controller, "tick", 8LL, 1, [&] { log.push_back("8"); });
    loop.cancelPreviousPerformRequests(&controller, "tick");
    loop.cancelPreviousPerformRequests(&controller, "tick", 8LL);
    loop.advanceVirtualClock(1);
    EXPECT_EQ(log, (std::vector<std::string>{"7"}));
}

TEST_F(RunLoopTest, cancellingByTargetLeavesOtherTargetsAndPlainWork)
{
    int controller = 0, otherController = 0;
    loop.performSelectorAfterDelay(&controller, "a", {}, 1, [&] { log.push_back("a"); });
    loop.performSelectorAfterDelay(&controller, "b", std::string("x"), 1, [&] { log.push_back("b"); });
    loop.performSelectorAfterDelay(&otherController, "a", {}, 1, [&] { log.push_back("other"); });
    loop.postAfterDelay(1, [&] { log.push_back("plain"); });
    loop.cancelPreviousPerformRequests(&controller);
    loop.advanceVirtualClock(1);
    EXPECT_EQ(log, (std::vector<std::string>{"other", "plain"}));
}

TEST_F(RunLoopTest, cancelAndRescheduleKeepsOnlyTheLastRequest)
{
    // The editors' debounce: every keystroke cancels the pending step and
    // schedules it again, so one step runs after the typing stops.
    int controller = 0;
    int runs = 0;
    for (int keystroke = 0; keystroke < 5; ++keystroke) {
        loop.cancelPreviousPerformRequests(&controller, "documentIsDirty");
        loop.performSelectorAfterDelay(&controller, "documentIsDirty", {}, 0.5, [&] { ++runs; });
        loop.advanceVirtualClock(0.25);
    }
    EXPECT_EQ(runs, 0);
    loop.advanceVirtualClock(0.25);
    EXPECT_EQ(runs, 1);
}

TEST_F(RunLoopTest, invalidateAnswersWhetherWorkWasStillPending)
{
    bool ran = false;
    RunLoop::RunLoop::TimerId cancelled = loop.postAfterDelay(1, [&] { ran = true; });
    RunLoop::RunLoop::TimerId fired = loop.postAfterDelay(1, [] {});
    EXPECT_NE(cancelled, fired);
    EXPECT_TRUE(loop.invalidate(cancelled));
    EXPECT_FALSE(loop.invalidate(cancelled));
    loop.advanceVirtualClock(2);
    EXPECT_FALSE(ran);
    EXPECT_FALSE(loop.isPending(fired));
    EXPECT_FALSE(loop.invalidate(fired));
}

TEST_F(RunLoopTest, repeatingTimerFiresEveryIntervalUntilInvalidated)
{
    double start = loop.now();
    std::vector<double> ticks;
    RunLoop::RunLoop::TimerId timer = loop.scheduleTimer(1, true, [&] { ticks.push_back(loop.now() - start); });
    loop.advanceVirtualClock(3.5);
    EXPECT_EQ(ticks, (std::vector<double>{1, 2, 3}));
    EXPECT_TRUE(loop.isPending(timer));
    EXPECT_TRUE(loop.invalidate(timer));
    loop.advanceVirtualClock(5);
    EXPECT_EQ(ticks.size(), 3u);
}

TEST_F(RunLoopTest, oneShotTimerFiresOnce)
{
    int fired = 0;
    loop.scheduleTimer(1, false, [&] { ++fired; });
    loop.advanceVirtualClock(10);
    EXPECT_EQ(fired, 1);
}

TEST_F(RunLoopTest, repeatingTimerCanInvalidateItselfFromItsCallback)
{
    int fired = 0;
    RunLoop::RunLoop::TimerId timer = 0;
    timer = loop.scheduleTimer(0.5, true, [&] {
        if (++fired == 2)
            loop.invalidate(timer);
    });
    loop.advanceVirtualClock(10);
    EXPECT_EQ(fired, 2);
    EXPECT_FALSE(loop.isPending(timer));
}

TEST_F(RunLoopTest, repeatingTimerWithZeroIntervalDoesNotSpinForever)
{
    int fired = 0;
    RunLoop::RunLoop::TimerId timer = loop.scheduleTimer(0, true, [&] { ++fired; });
    loop.advanceVirtualClock(0.001);
    loop.invalidate(timer);
    EXPECT_GT(fired, 0);
    EXPECT_LE(fired, 11);
}

TEST_F(RunLoopTest, runUntilAnswersAtOnceWhenThePredicateAlreadyHolds)
{
    double start = loop.now();
    bool ran = false;
    loop.post([&] { ran = true; });
    EXPECT_TRUE(loop.runUntil([] { return true; }, 5));
    EXPECT_FALSE(ran);
    EXPECT_EQ(loop.now(), start);
}

TEST_F(RunLoopTest, timedOutWaitAdvancesVirtualTimeByItsLimit)
{
    double start = loop.now();
    bool late = false;
    loop.postAfterDelay(3, [&] { late = true; });
    EXPECT_FALSE(loop.runUntil([] { return false; }, 2));
    EXPECT_DOUBLE_EQ(loop.now() - start, 2);
    EXPECT_FALSE(late) << "work due after the time-out must not run";
    EXPECT_TRUE(loop.runUntil([&] { return late; }, 2));
    EXPECT_DOUBLE_EQ(loop.now() - start, 3);
}

TEST_F(RunLoopTest, waitWithoutLimitAndNothingPendingGivesUp)
{
    EXPECT_FALSE(loop.runUntil([] { return false; }, -1));
}

TEST_F(RunLoopTest, innerWaitTimesOutWhileOuterWaitContinues)
{
    double start = loop.now();
    bool outerDone = false;
    bool innerHeld = true;
    double innerEnded = -1;
    loop.post([&] {
        log.push_back("outer work starts");
        innerHeld = loop.runUntil([] { return false; }, 2);
        innerEnded = loop.now() - start;
        log.push_back("outer work ends");
    });
    loop.postAfterDelay(1, [&] { log.push_back("timer during inner wait"); });
    loop.postAfterDelay(5, [&] {
        log.push_back("outer done");
        outerDone = true;
    });

    EXPECT_TRUE(loop.runUntil([&] { return outerDone; }, 10));
    EXPECT_FALSE(innerHeld);
    EXPECT_DOUBLE_EQ(innerEnded, 2);
    EXPECT_DOUBLE_EQ(loop.now() - start, 5);
    EXPECT_EQ(log, (std::vector<std::string>{"outer work starts", "timer during inner wait", "outer work ends",
                                             "outer done"}));
}

TEST_F(RunLoopTest, eventsAreServedReentrantlyDuringAWait)
{
    // As when an editor waits for a script answer: the answer arrives as
    // ordinary main-thread work while the waiting call is still on the stack.
    bool answered = false;
    bool waitHeld = false;
    loop.post([&] {
        log.push_back("wait begins");
        waitHeld = loop.runUntil([&] { return answered; }, 5);
        log.push_back("wait ends");
    });
    loop.post([&] {
        log.push_back("answer");
        answered = true;
    });
    EXPECT_TRUE(loop.runUntil([&] { return log.size() == 3; }, 10));
    EXPECT_TRUE(waitHeld);
    EXPECT_EQ(log, (std::vector<std::string>{"wait begins", "answer", "wait ends"}));
}

TEST_F(RunLoopTest, waitServesOtherMainContextSources)
{
    bool idleRan = false;
    g_idle_add(
        [](gpointer data) -> gboolean {
            *static_cast<bool*>(data) = true;
            return G_SOURCE_REMOVE;
        },
        &idleRan);
    EXPECT_TRUE(loop.runUntil([&] { return idleRan; }, 1));
}

TEST_F(RunLoopTest, postsFromOtherThreadsArriveOnTheMainThreadInOrder)
{
    loop.useRealClock();
    constexpr int kThreads = 4;
    constexpr int kPosts = 50;
    std::vector<std::vector<int>> received(kThreads);
    std::atomic<int> offMainThread{0};
    int total = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPosts; ++i) {
                loop.post([&, t, i] {
                    if (!isMainThread())
                        ++offMainThread;
                    received[t].push_back(i);
                    ++total;
                });
            }
        });
    }
    EXPECT_TRUE(loop.runUntil([&] { return total == kThreads * kPosts; }, kRealWaitLimit));
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(offMainThread, 0);
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(received[t].size(), size_t(kPosts));
        for (int i = 0; i < kPosts; ++i)
            EXPECT_EQ(received[t][i], i);
    }
}

TEST_F(RunLoopTest, virtualWaitWaitsForBackgroundWorkInsteadOfTimingOut)
{
    double start = loop.now();
    DispatchQueue queue("test.background");
    long long sum = 0;
    bool delivered = false;
    queue.async([&] {
        long long partial = 0;
        for (int i = 1; i <= 100000; ++i)
            partial += i;
        dispatchAsyncMain([&, partial] {
            sum = partial;
            delivered = true;
        });
    });
    EXPECT_TRUE(loop.runUntil([&] { return delivered; }, 1));
    EXPECT_EQ(sum, 5000050000LL);
    EXPECT_LT(loop.now() - start, 1) << "virtual time must not jump while background work is running";
}

TEST_F(RunLoopTest, realClockTimersFireThroughTheMainContext)
{
    loop.useRealClock();
    std::vector<std::string> order;
    loop.postAfterDelay(0.02, [&] { order.push_back("later"); });
    loop.postAfterDelay(0.001, [&] { order.push_back("sooner"); });
    EXPECT_TRUE(loop.runUntil([&] { return order.size() == 2; }, kRealWaitLimit));
    EXPECT_EQ(order, (std::vector<std::string>{"sooner", "later"}));
}

TEST_F(RunLoopTest, realClockWaitReturnsAtItsTimeOut)
{
    loop.useRealClock();
    double start = loop.now();
    EXPECT_FALSE(loop.runUntil([] { return false; }, 0.01));
    EXPECT_GE(loop.now() - start, 0.01);
}

TEST_F(RunLoopTest, switchingToRealTimeKeepsTheRemainingDelay)
{
    bool ran = false;
    RunLoop::RunLoop::TimerId id = loop.postAfterDelay(2, [&] { ran = true; });
    loop.advanceVirtualClock(1);
    loop.useRealClock();
    drain();
    EXPECT_FALSE(ran);
    EXPECT_TRUE(loop.isPending(id));
}

} // namespace
} // namespace folio
