#pragma once

#include "engine/html/writer/HTMLBodyFinish.h"
#include "engine/html/writer/HTMLWriterContext.h"

#include <string>
#include <string_view>
#include <vector>

namespace folio {

// The pieces of markup the writer builds HTML from. The HTML is written as
// UTF-8 as it goes; the document's UTF-16 text is encoded where it is placed.
class HTMLMarkup {
public:
    // Text as element content: "<" as "&#60;" and "&" as "&amp;"; every
    // other character, ">" and U+FEFF included, stays as it is.
    static void appendText(std::string& html, std::u16string_view text);
    // As appendText, leaving out the U+FEFF placeholders of list items and
    // pictures.
    static void appendTextWithoutPlaceholders(std::string& html, std::u16string_view text);

    // ` name="value"` for each attribute, the values escaped, so that no text
    // of the document can end the attribute or the tag.
    static void appendAttributes(std::string& html, const HTMLAttributeMap& attributes);
    // Whether an export leaves an attribute out: the editing page's and the
    // save's own data mean nothing to the file's reader.
    static bool isLeftOutOfExport(std::string_view name);
    // The same, `exported`, for a file read elsewhere: only the attributes
    // its reader uses, each as the sanitiser keeps and writes it for an
    // export.
    static void appendAttributes(std::string& html, const HTMLAttributeMap& attributes, std::string_view element,
                                 bool exported);
    // One attribute so, or nothing where the export leaves it out or the
    // sanitiser drops it.
    static void appendExportedAttribute(std::string& html, std::string_view element, std::string_view name,
                                        std::u16string_view value);
    // CSS of a style attribute, escaped as its value, in the form the file
    // gets.
    static std::string styleAttributeValue(std::string_view css, bool exported);


    // The last touches of the written body, made on element content only
    // (never inside a tag, so attribute values keep their exact text): tabs
    // become tab spans, U+2028 becomes a line break element and, with
    // `convertSpaces`, every pair of blanks becomes a blank and a no-break
    // space so that browsers keep the width of the spacing. Answers whether a
    // tab was found.
    static bool finishBody(std::string& body, HTMLTabForm tabForm, bool convertSpaces);

    // The body finished as it is written, so that it needs no second pass:
    // appending text, or a piece of markup, this way leaves the body as
    // appending it plainly and finishing the whole body afterwards would.
    // A blank at the start pairs with an unpaired blank the body ends with.
    static void appendBodyText(std::string& body, std::u16string_view text, bool dropsPlaceholders,
                               HTMLBodyFinish& finish);
    static void appendBodyMarkup(std::string& body, const std::string& markup, HTMLBodyFinish& finish);

    // Appends the notes of a printed document, numbered as their marks in
    // the text, after a rule at its end, finished as the body they end;
    // nothing without notes.
    static void appendNotesSection(std::string& body, const std::vector<TEPrintedNote>& notes,
                                   HTMLBodyFinish& finish);

private:
    static void appendTextDroppingPlaceholders(std::string& html, std::u16string_view text, bool dropsPlaceholders);
};

} // namespace folio
