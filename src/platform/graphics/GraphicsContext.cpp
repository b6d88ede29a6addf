#include "platform/graphics/GraphicsContext.h"

#include "platform/foundation/Unicode.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>

namespace folio {

namespace {

// Pango picks faces by family, weight and style; the font's own face (which
// may stand in for a family that is not installed) is what gets drawn.
PangoFontDescription* fontDescription(const Font& font)
{
    PangoFontDescription* description = pango_font_description_new();
    const FontFace& face = font.face();
    pango_font_description_set_family(description, face.familyName.c_str());
    pango_font_description_set_weight(description, static_cast<PangoWeight>(face.weight));
    pango_font_description_set_style(description, face.isItalic() ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    if (face.symbolicTraits & kFontCondensedTrait)
        pango_font_description_set_stretch(description, PANGO_STRETCH_CONDENSED);
    else if (face.symbolicTraits & kFontExpandedTrait)
        pango_font_description_set_stretch(description, PANGO_STRETCH_EXPANDED);
    // Absolute size: one point of the font is one unit of user space, as on PDF pages.
    pango_font_description_set_absolute_size(description, font.pointSize() * PANGO_SCALE);
    return description;
}

} // namespace

Result<std::unique_ptr<GraphicsContext>> GraphicsContext::imageContext(Size size, double scale)
{
    if (!(scale > 0) || !std::isfinite(size.width) || !std::isfinite(size.height))
        return Error{"GraphicsContext", 1, "Invalid image context size."};
    int width = int(std::ceil(size.width * scale));
    int height = int(std::ceil(size.height * scale));
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767)
        return Error{"GraphicsContext", 1, "Invalid image context size."};
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return Error{"GraphicsContext", 2, "No memory for an image context."};
    }
    cairo_t* context = cairo_create(surface);
    cairo_surface_destroy(surface);
    cairo_scale(context, scale, scale);
    auto result = std::make_unique<GraphicsContext>(context);
    result->m_scale = scale;
    cairo_destroy(context);
    return result;
}

GraphicsContext::GraphicsContext(cairo_t* context) : m_context(cairo_reference(context)) {}

GraphicsContext::~GraphicsContext() { cairo_destroy(m_context); }

void GraphicsContext::saveGState() { cairo_save(m_context); }

void GraphicsContext::restoreGState() { cairo_restore(m_context); }

void GraphicsContext::concatCTM(const AffineTransform& t)
{
    cairo_matrix_t matrix{t.a, t.b, t.c, t.d, t.tx, t.ty};
    cairo_transform(m_context, &matrix);
}

void GraphicsContext::translateCTM(double x, double y) { cairo_translate(m_context, x, y); }

void GraphicsContext::scaleCTM(double x, double y) { cairo_scale(m_context, x, y); }

AffineTransform GraphicsContext::currentTransform() const
{
    cairo_matrix_t m;
    cairo_get_matrix(m_context, &m);
    return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

void GraphicsContext::setFillColor(const Color& color)
{
    double red = 0, green = 0, blue = 0, alpha = color.alpha();
    color.getRed(&red, &green, &blue, nullptr);
    cairo_set_source_rgba(m_context, red, green, blue, alpha);
}

void GraphicsContext::fillRect(const Rect& rect)
{
    cairo_rectangle(m_context, rect.minX(), rect.minY(), rect.width(), rect.height());
    cairo_fill(m_context);
}

void GraphicsContext::drawImage(const Image& image, const Rect& rect) { image.drawInRect(m_context, rect); }

Size GraphicsContext::layoutText(const std::u16string& text, const Font& font, double maxWidth, bool draw)
{
    PangoLayout* layout = pango_cairo_create_layout(m_context);
    std::string utf8 = toUtf8(text);
    pango_layout_set_text(layout, utf8.c_str(), int(utf8.size()));
    PangoFontDescription* description = fontDescription(font);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    if (maxWidth > 0)
        pango_layout_set_width(layout, int(maxWidth * PANGO_SCALE));
    if (draw)
        pango_cairo_show_layout(m_context, layout);
    int width = 0, height = 0;
    pango_layout_get_size(layout, &width, &height);
    g_object_unref(layout);
    return {double(width) / PANGO_SCALE, double(height) / PANGO_SCALE};
}

Size GraphicsContext::drawText(const std::u16string& text, Point origin, const Font& font, const Color& color,
                               double maxWidth)
{
    cairo_save(m_context);
    setFillColor(color);
    cairo_translate(m_context, origin.x, origin.y);
    // The font's matrix (a synthetic slant, say) applies to the glyphs about the
    // first baseline, so a slanted line stays where an upright one would be. It
    // is given with y up, as font matrices are; user space has y down.
    if (!font.matrix().isIdentity()) {
        const AffineTransform& t = font.matrix();
        double baseline = font.ascender();
        cairo_matrix_t matrix{t.a, -t.b, -t.c, t.d, t.tx, -t.ty};
        cairo_translate(m_context, 0, baseline);
        cairo_transform(m_context, &matrix);
        cairo_translate(m_context, 0, -baseline);
    }
    cairo_move_to(m_context, 0, 0);
    Size size = layoutText(text, font, maxWidth, true);
    cairo_restore(m_context);
    return size;
}

Size GraphicsContext::sizeOfText(const std::u16string& text, const Font& font, double maxWidth) const
{
    return const_cast<GraphicsContext*>(this)->layoutText(text, font, maxWidth, false);
}

Result<Image::Pointer> GraphicsContext::makeImage() const
{
    cairo_surface_t* surface = cairo_get_target(m_context);
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return Error{"GraphicsContext", 3, "The context does not draw into a bitmap."};
    return Image::imageWithCairoSurface(surface, m_scale);
}

} // namespace folio
