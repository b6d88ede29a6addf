#include "platform/foundation/Unicode.h"

#include <unicode/ustring.h>
#include <unicode/utf8.h>
#include <unicode/utypes.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace folio {

namespace {
constexpr UChar32 kReplacementCharacter = 0xFFFD;

// Four bytes, in the low half of `bytes`, spread to the low bytes of four
// 16-bit units.
constexpr std::uint64_t widenedFourBytes(std::uint64_t bytes)
{
    bytes = (bytes | (bytes << 16)) & 0x0000FFFF0000FFFFULL;
    return (bytes | (bytes << 8)) & 0x00FF00FF00FF00FFULL;
}

// The reverse: the low bytes of four 16-bit units gathered into four bytes.
constexpr std::uint32_t narrowedFourUnits(std::uint64_t units)
{
    units = (units | (units >> 8)) & 0x0000FFFF0000FFFFULL;
    return static_cast<std::uint32_t>(units | (units >> 16));
}

// Whether none of four units is beyond ASCII.
constexpr std::uint64_t kBeyondASCIIUnits = 0xFF80FF80FF80FF80ULL;
}

std::u16string toUtf16(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    // ASCII, which most keys, styles and markup are, is widened unit for
    // byte, tested eight bytes at a time; only other text goes through the
    // converter.
    std::u16string result(utf8.size(), u'\0');
    const auto* in = reinterpret_cast<const unsigned char*>(utf8.data());
    char16_t* out = result.data();
    const std::size_t size = utf8.size();
    std::size_t index = 0;
    for (; index + 8 <= size; index += 8) {
        std::uint64_t word;
        std::memcpy(&word, in + index, sizeof(word));
        if (word & 0x8080808080808080ULL)
            break;
        if constexpr (std::endian::native == std::endian::little) {
            // Each byte moved into the low half of its own 16 bits.
            const std::uint64_t units[2] = {widenedFourBytes(word & 0xFFFFFFFFULL), widenedFourBytes(word >> 32)};
            std::memcpy(out + index, units, sizeof(units));
        } else {
            for (std::size_t unit = 0; unit < 8; ++unit)
                out[index + unit] = in[index + unit];
        }
    }
    for (; index < size && in[index] < 0x80; ++index)
        out[index] = in[index];
    if (index == size)
        return result;
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(result.data(), static_cast<int32_t>(result.size()), &length, utf8.data(),
                         static_cast<int32_t>(utf8.size()), kReplacementCharacter, nullptr, &status);
    if (U_FAILURE(status))
        return {};
    result.resize(static_cast<std::size_t>(length));
    return result;
}

void appendUtf8(std::string& utf8, std::u16string_view utf16)
{
    const char16_t* in = utf16.data();
    const char16_t* const end = in + utf16.size();
    while (in < end) {
        // Most text is ASCII: its stretches are copied unit for byte, tested
        // and narrowed four units at a time.
        const char16_t* ascii = in;
        if constexpr (std::endian::native == std::endian::little) {
            for (std::uint64_t units; end - ascii >= 4; ascii += 4) {
                std::memcpy(&units, ascii, sizeof(units));
                if (units & kBeyondASCIIUnits)
                    break;
            }
        }
        while (ascii < end && *ascii < 0x80)
            ++ascii;
        if (ascii > in) {
            const std::size_t at = utf8.size();
            utf8.resize(at + static_cast<std::size_t>(ascii - in));
            char* out = utf8.data() + at;
            if constexpr (std::endian::native == std::endian::little) {
                for (; ascii - in >= 4; in += 4, out += 4) {
                    std::uint64_t units;
                    std::memcpy(&units, in, sizeof(units));
                    const std::uint32_t bytes = narrowedFourUnits(units);
                    std::memcpy(out, &bytes, sizeof(bytes));
                }
            }
            while (in < ascii)
                *out++ = static_cast<char>(*in++);
            if (in == end)
                break;
        }
        char32_t code = *in++;
        if (code >= 0xD800 && code <= 0xDFFF) {
            if (code <= 0xDBFF && in < end && *in >= 0xDC00 && *in <= 0xDFFF)
                code = 0x10000 + ((code - 0xD800) << 10) + (*in++ - 0xDC00);
            else
                code = static_cast<char32_t>(kReplacementCharacter);
        }
        char bytes[4];
        std::size_t length;
        if (code < 0x800) {
            bytes[0] = static_cast<char>(0xC0 | (code >> 6));
            length = 2;
        } else if (code < 0x10000) {
            bytes[0] = static_cast<char>(0xE0 | (code >> 12));
            bytes[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            length = 3;
        } else {
            bytes[0] = static_cast<char>(0xF0 | (code >> 18));
            bytes[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            length = 4;
        }
        bytes[length - 1] = static_cast<char>(0x80 | (code & 0x3F));
        utf8.append(bytes, length);
    }
}

std::string toUtf8(std::u16string_view utf16)
{
    std::string result;
    // Room for ASCII text at once; other text grows it as it needs.
    result.reserve(utf16.size());
    appendUtf8(result, utf16);
    return result;
}

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::uint32_t decodeUtf8At(std::string_view utf8, std::size_t& index)
{
    UChar32 code = 0;
    int32_t at = static_cast<int32_t>(index);
    U8_NEXT(reinterpret_cast<const uint8_t*>(utf8.data()), at, static_cast<int32_t>(utf8.size()), code);
    index = static_cast<std::size_t>(at);
    return code < 0 ? 0xFFFD : static_cast<std::uint32_t>(code);
}

} // namespace folio
