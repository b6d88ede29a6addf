#include "platform/graphics/Image.h"

#include "platform/graphics/DrawingServices.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageCodec.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace folio {

namespace {

const char* const kDomain = "Image";

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
    // A picture decoded smaller keeps its size in points: it is only less sharp.
    return imageWithPixels(bitmap->width, bitmap->height, std::move(bitmap->pixels), scale * bitmap->resolution,
                           bitmap->orientation);
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
    return DrawingServices::shared().imageWithCairoSurface(surface, scale);
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

cairo_surface_t* Image::createCairoSurface() const { return DrawingServices::shared().createCairoSurface(*this); }

void Image::drawInRect(cairo_t* context, const Rect& rect) const
{
    DrawingServices::shared().drawImageInRect(context, *this, rect);
}

Result<Image::Pointer> Image::uprightImage(int width, int height) const
{
    if (!validPixelSize(width, height))
        return Error{kDomain, 5, "Cannot draw an image into an empty size."};
    bool sideways = orientationIsSideways(m_orientation);
    if (width == (sideways ? m_height : m_width) && height == (sideways ? m_width : m_height))
        return turnedImage();
    Result<std::unique_ptr<GraphicsContext>> context = GraphicsContext::imageContext(Size{double(width), double(height)});
    if (!context)
        return context.error();
    (*context)->drawImage(*this, makeRect(0, 0, width, height));
    Result<Pointer> drawn = (*context)->makeImage();
    if (!drawn || (*drawn)->m_scale == m_scale)
        return drawn;
    return imageWithPixels(width, height, std::vector<std::uint8_t>((*drawn)->m_pixels), m_scale);
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
