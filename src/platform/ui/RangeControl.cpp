#include "platform/ui/RangeControl.h"

#include <algorithm>
#include <cmath>

namespace folio {

void RangeControl::setMinimumValue(double minimum)
{
    m_minimum = minimum;
    m_maximum = std::max(m_maximum, m_minimum);
    setValue(m_value);
}

void RangeControl::setMaximumValue(double maximum)
{
    m_maximum = maximum;
    m_minimum = std::min(m_minimum, m_maximum);
    setValue(m_value);
}

void RangeControl::setValue(double value)
{
    // A NaN from a bad computation must not leave the control without a value.
    m_value = std::isnan(value) ? m_minimum : std::clamp(value, m_minimum, m_maximum);
    controlDidChange();
}

bool RangeControl::changeValueByUser(double value)
{
    double previous = m_value;
    setValue(value);
    if (m_value == previous)
        return false;
    sendActionsForControlEvent(ControlEvent::ValueChanged);
    return true;
}

} // namespace folio
