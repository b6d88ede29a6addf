#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace folio {

// Turns a document's HTML into the content of an XHTML chapter. HTML allows
// what XML refuses (empty elements without a slash, named entities XML does
// not know, bare ampersands, unclosed elements); a chapter that is not
// well-formed XML is refused by every reading system.
class EPubChapterMarkup {
public:
    EPubChapterMarkup() = delete;

    // The content of the chapter's body element, well-formed XML in UTF-8.
    // With `packedPictures` (their paths in the book, e.g. "data/a.png"), a
    // picture the book does not hold is replaced by its alternative text: a
    // reference into nothing makes the book invalid.
    static std::string xhtmlContent(std::string_view html, const std::vector<std::string>* packedPictures = nullptr);

    // "<br>" as "<br/>".
    static std::string closingLineBreaks(std::string_view html);
    // Named HTML entities as their characters, so that XML needs no entity
    // definitions. References XML knows stay as they are: numeric references
    // and lt, gt, amp, quot and apos (decoding those would turn escaped text
    // into markup). A name that decodes to a markup character becomes its
    // numeric reference; an ampersand that starts no reference becomes "&amp;".
    static std::string decodingEntities(std::string_view html);

    // Whether the content parses as the children of an XML element.
    static bool isWellFormedContent(std::string_view content);
    // Reads the content as HTML, as a browser would, and writes it back as XML,
    // with the direction carried by attributes rather than style sheets.
    static std::string repairedContent(std::string_view html, const std::vector<std::string>* packedPictures = nullptr);
    // CSS without "direction" and "unicode-bidi" declarations, which reading
    // systems must not be given; `rightToLeft` tells whether the CSS asked
    // for right-to-left text.
    static std::string withoutBidiDeclarations(std::string_view css, bool* rightToLeft = nullptr);
};

} // namespace folio
