#include "platform/foundation/Unicode.h"

#include <unicode/ustring.h>
#include <unicode/utf8.h>
#include <unicode/utypes.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace {

// The UTF-8 length of a unit alone: a surrogate counts as the U+FFFD it
// becomes unpaired; a pair, which is written in four bytes, is set right
// by utf8Length.
constexpr std::size_t unitLength(char16_t unit)
{
    return 1 + (unit >= 0x80) + (unit >= 0x800);
}

constexpr bool isSurrogate(char16_t unit) { return (unit & 0xF800) == 0xD800; }

// The number of bytes appendUtf8 writes for the units, so that it can
// write them in place in one go.
std::size_t utf8Length(std::u16string_view utf16)
{
    std::size_t length = 0;
    bool surrogates = false;
    std::size_t index = 0;
#if defined(__SSE2__)
    // Eight ASCII units at a time; a block with anything else is counted unit by unit.
    const __m128i beyondASCII = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    for (; index + 8 <= utf16.size(); index += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(utf16.data() + index));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, beyondASCII), zero)) == 0xFFFF) {
            length += 8;
            continue;
        }
        for (std::size_t unit = index; unit < index + 8; ++unit) {
            length += unitLength(utf16[unit]);
            surrogates |= isSurrogate(utf16[unit]);
        }
    }
#endif
    for (; index < utf16.size(); ++index) {
        length += unitLength(utf16[index]);
        surrogates |= isSurrogate(utf16[index]);
    }
    if (!surrogates)
        return length;
    for (std::size_t index = 0; index + 1 < utf16.size(); ++index) {
        if (isHighSurrogate(utf16[index]) && isLowSurrogate(utf16[index + 1])) {
            length -= 2;
            ++index;
        }
    }
    return length;
}

// The length of the run of ASCII units at the start of [in, end), narrowed
// into out as it is measured.
std::size_t narrowASCII(const char16_t* in, const char16_t* end, char* out)
{
    const char16_t* const start = in;
#if defined(__SSE2__)
    const __m128i beyondASCII = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    for (; end - in >= 8; in += 8, out += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, beyondASCII), zero)) != 0xFFFF)
            break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
    }
#else
    if constexpr (std::endian::native == std::endian::little) {
        for (std::uint64_t units; end - in >= 4; in += 4, out += 4) {
            std::memcpy(&units, in, sizeof(units));
            if (units & kBeyondASCIIUnits)
                break;
            const std::uint32_t bytes = narrowedFourUnits(units);
            std::memcpy(out, &bytes, sizeof(bytes));
        }
    }
#endif
    for (; in < end && *in < 0x80; ++in)
        *out++ = static_cast<char>(*in);
    return static_cast<std::size_t>(in - start);
}

} // namespace

void appendUtf8(std::string& utf8, std::u16string_view utf16)
{
    const std::size_t at = utf8.size();
    utf8.resize(at + utf8Length(utf16));
    char* out = utf8.data() + at;
    const char16_t* in = utf16.data();
    const char16_t* const end = in + utf16.size();
    while (in < end) {
        // Most text is ASCII: its stretches are tested and narrowed many
        // units at a time.
        const std::size_t ascii = narrowASCII(in, end, out);
        in += ascii;
        out += ascii;
        if (in == end)
            break;
        char32_t code = *in++;
        if (code >= 0xD800 && code <= 0xDFFF) {
            if (code <= 0xDBFF && in < end && *in >= 0xDC00 && *in <= 0xDFFF)
                code = 0x10000 + ((code - 0xD800) << 10) + (*in++ - 0xDC00);
            else
                code = static_cast<char32_t>(kReplacementCharacter);
        }
        if (code < 0x800) {
            *out++ = static_cast<char>(0xC0 | (code >> 6));
        } else if (code < 0x10000) {
            *out++ = static_cast<char>(0xE0 | (code >> 12));
            *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        } else {
            *out++ = static_cast<char>(0xF0 | (code >> 18));
            *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        }
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string toUtf8(std::u16string_view utf16)
{
    std::string result;
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
