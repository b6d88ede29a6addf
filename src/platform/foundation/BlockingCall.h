#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

namespace folio {

// Hands `work` to `submit`, which runs it on another thread or loop, and blocks
// until it has run. The caller stays blocked while the work runs, so the work
// may use the caller's references.
template <typename Submit>
void runAndWait(Submit&& submit, const std::function<void()>& work)
{
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    submit([&] {
        work();
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_one();
    });
    std::unique_lock lock(mutex);
    finished.wait(lock, [&] { return done; });
}

} // namespace folio
