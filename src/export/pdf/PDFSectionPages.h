#pragma once

#include "engine/model/TESectionBreak.h"
#include "export/pdf/PDFColumns.h"
#include "export/pdf/PDFPageSetup.h"
#include "platform/web/PrintedPDFRenderer.h"

#include <functional>
#include <optional>
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
    using Columns = PDFColumns;

    // Sections printed together on the same paper and margins.
    struct Part {
        std::size_t firstSection = 0;
        std::size_t lastSection = 0;
        // The sections after the first that start on a new page, and those
        // that start in the next column of the section before where it has
        // columns; the others flow on where the section before ends.
        std::vector<std::size_t> newPageSections;
        std::vector<std::size_t> nextColumnSections;
        PDFPageSetup setup;
        PrintedPDFRenderer::FirstPage firstPage = PrintedPDFRenderer::FirstPage::Any;
        // The columns of each section of the part, first to last.
        std::vector<Columns> columns;
        // Points from the paper's edge to the header and the footer where
        // the part's first section gives its own, else the document's.
        std::optional<double> headerDistance;
        std::optional<double> footerDistance;
        // The part's first page is its first section's title page, which
        // prints the title page's own header and footer, or none.
        bool titlePage = false;
        // The later sections of the part that flow on from the section
        // before and give running heads of their own: which pages begin in
        // them is known only once the part is printed.
        std::vector<std::size_t> ownHeadsSections;
    };

    PDFSectionPages() = delete;

    // The parts of a document whose section breaks carry `breaks`, in the
    // order of the text. A section on the paper and margins of the part
    // before goes on in it, on a new page or flowing on as its break says;
    // one on other paper, or that must start on an odd or even page, starts
    // a part of its own (a section that would flow on can then only start
    // a new page). On a document with a header or footer (`headed`), a
    // section on a new page with a title page or other header or footer
    // distances starts a part of its own too, so that its first page is
    // known, and so does one on a new page whose file's section
    // (`fileSection`) gives running heads of its own (`ownRunningHeads`);
    // the document's first section is a title page as `document` says.
    static std::vector<Part> parts(const PDFPageSetup& document, const std::vector<std::u16string>& breaks,
                                   bool headed, const std::function<bool(std::size_t)>& ownRunningHeads = {});

    // The file's section whose header or footer of one form (the title
    // page's, the running one) the `section`-th section (0 the first)
    // prints: its own, where `hasOwn` says the file's section its break was
    // read as gave one, else that of the last section before it on the page
    // that did; nothing for the document's. `fileSections` are the breaks' (`fileSection`), in the
    // order of the text: deleted or added breaks change a section's place,
    // never its heads.
    static std::optional<std::size_t> headsSection(const std::vector<std::optional<int>>& fileSections,
                                                        std::size_t section,
                                                        const std::function<bool(std::size_t)>& hasOwn);

    // The section whose running heads the printed page `page` (0 the
    // part's first) of `part` prints: the one the page begins in, as far as
    // the heads go. `sectionEnds` holds, for each of the part's
    // ownHeadsSections, the printed page on which the section before it
    // ends; a page after that one begins in it. Without one for each, every
    // page prints the part's first section's.
    static std::size_t headsSectionOfPage(const Part& part, const std::vector<std::size_t>& sectionEnds,
                                          std::size_t page);

    // The setup of one later section.
    static PDFPageSetup sectionSetup(const PDFPageSetup& first, const TESectionBreak::Settings& documentPage,
                                     const TESectionBreak::Settings& section);
};

} // namespace folio
