#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// A browser that runs scripts, as every page of the program does, reads
// what a noscript element holds as raw text up to the first "</noscript>",
// wherever that stands (inside what looks like an attribute value or a
// style element too); libxml2 reads it as markup. What follows such an
// element would be read differently: text the page shows would be taken
// for part of an attribute, and lost. This escapes the element's content
// as a browser tokenises the page, so that libxml2 reads the same tree.
class HTMLNoscriptText {
public:
    HTMLNoscriptText() = delete;

    // The page with every noscript element's content escaped as text
    // ("<" and "&" as references); none when it has no noscript element.
    // The page's bytes are read as an ASCII-compatible encoding.
    static std::optional<std::string> withContentAsText(std::string_view html);
};

} // namespace folio
