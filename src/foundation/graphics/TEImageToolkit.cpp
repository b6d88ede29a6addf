#include "foundation/graphics/TEImageToolkit.h"

#include "platform/foundation/Data.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/services/URLSession.h"

#include <algorithm>
#include <cmath>

namespace folio {

namespace {

constexpr const char* kErrorDomain = "TEImageToolkit";

// Draws into a new transparent bitmap of `size` points at `scale`.
template<typename Draw>
Result<Image::Pointer> render(Size size, double scale, Draw draw)
{
    Result<std::unique_ptr<GraphicsContext>> context = GraphicsContext::imageContext(size, scale);
    if (!context)
        return context.error();
    draw(**context);
    return (*context)->makeImage();
}

Rect imageBounds(const Image& image)
{
    return {{0, 0}, image.size()};
}

} // namespace

Result<Image::Pointer> TEImageToolkit::imageWithSolidColor(const Color& color, Size size)
{
    if (size.width == 0 && size.height == 0)
        return Error{kErrorDomain, 1, "Size cannot be CGSizeZero"};
    return render(size, 1, [&](GraphicsContext& context) {
        context.setFillColor(color);
        context.fillRect({{0, 0}, size});
    });
}

Result<Image::Pointer> TEImageToolkit::imageMaskedAndTintedWithColor(const Image& image, const Color& color)
{
    return render(image.size(), image.scale(), [&](GraphicsContext& context) {
        context.setFillColor(color);
        context.fillMaskedByImage(image, imageBounds(image));
    });
}

Result<Image::Pointer> TEImageToolkit::imageWithContentsOfURL(const std::string& url)
{
    std::optional<URL> parsed = URL::URLWithString(url);
    Result<std::vector<std::uint8_t>> bytes = Error{kErrorDomain, 2, "Not an address: " + url};
    if (parsed && parsed->isFileURL()) {
        Result<Data> data = Data::dataWithContentsOfFile(parsed->fileSystemPath());
        bytes = data ? Result<std::vector<std::uint8_t>>(std::vector<std::uint8_t>(data->bytes(), data->bytes() + data->length()))
                     : Result<std::vector<std::uint8_t>>(data.error());
    } else if (parsed) {
        bytes = URLSession::dataWithContentsOfURL(url);
    }
    if (!bytes) {
        TELog(TELogLevelError, "Error loading image at " + url);
        return bytes.error();
    }
    return Image::imageWithData(*bytes);
}

Rect TEImageToolkit::rectForContentMode(Size size, const Rect& rect, ContentMode mode)
{
    double left = rect.minX();
    double top = rect.minY();
    double centreX = rect.midX() - size.width / 2;
    double centreY = rect.midY() - size.height / 2;
    double right = rect.maxX() - size.width;
    double bottom = rect.maxY() - size.height;
    switch (mode) {
    case ContentMode::ScaleToFill:
    case ContentMode::Redraw:
        return rect;
    case ContentMode::ScaleAspectFit:
    case ContentMode::ScaleAspectFill: {
        if (!(size.width > 0) || !(size.height > 0))
            return rect;
        double horizontal = rect.width() / size.width;
        double vertical = rect.height() / size.height;
        double factor = mode == ContentMode::ScaleAspectFit ? std::min(horizontal, vertical) : std::max(horizontal, vertical);
        Size scaled{std::round(size.width * factor), std::round(size.height * factor)};
        return {{rect.midX() - scaled.width / 2, rect.midY() - scaled.height / 2}, scaled};
    }
    case ContentMode::Center:
        return {{centreX, centreY}, size};
    case ContentMode::Top:
        return {{centreX, top}, size};
    case ContentMode::Bottom:
        return {{centreX, bottom}, size};
    case ContentMode::Left:
        return {{left, centreY}, size};
    case ContentMode::Right:
        return {{right, centreY}, size};
    case ContentMode::TopLeft:
        return {{left, top}, size};
    case ContentMode::TopRight:
        return {{right, top}, size};
    case ContentMode::BottomLeft:
        return {{left, bottom}, size};
    case ContentMode::BottomRight:
        return {{right, bottom}, size};
    }
    return rect;
}

void TEImageToolkit::drawInRect(GraphicsContext& context, const Image& image, const Rect& rect, ContentMode mode)
{
    context.saveGState();
    context.clipToRect(rect);
    context.drawImage(image, rectForContentMode(image.size(), rect, mode));
    context.restoreGState();
}

Result<Image::Pointer> TEImageToolkit::tileImageAtColumn(const Image& image, int column, int columns, int row, int rows)
{
    if (columns <= 0 || rows <= 0 || column < 0 || row < 0 || column >= columns || row >= rows)
        return Error{kErrorDomain, 3, "The tile lies outside the grid"};
    Size tile{image.size().width / columns, image.size().height / rows};
    return render(tile, image.scale(), [&](GraphicsContext& context) {
        context.drawImage(image, {{-tile.width * column, -tile.height * row}, image.size()});
    });
}

Result<Image::Pointer> TEImageToolkit::tileImageInClipRect(const Image& image, const Rect& clip, const Rect& bounds,
                                                           double scale)
{
    return render(clip.size, scale, [&](GraphicsContext& context) {
        context.drawImage(image, {{bounds.minX() - clip.minX(), bounds.minY() - clip.minY()}, bounds.size});
    });
}

Result<Image::Pointer> TEImageToolkit::imageScaledToSize(const Image& image, Size size)
{
    return render(size, image.scale(), [&](GraphicsContext& context) {
        context.drawImage(image, {{0, 0}, size});
    });
}

} // namespace folio
