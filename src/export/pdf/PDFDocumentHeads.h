#pragma once

#include <string_view>

namespace folio {

struct PDFPageSetup;

// The headers and footers other programs wrote that a rich-text document
// keeps beside its settings (DKRTFHeaderFooterForms), as the paragraphs its
// pages print: the group the document's header or footer was read from
// while the settings still show it, and the title pages' own groups, where
// they say more than the settings' one line.
class PDFDocumentHeads {
public:
    PDFDocumentHeads() = delete;

    // Adds the paragraphs to a setup whose settings are already filled in.
    static void addParagraphs(PDFPageSetup& setup, std::string_view keptForms);
};

} // namespace folio
