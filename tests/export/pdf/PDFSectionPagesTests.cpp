#include "export/pdf/PDFSectionPages.h"

#include <gtest/gtest.h>

#include <set>

namespace folio {
namespace {

using FirstPage = PrintedPDFRenderer::FirstPage;

TEST(PDFSectionPages, laterSectionsTakeTheirOwnPageAndTheDocumentsWhereTheyGiveNone)
{
    // A first section on Letter with an inch all round, in a document whose
    // own paper is A4 with a half-inch top.
    PDFPageSetup document;
    document.pageSize = {612, 792};
    document.margins = {2.54, 2.54, 2.54, 2.54};
    document.sideLeft = document.sideRight = 2.54;
    document.documentWidePage = "width=11906 height=16838 top=720";
    auto parts = PDFSectionPages::parts(document, {u"next-page width=12240 height=15840 landscape left=2880",
                                                   u"odd-page", u"continuous",
                                                   u"continuous width=12240 height=15840 top=15000 bottom=15000",
                                                   u"next-page width=12240 height=15840 top=1440"},
                                        false);
    ASSERT_EQ(parts.size(), 4u);
    // Turned paper is wide whichever way the file gives it.
    const PDFPageSetup& landscape = parts[1].setup;
    EXPECT_EQ(landscape.pageSize, (Size{792, 612}));
    EXPECT_NEAR(landscape.sideLeft, 5.08, 1e-9);
    EXPECT_NEAR(landscape.sideRight, 2.54, 1e-9);
    EXPECT_NEAR(landscape.margins.top, 1.27, 1e-9) << "the document's own top";

    // A section that gives nothing is on the document's paper, and the
    // continuous one after it, on the same page, flows on with it.
    EXPECT_EQ(parts[2].lastSection, 3u);
    EXPECT_NEAR(parts[2].setup.pageSize.width, 595.3, 1e-9);
    EXPECT_EQ(parts[2].firstPage, FirstPage::Odd);
    EXPECT_TRUE(parts[2].newPageSections.empty());
    // A continuous section on other paper starts a page of its own, with
    // the first section's margins where its own leave no room; the next, on
    // that page, starts a new page of the same print.
    EXPECT_EQ(parts[3].firstSection, 4u);
    EXPECT_NEAR(parts[3].setup.margins.top, 2.54, 1e-9);
    EXPECT_EQ(parts[3].newPageSections, (std::vector<std::size_t>{5}));
    EXPECT_EQ(parts[3].firstPage, FirstPage::Any);
}

// A label keeps its narrow margins; on paper too small for any margins
// given, a section prints with none rather than not at all.
TEST(PDFSectionPages, smallPaperKeepsTheMarginsThatFitIt)
{
    PDFPageSetup document;
    document.margins = {2.54, 2.54, 2.54, 2.54};
    document.sideLeft = document.sideRight = 2.54;
    auto parts = PDFSectionPages::parts(document, {u"width=2880 height=1440 top=144 bottom=144 left=144 right=144",
                                                   u"width=1440 height=1440 top=1000 bottom=1000"},
                                        false);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_NEAR(parts[1].setup.margins.top, 0.254, 1e-9);
    EXPECT_NEAR(parts[1].setup.sideLeft, 0.254, 1e-9);
    EXPECT_EQ(parts[2].setup.margins, EdgeInsets{});
    EXPECT_EQ(parts[2].setup.sideLeft, 0);
}

// Each section keeps its columns; under a running header, one whose first
// page differs (a title page, its own header distance) prints on its own.
TEST(PDFSectionPages, columnsHeaderDistancesAndTitlePagesAreTheSections)
{
    PDFPageSetup document;
    document.firstSection = "next-page columns=2";
    const std::vector<std::u16string> breaks{u"next-page columns=3 column-gap=360", u"next-page title-page",
                                             u"continuous header=360", u"next-page header=360 footer=1440"};
    auto plain = PDFSectionPages::parts(document, breaks, false);
    ASSERT_EQ(plain.size(), 1u);
    ASSERT_EQ(plain[0].columns.size(), 5u);
    EXPECT_EQ(plain[0].columns[0].count, 2);
    EXPECT_EQ(plain[0].columns[0].gap, 36) << "half an inch where none is given";
    EXPECT_EQ(plain[0].columns[1].count, 3);
    EXPECT_EQ(plain[0].columns[1].gap, 18);
    EXPECT_EQ(plain[0].columns[2].count, 1);
    EXPECT_FALSE(plain[0].titlePage);

    // The continuous section flows on the title page's part; the last
    // starts a page with heads of its own.
    auto headed = PDFSectionPages::parts(document, breaks, true);
    ASSERT_EQ(headed.size(), 3u);
    EXPECT_EQ(headed[0].lastSection, 1u);
    EXPECT_FALSE(headed[0].titlePage);
    EXPECT_EQ(headed[1].firstSection, 2u);
    EXPECT_EQ(headed[1].lastSection, 3u);
    EXPECT_TRUE(headed[1].titlePage);
    EXPECT_FALSE(headed[1].headerDistance);
    EXPECT_EQ(headed[2].firstSection, 4u);
    EXPECT_EQ(headed[2].headerDistance, 18);
    EXPECT_EQ(headed[2].footerDistance, 72);
    EXPECT_FALSE(headed[2].titlePage);
}

// A section that starts in the next column shares the page of the one
// before, but on other paper, where it can only start a page of its own. The
// document's first section is a title page where the document says so, and
// where there are heads to print on it.
TEST(PDFSectionPages, aNextColumnSectionSharesThePageAndTheFirstSectionMayBeATitlePage)
{
    PDFPageSetup document;
    document.titlePage = true;
    const std::vector<std::u16string> breaks{u"next-column columns=2", u"continuous",
                                             u"next-column width=15840 height=12240"};
    auto parts = PDFSectionPages::parts(document, breaks, true);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_TRUE(parts[0].titlePage);
    EXPECT_EQ(parts[0].lastSection, 2u);
    EXPECT_TRUE(parts[0].newPageSections.empty());
    EXPECT_EQ(parts[0].nextColumnSections, (std::vector<std::size_t>{1}));
    EXPECT_EQ(parts[1].firstSection, 3u);
    EXPECT_FALSE(parts[1].titlePage);
    EXPECT_FALSE(PDFSectionPages::parts(document, breaks, false)[0].titlePage);
}

// On a headed document, a section on a new page whose file's section gives
// running heads of its own starts a part, so that its pages print them; one
// that flows on, or gives none, stays in the part before.
TEST(PDFSectionPages, aSectionWithItsOwnRunningHeadsStartsAPartOnANewPage)
{
    PDFPageSetup document;
    const std::vector<std::u16string> breaks{u"next-page file-section=1", u"next-page file-section=2",
                                             u"continuous file-section=3", u"next-page file-section=4"};
    auto ownHeads = [](std::size_t fileSection) { return fileSection == 2 || fileSection == 3; };
    auto parts = PDFSectionPages::parts(document, breaks, true, ownHeads);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].lastSection, 1u);
    EXPECT_EQ(parts[1].firstSection, 2u);
    EXPECT_EQ(parts[1].lastSection, 4u);
    EXPECT_EQ(parts[1].newPageSections, (std::vector<std::size_t>{4}));
    EXPECT_EQ(PDFSectionPages::parts(document, breaks, false, ownHeads).size(), 1u) << "nothing to print";
}

// A section that flows on with running heads of its own is left to the
// printed part to place: each page prints the heads of the section it
// begins in, that is of the last whose section before ends on an earlier
// page.
TEST(PDFSectionPages, aPageBeginsInTheSectionWhoseSectionBeforeEndedOnAnEarlierPage)
{
    PDFPageSetup document;
    const std::vector<std::u16string> breaks{u"continuous file-section=1", u"continuous file-section=2",
                                             u"next-column file-section=3", u"continuous file-section=4"};
    auto ownHeads = [](std::size_t fileSection) { return fileSection != 2; };
    auto parts = PDFSectionPages::parts(document, breaks, true, ownHeads);
    ASSERT_EQ(parts.size(), 1u);
    const PDFSectionPages::Part& part = parts[0];
    ASSERT_EQ(part.ownHeadsSections, (std::vector<std::size_t>{1, 3, 4}));
    EXPECT_TRUE(PDFSectionPages::parts(document, breaks, false, ownHeads)[0].ownHeadsSections.empty());

    // Section 0 ends on the first page, section 2 at the foot of the third,
    // section 3 on the fourth page too.
    const std::vector<std::size_t> ends{0, 2, 3};
    const std::vector<std::size_t> expected{0, 1, 1, 3, 4, 4};
    for (std::size_t page = 0; page < expected.size(); ++page)
        EXPECT_EQ(PDFSectionPages::headsSectionOfPage(part, ends, page), expected[page]) << page;
    // Marks the print lost leave every page the part's first section's.
    EXPECT_EQ(PDFSectionPages::headsSectionOfPage(part, {0, 2}, 5), 0u);
}

// Sections known by the file's section their break was read as: the third
// of a file whose second break was deleted prints its own title heads at
// the second place, and a section that gives none, or a break of Folio's
// own, the last ones before it on the page.
TEST(PDFSectionPages, titlePageHeadsFollowTheFilesSectionNotThePlace)
{
    const std::set<std::size_t> own{1, 3};
    auto hasOwn = [&](std::size_t section) { return own.contains(section); };
    const std::vector<std::optional<int>> deletedSecond{1, 3, 4};
    EXPECT_EQ(PDFSectionPages::headsSection(deletedSecond, 0, hasOwn), std::nullopt);
    EXPECT_EQ(PDFSectionPages::headsSection(deletedSecond, 1, hasOwn), 1u);
    EXPECT_EQ(PDFSectionPages::headsSection(deletedSecond, 2, hasOwn), 3u);
    EXPECT_EQ(PDFSectionPages::headsSection(deletedSecond, 3, hasOwn), 3u);
    const std::vector<std::optional<int>> addedFirst{std::nullopt, 2, 3};
    EXPECT_EQ(PDFSectionPages::headsSection(addedFirst, 1, hasOwn), std::nullopt);
    EXPECT_EQ(PDFSectionPages::headsSection(addedFirst, 2, hasOwn), std::nullopt);
    EXPECT_EQ(PDFSectionPages::headsSection(addedFirst, 3, hasOwn), 3u);
    // A place past the breaks the page gave counts from the last of them.
    EXPECT_EQ(PDFSectionPages::headsSection(deletedSecond, 9, hasOwn), 3u);
}

} // namespace
} // namespace folio
