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

    struct Options {
        // Each list item starts with its marker ("1.", "a.", a bullet) after
        // a tab per level, as the page numbers it.
        bool listMarkers = false;
        // Text is taken as it stands (tabs and runs of blanks kept): for HTML
        // written from a document's text rather than typed as markup.
        bool keepsWhiteSpace = false;
    };

    static std::u16string plainText(std::string_view html);
    static std::u16string plainText(std::string_view html, const Options& options);
};

} // namespace folio
