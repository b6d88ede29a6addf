#pragma once

#include "platform/graphics/Geometry.h"

#include <functional>

namespace folio {

// Changes spread over a duration on the main run loop, as the platform
// animates view properties: `step` runs about sixty times a second with the
// share of the duration gone (0 to 1, ending at exactly 1), then
// `completion` runs once. A duration of 0 or less steps to 1 at once. Under
// the virtual clock the steps run as the clock is advanced, so tests see the
// middle of an animation as well as its end.
class ViewAnimation {
public:
    using Step = std::function<void(double progress)>;

    static void animate(double durationSeconds, Step step, std::function<void()> completion = {});

    // The point `progress` of the way from `from` to `to`.
    static double interpolate(double from, double to, double progress) { return from + (to - from) * progress; }
    static Rect interpolate(const Rect& from, const Rect& to, double progress);
};

} // namespace folio
