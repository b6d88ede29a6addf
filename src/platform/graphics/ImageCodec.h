#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace folio {

// A decoded bitmap: straight RGBA8 rows, top to bottom.
struct DecodedBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    ImageOrientation orientation = ImageOrientation::Up;
};

// PNG, JPEG and GIF (read only). The image libraries themselves are reached
// through DrawingServices, so a command that reads or writes no picture does
// not load them.
class ImageCodec {
public:
    static Result<DecodedBitmap> decode(const std::vector<std::uint8_t>& data);
    static Result<DecodedBitmap> decodePng(const std::vector<std::uint8_t>& data);
    static Result<DecodedBitmap> decodeJpeg(const std::vector<std::uint8_t>& data);
    static Result<DecodedBitmap> decodeGif(const std::vector<std::uint8_t>& data);
    static Result<std::vector<std::uint8_t>> encodePng(int width, int height, const std::vector<std::uint8_t>& rgba);
    // `quality` from 0 to 1; 0.5 is libjpeg's quality 50.
    static Result<std::vector<std::uint8_t>> encodeJpeg(int width, int height, const std::vector<std::uint8_t>& rgba,
                                                        double quality);
    // The orientation recorded in an EXIF block ("Exif\0\0" and a TIFF header);
    // none when the block is malformed or carries no orientation.
    static std::optional<ImageOrientation> orientationFromExif(const std::uint8_t* data, std::size_t size);
};

} // namespace folio
