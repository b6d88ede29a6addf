#include "export/pdf/PDFSectionPages.h"

#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <utility>

namespace folio {

namespace {

constexpr double kPointsPerTwip = 1.0 / 20;
constexpr double kCentimetresPerTwip = 2.54 / 1440;
constexpr double kSectionPointsPerCentimetre = 72 / 2.54;
// Margins that leave less than an inch of the paper either way (a quarter of
// paper smaller than four inches, such as a label's) are taken for damage.
constexpr double kLeastPrintedLength = 72;
// Half an inch between columns, where a file gives no gap, as word
// processors take it.
constexpr double kDefaultColumnGap = 36;

const std::optional<int>& given(const std::optional<int>& section, const std::optional<int>& document)
{
    return section ? section : document;
}

bool leavesRoom(const PDFPageSetup& setup)
{
    const Size& paper = setup.pageSize;
    return paper.width - (setup.sideLeft + setup.sideRight) * kSectionPointsPerCentimetre
        >= std::min(kLeastPrintedLength, paper.width / 4)
        && paper.height - (setup.margins.top + setup.margins.bottom) * kSectionPointsPerCentimetre
        >= std::min(kLeastPrintedLength, paper.height / 4);
}

bool samePage(const PDFPageSetup& a, const PDFPageSetup& b)
{
    return a.pageSize == b.pageSize && a.margins.top == b.margins.top && a.margins.bottom == b.margins.bottom
        && a.sideLeft == b.sideLeft && a.sideRight == b.sideRight;
}

PrintedPDFRenderer::FirstPage firstPageFor(TESectionBreak::Start start)
{
    switch (start) {
    case TESectionBreak::Start::OddPage:
        return PrintedPDFRenderer::FirstPage::Odd;
    case TESectionBreak::Start::EvenPage:
        return PrintedPDFRenderer::FirstPage::Even;
    default:
        return PrintedPDFRenderer::FirstPage::Any;
    }
}

PDFSectionPages::Columns columnsOf(const TESectionBreak::Settings& section)
{
    return {section.columns.value_or(1),
            section.columnSpacing ? *section.columnSpacing * kPointsPerTwip : kDefaultColumnGap};
}

std::optional<double> points(const std::optional<int>& twips)
{
    return twips ? std::optional<double>(*twips * kPointsPerTwip) : std::nullopt;
}

} // namespace

PDFPageSetup PDFSectionPages::sectionSetup(const PDFPageSetup& first, const TESectionBreak::Settings& documentPage,
                                           const TESectionBreak::Settings& section)
{
    PDFPageSetup setup = first;
    if (const std::optional<int>& width = given(section.paperWidth, documentPage.paperWidth))
        setup.pageSize.width = *width * kPointsPerTwip;
    if (const std::optional<int>& height = given(section.paperHeight, documentPage.paperHeight))
        setup.pageSize.height = *height * kPointsPerTwip;
    // Turned paper is wider than it is high, whichever way round a file gives
    // its sizes.
    if (section.landscape && setup.pageSize.width < setup.pageSize.height)
        std::swap(setup.pageSize.width, setup.pageSize.height);

    if (const std::optional<int>& top = given(section.topMargin, documentPage.topMargin))
        setup.margins.top = *top * kCentimetresPerTwip;
    if (const std::optional<int>& bottom = given(section.bottomMargin, documentPage.bottomMargin))
        setup.margins.bottom = *bottom * kCentimetresPerTwip;
    // The side margins lie inside the page, where the header and footer
    // stand too.
    if (const std::optional<int>& left = given(section.leftMargin, documentPage.leftMargin))
        setup.margins.left = setup.sideLeft = *left * kCentimetresPerTwip;
    if (const std::optional<int>& right = given(section.rightMargin, documentPage.rightMargin))
        setup.margins.right = setup.sideRight = *right * kCentimetresPerTwip;
    // Damaged margins give way to the first section's, and those, where they
    // do not fit the section's paper either, to none.
    if (!leavesRoom(setup)) {
        setup.margins = first.margins;
        setup.sideLeft = first.sideLeft;
        setup.sideRight = first.sideRight;
    }
    if (!leavesRoom(setup)) {
        setup.margins = {};
        setup.sideLeft = setup.sideRight = 0;
    }
    return setup;
}

std::vector<PDFSectionPages::Part> PDFSectionPages::parts(const PDFPageSetup& document,
                                                           const std::vector<std::u16string>& breaks, bool headed,
                                                           const std::function<bool(std::size_t)>& ownRunningHeads)
{
    const TESectionBreak::Settings documentPage =
        TESectionBreak::settingsFromAttributeText(toUtf16(document.documentWidePage.value_or(std::string())));
    const TESectionBreak::Settings firstSection =
        TESectionBreak::settingsFromAttributeText(toUtf16(document.firstSection.value_or(std::string())));
    Part opening;
    opening.setup = document;
    opening.columns = {columnsOf(firstSection)};
    opening.titlePage = headed && document.titlePage;
    std::vector<Part> parts{std::move(opening)};
    for (std::size_t index = 0; index < breaks.size(); ++index) {
        const std::size_t section = index + 1;
        const TESectionBreak::Settings settings = TESectionBreak::settingsFromAttributeText(breaks[index]);
        PDFPageSetup setup = sectionSetup(document, documentPage, settings);
        const std::optional<double> header = points(settings.headerDistance);
        const std::optional<double> footer = points(settings.footerDistance);
        // A section that starts in the next column shares the page of the
        // section before, in its columns or below its one.
        const bool newPage = settings.start == TESectionBreak::Start::NextPage;
        const bool nextColumn = settings.start == TESectionBreak::Start::NextColumn;
        // Only the header of a page the section starts is its own: one that
        // flows on shares the page of the section before.
        const bool givesRunningHeads = settings.fileSection && *settings.fileSection > 0 && ownRunningHeads
            && ownRunningHeads(static_cast<std::size_t>(*settings.fileSection));
        const bool ownHeads = headed && newPage
            && (settings.titlePage || givesRunningHeads || header != parts.back().headerDistance
                || footer != parts.back().footerDistance);
        if ((settings.start == TESectionBreak::Start::Continuous || newPage || nextColumn) && !ownHeads
            && samePage(parts.back().setup, setup)) {
            parts.back().lastSection = section;
            parts.back().columns.push_back(columnsOf(settings));
            if (newPage)
                parts.back().newPageSections.push_back(section);
            if (nextColumn)
                parts.back().nextColumnSections.push_back(section);
            if (headed && givesRunningHeads && !newPage)
                parts.back().ownHeadsSections.push_back(section);
            continue;
        }
        parts.push_back(Part{section, section, {}, {}, std::move(setup), firstPageFor(settings.start),
                             {columnsOf(settings)}, header, footer, headed && settings.titlePage, {}});
    }
    return parts;
}

std::size_t PDFSectionPages::headsSectionOfPage(const Part& part, const std::vector<std::size_t>& sectionEnds,
                                                std::size_t page)
{
    if (sectionEnds.size() != part.ownHeadsSections.size())
        return part.firstSection;
    std::size_t section = part.firstSection;
    for (std::size_t index = 0; index < sectionEnds.size(); ++index) {
        if (sectionEnds[index] < page)
            section = part.ownHeadsSections[index];
    }
    return section;
}

std::optional<std::size_t> PDFSectionPages::headsSection(const std::vector<std::optional<int>>& fileSections,
                                                              std::size_t section,
                                                              const std::function<bool(std::size_t)>& hasOwn)
{
    for (std::size_t place = std::min(section, fileSections.size()); place > 0; --place) {
        const std::optional<int>& read = fileSections[place - 1];
        if (read && hasOwn(static_cast<std::size_t>(*read)))
            return static_cast<std::size_t>(*read);
    }
    return std::nullopt;
}

} // namespace folio
