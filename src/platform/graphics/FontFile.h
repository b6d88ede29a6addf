#pragma once

#include <string>
#include <vector>

namespace folio {

// The PostScript names of every face in a TrueType or OpenType file (a
// collection holds several), in the file's order; faces without a name are
// left out. Empty when the file is missing or is no font. Nothing is
// registered with the process: this only reads the file.
std::vector<std::string> postScriptNamesInFontFile(const std::string& path);

} // namespace folio
