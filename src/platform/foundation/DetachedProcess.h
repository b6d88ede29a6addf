#pragma once

#include <string>
#include <vector>

namespace folio {

// Starts a program (found on the search path) that runs on its own: the
// caller does not wait, and the child is reaped when it ends, so a program
// left running leaves no zombie behind. Answers an empty text on success,
// else why it could not start.
std::string launchDetachedProcess(const std::vector<std::string>& arguments);

} // namespace folio
