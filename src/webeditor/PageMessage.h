#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// One message of an editing page: "rte://" TOKEN, optionally "#" DATA. The
// token names the event (letters and digits only); the data is everything
// after the first "#", percent-decoded, so the page can send any text (the
// helper library encodes it with encodeURIComponent).
struct PageMessage {
    static constexpr std::string_view kScheme = "rte://";
    // The data of a key message whose key only moved the caret or the view.
    static constexpr std::string_view kCaretOnlyKey = "move";

    std::string token;
    std::string data;
    bool hasData = false;

    // Nothing for text that is not a page message: another scheme, an empty
    // or malformed token, or data whose escapes are broken or not UTF-8.
    static std::optional<PageMessage> parse(std::string_view message);

    // A key message for a key that left the text as it was.
    bool isCaretOnlyKey() const { return data == kCaretOnlyKey; }

    // The data split at `separator`, keeping empty pieces.
    std::vector<std::string> fields(char separator) const;

    // Whether text from a page may name an element of it: letters, digits,
    // "_" and "-", at most 128 of them. Ids go into scripts and selectors, so
    // anything else is refused rather than escaped.
    static bool isValidElementId(std::string_view id);
};

} // namespace folio
