#pragma once

#include <string>
#include <vector>

namespace folio {

// The choices of the text-style lists, in the order they are shown.

// 125 names: fourteen common colours, then the CSS colour names.
const std::vector<std::string>& textColourNames();
// The text colours with the "grey" spellings of two of them besides (127).
const std::vector<std::string>& paperColourNames();
// 65 paper size names; the sizes themselves belong to the editors' page table.
const std::vector<std::string>& paperSizeNames();

} // namespace folio
