#pragma once

#include "engine/html/writer/HTMLAttributeMap.h"
#include "engine/html/writer/HTMLBodyFinish.h"
#include "engine/html/writer/HTMLPageLanguages.h"
#include "engine/html/writer/HTMLStyleCache.h"
#include "engine/html/writer/HTMLStyleClassTable.h"
#include "engine/model/TEFootnoteCounter.h"
#include "platform/text/AttributedString.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace folio {

class Font;
class HTMLPictureSink;

// What one HTML writer is asked for. The callers pass: reading an RTF
// document for its editor, every flag off and the document's file name; ePub
// export, forPrint and forEPub; PDF export, forPrint alone; everything else,
// nothing.
struct TEHTMLWriterSettings {
    // Print and PDF output: page breaks as print breaks, footnotes as numbers.
    bool forPrint = false;
    // Kept for callers that pass it; no output depends on it.
    bool applyPageMargins = false;
    // Kept for callers that pass it; no output depends on it.
    bool imagesEmbeded = false;
    // The document's file name: it names the folder pictures are written to
    // when no picture sink is given.
    std::string fileName;
    // Where the pictures go when the one who wants the HTML chooses: an
    // exported file's own folder, the file itself, a book's package. Not
    // owned; it outlives the write.
    HTMLPictureSink* pictureSink = nullptr;
    // ePub output: plain rules, and pictures written to the temporary folder.
    bool forEPub = false;
    // Exported HTML for reading rather than editing: footnotes are numbers
    // in the text with their text listed at the end, as in print.
    bool listsNotesAtEnd = false;
    // The editing page keeps the U+FEFF placeholders of list items and
    // pictures (its save removes them); exported HTML has none.
    bool keepsPlaceholders = true;
    // Whether runs carry their look (font, colours, underline, raised text)
    // as styles. HTML read only for its text leaves them out: none of them
    // hides text or changes what it says.
    bool stylesRuns = true;
    // Table rows as table elements, as exported documents show them; off,
    // each row is a paragraph of its cells, as the viewer and a reading
    // back into attributed text keep them.
    bool writesTables = false;
    // Hidden text is left out, as word processors leave it out of what they
    // print, export and copy. The editing page keeps it in an element it
    // does not show, for the save.
    bool leavesOutHidden = false;
    // The editing page: a blank that ends a line (a paragraph's or one
    // before a line break) is kept in an element whose blanks are kept, and
    // so is a line of blanks alone. A browser hides an ordinary blank at the
    // end of a line, and its editing drops the hidden blank when text is
    // typed there, running the new words into the last one; text of blanks
    // alone between two blocks is read back as no text.
    bool keepsBlanksEndingLines = false;
    // An HTML file read away from the program: it gets only the markup its
    // reader uses (none of the data attributes the editing page keeps for
    // the save, but for the bookmarks links lead to), every character
    // beyond ASCII as a reference, and what the document itself brings in
    // (link targets, its own attributes, style, pictures) checked and
    // written as the sanitiser does for an export, so that the file needs
    // no second reading.
    bool exported = false;
    // The editing page: the languages the element the page puts around the
    // text gives every run, which a run then says only where its own differ.
    // None: every run says its own.
    HTMLPageLanguages inheritedLanguages{};
};

// A footnote of printed output: its number, its text, and the font CSS of
// the text its mark stands in.
struct TEPrintedNote {
    std::uint64_t number = 0;
    std::u16string text;
    std::string fontCSS;
};

// The state one build shares between the paragraph, run and attachment
// writers: the text, the settings, the generated classes and the notes'
// numbering.
struct HTMLWriterContext {
    const AttributedString& string;
    const TEHTMLWriterSettings& settings;
    double textScale = 1.0;
    // A fragment writes inline styles; a document writes classes.
    bool fragment = true;
    HTMLStyleClassTable& styleClasses;
    TEFootnoteCounter& footnotes;
    // Print and ePub output: the notes printed so far, for the list of
    // notes at the end of the document.
    std::vector<TEPrintedNote>* printedNotes = nullptr;
    // The CSS made so far in this write.
    mutable HTMLStyleCache styleCache{};
    // An exported file's attributes as written, each by its element, name
    // and value as given: a document's elements repeat a few hundred of
    // them. The key is made in one buffer kept for the whole write.
    mutable std::unordered_map<std::string, std::string> exportedAttributes{};
    mutable std::string exportedAttributeKey{};
    // How the body's text is finished as it is written, and whether it
    // has had a tab.
    mutable HTMLBodyFinish bodyFinish{};

    // The CSS of a font as a descriptor made back from it writes it, at the
    // document's own size in print; "" without a font.
    const std::string& fontCSS(const Font* font) const;
    // The font CSS of the text's attributes at index ("" past the end or without a font).
    std::string fontCSSAtIndex(std::size_t index) const;
    // On paper, a paragraph spaced at a multiple of single lines spaces
    // each of its lines at that multiple of its tallest font's own line
    // height (ascent, descent and gap), as word processors print it: a
    // "line-height" of the font's text that says so, "" outside print or
    // without a multiple or a font.
    std::string printedLineHeightCSS(const Font* font, double multiple) const;
    // Word processors set the room such a multiple adds below each line,
    // where the page shares it out above and below: the pixels by which
    // the paragraph moves up on paper to print as they do, 0 outside
    // print or without a multiple above one or a font.
    double printedLeadingAbove(const Font* font, double multiple) const;
    // A printed single line of the font in pixels, 0 where no multiple
    // spaces the lines on paper.
    double printedSingleLine(const Font* font, double multiple) const;
    // The printed face's line height to its size, by the font asked for.
    double printedLineRatio(const Font& font) const;
    mutable std::unordered_map<std::string, double> printedLineRatios{};

    // Sets the element's style: inline in a fragment, as a generated class of
    // the element in a document (followed by the words of a class it already has).
    void applyStyle(HTMLAttributeMap& attributes, const std::string& element, const std::string& css) const;
    // ` name="value"` for each attribute of the element, in the form the
    // settings ask for (see HTMLMarkup::appendAttributes).
    void appendAttributes(std::string& html, std::string_view element, const HTMLAttributeMap& attributes) const;
};

// Typed reads of attribute values, tolerant of the number kinds the readers store.
const Font* fontInAttributes(const AttributeDictionary& attributes);
std::optional<double> numberInAttributes(const AttributeDictionary& attributes, std::string_view key);
bool flagInAttributes(const AttributeDictionary& attributes, std::string_view key);
// The same of a value already found (null when absent).
const Font* fontOfValue(const AttributeValue* value);
std::optional<double> numberOfValue(const AttributeValue* value);
bool flagOfValue(const AttributeValue* value);

} // namespace folio
