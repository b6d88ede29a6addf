#include "platform/foundation/NotificationQueue.h"
#include "support/VirtualClock.h"

#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

class NotificationQueueTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        m_center.addObserver("", nullptr, [this](const Notification& n) {
            m_posted.push_back(n.name + (n.userInfo.get<int>("n") ? ":" + std::to_string(*n.userInfo.get<int>("n")) : ""));
        });
    }

    void drain()
    {
        while (RunLoop::main().runOnce()) {
        }
    }

    NotificationCenter m_center;
    NotificationQueue m_queue{m_center};
    std::vector<std::string> m_posted;
};

TEST_F(NotificationQueueTest, PostsLaterNotAtOnce)
{
    m_queue.enqueueNotification({"Changed", nullptr, {}}, NotificationQueue::PostingStyle::ASAP);
    EXPECT_TRUE(m_posted.empty());
    EXPECT_EQ(m_queue.pendingCount(), 1u);
    drain();
    EXPECT_EQ(m_posted, (std::vector<std::string>{"Changed"}));
    EXPECT_EQ(m_queue.pendingCount(), 0u);
}

TEST_F(NotificationQueueTest, CoalescesByNameAndSenderKeepingTheFirst)
{
    int a = 0, b = 0;
    for (int i = 1; i <= 3; ++i)
        m_queue.enqueueNotification({"Changed", &a, UserInfo{{"n", i}}}, NotificationQueue::PostingStyle::ASAP);
    m_queue.enqueueNotification({"Changed", &b, UserInfo{{"n", 9}}}, NotificationQueue::PostingStyle::ASAP);
    m_queue.enqueueNotification({"Saved", &a, {}}, NotificationQueue::PostingStyle::ASAP);
    drain();
    EXPECT_EQ(m_posted, (std::vector<std::string>{"Changed:1", "Changed:9", "Saved"}));
}

TEST_F(NotificationQueueTest, CoalescingOnNameOnlyIgnoresTheSender)
{
    int a = 0, b = 0;
    m_queue.enqueueNotification({"Changed", &a, {}}, NotificationQueue::PostingStyle::ASAP, NotificationQueue::CoalescingOnName);
    m_queue.enqueueNotification({"Changed", &b, {}}, NotificationQueue::PostingStyle::ASAP, NotificationQueue::CoalescingOnName);
    m_queue.enqueueNotification({"Other", &a, {}}, NotificationQueue::PostingStyle::ASAP, NotificationQueue::CoalescingOnSender);
    m_queue.enqueueNotification({"Third", &b, {}}, NotificationQueue::PostingStyle::ASAP, NotificationQueue::CoalescingNone);
    m_queue.enqueueNotification({"Third", &b, {}}, NotificationQueue::PostingStyle::ASAP, NotificationQueue::CoalescingNone);
    drain();
    // "Other" shares its sender with the first "Changed", so it is folded into it.
    EXPECT_EQ(m_posted, (std::vector<std::string>{"Changed", "Third", "Third"}));
}

TEST_F(NotificationQueueTest, IdlePostingsComeAfterWorkAlreadyWaiting)
{
    m_queue.enqueueNotification({"Idle", nullptr, {}}, NotificationQueue::PostingStyle::WhenIdle);
    RunLoop::main().post([this] { m_posted.push_back("work"); });
    m_queue.enqueueNotification({"Soon", nullptr, {}}, NotificationQueue::PostingStyle::ASAP);
    drain();
    EXPECT_EQ(m_posted, (std::vector<std::string>{"work", "Soon", "Idle"}));
}

TEST_F(NotificationQueueTest, PostNowDropsTheQueuedDuplicates)
{
    m_queue.enqueueNotification({"Changed", nullptr, UserInfo{{"n", 1}}}, NotificationQueue::PostingStyle::ASAP);
    m_queue.enqueueNotification({"Changed", nullptr, UserInfo{{"n", 2}}}, NotificationQueue::PostingStyle::Now);
    EXPECT_EQ(m_posted, (std::vector<std::string>{"Changed:2"}));
    drain();
    EXPECT_EQ(m_posted, (std::vector<std::string>{"Changed:2"}));
}

TEST_F(NotificationQueueTest, DequeueRemovesMatchingOnly)
{
    int a = 0, b = 0;
    m_queue.enqueueNotification({"Changed", &a, {}}, NotificationQueue::PostingStyle::ASAP);
    m_queue.enqueueNotification({"Changed", &b, {}}, NotificationQueue::PostingStyle::ASAP);
    m_queue.dequeueNotificationsMatching({"Changed", &a, {}}, NotificationQueue::CoalescingOnName | NotificationQueue::CoalescingOnSender);
    EXPECT_EQ(m_queue.pendingCount(), 1u);
    drain();
    EXPECT_EQ(m_posted.size(), 1u);
}

TEST_F(NotificationQueueTest, NotificationsEnqueuedWhilePostingWaitForTheNextTurn)
{
    int rounds = 0;
    m_center.addObserver("Changed", nullptr, [&](const Notification&) {
        if (++rounds < 3)
            m_queue.enqueueNotification({"Changed", nullptr, {}}, NotificationQueue::PostingStyle::ASAP);
    });
    m_queue.enqueueNotification({"Changed", nullptr, {}}, NotificationQueue::PostingStyle::ASAP);
    EXPECT_TRUE(RunLoop::main().runOnce());
    EXPECT_EQ(rounds, 1);
    drain();
    EXPECT_EQ(rounds, 3);
}

TEST_F(NotificationQueueTest, DestroyedQueuePostsNothing)
{
    {
        NotificationQueue shortLived(m_center);
        shortLived.enqueueNotification({"Gone", nullptr, {}}, NotificationQueue::PostingStyle::ASAP);
    }
    drain();
    EXPECT_TRUE(m_posted.empty());
}

} // namespace
} // namespace folio
