#pragma once

#include "platform/graphics/Geometry.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace folio {

// Adds a rectangle with quarter-circle corners to the current path.
inline void addRoundedRectPath(cairo_t* cr, const Rect& rect, double radius)
{
    double x = rect.minX(), y = rect.minY(), w = rect.width(), h = rect.height();
    radius = std::clamp(radius, 0.0, std::min(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

} // namespace folio
