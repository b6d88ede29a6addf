#pragma once

#include "platform/ui/GestureRecognizer.h"

namespace folio {

class PinchGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;

    // The scale since the pinch began; handlers often reset it to 1 to read
    // the change since their last call.
    double scale() const { return m_scale; }
    void setScale(double scale) { m_scale = scale; }
    double velocity() const { return m_velocity; }

    bool beginPinch(Point center);
    // The fingers' distance changed by `factor` since the last report.
    void changePinch(double factor, double velocity);
    void endPinch();

private:
    bool isActive() const;

    double m_scale = 1;
    double m_velocity = 0;
};

} // namespace folio
