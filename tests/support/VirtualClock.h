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
