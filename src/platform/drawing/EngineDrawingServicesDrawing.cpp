#include "platform/drawing/CairoGraphicsContext.h"
#include "platform/drawing/CairoImage.h"
#include "platform/drawing/CairoPDFContext.h"
#include "platform/drawing/EngineDrawingServices.h"

#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

namespace folio {

Result<std::unique_ptr<GraphicsContext>> EngineDrawingServices::imageContext(Size size, double scale)
{
    return CairoGraphicsContext::imageContext(size, scale);
}

std::unique_ptr<GraphicsContext> EngineDrawingServices::contextDrawingInto(cairo_t* context)
{
    return std::make_unique<CairoGraphicsContext>(context);
}

Result<std::unique_ptr<PDFContext>> EngineDrawingServices::pdfContext() { return CairoPDFContext::create(); }

Result<Image::Pointer> EngineDrawingServices::imageWithCairoSurface(cairo_surface_t* surface, double scale)
{
    return CairoImage::imageWithSurface(surface, scale);
}

cairo_surface_t* EngineDrawingServices::createCairoSurface(const Image& image)
{
    return CairoImage::createSurface(image);
}

void EngineDrawingServices::drawImageInRect(cairo_t* context, const Image& image, const Rect& rect)
{
    CairoImage::drawInRect(context, image, rect);
}

void EngineDrawingServices::fontConfigurationChanged()
{
    // Pango caches its view of fontconfig; without this, text drawn on pages
    // would not see the new faces.
    PangoFontMap* fontMap = pango_cairo_font_map_get_default();
    if (PANGO_IS_FC_FONT_MAP(fontMap))
        pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(fontMap));
}

} // namespace folio
