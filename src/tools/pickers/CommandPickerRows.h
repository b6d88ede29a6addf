#pragma once

#include <string_view>
#include <vector>

namespace folio {

// The rows of the command pickers, as localisation keys, in the order whose
// index each picker reports.
struct CommandPickerRows {
    static const std::vector<std::string_view>& tools();
    static const std::vector<std::string_view>& miscTools();
    static const std::vector<std::string_view>& magicCursor();
    static const std::vector<std::string_view>& styles();
    // Not localised: the picker sends the text itself.
    static const std::vector<std::string_view>& fontSizes();
    static const std::vector<std::string_view>& aligns();
    static const std::vector<std::string_view>& images();
    static const std::vector<std::string_view>& replace();

    // The tools rows that switch a setting: row, setting key, and the titles
    // for off and on.
    struct Switch {
        std::size_t row;
        std::string_view key;
        std::string_view enableTitle;
        std::string_view disableTitle;
    };
    static const std::vector<Switch>& toolSwitches();
    static constexpr std::size_t kReadAloudRow = 3;
};

} // namespace folio
