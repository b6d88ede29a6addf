#include "foundation/views/TECustomColoredAccessory.h"

#include "platform/graphics/GraphicsContext.h"

namespace folio {

std::shared_ptr<TECustomColoredAccessory> TECustomColoredAccessory::accessoryWithColor(const Color& color, Type type)
{
    auto accessory = std::make_shared<TECustomColoredAccessory>();
    accessory->m_accessoryColor = color;
    accessory->m_type = type;
    accessory->m_frontSquare = color;
    // The back square stands out from the front one.
    accessory->m_backSquare = color == Color::colorWithWhite(1) ? Color::colorWithWhite(0) : Color::colorWithWhite(1);
    return accessory;
}

std::shared_ptr<TECustomColoredAccessory> TECustomColoredAccessory::squareAccessoryWithColor(const Color& color,
                                                                                             const Color& background)
{
    auto accessory = accessoryWithColor(color, Square);
    accessory->m_backSquare = background;
    return accessory;
}

TECustomColoredAccessory::TECustomColoredAccessory()
{
    setFrame({{0, 0}, {kSide, kSide}});
    setBackgroundColor(Color::colorWithWhite(0, 0));
}

void TECustomColoredAccessory::setHighlighted(bool highlighted)
{
    Control::setHighlighted(highlighted);
    setNeedsDisplay();
}

void TECustomColoredAccessory::drawRect(GraphicsContext& context, const Rect&)
{
    Rect area = bounds();
    if (m_type == Square) {
        double side = std::min(area.width(), area.height()) * 2 / 3;
        context.setFillColor(m_backSquare);
        context.fillRect({{area.maxX() - side, area.minY()}, {side, side}});
        context.setFillColor(m_frontSquare);
        context.fillRect({{area.minX(), area.maxY() - side}, {side, side}});
        return;
    }
    // A chevron whose tip sits a line width inside the edge it points at.
    double inset = kLineWidth;
    double midX = area.midX();
    double midY = area.midY();
    double arm = std::min(area.width(), area.height()) / 2 - inset;
    Point start, tip, end;
    switch (m_type) {
    case Down:
        start = {midX - arm, midY - arm / 2}, tip = {midX, midY + arm / 2}, end = {midX + arm, midY - arm / 2};
        break;
    case Up:
        start = {midX - arm, midY + arm / 2}, tip = {midX, midY - arm / 2}, end = {midX + arm, midY + arm / 2};
        break;
    case Left:
        start = {midX + arm / 2, midY - arm}, tip = {midX - arm / 2, midY}, end = {midX + arm / 2, midY + arm};
        break;
    default:
        start = {midX - arm / 2, midY - arm}, tip = {midX + arm / 2, midY}, end = {midX - arm / 2, midY + arm};
        break;
    }
    context.setStrokeColor(isHighlighted() ? highlightedColor() : accessoryColor());
    context.setLineWidth(kLineWidth);
    context.setLineCap(GraphicsContext::LineCap::Square);
    context.setLineJoin(GraphicsContext::LineJoin::Miter);
    context.moveToPoint(start);
    context.addLineToPoint(tip);
    context.addLineToPoint(end);
    context.strokePath();
}

} // namespace folio
