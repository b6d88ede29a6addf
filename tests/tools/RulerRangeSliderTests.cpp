#include "tools/ruler/RulerRangeSlider.h"

#include "platform/ui/ImageView.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace folio {
namespace {

// The ruler as every web-view editor sets it up: a Letter-wide sheet in
// centimetres, handles at least 2 cm apart, snapping to a millimetre.
class RulerRangeSliderTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        slider = std::make_shared<RulerRangeSlider>(makeRect(0, 0, 600, 40));
        slider->setMinimumValue(0);
        slider->setMaximumValue(21.59f);
        slider->setLowerValue(0);
        slider->setUpperValue(21.59f);
        slider->setMinimumRange(2.0f);
        slider->setStepValue(0.1f);
        slider->setStepValueContinuously(false);
        slider->addAction(ControlEvent::ValueChanged, [this](Control&) { ++events; });
        slider->layoutIfNeeded();
    }

    // The x at which a handle's centre shows the value.
    Point touchOn(const std::shared_ptr<ImageView>& handle) const { return handle->center(); }

    std::shared_ptr<RulerRangeSlider> slider;
    int events = 0;
};

TEST_F(RulerRangeSliderTest, valuesKeepTheMinimumRangeAndStayInTheTravel)
{
    slider->setLowerValue(25);
    EXPECT_FLOAT_EQ(slider->lowerValue(), 21.59f - 2.0f);
    slider->setLowerValue(2);
    slider->setUpperValue(1);
    EXPECT_FLOAT_EQ(slider->upperValue(), 4.0f);
    slider->setUpperValue(30);
    EXPECT_FLOAT_EQ(slider->upperValue(), 21.59f);
    slider->setLowerValue(-3);
    EXPECT_FLOAT_EQ(slider->lowerValue(), 0);
    slider->setMaxLowerValue(5.0f);
    slider->setLowerValue(9);
    EXPECT_FLOAT_EQ(slider->lowerValue(), 5.0f);
    slider->setMinUpperValue(20.0f);
    slider->setUpperValue(10);
    EXPECT_FLOAT_EQ(slider->upperValue(), 20.0f);
    // Setting values from code tells no one.
    EXPECT_EQ(events, 0);
}

TEST_F(RulerRangeSliderTest, unchangedValuesSendNothingUnlessAnimated)
{
    slider->setLowerAndUpperValue(NAN, 21.59f, false);
    slider->setLowerAndUpperValue(0, NAN, false);
    EXPECT_EQ(events, 0);
    slider->setLowerAndUpperValue(3, NAN, false);
    EXPECT_EQ(events, 1);
    slider->setLowerAndUpperValue(3, NAN, true);
    EXPECT_EQ(events, 1);
    loop.advanceVirtualClock(0.3);
    EXPECT_EQ(events, 2);
}

TEST_F(RulerRangeSliderTest, theHandlesReachFourteenPointsPastBothEnds)
{
    EXPECT_DOUBLE_EQ(slider->lowerHandle()->frame().minX(), -14.0);
    EXPECT_NEAR(slider->upperHandle()->frame().maxX(), 600 + 14.0, 1e-3);
    Rect background = slider->trackBackgroundRect();
    EXPECT_DOUBLE_EQ(background.minX(), 2.0);
    EXPECT_DOUBLE_EQ(background.width(), 596.0);
    // The track runs between the handles' centres, without their offsets.
    EXPECT_NEAR(slider->trackRect().minX(), 14.0, 1e-3);
    EXPECT_NEAR(slider->trackRect().maxX(), 586.0, 1e-3);
    Rect touch = RulerRangeSlider::touchRectForHandle(*slider->lowerHandle());
    EXPECT_DOUBLE_EQ(touch.minX(), -19.0);
    EXPECT_DOUBLE_EQ(touch.width(), slider->lowerHandle()->frame().width() + 10);
}

TEST_F(RulerRangeSliderTest, aDragMovesFreelyThenSnapsWhenTheFingerLifts)
{
    Point start = touchOn(slider->lowerHandle());
    ASSERT_TRUE(slider->beginTrackingWithTouch(start));
    // The handle's centre is taken 14 points in from where it is drawn, on a
    // travel of 600 less one handle's width.
    ASSERT_TRUE(slider->continueTrackingWithTouch({start.x + 100, start.y}));
    float dragged = slider->lowerValue();
    EXPECT_NEAR(dragged, 86.0f / 572.0f * 21.59f, 1e-4);
    EXPECT_NE(dragged, 0.1f * std::floor(dragged / 0.1f)); // not on a step while dragging
    int whileDragging = events;
    EXPECT_GE(whileDragging, 1);

    slider->endTrackingWithTouch({start.x + 100, start.y});
    EXPECT_FLOAT_EQ(slider->lowerValue(), 0.1f * std::floor(dragged / 0.1f));
    EXPECT_EQ(events, whileDragging + 1);
    // The dragged handle's snapping animation reports when it ends; the
    // upper handle, left alone, keeps its value and does not move.
    float upper = slider->upperValue();
    loop.advanceVirtualClock(0.1);
    EXPECT_EQ(events, whileDragging + 1);
    loop.advanceVirtualClock(0.2);
    EXPECT_EQ(events, whileDragging + 2);
    EXPECT_EQ(slider->upperValue(), upper);
    EXPECT_FALSE(slider->lowerHandle()->image() == slider->lowerHandleImageHighlighted().image);

    // Values set from code (a margin read from a file or typed in) are kept
    // as they are.
    slider->setLowerValue(3.27f);
    EXPECT_FLOAT_EQ(slider->lowerValue(), 3.27f);
    slider->setUpperValue(17.01f);
    EXPECT_FLOAT_EQ(slider->upperValue(), 17.01f);
}

TEST_F(RulerRangeSliderTest, overlappingHandlesFollowTheDirectionOfTheDrag)
{
    // Handles 2 cm apart never meet; close ones do.
    slider->setMinimumRange(0);
    slider->setLowerAndUpperValue(8, 8.2f, false);
    slider->layoutIfNeeded();
    // Between the two centres both touch rectangles hold the finger.
    Point between{(slider->lowerCenter().x + slider->upperCenter().x) / 2, 20};
    ASSERT_TRUE(RulerRangeSlider::touchRectForHandle(*slider->lowerHandle()).containsPoint(between));
    ASSERT_TRUE(RulerRangeSlider::touchRectForHandle(*slider->upperHandle()).containsPoint(between));

    slider->beginTrackingWithTouch(between);
    slider->continueTrackingWithTouch({between.x + 60, between.y});
    EXPECT_FLOAT_EQ(slider->lowerValue(), 8);
    EXPECT_GT(slider->upperValue(), 8.2f);
    slider->endTrackingWithTouch({between.x + 60, between.y});

    slider->setLowerAndUpperValue(8, 8.2f, false);
    slider->layoutIfNeeded();
    between = {(slider->lowerCenter().x + slider->upperCenter().x) / 2, 20};
    slider->beginTrackingWithTouch(between);
    slider->continueTrackingWithTouch({between.x - 60, between.y});
    EXPECT_LT(slider->lowerValue(), 8);
    EXPECT_FLOAT_EQ(slider->upperValue(), 8.2f);
}

TEST_F(RulerRangeSliderTest, aTouchBesideTheHandlesMovesNothing)
{
    slider->setLowerAndUpperValue(5, 15, false);
    slider->layoutIfNeeded();
    int before = events;
    Point away{300, 20};
    slider->beginTrackingWithTouch(away);
    slider->continueTrackingWithTouch({away.x + 80, away.y});
    EXPECT_FLOAT_EQ(slider->lowerValue(), 5);
    EXPECT_FLOAT_EQ(slider->upperValue(), 15);
    EXPECT_EQ(events, before);
}

} // namespace
} // namespace folio

namespace folio {
namespace {

TEST(RulerRangeSliderEmptyTravelTest, anEmptyTravelOrANarrowControlNeverDividesByZero)
{
    // The second control is exactly as wide as a handle, which leaves no
    // travel to divide.
    for (Rect frame : {makeRect(0, 0, 600, 40), makeRect(0, 0, 28, 40)}) {
        auto slider = std::make_shared<RulerRangeSlider>(frame);
        slider->setMinimumValue(5);
        slider->setMaximumValue(5);
        slider->setLowerValue(5);
        slider->setUpperValue(5);
        slider->layoutIfNeeded();
        for (float x : {0.0f, 3.0f, 300.0f}) {
            EXPECT_TRUE(std::isfinite(slider->lowerValueForCenterX(x))) << frame.width();
            EXPECT_TRUE(std::isfinite(slider->upperValueForCenterX(x))) << frame.width();
        }
        EXPECT_EQ(slider->lowerValueForCenterX(300), 5.0f);
        Rect lower = slider->lowerHandle()->frame();
        EXPECT_TRUE(std::isfinite(lower.minX()) && std::isfinite(slider->trackRect().width()));
        // A drag across it keeps finite values.
        slider->beginTrackingWithTouch(slider->lowerHandle()->center());
        slider->continueTrackingWithTouch({250, 20});
        slider->endTrackingWithTouch({250, 20});
        EXPECT_TRUE(std::isfinite(slider->lowerValue()) && std::isfinite(slider->upperValue()));
    }
}

} // namespace
} // namespace folio
