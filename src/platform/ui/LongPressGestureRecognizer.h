#pragma once

#include "platform/ui/GestureRecognizer.h"

namespace folio {

class LongPressGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;

    double minimumPressDuration() const { return m_minimumDuration; }
    void setMinimumPressDuration(double seconds) { m_minimumDuration = seconds < 0 ? 0 : seconds; }

    // A finger held for `seconds` at `location`: shorter than the minimum is
    // no long press. A recognised press reports Began, then Ended on lift.
    bool press(Point location, double seconds);
    // Begin, move and lift reported separately, for presses that drag.
    bool beginPress(Point location, double seconds);
    void movePress(Point location);
    void endPress();

private:
    double m_minimumDuration = 0.5;
};

} // namespace folio
