#include "platform/foundation/ByteScan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>

namespace folio {

namespace {

constexpr std::size_t kMostBytes = 8;

bool isOneOf(char c, std::string_view bytes)
{
    return bytes.find(c) != std::string_view::npos;
}

bool isPlainByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x20 && byte < 0x7F) || c == '\t' || c == '\n';
}

#if defined(__SSE2__)
// Each of the bytes in every lane of a register, and how many there are.
struct ByteSet {
    __m128i lanes[kMostBytes] = {};
    std::size_t count = 0;

    explicit ByteSet(std::string_view bytes)
        : count(std::min(bytes.size(), kMostBytes))
    {
        for (std::size_t index = 0; index < count; ++index)
            lanes[index] = _mm_set1_epi8(bytes[index]);
    }

    __m128i matches(__m128i chunk) const
    {
        __m128i found = _mm_setzero_si128();
        for (std::size_t index = 0; index < count; ++index)
            found = _mm_or_si128(found, _mm_cmpeq_epi8(chunk, lanes[index]));
        return found;
    }
};

std::size_t firstLane(int mask)
{
    return static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
}
#endif

} // namespace

std::size_t ByteScan::firstOf(std::string_view text, std::size_t from, std::string_view bytes)
{
    bytes = bytes.substr(0, kMostBytes);
#if defined(__SSE2__)
    const ByteSet set(bytes);
    for (; from + 16 <= text.size(); from += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
        if (const int mask = _mm_movemask_epi8(set.matches(chunk)))
            return from + firstLane(mask);
    }
#endif
    while (from < text.size() && !isOneOf(text[from], bytes))
        ++from;
    return std::min(from, text.size());
}

std::size_t ByteScan::firstNotPlainOrOf(std::string_view text, std::size_t from, std::string_view bytes)
{
    bytes = bytes.substr(0, kMostBytes);
#if defined(__SSE2__)
    const ByteSet set(bytes);
    const __m128i space = _mm_set1_epi8(0x20);
    const __m128i del = _mm_set1_epi8(0x7F);
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i lineFeed = _mm_set1_epi8('\n');
    for (; from + 16 <= text.size(); from += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
        // Compared as signed, the bytes beyond ASCII are below the space too.
        const __m128i control = _mm_andnot_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, tab), _mm_cmpeq_epi8(chunk, lineFeed)),
                                                 _mm_or_si128(_mm_cmplt_epi8(chunk, space), _mm_cmpeq_epi8(chunk, del)));
        if (const int mask = _mm_movemask_epi8(_mm_or_si128(control, set.matches(chunk))))
            return from + firstLane(mask);
    }
#endif
    while (from < text.size() && isPlainByte(text[from]) && !isOneOf(text[from], bytes))
        ++from;
    return std::min(from, text.size());
}

std::size_t ByteScan::narrowPrintableASCII(std::u16string_view text, std::string_view reserved, char* out)
{
    reserved = reserved.substr(0, kMostBytes);
    std::size_t count = 0;
#if defined(__SSE2__)
    __m128i reservedUnits[kMostBytes] = {};
    for (std::size_t index = 0; index < reserved.size(); ++index)
        reservedUnits[index] = _mm_set1_epi16(static_cast<short>(static_cast<unsigned char>(reserved[index])));
    const __m128i space = _mm_set1_epi16(0x20);
    const __m128i printableSpan = _mm_set1_epi16(0x7E - 0x20);
    const __m128i zero = _mm_setzero_si128();
    for (; count + 8 <= text.size(); count += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + count));
        // Below the space the difference wraps round past the span too.
        const __m128i printable = _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(units, space), printableSpan), zero);
        __m128i found = zero;
        for (std::size_t index = 0; index < reserved.size(); ++index)
            found = _mm_or_si128(found, _mm_cmpeq_epi16(units, reservedUnits[index]));
        if (_mm_movemask_epi8(_mm_andnot_si128(found, printable)) != 0xFFFF)
            break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + count), _mm_packus_epi16(units, units));
    }
#endif
    for (; count < text.size(); ++count) {
        const char16_t unit = text[count];
        if (unit < 0x20 || unit > 0x7E || isOneOf(static_cast<char>(unit), reserved))
            break;
        out[count] = static_cast<char>(unit);
    }
    return count;
}

} // namespace folio
