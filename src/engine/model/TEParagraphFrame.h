#pragma once

#include <string_view>

namespace folio {

// A paragraph's frame is kept as the word processor's own words for it, in
// the order the file gave them ("\phpg\posx2007\pvpg\posy612\absw2984"):
// Folio does not place the paragraph by them, and a save gives them back.
// Text from the editing page or a file is taken only where it is such words
// alone, so that nothing else reaches a saved file through it.
struct TEParagraphFrame {
    static bool isWellFormed(std::u16string_view text);
};

} // namespace folio
