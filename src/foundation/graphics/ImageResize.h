#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <optional>

namespace folio {

// Fitting a picked image into a box, upright, before it goes into a document.
class ImageResize {
public:
    // The fitted, upright image. When `scaleIfSmaller` is false an image smaller
    // than the box in both directions keeps its size.
    static Result<Image::Pointer> resizedImageToFitInSize(const Image::Pointer& image, Size box, bool scaleIfSmaller);
    // The size, in the bitmap's own (unturned) pixels, that fitting uses: for a
    // bitmap lying on its side the box is measured turned as well.
    static Size sizeResizedImageToFitInSize(const Image& image, Size box, bool scaleIfSmaller);
    // The image redrawn upright at exactly `size` pixels; the same image when it
    // already is upright at that size.
    static Result<Image::Pointer> resizedImageToSize(const Image::Pointer& image, Size size);
    // Pixels near `colorToReplace` move towards `newColor`: by colour distance d
    // (0 to 1), weight 0 below the minimum tolerance, 1 above the maximum, d between.
    static Result<Image::Pointer> imageByReplacingColor(const Image::Pointer& image,
                                                        const std::optional<Color>& colorToReplace,
                                                        double minTolerance, double maxTolerance,
                                                        const std::optional<Color>& newColor);
};

} // namespace folio
