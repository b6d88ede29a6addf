#include "foundation/graphics/ImageResize.h"

#include <cmath>
#include <cstdlib>

namespace folio {

Size ImageResize::sizeResizedImageToFitInSize(const Image& image, Size box, bool scaleIfSmaller)
{
    double width = image.pixelWidth();
    double height = image.pixelHeight();
    // The fitted size is in bitmap pixels; a sideways bitmap is seen turned, so
    // it must fit the turned box.
    if (orientationIsSideways(image.orientation()))
        box = Size{box.height, box.width};
    if (!scaleIfSmaller && box.width > width && box.height > height)
        return Size{width, height};
    double widthRatio = box.width / width;
    double heightRatio = box.height / height;
    // The floors are taken in single precision, as the fitted sizes always were.
    if (widthRatio < heightRatio)
        return Size{box.width, std::floor(float(widthRatio * height))};
    return Size{std::floor(float(heightRatio * width)), box.height};
}

Result<Image::Pointer> ImageResize::resizedImageToFitInSize(const Image::Pointer& image, Size box, bool scaleIfSmaller)
{
    if (!image)
        return Error{"Image", 5, "No image to resize."};
    Size fitted = sizeResizedImageToFitInSize(*image, box, scaleIfSmaller);
    // The fitted size is measured on the bitmap; the upright result of a
    // sideways bitmap is that size turned, which is what fits the box.
    if (orientationIsSideways(image->orientation()))
        fitted = Size{fitted.height, fitted.width};
    return resizedImageToSize(image, fitted);
}

Result<Image::Pointer> ImageResize::resizedImageToSize(const Image::Pointer& image, Size size)
{
    if (!image)
        return Error{"Image", 5, "No image to resize."};
    if (!std::isfinite(size.width) || !std::isfinite(size.height) || size.width < 1 || size.height < 1)
        return Error{"Image", 5, "Cannot resize an image to an empty size."};
    int width = int(size.width);
    int height = int(size.height);
    // Only an upright image can be handed back as it is: a turned one would
    // leave its orientation to every later reader of its pixels.
    if (image->orientation() == ImageOrientation::Up && width == image->pixelWidth() && height == image->pixelHeight())
        return image;
    return image->uprightImage(width, height);
}

Result<Image::Pointer> ImageResize::imageByReplacingColor(const Image::Pointer& image,
                                                          const std::optional<Color>& colorToReplace,
                                                          double minTolerance, double maxTolerance,
                                                          const std::optional<Color>& newColor)
{
    if (!image)
        return Error{"Image", 5, "No image to change."};
    double oldRed, oldGreen, oldBlue, newRed, newGreen, newBlue;
    if (!colorToReplace || !newColor || !colorToReplace->getRed(&oldRed, &oldGreen, &oldBlue, nullptr)
        || !newColor->getRed(&newRed, &newGreen, &newBlue, nullptr))
        return image;

    const int target[3] = {int(std::lround(oldRed * 255)), int(std::lround(oldGreen * 255)),
                           int(std::lround(oldBlue * 255))};
    const double replacement[3] = {newRed * 255, newGreen * 255, newBlue * 255};
    std::vector<std::uint8_t> pixels = image->rgbaPixels();
    for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) {
        double distance = (std::abs(pixels[i] - target[0]) + std::abs(pixels[i + 1] - target[1])
                           + std::abs(pixels[i + 2] - target[2]))
                        / 765.0;
        double weight = distance > maxTolerance ? 1 : distance < minTolerance ? 0 : distance;
        for (int channel = 0; channel < 3; ++channel) {
            long value = std::lround((1 - weight) * replacement[channel]) + std::lround(weight * pixels[i + channel]);
            pixels[i + channel] = std::uint8_t(std::clamp(value, 0L, 255L));
        }
    }
    return Image::imageWithPixels(image->pixelWidth(), image->pixelHeight(), std::move(pixels), image->scale(),
                                  image->orientation());
}

} // namespace folio
