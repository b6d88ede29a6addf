#include "platform/foundation/DispatchGroup.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace folio {

struct DispatchGroup::State {
    std::mutex mutex;
    std::condition_variable empty;
    long outstanding = 0;
    // Each one submits its notification to the queue it was meant for.
    std::vector<Function> notifications;
};

DispatchGroup::DispatchGroup()
    : m_state(std::make_shared<State>())
{
}

void DispatchGroup::enter()
{
    std::lock_guard lock(m_state->mutex);
    ++m_state->outstanding;
}

void DispatchGroup::leave()
{
    std::vector<Function> notifications;
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->outstanding == 0)
            return;
        if (--m_state->outstanding > 0)
            return;
        notifications.swap(m_state->notifications);
    }
    m_state->empty.notify_all();
    for (Function& submit : notifications)
        submit();
}

void DispatchGroup::addNotification(Function submit)
{
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->outstanding > 0) {
            m_state->notifications.push_back(std::move(submit));
            return;
        }
    }
    submit();
}

void DispatchGroup::notify(const DispatchQueue& queue, Function function)
{
    addNotification([queue, function = std::move(function)]() mutable { queue.async(std::move(function)); });
}

void DispatchGroup::notifyMain(Function function)
{
    addNotification([function = std::move(function)]() mutable { RunLoop::main().post(std::move(function)); });
}

bool DispatchGroup::wait(double timeoutSeconds)
{
    std::unique_lock lock(m_state->mutex);
    auto allLeft = [&] { return m_state->outstanding == 0; };
    if (timeoutSeconds < 0 || std::isnan(timeoutSeconds)) {
        m_state->empty.wait(lock, allLeft);
        return true;
    }
    return m_state->empty.wait_for(lock, std::chrono::duration<double>(timeoutSeconds), allLeft);
}

} // namespace folio
