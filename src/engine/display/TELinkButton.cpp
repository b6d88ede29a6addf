#include "engine/display/TELinkButton.h"

#include "platform/graphics/GraphicsContext.h"

#include <cmath>

namespace folio {

TELinkButton::TELinkButton(Rect frame) : Button()
{
    setUserInteractionEnabled(true);
    setEnabled(true);
    setBackgroundColor(Color::colorWithWhite(0, 0));
    m_observer = NotificationCenter::defaultCenter().addObserver(
        TELinkButtonDidHighlightNotification, nullptr,
        [this](const Notification& notification) { highlightNotification(notification); });
    setFrame(frame);
}

TELinkButton::~TELinkButton() { NotificationCenter::defaultCenter().removeObserver(m_observer); }

void TELinkButton::setHighlighted(bool highlighted)
{
    Button::setHighlighted(highlighted);
    setNeedsDisplay();
    if (!m_guid.empty())
        NotificationCenter::defaultCenter().postNotification(TELinkButtonDidHighlightNotification, this,
                                                             UserInfo{{"Highlighted", highlighted}, {"GUID", m_guid}});
}

void TELinkButton::highlightNotification(const Notification& notification)
{
    if (notification.sender == this)
        return;
    const std::u16string* guid = notification.userInfo.get<std::u16string>("GUID");
    const bool* highlighted = notification.userInfo.get<bool>("Highlighted");
    if (!guid || !highlighted || m_guid.empty() || *guid != m_guid)
        return;
    Button::setHighlighted(*highlighted);
    setNeedsDisplay();
}

void TELinkButton::setFrame(const Rect& frame)
{
    Button::setFrame(frame);
    if (!frame.isEmpty())
        adjustBoundsIfNecessary();
}

void TELinkButton::setMinimumHitSize(Size size)
{
    if (size == m_minimumHitSize)
        return;
    m_minimumHitSize = size;
    adjustBoundsIfNecessary();
}

void TELinkButton::adjustBoundsIfNecessary()
{
    Rect current = frame();
    // The insets already added belong to the link's own box.
    Rect link = makeRect(current.origin.x + m_contentEdgeInsets.left, current.origin.y + m_contentEdgeInsets.top,
                         current.size.width - m_contentEdgeInsets.left - m_contentEdgeInsets.right,
                         current.size.height - m_contentEdgeInsets.top - m_contentEdgeInsets.bottom);
    double halfWidth = std::ceil(std::max(0.0, m_minimumHitSize.width - link.size.width) / 2);
    double halfHeight = std::ceil(std::max(0.0, m_minimumHitSize.height - link.size.height) / 2);
    m_contentEdgeInsets = EdgeInsets{halfHeight, halfWidth, halfHeight, halfWidth};
    Button::setFrame(makeRect(link.origin.x - halfWidth, link.origin.y - halfHeight, link.size.width + 2 * halfWidth,
                              link.size.height + 2 * halfHeight));
}

void TELinkButton::drawRect(GraphicsContext& context, const Rect&)
{
    if (!isHighlighted() || !m_showsTouchWhenHighlighted)
        return;
    Rect box = insetRect(bounds(), m_contentEdgeInsets);
    const double radius = 3;
    constexpr double pi = 3.14159265358979323846;
    context.setFillColor(Color::colorWithWhite(static_cast<double>(0.73f), static_cast<double>(0.4f)));
    context.addArc(Point{box.minX() + radius, box.minY() + radius}, radius, pi, 1.5 * pi);
    context.addArc(Point{box.maxX() - radius, box.minY() + radius}, radius, 1.5 * pi, 2 * pi);
    context.addArc(Point{box.maxX() - radius, box.maxY() - radius}, radius, 0, 0.5 * pi);
    context.addArc(Point{box.minX() + radius, box.maxY() - radius}, radius, 0.5 * pi, pi);
    context.closePath();
    context.fillPath();
}

} // namespace folio
