#pragma once

#include "platform/foundation/Error.h"

#include <string>

namespace folio {

// Opens the module `fileName` beside the program's own file and answers the
// address of its function `entryPoint`; the error says why it could not.
// The module's references to the layers resolve against the program, which
// exports its symbols for it.
Result<void*> entryPointOfProgramModule(const std::string& fileName, const std::string& entryPoint);

} // namespace folio
