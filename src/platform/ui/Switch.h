#pragma once

#include "platform/ui/Control.h"

namespace folio {

class Switch : public Control {
public:
    using Control::Control;

    bool isOn() const { return m_on; }
    // From code: no action is sent.
    void setOn(bool on) { m_on = on; }
    // A user's flip: changes the value and sends "value changed".
    bool toggle();

private:
    bool m_on = false;
};

} // namespace folio
