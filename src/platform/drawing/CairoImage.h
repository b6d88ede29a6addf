#pragma once

#include "platform/graphics/Image.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace folio {

// Pictures to and from cairo's image surfaces, and drawn with cairo.
class CairoImage {
public:
    // Copies an ARGB32 or RGB24 image surface.
    static Result<Image::Pointer> imageWithSurface(cairo_surface_t* surface, double scale);
    // A new premultiplied ARGB32 surface with the bitmap; the caller destroys it.
    static cairo_surface_t* createSurface(const Image& image);
    // Draws the image upright, stretched into `rect` of the context's user space.
    static void drawInRect(cairo_t* context, const Image& image, const Rect& rect);
};

} // namespace folio
