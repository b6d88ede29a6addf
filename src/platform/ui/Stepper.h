#pragma once

#include "platform/ui/Control.h"

namespace folio {

class Stepper : public Control {
public:
    using Control::Control;

    double minimumValue() const { return m_minimum; }
    void setMinimumValue(double minimum);
    double maximumValue() const { return m_maximum; }
    void setMaximumValue(double maximum);
    double stepValue() const { return m_step; }
    // A step must be positive; other values are ignored.
    void setStepValue(double step);
    bool wraps() const { return m_wraps; }
    void setWraps(bool wraps)
    {
        m_wraps = wraps;
        controlDidChange();
    }
    double value() const { return m_value; }
    void setValue(double value);

    // The user's taps on plus and minus; "value changed" when the value moved.
    bool increment();
    bool decrement();

private:
    bool stepBy(double delta);

    double m_minimum = 0;
    double m_maximum = 100;
    double m_step = 1;
    double m_value = 0;
    bool m_wraps = false;
};

} // namespace folio
