#include "platform/ui/SwipeGestureRecognizer.h"

namespace folio {

bool SwipeGestureRecognizer::swipe(SwipeDirection direction, Point location, int touches)
{
    if (!canReceive() || !(m_direction & direction) || touches != m_touches)
        return false;
    setLocation(location);
    if (!shouldBegin()) {
        transition(GestureRecognizerState::Failed);
        return false;
    }
    transition(GestureRecognizerState::Ended);
    return true;
}

} // namespace folio
