#include "tools/textstyle/TSUpDownControl.h"

#include "platform/foundation/Unicode.h"

namespace folio {

void TSUpDownControl::processTouchUp()
{
    std::int64_t previous = m_value;
    if (m_increasing && m_value < m_maximum)
        ++m_value;
    else if (!m_increasing && m_value > m_minimum)
        --m_value;
    if (m_value == previous)
        return;
    setNeedsDisplay();
    sendActionsForControlEvent(ControlEvent::ValueChanged);
}

std::u16string TSUpDownControl::valueText() const { return toUtf16(std::to_string(m_value)); }

} // namespace folio
