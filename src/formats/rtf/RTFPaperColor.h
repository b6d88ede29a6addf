#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// The paper colour an RTF file carries, as six upper-case hexadecimal digits
// RRGGBB. Files written by this application hold either the literal
// "\papercolorFFFFFF", which the reader would not understand and so leaves
// out of what it reads, or the control word "\papercolorN" with N = blue *
// 65536 + green * 256 + red. Only a real control word counts (not the word
// inside text, where its backslash is escaped); anything else gives "FFFFFF".
// The bytes of the file stay as they are.
struct RTFPaperColor {
    static constexpr std::size_t kWhiteMarkerLength = 17;
    std::string color;
    // Where the white marker stands.
    std::optional<std::size_t> whiteMarker;
};
RTFPaperColor paperColorOfRTF(std::string_view rtf);

} // namespace folio
