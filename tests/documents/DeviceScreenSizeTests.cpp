#include "documents/TextDocument.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Device.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

int screenSize(UserInterfaceIdiom idiom, DeviceOrientation orientation, double width, double height)
{
    NotificationCenter center;
    Device device(center);
    device.setUserInterfaceIdiom(idiom);
    device.setOrientation(orientation);
    device.setScreenBounds(makeRect(0, 0, width, height));
    return TextDocument::getDeviceScreenSize(device);
}

TEST(DeviceScreenSize, PhonesAreLargeByTheirLongSideAndOtherDevicesAreZero)
{
    EXPECT_EQ(screenSize(UserInterfaceIdiom::Pad, DeviceOrientation::Portrait, 768, 1024), 0);
    EXPECT_EQ(screenSize(UserInterfaceIdiom::Phone, DeviceOrientation::Portrait, 320, 568), 2);
    EXPECT_EQ(screenSize(UserInterfaceIdiom::Phone, DeviceOrientation::Portrait, 320, 480), 1);
    // In landscape the width decides, and only above 480 points.
    EXPECT_EQ(screenSize(UserInterfaceIdiom::Phone, DeviceOrientation::LandscapeLeft, 568, 320), 2);
    EXPECT_EQ(screenSize(UserInterfaceIdiom::Phone, DeviceOrientation::LandscapeRight, 480, 320), 1);
}

} // namespace
} // namespace folio
