#pragma once

#include <string>
#include <string_view>

namespace folio {

class PageConnection;

// Text the editor puts into the page at the caret, in a span that carries
// the caret's family, size and colour. Everything that comes from the user
// or the page (a custom key's text, a link's address and label, scanned or
// assistant text, the family and colour names read back) is HTML-escaped
// before it enters the markup, and the markup enters the script as one
// literal, so no text can become markup or script.
class RichTextInsertion {
public:
    struct Style {
        std::string family;
        // Whole CSS pixels, as the page's spans carry sizes.
        int size = 0;
        // Emphasis declarations placed before the colour ("font-weight:bold; ").
        std::string extra;
        std::string color;
        bool rightToLeft = false;
    };

    // The caret's family (quotes removed) and colour, with the given size.
    static Style caretStyle(PageConnection& page, int size);

    // '<span style="...">' + innerHTML + '</span>'.
    static std::string spanHTML(const Style& style, std::string_view innerHTML);
    // The text as HTML: escaped, each line feed (and CR LF) a "<br>".
    static std::string textHTML(std::u16string_view text);
    // A link to `address` reading `label`, both escaped.
    static std::string linkHTML(std::string_view address, std::u16string_view label);
    // "document.execCommand('insertHTML','false',<html>);"
    static std::string insertHTMLScript(std::string_view html);
};

} // namespace folio
