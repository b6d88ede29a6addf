#include "platform/foundation/Dispatch.h"
#include "support/VirtualClock.h"
#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace folio {
namespace {

// A generous bound for waits on other threads; a passing test never comes near it.
constexpr double kWaitLimit = 30;

// Holds work back until the test opens it, so that "not yet" can be checked
// without timing.
class Gate {
public:
    void open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    void pass()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

class DispatchTest : public test::VirtualClockTest {};

TEST_F(DispatchTest, serialQueueRunsWorkOneAtATimeInSubmissionOrder)
{
    DispatchQueue queue("test.serial");
    std::vector<int> order;
    std::atomic<int> running{0};
    std::atomic<int> mostAtOnce{0};
    for (int i = 0; i < 200; ++i) {
        queue.async([&, i] {
            int now = ++running;
            mostAtOnce = std::max(mostAtOnce.load(), now);
            order.push_back(i);
            --running;
        });
    }
    // sync runs after everything submitted before it.
    std::size_t seen = 0;
    queue.sync([&] { seen = order.size(); });
    EXPECT_EQ(seen, 200u);
    EXPECT_EQ(mostAtOnce, 1);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(order[i], i);
}

TEST_F(DispatchTest, concurrentQueueRunsWorkAtTheSameTime)
{
    // Each piece waits until the other has started: only true concurrency lets
    // both finish.
    DispatchQueue queue("test.concurrent", DispatchQueue::Kind::Concurrent);
    std::mutex mutex;
    std::condition_variable changed;
    int started = 0;
    std::atomic<int> metPartner{0};
    DispatchGroup group;
    for (int i = 0; i < 2; ++i) {
        queue.async(group, [&] {
            std::unique_lock lock(mutex);
            ++started;
            changed.notify_all();
            if (changed.wait_for(lock, std::chrono::duration<double>(kWaitLimit), [&] { return started == 2; }))
                ++metPartner;
        });
    }
    EXPECT_TRUE(group.wait(kWaitLimit));
    EXPECT_EQ(metPartner, 2);
}

TEST_F(DispatchTest, syncFromTheSerialQueuesOwnThreadRunsAtOnce)
{
    DispatchQueue queue("test.reentrant");
    bool innerRan = false;
    bool innerWasCurrent = false;
    queue.sync([&] {
        queue.sync([&] {
            innerRan = true;
            innerWasCurrent = queue.isCurrent();
        });
    });
    EXPECT_TRUE(innerRan);
    EXPECT_TRUE(innerWasCurrent);
    EXPECT_FALSE(queue.isCurrent());
}

TEST_F(DispatchTest, queueFinishesSubmittedWorkWhenItsLastCopyGoes)
{
    std::atomic<int> done{0};
    Gate gate;
    {
        DispatchQueue queue("test.drop");
        queue.async([&] { gate.pass(); ++done; });
        queue.async([&] { ++done; });
        gate.open();
    }
    EXPECT_EQ(done, 2);
}

TEST_F(DispatchTest, globalQueuesAreOneConcurrentQueuePerPriority)
{
    DispatchQueue high = DispatchQueue::global(DispatchQueue::Priority::High);
    DispatchQueue low = DispatchQueue::global(DispatchQueue::Priority::Low);
    EXPECT_NE(high.label(), low.label());
    EXPECT_EQ(high.label(), DispatchQueue::global(DispatchQueue::Priority::High).label());
    EXPECT_EQ(high.kind(), DispatchQueue::Kind::Concurrent);

    DispatchGroup group;
    std::atomic<bool> onHigh{false}, onLow{false};
    high.async(group, [&] { onHigh = DispatchQueue::global(DispatchQueue::Priority::High).isCurrent(); });
    low.async(group, [&] { onLow = high.isCurrent(); });
    EXPECT_TRUE(group.wait(kWaitLimit));
    EXPECT_TRUE(onHigh);
    EXPECT_FALSE(onLow);
}

TEST_F(DispatchTest, groupNotifiesOnlyAfterEveryPieceHasLeft)
{
    DispatchQueue queue("test.group", DispatchQueue::Kind::Concurrent);
    DispatchGroup group;
    Gate gate;
    std::atomic<int> finished{0};
    int finishedWhenNotified = -1;
    for (int i = 0; i < 3; ++i) {
        queue.async(group, [&] {
            gate.pass();
            ++finished;
        });
    }
    group.notifyMain([&] { finishedWhenNotified = finished; });

    EXPECT_FALSE(group.wait(0));
    while (loop.runOnce()) {
    }
    EXPECT_EQ(finishedWhenNotified, -1) << "notified while work was still outstanding";

    gate.open();
    EXPECT_TRUE(loop.runUntil([&] { return finishedWhenNotified != -1; }, kWaitLimit));
    EXPECT_EQ(finishedWhenNotified, 3);
}

TEST_F(DispatchTest, groupNotifiesOnTheGivenQueueAndOnlyOnce)
{
    DispatchQueue queue("test.notify");
    DispatchGroup group;
    std::atomic<int> notified{0};
    std::atomic<bool> onQueue{false};
    group.enter();
    group.notify(queue, [&] {
        onQueue = queue.isCurrent();
        ++notified;
    });
    group.leave();
    group.enter();
    group.leave();
    queue.sync([] {});
    EXPECT_EQ(notified, 1);
    EXPECT_TRUE(onQueue);
}

TEST_F(DispatchTest, groupWithNothingOutstandingNotifiesAtOnce)
{
    DispatchQueue queue("test.empty");
    DispatchGroup group;
    std::atomic<bool> notified{false};
    group.notify(queue, [&] { notified = true; });
    queue.sync([] {});
    EXPECT_TRUE(notified);
    EXPECT_TRUE(group.wait(0));
}

TEST_F(DispatchTest, groupWaitTimesOutWhileWorkIsOutstanding)
{
    DispatchGroup group;
    group.enter();
    group.enter();
    EXPECT_FALSE(group.wait(0));
    group.leave();
    EXPECT_FALSE(group.wait(0));
    group.leave();
    EXPECT_TRUE(group.wait(0));
}

TEST_F(DispatchTest, unmatchedLeaveDoesNotLetTheCountGoNegative)
{
    DispatchGroup group;
    group.leave();
    group.enter();
    EXPECT_FALSE(group.wait(0)) << "an extra leave must not cancel a later enter";
    group.leave();
    EXPECT_TRUE(group.wait(0));
}

TEST_F(DispatchTest, mainThreadIsRecognised)
{
    EXPECT_TRUE(isMainThread());
    bool otherIsMain = true;
    std::thread([&] { otherIsMain = isMainThread(); }).join();
    EXPECT_FALSE(otherIsMain);
}

TEST_F(DispatchTest, asyncMainNeverRunsInsideTheCall)
{
    bool ran = false;
    dispatchAsyncMain([&] { ran = true; });
    EXPECT_FALSE(ran);
    EXPECT_TRUE(loop.runUntil([&] { return ran; }, 1));
}

TEST_F(DispatchTest, syncMainOnTheMainThreadRunsAtOnce)
{
    bool ran = false;
    dispatchSyncMain([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST_F(DispatchTest, syncMainFromAnotherThreadWaitsForTheMainThread)
{
    DispatchQueue queue("test.syncmain");
    std::vector<std::string> log;
    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> done{false};
    queue.async([&] {
        dispatchSyncMain([&] {
            ranOnMain = isMainThread();
            log.push_back("main");
        });
        // Only reached after the main thread ran the work above.
        dispatchAsyncMain([&] {
            log.push_back("after");
            done = true;
        });
    });
    EXPECT_TRUE(loop.runUntil([&] { return done.load(); }, kWaitLimit));
    EXPECT_TRUE(ranOnMain);
    EXPECT_EQ(log, (std::vector<std::string>{"main", "after"}));
}

} // namespace
} // namespace folio
