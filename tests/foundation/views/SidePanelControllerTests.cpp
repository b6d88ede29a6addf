#include "foundation/views/TESidePanelController.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/View.h"

#include <gtest/gtest.h>

namespace folio {

namespace {

class SidePanelTest : public testing::Test {
protected:
    SidePanelTest()
    {
        controller->setCenterPanelController(center);
        controller->setLeftPanelController(left);
        controller->loadViewIfNeeded();
    }

    void pan(double dx, double velocity)
    {
        auto& recognizer = *controller->panGestureRecognizer();
        ASSERT_TRUE(recognizer.beginPan({100, 100}));
        recognizer.movePan({dx, 0}, {velocity, 0});
        recognizer.endPan({velocity, 0});
    }

    std::shared_ptr<TESidePanelController> controller = std::make_shared<TESidePanelController>();
    std::shared_ptr<ViewController> center = std::make_shared<ViewController>();
    std::shared_ptr<ViewController> left = std::make_shared<ViewController>();
};

class DenyClosing final : public TESidePanelControllerDelegate {
public:
    bool sidePanelControllerShouldAllowClosingOfSidePanel(TESidePanelController&, TESidePanelControllerPanel) override
    {
        return false;
    }
};

} // namespace

TEST_F(SidePanelTest, PanelsOpenCloseAndToggleAtTheirWidths)
{
    EXPECT_EQ(controller->presentedPanel(), TESidePanelControllerPanel::Center);
    EXPECT_EQ(TESidePanelController::sidePanelControllerOf(*left), controller.get());

    double viewWidth = controller->view()->bounds().width();
    controller->toggleLeftPanel();
    EXPECT_EQ(controller->presentedPanel(), TESidePanelControllerPanel::Left);
    EXPECT_DOUBLE_EQ(controller->centerOffset(), viewWidth - TESidePanelController::kMinimumVisibleCenterWidth);
    EXPECT_DOUBLE_EQ(controller->lastAnimationDuration(),
                     controller->centerOffset() / TESidePanelController::kMaximumAnimationVelocity);
    EXPECT_TRUE(controller->isTapToCloseInstalled());

    EXPECT_TRUE(controller->setWidthForPanel(200, TESidePanelControllerPanel::Left, true));
    EXPECT_DOUBLE_EQ(controller->centerOffset(), 200);
    EXPECT_FALSE(controller->setWidthForPanel(200, TESidePanelControllerPanel::Center, false));

    controller->toggleLeftPanel();
    EXPECT_EQ(controller->presentedPanel(), TESidePanelControllerPanel::Center);
    EXPECT_FALSE(controller->isTapToCloseInstalled());
    // No right panel is configured, so none can be shown.
    EXPECT_FALSE(controller->presentPanel(TESidePanelControllerPanel::Right, false));
    EXPECT_EQ(controller->presentedPanel(), TESidePanelControllerPanel::Center);
}

TEST_F(SidePanelTest, APanOpensOnlyWhenReleasedFastTowardsThePanel)
{
    pan(120, 400);
    EXPECT_EQ(controller->presentedPanel(), TESidePanelControllerPanel::Left);
    pan(-30, 50);
    EXPECT_EQ(controller->presentedPanel(), TESidePanelControllerPanel::Center);
    // Without a right panel the centre cannot be pulled left at all.
    pan(-120, -400);
    EXPECT_DOUBLE_EQ(controller->centerOffset(), 0);

    auto right = std::make_shared<ViewController>();
    controller->setRightPanelController(right);
    pan(-120, -400);
    EXPECT_EQ(controller->presentedPanel(), TESidePanelControllerPanel::Right);
    // A slow release that moves back towards the centre closes.
    pan(20, 50);
    EXPECT_EQ(controller->presentedPanel(), TESidePanelControllerPanel::Center);
}

TEST_F(SidePanelTest, AVerticalStrayFailsThePanAndTheCentreStays)
{
    auto& recognizer = *controller->panGestureRecognizer();
    ASSERT_TRUE(recognizer.beginPan({100, 100}));
    recognizer.movePan({40, 0}, {400, 0});
    EXPECT_DOUBLE_EQ(controller->centerOffset(), 40);
    recognizer.movePan({5, 25}, {400, 0});
    EXPECT_DOUBLE_EQ(recognizer.moveY(), 0);
    EXPECT_DOUBLE_EQ(controller->centerOffset(), 0);
}

TEST_F(SidePanelTest, TheDelegateMayKeepThePanelOpen)
{
    auto deny = std::make_shared<DenyClosing>();
    controller->presentPanel(TESidePanelControllerPanel::Left, false);
    controller->setSidePanelDelegate(deny);
    controller->tapToCloseGestureRecognizer()->tap({10, 10});
    EXPECT_EQ(controller->presentedPanel(), TESidePanelControllerPanel::Left);
    controller->setSidePanelDelegate({});
    controller->tapToCloseGestureRecognizer()->tap({10, 10});
    EXPECT_EQ(controller->presentedPanel(), TESidePanelControllerPanel::Center);
}

TEST(TESidePanelControllerSegue, IdentifiersNameAPositionAndAnOption)
{
    EXPECT_EQ(TESidePanelControllerSegue::getPositionIdentifier("TESidePanelLeft(menu)"), "TESidePanelLeft");
    EXPECT_EQ(TESidePanelControllerSegue::getOptionIdentifier("TESidePanelLeft(menu)"), "menu");
    EXPECT_EQ(TESidePanelControllerSegue::getOptionIdentifier("TESidePanelLeft"), std::nullopt);

    auto controller = std::make_shared<TESidePanelController>();
    auto center = std::make_shared<ViewController>();
    auto right = std::make_shared<ViewController>();
    TESidePanelControllerSegue(std::string("TESidePanelRight"), right, controller.get()).perform();
    EXPECT_EQ(controller->rightPanelController(), right);
    // Without a centre nothing is presented yet.
    EXPECT_EQ(controller->presentedPanel(), TESidePanelControllerPanel::Center);
    TESidePanelControllerSegue(std::string("TESidePanelCenter(main)"), center, controller.get()).perform();
    EXPECT_EQ(controller->centerPanelController(), center);
    TESidePanelControllerSegue(std::string("TESidePanelAny"), right, controller.get()).perform();
    EXPECT_EQ(controller->presentedPanel(), TESidePanelControllerPanel::Right);
}

} // namespace folio
