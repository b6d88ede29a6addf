#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace folio {

// Just past the brace that closes the RTF group opening at `start`; nothing
// for a group left open, which callers either take to the end of the text
// or refuse as not whole.
std::optional<std::size_t> DKRTFGroupEnd(std::u16string_view text, std::size_t start);

} // namespace folio
