#pragma once

namespace folio {

// What the program and the module its page processes load say to each other.
// WebKit loads every module in the folder it is given, so the module has a
// folder of its own beside the program.
constexpr const char* kPageProcessModuleFolder = "page-process";
// Asks the page's script engine to collect; the module answers once it has
// been asked, so the program can tell that the module is there.
constexpr const char* kCollectGarbageMessage = "folio.collect-garbage";

} // namespace folio
