#include "platform/ui/Stepper.h"

#include <cmath>

namespace folio {

void Stepper::setStepValue(double step)
{
    if (step > 0 && std::isfinite(step))
        m_step = step;
    controlDidChange();
}

bool Stepper::stepBy(double delta)
{
    if (!isEnabled() || isHidden())
        return false;
    double next = value() + delta;
    if (m_wraps && next > maximumValue())
        next = minimumValue();
    else if (m_wraps && next < minimumValue())
        next = maximumValue();
    return changeValueByUser(next);
}

bool Stepper::increment() { return stepBy(m_step); }

bool Stepper::decrement() { return stepBy(-m_step); }

} // namespace folio
