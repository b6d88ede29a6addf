#pragma once

#include "engine/html/HTMLSanitizer.h"

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// Writes the HTML that the Markdown renderer made in the very form the HTML
// sanitiser would write it, in one pass and without a browser's parse: the
// renderer writes only a few elements, nested as HTML allows, with quoted
// attributes and a handful of references, so reading it needs no parser.
// Attributes go through the sanitiser's own policy and text through its own
// escaping. Anything else (markup typed into the document, a reference of
// the document's own, nesting a browser would mend, characters a parser
// might treat specially) is declined, and the caller sanitises the HTML in
// full.
class RenderedMarkdownSanitizer {
public:
    RenderedMarkdownSanitizer() = delete;

    static std::optional<std::string> sanitizedHTML(std::string_view html, HTMLSanitizer::Use use,
                                                    HTMLSanitizer::Characters characters);
};

} // namespace folio
