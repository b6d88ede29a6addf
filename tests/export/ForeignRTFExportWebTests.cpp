#include "export/ForeignRTFExportFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <sys/wait.h>
#include "support/RequiredTool.h"

namespace folio {
namespace {

using namespace testing_support;

// --- Pages --------------------------------------------------------------------

TEST_F(ForeignRTFExport, aFileWithoutMarginsPrintsInsideRTFsDefaultMarginsOnItsOwnPaper)
{
    // As WordPad and many converters write: no margins, A4 in landscape.
    std::string path = document("landscape", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                                             "\\paperw16838\\paperh11906\\landscape\n"
                                             "\\pard\\f0\\fs24 Opening words of the report.\\par\n}");
    std::string pdf = exported(path, "pdf");
    PDFWord first = wordOn(pdf, "Opening");
    EXPECT_GE(first.xMin, 50);
    EXPECT_GE(first.yMin, 50);
    // 1800 twips are 90 pt; the top is an inch.
    EXPECT_NEAR(first.xMin, 90, 2);
    EXPECT_NEAR(first.yMin, 72, 3);
    EXPECT_TRUE(samePaper(pdfPageSize(pdf), "841.9 x 595.3")) << pdfPageSize(pdf);
    std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui): no reference page");
    PDFWord theirs = wordOn(lo, "Opening");
    // LibreOffice takes an inch at the sides where RTF says 1800 twips
    // (1.25 inch); the top is an inch for both.
    EXPECT_GE(first.xMin, theirs.xMin - 2);
    EXPECT_NEAR(first.xMin, theirs.xMin, 30);
    EXPECT_NEAR(first.yMin, theirs.yMin, 6);
    EXPECT_TRUE(samePaper(pdfPageSize(pdf), pdfPageSize(lo))) << pdfPageSize(pdf) << " and " << pdfPageSize(lo);
}

TEST_F(ForeignRTFExport, folioFilesKeepTheirOwnMarginsAndTheChosenPaper)
{
    // Folio writes a fixed paper size and every margin; a margin of 0 is
    // the user's choice and stays.
    std::string path = document("own", "{\\rtf1\\ansi\\ansicpg1252\\paperw11900\\paperh16840\\margl0\\margr5000"
                                       "\\margt0\\margb2000\\vieww18540\\viewh17280\\viewscale100\\lin0\\rin0\n"
                                       "{\\fonttbl\\f0\\fnil\\fcharset0 Helvetica;}\n"
                                       "{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;}\n"
                                       "\\pard\n\\f0\\fs24 Edge words\\\n}");
    std::string pdf = exported(path, "pdf");
    PDFWord first = wordOn(pdf, "Edge");
    EXPECT_LT(first.xMin, 20);
    EXPECT_LT(first.yMin, 30);
    EXPECT_EQ(pdfPageSize(pdf), "612 x 810");
}

TEST_F(ForeignRTFExport, aLineThatCannotWrapPrintsAtTheDocumentsSize)
{
    std::string tabs;
    for (int tab = 0; tab < 12; ++tab)
        tabs += "\\tab ";
    std::string path = document("tabs", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\margl1440\\margr1440\n"
                                        "\\pard\\f0\\fs68 " + tabs + "Heading\\par\n\\fs24 Body text follows.\\par\n}");
    std::string pdf = exported(path, "pdf");
    EXPECT_EQ(pdfPageCount(pdf), 1);
    // "Heading" set at 34 pt in Arial's metrics is about 126 pt wide (at
    // 28.5 pt it would be 106; a page shrunk to fit sets it at a third);
    // the body text stays at 12 pt.
    PDFWord heading = wordOn(pdf, "Heading");
    EXPECT_NEAR(heading.xMax - heading.xMin, 126, 8);
    PDFWord body = wordOn(pdf, "Body");
    EXPECT_NEAR(body.xMax - body.xMin, 27, 2);
    std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui): no reference page");
    PDFWord theirs = wordOn(lo, "Heading");
    EXPECT_NEAR(heading.xMax - heading.xMin, theirs.xMax - theirs.xMin, 8);
}

// --- Fonts --------------------------------------------------------------------

TEST_F(ForeignRTFExport, boldAndItalicWordsKeepTheParagraphsFamily)
{
    std::string path = document("faces", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}}\n"
                                         "\\pard\\f0\\fs24 Plain words, {\\b bold words}, {\\i italic words}.\\par\n}");
    std::string pdf = exported(path, "pdf");
    std::string used = fonts(pdf);
    EXPECT_EQ(used.find("DejaVu"), std::string::npos) << used;
    // The plain face and its bold and italic faces, of one family
    // (whichever serif family stands in for Times New Roman here).
    std::smatch plain;
    ASSERT_TRUE(std::regex_search(used, plain, std::regex("\\+([A-Za-z]+) "))) << used;
    EXPECT_NE(used.find(plain[1].str() + "-Bold "), std::string::npos) << used;
    EXPECT_NE(used.find(plain[1].str() + "-Italic "), std::string::npos) << used;
    EXPECT_EQ(used.find("Sans"), std::string::npos) << used;

    std::string html = readFile(exported(path, "html"));
    EXPECT_EQ(html.find("TimesNewRoman-Bold"), std::string::npos) << html;
    EXPECT_EQ(html.find("TimesNewRoman-Italic"), std::string::npos) << html;
    EXPECT_NE(html.find("Times New Roman"), std::string::npos) << html;
}

// --- Lists --------------------------------------------------------------------

constexpr std::string_view kWordDecimalList =
    "{\\*\\listtable{\\list\\listtemplateid1\\listhybrid{\\listlevel\\levelnfc0\\levelnfcn0\\leveljc0\\leveljcn0"
    "\\levelfollow0\\levelstartat%START%\\levelspace0\\levelindent0{\\leveltext\\leveltemplateid67698703\\'02\\'00.;}"
    "{\\levelnumbers\\'01;}\\fi-360\\li720\\lin720 }{\\listname ;}\\listid42}}\n"
    "{\\*\\listoverridetable{\\listoverride\\listid42\\listoverridecount0\\ls1}}\n";

std::string wordList(int start, const std::string& body)
{
    std::string table(kWordDecimalList);
    table.replace(table.find("%START%"), 7, std::to_string(start));
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\n" + table + body + "}";
}

TEST_F(ForeignRTFExport, itemsInGroupsOfTheirOwnAreOneListWithTheNextParagraphOutside)
{
    std::string path = document("groups", wordList(1, "\\pard\\fi-360\\li720\\ls1 {One\\par}{Two\\par}{Three\\par}\n"
                                                      "\\pard After the list.\\par\n"));
    std::string html = readFile(exported(path, "html"));
    std::smatch list;
    ASSERT_TRUE(std::regex_search(html, list, std::regex("<ol[^>]*>([\\s\\S]*?)</ol>"))) << html;
    std::string items = list[1];
    EXPECT_EQ(occurrences(items, "<li"), 3u) << html;
    EXPECT_EQ(occurrences(html, "<ol"), 1u) << html;
    EXPECT_GT(html.find("After the list."), html.find("</ol>")) << html;

    std::string text = readFile(exported(path, "txt"));
    EXPECT_NE(text.find("1. One\n2. Two\n3. Three\nAfter the list."), std::string::npos) << text;

    std::string pdf = exported(path, "pdf");
    PDFWord one = wordOn(pdf, "One");
    PDFWord after = wordOn(pdf, "After");
    EXPECT_GT(one.xMin, after.xMin + 10) << "the text after the list is not indented";
    EXPECT_LT(wordOn(pdf, "3.").xMin, one.xMin);
}

TEST_F(ForeignRTFExport, aListThatStartsAtSevenPrintsSevenAndEight)
{
    std::string path = document("seven", wordList(7, "{\\listtext\\pard\\plain 7.\\tab}\\pard\\fi-360\\li720\\ls1 "
                                                     "Seventh\\par{\\listtext\\pard\\plain 8.\\tab}Eighth\\par\n"
                                                     "\\pard Closing.\\par\n"));
    std::string pdf = exported(path, "pdf");
    EXPECT_LT(wordOn(pdf, "7.").xMin, wordOn(pdf, "Seventh").xMin);
    EXPECT_LT(wordOn(pdf, "8.").xMin, wordOn(pdf, "Eighth").xMin);
    std::string text = readFile(exported(path, "txt"));
    EXPECT_NE(text.find("7. Seventh\n8. Eighth\nClosing."), std::string::npos) << text;
}

// A list that comes back after another paragraph prints its numbers on, and
// its items stand where the file's indents put them, as Word and LibreOffice
// print them: the number where a paragraph indented by the first-line
// indent starts, the text where one indented by the left indent does.
TEST_F(ForeignRTFExport, aListThatComesBackPrintsOnAtTheFilesIndents)
{
    std::string path = document("comes-back", wordList(1, "\\pard\\li360 Quarter\\par\\pard\\li720 Half\\par\n"
                                                          "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 1.\\tab}Alpha\\par\n"
                                                          "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 2.\\tab}Beta\\par\n"
                                                          "\\pard Between.\\par\n"
                                                          "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 3.\\tab}Gamma\\par\n"));
    std::string pdf = exported(path, "pdf");
    const double quarter = wordOn(pdf, "Quarter").xMin;
    const double half = wordOn(pdf, "Half").xMin;
    EXPECT_NEAR(wordOn(pdf, "Alpha").xMin, half, 1.5);
    EXPECT_NEAR(wordOn(pdf, "Gamma").xMin, half, 1.5);
    // The web engine sets the number against the text, a few points in
    // from the first-line indent when the number is narrower than the hang.
    EXPECT_NEAR(wordOn(pdf, "1.").xMin, quarter, 5);
    EXPECT_NEAR(wordOn(pdf, "3.").xMin, quarter, 5);
    std::string text = readFile(exported(path, "txt"));
    EXPECT_NE(text.find("Between.\n3. Gamma"), std::string::npos) << text;
}

// A list numbered in words of its own ("a)") prints them where Word and
// LibreOffice do: at the first-line indent, with the item's text at the left
// indent; the text export keeps them in front of the text.
TEST_F(ForeignRTFExport, markerWordsPrintHangingAtTheFirstLineIndent)
{
    std::string path = document(
        "letters",
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\n"
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext \\'02\\'00);}"
        "{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}}\n"
        "{\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n"
        "\\pard\\li360 Quarter\\par\\pard\\li720 Half\\par\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext a)\\tab}Alpha\\par\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext b)\\tab}Beta\\par\n}");
    std::string pdf = exported(path, "pdf");
    const double quarter = wordOn(pdf, "Quarter").xMin;
    const double half = wordOn(pdf, "Half").xMin;
    EXPECT_NEAR(wordOn(pdf, "a)").xMin, quarter, 1.5);
    EXPECT_NEAR(wordOn(pdf, "b)").xMin, quarter, 1.5);
    EXPECT_NEAR(wordOn(pdf, "Alpha").xMin, half, 1.5);
    EXPECT_NEAR(wordOn(pdf, "Beta").xMin, half, 1.5);
    std::string text = readFile(exported(path, "txt"));
    EXPECT_NE(text.find("a) Alpha\nb) Beta"), std::string::npos) << text;
}

// --- Notes, pictures, colours -------------------------------------------------

TEST_F(ForeignRTFExport, footnoteTextIsPrintedAtTheEndOfTheDocument)
{
    std::string path = document(
        "notes", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                 "\\pard\\plain\\f0\\fs24 {Main text}{\\super\\chftn}{\\*\\footnote\\pard\\plain\\f0\\fs20 "
                 "{\\super\\chftn} Footnote body.}{ goes on.}\\par\n}");
    std::string pdf = exported(path, "pdf");
    std::string printed = pdfText(pdf, pdfPageCount(pdf));
    EXPECT_NE(printed.find("Footnote body."), std::string::npos) << printed;
    EXPECT_LT(wordOn(pdf, "Main").yMin, wordOn(pdf, "body.", pdfPageCount(pdf)).yMin);

    std::string html = readFile(exported(path, "html"));
    EXPECT_NE(html.find("Footnote body."), std::string::npos) << html;
    EXPECT_LT(html.find("goes on."), html.find("Footnote body.")) << html;

    std::string text = readFile(exported(path, "txt"));
    // The mark stays in the text, numbered as the note at the end.
    EXPECT_NE(text.find("Main text1 goes on."), std::string::npos) << text;
    EXPECT_NE(text.find("1 Footnote body."), std::string::npos) << text;
    EXPECT_GT(text.find("Footnote body."), text.find("goes on.")) << text;
}

TEST_F(ForeignRTFExport, wordPicturesPrintAtTheirSizeAndMetafilesKeepTheirPlace)
{
    // A 1 x 1 PNG that Word says is 102 x 120 pt, beside a metafile of the
    // same size that only Windows draws.
    const std::string png = "89504e470d0a1a0a0000000d49484452000000010000000108060000001f15c4890000000d4944415478"
                            "9c63f8cfc0f01f00050001ff89993d1d0000000049454e44ae426082";
    std::string path = document(
        "pictures", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\n\\pard\\f0 Before "
                    "{\\*\\shppict{\\pict{\\*\\picprop\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn fLine}"
                    "{\\sv 0}}}\\picscalex100\\picscaley100\\piccropl0\\piccropr0\\piccropt0\\piccropb0\\picw3598"
                    "\\pich4233\\picwgoal2040\\pichgoal2400\\pngblip\\bliptag255{\\*\\blipuid 00ff}\n" + png +
                    "}}{\\nonshppict{\\pict\\wmetafile8\\picw3598\\pich4233\\picwgoal2040\\pichgoal2400 0100090000}}"
                    " between {\\pict\\wmetafile8\\picw3598\\pich4233\\picwgoal2040\\pichgoal2400\n"
                    "010009000003\n} after.\\par\n}");
    std::string html = readFile(exported(path, "html"));
    std::regex size("<img[^>]*width:\\s*([0-9.]+)px;\\s*height:\\s*([0-9.]+)px");
    std::vector<std::pair<double, double>> sizes;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), size); it != std::sregex_iterator(); ++it)
        sizes.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
    ASSERT_EQ(sizes.size(), 2u) << html;
    for (const auto& [width, height] : sizes) {
        EXPECT_NEAR(width, 136, 2) << html;
        EXPECT_NEAR(height, 160, 2) << html;
    }
}

TEST_F(ForeignRTFExport, highlightedTextKeepsItsBackground)
{
    std::string path = document("highlight", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\n"
                                             "{\\colortbl;\\red255\\green255\\blue255;\\red0\\green0\\blue255;}\n"
                                             "\\pard\\f0 Plain {\\cf1\\highlight2 white on blue} plain.\\par\n}");
    std::string html = readFile(exported(path, "html"));
    EXPECT_TRUE(std::regex_search(html, std::regex("background-color:\\s*#0000ff[^>]*>white on blue"))) << html;
}

} // namespace
} // namespace folio
