#include "platform/ui/Stepper.h"

#include <algorithm>
#include <cmath>

namespace folio {

void Stepper::setMinimumValue(double minimum)
{
    m_minimum = minimum;
    m_maximum = std::max(m_maximum, m_minimum);
    setValue(m_value);
}

void Stepper::setMaximumValue(double maximum)
{
    m_maximum = maximum;
    m_minimum = std::min(m_minimum, m_maximum);
    setValue(m_value);
}

void Stepper::setStepValue(double step)
{
    if (step > 0 && std::isfinite(step))
        m_step = step;
    controlDidChange();
}

void Stepper::setValue(double value)
{
    m_value = std::isnan(value) ? m_minimum : std::clamp(value, m_minimum, m_maximum);
    controlDidChange();
}

bool Stepper::stepBy(double delta)
{
    if (!isEnabled() || isHidden())
        return false;
    double previous = m_value;
    double next = m_value + delta;
    if (m_wraps && next > m_maximum)
        next = m_minimum;
    else if (m_wraps && next < m_minimum)
        next = m_maximum;
    setValue(next);
    if (m_value != previous)
        sendActionsForControlEvent(ControlEvent::ValueChanged);
    return m_value != previous;
}

bool Stepper::increment() { return stepBy(m_step); }

bool Stepper::decrement() { return stepBy(-m_step); }

} // namespace folio
