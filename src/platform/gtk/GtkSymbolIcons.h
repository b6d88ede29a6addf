#pragma once

#include <string>

namespace folio {

// Maps the system symbol names the program uses ("arrow.uturn.backward") to
// icon names of the freedesktop icon theme that GTK draws.
class GtkSymbolIcons {
public:
    // Empty when the symbol has no counterpart; the caller then shows the title.
    static std::string iconNameForSymbol(const std::string& symbolName);
};

} // namespace folio
