#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"

#include <cstddef>
#include <span>
#include <string>

namespace folio {

// DEFLATE streams: raw (RFC 1951), as inside zip entries and compressed web
// archives, or with the zlib wrapper (RFC 1950) of PDF's FlateDecode.
class Deflate {
public:
    static constexpr const char* kErrorDomain = "Deflate";
    enum ErrorCode { CorruptInput = 1, TooLarge = 2, Truncated = 3, Failed = 4 };
    static constexpr std::size_t kDefaultInflateLimit = std::size_t(512) * 1024 * 1024;
    enum class Framing { Raw, Zlib };

    static Result<Data> compress(std::span<const std::uint8_t> bytes, int level = 6, Framing framing = Framing::Raw);

    // Refuses, without a partial result, input that is not one complete
    // stream and output that would grow past the limit (a decompression bomb).
    static Result<Data> decompress(std::span<const std::uint8_t> bytes, std::size_t maximumSize = kDefaultInflateLimit,
                                   Framing framing = Framing::Raw);
    // The same as text, for a page that is read as it stands rather than
    // copied out of the bytes.
    static Result<std::string> decompressText(std::span<const std::uint8_t> bytes,
                                              std::size_t maximumSize = kDefaultInflateLimit,
                                              Framing framing = Framing::Raw);
};

} // namespace folio
