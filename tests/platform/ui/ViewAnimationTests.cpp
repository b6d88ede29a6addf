#include "platform/ui/ViewAnimation.h"

#include "support/VirtualClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace folio {
namespace {

class ViewAnimationTest : public test::VirtualClockTest {};

TEST_F(ViewAnimationTest, stepsThroughTheDurationOnTheRunLoopAndEndsAtOne)
{
    std::vector<double> steps;
    int completions = 0;
    ViewAnimation::animate(0.2, [&](double progress) { steps.push_back(progress); }, [&] { ++completions; });
    EXPECT_TRUE(steps.empty()) << "nothing happens before the loop turns";
    loop.advanceVirtualClock(0.1);
    ASSERT_FALSE(steps.empty());
    EXPECT_GT(steps.back(), 0.3);
    EXPECT_LT(steps.back(), 0.7);
    EXPECT_EQ(completions, 0);
    loop.advanceVirtualClock(0.2);
    EXPECT_EQ(steps.back(), 1.0);
    EXPECT_EQ(completions, 1);
    for (std::size_t index = 1; index < steps.size(); ++index)
        EXPECT_GT(steps[index], steps[index - 1]);
    const std::size_t count = steps.size();
    loop.advanceVirtualClock(1.0);
    EXPECT_EQ(steps.size(), count) << "an ended animation steps no more";
}

TEST_F(ViewAnimationTest, aZeroDurationLandsAtOnceAndFramesInterpolate)
{
    double last = -1;
    bool done = false;
    ViewAnimation::animate(0, [&](double progress) { last = progress; }, [&] { done = true; });
    EXPECT_EQ(last, 1.0);
    EXPECT_TRUE(done);
    EXPECT_EQ(ViewAnimation::interpolate(makeRect(0, 10, 20, 40), makeRect(10, 30, 40, 0), 0.5), makeRect(5, 20, 30, 20));
}

} // namespace
} // namespace folio
