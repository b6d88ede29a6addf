#pragma once

#include "platform/foundation/NotificationCenter.h"

#include <memory>

namespace folio {

// Posts notifications later, on a following turn of the main run loop, and
// folds repeated notifications into one while they wait: a burst of edits
// then produces a single "changed" notification.
class NotificationQueue {
public:
    enum class PostingStyle {
        WhenIdle,   // after the run loop has served what is already waiting
        ASAP,       // on the next turn of the run loop, before idle postings
        Now,        // at once, after dropping the queued notifications it coalesces with
    };
    // Bit mask: which queued notifications count as the same one.
    enum Coalescing : unsigned {
        CoalescingNone = 0,
        CoalescingOnName = 1,
        CoalescingOnSender = 2,
    };

    explicit NotificationQueue(NotificationCenter& center = NotificationCenter::defaultCenter());
    ~NotificationQueue();
    NotificationQueue(const NotificationQueue&) = delete;
    NotificationQueue& operator=(const NotificationQueue&) = delete;

    // The queue of the main thread, posting to the default center.
    static NotificationQueue& defaultQueue();

    // A notification that coalesces with one already waiting is dropped:
    // the waiting one keeps its place and its user info.
    void enqueueNotification(Notification notification, PostingStyle style,
                             unsigned coalesceMask = CoalescingOnName | CoalescingOnSender);
    // Removes the waiting notifications that match by the mask.
    void dequeueNotificationsMatching(const Notification& notification, unsigned coalesceMask);
    std::size_t pendingCount() const;

private:
    struct State;
    static void scheduleFlush(const std::weak_ptr<State>& weak, PostingStyle style);

    std::shared_ptr<State> m_state;
};

} // namespace folio
