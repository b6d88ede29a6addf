#pragma once

#include "engine/html/writer/HTMLWriterContext.h"

#include "platform/text/PlatformParagraphStyle.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class AttributeValue;
class TEParagraphStyle;

// A list that comes back after other paragraphs: its parts share an identity
// ("data-list"), so that the page numbers a later part on from the earlier
// ones and a reader takes them for one list again; a later part starts where
// the parts before it stopped.
struct HTMLListContinuation {
    std::int64_t identity = 0;
    std::int64_t start = 0;
};

// How a printed bulleted item stands whose first line starts back at the
// page's edge at an indent other than a list level's half inch, as a Mac
// text editor writes its items ("\\li637\\fi-637", stops at 221 and 637
// twips): word processors print the sign at the edge and the first line's
// text at the first stop inside the indent; the lines after keep the indent.
// Lengths in CSS pixels of paper.
struct HTMLPrintedItemStart {
    std::u16string sign;
    // From the indent to where the first line's text starts (negative).
    double textIndent = 0;
    // From the edge to the first line's text: the room of the sign.
    double signRoom = 0;
};

// The ul and ol tags of the lists of a document.
class HTMLListTagWriter {
public:
    // The CSS list-style keyword and the element ("ul" or "ol") of a list;
    // anything that is not a list style is a plain bulleted list.
    static std::string_view keywordForList(const AttributeValue* list);
    static std::string_view elementForList(const AttributeValue* list);

    // "</ol>" or "</ul>".
    static std::string closingTag(const AttributeValue* list);

    // The opening tag, with the marker keyword, the paragraph's own CSS and
    // the list's width and indent. The list takes over the paragraph's
    // indents, so they are reset on `paragraphStyle` (a second list opened for
    // the same paragraph then sees none).
    // `enclosingIndent` is the indent of the list this one is nested in: in
    // print, a nested list is set in by the difference, so that each level
    // stands where the document puts it and deep lists keep the page's width.
    static std::string openingTag(const AttributeValue* list, TEParagraphStyle* paragraphStyle,
                                  const HTMLWriterContext& context, double enclosingIndent = 0,
                                  HTMLListContinuation continuation = {});

    // The page pixels by which an item's first line hangs left of its text,
    // from the item's first-line indent in the text's units; 0 for one that
    // does not hang.
    static double hangingWidth(double firstLineHeadIndent, double textScale);

    // The CSS pixels of paper that an indent of the text's units takes in
    // print: a unit is 1096/80 twips, as word processors' files measure
    // them, where the editing page shows a unit as a pixel of the screen.
    static double printPixels(double indent);

    // A multiple of single spacing as print sets it: of the font's own line
    // height, which is about 1.15 times the size for the fonts documents are
    // set in, where CSS takes a number as a multiple of the size.
    static void printLineMultiple(TEParagraphStyle& style);

    // Where an item stands in print that is set as `HTMLPrintedItemStart`
    // says; none for other items, numbered ones and those with marker words.
    // `stops` are the stops of the item's text.
    static std::optional<HTMLPrintedItemStart> printedItemStart(const AttributeValue* list,
                                                                const TEParagraphStyle& style,
                                                                const std::optional<std::vector<TextTab>>& stops);

    // The label the page's list shows for an item counted `number`, as the
    // browser draws it beside the item ("3.", "c.", "iv.", a disc's bullet),
    // for print to set in the box word processors set their labels in;
    // none for other signs, pictures and marker words.
    static std::optional<std::u16string> printedLabel(const AttributeValue* list, std::int64_t number);

private:
    // Whether the first line of a paragraph starts back at the left edge of
    // its list, as a Mac text editor's bulleted item does, from the half
    // inch of a list's first level.
    static bool startsBackAtTheEdge(const TEParagraphStyle& style);
};

} // namespace folio
