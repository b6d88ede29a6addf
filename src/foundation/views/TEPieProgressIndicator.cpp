#include "foundation/views/TEPieProgressIndicator.h"

#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace folio {

std::shared_ptr<TEPieProgressIndicator> TEPieProgressIndicator::pieProgressIndicator()
{
    return std::make_shared<TEPieProgressIndicator>(Rect{{0, 0}, {kSide, kSide}});
}

TEPieProgressIndicator::TEPieProgressIndicator(Rect frame)
    : View(frame)
{
    setBackgroundColor(Color::colorWithWhite(0, 0));
}

void TEPieProgressIndicator::setProgressPercent(float progress)
{
    m_progressPercent = progress;
    setNeedsDisplay();
}

void TEPieProgressIndicator::setColor(std::optional<Color> color)
{
    if (color == m_color)
        return;
    m_color = std::move(color);
    setNeedsDisplay();
}

void TEPieProgressIndicator::drawRect(GraphicsContext& context, const Rect&)
{
    Color color = m_color.value_or(Color::colorWithWhite(1));
    Rect area = bounds();
    double diameter = std::min(area.size.width - 6, area.size.height - 6);
    if (!(diameter > 0))
        return;
    Rect circle{{std::floor(area.midX() - diameter / 2), std::floor(area.midY() - diameter / 2)}, {diameter, diameter}};
    context.beginTransparencyLayer();
    context.setStrokeColor(color);
    context.setLineWidth(kRingWidth);
    context.addEllipseInRect(circle);
    context.strokePath();
    // Below a tenth the wedge would be a sliver; the ring alone says "started".
    if (m_progressPercent > 0.1f) {
        Point center{area.midX(), area.midY()};
        double radius = center.x - circle.origin.x;
        context.setFillColor(color);
        context.moveToPoint(center);
        context.addArc(center, radius, -M_PI / 2, double(m_progressPercent) * 2 * M_PI - M_PI / 2);
        context.closePath();
        context.fillPath();
    }
    context.endTransparencyLayer();
}

} // namespace folio
