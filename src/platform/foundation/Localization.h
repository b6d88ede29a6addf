#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace folio {

// Translated interface texts, from "<language>.lproj/<table>.strings" files
// under the resources folder, in the form
//     /* comment */
//     "key" = "value";
// A key without a translation answers the default value, or the key itself
// when there is no default, so the interface always shows something.
class Localization {
public:
    static constexpr const char* kDefaultTable = "Localizable";

    static std::string localizedString(std::string_view key, std::string_view defaultValue = {},
                                       std::string_view table = kDefaultTable);

    // The languages tried in order, from LANGUAGE, LC_ALL, LC_MESSAGES and
    // LANG ("de_CH.UTF-8" gives "de_CH", then "de"), ending with "en" and "Base".
    static std::vector<std::string> preferredLanguages();

    // Parses one table; malformed lines are skipped, entries before them kept.
    static std::vector<std::pair<std::string, std::string>> parseStringsTable(std::string_view text);

    // Forgets the tables read so far, so that changed files are read again.
    static void clearCache();
};

} // namespace folio
