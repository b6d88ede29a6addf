#pragma once

#include <string_view>

namespace folio {

struct PDFPageSetup;

// The headers and footers other programs wrote that a rich-text document
// keeps beside its settings (DKRTFHeaderFooterForms), as the paragraphs its
// pages print: the group the document's header or footer was read from
// while the settings still show it, the title pages' own groups, and the
// left pages' own where the document has facing pages. A group a file of
// ours wrote from its own settings, for other programs, is left to them.
class PDFDocumentHeads {
public:
    PDFDocumentHeads() = delete;

    // Adds the paragraphs, and the left pages' heads, to a setup whose
    // settings are already filled in.
    static void addParagraphs(PDFPageSetup& setup, std::string_view keptForms);
};

} // namespace folio
