#pragma once

#include <array>
#include <cstddef>

namespace folio {

// The twenty caret and text commands of the cursor picker and the key-row
// menu, in the order of the numbers they are sent with.
struct CursorCommand {
    const char* title;
    const char* symbol;
    // The editor command it runs, by name; null for those worked out here.
    const char* command;
};

inline constexpr std::size_t kCursorCommandCount = 20;
const std::array<CursorCommand, kCursorCommandCount>& cursorCommands();

// The editor commands the tools options 0 to 17 run, by name; null where the
// option is worked out here.
inline constexpr std::size_t kToolsOptionCount = 18;
const std::array<const char*, kToolsOptionCount>& toolsOptionCommands();

} // namespace folio
