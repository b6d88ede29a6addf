#pragma once

#include <string>
#include <string_view>

namespace folio {

// Puts text into HTML. Every text placed in a page, in element content or in
// a quoted attribute value, goes through here, so that it always reads back
// as the same characters and never as markup.
class HTMLTextEscaper {
public:
    // Escapes "&", "<", ">", '"' and "'"; everything else is kept as it is.
    // Both quote characters are escaped so the result is safe in attribute
    // values quoted either way.
    static std::u16string escape(std::u16string_view text);
    static std::string escape(std::string_view utf8);
    // The escaped text added to the end of the HTML being written.
    static void append(std::u16string& html, std::u16string_view text);
    // The same, added as UTF-8 to HTML written in UTF-8.
    static void append(std::string& html, std::u16string_view text);
    static void append(std::string& html, std::string_view utf8);
};

} // namespace folio
