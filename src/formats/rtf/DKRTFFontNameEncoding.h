#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// A font table's name in the code page of its letters: Word and WordPad read
// a name's bytes in the character set the entry gives ("\fcharset128" for
// Shift-JIS), and a Japanese or Cyrillic name given as Unicode escapes
// under the Western set comes out as Windows-1252 letters there.
struct DKRTFFontNameEncoding {
    // The RTF character set ("\fcharsetN") and the name's bytes in its code
    // page; nothing for a name of Western letters alone (set 0, written as
    // before) or one no code page of its script can hold.
    static std::optional<DKRTFFontNameEncoding> forName(std::u16string_view name);

    int characterSet = 0;
    std::string bytes;
};

} // namespace folio
