#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TerminationSignals.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace folio {
namespace {

// Bounds the waits for a signal's delivery; a passing test never comes near it.
constexpr double kDeliveryLimit = 10;

// Each case runs in a fresh process of its own: the signals are the
// process's, and the second one ends it.
class TerminationSignalsTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(TerminationSignalsTest, eachSignalRunsTheHandlerOnTheLoopAndASecondOneEndsTheProgramAtOnce)
{
    const int signals[] = {SIGTERM, SIGINT, SIGHUP};
    for (int first = 0; first < 3; ++first) {
        // Any of the three, not only the same again: Ctrl+C while the
        // session's end is being answered.
        int signal = signals[first];
        int second = signals[(first + 1) % 3];
        EXPECT_EXIT(
            {
                bool handled = false;
                TerminationSignals watch([&handled, second](int received) {
                    handled = true;
                    std::fprintf(stderr, "handling %d\n", received);
                    // The handler's work is still running: this one is not
                    // its to answer.
                    std::raise(second);
                    std::fprintf(stderr, "survived the second\n");
                    _exit(3);
                });
                std::raise(signal);
                RunLoop::main().runUntil([&handled] { return handled; }, kDeliveryLimit);
                _exit(4);
            },
            ::testing::KilledBySignal(second), "handling " + std::to_string(signal) + "\n$");
    }
}

TEST_F(TerminationSignalsTest, aSignalTheProgramWasStartedWithIgnoredStaysIgnored)
{
    // As under nohup: closing the terminal must not end the program.
    EXPECT_EXIT(
        {
            std::signal(SIGHUP, SIG_IGN);
            bool handled = false;
            TerminationSignals watch([&handled](int) { handled = true; });
            std::raise(SIGHUP);
            std::raise(SIGTERM);
            RunLoop::main().runUntil([&handled] { return handled; }, kDeliveryLimit);
            // Only SIGTERM was answered; SIGHUP is still ignored.
            std::raise(SIGHUP);
            _exit(handled ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(TerminationSignalsTest, theProgramEndsAsTheSignalWouldHaveEndedIt)
{
    EXPECT_EXIT(TerminationSignals::endAsSignalled(SIGINT), ::testing::KilledBySignal(SIGINT), "");
}

} // namespace
} // namespace folio
