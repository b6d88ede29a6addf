#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace folio {

// Searches over bytes that the readers of ASCII-based syntax run on every
// byte of a document, sixteen bytes at a time where the processor has the
// vector unit every x86-64 has, and one at a time elsewhere. The searches
// for bytes and UTF-16 units alike are in UnitSearch.h.

// The index of the first byte in [from, end) below `Limit` that is none of
// `Allowed`, or `end` when there is none: the control characters of a text
// that a reader does not take as text. Bytes from 0x80 up are never below.
template<unsigned char Limit, char... Allowed>
std::size_t findFirstByteBelow(const char* bytes, std::size_t from, std::size_t end)
{
    static_assert(Limit > 0 && Limit < 0x80);
#if defined(__SSE2__)
    for (; from + 16 <= end; from += 16) {
        const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from));
        // Signed, 8-bit bytes compare as negative: they are kept out.
        __m128i below = _mm_and_si128(_mm_cmplt_epi8(sixteen, _mm_set1_epi8(static_cast<char>(Limit))),
                                      _mm_cmpgt_epi8(sixteen, _mm_set1_epi8(-1)));
        ((below = _mm_andnot_si128(_mm_cmpeq_epi8(sixteen, _mm_set1_epi8(Allowed)), below)), ...);
        if (const int mask = _mm_movemask_epi8(below))
            return from + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
    }
#endif
    for (; from < end; ++from) {
        const auto byte = static_cast<unsigned char>(bytes[from]);
        if (byte < Limit && !((bytes[from] == Allowed) || ...))
            return from;
    }
    return end;
}

// The run of ASCII letters at `first`, when it is no longer than eight and
// eight bytes remain before `end` (nine for a run of eight, whose end is
// the ninth byte): its length, with its letters packed a byte each, the
// first highest, in `letters`. 0 otherwise (the caller reads the letters
// one at a time).
inline std::size_t shortASCIILetterRun(const char* first, const char* end, std::uint64_t& letters)
{
    if (end - first < 8)
        return 0;
    std::uint64_t bytes;
    std::memcpy(&bytes, first, sizeof bytes);
#if defined(__SSE2__)
    const __m128i eight = _mm_cvtsi64_si128(static_cast<long long>(bytes));
    // A letter of either case, folded to the small letters; 8-bit bytes
    // compare as negative, so they are no letters either.
    const __m128i folded = _mm_or_si128(eight, _mm_set1_epi8(0x20));
    const __m128i isLetter = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1)),
                                           _mm_cmplt_epi8(folded, _mm_set1_epi8('z' + 1)));
    const auto run = static_cast<std::size_t>(std::countr_one(static_cast<unsigned>(_mm_movemask_epi8(isLetter)) & 0xFFu));
#else
    std::size_t run = 0;
    while (run < 8 && static_cast<unsigned>((first[run] | 0x20) - 'a') < 26u)
        ++run;
#endif
    if (run == 0)
        return 0;
    if (run == 8) {
        // Eight-letter words are common ("\brdrnone"): one more byte tells
        // whether the run ends there.
        if (end - first == 8 || static_cast<unsigned>((first[8] | 0x20) - 'a') < 26u)
            return 0;
    }
    // The first byte lowest in memory becomes the highest; whatever follows
    // the run is shifted out.
    if constexpr (std::endian::native == std::endian::little)
        bytes = __builtin_bswap64(bytes);
    letters = run == 8 ? bytes : bytes >> (64 - 8 * run);
    return run;
}

// The length of the run of ASCII bytes at the start of [from, end).
inline std::size_t asciiRunLength(const char* bytes, std::size_t from, std::size_t end)
{
    std::size_t index = from;
#if defined(__SSE2__)
    // Sixty-four bytes a round while nothing but ASCII comes.
    for (; index + 64 <= end; index += 64) {
        const auto* block = reinterpret_cast<const __m128i*>(bytes + index);
        const __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(block), _mm_loadu_si128(block + 1)),
                                         _mm_or_si128(_mm_loadu_si128(block + 2), _mm_loadu_si128(block + 3)));
        if (_mm_movemask_epi8(any) != 0)
            break;
    }
    for (; index + 16 <= end; index += 16) {
        if (const int mask = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + index))))
            return index + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask))) - from;
    }
#endif
    while (index < end && static_cast<unsigned char>(bytes[index]) < 0x80)
        ++index;
    return index - from;
}

// Widens each byte to the UTF-16 unit of the same value (ASCII, or Latin-1)
// at `out`.
inline void widenBytes(const char* bytes, std::size_t length, char16_t* out)
{
    std::size_t index = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; index + 16 <= length; index += 16) {
        const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + index));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + index), _mm_unpacklo_epi8(sixteen, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + index + 8), _mm_unpackhi_epi8(sixteen, zero));
    }
#endif
    for (; index < length; ++index)
        out[index] = static_cast<unsigned char>(bytes[index]);
}

// Widens the ASCII bytes in [from, end) up to the first 8-bit byte to
// `out`, and answers how many there were. Sixteen are read and written at a
// time where sixteen bytes can be read (up to `readable`): up to fifteen
// units past those answered may be written.
inline std::size_t widenASCIIRun(const char* bytes, std::size_t from, std::size_t end, std::size_t readable,
                                 char16_t* out)
{
    std::size_t index = from;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; index < end && index + 16 <= readable; index += 16) {
        const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + index));
        char16_t* at = out + (index - from);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm_unpacklo_epi8(sixteen, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 8), _mm_unpackhi_epi8(sixteen, zero));
        if (const int mask = _mm_movemask_epi8(sixteen)) {
            const std::size_t stop = index + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
            return (stop < end ? stop : end) - from;
        }
    }
    if (index >= end)
        return end - from;
#else
    (void)readable;
#endif
    for (; index < end && static_cast<unsigned char>(bytes[index]) < 0x80; ++index)
        out[index - from] = static_cast<char16_t>(bytes[index]);
    return index - from;
}

} // namespace folio
