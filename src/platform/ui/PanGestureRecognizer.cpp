#include "platform/ui/PanGestureRecognizer.h"

namespace folio {

Point PanGestureRecognizer::translationInView(const View*) const { return m_translation; }

Point PanGestureRecognizer::velocityInView(const View*) const { return m_velocity; }

bool PanGestureRecognizer::isActive() const
{
    return state() == GestureRecognizerState::Began || state() == GestureRecognizerState::Changed;
}

bool PanGestureRecognizer::beginPan(Point location)
{
    if (isActive() || !canReceive())
        return false;
    m_translation = {};
    m_velocity = {};
    m_current = location;
    return recognizeAt(location, GestureRecognizerState::Began);
}

void PanGestureRecognizer::movePan(Point delta, Point velocity)
{
    if (!isActive())
        return;
    m_translation.x += delta.x;
    m_translation.y += delta.y;
    m_current.x += delta.x;
    m_current.y += delta.y;
    m_velocity = velocity;
    setLocation(m_current);
    transition(GestureRecognizerState::Changed);
}

void PanGestureRecognizer::endPan(Point velocity)
{
    if (!isActive())
        return;
    m_velocity = velocity;
    transition(GestureRecognizerState::Ended);
}

void PanGestureRecognizer::cancelPan()
{
    if (isActive())
        transition(GestureRecognizerState::Cancelled);
}

} // namespace folio
