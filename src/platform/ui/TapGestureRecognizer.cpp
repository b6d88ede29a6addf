#include "platform/ui/TapGestureRecognizer.h"

namespace folio {

bool TapGestureRecognizer::tap(Point location, int taps, int touches)
{
    if (!canReceive() || taps != m_taps || touches != m_touches)
        return false;
    return recognizeAt(location, GestureRecognizerState::Ended);
}

} // namespace folio
