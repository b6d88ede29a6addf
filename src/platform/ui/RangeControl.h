#pragma once

#include "platform/ui/Control.h"

namespace folio {

// A control with a value kept inside a range: the base of sliders and steppers.
class RangeControl : public Control {
public:
    double minimumValue() const { return m_minimum; }
    double maximumValue() const { return m_maximum; }
    // A maximum below the minimum is raised to it, and the value is kept inside.
    void setMinimumValue(double minimum);
    void setMaximumValue(double maximum);
    double value() const { return m_value; }
    // From code: clamped, no action sent.
    void setValue(double value);

protected:
    RangeControl(Rect frame, double maximum) : Control(frame), m_maximum(maximum) {}

    // A user's change: clamped, then "value changed" when the value moved.
    // Answers whether it moved.
    bool changeValueByUser(double value);

private:
    double m_minimum = 0;
    double m_maximum;
    double m_value = 0;
};

} // namespace folio
