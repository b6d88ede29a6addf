#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace folio {

// A decoded bitmap: straight RGBA8 rows, top to bottom.
struct DecodedBitmap {
    // A picture of more pixels than this is decoded smaller, to fit: a small
    // file can hold a huge picture (a 250 KB PNG of 16000 x 16000 pixels
    // would take a gigabyte), and no page shows or prints that many.
    static constexpr std::uint64_t kMaxPixels = 1ull << 24;

    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    ImageOrientation orientation = ImageOrientation::Up;
    // Decoded pixels per pixel of the picture along its width: below 1 when
    // the picture was decoded smaller than it is.
    double resolution = 1;
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
    // What the first bytes of a PNG or JPEG file received so far show: the
    // picture's full width and the rows from its top decoded so far (the
    // height counts only those, and may be 0; an interlaced or progressive
    // picture shows no row before it is whole). An error when the bytes are
    // no such picture, hold no complete header yet, or the picture is larger
    // than a decoded bitmap may be.
    static Result<DecodedBitmap> decodeReceivedRows(const std::vector<std::uint8_t>& data);
    static Result<std::vector<std::uint8_t>> encodePng(int width, int height, const std::vector<std::uint8_t>& rgba);
    // `quality` from 0 to 1; 0.5 is libjpeg's quality 50.
    static Result<std::vector<std::uint8_t>> encodeJpeg(int width, int height, const std::vector<std::uint8_t>& rgba,
                                                        double quality);
    // Whether the bytes begin as a PNG file does: the signature and a header
    // chunk giving a size. The rest is not read.
    static bool hasPngHeader(std::span<const std::uint8_t> data);
    // The pixel size a PNG, JPEG or GIF file declares, read from its header
    // alone; none for anything else.
    static std::optional<Size> declaredPixelSize(std::span<const std::uint8_t> data);
    // The orientation recorded in an EXIF block ("Exif\0\0" and a TIFF header);
    // none when the block is malformed or carries no orientation.
    static std::optional<ImageOrientation> orientationFromExif(const std::uint8_t* data, std::size_t size);
};

} // namespace folio
