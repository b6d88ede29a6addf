#pragma once

#include "platform/ui/GestureRecognizer.h"

namespace folio {

class TapGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;

    int numberOfTapsRequired() const { return m_taps; }
    void setNumberOfTapsRequired(int taps) { m_taps = taps < 1 ? 1 : taps; }
    int numberOfTouchesRequired() const { return m_touches; }
    void setNumberOfTouchesRequired(int touches) { m_touches = touches < 1 ? 1 : touches; }

    // `taps` taps with `touches` fingers at `location` in the view. Recognised
    // only when both counts match what is required.
    bool tap(Point location, int taps = 1, int touches = 1);

private:
    int m_taps = 1;
    int m_touches = 1;
};

} // namespace folio
