#pragma once

#include <functional>

namespace folio {

// Whether the caller runs on the process's main thread, the one that runs
// the main run loop and owns every UI and web-view object.
bool isMainThread();

// Runs `function` on the main thread on a later turn of the main run loop,
// in order with other work posted there. Never runs it inside the call.
void dispatchAsyncMain(std::function<void()> function);

// Runs `function` on the main thread and returns when it has run. On the main
// thread it runs at once; from another thread the caller blocks until the
// main run loop has served it, so the main thread must not be blocked waiting
// for the caller.
void dispatchSyncMain(const std::function<void()>& function);

} // namespace folio
