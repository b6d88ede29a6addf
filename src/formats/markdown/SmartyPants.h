#pragma once

#include <string>
#include <string_view>

namespace folio {

enum class HTMLTagKind { None = 0, Opening = 1, Closing = 2 };

// Whether `data` starts with an opening or closing tag named `tagName`: "<", an optional
// "/", the name as written (the comparison is case-sensitive), then ">" or a blank.
// Data shorter than three bytes is never a tag.
HTMLTagKind hoedown_html_is_tag(std::string_view data, std::string_view tagName);

// Typographic punctuation for rendered HTML: straight quotes become curly ones,
// apostrophes right single quotes, "--" an en dash, "---" an em dash and "..." (or
// ". . .") an ellipsis. The characters are written as named entities, which every HTML
// reader and the engine's decoder understand. Tags are copied as they are, and so is
// everything inside pre, code, kbd, script, style and math elements, where the exact
// characters matter.
class SmartyPants {
public:
    static std::string filter(std::string_view html);
    // The filtered HTML added to the end of `out`.
    static void appendFiltered(std::string& out, std::string_view html);
};

} // namespace folio
