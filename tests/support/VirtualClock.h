#pragma once

#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

namespace folio::test {

// Puts the main run loop on its virtual clock for as long as it lives, so that
// delays never sleep, and hands the real clock back with nothing left queued,
// so that no test leaks its clock or its work into the next one.
class VirtualClockScope {
public:
    VirtualClockScope()
    {
        RunLoop::main().cancelAll();
        RunLoop::main().useVirtualClock();
    }
    ~VirtualClockScope()
    {
        // Background work a test set going (an autosave that came due) may be
        // waiting for the main thread: let it end first, or cancelling its
        // answer would leave it waiting, and the next test behind it.
        RunLoop::main().runUntil([] { return !RunLoop::main().hasBackgroundWork(); }, 60);
        RunLoop::main().cancelAll();
        RunLoop::main().useRealClock();
    }
    VirtualClockScope(const VirtualClockScope&) = delete;
    VirtualClockScope& operator=(const VirtualClockScope&) = delete;
};

class VirtualClockTest : public testing::Test {
protected:
    RunLoop& loop = RunLoop::main();

private:
    VirtualClockScope m_clock;
};

} // namespace folio::test
