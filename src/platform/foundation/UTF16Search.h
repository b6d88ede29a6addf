#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace folio {

// Searches over UTF-16 text that the readers of markup languages run on
// every unit of a document, eight units at a time where the processor has
// the vector unit every x86-64 has, and one at a time elsewhere.

// The index of the first unit in [from, end) that is one of `Stops`, or
// `end` when none is.
template<char16_t... Stops>
std::size_t findFirstOf(const char16_t* units, std::size_t from, std::size_t end)
{
#if defined(__SSE2__)
    for (; from + 8 <= end; from += 8) {
        const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + from));
        __m128i hits = _mm_setzero_si128();
        ((hits = _mm_or_si128(hits, _mm_cmpeq_epi16(eight, _mm_set1_epi16(static_cast<short>(Stops))))), ...);
        if (const int mask = _mm_movemask_epi8(hits))
            return from + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)) / 2);
    }
#endif
    for (; from < end; ++from) {
        const char16_t unit = units[from];
        if (((unit == Stops) || ...))
            return from;
    }
    return end;
}

// The index of the first unit in [from, end) below `Limit` that is none of
// `Allowed`, or `end` when there is none: the control characters of a text
// that a reader does not take as text.
template<char16_t Limit, char16_t... Allowed>
std::size_t findFirstBelow(const char16_t* units, std::size_t from, std::size_t end)
{
    static_assert(Limit > 0 && Limit < 0x8000);
#if defined(__SSE2__)
    for (; from + 8 <= end; from += 8) {
        const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + from));
        // Below the limit is where subtracting limit - 1 without going
        // under zero leaves zero; past 0x7FFF counts as large, as it is.
        __m128i below =
            _mm_cmpeq_epi16(_mm_subs_epu16(eight, _mm_set1_epi16(static_cast<short>(Limit - 1))), _mm_setzero_si128());
        ((below = _mm_andnot_si128(_mm_cmpeq_epi16(eight, _mm_set1_epi16(static_cast<short>(Allowed))), below)), ...);
        if (const int mask = _mm_movemask_epi8(below))
            return from + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)) / 2);
    }
#endif
    for (; from < end; ++from) {
        const char16_t unit = units[from];
        if (unit < Limit && !((unit == Allowed) || ...))
            return from;
    }
    return end;
}

// The first index in [from, last) at which `First` stands with `Second`
// `Gap` units after it, or `last` when there is none. The units up to
// last - 1 + Gap must be readable. Both are ASCII: a long document is
// searched thirty-two places at a time, its units narrowed to bytes (a unit
// outside ASCII narrows to no ASCII byte).
template<char16_t First, char16_t Second, std::size_t Gap>
std::size_t findSpacedPair(const char16_t* units, std::size_t from, std::size_t last)
{
    static_assert(First > 0 && First < 0x80 && Second > 0 && Second < 0x80);
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(static_cast<char>(First));
    const __m128i second = _mm_set1_epi8(static_cast<char>(Second));
    auto narrowed = [](const char16_t* sixteen) {
        return _mm_packus_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sixteen)),
                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(sixteen + 8)));
    };
    auto hitsAt = [&](std::size_t at) {
        return _mm_and_si128(_mm_cmpeq_epi8(narrowed(units + at), first),
                             _mm_cmpeq_epi8(narrowed(units + at + Gap), second));
    };
    // Two blocks a round, asking once whether either holds the pair.
    for (; from + 32 <= last; from += 32) {
        const __m128i low = hitsAt(from);
        const __m128i high = hitsAt(from + 16);
        if (_mm_movemask_epi8(_mm_or_si128(low, high)) != 0) {
            const auto mask = static_cast<unsigned>(_mm_movemask_epi8(low))
                | (static_cast<unsigned>(_mm_movemask_epi8(high)) << 16);
            return from + static_cast<std::size_t>(std::countr_zero(mask));
        }
    }
    for (; from + 16 <= last; from += 16) {
        if (const int mask = _mm_movemask_epi8(hitsAt(from)))
            return from + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
    }
#endif
    for (; from < last; ++from) {
        if (units[from] == First && units[from + Gap] == Second)
            return from;
    }
    return last;
}

// The run of ASCII letters at `first`, when it is shorter than eight and
// eight units remain before `end`: its length, with its letters packed a
// byte each, the first highest, in `letters`. 0 otherwise (the caller reads
// the letters one at a time).
inline std::size_t shortASCIILetterRun(const char16_t* first, const char16_t* end, std::uint64_t& letters)
{
#if defined(__SSE2__)
    if (end - first < 8)
        return 0;
    const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first));
    // A letter of either case, folded to the small letters; units past
    // 0x7FFF compare as negative, so they are no letters either.
    const __m128i folded = _mm_or_si128(eight, _mm_set1_epi16(0x20));
    const __m128i isLetter = _mm_and_si128(_mm_cmpgt_epi16(folded, _mm_set1_epi16(static_cast<short>(u'a' - 1))),
                                           _mm_cmplt_epi16(folded, _mm_set1_epi16(static_cast<short>(u'z' + 1))));
    const auto run =
        static_cast<std::size_t>(std::countr_one(static_cast<unsigned>(_mm_movemask_epi8(isLetter))) / 2);
    if (run == 0 || run >= 8)
        return 0;
    // The units as bytes, the first lowest; whatever follows the run is
    // shifted out.
    const auto bytes = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_packus_epi16(eight, eight)));
    letters = __builtin_bswap64(bytes) >> (64 - 8 * run);
    return run;
#else
    (void)first;
    (void)end;
    (void)letters;
    return 0;
#endif
}

} // namespace folio
