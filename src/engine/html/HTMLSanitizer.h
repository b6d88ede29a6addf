#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// Makes document HTML safe to hand to a page or to another program: no
// script, no event handler, no "javascript:" or "data:" link target, nothing
// that loads from the network. Documents come from anywhere, and the editors'
// pages run scripts of their own, so whatever enters them or leaves as an
// export goes through here.
//
// The HTML is parsed and written again as it is parsed, with every attribute quoted and every
// markup character escaped, so that what a browser parses is the tree that
// was checked (markup hidden in comments, attributes or raw text cannot come
// back to life). A link whose target is refused keeps its text; elements
// that only load or run something (script, frames, objects, external style
// sheets, SVG animations) go with their content. Fragments in the plain
// forms of the program's own HTML writer are read by HTMLSimpleMarkupReader
// rather than libxml2, to the same events, and checked alike: each distinct
// start tag once (an export repeats a few hundred of them by the ten
// thousand), and text escaped as it stands where that writes what escaping
// it decoded would.
class HTMLSanitizer {
public:
    HTMLSanitizer() = delete;

    enum class Use {
        Document,
        // Markup inserted into an open page: also without style and meta
        // elements, and with no "id" or "name" that would hide an object of
        // the page from its scripts (HTMLPageObjectNames): such a name is
        // changed, and so are the links that lead to it.
        Insertion,
        // An exported file, read away from this machine: also no reference
        // to a file outside the document (a "file:" URL, an absolute path, a
        // path that climbs out of its folder), which would name the user's
        // files and find nothing elsewhere; and no hidden text
        // ("data-hidden"), which the file's reader was never shown.
        Export,
        // A document's content entering one of its editing pages, or read
        // back from one to be saved. The page is the program's own and
        // talks to it, so besides what a document may not hold it gets no
        // form control, no meta element, no name that hides an object of
        // the page (as an insertion) and, as an export, no reference to a
        // file outside the document. Footnotes and comments are objects
        // that load nothing, and stay.
        EditingPage,
        // An editing page's content copied or exported out of the program:
        // as the page, without the hidden text it keeps for the save.
        PageCopy,
    };

    // How characters beyond ASCII are written.
    enum class Characters {
        AsTheyAre,
        // As named references where HTML has one and numeric ones from
        // U+0100 on, for files read by programs that may guess the encoding
        // wrong; style sheets keep their characters, since CSS reads no
        // references.
        References,
    };

    // A whole page ("<html>...") stays a page; a fragment stays a fragment.
    // Text is UTF-8 in and out. The HTML is read once, as it is written.
    static std::string sanitizedHTML(std::string_view html, Use use = Use::Document,
                                     Characters characters = Characters::AsTheyAre);

    // Whether a picture keeps a source that names a file (a "file:" URL or
    // a path: anything but inline data).
    using PictureFileCheck = std::function<bool(std::string_view source)>;
    // Markup for insertion into a page whose save keeps only some files'
    // pictures: one whose file `keepsPictureFile` refuses goes whole, as a
    // picture that may not be loaded does, and is never shown as if it stayed.
    static std::string sanitizedInsertion(std::string_view html, const PictureFileCheck& keepsPictureFile);

    // CSS of a style element or attribute without "@import", "expression()"
    // and remote url() references; CSS that has none is returned as it is.
    static std::string sanitizedCSS(std::string_view css, Use use = Use::Document);

    // One attribute of a kept element as the sanitiser writes it: its
    // value (lowercase name, references decoded) unescaped, or nothing when
    // the attribute goes. For writers that make only markup of their own and
    // want it in the sanitiser's form without a parse.
    static std::optional<std::string> sanitizedAttribute(std::string_view element, std::string_view lowercaseName,
                                                         std::string value, Use use);
    // Text written as the sanitiser writes it: escaped for element content
    // or for a value in double quotes, with `characters` deciding the rest.
    static void appendText(std::string& out, std::string_view text, bool inAttribute, Characters characters);

    // A link target a user may follow: anything but "javascript:",
    // "vbscript:" and "data:" URLs, and the editing pages' own messages
    // ("rte:", "x-twwebview:"), which a followed link would forge.
    static bool isSafeLinkTarget(std::string_view url);
    // A resource a page may load: a relative reference, a file, a font of
    // the application's font scheme, or inline data of an image (with
    // `allowingAnyData`, any inline data, as style sheets' fonts are).
    static bool isLocalResource(std::string_view url, bool allowingAnyData = false);
    // Whether the reference names a file outside the document's folder.
    static bool leavesTheDocument(std::string_view url);

private:
    static std::string sanitized(std::string_view html, Use use, Characters characters,
                                 const PictureFileCheck* keepsPictureFile);
};

} // namespace folio
