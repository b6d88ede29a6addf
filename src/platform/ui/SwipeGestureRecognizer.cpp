#include "platform/ui/SwipeGestureRecognizer.h"

namespace folio {

bool SwipeGestureRecognizer::swipe(SwipeDirection direction, Point location, int touches)
{
    if (!canReceive() || !(m_direction & direction) || touches != m_touches)
        return false;
    return recognizeAt(location, GestureRecognizerState::Ended);
}

} // namespace folio
