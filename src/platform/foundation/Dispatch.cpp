#include "platform/foundation/Dispatch.h"

#include "platform/foundation/BlockingCall.h"
#include "platform/foundation/RunLoop.h"

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
    runAndWait([](std::function<void()> work) { RunLoop::main().post(std::move(work)); }, function);
}

} // namespace folio
