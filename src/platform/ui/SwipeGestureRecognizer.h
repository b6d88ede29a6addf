#pragma once

#include "platform/ui/GestureRecognizer.h"

namespace folio {

enum SwipeDirection : unsigned {
    SwipeDirectionRight = 1u << 0,
    SwipeDirectionLeft = 1u << 1,
    SwipeDirectionUp = 1u << 2,
    SwipeDirectionDown = 1u << 3,
};

class SwipeGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;

    // The directions this recognizer accepts; right by default.
    unsigned direction() const { return m_direction; }
    void setDirection(unsigned direction) { m_direction = direction; }
    int numberOfTouchesRequired() const { return m_touches; }
    void setNumberOfTouchesRequired(int touches) { m_touches = touches < 1 ? 1 : touches; }

    // A swipe in one direction starting at `location`.
    bool swipe(SwipeDirection direction, Point location, int touches = 1);

private:
    unsigned m_direction = SwipeDirectionRight;
    int m_touches = 1;
};

} // namespace folio
