#include "platform/drawing/CairoImage.h"

#include <cairo.h>

#include <algorithm>

namespace folio {

namespace {

const char* const kDomain = "Image";

// Premultiplied native-endian ARGB32, cairo's image format, from straight RGBA.
std::uint32_t premultipliedPixel(const std::uint8_t* rgba)
{
    std::uint32_t alpha = rgba[3];
    auto multiply = [alpha](std::uint32_t channel) { return (channel * alpha + 127) / 255; };
    return alpha << 24 | multiply(rgba[0]) << 16 | multiply(rgba[1]) << 8 | multiply(rgba[2]);
}

void straightPixel(std::uint32_t argb, std::uint8_t* rgba)
{
    std::uint32_t alpha = argb >> 24;
    auto divide = [alpha](std::uint32_t channel) -> std::uint8_t {
        return alpha == 0 ? 0 : std::uint8_t(std::min<std::uint32_t>(255, (channel * 255 + alpha / 2) / alpha));
    };
    rgba[0] = divide((argb >> 16) & 0xFF);
    rgba[1] = divide((argb >> 8) & 0xFF);
    rgba[2] = divide(argb & 0xFF);
    rgba[3] = std::uint8_t(alpha);
}

} // namespace

Result<Image::Pointer> CairoImage::imageWithSurface(cairo_surface_t* surface, double scale)
{
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return Error{kDomain, 4, "Not an image surface."};
    cairo_format_t format = cairo_image_surface_get_format(surface);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24)
        return Error{kDomain, 4, "Unsupported surface format."};
    cairo_surface_flush(surface);
    int width = cairo_image_surface_get_width(surface);
    int height = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    if (!data || width <= 0 || height <= 0 || width > 32767 || height > 32767)
        return Error{kDomain, 4, "The surface has no pixels."};
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        auto row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < width; ++x) {
            std::uint32_t argb = format == CAIRO_FORMAT_RGB24 ? (row[x] | 0xFF000000u) : row[x];
            straightPixel(argb, &pixels[(std::size_t(y) * width + x) * 4]);
        }
    }
    return Image::imageWithPixels(width, height, std::move(pixels), scale);
}

cairo_surface_t* CairoImage::createSurface(const Image& image)
{
    const int width = image.pixelWidth(), height = image.pixelHeight();
    const std::vector<std::uint8_t>& pixels = image.rgbaPixels();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        return surface;
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < width; ++x)
            row[x] = premultipliedPixel(&pixels[(std::size_t(y) * width + x) * 4]);
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

void CairoImage::drawInRect(cairo_t* context, const Image& image, const Rect& rect)
{
    if (!context || rect.isEmpty())
        return;
    cairo_surface_t* source = createSurface(image);
    if (cairo_surface_status(source) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(source);
        return;
    }
    const int width = image.pixelWidth(), height = image.pixelHeight();
    bool sideways = orientationIsSideways(image.orientation());
    double uprightWidth = sideways ? height : width;
    double uprightHeight = sideways ? width : height;
    AffineTransform turn = orientationTransform(image.orientation(), width, height);

    cairo_save(context);
    cairo_rectangle(context, rect.minX(), rect.minY(), rect.width(), rect.height());
    cairo_clip(context);
    cairo_translate(context, rect.minX(), rect.minY());
    cairo_scale(context, rect.width() / uprightWidth, rect.height() / uprightHeight);
    cairo_matrix_t matrix{turn.a, turn.b, turn.c, turn.d, turn.tx, turn.ty};
    cairo_transform(context, &matrix);
    cairo_set_source_surface(context, source, 0, 0);
    cairo_pattern_t* pattern = cairo_get_source(context);
    // Padding keeps the edges from fading into transparency when scaled.
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    cairo_paint(context);
    cairo_restore(context);
    cairo_surface_destroy(source);
}

} // namespace folio
