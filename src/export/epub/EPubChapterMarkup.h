#pragma once

#include <string>
#include <string_view>

namespace folio {

// Turns a document's HTML into the content of an XHTML chapter. HTML allows
// what XML refuses (empty elements without a slash, named entities XML does
// not know, bare ampersands, unclosed elements); a chapter that is not
// well-formed XML is refused by every reading system.
class EPubChapterMarkup {
public:
    EPubChapterMarkup() = delete;

    // The content of the chapter's body element, well-formed XML in UTF-8.
    static std::string xhtmlContent(std::string_view html);

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
    // Reads the content as HTML, as a browser would, and writes it back as XML.
    static std::string repairedContent(std::string_view html);
};

} // namespace folio
