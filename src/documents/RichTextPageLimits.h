#pragma once

#include <string>
#include <vector>

namespace folio {

class AttributedString;

// What of a read rich text the editing page cannot carry back to the file.
// The page holds the document as HTML, and what the HTML writer has no markup
// for comes back from the page as something else: a table comes back as
// tab-separated lines. A document holding such a construct must not be
// edited, or its next save would write it without.
//
// Formatting that only changes its look on the way (a double or dotted
// underline coming back single) is not counted: the text and its structure
// survive.
class RichTextPageLimits {
public:
    // The constructs found, by name ("tables"), each once and in a fixed
    // order; empty when the page can hold the whole text.
    static std::vector<std::string> constructsThePageCannotHold(const AttributedString& text);
};

} // namespace folio
