#pragma once

#include <string>

namespace folio {

// A new random UUID in its canonical text form: 36 characters, upper-case
// hexadecimal digits in groups 8-4-4-4-12 joined by hyphens.
std::string makeUUIDString();

} // namespace folio
