#pragma once

#include "engine/html/writer/HTMLParagraphStart.h"

#include <optional>

namespace folio {

class AttributeDictionary;

// What the paragraph writer needs of the attributes a paragraph starts
// with, found once for all paragraphs of equal attributes. The lists
// themselves are not kept: they are known by their identity, so each
// paragraph takes them from its own attributes.
struct HTMLParagraphForm {
    explicit HTMLParagraphForm(const AttributeDictionary& attributes);

    bool pageBreak = false;
    // The break is the next paragraph's own, which starts a page.
    bool pageBreakBeforeParagraph = false;
    bool rule = false;
    bool hasLists = false;
    bool isField = false;
    bool isEndOfList = false;
    bool closesAllLists = false;
    bool hasCustomAttributes = false;
    std::optional<double> headerLevel;

    // The start of the paragraph's element where it has no HTML attributes
    // of its own, made on first use. A paragraph of one font writes it on
    // its element, so the two cases are kept apart (indexed by whether the
    // element writes the font).
    std::optional<HTMLParagraphStart> starts[2];
};

} // namespace folio
