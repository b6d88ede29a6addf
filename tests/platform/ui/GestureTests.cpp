#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/SwipeGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/View.h"

#include <gtest/gtest.h>

#include <vector>

namespace folio {
namespace {

class GestureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::make_shared<View>(makeRect(0, 0, 500, 500));
        page = std::make_shared<View>(makeRect(20, 30, 400, 400));
        root->addSubview(page);
    }
    GestureRecognizer::Handler record()
    {
        return [this](GestureRecognizer& recognizer) { states.push_back(recognizer.state()); };
    }

    std::shared_ptr<View> root;
    std::shared_ptr<View> page;
    std::vector<GestureRecognizerState> states;
};

TEST_F(GestureTest, tapNeedsTheRequiredTapAndTouchCountsAndReportsItsLocation)
{
    auto doubleTap = std::make_shared<TapGestureRecognizer>(record());
    doubleTap->setNumberOfTapsRequired(2);
    Point seenInRoot;
    doubleTap->addTarget([&](GestureRecognizer& r) { seenInRoot = r.locationInView(root.get()); });
    page->addGestureRecognizer(doubleTap);
    EXPECT_FALSE(doubleTap->tap({5, 5}, 1));
    EXPECT_FALSE(doubleTap->tap({5, 5}, 2, 2));
    EXPECT_TRUE(doubleTap->tap({5, 6}, 2));
    EXPECT_EQ(states, (std::vector<GestureRecognizerState>{GestureRecognizerState::Ended}));
    EXPECT_EQ(seenInRoot, (Point{25, 36}));
    EXPECT_EQ(doubleTap->state(), GestureRecognizerState::Possible);
}

TEST_F(GestureTest, recognizersOnHiddenDisabledOrDetachedViewsStaySilent)
{
    auto tap = std::make_shared<TapGestureRecognizer>(record());
    EXPECT_FALSE(tap->tap({1, 1})) << "not attached to a view";
    page->addGestureRecognizer(tap);
    root->setHidden(true);
    EXPECT_FALSE(tap->tap({1, 1}));
    root->setHidden(false);
    tap->setEnabled(false);
    EXPECT_FALSE(tap->tap({1, 1}));
    tap->setEnabled(true);
    page->removeGestureRecognizer(tap.get());
    EXPECT_EQ(tap->view(), nullptr);
    EXPECT_FALSE(tap->tap({1, 1}));
    EXPECT_TRUE(states.empty());
}

class Refuser : public GestureRecognizerDelegate {
public:
    bool gestureRecognizerShouldBegin(GestureRecognizer&) override { return false; }
};

TEST_F(GestureTest, delegateCanStopAGestureFromBeginning)
{
    auto pan = std::make_shared<PanGestureRecognizer>(record());
    auto refuser = std::make_shared<Refuser>();
    pan->setDelegate(refuser);
    page->addGestureRecognizer(pan);
    EXPECT_FALSE(pan->beginPan({0, 0}));
    pan->movePan({5, 5}, {1, 1});
    EXPECT_TRUE(states.empty());
    EXPECT_EQ(pan->state(), GestureRecognizerState::Possible);
}

TEST_F(GestureTest, panAccumulatesTranslationWhichHandlersMayReset)
{
    std::vector<Point> translations;
    auto pan = std::make_shared<PanGestureRecognizer>(record());
    pan->addTarget([&](GestureRecognizer& r) {
        auto& panner = static_cast<PanGestureRecognizer&>(r);
        translations.push_back(panner.translationInView(nullptr));
        if (panner.state() == GestureRecognizerState::Changed && translations.size() == 3)
            panner.setTranslation({0, 0});
    });
    page->addGestureRecognizer(pan);
    ASSERT_TRUE(pan->beginPan({100, 100}));
    pan->movePan({10, 0}, {50, 0});
    pan->movePan({5, 5}, {40, 20});
    pan->movePan({1, 1}, {10, 10});
    pan->endPan({3, 4});
    EXPECT_EQ(pan->velocityInView(nullptr), (Point{3, 4}));
    EXPECT_EQ(translations, (std::vector<Point>{{0, 0}, {10, 0}, {15, 5}, {1, 1}, {1, 1}}));
    EXPECT_EQ(states.front(), GestureRecognizerState::Began);
    EXPECT_EQ(states.back(), GestureRecognizerState::Ended);
    EXPECT_EQ(pan->locationInView(nullptr), (Point{116, 106}));
    pan->movePan({1, 1}, {});
    EXPECT_EQ(states.size(), 5u) << "moves after the end are ignored";
}

TEST_F(GestureTest, disablingDuringAPanCancelsIt)
{
    auto pan = std::make_shared<PanGestureRecognizer>(record());
    page->addGestureRecognizer(pan);
    pan->beginPan({0, 0});
    pan->setEnabled(false);
    EXPECT_EQ(states, (std::vector<GestureRecognizerState>{GestureRecognizerState::Began, GestureRecognizerState::Cancelled}));
    pan->endPan({});
    EXPECT_EQ(states.size(), 2u);
}

TEST_F(GestureTest, pinchMultipliesScaleAndIgnoresImpossibleFactors)
{
    std::vector<double> scales;
    auto pinch = std::make_shared<PinchGestureRecognizer>([&](GestureRecognizer& r) {
        scales.push_back(static_cast<PinchGestureRecognizer&>(r).scale());
    });
    page->addGestureRecognizer(pinch);
    ASSERT_TRUE(pinch->beginPinch({200, 200}));
    pinch->changePinch(2, 1);
    pinch->changePinch(0.25, -1);
    pinch->changePinch(0, 0);
    pinch->changePinch(-3, 0);
    pinch->endPinch();
    EXPECT_EQ(scales, (std::vector<double>{1, 2, 0.5, 0.5}));
}

TEST_F(GestureTest, longPressNeedsTheMinimumDurationAndSwipeItsDirection)
{
    auto press = std::make_shared<LongPressGestureRecognizer>(record());
    press->setMinimumPressDuration(0.4);
    page->addGestureRecognizer(press);
    EXPECT_FALSE(press->press({1, 1}, 0.39));
    EXPECT_TRUE(press->press({1, 1}, 0.4));
    EXPECT_EQ(states, (std::vector<GestureRecognizerState>{GestureRecognizerState::Began, GestureRecognizerState::Ended}));

    states.clear();
    auto swipe = std::make_shared<SwipeGestureRecognizer>(record());
    swipe->setDirection(SwipeDirectionLeft | SwipeDirectionUp);
    page->addGestureRecognizer(swipe);
    EXPECT_FALSE(swipe->swipe(SwipeDirectionRight, {0, 0}));
    EXPECT_TRUE(swipe->swipe(SwipeDirectionUp, {0, 0}));
    EXPECT_FALSE(swipe->swipe(SwipeDirectionLeft, {0, 0}, 2));
    EXPECT_EQ(states, (std::vector<GestureRecognizerState>{GestureRecognizerState::Ended}));
}

TEST_F(GestureTest, movingARecognizerToAnotherViewDetachesItFromTheFirst)
{
    auto tap = std::make_shared<TapGestureRecognizer>();
    page->addGestureRecognizer(tap);
    root->addGestureRecognizer(tap);
    EXPECT_TRUE(page->gestureRecognizers().empty());
    EXPECT_EQ(tap->view(), root.get());
}

} // namespace
} // namespace folio
