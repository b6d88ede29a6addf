#include "tools/ruler/RulerSliderArtwork.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace folio {

namespace {

constexpr int kHandleDiameter = 28;
constexpr int kTrackHeight = 4;

Image::Pointer disc(Rgba8 fill)
{
    std::vector<std::uint8_t> pixels(kHandleDiameter * kHandleDiameter * 4, 0);
    double radius = kHandleDiameter / 2.0;
    for (int y = 0; y < kHandleDiameter; ++y) {
        for (int x = 0; x < kHandleDiameter; ++x) {
            double dx = x + 0.5 - radius;
            double dy = y + 0.5 - radius;
            // One pixel of soft edge so the disc does not look jagged.
            double coverage = std::clamp(radius - std::sqrt(dx * dx + dy * dy), 0.0, 1.0);
            std::uint8_t* pixel = &pixels[(y * kHandleDiameter + x) * 4];
            pixel[0] = fill.r;
            pixel[1] = fill.g;
            pixel[2] = fill.b;
            pixel[3] = static_cast<std::uint8_t>(std::lround(fill.a * coverage));
        }
    }
    auto image = Image::imageWithPixels(kHandleDiameter, kHandleDiameter, std::move(pixels));
    return image ? *image : nullptr;
}

Image::Pointer bar(int width, Rgba8 fill)
{
    std::vector<std::uint8_t> pixels;
    pixels.reserve(width * kTrackHeight * 4);
    for (int i = 0; i < width * kTrackHeight; ++i)
        pixels.insert(pixels.end(), {fill.r, fill.g, fill.b, fill.a});
    auto image = Image::imageWithPixels(width, kTrackHeight, std::move(pixels));
    return image ? *image : nullptr;
}

} // namespace

RulerSliderImage RulerSliderArtwork::handle()
{
    return {disc({250, 250, 250, 255}), {}};
}

RulerSliderImage RulerSliderArtwork::highlightedHandle()
{
    return {disc({200, 210, 230, 255}), {}};
}

RulerSliderImage RulerSliderArtwork::trackBackground()
{
    return {bar(12, {120, 120, 120, 255}), {0, 5, 0, 7}};
}

RulerSliderImage RulerSliderArtwork::track()
{
    return {bar(9, {0, 122, 255, 255}), {0, 7, 0, 2}};
}

} // namespace folio
