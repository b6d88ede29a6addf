#include "foundation/views/TEViewToolkit.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/View.h"

#include <random>

namespace folio {

namespace {

void addRoundedRect(GraphicsContext& context, const Rect& rect, double radius)
{
    radius = std::min({radius, rect.width() / 2, rect.height() / 2});
    if (radius <= 0) {
        context.moveToPoint(rect.origin);
        context.addLineToPoint({rect.maxX(), rect.minY()});
        context.addLineToPoint({rect.maxX(), rect.maxY()});
        context.addLineToPoint({rect.minX(), rect.maxY()});
        context.closePath();
        return;
    }
    context.addArc({rect.maxX() - radius, rect.minY() + radius}, radius, -M_PI / 2, 0);
    context.addArc({rect.maxX() - radius, rect.maxY() - radius}, radius, 0, M_PI / 2);
    context.addArc({rect.minX() + radius, rect.maxY() - radius}, radius, M_PI / 2, M_PI);
    context.addArc({rect.minX() + radius, rect.minY() + radius}, radius, M_PI, 3 * M_PI / 2);
    context.closePath();
}

} // namespace

void TEViewToolkit::drawHierarchy(View& view, GraphicsContext& context)
{
    if (view.isHidden() || view.alpha() <= 0)
        return;
    const ViewLayerStyle& layer = view.layerStyle();
    Rect area{{0, 0}, view.bounds().size};
    context.saveGState();
    if (view.alpha() < 1)
        context.beginTransparencyLayer();
    if (layer.masksToBounds) {
        addRoundedRect(context, area, layer.cornerRadius);
        context.clipToRect(area);
    }
    if (const auto& background = view.backgroundColor()) {
        context.setFillColor(*background);
        addRoundedRect(context, area, layer.cornerRadius);
        context.fillPath();
    }
    context.saveGState();
    context.translateCTM(-view.bounds().origin.x, -view.bounds().origin.y);
    view.drawRect(context, view.bounds());
    for (const auto& subview : view.subviews()) {
        context.saveGState();
        context.translateCTM(subview->frame().origin.x, subview->frame().origin.y);
        drawHierarchy(*subview, context);
        context.restoreGState();
    }
    context.restoreGState();
    if (layer.borderWidth > 0) {
        context.setStrokeColor(layer.borderColor);
        context.setLineWidth(layer.borderWidth);
        addRoundedRect(context, area.insetBy(layer.borderWidth / 2, layer.borderWidth / 2), layer.cornerRadius);
        context.strokePath();
    }
    if (view.alpha() < 1)
        context.endTransparencyLayer();
    context.restoreGState();
}

Result<Image::Pointer> TEViewToolkit::snapshotImage(View& view)
{
    Result<std::unique_ptr<GraphicsContext>> context = GraphicsContext::imageContext(view.bounds().size);
    if (!context)
        return context.error();
    drawHierarchy(view, **context);
    return (*context)->makeImage();
}

void TEViewToolkit::setRoundedCorners(View& view, double radius, double width, const Color& color)
{
    ViewLayerStyle& layer = view.layerStyle();
    layer.cornerRadius = radius;
    layer.borderWidth = width;
    layer.borderColor = color;
    layer.masksToBounds = true;
    view.setNeedsDisplay();
}

void TEViewToolkit::addShadow(View& view, const Color& color, double alpha, double radius, Size offset)
{
    ViewLayerStyle& layer = view.layerStyle();
    layer.shadowColor = color;
    layer.shadowOpacity = alpha;
    layer.shadowRadius = radius;
    layer.shadowOffset = offset;
    layer.masksToBounds = false;
    view.setNeedsDisplay();
}

double TEViewToolkit::updateShadowPathToBounds(View& view, const Rect& bounds, double duration)
{
    view.layerStyle().shadowPath = bounds;
    view.setNeedsDisplay();
    return duration > 0 ? duration : 0;
}

Color TEDebug::randomColor()
{
    static thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> byte(0, 255);
    return Color::colorWithRed(byte(generator) / 256.0, byte(generator) / 256.0, byte(generator) / 256.0, 1);
}

void TEDebug::toggleViewMainThreadChecking()
{
    View::setMainThreadChecking(!View::isMainThreadChecking());
}

} // namespace folio
