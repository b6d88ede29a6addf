#include "tools/textstyle/UpDownControl.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "tools/ToolsFonts.h"

#include <cmath>

namespace folio {

namespace {

constexpr double kRedrawDelay = 0.1;

Color grey(int level) { return Color::colorWithWhite(level / 255.0); }

void fillVerticalGradient(GraphicsContext& context, double top, double bottom, int topGrey, int bottomGrey, double width)
{
    context.fillRectWithVerticalGradient(Rect{{0, top}, {width, bottom - top}}, grey(topGrey), grey(bottomGrey));
}

void horizontalLine(GraphicsContext& context, double y, double from, double to, int level)
{
    context.setStrokeColor(grey(level));
    context.setLineWidth(1);
    context.moveToPoint({from, y + 0.5});
    context.addLineToPoint({to, y + 0.5});
    context.strokePath();
}

void triangle(GraphicsContext& context, double centreX, double centreY, bool up, bool enabled)
{
    for (int pass = 0; pass < 2; ++pass) {
        // The white shadow first, one point lower, then the triangle itself.
        double offset = pass == 0 ? 1 : 0;
        double tip = up ? centreY - 5 : centreY + 5;
        double base = up ? centreY + 5 : centreY - 5;
        context.moveToPoint({centreX, tip + offset});
        context.addLineToPoint({centreX + 5, base + offset});
        context.addLineToPoint({centreX - 5, base + offset});
        context.closePath();
        if (pass == 0)
            context.setFillColor(Color::colorWithWhite(1, 0.8));
        else if (enabled)
            context.setFillColor(Color::colorWithRed(105 / 255.0, 109 / 255.0, 114 / 255.0, 1));
        else
            context.setFillColor(Color::colorWithRed(195 / 255.0, 199 / 255.0, 204 / 255.0, 1));
        context.fillPath();
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
    double width = bounds().width();
    double height = bounds().height();
    bool showPressed = m_pressed || m_redrawDue;
    m_redrawDue = false;

    context.saveGState();
    context.addRoundedRect(Rect{{0, 0}, bounds().size}, 4);
    context.clipToPath();
    fillVerticalGradient(context, 0, height, 214, 252, width);
    if (showPressed && !m_increasing)
        fillVerticalGradient(context, height / 2, height, 225, 252, width);
    if (showPressed && m_increasing)
        fillVerticalGradient(context, 0, height / 2, 200, 233, width);
    else
        horizontalLine(context, 1, 2, width - 2, 234);
    horizontalLine(context, height / 2 + 1, 0, width, 244);
    context.restoreGState();

    context.addRoundedRect(Rect{{0.5, 0.5}, Size{width - 1, height - 1}}, 4);
    context.setStrokeColor(grey(184));
    context.setLineWidth(1);
    context.strokePath();

    double arrowX = width - 22;
    triangle(context, arrowX, height / 4, true, canStepUp());
    triangle(context, arrowX, height * 3 / 4, false, canStepDown());

    Color textColour = grey(66);
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
