#include "platform/graphics/Image.h"

#include "platform/graphics/ImageCodec.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

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

bool validPixelSize(int width, int height) { return width > 0 && height > 0 && width <= 32767 && height <= 32767; }

} // namespace

bool orientationIsSideways(ImageOrientation orientation)
{
    switch (orientation) {
    case ImageOrientation::Left:
    case ImageOrientation::Right:
    case ImageOrientation::LeftMirrored:
    case ImageOrientation::RightMirrored: return true;
    default: return false;
    }
}

AffineTransform orientationTransform(ImageOrientation orientation, double w, double h)
{
    // Each maps the bitmap's corners onto the upright picture; for the sideways
    // ones the upright picture is h wide and w high.
    switch (orientation) {
    case ImageOrientation::Up: return {1, 0, 0, 1, 0, 0};
    case ImageOrientation::Down: return {-1, 0, 0, -1, w, h};
    case ImageOrientation::Left: return {0, -1, 1, 0, 0, w};
    case ImageOrientation::Right: return {0, 1, -1, 0, h, 0};
    case ImageOrientation::UpMirrored: return {-1, 0, 0, 1, w, 0};
    case ImageOrientation::DownMirrored: return {1, 0, 0, -1, 0, h};
    case ImageOrientation::LeftMirrored: return {0, 1, 1, 0, 0, 0};
    case ImageOrientation::RightMirrored: return {0, -1, -1, 0, h, w};
    }
    return {};
}

Image::Image(int width, int height, std::vector<std::uint8_t> pixels, double scale, ImageOrientation orientation)
    : m_width(width), m_height(height), m_pixels(std::move(pixels)), m_scale(scale > 0 ? scale : 1), m_orientation(orientation)
{
}

Result<Image::Pointer> Image::imageWithData(const std::vector<std::uint8_t>& data, double scale)
{
    Result<DecodedBitmap> bitmap = ImageCodec::decode(data);
    if (!bitmap)
        return bitmap.error();
    return imageWithPixels(bitmap->width, bitmap->height, std::move(bitmap->pixels), scale, bitmap->orientation);
}

Result<Image::Pointer> Image::imageWithContentsOfFile(const std::string& path, double scale)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Error{kDomain, 3, "Cannot open the image file " + path};
    std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return Error{kDomain, 3, "Cannot read the image file " + path};
    return imageWithData(data, scale);
}

Result<Image::Pointer> Image::imageWithPixels(int width, int height, std::vector<std::uint8_t> pixels, double scale,
                                              ImageOrientation orientation)
{
    if (!validPixelSize(width, height) || pixels.size() != std::size_t(width) * height * 4)
        return Error{kDomain, 4, "The pixel buffer does not match the image size."};
    if (int(orientation) < 0 || int(orientation) > 7)
        return Error{kDomain, 4, "Invalid image orientation"};
    return Pointer(new Image(width, height, std::move(pixels), scale, orientation));
}

Result<Image::Pointer> Image::imageWithCairoSurface(cairo_surface_t* surface, double scale)
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
    if (!data || !validPixelSize(width, height))
        return Error{kDomain, 4, "The surface has no pixels."};
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        auto row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < width; ++x) {
            std::uint32_t argb = format == CAIRO_FORMAT_RGB24 ? (row[x] | 0xFF000000u) : row[x];
            straightPixel(argb, &pixels[(std::size_t(y) * width + x) * 4]);
        }
    }
    return imageWithPixels(width, height, std::move(pixels), scale);
}

Size Image::size() const
{
    double w = m_width / m_scale;
    double h = m_height / m_scale;
    return orientationIsSideways(m_orientation) ? Size{h, w} : Size{w, h};
}

Rgba8 Image::pixelAt(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return {};
    const std::uint8_t* p = &m_pixels[(std::size_t(y) * m_width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

bool Image::isOpaque() const
{
    for (std::size_t i = 3; i < m_pixels.size(); i += 4) {
        if (m_pixels[i] != 255)
            return false;
    }
    return true;
}

Result<std::vector<std::uint8_t>> Image::pngData() const
{
    if (m_orientation == ImageOrientation::Up)
        return ImageCodec::encodePng(m_width, m_height, m_pixels);
    Size upright = orientationIsSideways(m_orientation) ? Size{double(m_height), double(m_width)} : pixelSize();
    Result<Pointer> turned = uprightImage(int(upright.width), int(upright.height));
    if (!turned)
        return turned.error();
    return (*turned)->pngData();
}

Result<std::vector<std::uint8_t>> Image::jpegData(double quality) const
{
    if (m_orientation == ImageOrientation::Up)
        return ImageCodec::encodeJpeg(m_width, m_height, m_pixels, quality);
    Size upright = orientationIsSideways(m_orientation) ? Size{double(m_height), double(m_width)} : pixelSize();
    Result<Pointer> turned = uprightImage(int(upright.width), int(upright.height));
    if (!turned)
        return turned.error();
    return (*turned)->jpegData(quality);
}

cairo_surface_t* Image::createCairoSurface() const
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, m_width, m_height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        return surface;
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < m_height; ++y) {
        auto row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < m_width; ++x)
            row[x] = premultipliedPixel(&m_pixels[(std::size_t(y) * m_width + x) * 4]);
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

void Image::drawInRect(cairo_t* context, const Rect& rect) const
{
    if (!context || rect.isEmpty())
        return;
    cairo_surface_t* source = createCairoSurface();
    if (cairo_surface_status(source) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(source);
        return;
    }
    bool sideways = orientationIsSideways(m_orientation);
    double uprightWidth = sideways ? m_height : m_width;
    double uprightHeight = sideways ? m_width : m_height;
    AffineTransform turn = orientationTransform(m_orientation, m_width, m_height);

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

Result<Image::Pointer> Image::uprightImage(int width, int height) const
{
    if (!validPixelSize(width, height))
        return Error{kDomain, 5, "Cannot draw an image into an empty size."};
    bool sideways = orientationIsSideways(m_orientation);
    if (width == (sideways ? m_height : m_width) && height == (sideways ? m_width : m_height))
        return turnedImage();
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(target) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(target);
        return Error{kDomain, 5, "No memory for an image context."};
    }
    cairo_t* context = cairo_create(target);
    drawInRect(context, makeRect(0, 0, width, height));
    cairo_destroy(context);
    Result<Pointer> result = imageWithCairoSurface(target, m_scale);
    cairo_surface_destroy(target);
    return result;
}

Result<Image::Pointer> Image::turnedImage() const
{
    // Turning without scaling moves pixels exactly; going through cairo would
    // round translucent pixels through premultiplied alpha.
    bool sideways = orientationIsSideways(m_orientation);
    int width = sideways ? m_height : m_width;
    int height = sideways ? m_width : m_height;
    AffineTransform turn = orientationTransform(m_orientation, m_width, m_height);
    std::vector<std::uint8_t> pixels(m_pixels.size());
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            // Map the pixel's centre, then step back to its top-left corner.
            Point centre = turn.apply(Point{x + 0.5, y + 0.5});
            auto turnedX = std::size_t(centre.x - 0.5);
            auto turnedY = std::size_t(centre.y - 0.5);
            std::copy_n(&m_pixels[(std::size_t(y) * m_width + x) * 4], 4, &pixels[(turnedY * width + turnedX) * 4]);
        }
    }
    return imageWithPixels(width, height, std::move(pixels), m_scale);
}

Result<Image::Pointer> Image::scaledImage(int width, int height) const
{
    // Drawn as stored (orientation Up), so the bitmap keeps its orientation.
    Result<Pointer> drawn = Image(m_width, m_height, m_pixels, m_scale, ImageOrientation::Up).uprightImage(width, height);
    if (!drawn)
        return drawn;
    return imageWithPixels(width, height, std::vector<std::uint8_t>((*drawn)->m_pixels), m_scale, m_orientation);
}

} // namespace folio
