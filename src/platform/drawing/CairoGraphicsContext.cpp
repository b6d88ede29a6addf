#include "platform/drawing/CairoGraphicsContext.h"

#include "platform/drawing/CairoImage.h"

#include "platform/foundation/Unicode.h"
#include "platform/graphics/ShapingFace.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <algorithm>
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

// cairo opens the file itself and keeps its FreeType face locked while it
// uses it, so drawing from several threads needs nothing more of us.
void* makeCairoFace(const ShapingFace& face)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8*>(face.filePath().c_str()));
    FcPatternAddInteger(pattern, FC_INDEX, face.faceIndex());
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_pattern(pattern);
    FcPatternDestroy(pattern);
    return cairoFace;
}

void releaseCairoFace(void* face) { cairo_font_face_destroy(static_cast<cairo_font_face_t*>(face)); }

// Made once per face, on the first glyphs drawn with it.
cairo_font_face_t* cairoFace(const ShapingFace& face)
{
    return static_cast<cairo_font_face_t*>(face.drawingFace(makeCairoFace, releaseCairoFace));
}

void setSource(cairo_t* context, const Color& color)
{
    double red = 0, green = 0, blue = 0;
    color.getRed(&red, &green, &blue, nullptr);
    cairo_set_source_rgba(context, red, green, blue, color.alpha());
}

} // namespace

Result<std::unique_ptr<GraphicsContext>> CairoGraphicsContext::imageContext(Size size, double scale)
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
    auto result = std::make_unique<CairoGraphicsContext>(context);
    result->m_scale = scale;
    cairo_destroy(context);
    return std::unique_ptr<GraphicsContext>(std::move(result));
}

CairoGraphicsContext::CairoGraphicsContext(cairo_t* context) : m_context(cairo_reference(context)) {}

CairoGraphicsContext::~CairoGraphicsContext() { cairo_destroy(m_context); }

void CairoGraphicsContext::saveGState()
{
    cairo_save(m_context);
    m_savedShadows.push_back(m_shadow);
}

void CairoGraphicsContext::restoreGState()
{
    cairo_restore(m_context);
    if (!m_savedShadows.empty()) {
        m_shadow = m_savedShadows.back();
        m_savedShadows.pop_back();
    }
}

void CairoGraphicsContext::concatCTM(const AffineTransform& t)
{
    cairo_matrix_t matrix{t.a, t.b, t.c, t.d, t.tx, t.ty};
    cairo_transform(m_context, &matrix);
}

void CairoGraphicsContext::translateCTM(double x, double y) { cairo_translate(m_context, x, y); }

void CairoGraphicsContext::scaleCTM(double x, double y) { cairo_scale(m_context, x, y); }

void CairoGraphicsContext::setStrokeColor(const Color& color)
{
    m_strokeColor = color;
}

void CairoGraphicsContext::setLineWidth(double width) { cairo_set_line_width(m_context, width); }

void CairoGraphicsContext::setLineCap(LineCap cap)
{
    cairo_set_line_cap(m_context, cap == LineCap::Round ? CAIRO_LINE_CAP_ROUND
                                      : cap == LineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                                               : CAIRO_LINE_CAP_BUTT);
}

void CairoGraphicsContext::setLineJoin(LineJoin join)
{
    cairo_set_line_join(m_context, join == LineJoin::Round ? CAIRO_LINE_JOIN_ROUND
                                       : join == LineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                                                 : CAIRO_LINE_JOIN_MITER);
}

void CairoGraphicsContext::moveToPoint(Point point) { cairo_move_to(m_context, point.x, point.y); }

void CairoGraphicsContext::addLineToPoint(Point point) { cairo_line_to(m_context, point.x, point.y); }

void CairoGraphicsContext::addArc(Point center, double radius, double startAngle, double endAngle)
{
    cairo_arc(m_context, center.x, center.y, radius, startAngle, endAngle);
}

void CairoGraphicsContext::addEllipseInRect(const Rect& rect)
{
    if (!(rect.size.width > 0) || !(rect.size.height > 0))
        return;
    cairo_save(m_context);
    cairo_translate(m_context, rect.midX(), rect.midY());
    cairo_scale(m_context, rect.size.width / 2, rect.size.height / 2);
    cairo_new_sub_path(m_context);
    cairo_arc(m_context, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(m_context);
}

void CairoGraphicsContext::closePath() { cairo_close_path(m_context); }

void CairoGraphicsContext::fillPath()
{
    applyFillColor();
    cairo_fill(m_context);
}

void CairoGraphicsContext::strokePath()
{
    setSource(m_context, m_strokeColor);
    cairo_stroke(m_context);
}

void CairoGraphicsContext::clipToRect(const Rect& rect)
{
    cairo_rectangle(m_context, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_clip(m_context);
}

void CairoGraphicsContext::fillMaskedByImage(const Image& image, const Rect& rect)
{
    cairo_surface_t* surface = CairoImage::createSurface(image);
    if (!surface)
        return;
    cairo_save(m_context);
    cairo_translate(m_context, rect.origin.x, rect.origin.y);
    cairo_scale(m_context, rect.size.width / image.pixelWidth(), rect.size.height / image.pixelHeight());
    applyFillColor();
    cairo_mask_surface(m_context, surface, 0, 0);
    cairo_restore(m_context);
    cairo_surface_destroy(surface);
}

void CairoGraphicsContext::beginTransparencyLayer() { cairo_push_group(m_context); }

// The layer is composited as one picture, and casts the shadow in force as
// one: a framed photograph's shadow falls around the frame, not inside it.
void CairoGraphicsContext::endTransparencyLayer()
{
    cairo_pattern_t* layer = cairo_pop_group(m_context);
    if (m_shadow)
        paintShadowOfLayer(*m_shadow, layer);
    cairo_set_source(m_context, layer);
    cairo_paint(m_context);
    cairo_pattern_destroy(layer);
}

AffineTransform CairoGraphicsContext::currentTransform() const
{
    cairo_matrix_t m;
    cairo_get_matrix(m_context, &m);
    return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

void CairoGraphicsContext::setFillColor(const Color& color)
{
    m_fillColor = color;
    setSource(m_context, color);
}

// Stroking takes cairo's one source for its own colour, so fills set theirs again.
void CairoGraphicsContext::applyFillColor() { setSource(m_context, m_fillColor); }

void CairoGraphicsContext::fillRect(const Rect& rect)
{
    applyFillColor();
    cairo_rectangle(m_context, rect.minX(), rect.minY(), rect.width(), rect.height());
    cairo_fill(m_context);
}

void CairoGraphicsContext::drawImage(const Image& image, const Rect& rect) { CairoImage::drawInRect(m_context, image, rect); }

Size CairoGraphicsContext::layoutText(const std::u16string& text, const Font& font, double maxWidth, bool draw)
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

Size CairoGraphicsContext::drawText(const std::u16string& text, Point origin, const Font& font, const Color& color,
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

Size CairoGraphicsContext::sizeOfText(const std::u16string& text, const Font& font, double maxWidth) const
{
    return const_cast<CairoGraphicsContext*>(this)->layoutText(text, font, maxWidth, false);
}

Result<Image::Pointer> CairoGraphicsContext::makeImage() const
{
    cairo_surface_t* surface = cairo_get_target(m_context);
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return Error{"GraphicsContext", 3, "The context does not draw into a bitmap."};
    return CairoImage::imageWithSurface(surface, m_scale);
}

} // namespace folio

namespace folio {

void CairoGraphicsContext::addPath(const GraphicsPath& path)
{
    for (const GraphicsPath::Element& element : path.elements()) {
        const Point* p = element.points;
        switch (element.kind) {
        case GraphicsPath::Kind::MoveTo:
            cairo_move_to(m_context, p[0].x, p[0].y);
            break;
        case GraphicsPath::Kind::LineTo:
            cairo_line_to(m_context, p[0].x, p[0].y);
            break;
        case GraphicsPath::Kind::CurveTo:
            cairo_curve_to(m_context, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
            break;
        case GraphicsPath::Kind::Close:
            cairo_close_path(m_context);
            break;
        }
    }
}

Rect CairoGraphicsContext::clipBoundingBox() const
{
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(m_context, &x1, &y1, &x2, &y2);
    return makeRect(x1, y1, x2 - x1, y2 - y1);
}

void CairoGraphicsContext::setLineDash(const std::vector<double>& lengths)
{
    cairo_set_dash(m_context, lengths.data(), static_cast<int>(lengths.size()), 0);
}

void CairoGraphicsContext::setShadow(Size offset, double blur, const Color& color)
{
    m_shadow = Shadow{offset, std::max(0.0, blur), color};
}

void CairoGraphicsContext::clearShadow() { m_shadow.reset(); }

void CairoGraphicsContext::drawGlyphs(const Font& font, const std::vector<std::uint32_t>& glyphs,
                                 const std::vector<Point>& positions, Point origin, const Color& color)
{
    if (glyphs.empty() || glyphs.size() != positions.size())
        return;
    if (m_shadow)
        drawShadowOfGlyphs(*m_shadow, font, glyphs, positions, origin);
    cairo_save(m_context);
    setSource(m_context, color);
    paintGlyphs(font, glyphs, positions, origin);
    cairo_restore(m_context);
}

// Fills the glyphs with the current source. Faces without outlines (the test
// catalogue's) fill each glyph's box instead, so their drawing can be checked.
void CairoGraphicsContext::paintGlyphs(const Font& font, const std::vector<std::uint32_t>& glyphs,
                                  const std::vector<Point>& positions, Point origin)
{
    std::shared_ptr<const ShapingFace> face = ShapingFace::forFace(font.face());
    const double size = font.pointSize();
    if (!face->hasOutlines()) {
        for (std::size_t i = 0; i < glyphs.size(); ++i) {
            Rect box = face->glyphBounds(glyphs[i], size);
            if (box.isEmpty())
                continue;
            cairo_rectangle(m_context, origin.x + positions[i].x + box.minX(), origin.y + positions[i].y + box.minY(),
                            box.width(), box.height());
        }
        cairo_fill(m_context);
        return;
    }
    std::vector<cairo_glyph_t> cairoGlyphs;
    cairoGlyphs.reserve(glyphs.size());
    for (std::size_t i = 0; i < glyphs.size(); ++i)
        cairoGlyphs.push_back({glyphs[i], origin.x + positions[i].x, origin.y + positions[i].y});
    cairo_set_font_face(m_context, cairoFace(*face));
    const AffineTransform& m = font.matrix();
    cairo_matrix_t fontMatrix{m.a * size, m.b * size, m.c * size, m.d * size, 0, 0};
    cairo_set_font_matrix(m_context, &fontMatrix);
    cairo_show_glyphs(m_context, cairoGlyphs.data(), static_cast<int>(cairoGlyphs.size()));
}

namespace {

// Three passes of a box blur come close to a Gaussian of the same radius.
void blurAlpha(unsigned char* data, int width, int height, int stride, int radius)
{
    if (radius <= 0)
        return;
    std::vector<unsigned char> line(static_cast<std::size_t>(std::max(width, height)));
    auto pass = [&](int count, int length, auto at) {
        for (int n = 0; n < count; ++n) {
            for (int i = 0; i < length; ++i)
                line[static_cast<std::size_t>(i)] = at(n, i);
            int sum = 0;
            for (int i = -radius; i <= radius; ++i)
                sum += (i >= 0 && i < length) ? line[static_cast<std::size_t>(i)] : 0;
            for (int i = 0; i < length; ++i) {
                at(n, i) = static_cast<unsigned char>(sum / (2 * radius + 1));
                int out = i - radius, in = i + radius + 1;
                sum -= (out >= 0) ? line[static_cast<std::size_t>(out)] : 0;
                sum += (in < length) ? line[static_cast<std::size_t>(in)] : 0;
            }
        }
    };
    for (int round = 0; round < 3; ++round) {
        pass(height, width, [&](int y, int x) -> unsigned char& { return data[y * stride + x]; });
        pass(width, height, [&](int x, int y) -> unsigned char& { return data[y * stride + x]; });
    }
}

} // namespace

bool CairoGraphicsContext::paintBlurredShadow(const Shadow& shadow, const std::function<void(cairo_t*)>& drawCoverage)
{
    // The blur is worked out in device pixels on an alpha mask of the clip's
    // extent, then painted through in the shadow's colour.
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(m_context, &x1, &y1, &x2, &y2);
    cairo_user_to_device(m_context, &x1, &y1);
    cairo_user_to_device(m_context, &x2, &y2);
    int left = static_cast<int>(std::floor(std::min(x1, x2))), top = static_cast<int>(std::floor(std::min(y1, y2)));
    int width = static_cast<int>(std::ceil(std::max(x1, x2))) - left;
    int height = static_cast<int>(std::ceil(std::max(y1, y2))) - top;
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192)
        return false;
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    cairo_t* maskContext = cairo_create(mask);
    cairo_matrix_t matrix;
    cairo_get_matrix(m_context, &matrix);
    matrix.x0 -= left;
    matrix.y0 -= top;
    cairo_set_matrix(maskContext, &matrix);
    drawCoverage(maskContext);
    cairo_destroy(maskContext);
    cairo_surface_flush(mask);
    double scale = std::sqrt(std::abs(matrix.xx * matrix.yy - matrix.xy * matrix.yx));
    blurAlpha(cairo_image_surface_get_data(mask), width, height, cairo_image_surface_get_stride(mask),
              static_cast<int>(std::lround(shadow.blur * scale / 2)));
    cairo_surface_mark_dirty(mask);
    cairo_identity_matrix(m_context);
    setSource(m_context, shadow.color);
    cairo_mask_surface(m_context, mask, left, top);
    cairo_surface_destroy(mask);
    return true;
}

void CairoGraphicsContext::paintShadowOfLayer(const Shadow& shadow, cairo_pattern_t* layer)
{
    cairo_save(m_context);
    // The layer's coverage, moved by the offset, blurred.
    paintBlurredShadow(shadow, [&](cairo_t* maskContext) {
        cairo_translate(maskContext, shadow.offset.width, shadow.offset.height);
        cairo_set_source(maskContext, layer);
        cairo_paint(maskContext);
    });
    cairo_restore(m_context);
}

void CairoGraphicsContext::drawShadowOfGlyphs(const Shadow& shadow, const Font& font,
                                         const std::vector<std::uint32_t>& glyphs,
                                         const std::vector<Point>& positions, Point origin)
{
    Point shifted{origin.x + shadow.offset.width, origin.y + shadow.offset.height};
    cairo_save(m_context);
    setSource(m_context, shadow.color);
    bool blurred = shadow.blur > 0 && paintBlurredShadow(shadow, [&](cairo_t* maskContext) {
        cairo_set_source_rgba(maskContext, 0, 0, 0, 1);
        CairoGraphicsContext maskGraphics(maskContext);
        maskGraphics.paintGlyphs(font, glyphs, positions, shifted);
    });
    if (!blurred)
        paintGlyphs(font, glyphs, positions, shifted);
    cairo_restore(m_context);
}

} // namespace folio
