#pragma once

#include <optional>
#include <string>
#include <vector>

namespace folio {

// Runs a program (found on the search path) to its end and answers what it
// wrote on its standard output, or nothing when it could not start or
// ended with a failure. For short questions to the desktop's tools only.
std::optional<std::string> outputOfProgram(const std::vector<std::string>& arguments);

} // namespace folio
