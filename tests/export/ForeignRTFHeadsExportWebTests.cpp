#include "export/ForeignRTFExportFixture.h"
#include "platform/foundation/Data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace folio {
namespace {

using namespace testing_support;

// US Letter with margins of an inch: the text column runs from 72 to 540.
const std::string kOpening = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}\n"
                             "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\n";
const std::string kFourPages = "\\pard\\plain\\f0\\fs24 Alpha one\\page Bravo two\\page Charlie three\\page Delta four\\par\n}";

// With facing pages, the left (even) pages print the left pages' header and
// footer, the right ones the others, and a title page its own, as
// LibreOffice prints them; without, every page the one for all pages.
TEST_F(ForeignRTFExport, facingPagesPrintTheLeftPagesHeadsOnEvenPagesAndTheRightOnesOnOdd)
{
    const std::string heads = "{\\headerl \\pard\\plain\\ql\\f1\\fs18 Verso head\\par}"
                              "{\\header \\pard\\plain\\qr\\f1\\fs18 Recto head\\par}"
                              "{\\footerl \\pard\\plain\\ql\\f1\\fs16 Verso foot\\par}"
                              "{\\footer \\pard\\plain\\qr\\f1\\fs16 Recto foot\\par}\n";
    const std::string facing = document("facing", kOpening + "\\sectd\\facingp " + heads + kFourPages);
    const std::string pdf = exported(facing, "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 4);
    const std::string lo = reference(facing);
    for (int page = 1; page <= 4; ++page) {
        SCOPED_TRACE(page);
        const std::string text = pdfText(pdf, page);
        const bool left = page % 2 == 0;
        EXPECT_EQ(text.find("Verso head") != std::string::npos, left) << text;
        EXPECT_EQ(text.find("Verso foot") != std::string::npos, left) << text;
        EXPECT_EQ(text.find("Recto head") != std::string::npos, !left) << text;
        EXPECT_EQ(text.find("Recto foot") != std::string::npos, !left) << text;
        const PDFWord head = wordOn(pdf, left ? "Verso" : "Recto", page);
        const PDFWord word = wordOn(pdf, "head", page);
        if (left)
            EXPECT_NEAR(head.xMin, 72, 2) << "against the left margin";
        else
            EXPECT_NEAR(word.xMax, 540, 2) << "against the right margin";
        if (lo.empty())
            continue;
        // Where the line starts on a left page and ends on a right one:
        // the fonts' widths differ a little between the two.
        const PDFWord loHead = wordOn(lo, left ? "Verso" : "Recto", page);
        if (left)
            EXPECT_NEAR(head.xMin, loHead.xMin, 2);
        else
            EXPECT_NEAR(word.xMax, wordOn(lo, "head", page).xMax, 2);
        EXPECT_NEAR(head.yMin, loHead.yMin, 3);
        const PDFWord foot = wordOn(pdf, "foot", page);
        const PDFWord loFoot = wordOn(lo, "foot", page);
        EXPECT_NEAR(foot.xMax, loFoot.xMax, 2);
        EXPECT_NEAR(foot.yMin, loFoot.yMin, 3);
    }

    // A title page prints its own; the second page is the first left one.
    // Where the file gives the left pages no header, they print none.
    const std::string titled =
        document("titled", kOpening + "\\sectd\\titlepg\\facingp {\\headerf \\pard\\qc\\f1\\fs18 Cover head\\par}"
                               "{\\headerr \\pard\\qr\\f1\\fs18 Recto head\\par}" + kFourPages);
    const std::string titledPdf = exported(titled, "pdf");
    ASSERT_EQ(pdfPageCount(titledPdf), 4);
    const std::vector<std::string> titledHeads{"Cover head", "", "Recto head", ""};
    for (int page = 1; page <= 4; ++page) {
        const std::string text = pdfText(titledPdf, page);
        for (const std::string& head : {"Cover head", "Recto head"})
            EXPECT_EQ(text.find(head) != std::string::npos, head == titledHeads[page - 1]) << page << ": " << text;
    }

    // Without facing pages the left pages' header is not printed.
    const std::string single = document("single", kOpening + "\\sectd " + heads + kFourPages);
    const std::string singlePdf = exported(single, "pdf");
    for (int page = 1; page <= 4; ++page) {
        const std::string text = pdfText(singlePdf, page);
        EXPECT_NE(text.find("Recto head"), std::string::npos) << page << ": " << text;
        EXPECT_EQ(text.find("Verso"), std::string::npos) << page << ": " << text;
    }
}

// A header taller than the room above the top margin pushes the body down
// below its last line, and a footer taller than the room below the bottom
// margin ends the body above its first line, as in LibreOffice.
TEST_F(ForeignRTFExport, aTallHeaderOrFooterMovesTheBodyClearOfIt)
{
    Result<Data> fixture =
        Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf-roundtrip/word-rich-headers.rtf");
    ASSERT_TRUE(fixture.ok());
    const std::string report = document("report", fixture->toString());
    const std::string pdf = exported(report, "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 4);
    const PDFWord finance = wordOn(pdf, "Finance", 2);
    const PDFWord bravo = wordOn(pdf, "Bravo", 2);
    EXPECT_GE(bravo.yMin, finance.yMax) << "the body starts below the header's last line";
    if (const std::string lo = reference(report); !lo.empty())
        EXPECT_NEAR(bravo.yMin, wordOn(lo, "Bravo", 2).yMin, 3);

    // Five lines of footer half an inch above the bottom edge reach above
    // the inch of margin; the body of many lines ends before them.
    std::string body;
    for (int line = 1; line <= 60; ++line)
        body += "Line" + std::to_string(line) + " of the body\\par\n";
    const std::string footed = document(
        "footed", kOpening + "\\sectd\\footery720 {\\footer \\pard\\plain\\qc\\f1\\fs20 Foot one\\par Foot two\\par "
                             "Foot three\\par Foot four\\par Foot five\\par}\n\\pard\\plain\\f0\\fs24 " + body + "}");
    const std::string footedPdf = exported(footed, "pdf");
    const std::vector<PDFWord> words = pdfWords(footedPdf, 1);
    const PDFWord footOne = wordOn(footedPdf, "one", 1);
    double lowestBody = 0;
    std::string lowest;
    for (const PDFWord& word : words) {
        if (word.text.starts_with("Line") && word.yMax > lowestBody) {
            lowestBody = word.yMax;
            lowest = word.text;
        }
    }
    ASSERT_FALSE(lowest.empty()) << pdfText(footedPdf, 1);
    EXPECT_LE(lowestBody, footOne.yMin) << lowest << " runs under the footer";
    EXPECT_GT(lowestBody, footOne.yMin - 30) << lowest << " ends right above the footer";
    EXPECT_NEAR(wordOn(footedPdf, "five", 1).yMax, 792 - 36, 3) << "the footer stays at its distance";
}

// A right-aligned footer of one line that Word wrote ends at the right
// margin, where LibreOffice prints it; a file of Folio's own keeps its
// footer where Folio's footers always stood.
TEST_F(ForeignRTFExport, aOneLineFooterOfAnotherProgramEndsAtTheRightMargin)
{
    const std::string footer = "{\\footer \\pard\\plain\\qr\\f1\\fs20 Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}"
                               " of {\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 2}}\\par}\n";
    const std::string path = document("word", kOpening + "\\sectd " + footer + "\\pard\\plain\\f0\\fs24 Alpha one"
                                                                                "\\page Bravo two\\par}");
    const std::string pdf = exported(path, "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 2);
    EXPECT_NE(pdfText(pdf, 2).find("Page 2 of 2"), std::string::npos) << pdfText(pdf, 2);
    // The count, the last word of "Page 2 of 2".
    double countEnd = 0;
    for (const PDFWord& word : pdfWords(pdf, 2)) {
        if (word.text == "2")
            countEnd = std::max(countEnd, word.xMax);
    }
    EXPECT_NEAR(countEnd, 540, 1.5);
    if (const std::string lo = reference(path); !lo.empty()) {
        const PDFWord loOf = wordOn(lo, "of", 2);
        EXPECT_NEAR(wordOn(pdf, "of", 2).xMax, loOf.xMax, 1.5);
        EXPECT_NEAR(wordOn(pdf, "of", 2).yMin, loOf.yMin, 3);
    }

    // Folio's own footer, which the file gives beside the group it wrote
    // from it for other programs, ends 30 points to the centimetre of
    // margin in.
    const std::string own = document(
        "own", kOpening + "{\\*\\pageFooter Helvetica::10::right::black::0.5::YES::Sheet [pagenumber]}\n"
                          "\\sectd {\\footer\\pard\\plain\\qr\\f1\\fs20 Sheet \\chpgn \\par}\n"
                          "\\pard\\plain\\f0\\fs24 Alpha one\\par}");
    const std::string ownPdf = exported(own, "pdf");
    EXPECT_NEAR(wordOn(ownPdf, "1", 1).xMax, 612 - 2.54 * 30, 1.5);
}

} // namespace
} // namespace folio
