#include "platform/gtk/GtkTextOutlines.h"

#include <algorithm>
#include <cmath>

namespace folio {

namespace {

constexpr const char* kStrokeColorKey = "folio-stroke-color";

// The stroke's colour, from the look tag of the character at `at`.
GdkRGBA strokeColorAt(const GtkTextIter& at)
{
    GdkRGBA color{0, 0, 0, 1};
    GSList* tags = gtk_text_iter_get_tags(&at);
    for (GSList* tag = tags; tag; tag = tag->next) {
        if (const auto* rgba = static_cast<const char*>(g_object_get_data(G_OBJECT(tag->data), kStrokeColorKey)))
            gdk_rgba_parse(&color, rgba);
    }
    g_slist_free(tags);
    return color;
}

// Outlines as word processors draw them: a thin line, a little wider for
// large letters.
constexpr double kStrokeShareOfSize = 0.03;

} // namespace

GtkTextOutlines::GtkTextOutlines(GtkTextView* view)
    : m_view(view), m_marker(gtk_text_buffer_create_tag(gtk_text_view_get_buffer(view), nullptr, nullptr))
{
    g_signal_connect_after(view, "draw", G_CALLBACK(&GtkTextOutlines::onDraw), this);
}

GtkTextOutlines::~GtkTextOutlines()
{
    g_signal_handlers_disconnect_by_data(m_view, this);
}

void GtkTextOutlines::setStrokeColor(GtkTextTag* lookTag, const std::string& rgba)
{
    g_object_set_data_full(G_OBJECT(lookTag), kStrokeColorKey, g_strdup(rgba.c_str()), g_free);
}

gboolean GtkTextOutlines::onDraw(GtkWidget* widget, cairo_t* cr, gpointer data)
{
    auto* self = static_cast<GtkTextOutlines*>(data);
    GtkTextView* view = self->m_view;
    GdkRectangle visible;
    gtk_text_view_get_visible_rect(view, &visible);
    // The lines found by their heights alone: finding a character at a
    // point lays its line out, and a long paragraph at the top and one at the
    // bottom of the view were laid out at every draw, with or without any
    // outlined letter in the text.
    GtkTextIter at;
    GtkTextIter last;
    gtk_text_view_get_line_at_y(view, &at, visible.y, nullptr);
    gtk_text_view_get_line_at_y(view, &last, visible.y + visible.height, nullptr);
    gtk_text_iter_forward_line(&last);
    if (!gtk_text_iter_has_tag(&at, self->m_marker) && !gtk_text_iter_forward_to_tag_toggle(&at, self->m_marker))
        return FALSE;
    while (gtk_text_iter_compare(&at, &last) < 0 && gtk_text_iter_has_tag(&at, self->m_marker)) {
        GtkTextIter runEnd = at;
        gtk_text_iter_forward_to_tag_toggle(&runEnd, self->m_marker);
        // One stretch per line the run is shown on, and per font.
        GtkTextIter start = at;
        GdkRectangle startPlace;
        gtk_text_view_get_iter_location(view, &start, &startPlace);
        GtkTextIter next = start;
        while (gtk_text_iter_compare(&next, &runEnd) < 0) {
            gtk_text_iter_forward_char(&next);
            GdkRectangle place;
            gtk_text_view_get_iter_location(view, &next, &place);
            const bool ends = gtk_text_iter_compare(&next, &runEnd) >= 0 || place.y != startPlace.y
                || gtk_text_iter_starts_tag(&next, nullptr) || gtk_text_iter_ends_tag(&next, nullptr);
            if (!ends)
                continue;
            self->drawLine(widget, cr, start, next);
            start = next;
            startPlace = place;
        }
        at = runEnd;
        if (!gtk_text_iter_forward_to_tag_toggle(&at, self->m_marker))
            break;
    }
    return FALSE;
}

void GtkTextOutlines::drawLine(GtkWidget* widget, cairo_t* cr, const GtkTextIter& start, const GtkTextIter& end)
{
    gchar* text = gtk_text_iter_get_text(&start, &end);
    std::string letters = text;
    g_free(text);
    while (!letters.empty() && (letters.back() == '\n' || letters.back() == '\r'))
        letters.pop_back();
    if (letters.empty())
        return;
    // The stretch starts at the left of its leftmost letter, whichever way
    // its letters run.
    int left = G_MAXINT;
    GdkRectangle line{};
    for (GtkTextIter letter = start; gtk_text_iter_compare(&letter, &end) < 0; gtk_text_iter_forward_char(&letter)) {
        GdkRectangle place;
        gtk_text_view_get_iter_location(m_view, &letter, &place);
        left = std::min({left, place.x, place.x + place.width});
        line = place;
    }
    GtkTextAttributes* attributes = gtk_text_view_get_default_attributes(m_view);
    gtk_text_iter_get_attributes(&start, attributes);
    PangoLayout* layout = gtk_widget_create_pango_layout(widget, letters.c_str());
    pango_layout_set_font_description(layout, attributes->font);
    // The baseline sits the font's descent above the bottom of the line.
    PangoFontMetrics* metrics = pango_context_get_metrics(gtk_widget_get_pango_context(widget), attributes->font, nullptr);
    const double descent = pango_font_metrics_get_descent(metrics) / double(PANGO_SCALE);
    pango_font_metrics_unref(metrics);
    int x = 0;
    int bottom = 0;
    gtk_text_view_buffer_to_window_coords(m_view, GTK_TEXT_WINDOW_WIDGET, left, line.y + line.height, &x, &bottom);
    const double baseline = bottom - descent;
    const double size = pango_font_description_get_size(attributes->font) / double(PANGO_SCALE);
    const GdkRGBA color = strokeColorAt(start);

    cairo_save(cr);
    cairo_move_to(cr, x, baseline - pango_layout_get_baseline(layout) / double(PANGO_SCALE));
    pango_cairo_layout_path(cr, layout);
    cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
    cairo_set_line_width(cr, std::max(1.0, size * kStrokeShareOfSize));
    cairo_stroke(cr);
    cairo_restore(cr);
    g_object_unref(layout);
    gtk_text_attributes_unref(attributes);
}

} // namespace folio
