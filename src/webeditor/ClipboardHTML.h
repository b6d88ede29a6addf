#pragma once

#include "engine/html/HTMLSanitizer.h"

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// The text transforms of the rich-text editor's paste: what each kind of
// pasteboard content becomes before it is inserted into the page. Text is
// UTF-16 in and out; nothing here talks to the page or the pasteboard.
class ClipboardHTML {
public:
    ClipboardHTML() = delete;

    // HTML made one line of plain-looking HTML: block ends become "<br>",
    // every tag a blank, the rest escaped; blanks and tabs trimmed at the ends.
    static std::u16string flattenHTML(std::u16string_view html);

    // Every web address made a link of class "linkified"; an address that
    // follows '="' (an attribute value) is left as it is.
    static std::u16string stringByLinkifyingURLs(std::u16string_view text);

    // A web page copied from a browser: its plain text, flattened and with
    // its addresses linked.
    static std::u16string fragmentFromPlainTextOfPage(std::u16string_view plainText);
    // Copied HTML, made safe (no script, handler, frame, object or remote
    // load) before any other change.
    static std::u16string fragmentFromCopiedHTML(std::string_view html);
    // The same, where a picture the markup names by file stays only when
    // `keepsPictureFile` keeps its source.
    static std::u16string fragmentFromCopiedHTML(std::string_view html,
                                                 const HTMLSanitizer::PictureFileCheck& keepsPictureFile);
    // The HTML the attributed-text writer made of plain text.
    static std::u16string fragmentFromWrittenText(std::u16string_view writtenHTML);
    // Plain text for the plain paste: escaped, comment markers removed, line
    // breaks as "<br>".
    static std::u16string plainTextFragment(std::u16string_view text);

    // What a paste of plain text inserts: the fragment in a span of the
    // caret's pixel size, font family and colour, the blanks at its ends
    // kept. The page inserts beside the text the caret follows rather than
    // inside it, so the text would otherwise take its paragraph's looks. A
    // size that is not a whole positive number of pixels, or an empty family
    // or colour, leaves that look to the page.
    static std::string plainInsertionSpan(std::u16string_view fragment, std::optional<int> pixelSize,
                                          std::string_view fontFamily = {}, std::string_view color = {});
    // What the rich paste inserts: the fragment in a span of the caret's
    // font, pixel size and colour, all made safe again as one piece, since
    // the family and colour names come from the page.
    static std::string insertionSpan(std::u16string_view fragment, std::string_view fontFamily, int pixelSize,
                                     std::string_view color);

private:
    static std::u16string fragmentFromSafeHTML(const std::string& safeHTML);
};

} // namespace folio
