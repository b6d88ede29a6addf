#include "platform/drawing/CairoGraphicsContext.h"
#include "platform/drawing/PangoTextAlignment.h"

#include "platform/foundation/Unicode.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace folio {

namespace {

struct LayoutDeleter {
    void operator()(PangoLayout* layout) const { g_object_unref(layout); }
};
using LayoutPointer = std::unique_ptr<PangoLayout, LayoutDeleter>;

using Paragraph = GraphicsContext::TextBoxParagraph;
using Tab = GraphicsContext::TextBoxTab;

constexpr const char* kFallbackFamily = "Helvetica";
constexpr double kFallbackSize = 12;

int pangoUnits(double points) { return static_cast<int>(std::lround(points * PANGO_SCALE)); }

double runSize(const GraphicsContext::TextBoxRun& run)
{
    // A size of nothing would fall back to pango's default; the smallest size stands in.
    return run.pointSize > 0 ? run.pointSize : 1;
}

guint16 colorComponent(double value) { return static_cast<guint16>(std::lround(std::clamp(value, 0.0, 1.0) * 65535)); }

void addAttribute(PangoAttrList* list, PangoAttribute* attribute, std::size_t start, std::size_t end)
{
    attribute->start_index = static_cast<guint>(start);
    attribute->end_index = static_cast<guint>(end);
    pango_attr_list_insert(list, attribute);
}

// The stops the paragraph gives, within the width the lines have (a stop past
// the right edge stands at it, as a right-aligned head's last stop often
// does on narrower paper), then the default ones after them.
PangoTabArray* tabArray(const Paragraph& paragraph, double lineWidth)
{
    std::vector<Tab> stops;
    double last = 0;
    for (Tab stop : paragraph.tabStops) {
        stop.location = std::clamp(stop.location - paragraph.headIndent, 0.0, std::max(lineWidth, 0.0));
        if (!stops.empty() && stop.location <= last)
            continue;
        last = stop.location;
        stops.push_back(stop);
    }
    const double interval = paragraph.defaultTabInterval > 1 ? paragraph.defaultTabInterval : 36;
    for (double location = (std::floor(last / interval) + 1) * interval; location < lineWidth; location += interval)
        stops.push_back({location, Tab::Alignment::Left});
    PangoTabArray* tabs = pango_tab_array_new(static_cast<gint>(stops.size()), FALSE);
    for (std::size_t index = 0; index < stops.size(); ++index) {
        PangoTabAlign alignment = PANGO_TAB_LEFT;
        switch (stops[index].alignment) {
        case Tab::Alignment::Center:
            alignment = PANGO_TAB_CENTER;
            break;
        case Tab::Alignment::Right:
            alignment = PANGO_TAB_RIGHT;
            break;
        case Tab::Alignment::Decimal:
            alignment = PANGO_TAB_DECIMAL;
            break;
        case Tab::Alignment::Left:
            break;
        }
        pango_tab_array_set_tab(tabs, static_cast<gint>(index), alignment, pangoUnits(stops[index].location));
        if (alignment == PANGO_TAB_DECIMAL)
            pango_tab_array_set_decimal_point(tabs, static_cast<gint>(index), '.');
    }
    return tabs;
}

// Draws a picture run where pango set its shape: the current point is the
// shape's origin on the baseline.
void drawPictureShape(cairo_t* context, PangoAttrShape* shape, gboolean pathOnly, gpointer)
{
    const auto* picture = static_cast<const Image*>(shape->data);
    if (pathOnly || !picture)
        return;
    double x = 0;
    double y = 0;
    cairo_get_current_point(context, &x, &y);
    const PangoRectangle& box = shape->logical_rect;
    picture->drawInRect(context, Rect{{x + static_cast<double>(box.x) / PANGO_SCALE, y + static_cast<double>(box.y) / PANGO_SCALE},
                                      {static_cast<double>(box.width) / PANGO_SCALE, static_cast<double>(box.height) / PANGO_SCALE}});
}

LayoutPointer paragraphLayout(cairo_t* context, const Paragraph& paragraph, double lineWidth)
{
    LayoutPointer layout(pango_cairo_create_layout(context));
    pango_cairo_context_set_resolution(pango_layout_get_context(layout.get()), 72);
    pango_cairo_context_set_shape_renderer(pango_layout_get_context(layout.get()), drawPictureShape, nullptr, nullptr);
    pango_layout_context_changed(layout.get());

    // An empty paragraph is as high as a line of its first run's font.
    PangoFontDescription* font = pango_font_description_new();
    const GraphicsContext::TextBoxRun* first = paragraph.runs.empty() ? nullptr : &paragraph.runs.front();
    pango_font_description_set_family(font, first && !first->family.empty() ? first->family.c_str() : kFallbackFamily);
    pango_font_description_set_absolute_size(font, (first ? runSize(*first) : kFallbackSize) * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), font);
    pango_font_description_free(font);

    std::string text;
    PangoAttrList* attributes = pango_attr_list_new();
    for (const GraphicsContext::TextBoxRun& run : paragraph.runs) {
        const std::size_t start = text.size();
        text += toUtf8(run.text);
        const std::size_t end = text.size();
        if (start == end)
            continue;
        if (run.picture && run.pictureSize.width > 0 && run.pictureSize.height > 0) {
            // The picture's box sits on the baseline, as word processors set
            // a picture in the line; one wider than the line is narrowed to
            // it, in its proportions.
            const double shrink = lineWidth > 0 && run.pictureSize.width > lineWidth ? lineWidth / run.pictureSize.width : 1;
            const int width = pangoUnits(run.pictureSize.width * shrink);
            const int height = pangoUnits(run.pictureSize.height * shrink);
            int above = height;
            if (run.fromLineTop) {
                PangoFontDescription* description = pango_font_description_new();
                pango_font_description_set_family(description, run.family.empty() ? kFallbackFamily : run.family.c_str());
                pango_font_description_set_absolute_size(description, pangoUnits(runSize(run)));
                PangoFontMetrics* metrics = pango_context_get_metrics(pango_layout_get_context(layout.get()), description, nullptr);
                above = std::min(height, pango_font_metrics_get_ascent(metrics));
                pango_font_metrics_unref(metrics);
                pango_font_description_free(description);
            }
            PangoRectangle box{0, -above, width, height};
            addAttribute(attributes,
                         pango_attr_shape_new_with_data(&box, &box, const_cast<Image*>(run.picture.get()), nullptr, nullptr),
                         start, end);
        }
        addAttribute(attributes, pango_attr_family_new(run.family.empty() ? kFallbackFamily : run.family.c_str()), start, end);
        addAttribute(attributes, pango_attr_size_new_absolute(pangoUnits(runSize(run))), start, end);
        addAttribute(attributes, pango_attr_weight_new(run.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL), start, end);
        addAttribute(attributes, pango_attr_style_new(run.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL), start, end);
        const Color& color = run.color;
        if (color.canProvideRGBComponents()) {
            addAttribute(attributes,
                         pango_attr_foreground_new(colorComponent(color.red()), colorComponent(color.green()),
                                                   colorComponent(color.blue())),
                         start, end);
            addAttribute(attributes, pango_attr_foreground_alpha_new(colorComponent(color.alpha())), start, end);
        }
    }
    pango_layout_set_text(layout.get(), text.c_str(), static_cast<int>(text.size()));
    pango_layout_set_attributes(layout.get(), attributes);
    pango_attr_list_unref(attributes);

    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    if (lineWidth > 0)
        pango_layout_set_width(layout.get(), pangoUnits(lineWidth));
    pango_layout_set_indent(layout.get(), pangoUnits(paragraph.firstLineHeadIndent - paragraph.headIndent));
    PangoTabArray* tabs = tabArray(paragraph, lineWidth);
    pango_layout_set_tabs(layout.get(), tabs);
    pango_tab_array_free(tabs);

    setPangoAlignment(layout.get(), paragraph.alignment);
    return layout;
}

// Each border is drawn inside its cell's edge, as a row's borders take
// none of the room its words are laid out in.
void drawCellFrames(cairo_t* context, const std::vector<GraphicsContext::TextBoxCellFrame>& frames, double x, double top,
                    double height)
{
    for (const GraphicsContext::TextBoxCellFrame& frame : frames) {
        const double left = x + frame.left;
        const double right = x + frame.right;
        const Color& color = frame.color;
        if (color.canProvideRGBComponents())
            cairo_set_source_rgba(context, color.red(), color.green(), color.blue(), color.alpha());
        const auto& [topWidth, leftWidth, bottomWidth, rightWidth] = frame.widths;
        if (topWidth > 0)
            cairo_rectangle(context, left, top, right - left, topWidth);
        if (bottomWidth > 0)
            cairo_rectangle(context, left, top + height - bottomWidth, right - left, bottomWidth);
        if (leftWidth > 0)
            cairo_rectangle(context, left, top, leftWidth, height);
        if (rightWidth > 0)
            cairo_rectangle(context, right - rightWidth, top, rightWidth, height);
        cairo_fill(context);
    }
    cairo_set_source_rgb(context, 0, 0, 0);
}

} // namespace

double CairoGraphicsContext::layOutParagraphs(const std::vector<TextBoxParagraph>& paragraphs, const Rect& box,
                                              bool draw) const
{
    double y = 0;
    for (const TextBoxParagraph& paragraph : paragraphs) {
        y += std::max(paragraph.spaceBefore, 0.0);
        const double left = std::max(paragraph.headIndent, 0.0);
        const double lineWidth = box.size.width - left - std::max(paragraph.tailIndent, 0.0);
        LayoutPointer layout = paragraphLayout(m_context, paragraph, lineWidth);
        if (draw) {
            cairo_move_to(m_context, box.origin.x + left, box.origin.y + y);
            pango_cairo_show_layout(m_context, layout.get());
        }
        int width = 0;
        int height = 0;
        pango_layout_get_size(layout.get(), &width, &height);
        if (draw)
            drawCellFrames(m_context, paragraph.cellFrames, box.origin.x, box.origin.y + y,
                           static_cast<double>(height) / PANGO_SCALE);
        y += static_cast<double>(height) / PANGO_SCALE + std::max(paragraph.spaceAfter, 0.0);
    }
    return y;
}

double CairoGraphicsContext::drawParagraphsInBox(const std::vector<TextBoxParagraph>& paragraphs, const Rect& box)
{
    if (box.size.width <= 0 || box.size.height <= 0)
        return 0;
    cairo_save(m_context);
    cairo_rectangle(m_context, box.origin.x, box.origin.y, box.size.width, box.size.height);
    cairo_clip(m_context);
    // Runs without a colour of their own are black.
    cairo_set_source_rgb(m_context, 0, 0, 0);
    const double height = layOutParagraphs(paragraphs, box, true);
    cairo_restore(m_context);
    return height;
}

double CairoGraphicsContext::heightOfParagraphsInBox(const std::vector<TextBoxParagraph>& paragraphs, double width) const
{
    return layOutParagraphs(paragraphs, Rect{{0, 0}, {width, 0}}, false);
}

} // namespace folio
