#pragma once

#include <cairo.h>

#include <string>
#include <vector>

namespace folio::test {

// How a photographed page looks: by default black text on white, large and
// plain, as a page photographed straight on.
struct PrintedPageLooks {
    double paper = 1.0;
    double ink = 0.0;
    const char* family = "DejaVu Sans";
    double fontSize = 36;
    int width = 1000;
    int margin = 40;
    int firstBaseline = 80;
    int lineHeight = 70;
    int bottomRoom = 40;
};

// A PNG picture of printed lines, for text recognition to read back.
inline void writePrintedPagePicture(const std::string& path, const std::vector<std::string>& lines,
                                    const PrintedPageLooks& looks = {})
{
    int height = looks.firstBaseline + looks.bottomRoom + looks.lineHeight * static_cast<int>(lines.size());
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, looks.width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, looks.paper, looks.paper, looks.paper);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, looks.ink, looks.ink, looks.ink);
    cairo_select_font_face(cr, looks.family, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, looks.fontSize);
    double y = looks.firstBaseline;
    for (const std::string& line : lines) {
        cairo_move_to(cr, looks.margin, y);
        cairo_show_text(cr, line.c_str());
        y += looks.lineHeight;
    }
    cairo_destroy(cr);
    cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
}

} // namespace folio::test
