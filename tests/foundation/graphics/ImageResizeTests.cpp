#include "foundation/graphics/ImageResize.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

Image::Pointer blankImage(int width, int height, ImageOrientation orientation = ImageOrientation::Up)
{
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint8_t(i * 31 % 251);
    auto image = Image::imageWithPixels(width, height, std::move(pixels), 1, orientation);
    EXPECT_TRUE(image);
    return *image;
}

TEST(ImageResizeTests, fittingSizeKeepsTheAspectRatio)
{
    EXPECT_EQ(ImageResize::sizeResizedImageToFitInSize(*blankImage(4000, 3000), {1024, 1024}, false), (Size{1024, 768}));
    EXPECT_EQ(ImageResize::sizeResizedImageToFitInSize(*blankImage(3000, 4000), {1024, 1024}, false), (Size{768, 1024}));
    // 1000 / 3 is not whole: the size is floored.
    EXPECT_EQ(ImageResize::sizeResizedImageToFitInSize(*blankImage(300, 100), {1000, 1000}, true), (Size{1000, 333}));
}

TEST(ImageResizeTests, smallImagesGrowOnlyWhenAsked)
{
    Image::Pointer small = blankImage(200, 100);
    EXPECT_EQ(ImageResize::sizeResizedImageToFitInSize(*small, {1024, 1024}, false), (Size{200, 100}));
    EXPECT_EQ(ImageResize::sizeResizedImageToFitInSize(*small, {1024, 1024}, true), (Size{1024, 512}));
    // Larger in one direction only still shrinks.
    EXPECT_EQ(ImageResize::sizeResizedImageToFitInSize(*small, {100, 1024}, false), (Size{100, 50}));
}

TEST(ImageResizeTests, sidewaysBitmapsAreMeasuredAgainstTheTurnedBox)
{
    Image::Pointer right = blankImage(3000, 4000, ImageOrientation::Right);
    // Measured against 1024 x 2048: 1024 / 3000 is the smaller ratio.
    EXPECT_EQ(ImageResize::sizeResizedImageToFitInSize(*right, {2048, 1024}, false), (Size{1024, 1365}));
    Image::Pointer up = blankImage(3000, 4000);
    EXPECT_EQ(ImageResize::sizeResizedImageToFitInSize(*up, {2048, 1024}, false), (Size{768, 1024}));
    for (auto orientation : {ImageOrientation::Left, ImageOrientation::LeftMirrored, ImageOrientation::RightMirrored}) {
        EXPECT_EQ(ImageResize::sizeResizedImageToFitInSize(*blankImage(3000, 4000, orientation), {2048, 1024}, false),
                  (Size{1024, 1365}));
    }
}

TEST(ImageResizeTests, fittedImagesAreUprightAndInsideTheBox)
{
    auto fitted = ImageResize::resizedImageToFitInSize(blankImage(300, 400, ImageOrientation::Right), {200, 100}, false);
    ASSERT_TRUE(fitted) << fitted.error().message;
    EXPECT_EQ((*fitted)->orientation(), ImageOrientation::Up);
    EXPECT_EQ((*fitted)->pixelSize(), (Size{133, 100}));

    auto plain = ImageResize::resizedImageToFitInSize(blankImage(400, 300), {100, 100}, false);
    ASSERT_TRUE(plain);
    EXPECT_EQ((*plain)->pixelSize(), (Size{100, 75}));
}

TEST(ImageResizeTests, resizingToTheOwnSizeReturnsTheSameImage)
{
    Image::Pointer image = blankImage(50, 40);
    auto same = ImageResize::resizedImageToSize(image, {50, 40});
    ASSERT_TRUE(same);
    EXPECT_EQ(same->get(), image.get());
    auto fitted = ImageResize::resizedImageToFitInSize(image, {500, 500}, false);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(fitted->get(), image.get());

    // A turned image is redrawn even at its own size, so its pixels are upright.
    Image::Pointer down = blankImage(50, 40, ImageOrientation::Down);
    auto redrawn = ImageResize::resizedImageToSize(down, {50, 40});
    ASSERT_TRUE(redrawn);
    EXPECT_NE(redrawn->get(), down.get());
    EXPECT_EQ((*redrawn)->orientation(), ImageOrientation::Up);
    EXPECT_EQ((*redrawn)->pixelAt(0, 0), down->pixelAt(49, 39));
}

TEST(ImageResizeTests, refusesEmptyTargets)
{
    EXPECT_FALSE(ImageResize::resizedImageToSize(blankImage(10, 10), {0, 10}));
    EXPECT_FALSE(ImageResize::resizedImageToSize(nullptr, {10, 10}));
    EXPECT_FALSE(ImageResize::resizedImageToFitInSize(blankImage(10, 10), {0, 0}, true));
}

TEST(ImageResizeTests, replacesColoursByDistance)
{
    std::vector<std::uint8_t> pixels{255, 255, 255, 255,  // the colour replaced
                                     250, 250, 250, 255,  // close to it
                                     0,   0,   0,   255}; // far from it
    Image::Pointer image = *Image::imageWithPixels(3, 1, pixels);
    auto replaced = ImageResize::imageByReplacingColor(image, Color::colorWithRed(1, 1, 1), 0.1, 0.5,
                                                       Color::colorWithRed(1, 0, 0));
    ASSERT_TRUE(replaced);
    EXPECT_EQ((*replaced)->pixelAt(0, 0), (Rgba8{255, 0, 0, 255}));
    EXPECT_EQ((*replaced)->pixelAt(1, 0), (Rgba8{255, 0, 0, 255}));
    EXPECT_EQ((*replaced)->pixelAt(2, 0), (Rgba8{0, 0, 0, 255}));

    // Between the tolerances the distance itself weighs old against new.
    auto blended = ImageResize::imageByReplacingColor(image, Color::colorWithRed(1, 1, 1), 0.0, 0.5,
                                                      Color::colorWithRed(0, 0, 1));
    ASSERT_TRUE(blended);
    // d = 15 / 765 for the second pixel.
    double d = 15.0 / 765;
    EXPECT_EQ((*blended)->pixelAt(1, 0).r, std::uint8_t(std::lround(d * 250)));
    EXPECT_EQ((*blended)->pixelAt(1, 0).b, std::uint8_t(std::lround((1 - d) * 255) + std::lround(d * 250)));

    auto untouched = ImageResize::imageByReplacingColor(image, std::nullopt, 0, 1, Color::colorWithRed(1, 0, 0));
    ASSERT_TRUE(untouched);
    EXPECT_EQ(untouched->get(), image.get());
}

} // namespace
} // namespace folio
