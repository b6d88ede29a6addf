#include "foundation/markup/TEBase64Coding.h"

#include <algorithm>
#include <array>

namespace folio {

namespace {

constexpr char base64EncodeLookup[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Marks a byte outside the alphabet, which decoding skips.
constexpr std::uint8_t kSkip = 65;

constexpr std::array<std::uint8_t, 256> makeDecodeLookup()
{
    std::array<std::uint8_t, 256> table{};
    table.fill(kSkip);
    for (std::uint8_t value = 0; value < 64; ++value)
        table[static_cast<unsigned char>(base64EncodeLookup[value])] = value;
    return table;
}

constexpr std::array<std::uint8_t, 256> base64DecodeLookup = makeDecodeLookup();

// 48 input bytes make one line of 64 characters.
constexpr std::size_t kBytesPerLine = 48;

} // namespace

std::string base64Encode(std::span<const std::uint8_t> bytes, bool separateLines)
{
    std::size_t length = bytes.size();
    std::size_t lineLength = separateLines ? kBytesPerLine : length;
    std::string text;
    std::size_t lines = lineLength ? (length + lineLength - 1) / lineLength : 0;
    text.reserve((length + 2) / 3 * 4 + (lines > 0 ? (lines - 1) * 2 : 0));

    std::size_t i = 0;
    while (i < length) {
        std::size_t lineEnd = std::min(length, i + lineLength);
        for (; i + 3 <= lineEnd; i += 3) {
            text += base64EncodeLookup[bytes[i] >> 2];
            text += base64EncodeLookup[((bytes[i] & 0x03) << 4) | (bytes[i + 1] >> 4)];
            text += base64EncodeLookup[((bytes[i + 1] & 0x0F) << 2) | (bytes[i + 2] >> 6)];
            text += base64EncodeLookup[bytes[i + 2] & 0x3F];
        }
        // Only the last line can end in a partial group, as lines hold whole groups.
        if (lineEnd - i == 2) {
            text += base64EncodeLookup[bytes[i] >> 2];
            text += base64EncodeLookup[((bytes[i] & 0x03) << 4) | (bytes[i + 1] >> 4)];
            text += base64EncodeLookup[(bytes[i + 1] & 0x0F) << 2];
            text += '=';
            i += 2;
        } else if (lineEnd - i == 1) {
            text += base64EncodeLookup[bytes[i] >> 2];
            text += base64EncodeLookup[(bytes[i] & 0x03) << 4];
            text += "==";
            i += 1;
        }
        if (i < length)
            text += "\r\n";
    }
    return text;
}

std::vector<std::uint8_t> base64Decode(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3 + 2);
    std::uint8_t group[4];
    std::size_t count = 0;
    for (char character : text) {
        std::uint8_t value = base64DecodeLookup[static_cast<unsigned char>(character)];
        if (value == kSkip)
            continue;
        group[count++] = value;
        if (count == 4) {
            bytes.push_back(static_cast<std::uint8_t>((group[0] << 2) | (group[1] >> 4)));
            bytes.push_back(static_cast<std::uint8_t>((group[1] << 4) | (group[2] >> 2)));
            bytes.push_back(static_cast<std::uint8_t>((group[2] << 6) | group[3]));
            count = 0;
        }
    }
    // A trailing group of 2 or 3 characters carries 1 or 2 bytes; a single
    // character carries fewer than 8 bits and is dropped.
    if (count >= 2)
        bytes.push_back(static_cast<std::uint8_t>((group[0] << 2) | (group[1] >> 4)));
    if (count == 3)
        bytes.push_back(static_cast<std::uint8_t>((group[1] << 4) | (group[2] >> 2)));
    return bytes;
}

std::string TEBase64Coding::stringByEncodingData(const Data& data)
{
    return base64Encode(data.span(), true);
}

Data TEBase64Coding::dataByDecodingString(std::string_view string)
{
    for (char character : string) {
        if (static_cast<unsigned char>(character) > 0x7F)
            return Data();
    }
    return Data(base64Decode(string));
}

} // namespace folio
