#pragma once

#include <string>

namespace folio {

// The paper colour an RTF file carries, as six upper-case hexadecimal digits
// RRGGBB. Files written by this application hold either the literal
// "\papercolorFFFFFF", which the reader would not understand and is taken out
// of the text, or the control word "\papercolorN" with N = blue * 65536 +
// green * 256 + red. Only a real control word counts (not the word inside
// text, where its backslash is escaped); anything else gives "FFFFFF".
std::string takePaperColorFromRTF(std::u16string& rtf);

} // namespace folio
