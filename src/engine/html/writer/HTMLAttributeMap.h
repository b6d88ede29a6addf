#pragma once

#include <map>
#include <string>

namespace folio {

// An element's attributes, by name: written in name order so that the same
// text always gives the same HTML.
using HTMLAttributeMap = std::map<std::string, std::u16string>;

} // namespace folio
