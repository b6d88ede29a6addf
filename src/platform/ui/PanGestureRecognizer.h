#pragma once

#include "platform/ui/GestureRecognizer.h"

namespace folio {

class PanGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;

    // Translation since the pan began (or since it was last reset with
    // setTranslation), in the recognizer's view.
    Point translationInView(const View* view) const;
    void setTranslation(Point translation) { m_translation = translation; }
    // Points per second.
    Point velocityInView(const View* view) const;

    bool beginPan(Point location);
    // The finger moved by `delta` since the last report.
    void movePan(Point delta, Point velocity);
    void endPan(Point velocity);
    void cancelPan();

private:
    bool isActive() const;

    Point m_translation;
    Point m_velocity;
    Point m_current;
};

} // namespace folio
