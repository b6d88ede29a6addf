#include "engine/display/TEAccessibilityElement.h"

#include "engine/display/TEGeometry.h"
#include "platform/ui/View.h"

namespace folio {

Rect TEAccessibilityElement::accessibilityFrame() const
{
    if (!m_parentView || TERectIsNull(m_localFrame))
        return m_localFrame;
    return m_parentView->convertRectToView(m_localFrame, nullptr);
}

std::optional<Rect> TEAccessibilityElement::accessibilityFrameInContainer() const
{
    if (TERectIsNull(m_localFrame))
        return std::nullopt;
    return m_localFrame;
}

Point TEAccessibilityElement::accessibilityActivationPoint() const
{
    Point point = m_localActivationPoint;
    if (point == TEAccessibilityElementNullActivationPoint) {
        if (TERectIsNull(m_localFrame))
            return point;
        point = Point{m_localFrame.midX(), m_localFrame.midY()};
    }
    return m_parentView ? m_parentView->convertPointToView(point, nullptr) : point;
}

} // namespace folio
