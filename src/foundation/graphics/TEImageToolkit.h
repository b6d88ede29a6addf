#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"

#include <string>

namespace folio {

class GraphicsContext;

// Making, tinting, tiling and placing images.
class TEImageToolkit {
public:
    TEImageToolkit() = delete;

    static Result<Image::Pointer> imageWithSolidColor(const Color& color, Size size);
    // The colour, wherever the image is opaque.
    static Result<Image::Pointer> imageMaskedAndTintedWithColor(const Image& image, const Color& color);
    // A file or an http(s) address, loaded before returning.
    static Result<Image::Pointer> imageWithContentsOfURL(const std::string& url);
    // Clipped to the rectangle and placed as a view of that content mode would.
    static void drawInRect(GraphicsContext& context, const Image& image, const Rect& rect, ContentMode mode);
    // Where drawInRect puts the image.
    static Rect rectForContentMode(Size imageSize, const Rect& rect, ContentMode mode);
    static Result<Image::Pointer> tileImageAtColumn(const Image& image, int column, int columns, int row, int rows);
    // The part of the image under `clip` when the image fills `bounds`.
    static Result<Image::Pointer> tileImageInClipRect(const Image& image, const Rect& clip, const Rect& bounds,
                                                      double scale);
    static Result<Image::Pointer> imageScaledToSize(const Image& image, Size size);
};

} // namespace folio
