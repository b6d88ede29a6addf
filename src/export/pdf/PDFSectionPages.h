#pragma once

#include "engine/model/TESectionBreak.h"
#include "export/pdf/PDFPageSetup.h"
#include "platform/web/PrintedPDFRenderer.h"

#include <string>
#include <vector>

namespace folio {

// The paper each section of a rich-text document prints on. The document's
// page setup is its first section's; every later section starts at a break
// that carries its own settings ("width=16838 height=11906 landscape
// top=1440 ..."), and what a break does not give, the section takes from the
// document: its own page where it differs from the first section's, else the
// first section's.
class PDFSectionPages {
public:
    // Sections printed together, one after the other on the same pages.
    struct Part {
        std::size_t firstSection = 0;
        std::size_t lastSection = 0;
        PDFPageSetup setup;
        PrintedPDFRenderer::FirstPage firstPage = PrintedPDFRenderer::FirstPage::Any;
    };

    PDFSectionPages() = delete;

    // The parts of a document whose section breaks carry `breaks`, in the
    // order of the text. A section that starts without a new page flows on
    // in the part before when its paper and margins are that part's; on
    // other paper it can only start a new page.
    static std::vector<Part> parts(const PDFPageSetup& document, const std::vector<std::u16string>& breaks);

    // The setup of one later section.
    static PDFPageSetup sectionSetup(const PDFPageSetup& first, const TESectionBreak::Settings& documentPage,
                                     const TESectionBreak::Settings& section);
};

} // namespace folio
