#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace folio {

// How the stored bitmap is turned to be seen upright; the numbering is the one
// documents and pickers use.
enum class ImageOrientation : int {
    Up = 0,
    Down = 1,
    Left = 2,
    Right = 3,
    UpMirrored = 4,
    DownMirrored = 5,
    LeftMirrored = 6,
    RightMirrored = 7,
};

// True for orientations whose bitmap lies on its side (upright width is the
// bitmap's height).
bool orientationIsSideways(ImageOrientation orientation);
// The transform from bitmap pixel space (origin top left) to upright space.
AffineTransform orientationTransform(ImageOrientation orientation, double bitmapWidth, double bitmapHeight);

struct Rgba8 {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    friend bool operator==(const Rgba8&, const Rgba8&) = default;
};

// An immutable bitmap with straight (not premultiplied) RGBA8 pixels, its
// orientation and scale. Shared by pointer so that "the same image" can be
// told from an equal copy.
class Image {
public:
    using Pointer = std::shared_ptr<const Image>;

    // Decodes PNG or JPEG (the JPEG's EXIF orientation is kept as the orientation).
    // A picture of more than DecodedBitmap::kMaxPixels pixels comes with
    // fewer pixels and a scale below 1, so that its size in points stays.
    static Result<Pointer> imageWithData(const std::vector<std::uint8_t>& data, double scale = 1);
    static Result<Pointer> imageWithContentsOfFile(const std::string& path, double scale = 1);
    // `pixels` holds width * height * 4 bytes, rows top to bottom.
    static Result<Pointer> imageWithPixels(int width, int height, std::vector<std::uint8_t> pixels, double scale = 1,
                                           ImageOrientation orientation = ImageOrientation::Up);
    // Copies an ARGB32 or RGB24 cairo image surface.
    static Result<Pointer> imageWithCairoSurface(cairo_surface_t* surface, double scale = 1);

    int pixelWidth() const { return m_width; }
    int pixelHeight() const { return m_height; }
    Size pixelSize() const { return {double(m_width), double(m_height)}; }
    // Upright size in points: the bitmap turned by the orientation, divided by the scale.
    Size size() const;
    double scale() const { return m_scale; }
    ImageOrientation orientation() const { return m_orientation; }
    const std::vector<std::uint8_t>& rgbaPixels() const { return m_pixels; }
    Rgba8 pixelAt(int x, int y) const;
    bool isOpaque() const;

    // Encodings write what is seen: the bitmap turned upright.
    Result<std::vector<std::uint8_t>> pngData() const;
    // `quality` from 0 to 1.
    Result<std::vector<std::uint8_t>> jpegData(double quality) const;

    // The bitmap scaled to exactly width x height pixels, orientation unchanged.
    Result<Pointer> scaledImage(int width, int height) const;
    // The image drawn upright into width x height pixels, orientation Up.
    Result<Pointer> uprightImage(int width, int height) const;
    // Draws the image upright, stretched into `rect` of the context's user space.
    void drawInRect(cairo_t* context, const Rect& rect) const;

    // A new premultiplied ARGB32 surface with the bitmap; the caller destroys it.
    cairo_surface_t* createCairoSurface() const;

private:
    Image(int width, int height, std::vector<std::uint8_t> pixels, double scale, ImageOrientation orientation);
    Result<Pointer> turnedImage() const;

    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_pixels;
    double m_scale = 1;
    ImageOrientation m_orientation = ImageOrientation::Up;
};

} // namespace folio
