#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

namespace folio {

// An image and the part of it that stretches: with a left or right cap inset
// the image is as wide as the place it fills, with a top or bottom one as high.
struct RulerSliderImage {
    Image::Pointer image;
    EdgeInsets capInsets;

    Size size() const { return image ? image->size() : Size{}; }
    bool stretchesAcross() const { return capInsets.left != 0 || capInsets.right != 0; }
    bool stretchesDown() const { return capInsets.top != 0 || capInsets.bottom != 0; }
};

// The ruler slider's default artwork, drawn here rather than read from files:
// a round handle 28 points across and two thin bars for the track.
class RulerSliderArtwork {
public:
    RulerSliderArtwork() = delete;

    static RulerSliderImage handle();
    static RulerSliderImage highlightedHandle();
    // Behind the whole travel.
    static RulerSliderImage trackBackground();
    // Between the two handles.
    static RulerSliderImage track();
};

} // namespace folio
