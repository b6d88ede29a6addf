#include "export/pdf/PDFHeaderFooterDrawer.h"
#include "export/pdf/PDFHeaderFooterParagraphs.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/GraphicsContext.h"
#include "export/pdf/PageHeaderFooterSettings.h"
#include "platform/web/PrintedPDFRenderer.h"

#include "support/DocumentTestSupport.h"
#include "export/pdf/HTMLToPDFTestSupport.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using namespace testing_support;

PageHeaderFooter headerFooter(std::u16string text, double distance, TextAlignment alignment)
{
    PageHeaderFooter record;
    record.enabled = true;
    record.fontName = "DejaVu Sans";
    record.fontSize = 10;
    record.color = "black";
    record.alignment = alignment;
    record.distanceFromEdge = distance;
    record.textTemplate = std::move(text);
    return record;
}

class HTMLToPDFPages : public testing::Test {
protected:
    void render(int pages, const PageHeaderFooter& header, const PageHeaderFooter& footer, double left = 0,
                double right = 0)
    {
        writePrintedPDF(m_folder.path("printed.pdf"), pages, m_size);
        Status status = PrintedPDFRenderer::renderToFile(
            m_folder.path("printed.pdf"), m_folder.path("out.pdf"),
            [&](GraphicsContext& page, const Size& size, std::size_t index, std::size_t count) {
                m_calls.emplace_back(index, count);
                PDFHeaderFooterDrawer::drawPage(page, index, count, size, header, footer, left, right);
            });
        ASSERT_TRUE(status.ok()) << status.error().message;
    }

    ScratchFolder m_folder{"html-to-pdf-pages"};
    Size m_size{612, 792};
    std::vector<std::pair<std::size_t, std::size_t>> m_calls;
};

TEST_F(HTMLToPDFPages, HeaderAndFooterOnEveryPageWithPageNumbers)
{
    render(3, headerFooter(u"Head [pagenumber]/[totalpages]", 36, TextAlignment::Left),
           headerFooter(u"Foot Page [pagenumber] of [totalpages]", 36, TextAlignment::Left));
    std::string out = m_folder.path("out.pdf");
    ASSERT_EQ(pdfPageCount(out), 3);
    EXPECT_EQ(pdfPageSize(out), "612 x 792");
    ASSERT_EQ(m_calls.size(), 3u);
    EXPECT_EQ(m_calls[2], (std::pair<std::size_t, std::size_t>(2, 3)));
    for (int page = 1; page <= 3; ++page) {
        std::string text = pdfText(out, page);
        std::string number = std::to_string(page);
        EXPECT_NE(text.find("Head " + number + "/3"), std::string::npos) << text;
        EXPECT_NE(text.find("Foot Page " + number + " of 3"), std::string::npos) << text;
        EXPECT_NE(text.find("Body" + number), std::string::npos) << text;
    }
    auto words = pdfWords(out, 2);
    const PDFWord* head = findWord(words, "Head");
    const PDFWord* foot = findWord(words, "Foot");
    const PDFWord* body = findWord(words, "Body2");
    ASSERT_TRUE(head && foot && body);
    // The header's box starts 36 points below the top edge; the footer sits
    // centred on the line 36 points above the bottom edge.
    EXPECT_NEAR(head->yMin, 36, 4);
    EXPECT_NEAR((foot->yMin + foot->yMax) / 2, 792 - 36, 4);
    EXPECT_NEAR(head->xMin, 0, 2);
}

TEST_F(HTMLToPDFPages, SideMarginsAndAlignmentPlaceTheText)
{
    // Side margins in centimetres scaled by 30: the box runs from 60 to 612 - 60.
    render(1, headerFooter(u"Left", 20, TextAlignment::Left), headerFooter(u"Right", 20, TextAlignment::Right), 2, 2);
    auto words = pdfWords(m_folder.path("out.pdf"), 1);
    const PDFWord* left = findWord(words, "Left");
    const PDFWord* right = findWord(words, "Right");
    ASSERT_TRUE(left && right);
    EXPECT_NEAR(left->xMin, 60, 2);
    EXPECT_NEAR(right->xMax, 552, 3);
}

TEST_F(HTMLToPDFPages, DisabledHeaderAndFooterDrawNothing)
{
    PageHeaderFooter off = headerFooter(u"Hidden words", 36, TextAlignment::Left);
    off.enabled = false;
    render(2, off, off);
    std::string text = pdfText(m_folder.path("out.pdf"), 1) + pdfText(m_folder.path("out.pdf"), 2);
    EXPECT_EQ(text.find("Hidden"), std::string::npos);
    EXPECT_NE(text.find("Body2"), std::string::npos);
}

// Another program's header and footer print paragraph by paragraph in the
// page's text column: the tab stops where the file set them, each
// paragraph on lines of its own, the numbers each page's.
TEST_F(HTMLToPDFPages, ParagraphHeadsPrintLineByLineWithTheirTabStopsInTheTextColumn)
{
    auto paragraphs = [](std::string_view body) {
        Result<DKRTFReadResult> read =
            DKRTFReader::read(toUtf16("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}" + std::string(body) + "}"));
        return read ? PDFHeaderFooterParagraphs::fromText(read->text) : nullptr;
    };
    PageHeaderFooter header = headerFooter(u"", 36, TextAlignment::Left);
    header.paragraphs = paragraphs("\\pard\\tqc\\tx4680\\tqr\\tx9360\\f0\\fs20 Alpha\\tab Centre\\tab Sheet [pagenumber]\\par"
                                   "\\pard\\qc\\f0\\fs20 Second line\\par"
                                   "\\pard\\tqdec\\tx2880\\f0\\fs20 Total\\tab 1234.50\\par");
    PageHeaderFooter footer = headerFooter(u"", 36, TextAlignment::Left);
    footer.paragraphs = paragraphs("\\pard\\qr\\f0\\fs16 Foot [pagenumber] of [totalpages]\\par\\pard\\f0\\fs16 Last\\par");
    ASSERT_TRUE(header.paragraphs && footer.paragraphs);
    // Side margins of an inch: the text column runs from 72 to 540.
    render(2, header, footer, 2.54, 2.54);
    const std::string out = m_folder.path("out.pdf");
    for (int page = 1; page <= 2; ++page) {
        auto words = pdfWords(out, page);
        const PDFWord* alpha = findWord(words, "Alpha");
        const PDFWord* centre = findWord(words, "Centre");
        const PDFWord* number = findWord(words, std::to_string(page));
        const PDFWord* second = findWord(words, "Second");
        const PDFWord* line = findWord(words, "line");
        ASSERT_TRUE(alpha && centre && number && second && line) << pdfText(out, page);
        EXPECT_NEAR(alpha->yMin, 36, 4);
        EXPECT_NEAR(alpha->xMin, 72, 2);
        EXPECT_NEAR((centre->xMin + centre->xMax) / 2, 72 + 234, 2) << "centred on its stop";
        EXPECT_NEAR(number->xMax, 540, 2) << "right-aligned on the stop at the margin";
        EXPECT_NEAR(number->yMin, alpha->yMin, 1) << "on the first line";
        EXPECT_GE(second->yMin, alpha->yMax - 1) << "the second paragraph on a line of its own";
        EXPECT_NEAR((second->xMin + line->xMax) / 2, 306, 2);
        const PDFWord* amount = findWord(words, "1234.50");
        ASSERT_TRUE(amount) << pdfText(out, page);
        EXPECT_GE(amount->yMin, second->yMax - 1);
        // Its decimal point on the stop, two inches in: four digits before it, two after.
        EXPECT_NEAR(amount->xMin + (amount->xMax - amount->xMin) * 4.5 / 7, 72 + 144, 3);

        const PDFWord* foot = findWord(words, "Foot");
        const PDFWord* count = findWord(words, "2");
        const PDFWord* last = findWord(words, "Last");
        ASSERT_TRUE(foot && count && last) << pdfText(out, page);
        EXPECT_NEAR(last->yMax, 792 - 36, 3) << "the footer's last line ends at its distance";
        EXPECT_NEAR(last->xMin, 72, 2);
        EXPECT_LE(foot->yMax, last->yMin + 1);
        EXPECT_NE(pdfText(out, page).find("Foot " + std::to_string(page) + " of 2"), std::string::npos);
    }
}

// A print's body moves clear of a header or footer that reaches past its
// margin, to right below the header's last line and above the footer's
// first as they print, and no further than leaves the body an inch.
TEST_F(HTMLToPDFPages, PrintMarginsMoveClearOfTallHeadsAndLeaveTheBodyRoom)
{
    auto paragraphs = [](const std::string& lines) {
        Result<DKRTFReadResult> read =
            DKRTFReader::read(toUtf16("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\pard\\f0\\fs20 " + lines + "}"));
        return read ? PDFHeaderFooterParagraphs::fromText(read->text) : nullptr;
    };
    PageHeaderFooter header = headerFooter(u"", 36, TextAlignment::Left);
    header.paragraphs = paragraphs("Top one\\par Top two\\par Top three\\par");
    PageHeaderFooter footer = headerFooter(u"", 36, TextAlignment::Left);
    footer.paragraphs = paragraphs("Low one\\par Low two\\par Low three\\par");
    ASSERT_TRUE(header.paragraphs && footer.paragraphs);
    render(1, header, footer, 2.54, 2.54);
    const std::string out = m_folder.path("out.pdf");
    const std::vector<PDFWord> words = pdfWords(out, 1);
    const PDFWord* topThree = nullptr;
    const PDFWord* lowOne = nullptr;
    for (const PDFWord& word : words) {
        if (word.text == "three" && word.yMin < 396)
            topThree = &word;
        if (word.text == "one" && word.yMin > 396)
            lowOne = &word;
    }
    ASSERT_TRUE(topThree && lowOne) << pdfText(out, 1);

    Result<std::unique_ptr<GraphicsContext>> measure = GraphicsContext::imageContext({1, 1});
    ASSERT_TRUE(measure.ok());
    const EdgeInsets margins{50, 0, 50, 0};
    const EdgeInsets clear =
        PDFHeaderFooterDrawer::marginsClearOfHeads(**measure, margins, m_size, {header}, {footer}, 2.54, 2.54);
    EXPECT_GE(clear.top, topThree->yMax);
    EXPECT_LT(clear.top, topThree->yMax + 6) << "right below the header";
    EXPECT_GE(clear.bottom, 792 - lowOne->yMin);
    EXPECT_LT(clear.bottom, 792 - lowOne->yMin + 6) << "right above the footer";

    // Heads within the margins, and switched-off ones, leave them as they are.
    PageHeaderFooter shortHead = headerFooter(u"One line [pagenumber]", 20, TextAlignment::Right);
    PageHeaderFooter off = footer;
    off.enabled = false;
    EXPECT_EQ(PDFHeaderFooterDrawer::marginsClearOfHeads(**measure, margins, m_size, {shortHead}, {off}, 2, 2),
              margins);

    // A header of forty lines (which takes half the page at most) and a
    // footer of twenty-five would leave the body nothing: what the heads
    // add shrinks to leave it an inch.
    auto lines = [](int count) {
        std::string text;
        for (int line = 0; line < count; ++line)
            text += "Line\\par ";
        return text;
    };
    PageHeaderFooter huge = headerFooter(u"", 36, TextAlignment::Left);
    huge.paragraphs = paragraphs(lines(40));
    PageHeaderFooter tall = headerFooter(u"", 36, TextAlignment::Left);
    tall.paragraphs = paragraphs(lines(25));
    const EdgeInsets room =
        PDFHeaderFooterDrawer::marginsClearOfHeads(**measure, margins, m_size, {huge}, {tall}, 2.54, 2.54);
    EXPECT_NEAR(792 - room.top - room.bottom, 72, 0.5);
    EXPECT_GT(room.top, room.bottom) << "the larger head keeps the larger share";
}

// A page range keeps exactly the pages asked for; one past the print's end
// is blank, and a range that names none of the print is refused.
TEST_F(HTMLToPDFPages, PageRangeKeepsOnlyThePagesAskedFor)
{
    writePrintedPDF(m_folder.path("printed.pdf"), 3, m_size);
    std::string out = m_folder.path("out.pdf");
    ASSERT_TRUE(PrintedPDFRenderer::renderPageRangeToFile(m_folder.path("printed.pdf"), out, Range{1, 2}).ok());
    EXPECT_EQ(pdfPageCount(out), 2);
    EXPECT_NE(pdfText(out, 1).find("Body2"), std::string::npos);
    EXPECT_NE(pdfText(out, 2).find("Body3"), std::string::npos);
    EXPECT_EQ((pdfText(out, 1) + pdfText(out, 2)).find("Body1"), std::string::npos);

    ASSERT_TRUE(PrintedPDFRenderer::renderPageRangeToFile(m_folder.path("printed.pdf"), out, Range{2, 2}).ok());
    EXPECT_EQ(pdfPageCount(out), 2);
    EXPECT_EQ(pdfPageSize(out), "612 x 792");
    EXPECT_NE(pdfText(out, 1).find("Body3"), std::string::npos);
    EXPECT_EQ(pdfText(out, 2).find("Body"), std::string::npos) << "a page the print lacks is blank";

    writeFile(out, "old");
    for (Range refused : {Range{3, 1}, Range{0, 0}, Range{NotFound, 2}}) {
        Status status = PrintedPDFRenderer::renderPageRangeToFile(m_folder.path("printed.pdf"), out, refused);
        EXPECT_FALSE(status.ok()) << refused.location;
        EXPECT_EQ(status.error().code, PrintedPDFRenderer::NoPages);
    }
    EXPECT_EQ(readFile(out), "old");
}

// Prints on different paper join into one PDF numbered across them; a part
// that must start on an odd or even page gets a blank page before it when it
// would not, and an unreadable part writes nothing.
TEST_F(HTMLToPDFPages, PrintedPartsJoinOnTheirOwnPaperNumberedAcrossThem)
{
    using FirstPage = PrintedPDFRenderer::FirstPage;
    writePrintedPDF(m_folder.path("letter.pdf"), 1, {612, 792});
    writePrintedPDF(m_folder.path("landscape.pdf"), 2, {842, 595});
    writePrintedPDF(m_folder.path("odd.pdf"), 1, {595, 842});
    const std::vector<PrintedPDFRenderer::PrintedPart> parts{{m_folder.path("letter.pdf"), FirstPage::Any},
                                                             {m_folder.path("landscape.pdf"), FirstPage::Even},
                                                             {m_folder.path("odd.pdf"), FirstPage::Odd}};
    std::vector<std::pair<std::size_t, std::size_t>> pages;
    std::string out = m_folder.path("out.pdf");
    Status status = PrintedPDFRenderer::renderPartsToFile(
        parts, out, [&](GraphicsContext&, const Size&, std::size_t index, std::size_t count, std::size_t part) {
            EXPECT_EQ(count, 5u);
            pages.emplace_back(index, part);
        });
    ASSERT_TRUE(status.ok()) << status.error().message;
    // The last part would start on page 4 and goes to page 5, after a blank
    // page of the paper before it.
    ASSERT_EQ(pdfPageCount(out), 5);
    const std::vector<std::string> sizes{"612 x 792", "842 x 595", "842 x 595", "842 x 595", "595 x 842"};
    for (int page = 1; page <= 5; ++page)
        EXPECT_EQ(pdfPageSize(out, page), sizes[page - 1]) << page;
    EXPECT_NE(pdfText(out, 3).find("Body2"), std::string::npos);
    EXPECT_EQ(pdfText(out, 4).find("Body"), std::string::npos);
    EXPECT_NE(pdfText(out, 5).find("Body1"), std::string::npos);
    EXPECT_EQ(pages, (std::vector<std::pair<std::size_t, std::size_t>>{{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 2}}));

    writeFile(m_folder.path("landscape.pdf"), "not a pdf");
    writeFile(out, "old");
    EXPECT_EQ(PrintedPDFRenderer::renderPartsToFile(parts, out, {}).error().code, PrintedPDFRenderer::UnreadablePDF);
    EXPECT_EQ(readFile(out), "old");
}

TEST_F(HTMLToPDFPages, UnreadablePrintedFileFailsAndWritesNothing)
{
    writeFile(m_folder.path("printed.pdf"), "not a pdf");
    writeFile(m_folder.path("out.pdf"), "old");
    Status status = PrintedPDFRenderer::renderToFile(m_folder.path("printed.pdf"), m_folder.path("out.pdf"), {});
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, PrintedPDFRenderer::UnreadablePDF);
    EXPECT_EQ(readFile(m_folder.path("out.pdf")), "old");
    EXPECT_FALSE(PrintedPDFRenderer::pageCount(m_folder.path("missing.pdf")).ok());
}

} // namespace
} // namespace folio
