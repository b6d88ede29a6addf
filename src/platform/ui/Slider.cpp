#include "platform/ui/Slider.h"

#include <algorithm>
#include <cmath>

namespace folio {

void Slider::setMinimumValue(double minimum)
{
    m_minimum = minimum;
    m_maximum = std::max(m_maximum, m_minimum);
    setValue(m_value);
}

void Slider::setMaximumValue(double maximum)
{
    m_maximum = maximum;
    m_minimum = std::min(m_minimum, m_maximum);
    setValue(m_value);
}

void Slider::setValue(double value)
{
    // A NaN from a bad computation must not leave the slider without a value.
    m_value = std::isnan(value) ? m_minimum : std::clamp(value, m_minimum, m_maximum);
    controlDidChange();
}

bool Slider::slideTo(double value)
{
    if (!isEnabled() || isHidden())
        return false;
    double previous = m_value;
    setValue(value);
    if (m_value != previous)
        sendActionsForControlEvent(ControlEvent::ValueChanged);
    return true;
}

} // namespace folio
