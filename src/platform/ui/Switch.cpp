#include "platform/ui/Switch.h"

namespace folio {

bool Switch::toggle()
{
    if (!isEnabled() || isHidden())
        return false;
    m_on = !m_on;
    sendActionsForControlEvent(ControlEvent::ValueChanged);
    return true;
}

} // namespace folio
