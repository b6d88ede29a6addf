#pragma once

#include <string>

namespace folio {

// The crayon colour names (capitalised words such as "Antique Brass") with
// upper-case values, as one list text.
const std::string& crayonColorNameList();

} // namespace folio
