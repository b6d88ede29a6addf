#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace folio {

// Eight UTF-16 units at once, one to a 16-bit lane: the compiler's vector
// types give every lane the same operation in one instruction where the
// machine has them, and a loop of its own where it has not.
using UnitBlock = std::uint16_t __attribute__((vector_size(16)));
using ByteBlock = std::uint8_t __attribute__((vector_size(8)));
constexpr std::size_t kBlockUnits = 8;

inline UnitBlock loadBlock(const char16_t* units)
{
    UnitBlock block;
    std::memcpy(&block, units, sizeof block);
    return block;
}

// Whether any lane of a comparison's answer is true.
template <typename Mask>
inline bool anyLane(Mask mask)
{
    std::uint64_t words[2];
    static_assert(sizeof mask == sizeof words);
    std::memcpy(words, &mask, sizeof words);
    return (words[0] | words[1]) != 0;
}

} // namespace folio
