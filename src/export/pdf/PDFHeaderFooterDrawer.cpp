#include "export/pdf/PDFHeaderFooterDrawer.h"

#include "export/pdf/PageHeaderFooterSettings.h"
#include "engine/css/ColorHTML.h"
#include "platform/foundation/Unicode.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <memory>

namespace folio {

namespace {

struct LayoutDeleter {
    void operator()(PangoLayout* layout) const { g_object_unref(layout); }
};
using LayoutPointer = std::unique_ptr<PangoLayout, LayoutDeleter>;

LayoutPointer makeLayout(cairo_t* context, const std::u16string& text, const PDFHeaderFooterDrawer::TextStyle& style,
                         double width)
{
    LayoutPointer layout(pango_cairo_create_layout(context));
    // One pango unit per point, whatever the screen's resolution.
    pango_cairo_context_set_resolution(pango_layout_get_context(layout.get()), 72);
    pango_layout_context_changed(layout.get());

    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, style.fontName.empty() ? "Helvetica" : style.fontName.c_str());
    if (style.fontSize > 0)
        pango_font_description_set_absolute_size(font, style.fontSize * PANGO_SCALE);
    else
        pango_font_description_set_absolute_size(font, 1);
    pango_layout_set_font_description(layout.get(), font);
    pango_font_description_free(font);

    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    if (width > 0)
        pango_layout_set_width(layout.get(), static_cast<int>(width * PANGO_SCALE));
    switch (style.alignment) {
    case TextAlignment::Center:
        pango_layout_set_alignment(layout.get(), PANGO_ALIGN_CENTER);
        break;
    case TextAlignment::Right:
        pango_layout_set_alignment(layout.get(), PANGO_ALIGN_RIGHT);
        break;
    case TextAlignment::Justified:
        pango_layout_set_justify(layout.get(), TRUE);
        pango_layout_set_alignment(layout.get(), PANGO_ALIGN_LEFT);
        break;
    default:
        pango_layout_set_alignment(layout.get(), PANGO_ALIGN_LEFT);
        break;
    }
    std::string utf8 = toUtf8(text);
    pango_layout_set_text(layout.get(), utf8.c_str(), static_cast<int>(utf8.size()));
    return layout;
}

void drawText(cairo_t* context, const std::u16string& text, const PDFHeaderFooterDrawer::TextStyle& style,
              const Rect& box)
{
    if (box.size.width <= 0 || box.size.height <= 0)
        return;
    LayoutPointer layout = makeLayout(context, text, style, box.size.width);
    std::optional<Color> color = colorWithHTMLName(style.color);
    cairo_save(context);
    cairo_rectangle(context, box.origin.x, box.origin.y, box.size.width, box.size.height);
    cairo_clip(context);
    if (color && color->canProvideRGBComponents())
        cairo_set_source_rgba(context, color->red(), color->green(), color->blue(), color->alpha());
    else
        cairo_set_source_rgb(context, 0, 0, 0);
    cairo_move_to(context, box.origin.x, box.origin.y);
    pango_cairo_show_layout(context, layout.get());
    cairo_restore(context);
}

} // namespace

double PDFHeaderFooterDrawer::textHeight(cairo_t* context, const std::u16string& text, const TextStyle& style,
                                         double width)
{
    LayoutPointer layout = makeLayout(context, text, style, width);
    int w = 0;
    int h = 0;
    pango_layout_get_size(layout.get(), &w, &h);
    return static_cast<double>(h) / PANGO_SCALE;
}

void PDFHeaderFooterDrawer::drawHeaderForPageAtIndex(cairo_t* context, std::size_t, const std::u16string& text,
                                                     double topMargin, const TextStyle& style, const Rect& rect)
{
    double x = rect.origin.x;
    drawText(context, text, style, Rect{{x, topMargin}, {rect.size.width - x, 100}});
}

void PDFHeaderFooterDrawer::drawFooterForPageAtIndex(cairo_t* context, std::size_t, const std::u16string& text,
                                                     double bottomMargin, const TextStyle& style, const Rect& rect)
{
    double x = rect.origin.x;
    double height = textHeight(context, text, style, rect.size.width - x);
    drawText(context, text, style,
             Rect{{x, rect.size.height - bottomMargin - height / 2}, {rect.size.width - x, height + 4}});
}

void PDFHeaderFooterDrawer::drawPage(cairo_t* context, std::size_t pageIndex, std::size_t pageCount,
                                     const Size& pageSize, const PageHeaderFooter& header,
                                     const PageHeaderFooter& footer, double leftMargin, double rightMargin)
{
    double x = leftMargin * 30;
    double width = pageSize.width - rightMargin * 30;
    if (header.enabled) {
        std::u16string text = PageHeaderFooterSettings::textForPage(header.textTemplate, pageIndex + 1, pageCount);
        drawHeaderForPageAtIndex(context, pageIndex, text, header.distanceFromEdge,
                                 {header.fontName, header.fontSize, header.alignment, header.color},
                                 Rect{{x, header.distanceFromEdge}, {width, 100}});
    }
    if (footer.enabled) {
        std::u16string text = PageHeaderFooterSettings::textForPage(footer.textTemplate, pageIndex + 1, pageCount);
        drawFooterForPageAtIndex(context, pageIndex, text, footer.distanceFromEdge,
                                 {footer.fontName, footer.fontSize, footer.alignment, footer.color},
                                 Rect{{x, 0}, {width, pageSize.height}});
    }
}

} // namespace folio
