#include "tools/crop/ImageCropInterface.h"

#include "platform/ui/MenuController.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace folio {
namespace {

// Left half red, right half blue, `width` x `height` pixels.
Image::Pointer halvesImage(int width, int height)
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (x < width / 2)
                pixels.insert(pixels.end(), {255, 0, 0, 255});
            else
                pixels.insert(pixels.end(), {0, 0, 255, 255});
        }
    return *Image::imageWithPixels(width, height, std::move(pixels));
}

class ImageCropInterfaceTest : public test::VirtualClockTest {
protected:
    std::shared_ptr<ImageCropInterface> overlay = ImageCropInterface::make(makeRect(0, 0, 400, 300), halvesImage(400, 300));
};

TEST_F(ImageCropInterfaceTest, startsWithACentredRectangleOfThreeQuartersAndShadowsAroundIt)
{
    EXPECT_EQ(overlay->cropRect(), makeRect(50, 37.5, 300, 225));
    EXPECT_EQ(overlay->shadowView(ImageCropInterface::Shadow::Top).frame(), makeRect(50, 0, 300, 37.5));
    EXPECT_EQ(overlay->shadowView(ImageCropInterface::Shadow::Left).frame(), makeRect(0, 37.5, 51, 225));
    EXPECT_EQ(overlay->shadowView(ImageCropInterface::Shadow::BottomRight).frame(), makeRect(350, 262.5, 50, 37.5));
    EXPECT_EQ(overlay->cropView()->subviews().size(), 4u);
    EXPECT_EQ(overlay->cropView()->subviews()[3]->frame(), makeRect(284, 209, 32, 32));
}

TEST_F(ImageCropInterfaceTest, theMenuComesAfterAMomentOnceTheOverlayIsShown)
{
    auto page = std::make_shared<View>(makeRect(0, 0, 800, 600));
    page->addSubview(overlay);
    MenuController::shared().hideMenu();
    loop.advanceVirtualClock(0.2);
    EXPECT_FALSE(MenuController::shared().isMenuVisible());
    loop.advanceVirtualClock(0.2);
    EXPECT_TRUE(MenuController::shared().isMenuVisible());
    ASSERT_FALSE(MenuController::shared().menuItems().empty());
    EXPECT_EQ(MenuController::shared().menuItems()[0].action, "executeCropImage:");
    MenuController::shared().hideMenu();
}

TEST_F(ImageCropInterfaceTest, dragsKeepTheRectangleAtLeastTwentyPointsAndInsideTheOverlay)
{
    // Just outside the right edge: the right band takes the drag.
    overlay->touchesBegan({{355, 150}});
    EXPECT_DOUBLE_EQ(overlay->cropRect().maxX(), 355);
    overlay->touchesMoved({{40, 150}});
    EXPECT_DOUBLE_EQ(overlay->cropRect().width(), 20);
    overlay->touchesEnded(0);

    overlay->setCropRect(makeRect(50, 37.5, 300, 225));
    // Beside the corner, not on its band: the corner is taken without a jump.
    overlay->touchesBegan({{55, 42}});
    EXPECT_EQ(overlay->cropRect(), makeRect(50, 37.5, 300, 225));
    overlay->touchesMoved({{-30, -30}});
    EXPECT_EQ(overlay->cropRect(), makeRect(50, 37.5, 300, 225)) << "a finger outside the overlay moves nothing";
    overlay->touchesMoved({{0, 0}});
    EXPECT_EQ(overlay->cropRect(), makeRect(0, 0, 350, 262.5));
    overlay->touchesEnded(0);

    // Moving the whole rectangle past the edge leaves it inside.
    overlay->touchesBegan({{100, 100}});
    overlay->touchesMoved({{300, 100}});
    EXPECT_EQ(overlay->cropRect(), makeRect(50, 0, 350, 262.5));
}

TEST_F(ImageCropInterfaceTest, aTouchNearTheEdgeInsideTheRectangleSelectsTheEdge)
{
    Rect before = overlay->cropRect();
    overlay->touchesBegan({{345, 150}});
    EXPECT_EQ(overlay->cropRect(), before) << "inside the rectangle nothing jumps";
    overlay->touchesMoved({{330, 150}});
    EXPECT_DOUBLE_EQ(overlay->cropRect().minX(), 50);
    EXPECT_DOUBLE_EQ(overlay->cropRect().maxX(), 330);
}

TEST_F(ImageCropInterfaceTest, aPinchScalesAboutTheCentreWithinItsLimits)
{
    overlay->touchesBegan({{150, 150}, {250, 150}});
    overlay->touchesMoved({{150, 150}, {250, 150}});
    overlay->touchesMoved({{175, 150}, {225, 150}});
    EXPECT_EQ(overlay->cropRect(), makeRect(125, 93.75, 150, 112.5));
    // A quarter of that would be under 50 points: the size stays, the distance is kept.
    overlay->touchesMoved({{194, 150}, {206, 150}});
    EXPECT_EQ(overlay->cropRect(), makeRect(125, 93.75, 150, 112.5));
    overlay->touchesMoved({{188, 150}, {212, 150}});
    EXPECT_EQ(overlay->cropRect(), makeRect(50, 37.5, 300, 225));
}

TEST_F(ImageCropInterfaceTest, framesMapToImagePointsAcrossTheBands)
{
    auto wide = std::make_shared<ImageCropInterface>(makeRect(0, 0, 400, 400), halvesImage(1000, 500));
    EXPECT_EQ(wide->cropRectForFrame(makeRect(100, 150, 200, 100)), makeRect(250, 125, 500, 250));
    auto tall = std::make_shared<ImageCropInterface>(makeRect(0, 0, 400, 400), halvesImage(500, 1000));
    EXPECT_EQ(tall->cropRectForFrame(makeRect(150, 100, 100, 200)), makeRect(125, 250, 250, 500));
}

TEST_F(ImageCropInterfaceTest, theCroppedImageHoldsThePixelsUnderTheRectangle)
{
    overlay->setCropRect(makeRect(150, 100, 200, 100));
    Result<Image::Pointer> cropped = overlay->getCroppedImage();
    ASSERT_TRUE(cropped);
    EXPECT_EQ((*cropped)->pixelSize(), (Size{200, 100}));
    EXPECT_EQ((*cropped)->pixelAt(0, 0), (Rgba8{255, 0, 0, 255}));
    EXPECT_EQ((*cropped)->pixelAt(49, 50), (Rgba8{255, 0, 0, 255}));
    EXPECT_EQ((*cropped)->pixelAt(50, 50), (Rgba8{0, 0, 255, 255}));
    Result<Image::Pointer> sharp = overlay->getCroppedImage(2);
    ASSERT_TRUE(sharp);
    EXPECT_EQ((*sharp)->pixelSize(), (Size{400, 200}));
    EXPECT_EQ((*sharp)->size(), (Size{200, 100}));
}

} // namespace
} // namespace folio

namespace folio {
namespace {

TEST(ImageCropInterfaceSmallTest, overlaysAndRectanglesUnderTwentyPointsSettle)
{
    test::VirtualClockScope clock;
    // A picture smaller than the least crop rectangle: every drag ends.
    auto small = ImageCropInterface::make(makeRect(0, 0, 15, 12), halvesImage(15, 12));
    small->touchesBegan({{7, 6}});
    small->touchesMoved({{30, 30}});
    small->touchesMoved({{-5, 2}});
    small->touchesEnded(0);
    Rect crop = small->cropRect();
    EXPECT_TRUE(std::isfinite(crop.width()) && std::isfinite(crop.height()));

    // A rectangle squeezed under twenty points in a large overlay grows back
    // to twenty and stays inside.
    auto large = ImageCropInterface::make(makeRect(0, 0, 100, 100), halvesImage(100, 100));
    large->setCropRect(makeRect(95, 95, 3, 2));
    large->touchesMoved({});
    EXPECT_EQ(large->cropRect(), makeRect(80, 80, 20, 20));
}

} // namespace
} // namespace folio
