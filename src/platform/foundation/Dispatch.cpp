#include "platform/foundation/Dispatch.h"

#include "platform/foundation/RunLoop.h"

#include <condition_variable>
#include <mutex>

#include <unistd.h>

namespace folio {

bool isMainThread()
{
    // On Linux the main thread's id equals the process id; this needs no
    // start-up registration, so it is right even during static initialisation.
    return gettid() == getpid();
}

void dispatchAsyncMain(std::function<void()> function)
{
    RunLoop::main().post(std::move(function));
}

void dispatchSyncMain(const std::function<void()>& function)
{
    if (isMainThread()) {
        function();
        return;
    }
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    // The caller blocks until the flag is set, so the references stay valid.
    RunLoop::main().post([&] {
        function();
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_one();
    });
    std::unique_lock lock(mutex);
    finished.wait(lock, [&] { return done; });
}

} // namespace folio
