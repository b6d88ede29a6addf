#pragma once

#include <string>

namespace folio {

// A new random UUID in its canonical text form: 36 characters, upper-case
// hexadecimal digits in groups 8-4-4-4-12 joined by hyphens.
std::string makeUUIDString();

// A UUID of the same form, for callers that need thousands in a row (one per
// link of a long page), where drawing each from the system's random source
// costs more than the work it labels. Each thread draws one random UUID and
// then counts up in its last group, whose 48 bits are random: the strings
// never repeat within a process and are as unlikely to meet another
// process's as random ones. They are labels, not secrets: whoever sees one can
// tell the next.
std::string makeSequentialUUIDString();

} // namespace folio
