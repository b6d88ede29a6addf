#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// The paper colour an RTF file carries, as six upper-case hexadecimal digits
// RRGGBB. Files written by this application hold either the literal
// "\papercolorFFFFFF", which the reader would not understand and is taken out
// of the text, or the control word "\papercolorN" with N = blue * 65536 +
// green * 256 + red. Only a real control word counts (not the word inside
// text, where its backslash is escaped); anything else gives "FFFFFF".
std::string takePaperColorFromRTF(std::u16string& rtf);

// The same of the bytes of a file, which stay as they are: the reader takes
// the white marker out of what it reads.
struct RTFPaperColor {
    static constexpr std::size_t kWhiteMarkerLength = 17;
    std::string color;
    // Where the white marker stands.
    std::optional<std::size_t> whiteMarker;
};
RTFPaperColor paperColorOfRTF(std::string_view rtf);

} // namespace folio
