#include "platform/graphics/GraphicsContext.h"

#include "platform/graphics/DrawingServices.h"

namespace folio {

Result<std::unique_ptr<GraphicsContext>> GraphicsContext::imageContext(Size size, double scale)
{
    return DrawingServices::shared().imageContext(size, scale);
}

std::unique_ptr<GraphicsContext> GraphicsContext::contextDrawingInto(cairo_t* context)
{
    return DrawingServices::shared().contextDrawingInto(context);
}

} // namespace folio
