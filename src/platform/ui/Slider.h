#pragma once

#include "platform/ui/RangeControl.h"

namespace folio {

class Slider : public RangeControl {
public:
    explicit Slider(Rect frame = {}) : RangeControl(frame, 1) {}

    // A user's drag to a value: clamped, then "value changed" when it moved.
    // False when the slider cannot be dragged.
    bool slideTo(double value);
};

} // namespace folio
