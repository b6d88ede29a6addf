#pragma once

#include <cstdint>
#include <string>

namespace folio {

// The text a numeric character reference stands for. Codes that would put a control
// character, a lone surrogate half or no character at all into the text give U+FFFD
// instead; the codes 128 to 159 are read as Windows-1252, as the HTML Standard's
// numeric character reference rules do, because legacy pages write quotes and dashes
// that way. Supplementary code points give their surrogate pair.
std::u16string characterFromReferenceCode(std::uint32_t code);

} // namespace folio
