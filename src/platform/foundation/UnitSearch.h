#pragma once

#include <bit>
#include <cstddef>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace folio {

// Searches that the readers of RTF and markup run on every code unit of a
// document, bytes or UTF-16 units alike: sixteen bytes of units at a time
// where the processor has the vector unit every x86-64 has, and one unit at
// a time elsewhere.

namespace unit_search {

template<typename Unit>
constexpr bool isCodeUnit = std::is_same_v<Unit, char> || std::is_same_v<Unit, char16_t>;

#if defined(__SSE2__)
template<typename Unit>
struct Block;

template<>
struct Block<char> {
    static constexpr std::size_t kUnits = 16;
    static __m128i equal(__m128i block, char unit) { return _mm_cmpeq_epi8(block, _mm_set1_epi8(unit)); }
    static std::size_t firstUnit(unsigned byteMask) { return static_cast<std::size_t>(std::countr_zero(byteMask)); }
    static __m128i asBytes(const char* units) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(units)); }
};

template<>
struct Block<char16_t> {
    static constexpr std::size_t kUnits = 8;
    static __m128i equal(__m128i block, char16_t unit)
    {
        return _mm_cmpeq_epi16(block, _mm_set1_epi16(static_cast<short>(unit)));
    }
    static std::size_t firstUnit(unsigned byteMask) { return static_cast<std::size_t>(std::countr_zero(byteMask)) / 2; }
    // Sixteen units narrowed to bytes with saturation: a unit outside ASCII
    // becomes no ASCII byte.
    static __m128i asBytes(const char16_t* units)
    {
        return _mm_packus_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(units)),
                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + 8)));
    }
};
#endif

} // namespace unit_search

// The index of the first unit in [from, end) that is one of `Stops`, or
// `end` when none is.
template<auto... Stops, typename Unit>
std::size_t findFirstOf(const Unit* units, std::size_t from, std::size_t end)
{
    static_assert(unit_search::isCodeUnit<Unit>);
#if defined(__SSE2__)
    using Block = unit_search::Block<Unit>;
    for (; from + Block::kUnits <= end; from += Block::kUnits) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + from));
        __m128i hits = _mm_setzero_si128();
        ((hits = _mm_or_si128(hits, Block::equal(block, static_cast<Unit>(Stops)))), ...);
        if (const int mask = _mm_movemask_epi8(hits))
            return from + Block::firstUnit(static_cast<unsigned>(mask));
    }
#endif
    for (; from < end; ++from) {
        const Unit unit = units[from];
        if (((unit == static_cast<Unit>(Stops)) || ...))
            return from;
    }
    return end;
}

// The first index in [from, last) at which `First` stands with `Second`
// `Gap` units after it, or `last` when there is none. The units up to
// last - 1 + Gap must be readable. Both are ASCII, so that a long document
// is searched thirty-two places at a time as bytes.
template<auto First, auto Second, std::size_t Gap, typename Unit>
std::size_t findSpacedPair(const Unit* units, std::size_t from, std::size_t last)
{
    static_assert(unit_search::isCodeUnit<Unit>);
    static_assert(First > 0 && First < 0x80 && Second > 0 && Second < 0x80);
#if defined(__SSE2__)
    using Block = unit_search::Block<Unit>;
    const __m128i first = _mm_set1_epi8(static_cast<char>(First));
    const __m128i second = _mm_set1_epi8(static_cast<char>(Second));
    auto hitsAt = [&](std::size_t at) {
        return _mm_and_si128(_mm_cmpeq_epi8(Block::asBytes(units + at), first),
                             _mm_cmpeq_epi8(Block::asBytes(units + at + Gap), second));
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
        if (units[from] == static_cast<Unit>(First) && units[from + Gap] == static_cast<Unit>(Second))
            return from;
    }
    return last;
}

} // namespace folio
