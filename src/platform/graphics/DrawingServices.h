#pragma once

#include "platform/foundation/Error.h"

#include <cstdint>
#include <vector>

namespace folio {

struct DecodedBitmap;

// What only the picture libraries provide: PNG (libpng), JPEG (libjpeg) and
// GIF (gdk-pixbuf) coding. The program opens them with the module
// "folio-drawing.so" the first time a picture is read or written, so that
// commands without pictures start without loading them; tests and benchmarks
// link them (platform/drawing) and get EngineDrawingServices in process.
// ImageCodec is the way in; its errors are the ones these give.
class DrawingServices {
public:
    virtual ~DrawingServices() = default;

    virtual Result<DecodedBitmap> decodePng(const std::vector<std::uint8_t>& data) = 0;
    virtual Result<DecodedBitmap> decodeJpeg(const std::vector<std::uint8_t>& data) = 0;
    virtual Result<DecodedBitmap> decodeGif(const std::vector<std::uint8_t>& data) = 0;
    virtual Result<std::vector<std::uint8_t>> encodePng(int width, int height, const std::vector<std::uint8_t>& rgba) = 0;
    virtual Result<std::vector<std::uint8_t>> encodeJpeg(int width, int height, const std::vector<std::uint8_t>& rgba,
                                                         double quality) = 0;

    // The process's services, from any thread; when they cannot be loaded,
    // every request fails saying why.
    static DrawingServices& shared();
};

} // namespace folio
