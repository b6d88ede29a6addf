#include "tools/textstyle/TSUpDownControlFloat.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

namespace folio {

void TSUpDownControlFloat::processTouchUp()
{
    bool stepped = false;
    if (m_increasing && m_value < m_maximum) {
        m_value += 0.1;
        stepped = true;
    } else if (!m_increasing && m_value > m_minimum) {
        m_value += -0.1;
        stepped = true;
    }
    if (m_value > m_maximum)
        m_value = m_maximum;
    if (m_value < m_minimum)
        m_value = m_minimum;
    if (!stepped)
        return;
    setNeedsDisplay();
    sendActionsForControlEvent(ControlEvent::ValueChanged);
}

std::u16string TSUpDownControlFloat::valueText() const { return toUtf16(formatFixed(m_value, 2)); }

} // namespace folio
