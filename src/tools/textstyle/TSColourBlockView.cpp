#include "tools/textstyle/TSColourBlockView.h"

#include "platform/graphics/GraphicsContext.h"


namespace folio {

TSColourBlockView::TSColourBlockView(Rect frame) : View(frame) {}

void TSColourBlockView::setColour(std::optional<Color> colour)
{
    m_colour = std::move(colour);
    setNeedsDisplay();
}

void TSColourBlockView::setCornerRadius(double radius)
{
    m_cornerRadius = radius;
    setNeedsDisplay();
}

void TSColourBlockView::drawRect(GraphicsContext& context, const Rect&)
{
    Rect box{{0, 0}, bounds().size};
    double red = 0, green = 0, blue = 0, alpha = 1;
    if (!m_colour || !m_colour->getRed(&red, &green, &blue, &alpha)) {
        red = green = blue = 0;
        alpha = 1;
    }
    context.addRoundedRect(box, m_cornerRadius);
    context.setFillColor(Color::colorWithRed(red, green, blue, alpha));
    context.fillPath();
    context.addRoundedRect(box, m_cornerRadius);
    context.setStrokeColor(Color::colorWithWhite(0.5));
    context.setLineWidth(2);
    context.strokePath();
}

} // namespace folio
