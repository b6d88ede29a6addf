#include "platform/ui/PinchGestureRecognizer.h"

#include <cmath>

namespace folio {

bool PinchGestureRecognizer::isActive() const
{
    return state() == GestureRecognizerState::Began || state() == GestureRecognizerState::Changed;
}

bool PinchGestureRecognizer::beginPinch(Point center)
{
    if (isActive() || !canReceive())
        return false;
    m_scale = 1;
    m_velocity = 0;
    return recognizeAt(center, GestureRecognizerState::Began);
}

void PinchGestureRecognizer::changePinch(double factor, double velocity)
{
    // Fingers never meet at a point; a zero or negative factor is a bad report.
    if (!isActive() || !(factor > 0) || !std::isfinite(factor))
        return;
    m_scale *= factor;
    m_velocity = velocity;
    transition(GestureRecognizerState::Changed);
}

void PinchGestureRecognizer::endPinch()
{
    if (isActive())
        transition(GestureRecognizerState::Ended);
}

} // namespace folio
