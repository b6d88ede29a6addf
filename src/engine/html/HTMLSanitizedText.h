#pragma once

#include <string>
#include <string_view>

namespace folio {

// Text as the sanitiser writes it: markup characters escaped for element
// content or for a value in double quotes and, with `references`,
// characters beyond ASCII as named references where HTML has one and
// numeric ones from U+0100 on. Plain ASCII is copied in stretches, passed
// eight bytes at a time.
class HTMLSanitizedText {
public:
    HTMLSanitizedText() = delete;

    static void append(std::string& out, std::string_view text, bool inAttribute, bool references);

    // Text that HTMLSimpleMarkupReader has read, as it stands in the markup,
    // written as append() writes it decoded, without decoding it: the
    // references to "&", "<" and ">" are already in the form written, the
    // other ones stand for one character of printable ASCII, written through
    // append(). Anything the quick reading would not have passed is
    // escaped, never copied.
    static void appendMarkup(std::string& out, std::string_view markup, bool references);
};

} // namespace folio
