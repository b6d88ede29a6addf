#include "tools/textstyle/TSColourBlockView.h"

#include "platform/graphics/GraphicsContext.h"
#include "tools/textstyle/RoundedRectPath.h"


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
    cairo_t* cr = context.cairoContext();
    addRoundedRectPath(cr, Rect{{0, 0}, bounds().size}, m_cornerRadius);
    double red = 0, green = 0, blue = 0, alpha = 1;
    if (!m_colour || !m_colour->getRed(&red, &green, &blue, &alpha)) {
        red = green = blue = 0;
        alpha = 1;
    }
    cairo_set_source_rgba(cr, red, green, blue, alpha);
    cairo_fill_preserve(cr);
    cairo_push_group(cr);
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
}

} // namespace folio
