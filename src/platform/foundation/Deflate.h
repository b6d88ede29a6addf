#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"

#include <cstddef>
#include <span>

namespace folio {

// Raw DEFLATE streams (RFC 1951: no zlib or gzip wrapper), as inside zip
// entries and compressed web archives.
class Deflate {
public:
    static constexpr const char* kErrorDomain = "Deflate";
    enum ErrorCode { CorruptInput = 1, TooLarge = 2, Truncated = 3, Failed = 4 };
    static constexpr std::size_t kDefaultInflateLimit = std::size_t(512) * 1024 * 1024;

    static Result<Data> compress(std::span<const std::uint8_t> bytes, int level = 6);

    // Refuses, without a partial result, input that is not one complete raw
    // stream and output that would grow past the limit (a decompression bomb).
    static Result<Data> decompress(std::span<const std::uint8_t> bytes, std::size_t maximumSize = kDefaultInflateLimit);
};

} // namespace folio
