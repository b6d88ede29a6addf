#include "platform/foundation/NotificationCenter.h"
#include "support/VirtualClock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Device.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/UIThemes.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/RecordingPresenter.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace folio {
namespace {

// A run that must show windows (./test.sh) fails the window test that finds
// no display rather than counting it as passed.
TEST(WindowTestDisplayTest, aMissingDisplayFailsWhereTheRunRequiresOne)
{
    const char* before = std::getenv("FOLIO_REQUIRE_DISPLAY");
    std::optional<std::string> saved = before ? std::optional<std::string>(before) : std::nullopt;
    setenv("FOLIO_REQUIRE_DISPLAY", "1", 1);
    EXPECT_FATAL_FAILURE(test::noDisplayForWindowTest("cannot open display :99"), "found no display");
    if (saved)
        setenv("FOLIO_REQUIRE_DISPLAY", saved->c_str(), 1);
    else
        unsetenv("FOLIO_REQUIRE_DISPLAY");
}

TEST(DeviceTest, orientationChangesAreAnnouncedOnceAndVersionsParse)
{
    NotificationCenter center;
    Device device(center);
    int changes = 0;
    center.addObserver(kDeviceOrientationDidChangeNotification, &device, [&](const Notification&) { ++changes; });
    device.setOrientation(DeviceOrientation::Portrait);
    device.setOrientation(DeviceOrientation::Portrait);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(device.isLandscape());
    device.setOrientation(DeviceOrientation::LandscapeRight);
    EXPECT_TRUE(device.isLandscape());

    device.setSystemVersion("16.4.1");
    EXPECT_EQ(device.systemMajorVersion(), 16);
    device.setSystemVersion("beta");
    EXPECT_EQ(device.systemMajorVersion(), 0);
    device.setScreenScale(0);
    EXPECT_EQ(device.screenScale(), 1);
    EXPECT_EQ(static_cast<int>(UserInterfaceIdiom::Pad), 1);
}

TEST(TraitTest, controllersInheritTraitsAndMayForceTheirStyle)
{
    auto parent = std::make_shared<ViewController>();
    auto child = std::make_shared<ViewController>();
    parent->addChildViewController(child);
    TraitCollection compact{UserInterfaceIdiom::Phone, UserInterfaceSizeClass::Compact, UserInterfaceSizeClass::Regular,
                            UserInterfaceStyle::Light};
    parent->setOverrideTraitCollection(compact);
    EXPECT_EQ(child->traitCollection().horizontalSizeClass, UserInterfaceSizeClass::Compact);
    child->setOverrideUserInterfaceStyle(UserInterfaceStyle::Dark);
    EXPECT_EQ(child->traitCollection().userInterfaceStyle, UserInterfaceStyle::Dark);
    EXPECT_EQ(parent->traitCollection().userInterfaceStyle, UserInterfaceStyle::Light);
}

class ProgressHUDTest : public test::VirtualClockTest {
protected:
    test::RecordingPresenter presenter;
};

TEST_F(ProgressHUDTest, spinnerStaysUntilDismissedAndMessagesGoAwayByThemselves)
{
    ProgressHUD hud(RunLoop::main());
    hud.showWithKind(ProgressHUDKind::Progress, u"Creating Snapshot");
    RunLoop::main().advanceVirtualClock(60);
    EXPECT_TRUE(hud.visible());
    EXPECT_EQ(hud.status(), u"Creating Snapshot");
    hud.showWithKind(ProgressHUDKind::Success, u"Saved");
    EXPECT_EQ(hud.kind(), ProgressHUDKind::Success);
    RunLoop::main().advanceVirtualClock(ProgressHUD::kMessageDisplaySeconds + 0.01);
    EXPECT_FALSE(hud.visible());
    EXPECT_EQ(presenter.hudChanges, 3);
}

TEST_F(ProgressHUDTest, aNewSpinnerIsNotHiddenByAnEarlierMessagesTimer)
{
    ProgressHUD hud(RunLoop::main());
    hud.showWithKind(ProgressHUDKind::Error, u"Failed");
    RunLoop::main().advanceVirtualClock(1.0);
    hud.showWithKind(ProgressHUDKind::Progress, u"Retrying");
    RunLoop::main().advanceVirtualClock(5.0);
    EXPECT_TRUE(hud.visible());
    hud.hide();
    EXPECT_FALSE(hud.visible());
    EXPECT_TRUE(hud.status().empty());
}

TEST(UIThemesTest, namedColoursFollowTheTheme)
{
    UIThemes::setDarkTheme(false);
    auto light = UIThemes::colorNamed("DKDocumentViewTopToolBarBackgroundColor");
    ASSERT_TRUE(light);
    EXPECT_EQ(*light, UIThemes::DKDocumentViewTopToolBarBackgroundColor());
    UIThemes::setDarkTheme(true);
    EXPECT_TRUE(UIThemes::isDarkTheme());
    EXPECT_FALSE(*light == UIThemes::DKDocumentViewTopToolBarBackgroundColor());
    EXPECT_FALSE(UIThemes::DKPickerNavigationBarTintColor() == UIThemes::DKDocumentViewTopToolBarBackgroundColor());
    EXPECT_FALSE(UIThemes::colorNamed("NoSuchColour"));
    UIThemes::setDarkTheme(false);
}

} // namespace
} // namespace folio
