#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace folio {

// The FILE a command is given, checked before anything is read or
// written, in the same words under every command. Only a regular file that
// may be read is a document: reading a FIFO waits for a writer forever, and
// a device never ends; links are followed to what they name.
class DocumentArgument {
public:
    // Nothing for a document; otherwise tells `err` why not, in one line,
    // and answers the command's exit status.
    static std::optional<int> check(const std::string& file, std::ostream& err);
};

} // namespace folio
