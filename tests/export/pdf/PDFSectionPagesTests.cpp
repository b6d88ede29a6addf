#include "export/pdf/PDFSectionPages.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using FirstPage = PrintedPDFRenderer::FirstPage;

// Letter with an inch all round, as a word processor's first section.
PDFPageSetup letterDocument()
{
    PDFPageSetup setup;
    setup.pageSize = {612, 792};
    setup.margins = {2.54, 2.54, 2.54, 2.54};
    setup.sideLeft = setup.sideRight = 2.54;
    return setup;
}

TEST(PDFSectionPages, laterSectionsTakeTheirOwnPageAndTheDocumentsWhereTheyGiveNone)
{
    PDFPageSetup document = letterDocument();
    // The document's own paper is A4 with a half-inch top, which its first
    // section does not use.
    document.documentWidePage = "width=11906 height=16838 top=720";
    auto parts = PDFSectionPages::parts(document, {u"next-page width=16838 height=11906 landscape left=2880 right=720",
                                                   u"odd-page", u"continuous", u"continuous width=12240 height=15840",
                                                   u"next-page width=12240 height=15840"});
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0].setup.pageSize, (Size{612, 792}));
    EXPECT_EQ(parts[0].firstPage, FirstPage::Any);

    const PDFPageSetup& landscape = parts[1].setup;
    EXPECT_NEAR(landscape.pageSize.width, 841.9, 1e-9);
    EXPECT_NEAR(landscape.pageSize.height, 595.3, 1e-9);
    EXPECT_NEAR(landscape.sideLeft, 5.08, 1e-9);
    EXPECT_NEAR(landscape.sideRight, 1.27, 1e-9);
    EXPECT_NEAR(landscape.margins.top, 1.27, 1e-9) << "the document's own top";
    EXPECT_NEAR(landscape.margins.bottom, 2.54, 1e-9) << "the first section's bottom";

    // A section that gives nothing is on the document's paper, and the
    // continuous one after it, on the same page, flows on with it.
    EXPECT_EQ(parts[2].firstSection, 2u);
    EXPECT_EQ(parts[2].lastSection, 3u);
    EXPECT_NEAR(parts[2].setup.pageSize.width, 595.3, 1e-9);
    EXPECT_NEAR(parts[2].setup.sideLeft, 2.54, 1e-9);
    EXPECT_TRUE(parts[2].newPageSections.empty());
    EXPECT_EQ(parts[2].firstPage, FirstPage::Odd);
    // A continuous section on other paper can only start a page of its own;
    // the next one, on that paper, starts a new page of the same print.
    EXPECT_EQ(parts[3].firstSection, 4u);
    EXPECT_EQ(parts[3].lastSection, 5u);
    EXPECT_EQ(parts[3].newPageSections, (std::vector<std::size_t>{5}));
    EXPECT_EQ(parts[3].setup.pageSize, (Size{612, 792}));
    EXPECT_EQ(parts[3].firstPage, FirstPage::Any);
}

TEST(PDFSectionPages, turnedPaperIsWideAndMarginsWithoutRoomAreTheFirstSections)
{
    const PDFPageSetup document = letterDocument();
    auto parts = PDFSectionPages::parts(document, {u"even-page landscape", u"next-page top=8000 bottom=8000 left=300"});
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[1].setup.pageSize, (Size{792, 612}));
    EXPECT_EQ(parts[1].firstPage, FirstPage::Even);
    // Margins that leave less than an inch of Letter paper are damage.
    EXPECT_EQ(parts[2].setup.margins.top, 2.54);
    EXPECT_EQ(parts[2].setup.margins.bottom, 2.54);
    EXPECT_EQ(parts[2].setup.sideLeft, 2.54);
}

} // namespace
} // namespace folio
