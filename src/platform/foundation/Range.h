#pragma once

#include <cstddef>
#include <limits>

namespace folio {

// Every index, length and range over text counts UTF-16 code units.
inline constexpr std::size_t NotFound = std::numeric_limits<std::size_t>::max();

struct Range {
    std::size_t location = 0;
    std::size_t length = 0;

    constexpr std::size_t end() const { return location + length; }
    constexpr bool contains(std::size_t index) const { return index >= location && index < end(); }
    constexpr bool isNotFound() const { return location == NotFound; }
    friend constexpr bool operator==(const Range&, const Range&) = default;
};

inline constexpr Range NotFoundRange{NotFound, 0};

// The overlap of two ranges; an empty range at the later start when they do not overlap.
constexpr Range intersectionRange(Range a, Range b)
{
    std::size_t start = a.location > b.location ? a.location : b.location;
    std::size_t end = a.end() < b.end() ? a.end() : b.end();
    return end > start ? Range{start, end - start} : Range{start, 0};
}

constexpr Range unionRange(Range a, Range b)
{
    std::size_t start = a.location < b.location ? a.location : b.location;
    std::size_t end = a.end() > b.end() ? a.end() : b.end();
    return Range{start, end - start};
}

} // namespace folio
