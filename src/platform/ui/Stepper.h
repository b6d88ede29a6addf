#pragma once

#include "platform/ui/RangeControl.h"

namespace folio {

class Stepper : public RangeControl {
public:
    explicit Stepper(Rect frame = {}) : RangeControl(frame, 100) {}

    double stepValue() const { return m_step; }
    // A step must be positive; other values are ignored.
    void setStepValue(double step);
    bool wraps() const { return m_wraps; }
    void setWraps(bool wraps)
    {
        m_wraps = wraps;
        controlDidChange();
    }

    // The user's taps on plus and minus; "value changed" when the value moved.
    bool increment();
    bool decrement();

private:
    bool stepBy(double delta);

    double m_step = 1;
    bool m_wraps = false;
};

} // namespace folio
