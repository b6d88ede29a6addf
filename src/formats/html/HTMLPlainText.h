#pragma once

#include <string>
#include <string_view>

namespace folio {

// The text a reader sees in an HTML page: text nodes in order, block
// elements and line breaks on lines of their own, nothing of scripts, styles
// or the hidden elements the editors keep in their pages.
class HTMLPlainText {
public:
    HTMLPlainText() = delete;

    static std::u16string plainText(std::string_view html);
};

} // namespace folio
