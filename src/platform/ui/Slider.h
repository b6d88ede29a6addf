#pragma once

#include "platform/ui/Control.h"

namespace folio {

class Slider : public Control {
public:
    using Control::Control;

    double minimumValue() const { return m_minimum; }
    double maximumValue() const { return m_maximum; }
    // A maximum below the minimum is raised to it, and the value is kept inside.
    void setMinimumValue(double minimum);
    void setMaximumValue(double maximum);
    double value() const { return m_value; }
    // From code: clamped, no action sent.
    void setValue(double value);
    // A user's drag to a value: clamped, then "value changed" when it moved.
    bool slideTo(double value);

private:
    double m_minimum = 0;
    double m_maximum = 1;
    double m_value = 0;
};

} // namespace folio
