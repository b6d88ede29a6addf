#pragma once

#include <bit>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace folio {

// The stretches of a text that go into HTML content byte for unit: ASCII
// other than the control characters, "<" and "&" and, where pairs of blanks
// are kept, a blank that follows a blank. Most of a document's text is such
// a stretch, so they are found and copied sixteen units at a time where the
// processor has the vector unit every x86-64 has, and one at a time
// elsewhere.
namespace HTMLPlainStretch {

// Whether `unit` ends a stretch, `blankBefore` telling whether the unit
// before it was written as a blank.
template <bool kPairsBlanks>
inline bool endsStretch(char16_t unit, bool blankBefore)
{
    // Below 0x20 wraps round past 0x5F too, so one comparison leaves out
    // both the control characters and what is beyond ASCII.
    return static_cast<char16_t>(unit - 0x20) > 0x5F || unit == u'<' || unit == u'&' ||
           (kPairsBlanks && blankBefore && unit == u' ');
}

#if defined(__SSE2__)
// The units of `bytes` (narrowed units) from lane `first` on that end a
// stretch, a bit each, the first lowest; `blankBefore` as above for the unit
// in lane `first`.
template <bool kPairsBlanks>
inline unsigned stretchEnds(__m128i bytes, unsigned first, bool blankBefore)
{
    // Narrowing saturates: a unit past 0x7F becomes a byte that compares
    // below 0x20 as a signed one (0x80 to 0xFF, or 0 for units past 0x7FFF),
    // as the control characters do.
    const __m128i ends = _mm_or_si128(_mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20)),
                                      _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('<')),
                                                   _mm_cmpeq_epi8(bytes, _mm_set1_epi8('&'))));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(ends));
    if constexpr (kPairsBlanks) {
        const auto blanks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '))));
        const unsigned firstBit = 1u << first;
        const unsigned blanksBefore = ((blanks << 1) & ~firstBit) | (blankBefore ? firstBit : 0u);
        mask |= blanks & blanksBefore;
    }
    return mask & (~0u << first);
}

inline __m128i narrowed(const char16_t* units)
{
    return _mm_packus_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(units)),
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + 8)));
}

// Eight units in the first eight lanes, and again in the last eight.
inline __m128i narrowedEight(const char16_t* units)
{
    const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
    return _mm_packus_epi16(eight, eight);
}
#endif

// The end of the stretch that starts at `from`: the first unit in [from,
// end) that ends it, or `end`. `blankBefore`: whether the byte written
// before `from` is a blank. Units before `from` may be read, never those
// before `units` or from `end` on.
template <bool kPairsBlanks>
std::size_t stretchEnd(const char16_t* units, std::size_t from, std::size_t end, bool blankBefore)
{
#if defined(__SSE2__)
    auto firstEnd = [](std::size_t blockStart, unsigned mask) {
        return blockStart + static_cast<std::size_t>(std::countr_zero(mask));
    };
    for (; from + 16 <= end; from += 16) {
        if (const unsigned mask = stretchEnds<kPairsBlanks>(narrowed(units + from), 0, blankBefore))
            return firstEnd(from, mask);
        blankBefore = units[from + 15] == u' ';
    }
    if (from == end)
        return end;
    // The rest is read as the block that ends where the text does, its lanes
    // before `from` left out, rather than one unit at a time.
    if (end >= 16) {
        const std::size_t blockStart = end - 16;
        const unsigned mask =
            stretchEnds<kPairsBlanks>(narrowed(units + blockStart), unsigned(from - blockStart), blankBefore);
        return mask ? firstEnd(blockStart, mask) : end;
    }
    if (end >= 8 && end - from <= 8) {
        const std::size_t blockStart = end - 8;
        const unsigned mask =
            stretchEnds<kPairsBlanks>(narrowedEight(units + blockStart), unsigned(from - blockStart), blankBefore) &
            0xFF;
        return mask ? firstEnd(blockStart, mask) : end;
    }
#endif
    for (; from < end; ++from) {
        const char16_t unit = units[from];
        if (endsStretch<kPairsBlanks>(unit, blankBefore))
            return from;
        blankBefore = unit == u' ';
    }
    return end;
}

// Copies `count` units, all ASCII, to `out` as bytes.
inline void copyNarrowed(char* out, const char16_t* units, std::size_t count)
{
#if defined(__SSE2__)
    if (count >= 16) {
        // The last sixteen are copied from where they end, over bytes
        // already written, rather than one at a time.
        for (std::size_t at = 0;; at += 16) {
            if (at + 16 > count)
                at = count - 16;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), narrowed(units + at));
            if (at + 16 == count)
                return;
        }
    }
    if (count >= 8) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), narrowedEight(units));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + count - 8), narrowedEight(units + count - 8));
        return;
    }
#endif
    for (std::size_t index = 0; index < count; ++index)
        out[index] = static_cast<char>(units[index]);
}

} // namespace HTMLPlainStretch

} // namespace folio
