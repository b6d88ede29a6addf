#pragma once

#include <array>
#include <cstddef>
#include <optional>

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

// The tools picker's rows run the options of the same meaning. Rows 0 to 10
// are options 0 to 10; the picker's page-numbers switch (row 11) has no
// option of its own and is kPageNumbersOption here, and its web research
// (row 12) is option 16, not the in-app browser set-up and HTML copy that
// carry the numbers 11 and 12. Unknown rows give none.
inline constexpr long kPageNumbersOption = -1;
// The option that opens the name generator, which no picker row sends.
inline constexpr long kNameGeneratorOption = 15;
inline constexpr std::size_t kToolsPickerRowCount = 13;
std::optional<long> toolsOptionForPickerRow(long row);

} // namespace folio
