#pragma once

#include <optional>
#include <string_view>

namespace folio {

class HTMLParseEvents;
class HTMLSimpleMarkupEvents;

// Reads HTML fragments written in the plain forms this program's own HTML
// writer uses, reporting the events libxml2's parser reports for the same
// fragment as the body of a page, without libxml2's cost: an export of a
// long document would otherwise parse again, character by character, the
// markup it has just written.
//
// It reads only what it knows libxml2 reads alike: lower-case tags of a few
// elements (div, span, a, sup, sub, ul, ol, li, and the void br, hr, img),
// attributes in quotes or bare, the references "&amp;", "&lt;", "&gt;", "&quot;" and
// numeric ones of printable ASCII, valid UTF-8 without control characters or
// noncharacters, every element closed in order (but for list items, which
// the next item or the end of their list closes, as the writer leaves them),
// and no nesting that the tree builder rearranges (a link in a link, one
// kind of list right in the other). Anything else (comments,
// other elements, stray or missing end tags, a page rather than a fragment)
// makes it give up, and the caller reads the HTML with the full parser.
class HTMLSimpleMarkupReader {
public:
    HTMLSimpleMarkupReader() = delete;

    // Reports the fragment inside the wrapper "<html><head><meta
    // charset="UTF-8"></head><body>...</body></html>", events of the wrapper
    // included. False when the fragment goes beyond the forms read here; the
    // events reported until then are to be thrown away.
    static bool readFragment(std::string_view html, HTMLParseEvents& events);
    // The same reading, offering the listener each repeated start tag by
    // its number and each text as it stands in the markup.
    static bool readFragment(std::string_view html, HTMLSimpleMarkupEvents& events);

    // The character a reference read here stands for, by its name between
    // "&" and ";"; nothing for a reference this reader does not read.
    static std::optional<char> referencedCharacter(std::string_view name);
};

} // namespace folio
