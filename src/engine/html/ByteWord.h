#pragma once

#include "platform/foundation/HashMixing.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace folio {

// Tests on eight bytes of text at once, for the scans that pass long
// stretches of plain ASCII between the few bytes they stop at. Each test
// answers exactly whether some byte of the word qualifies (not which).
struct ByteWord {
    static_assert(std::endian::native == std::endian::little, "words are read with their first byte lowest");

    static constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    static constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

    static std::uint64_t load(const char* bytes)
    {
        std::uint64_t word;
        std::memcpy(&word, bytes, sizeof word);
        return word;
    }

    static bool hasZeroByte(std::uint64_t word) { return ((word - kOnes) & ~word & kHighBits) != 0; }
    static bool hasByte(std::uint64_t word, unsigned char byte) { return hasZeroByte(word ^ (kOnes * byte)); }
    // Some byte from 0x80 up.
    static bool hasHighByte(std::uint64_t word) { return (word & kHighBits) != 0; }
    // Some byte below `limit`, which is at most 0x80.
    static bool hasByteBelow(std::uint64_t word, unsigned char limit)
    {
        return ((word - kOnes * limit) & ~word & kHighBits) != 0;
    }

    // The high bit of each byte that is zero and of no other, exactly, so
    // that the first of them is found by counting trailing zeros (words are
    // loaded with their first byte lowest).
    static std::uint64_t zeroBytes(std::uint64_t word)
    {
        constexpr std::uint64_t kLowBits = ~kHighBits;
        return ~(((word & kLowBits) + kLowBits) | word | kLowBits);
    }
    static std::uint64_t bytesEqualTo(std::uint64_t word, unsigned char byte) { return zeroBytes(word ^ (kOnes * byte)); }
    // The high bit of each byte below `limit` (at most 0x80), exactly.
    static std::uint64_t bytesBelow(std::uint64_t word, unsigned char limit)
    {
        constexpr std::uint64_t kLowBits = ~kHighBits;
        return ~(((word & kLowBits) + kOnes * (0x80 - limit)) | word) & kHighBits;
    }
    // A mask of the first `count` bytes of a word, from one to eight.
    static constexpr std::uint64_t firstBytes(std::size_t count) { return ~std::uint64_t{0} >> (8 * (8 - count)); }

    // The index in the word of the first byte a mask of zeroBytes() marks.
    static std::size_t firstMarked(std::uint64_t marks) { return static_cast<std::size_t>(std::countr_zero(marks)) / 8; }

    // A hash of the whole text, a word a step, for tables keyed by long
    // texts looked up once per element (a start tag with its attributes).
    static std::size_t hash(std::string_view text)
    {
        constexpr std::uint64_t kMultiplier = kGoldenRatioHash;
        std::uint64_t hash = text.size() * kMultiplier;
        std::size_t index = 0;
        for (; index + 8 <= text.size(); index += 8)
            hash = std::rotl((hash ^ load(text.data() + index)) * kMultiplier, 31);
        if (index < text.size()) {
            // The last bytes, zero above them: from the text's last word
            // where it has one, rather than a copy of a length known late.
            std::uint64_t tail = 0;
            const std::size_t left = text.size() - index;
            if (text.size() >= 8)
                tail = load(text.data() + text.size() - 8) >> (8 * (8 - left));
            else
                std::memcpy(&tail, text.data() + index, left);
            hash = std::rotl((hash ^ tail) * kMultiplier, 31);
        }
        hash ^= hash >> 33;
        hash *= 0xFF51AFD7ED558CCDULL;
        return static_cast<std::size_t>(hash ^ (hash >> 29));
    }
};

} // namespace folio
