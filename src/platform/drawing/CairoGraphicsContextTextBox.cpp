#include "platform/drawing/CairoGraphicsContext.h"
#include "platform/drawing/PangoTextAlignment.h"

#include "platform/foundation/Unicode.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <memory>

namespace folio {

namespace {

struct TextBoxLayoutDeleter {
    void operator()(PangoLayout* layout) const { g_object_unref(layout); }
};
using TextBoxLayoutPointer = std::unique_ptr<PangoLayout, TextBoxLayoutDeleter>;

TextBoxLayoutPointer textBoxLayout(cairo_t* context, const std::u16string& text, const CairoGraphicsContext::TextBoxStyle& style,
                            double width)
{
    TextBoxLayoutPointer layout(pango_cairo_create_layout(context));
    pango_cairo_context_set_resolution(pango_layout_get_context(layout.get()), 72);
    pango_layout_context_changed(layout.get());

    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, style.family.c_str());
    // A size of nothing would fall back to pango's default; the smallest size stands in.
    pango_font_description_set_absolute_size(font, (style.pointSize > 0 ? style.pointSize : 1) * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), font);
    pango_font_description_free(font);

    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    if (width > 0)
        pango_layout_set_width(layout.get(), static_cast<int>(width * PANGO_SCALE));
    setPangoAlignment(layout.get(), style.alignment);
    std::string utf8 = toUtf8(text);
    pango_layout_set_text(layout.get(), utf8.c_str(), static_cast<int>(utf8.size()));
    return layout;
}

} // namespace

void CairoGraphicsContext::drawTextInBox(const std::u16string& text, const TextBoxStyle& style, const Rect& box)
{
    if (box.size.width <= 0 || box.size.height <= 0)
        return;
    TextBoxLayoutPointer layout = textBoxLayout(m_context, text, style, box.size.width);
    cairo_save(m_context);
    cairo_rectangle(m_context, box.origin.x, box.origin.y, box.size.width, box.size.height);
    cairo_clip(m_context);
    const Color& color = style.color;
    if (color.canProvideRGBComponents())
        cairo_set_source_rgba(m_context, color.red(), color.green(), color.blue(), color.alpha());
    else
        cairo_set_source_rgb(m_context, 0, 0, 0);
    cairo_move_to(m_context, box.origin.x, box.origin.y);
    pango_cairo_show_layout(m_context, layout.get());
    cairo_restore(m_context);
}

double CairoGraphicsContext::heightOfTextInBox(const std::u16string& text, const TextBoxStyle& style, double width) const
{
    TextBoxLayoutPointer layout = textBoxLayout(m_context, text, style, width);
    int layoutWidth = 0;
    int layoutHeight = 0;
    pango_layout_get_size(layout.get(), &layoutWidth, &layoutHeight);
    return static_cast<double>(layoutHeight) / PANGO_SCALE;
}

void CairoGraphicsContext::fillRectWithVerticalGradient(const Rect& rect, const Color& top, const Color& bottom)
{
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, rect.minY(), 0, rect.maxY());
    for (auto [offset, color] : {std::pair{0.0, &top}, std::pair{1.0, &bottom}}) {
        if (color->canProvideRGBComponents())
            cairo_pattern_add_color_stop_rgba(gradient, offset, color->red(), color->green(), color->blue(), color->alpha());
        else
            cairo_pattern_add_color_stop_rgb(gradient, offset, 0, 0, 0);
    }
    cairo_save(m_context);
    cairo_rectangle(m_context, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_set_source(m_context, gradient);
    cairo_fill(m_context);
    cairo_restore(m_context);
    cairo_pattern_destroy(gradient);
}

void CairoGraphicsContext::clipToPath()
{
    cairo_clip(m_context);
}

void CairoGraphicsContext::addRoundedRect(const Rect& rect, double radius)
{
    const double x = rect.origin.x;
    const double y = rect.origin.y;
    const double w = rect.size.width;
    const double h = rect.size.height;
    cairo_new_sub_path(m_context);
    cairo_arc(m_context, x + w - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(m_context, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
    cairo_arc(m_context, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
    cairo_arc(m_context, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(m_context);
}

} // namespace folio
