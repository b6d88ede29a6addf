#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/ImageCodec.h"

#include <cstdint>
#include <vector>

namespace folio {

// Decodes a PNG too large to hold whole, one row at a time, averaging each
// square of `factor` x `factor` pixels into one: the memory it takes is that
// of the smaller bitmap and one row. Interlaced pictures cannot be read by
// rows and are refused.
class ReducedPngDecoder {
public:
    static Result<DecodedBitmap> decode(const std::vector<std::uint8_t>& data, int factor);
};

} // namespace folio
