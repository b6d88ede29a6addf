#include "platform/ui/LongPressGestureRecognizer.h"

namespace folio {

bool LongPressGestureRecognizer::beginPress(Point location, double seconds)
{
    if (!canReceive() || !(seconds >= m_minimumDuration))
        return false;
    return recognizeAt(location, GestureRecognizerState::Began);
}

void LongPressGestureRecognizer::movePress(Point location)
{
    if (state() != GestureRecognizerState::Began && state() != GestureRecognizerState::Changed)
        return;
    setLocation(location);
    transition(GestureRecognizerState::Changed);
}

void LongPressGestureRecognizer::endPress()
{
    if (state() == GestureRecognizerState::Began || state() == GestureRecognizerState::Changed)
        transition(GestureRecognizerState::Ended);
}

bool LongPressGestureRecognizer::press(Point location, double seconds)
{
    if (!beginPress(location, seconds))
        return false;
    endPress();
    return true;
}

} // namespace folio
