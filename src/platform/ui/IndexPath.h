#pragma once

#include <compare>
#include <cstddef>

namespace folio {

struct IndexPath {
    std::size_t section = 0;
    std::size_t row = 0;
    friend auto operator<=>(const IndexPath&, const IndexPath&) = default;
};

} // namespace folio
