#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace folio {

// One named colour of CSS: its lower-case keyword and its sRGB value with red
// in the high byte.
struct CSSColorName {
    std::string_view name;
    std::uint32_t rgb;
};

// The 147 extended colour keywords of CSS Color Module Level 3, in alphabetical
// order. Names that share a value are all present ("aqua" and "cyan", each
// "gray" with its "grey" twin); searches that keep the first match therefore
// prefer the earlier spelling.
std::span<const CSSColorName> cssColorNames();

} // namespace folio
