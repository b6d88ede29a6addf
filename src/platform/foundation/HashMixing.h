#pragma once

#include <cstddef>
#include <cstdint>

namespace folio {

// 2^64 divided by the golden ratio: an odd constant whose bits look random,
// so that adding or multiplying by it spreads nearby values apart.
inline constexpr std::uint64_t kGoldenRatioHash = 0x9e3779b97f4a7c15ULL;

// Mixes one more hash into a running hash, shifting the seed both ways so
// that the order of the values counts. For hashes of values of any kind.
inline std::size_t hashCombine(std::size_t seed, std::size_t value)
{
    return seed ^ (value + kGoldenRatioHash + (seed << 6) + (seed >> 2));
}

// A cheaper step for keys of a few machine words (addresses, packed fields)
// looked up in hot loops: one multiply per word. End with hashFinish, which
// folds the well-mixed high bits into the low ones that buckets are picked by.
inline std::uint64_t hashMultiplyStep(std::uint64_t hash, std::uint64_t value)
{
    return (hash ^ value) * kGoldenRatioHash;
}

inline std::size_t hashFinish(std::uint64_t hash)
{
    return static_cast<std::size_t>(hash ^ (hash >> 29));
}

} // namespace folio
