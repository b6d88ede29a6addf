#pragma once

#include "platform/ui/Control.h"

#include <string>

namespace folio {

// A tall stepper that shows its value in large type: a touch in the upper
// half steps up, in the lower half down, and a step is announced with
// "value changed" when the touch ends inside. The two kinds differ in their
// value and step only.
class UpDownControl : public Control {
public:
    using Control::Control;

    bool beginTrackingWithTouch(Point point) override;
    bool continueTrackingWithTouch(Point point) override;
    void endTrackingWithTouch(Point point) override;
    void cancelTrackingWithEvent() override;
    // Takes the step the touch asked for, if the limits allow it.
    virtual void processTouchUp() = 0;

    bool drawsOwnContent() const override { return true; }
    void drawRect(GraphicsContext& context, const Rect& dirty) override;

    bool isPressed() const { return m_pressed; }
    bool isTrackingIncrease() const { return m_increasing; }

protected:
    virtual bool canStepUp() const = 0;
    virtual bool canStepDown() const = 0;
    virtual std::u16string valueText() const = 0;
    // Points of the value's bold type, and the unit written after it (if any).
    virtual double valueFontSize() const = 0;
    virtual std::u16string unit() const { return {}; }

    bool m_increasing = false;

private:
    bool m_pressed = false;
    bool m_redrawDue = false;
};

} // namespace folio
