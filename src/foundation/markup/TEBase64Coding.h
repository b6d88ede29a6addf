#pragma once

#include "platform/foundation/Data.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// Base64 text of `bytes` in the standard alphabet of RFC 4648 with "="
// padding. With `separateLines`, CR LF follows every 64 characters of output
// except the last line's.
std::string base64Encode(std::span<const std::uint8_t> bytes, bool separateLines);

// The bytes of Base64 `text`. Decoding is lenient: every byte outside the
// alphabet (white space, line breaks, "=", URL-safe "-" and "_") is skipped,
// and a single leftover character at the end is dropped.
std::vector<std::uint8_t> base64Decode(std::string_view text);

// Pictures travel inside HTML as data URLs; these are the conversions the
// engine uses for them.
class TEBase64Coding {
public:
    TEBase64Coding() = delete;

    // Line separation is on, as in data URLs the engine writes.
    static std::string stringByEncodingData(const Data& data);
    // Text that is not ASCII gives empty data.
    static Data dataByDecodingString(std::string_view string);
};

} // namespace folio
