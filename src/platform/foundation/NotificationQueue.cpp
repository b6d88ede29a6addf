#include "platform/foundation/NotificationQueue.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <deque>
#include <mutex>

namespace folio {

struct NotificationQueue::State {
    struct Pending {
        Notification notification;
        PostingStyle style;
    };

    explicit State(NotificationCenter& center) : center(center) {}

    NotificationCenter& center;
    mutable std::mutex mutex;
    std::deque<Pending> pending;
    bool asapScheduled = false;
    bool idleScheduled = false;

    static bool matches(const Notification& queued, const Notification& other, unsigned mask)
    {
        if (mask == CoalescingNone)
            return false;
        if ((mask & CoalescingOnName) && queued.name != other.name)
            return false;
        if ((mask & CoalescingOnSender) && queued.sender != other.sender)
            return false;
        return true;
    }

    // Posts, in queue order, every waiting notification of the given style.
    // Notifications enqueued by observers during the flush wait for the next turn.
    void flush(PostingStyle style)
    {
        std::vector<Notification> due;
        {
            std::lock_guard lock(mutex);
            (style == PostingStyle::ASAP ? asapScheduled : idleScheduled) = false;
            for (auto it = pending.begin(); it != pending.end();) {
                if (it->style == style) {
                    due.push_back(std::move(it->notification));
                    it = pending.erase(it);
                } else {
                    ++it;
                }
            }
        }
        for (const Notification& notification : due)
            center.postNotification(notification);
    }
};

NotificationQueue::NotificationQueue(NotificationCenter& center)
    : m_state(std::make_shared<State>(center))
{
}

NotificationQueue::~NotificationQueue() = default;

NotificationQueue& NotificationQueue::defaultQueue()
{
    static NotificationQueue queue;
    return queue;
}

void NotificationQueue::enqueueNotification(Notification notification, PostingStyle style, unsigned coalesceMask)
{
    if (style == PostingStyle::Now) {
        dequeueNotificationsMatching(notification, coalesceMask);
        m_state->center.postNotification(notification);
        return;
    }
    bool schedule = false;
    {
        std::lock_guard lock(m_state->mutex);
        bool coalesced = std::any_of(m_state->pending.begin(), m_state->pending.end(),
            [&](const State::Pending& queued) { return State::matches(queued.notification, notification, coalesceMask); });
        if (coalesced)
            return;
        m_state->pending.push_back({std::move(notification), style});
        bool& scheduled = style == PostingStyle::ASAP ? m_state->asapScheduled : m_state->idleScheduled;
        schedule = !scheduled;
        scheduled = true;
    }
    if (schedule)
        scheduleFlush(m_state, style);
}

void NotificationQueue::dequeueNotificationsMatching(const Notification& notification, unsigned coalesceMask)
{
    std::lock_guard lock(m_state->mutex);
    std::erase_if(m_state->pending,
        [&](const State::Pending& queued) { return State::matches(queued.notification, notification, coalesceMask); });
}

std::size_t NotificationQueue::pendingCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->pending.size();
}

void NotificationQueue::scheduleFlush(const std::weak_ptr<State>& weak, PostingStyle style)
{
    // A queue destroyed before its turn comes simply posts nothing.
    if (style == PostingStyle::ASAP) {
        RunLoop::main().post([weak] {
            if (auto state = weak.lock())
                state->flush(NotificationQueue::PostingStyle::ASAP);
        });
        return;
    }
    // Idle work goes behind everything already posted: the run loop serves
    // posts in order, so a second hop lets work queued meanwhile run first.
    RunLoop::main().post([weak] {
        RunLoop::main().post([weak] {
            if (auto state = weak.lock())
                state->flush(NotificationQueue::PostingStyle::WhenIdle);
        });
    });
}

} // namespace folio
