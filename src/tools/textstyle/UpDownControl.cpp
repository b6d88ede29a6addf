#include "tools/textstyle/UpDownControl.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "tools/ToolsFonts.h"
#include "tools/textstyle/RoundedRectPath.h"

#include <cairo.h>

#include <cmath>

namespace folio {

namespace {

constexpr double kRedrawDelay = 0.1;

double grey(int level) { return level / 255.0; }

void fillVerticalGradient(cairo_t* cr, double top, double bottom, int topGrey, int bottomGrey, double width)
{
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, top, 0, bottom);
    cairo_pattern_add_color_stop_rgb(gradient, 0, grey(topGrey), grey(topGrey), grey(topGrey));
    cairo_pattern_add_color_stop_rgb(gradient, 1, grey(bottomGrey), grey(bottomGrey), grey(bottomGrey));
    cairo_rectangle(cr, 0, top, width, bottom - top);
    cairo_set_source(cr, gradient);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
}

void horizontalLine(cairo_t* cr, double y, double from, double to, int level)
{
    cairo_set_source_rgb(cr, grey(level), grey(level), grey(level));
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, from, y + 0.5);
    cairo_line_to(cr, to, y + 0.5);
    cairo_stroke(cr);
}

void triangle(cairo_t* cr, double centreX, double centreY, bool up, bool enabled)
{
    for (int pass = 0; pass < 2; ++pass) {
        // The white shadow first, one point lower, then the triangle itself.
        double offset = pass == 0 ? 1 : 0;
        double tip = up ? centreY - 5 : centreY + 5;
        double base = up ? centreY + 5 : centreY - 5;
        cairo_move_to(cr, centreX, tip + offset);
        cairo_line_to(cr, centreX + 5, base + offset);
        cairo_line_to(cr, centreX - 5, base + offset);
        cairo_close_path(cr);
        if (pass == 0)
            cairo_set_source_rgba(cr, 1, 1, 1, 0.8);
        else if (enabled)
            cairo_set_source_rgb(cr, 105 / 255.0, 109 / 255.0, 114 / 255.0);
        else
            cairo_set_source_rgb(cr, 195 / 255.0, 199 / 255.0, 204 / 255.0);
        cairo_fill(cr);
    }
}

} // namespace

bool UpDownControl::beginTrackingWithTouch(Point point)
{
    m_increasing = point.y < bounds().height() / 2;
    if ((m_increasing && !canStepUp()) || (!m_increasing && !canStepDown()))
        return false;
    m_pressed = true;
    m_redrawDue = true;
    setNeedsDisplay();
    return true;
}

bool UpDownControl::continueTrackingWithTouch(Point point)
{
    m_pressed = Rect{{0, 0}, bounds().size}.containsPoint(point);
    setNeedsDisplay();
    return true;
}

void UpDownControl::endTrackingWithTouch(Point point)
{
    if (Rect{{0, 0}, bounds().size}.containsPoint(point))
        processTouchUp();
    m_pressed = false;
    setNeedsDisplay();
    if (m_redrawDue) {
        std::weak_ptr<UpDownControl> weak = sharedAs<UpDownControl>();
        RunLoop::main().postAfterDelay(kRedrawDelay, [weak] {
            if (auto self = weak.lock())
                self->setNeedsDisplay();
        });
    }
}

void UpDownControl::cancelTrackingWithEvent()
{
    m_pressed = false;
    setNeedsDisplay();
}

void UpDownControl::drawRect(GraphicsContext& context, const Rect&)
{
    cairo_t* cr = context.cairoContext();
    double width = bounds().width();
    double height = bounds().height();
    bool showPressed = m_pressed || m_redrawDue;
    m_redrawDue = false;

    cairo_save(cr);
    addRoundedRectPath(cr, Rect{{0, 0}, bounds().size}, 4);
    cairo_clip(cr);
    fillVerticalGradient(cr, 0, height, 214, 252, width);
    if (showPressed && !m_increasing)
        fillVerticalGradient(cr, height / 2, height, 225, 252, width);
    if (showPressed && m_increasing)
        fillVerticalGradient(cr, 0, height / 2, 200, 233, width);
    else
        horizontalLine(cr, 1, 2, width - 2, 234);
    horizontalLine(cr, height / 2 + 1, 0, width, 244);
    cairo_restore(cr);

    addRoundedRectPath(cr, Rect{{0.5, 0.5}, Size{width - 1, height - 1}}, 4);
    cairo_set_source_rgb(cr, grey(184), grey(184), grey(184));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    double arrowX = width - 22;
    triangle(cr, arrowX, height / 4, true, canStepUp());
    triangle(cr, arrowX, height * 3 / 4, false, canStepDown());

    Color textColour = Color::colorWithWhite(grey(66));
    if (auto font = systemFontOfSize(valueFontSize(), true)) {
        Size size = context.sizeOfText(valueText(), *font);
        Size drawn = context.drawText(valueText(), Point{10, (height - size.height) / 2}, *font, textColour);
        if (auto unitFont = systemFontOfSize(14, true); unitFont && !unit().empty()) {
            Size unitSize = context.sizeOfText(unit(), *unitFont);
            context.drawText(unit(), Point{10 + drawn.width + 3, (height - unitSize.height) / 2}, *unitFont, textColour);
        }
    }
}

} // namespace folio
