#include "export/ForeignRTFExportFixture.h"
#include "platform/foundation/Data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>
#include "support/RequiredTool.h"

namespace folio {
namespace {

using namespace testing_support;

// How the files below open: Times New Roman, then US Letter with margins
// of an inch.
const std::string kFonts = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n";
const std::string kLetterPage = "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\n";
const std::string kSectionsOpening = kFonts + kLetterPage;

// --- Sections and hyphenation on paper -----------------------------------------

TEST_F(ForeignRTFExport, eachSectionPrintsOnItsOwnPaperWithPageNumbersCountingOn)
{
    // Letter, then a landscape A4 page with margins of its own, then Letter
    // again: the last two sections give no paper and take the document's,
    // each on a page of its own.
    std::string path = document("three", kSectionsOpening +
                                         "{\\footer \\pard\\qr\\f0\\fs20 Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}"
                                         " of {\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 1}}\\par}\n"
                                         "\\sectd\\pard\\f0\\fs24 Alpha opens the letter.\\par\n"
                                         "\\sect\\sectd\\lndscpsxn\\pgwsxn16838\\pghsxn11906\\marglsxn2880\\margrsxn720"
                                         "\\margtsxn720\\margbsxn720\n"
                                         "\\pard Bravo lies across the table page.\\par\n"
                                         "\\sect\\sectd\\pard Charlie closes the letter.\\par\n"
                                         "\\sect\\sectd\\pard Delta adds a postscript.\\par\n}");
    std::string pdf = exported(path, "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 4);
    EXPECT_EQ(pdfPageSize(pdf, 1), "612 x 792");
    EXPECT_TRUE(samePaper(pdfPageSize(pdf, 2), "841.9 x 595.3")) << pdfPageSize(pdf, 2);
    EXPECT_EQ(pdfPageSize(pdf, 3), "612 x 792");
    EXPECT_EQ(pdfPageSize(pdf, 4), "612 x 792");
    const std::vector<std::string> opening{"Alpha", "Bravo", "Charlie", "Delta"};
    for (int page = 1; page <= 4; ++page) {
        std::string text = pdfText(pdf, page);
        for (int section = 1; section <= 4; ++section)
            EXPECT_EQ(text.find(opening[section - 1]) != std::string::npos, section == page) << page << ": " << text;
        EXPECT_NE(text.find("Page " + std::to_string(page) + " of 4"), std::string::npos) << text;
    }
    // The landscape section's own margins: two inches at the left, half an
    // inch at the top.
    PDFWord bravo = wordOn(pdf, "Bravo", 2);
    EXPECT_NEAR(bravo.xMin, 144, 2);
    EXPECT_NEAR(bravo.yMin, 36, 3);

    std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui): no reference pages");
    ASSERT_EQ(pdfPageCount(lo), 4);
    for (int page = 1; page <= 4; ++page)
        EXPECT_TRUE(samePaper(pdfPageSize(pdf, page), pdfPageSize(lo, page))) << page << ": " << pdfPageSize(lo, page);
}

TEST_F(ForeignRTFExport, aSectionPrintsInItsColumnsWithItsOwnHeaderDistanceAndTitlePage)
{
    // The document's header stands three quarters of an inch down; the
    // second section's, a quarter, over two columns half an inch apart;
    // the third has a title page and the document's distance.
    std::string lines;
    for (int line = 1; line <= 60; ++line)
        lines += "\\pard Line " + std::to_string(line) + " of the columns.\\par\n";
    std::string path = document("columns", kSectionsOpening + "\\headery1080\n{\\header \\pard\\f0\\fs20 Running head\\par}\n"
                                           "\\sectd\\pard\\f0\\fs24 Alpha opens.\\par\n"
                                           "\\sect\\sectd\\cols2\\colsx720\\headery360\n\\pard Kilo starts.\\par\n"
                                           + lines + "\\pard Lima ends.\\par\n"
                                           "\\sect\\sectd\\titlepg\\pard Mike has a title page.\\page\n"
                                           "November follows it.\\par\n}");
    std::string pdf = exported(path, "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 4);

    // More lines than a column holds: the left one fills to the foot of the
    // page and the rest stand in the right one, half an inch over, on the
    // same page.
    PDFWord kilo = wordOn(pdf, "Kilo", 2);
    PDFWord lima = wordOn(pdf, "Lima", 2);
    EXPECT_NEAR(kilo.xMin, 72, 2);
    EXPECT_NEAR(lima.xMin, 306 + 18, 2);
    EXPECT_LT(lima.yMin, 396) << "the right column starts at the top";
    EXPECT_GT(wordOn(pdf, "40", 2).yMin, 600) << "the left column runs to the foot";

    PDFWord first = wordOn(pdf, "Running", 1);
    EXPECT_NEAR(wordOn(pdf, "Running", 2).yMin, first.yMin - 36, 2);
    EXPECT_EQ(pdfText(pdf, 3).find("Running"), std::string::npos) << pdfText(pdf, 3);
    EXPECT_NE(pdfText(pdf, 3).find("Mike"), std::string::npos) << pdfText(pdf, 3);
    EXPECT_NEAR(wordOn(pdf, "Running", 4).yMin, first.yMin, 2);
}

// A title page prints the title page's own header and footer, and the
// others the running ones: on a document's first page and on a later
// section's.
TEST_F(ForeignRTFExport, aTitlePagePrintsItsOwnHeaderAndFooterAndTheOtherPagesTheRunningOnes)
{
    const std::string heads = "{\\header \\pard\\qr\\f0\\fs20 Running head\\par}\n"
                              "{\\headerf \\pard\\qc\\f0\\fs20 Cover heading\\par}\n"
                              "{\\footerf \\pard\\qc\\f0\\fs20 Cover foot\\par}\n";
    std::string report = document("report", kSectionsOpening + "\\sectd\\titlepg\n" + heads
                                                 + "\\pard\\f0\\fs24 Alpha is the title page.\\page\n"
                                                   "Bravo follows it.\\par\n}");
    std::string pdf = exported(report, "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 2);
    PDFWord cover = wordOn(pdf, "Cover", 1);
    PDFWord heading = wordOn(pdf, "heading", 1);
    EXPECT_NEAR((cover.xMin + heading.xMax) / 2, 306, 4) << "centred as the file gives it";
    EXPECT_LT(cover.yMin, 72);
    EXPECT_GT(wordOn(pdf, "foot", 1).yMin, 720);
    EXPECT_EQ(pdfText(pdf, 1).find("Running"), std::string::npos) << pdfText(pdf, 1);
    EXPECT_GT(wordOn(pdf, "Running", 2).xMin, 306) << "the running head stands right";
    EXPECT_EQ(pdfText(pdf, 2).find("Cover"), std::string::npos) << pdfText(pdf, 2);

    std::string lo = reference(report);
    if (!lo.empty()) {
        EXPECT_NE(pdfText(lo, 1).find("Cover heading"), std::string::npos) << pdfText(lo, 1);
        EXPECT_EQ(pdfText(lo, 2).find("Cover"), std::string::npos) << pdfText(lo, 2);
    }

    // The third section's title page; the document's first page is none.
    pdf = exported(document("sections", kSectionsOpening + heads + "\\sectd\\pard\\f0\\fs24 Alpha opens.\\par\n"
                                                          "\\sect\\sectd\\pard Kilo goes on.\\par\n"
                                                          "\\sect\\sectd\\titlepg\\pard Mike has a title page.\\page\n"
                                                          "November follows it.\\par\n}"),
                   "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 4);
    for (int page = 1; page <= 4; ++page) {
        const std::string text = pdfText(pdf, page);
        EXPECT_EQ(text.find("Running") != std::string::npos, page != 3) << page << ": " << text;
        EXPECT_EQ(text.find("Cover heading") != std::string::npos, page == 3) << page << ": " << text;
        EXPECT_EQ(text.find("Cover foot") != std::string::npos, page == 3) << page << ": " << text;
    }
}

// Each section's pages print its own running header and footer, each on
// its own: a section that gives none carries on the one before, an empty
// one prints nothing, and facing pages print a later section's left form.
TEST_F(ForeignRTFExport, eachSectionPrintsItsOwnRunningHeadsOrCarriesOnThoseBefore)
{
    const std::string path = document(
        "seasons", kSectionsOpening + "{\\header \\pard\\f0\\fs20 Spring head\\par}{\\footer \\pard\\f0\\fs20 Spring foot\\par}\n"
                              "\\sectd\\pard\\f0\\fs24 Alpha opens.\\par\n"
                              "\\sect\\sectd{\\header \\pard\\qr\\f0\\fs20 Summer head\\par}"
                              "{\\footer \\pard\\f0\\fs20 Summer foot\\par}\\pard Bravo follows.\\par\n"
                              "\\sect\\sectd\\pard Charlie carries on.\\par\n"
                              "\\sect\\sectd{\\header \\pard\\f0\\fs20 Autumn head\\par}{\\footer \\pard\\par}"
                              "\\pard Delta closes.\\par\n}");
    const std::string pdf = exported(path, "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 4);
    const std::vector<std::string> headers{"Spring head", "Summer head", "Summer head", "Autumn head"};
    const std::vector<std::string> footers{"Spring foot", "Summer foot", "Summer foot", ""};
    const std::string lo = reference(path);
    for (int page = 1; page <= 4; ++page) {
        SCOPED_TRACE(page);
        const std::string text = pdfText(pdf, page);
        for (const std::string season : {"Spring", "Summer", "Autumn"}) {
            EXPECT_EQ(text.find(season + " head") != std::string::npos, headers[page - 1] == season + " head") << text;
            EXPECT_EQ(text.find(season + " foot") != std::string::npos, footers[page - 1] == season + " foot") << text;
        }
        if (!lo.empty()) {
            EXPECT_NE(pdfText(lo, page).find(headers[page - 1]), std::string::npos) << pdfText(lo, page);
            EXPECT_EQ(pdfText(lo, page).find("foot") != std::string::npos, !footers[page - 1].empty()) << pdfText(lo, page);
        }
    }
    // The section's header as its file places it, at the right margin.
    EXPECT_NEAR(wordOn(pdf, "head", 2).xMax, 540, 3);
    EXPECT_LT(wordOn(pdf, "Autumn", 4).yMin, 72);

    // Facing pages: the later section's right and left pages print its own
    // forms, and its left pages none where it gives none in the first place.
    const std::string facing = exported(
        document("facing", kSectionsOpening + "\\facingp\n{\\headerr \\pard\\f0\\fs20 Right one\\par}"
                                      "{\\headerl \\pard\\f0\\fs20 Left one\\par}\n"
                                      "\\sectd\\pard\\f0\\fs24 Alpha.\\page Bravo.\\par\n"
                                      "\\sect\\sectd{\\headerr \\pard\\f0\\fs20 Right two\\par}"
                                      "{\\headerl \\pard\\f0\\fs20 Left two\\par}\\pard Charlie.\\page Delta.\\par\n}"),
        "pdf");
    ASSERT_EQ(pdfPageCount(facing), 4);
    const std::vector<std::string> facingHeads{"Right one", "Left one", "Right two", "Left two"};
    for (int page = 1; page <= 4; ++page) {
        const std::string text = pdfText(facing, page);
        for (const std::string& head : facingHeads)
            EXPECT_EQ(text.find(head) != std::string::npos, head == facingHeads[page - 1]) << page << ": " << text;
    }
}

// A section that goes on without a new page prints its own running header
// and footer from the first page that begins in it, and a later section
// without its own carries them on; the page it starts on keeps those of the
// section before.
TEST_F(ForeignRTFExport, aContinuousSectionPrintsItsOwnRunningHeadsOnThePagesThatBeginInIt)
{
    auto lines = [](const std::string& word, int count) {
        std::string text;
        for (int line = 1; line <= count; ++line)
            text += "\\pard " + word + " line " + std::to_string(line) + " runs on.\\par\n";
        return text;
    };
    const std::string path = document(
        "flowing", kSectionsOpening + "{\\header \\pard\\f0\\fs20 Spring head\\par}{\\footer \\pard\\f0\\fs20 Spring foot\\par}\n"
                              "\\sectd\\pard\\f0\\fs24 Alpha opens.\\par\n" + lines("Alpha", 20)
                              + "\\sect\\sectd\\sbknone{\\header \\pard\\f0\\fs20 Summer head\\par}"
                                "{\\footer \\pard\\f0\\fs20 Summer foot\\par}\n\\pard Bravo starts.\\par\n"
                              + lines("Bravo", 60) + "\\pard Bravo breaks the page.\\page\n"
                                "\\pard Charlie follows the break.\\par\n" + lines("Charlie", 60)
                              + "\\sect\\sectd\\pard Delta closes.\\par\n}");
    const std::string pdf = exported(path, "pdf");
    const int pages = pdfPageCount(pdf);
    auto pageOf = [](const std::string& file, int count, const std::string& words) {
        for (int page = 1; page <= count; ++page) {
            if (pdfText(file, page).find(words) != std::string::npos)
                return page;
        }
        ADD_FAILURE() << "no \"" << words << "\" in " << file;
        return 0;
    };
    // The second section starts on the first page, runs onto the next by
    // itself and onto a third after its page break.
    const int bravo = pageOf(pdf, pages, "Bravo starts");
    ASSERT_EQ(bravo, 1);
    ASSERT_GT(pageOf(pdf, pages, "Bravo line 60"), bravo);
    ASSERT_GT(pages, 3);
    for (int page = 1; page <= pages; ++page) {
        const std::string text = pdfText(pdf, page);
        const bool summer = page > bravo;
        EXPECT_EQ(text.find("Summer head") != std::string::npos, summer) << page << ": " << text;
        EXPECT_EQ(text.find("Summer foot") != std::string::npos, summer) << page << ": " << text;
        EXPECT_EQ(text.find("Spring head") != std::string::npos, !summer) << page << ": " << text;
        EXPECT_EQ(text.find("Spring foot") != std::string::npos, !summer) << page << ": " << text;
    }

    // LibreOffice prints the same heads on the page the section starts,
    // after its page break and on the next section's page. (LibreOffice 7.4
    // changes them only at a page break, not on a page the text runs onto
    // by itself, where Word prints the section's own.)
    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed: no reference pages");
    const int loPages = pdfPageCount(lo);
    auto heads = [](const std::string& text) {
        std::string found;
        for (const std::string head : {"Spring head", "Spring foot", "Summer head", "Summer foot"}) {
            if (text.find(head) != std::string::npos)
                found += head + "; ";
        }
        return found;
    };
    for (const std::string words : {"Bravo starts", "Charlie follows the break", "Delta closes"}) {
        SCOPED_TRACE(words);
        const std::string theirs = heads(pdfText(lo, pageOf(lo, loPages, words)));
        EXPECT_FALSE(theirs.empty());
        EXPECT_EQ(heads(pdfText(pdf, pageOf(pdf, pages, words))), theirs);
    }
}

// A page break inside the paragraph that ends a section breaks the page
// there; the section still ends once, after the paragraph, so the page
// after the break prints the running head and the next section's title
// page its own.
TEST_F(ForeignRTFExport, aPageBreakInsideASectionsLastParagraphStartsNoSection)
{
    const std::string heads = "{\\header \\pard\\qr\\f0\\fs20 Running head\\par}\n"
                              "{\\headerf \\pard\\qc\\f0\\fs20 Cover heading\\par}\n";
    const std::string path = document("inside", kSectionsOpening + heads
                                                    + "\\sectd\\pard\\f0\\fs24 Alpha opens the report.\\page "
                                                      "Bravo follows it.\\par\n"
                                                      "\\sect\\sectd\\titlepg\\pard Charlie has a title page.\\par\n}");
    const std::string pdf = exported(path, "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 3);
    const std::vector<std::string> words{"Alpha", "Bravo", "Charlie"};
    for (int page = 1; page <= 3; ++page) {
        const std::string text = pdfText(pdf, page);
        EXPECT_NE(text.find(words[page - 1]), std::string::npos) << page << ": " << text;
        EXPECT_EQ(text.find("Running head") != std::string::npos, page != 3) << page << ": " << text;
        EXPECT_EQ(text.find("Cover heading") != std::string::npos, page == 3) << page << ": " << text;
    }

    const std::string lo = reference(path);
    if (!lo.empty()) {
        ASSERT_EQ(pdfPageCount(lo), 3);
        EXPECT_NE(pdfText(lo, 2).find("Running head"), std::string::npos) << pdfText(lo, 2);
        EXPECT_NE(pdfText(lo, 3).find("Cover heading"), std::string::npos) << pdfText(lo, 3);
    }
}

// Word's headers and footers print on every page: the running ones after
// a title page, with the page number and count, and each section's title
// page its own header, all at the sections' distance from the paper's edge.
TEST_F(ForeignRTFExport, wordHeadersPrintOnEveryPageAndEachSectionsTitlePageItsOwn)
{
    Result<Data> fixture =
        Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf-roundtrip/word-rich-headers.rtf");
    ASSERT_TRUE(fixture.ok());
    const std::string path = document("report", fixture->toString());
    const std::string pdf = exported(path, "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 4);
    const std::vector<std::string> heads{"Cover of the report", "Annual Report", "Part two opens here",
                                         "Annual Report"};
    for (int page = 1; page <= 4; ++page) {
        const std::string text = pdfText(pdf, page);
        EXPECT_NE(text.find(heads[page - 1]), std::string::npos) << page << ": " << text;
        const bool titlePage = page % 2 == 1;
        EXPECT_EQ(text.find("Page " + std::to_string(page) + " of 4") != std::string::npos, !titlePage) << page << ": " << text;
        EXPECT_EQ(text.find("Annual") != std::string::npos, !titlePage) << page << ": " << text;
    }
    // "\\headery1008": seven tenths of an inch down, title pages too.
    EXPECT_NEAR(wordOn(pdf, "Cover", 1).yMin, 50.4, 2);
    EXPECT_NEAR(wordOn(pdf, "Annual", 2).yMin, 50.4, 2);
    EXPECT_NEAR(wordOn(pdf, "Part", 3).yMin, 50.4, 2);

    const std::string lo = reference(path);
    if (!lo.empty()) {
        for (int page = 1; page <= 4; ++page)
            EXPECT_NE(pdfText(lo, page).find(heads[page - 1].substr(0, 13)), std::string::npos) << pdfText(lo, page);
    }
}

// The rich headers of Word, LibreOffice and WordPad print as the file holds
// them: each paragraph on a line of its own, the text after the right tab
// stop against the right margin (or the text column's edge, where the stop
// lies beyond it), the page's own number, near where LibreOffice prints them.
TEST_F(ForeignRTFExport, richHeadersPrintEachParagraphOnItsOwnLineWithTheirTabStopsAndThePagesNumber)
{
    struct Case {
        std::string file;
        std::vector<int> pages;
        std::string first, second, beforeNumber;
        double left, right;
        bool likeLibreOffice;
    };
    const std::vector<Case> cases{
        {"word-rich-headers", {2, 4}, "Annual", "Finance", "Page", 72, 540, true},
        // A4 with margins of 1134 twips.
        {"libreoffice-rich-header", {1, 2}, "Survey", "Field", "Sheet", 56.7, 595.3 - 56.7, true},
        // RTF's default side margins, 1800 twips; its right stop lies
        // beyond them.
        {"wordpad-rich-header", {1}, "Board", "Second", "Page", 90, 612 - 90, false},
    };
    // The word on the same line as `first` (a footer may hold the same word).
    auto onLineOf = [](const std::vector<PDFWord>& words, const PDFWord& first, const std::string& text) {
        for (const PDFWord& word : words) {
            if (word.text == text && std::abs(word.yMin - first.yMin) < 2)
                return word;
        }
        ADD_FAILURE() << "no \"" << text << "\" beside \"" << first.text << "\"";
        return PDFWord{};
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.file);
        Result<Data> fixture =
            Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf-roundtrip/" + test.file + ".rtf");
        ASSERT_TRUE(fixture.ok());
        const std::string path = document(test.file, fixture->toString());
        const std::string pdf = exported(path, "pdf");
        const std::string lo = test.likeLibreOffice ? reference(path) : "";
        for (int page : test.pages) {
            SCOPED_TRACE(page);
            const std::vector<PDFWord> words = pdfWords(pdf, page);
            const PDFWord first = wordOn(pdf, test.first, page);
            const PDFWord second = wordOn(pdf, test.second, page);
            const PDFWord number = onLineOf(words, first, std::to_string(page));
            EXPECT_NEAR(first.xMin, test.left, 2);
            EXPECT_GE(second.yMin, first.yMax - 1) << "the second paragraph on a line of its own";
            EXPECT_LT(second.yMin, first.yMax + 20) << "right below the first";
            EXPECT_NEAR(number.xMax, test.right, 3) << "right-aligned on the stop";
            EXPECT_LT(onLineOf(words, first, test.beforeNumber).xMax, number.xMin);
            if (lo.empty())
                continue;
            const std::vector<PDFWord> loWords = pdfWords(lo, page);
            const PDFWord loFirst = wordOn(lo, test.first, page);
            const PDFWord loSecond = wordOn(lo, test.second, page);
            EXPECT_NEAR(first.yMin, loFirst.yMin, 3);
            EXPECT_NEAR(second.yMin, loSecond.yMin, 3);
            EXPECT_NEAR(second.xMin, loSecond.xMin, 6);
            EXPECT_NEAR(number.xMax, onLineOf(loWords, loFirst, std::to_string(page)).xMax, 3);
        }
    }
}

// A section that starts in the next column goes on in the columns of the
// one before, on its page; after one column, and after a continuous break,
// the text goes on on the same page.
TEST_F(ForeignRTFExport, aSectionThatStartsInTheNextColumnOrGoesOnSharesThePage)
{
    std::string lines;
    for (int line = 1; line <= 12; ++line)
        lines += "\\pard Line " + std::to_string(line) + " of the left.\\par\n";
    std::string pdf = exported(document("columns", kSectionsOpening + "\\sectd\\cols2\\colsx720\\pard\\f0\\fs24 Kilo starts.\\par\n"
                                                   + lines + "\\pard Lima ends.\\par\n"
                                                   "\\sect\\sectd\\sbkcol\\cols2\\colsx720\\pard Mike starts.\\par\n"
                                                   "\\sect\\sectd\\sbknone\\pard Papa goes on below.\\par\n}"),
                               "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 1);
    PDFWord kilo = wordOn(pdf, "Kilo");
    PDFWord mike = wordOn(pdf, "Mike");
    EXPECT_NEAR(kilo.xMin, 72, 2);
    EXPECT_NEAR(mike.xMin, 306 + 18, 2) << "the right column";
    EXPECT_NEAR(mike.yMin, kilo.yMin, 2) << "at its top";
    PDFWord papa = wordOn(pdf, "Papa");
    EXPECT_NEAR(papa.xMin, 72, 2);
    EXPECT_GT(papa.yMin, wordOn(pdf, "Lima").yMin);

    pdf = exported(document("flow", kSectionsOpening + "\\sectd\\pard\\f0\\fs24 Alpha opens.\\par\n"
                                              "\\sect\\sectd\\sbkcol\\pard Bravo goes on.\\par\n"
                                              "\\sect\\sectd\\sbknone\\pard Charlie too.\\par\n}"),
                   "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 1);
    EXPECT_GT(wordOn(pdf, "Charlie").yMin, wordOn(pdf, "Bravo").yMin);
    EXPECT_GT(wordOn(pdf, "Bravo").yMin, wordOn(pdf, "Alpha").yMin);
}

// A paragraph longer than a column of a page cannot stand in one: the
// section prints in one column, every word of it, on the pages one column
// takes.
TEST_F(ForeignRTFExport, aSectionWithAParagraphLongerThanAColumnPrintsInOne)
{
    std::string words;
    for (int word = 1; word <= 900; ++word)
        words += " word" + std::to_string(word);
    std::string pdf = exported(document("tall", kSectionsOpening +
                                                "\\sectd\\pard\\f0\\fs24 Alpha opens.\\par\n"
                                                "\\sect\\sectd\\cols2\n\\pard"
                                                    + words + "\\par\n}"),
                               "pdf");
    const int pages = pdfPageCount(pdf);
    EXPECT_LE(pages, 4);
    std::string text;
    for (int page = 2; page <= pages; ++page)
        text += pdfText(pdf, page) + " ";
    EXPECT_EQ(occurrences(text, "word"), 900u);
    EXPECT_NE(text.find("word900"), std::string::npos);
}

TEST_F(ForeignRTFExport, aListCountsOnAcrossASectionBreakAndABreakAtTheEndAddsNoPage)
{
    std::string path = document(
        "list", kFonts +
                "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\leveljc0\\levelstartat1\\levelfollow0"
                "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}}\n"
                "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n" + kLetterPage +
                "\\sectd\\pard\\ls1\\fi-360\\li720\\f0\\fs24 {\\listtext 1.\\tab}First item\\par\n"
                "{\\listtext 2.\\tab}Second item\\sect\n"
                "\\sectd\\lndscpsxn\\pgwsxn15840\\pghsxn12240\n"
                "\\pard\\ls1\\fi-360\\li720 {\\listtext 3.\\tab}Third item\\par\n"
                "{\\listtext 4.\\tab}Fourth item\\sect}");
    std::string pdf = exported(path, "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 2);
    EXPECT_EQ(pdfPageSize(pdf, 2), "792 x 612");
    std::string second = pdfText(pdf, 2);
    EXPECT_NE(second.find("3. Third item"), std::string::npos) << second;
    EXPECT_NE(second.find("4. Fourth item"), std::string::npos) << second;
}

TEST_F(ForeignRTFExport, aDocumentThatAsksForHyphenationIsHyphenatedOnPaperAndNoOther)
{
    // A column two inches wide and words longer than half of it, on one
    // page of one section.
    for (const std::string hyphenation : {"\\hyphauto1", ""}) {
        std::string pdf = exported(
            document("words" + std::to_string(hyphenation.size()),
                     kFonts + hyphenation
                         + "\\paperw12240\\paperh15840\\margl4320\\margr4320\\margt1440\\margb1440\n"
                           "\\pard\\f0\\fs24\\lang1033 Internationalization characteristically overcomplicates "
                           "incomprehensibilities, notwithstanding the representatives' counterrevolutionary "
                           "disproportionately uncharacteristically multidimensional considerations.\\par\n}"),
            "pdf");
        EXPECT_EQ(pdfPageCount(pdf), 1);
        EXPECT_EQ(pdfPageSize(pdf), "612 x 792");
        // pdftotext gives the hyphen the engine sets as U+2010.
        std::string text = pdfText(pdf, 1);
        std::size_t hyphenated = occurrences(text, "\xE2\x80\x90\n") + occurrences(text, "-\n");
        EXPECT_NE(text.find("Internationalization"), std::string::npos) << text;
        if (hyphenation.empty())
            EXPECT_EQ(hyphenated, 0u) << text;
        else
            EXPECT_GE(hyphenated, 3u) << text;
    }
}

// Most files name no language for their words: paper hyphenates them all
// the same, as LibreOffice does in its default language.
TEST_F(ForeignRTFExport, wordsOfNoNamedLanguageAreHyphenatedWhenTheDocumentAsksForIt)
{
    const std::string path = document(
        "unnamed", kFonts + "\\hyphauto1\\paperw12240\\paperh15840\\margl4320\\margr4320\\margt1440\\margb1440\n"
                            "\\pard\\f0\\fs24 Internationalization characteristically overcomplicates "
                            "incomprehensibilities, notwithstanding the representatives' counterrevolutionary "
                            "disproportionately uncharacteristically multidimensional considerations.\\par\n}");
    auto hyphenatedLines = [](const std::string& pdf) {
        const std::string text = pdfText(pdf, 1);
        return occurrences(text, "\xE2\x80\x90\n") + occurrences(text, "-\n");
    };
    const std::string pdf = exported(path, "pdf");
    EXPECT_NE(pdfText(pdf, 1).find("Internationalization"), std::string::npos);
    EXPECT_GE(hyphenatedLines(pdf), 3u) << pdfText(pdf, 1);
    const std::string lo = reference(path);
    if (!lo.empty())
        EXPECT_GE(hyphenatedLines(lo), 3u) << "LibreOffice left the words whole: " << pdfText(lo, 1);
}

} // namespace
} // namespace folio
