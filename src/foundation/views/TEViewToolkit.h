#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

namespace folio {

class GraphicsContext;
class View;

// Snapshots and layer styling of any view.
class TEViewToolkit {
public:
    TEViewToolkit() = delete;

    // The view and its subviews drawn into a picture of its bounds.
    static Result<Image::Pointer> snapshotImage(View& view);
    // Draws the view's hierarchy at the context's origin.
    static void drawHierarchy(View& view, GraphicsContext& context);
    static void setRoundedCorners(View& view, double radius, double width, const Color& color);
    static void addShadow(View& view, const Color& color, double alpha, double radius, Size offset);
    // Answers how long a presenter should take to move the shadow there.
    static double updateShadowPathToBounds(View& view, const Rect& bounds, double duration);
};

// The debugging aids of the utility set.
class TEDebug {
public:
    TEDebug() = delete;

    static Color randomColor();
    // Turns on (or off again) the check that views are only asked to lay out
    // and redraw on the main thread.
    static void toggleViewMainThreadChecking();
};

// Content tiles appear at once, without fading in.
class TETiledLayerWithoutFade {
public:
    static constexpr double fadeDuration() { return 0; }
};

} // namespace folio
