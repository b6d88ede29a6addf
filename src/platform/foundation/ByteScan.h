#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <bit>
#include <cstddef>
#include <string_view>

namespace folio {

// Looks through text for the first byte (or UTF-16 unit) of a kind sixteen
// bytes at a time, with the vector unit every x86-64 processor has: the
// writers and filters of documents look through megabytes of text in which
// such bytes are rare. The bytes looked for are template arguments, so that
// each scan compiles to the few comparisons it needs: scans are started
// once every few words.
class ByteScan {
public:
    ByteScan() = delete;

    // The index of the first byte at or after `from` that is one of
    // `Bytes`; the text's length when there is none.
    template <char... Bytes>
    static std::size_t firstOf(std::string_view text, std::size_t from)
    {
#if defined(__SSE2__)
        for (; from + 16 <= text.size(); from += 16) {
            const __m128i chunk = load(text, from);
            const __m128i found = (_mm_setzero_si128() | ... | _mm_cmpeq_epi8(chunk, _mm_set1_epi8(Bytes)));
            if (const int mask = _mm_movemask_epi8(found))
                return from + firstLane(mask);
        }
#endif
        while (from < text.size() && !((text[from] == Bytes) || ...))
            ++from;
        return from < text.size() ? from : text.size();
    }

    // The index of the first byte at or after `from` that is a control
    // character other than tab and line feed, DEL, a byte beyond ASCII, or
    // one of `Bytes`; the text's length when there is none.
    template <char... Bytes>
    static std::size_t firstNotPlainOrOf(std::string_view text, std::size_t from)
    {
#if defined(__SSE2__)
        for (; from + 16 <= text.size(); from += 16) {
            const __m128i chunk = load(text, from);
            const __m128i found = (notPlain(chunk) | ... | _mm_cmpeq_epi8(chunk, _mm_set1_epi8(Bytes)));
            if (const int mask = _mm_movemask_epi8(found))
                return from + firstLane(mask);
        }
#endif
        while (from < text.size() && isPlain(text[from]) && !((text[from] == Bytes) || ...))
            ++from;
        return from < text.size() ? from : text.size();
    }

    // How many units at the start of `text` are printable ASCII (space to
    // tilde) and none of `Reserved`; they are narrowed into `out`, which has
    // room for the whole text, as they are counted.
    template <char... Reserved>
    static std::size_t narrowPrintableASCII(std::u16string_view text, char* out)
    {
        std::size_t count = 0;
#if defined(__SSE2__)
        for (; count + 8 <= text.size(); count += 8) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + count));
            // Below the space the difference wraps round past the span too.
            const __m128i printable = _mm_cmpeq_epi16(
                _mm_subs_epu16(_mm_sub_epi16(units, _mm_set1_epi16(0x20)), _mm_set1_epi16(0x7E - 0x20)), _mm_setzero_si128());
            const __m128i reserved = (_mm_setzero_si128() | ... | _mm_cmpeq_epi16(units, _mm_set1_epi16(Reserved)));
            if (_mm_movemask_epi8(_mm_andnot_si128(reserved, printable)) != 0xFFFF)
                break;
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + count), _mm_packus_epi16(units, units));
        }
#endif
        for (; count < text.size(); ++count) {
            const char16_t unit = text[count];
            if (unit < 0x20 || unit > 0x7E || ((unit == static_cast<char16_t>(Reserved)) || ...))
                break;
            out[count] = static_cast<char>(unit);
        }
        return count;
    }

private:
    static bool isPlain(char c)
    {
        const auto byte = static_cast<unsigned char>(c);
        return (byte >= 0x20 && byte < 0x7F) || c == '\t' || c == '\n';
    }

#if defined(__SSE2__)
    static __m128i load(std::string_view text, std::size_t from)
    {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
    }

    // Control characters but tab and line feed, DEL, and bytes beyond ASCII
    // (which, compared as signed, are below the space too).
    static __m128i notPlain(__m128i chunk)
    {
        const __m128i kept = _mm_or_si128(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('\t')), _mm_cmpeq_epi8(chunk, _mm_set1_epi8('\n')));
        return _mm_andnot_si128(kept, _mm_or_si128(_mm_cmplt_epi8(chunk, _mm_set1_epi8(0x20)),
                                                   _mm_cmpeq_epi8(chunk, _mm_set1_epi8(0x7F))));
    }

    static std::size_t firstLane(int mask) { return static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask))); }
#endif
};

} // namespace folio
