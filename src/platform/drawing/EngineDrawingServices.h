#pragma once

#include "platform/graphics/DrawingServices.h"
#include "platform/graphics/ImageCodec.h"

namespace folio {

// The picture libraries, in process.
class EngineDrawingServices final : public DrawingServices {
public:
    static EngineDrawingServices& instance();

    Result<DecodedBitmap> decodePng(const std::vector<std::uint8_t>& data) override;
    Result<DecodedBitmap> decodeJpeg(const std::vector<std::uint8_t>& data) override;
    Result<DecodedBitmap> decodeGif(const std::vector<std::uint8_t>& data) override;
    Result<std::vector<std::uint8_t>> encodePng(int width, int height, const std::vector<std::uint8_t>& rgba) override;
    Result<std::vector<std::uint8_t>> encodeJpeg(int width, int height, const std::vector<std::uint8_t>& rgba,
                                                 double quality) override;
};

} // namespace folio
