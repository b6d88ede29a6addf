#include "platform/foundation/DispatchQueue.h"

#include "platform/foundation/BlockingCall.h"
#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace folio {

struct DispatchQueue::State {
    std::string label;
    Kind kind = Kind::Serial;
    std::size_t maximumThreads = 1;

    std::mutex mutex;
    std::condition_variable workAvailable;
    std::deque<Function> work;
    std::vector<std::thread> threads;
    std::vector<std::thread::id> threadIds;
    std::size_t idleThreads = 0;
    bool stopping = false;
};

// The threads keep the State alive; the Owner, shared by the copies of the
// queue, tells them to stop once nobody can submit any more work.
struct DispatchQueue::Owner {
    std::shared_ptr<State> state = std::make_shared<State>();

    ~Owner()
    {
        std::vector<std::thread> threads;
        {
            std::lock_guard lock(state->mutex);
            state->stopping = true;
            threads.swap(state->threads);
        }
        state->workAvailable.notify_all();
        for (std::thread& thread : threads) {
            // The last copy may be dropped by the queue's own work; that
            // thread cannot join itself and ends on its own.
            if (thread.get_id() == std::this_thread::get_id())
                thread.detach();
            else
                thread.join();
        }
    }
};

void DispatchQueue::runWorker(const std::shared_ptr<State>& state)
{
    std::unique_lock lock(state->mutex);
    while (true) {
        state->workAvailable.wait(lock, [&] { return !state->work.empty() || state->stopping; });
        // Work submitted before the last copy went away still runs.
        if (state->work.empty())
            return;
        Function function = std::move(state->work.front());
        state->work.pop_front();
        --state->idleThreads;
        lock.unlock();
        function();
        function = nullptr;
        lock.lock();
        ++state->idleThreads;
    }
}

DispatchQueue::DispatchQueue(std::string label, Kind kind)
    : m_owner(std::make_shared<Owner>())
{
    State& state = *m_owner->state;
    state.label = std::move(label);
    state.kind = kind;
    if (kind == Kind::Concurrent)
        state.maximumThreads = std::max(4u, std::thread::hardware_concurrency());
}

DispatchQueue DispatchQueue::global(Priority priority)
{
    // Never destroyed: work may still be running on them while the process exits.
    static DispatchQueue* queues[] = {
        new DispatchQueue("folio.global.high", Kind::Concurrent),
        new DispatchQueue("folio.global.default", Kind::Concurrent),
        new DispatchQueue("folio.global.low", Kind::Concurrent),
        new DispatchQueue("folio.global.background", Kind::Concurrent),
    };
    return *queues[static_cast<int>(priority)];
}

const std::string& DispatchQueue::label() const
{
    return m_owner->state->label;
}

DispatchQueue::Kind DispatchQueue::kind() const
{
    return m_owner->state->kind;
}

void DispatchQueue::async(Function function) const
{
    const std::shared_ptr<State>& state = m_owner->state;
    // While the work is queued or running, a virtual-clock wait on the main
    // thread waits for its results rather than jumping to its time-out.
    RunLoop::main().beginBackgroundWork();
    {
        std::lock_guard lock(state->mutex);
        state->work.push_back([function = std::move(function)] {
            function();
            RunLoop::main().endBackgroundWork();
        });
        // A thread that is idle but has not yet picked up earlier work is
        // already spoken for, so compare with the queued work, not with zero.
        if (state->work.size() > state->idleThreads && state->threads.size() < state->maximumThreads) {
            ++state->idleThreads;
            state->threads.emplace_back([state] { runWorker(state); });
            state->threadIds.push_back(state->threads.back().get_id());
        }
    }
    state->workAvailable.notify_one();
}

void DispatchQueue::async(const DispatchGroup& group, Function function) const
{
    DispatchGroup held = group;
    held.enter();
    async([held, function = std::move(function)]() mutable {
        function();
        held.leave();
    });
}

void DispatchQueue::sync(const Function& function) const
{
    if (kind() == Kind::Concurrent || isCurrent()) {
        function();
        return;
    }
    runAndWait([this](Function work) { async(std::move(work)); }, function);
}

bool DispatchQueue::isCurrent() const
{
    State& state = *m_owner->state;
    std::lock_guard lock(state.mutex);
    return std::find(state.threadIds.begin(), state.threadIds.end(), std::this_thread::get_id())
        != state.threadIds.end();
}

} // namespace folio
