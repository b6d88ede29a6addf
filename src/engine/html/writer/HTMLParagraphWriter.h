#pragma once

#include "engine/html/writer/HTMLListTagWriter.h"
#include "engine/html/writer/HTMLParagraphForm.h"
#include "engine/html/writer/HTMLWriterContext.h"
#include "platform/foundation/Range.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace folio {

class HTMLRunWriter;

// Writes the text paragraph by paragraph: page breaks, rules, empty lines,
// headings and ordinary paragraphs, and the list items with the ul and ol
// elements around them. Lists arrive as the RTF reader leaves them: each item
// paragraph carries its list (under "TEIsList") on a prefix placeholder
// marked as a field, and the paragraphs where lists end carry end markers.
class HTMLParagraphWriter {
public:
    HTMLParagraphWriter(const HTMLWriterContext& context, std::string paragraphTagName);

    // `paragraph` excludes its terminator; the last paragraph of the text is
    // the one after the last line break.
    void writeParagraph(std::string& html, Range paragraph, bool isLastParagraph);
    // The font of the paragraph's end where its last text has another one,
    // as CSS; empty where they agree or nothing keeps it.
    std::string endMarkFontCSS(Range paragraph) const;

    // Closes the lists still open after the last paragraph, innermost first.
    void closeOpenLists(std::string& html);

private:
    using ListStack = std::vector<AttributeValuePtr>;

    struct ParagraphFacts;

    void writeBreakOrRule(std::string& html, const HTMLParagraphForm& form, Range paragraph, bool isLastParagraph);
    // The CSS of the paragraph's element.
    std::string elementCSS(ParagraphFacts& facts) const;
    // Opens the lists an item starts, and notes where its first line and
    // sign stand.
    void openItemLists(std::string& html, ParagraphFacts& facts);
    // A paragraph without text: a line of its own that keeps its looks.
    void writeEmptyParagraph(std::string& html, ParagraphFacts& facts);
    // Writes the element's start tag; answers the element's attributes,
    // `ownAttributes` where the start is the paragraph's own.
    const HTMLAttributeMap& writeStartTag(std::string& html, ParagraphFacts& facts, const std::string& element,
                                          HTMLAttributeMap& ownAttributes);
    // What follows the paragraph's runs: a rule or a break that ends it,
    // and the element's end.
    void writeParagraphEnd(std::string& html, ParagraphFacts& facts, HTMLRunWriter& runs, const std::string& element);

    // The words or sign an item of `currentList` starts with, where its list
    // does not draw them: the file's own words, or in print its plain number
    // or bullet (`printsLabel`) or the sign `printedStart` sets at the edge.
    // `itemHang` is how far the item's first line hangs, in page pixels.
    void writeItemLabel(std::string& html, const AttributeValue* currentList, double itemHang, bool printsLabel,
                        const std::optional<HTMLPrintedItemStart>& printedStart);
    void closeLists(std::string& html, const AttributeValue* currentList, bool closeAll);
    // The closing tag of the innermost list element open.
    std::string closingTag(const AttributeValue* list);
    // How a list opened here goes on from its part before, if it comes back
    // after other paragraphs.
    HTMLListContinuation continuationOf(const AttributeValue* list);
    // Notes the lists that come back after other paragraphs, once.
    void findReturningLists();

    const HTMLWriterContext& m_context;
    std::string m_paragraphTagName;
    // The lists of the last paragraph written as an element; none before the
    // first one and after a paragraph outside every list.
    std::optional<ListStack> m_openLists;
    // How many list elements are open; items of a nested list carry only
    // their own list, so this count is what knows about the lists around it.
    int m_openedLevels = 0;
    // The number of the next item of each open list level, for markers
    // written as text.
    std::vector<std::int64_t> m_itemNumbers;
    // The list elements open, innermost last, and the indent each was
    // opened at.
    std::vector<std::string_view> m_openElements;
    std::vector<double> m_openIndents;
    // The lists that come back after other paragraphs (as Word numbers on a
    // list that has text between its items), each with the number of its
    // parts and the number of its next outermost item.
    struct ReturningList {
        std::int64_t identity = 0;
        std::int64_t nextNumber = 0;
    };
    std::optional<std::unordered_map<const AttributeValue*, ReturningList>> m_returningLists;
    // Paragraphs are written in text order: each is found from the last.
    AttributedString::RunCursor m_cursor;
};

} // namespace folio
