#include "export/ForeignRTFExportFixture.h"

#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/DKRTFWriter.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Image.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <regex>
#include <string>
#include "support/RequiredTool.h"

namespace folio {
namespace {

using namespace testing_support;

// Other word processors' RTF as exports print it, beside LibreOffice's print
// of the same file: tables with each cell's words inside its column, rows in
// order, the shading and alignment the file gives; deep lists, spacing,
// notes and links.
class ForeignRTFLooksExport : public ForeignRTFExport {
protected:
    // The colour of the page at (x, y) points, drawn at 72 pixels an inch.
    static std::array<int, 3> pixel(const std::string& pdf, int x, int y)
    {
        std::string ppm = commandOutput("pdftoppm -r 72 -f 1 -l 1 -x " + std::to_string(x) + " -y " + std::to_string(y)
                                        + " -W 1 -H 1 '" + pdf + "' 2>/dev/null");
        if (ppm.size() < 3 || ppm.compare(0, 2, "P6") != 0) {
            ADD_FAILURE() << "no picture of " << pdf;
            return {-1, -1, -1};
        }
        const auto* rgb = reinterpret_cast<const unsigned char*>(ppm.data() + ppm.size() - 3);
        return {rgb[0], rgb[1], rgb[2]};
    }

    // Whether any pixel of the box (points, at 72 pixels an inch) on page 1
    // is dark.
    static bool inkIn(const std::string& pdf, int x, int y, int width, int height)
    {
        std::string ppm = commandOutput("pdftoppm -r 72 -f 1 -l 1 -gray -x " + std::to_string(x) + " -y "
                                        + std::to_string(y) + " -W " + std::to_string(width) + " -H "
                                        + std::to_string(height) + " '" + pdf + "' 2>/dev/null");
        const std::size_t pixels = static_cast<std::size_t>(width * height);
        if (ppm.size() < pixels || ppm.compare(0, 2, "P5") != 0) {
            ADD_FAILURE() << "no picture of " << pdf;
            return false;
        }
        for (std::size_t at = ppm.size() - pixels; at < ppm.size(); ++at)
            if (static_cast<unsigned char>(ppm[at]) < 128)
                return true;
        return false;
    }

    // A red PNG of 40 by 20 pixels, set at 60 by 30 points.
    static constexpr const char* kRedPicture =
        "{\\pict\\pngblip\\picw40\\pich20\\picwgoal1200\\pichgoal600 89504e470d0a1a0a0000000d494844520000002800000014"
        "08020000007024e8ec000000234944415478daedcdb10d000008c0a0feffb49ee120093b4d9d482c168bc562b1f84fbc7dfa1d0ea21e873d"
        "0000000049454e44ae426082}";

    // The box (points, from the page's top) the red of a page covers within
    // `height` points from `top`, drawn at 72 pixels an inch; an empty box
    // where none is.
    static Rect redBox(const std::string& pdf, int height, int page = 1, int top = 0)
    {
        const std::string pages = std::to_string(page);
        const std::string ppm = commandOutput("pdftoppm -r 72 -f " + pages + " -l " + pages + " -y " + std::to_string(top)
                                              + " -H " + std::to_string(height) + " -W 2000 '" + pdf + "' 2>/dev/null");
        int width = 0, rows = 0, depth = 0, read = 0;
        if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &width, &rows, &depth, &read) != 3 || width <= 0 || rows <= 0) {
            ADD_FAILURE() << "no picture of " << pdf;
            return {};
        }
        const std::size_t start = static_cast<std::size_t>(read) + 1;
        if (ppm.size() < start + static_cast<std::size_t>(width * rows * 3))
            return {};
        int left = width, upper = rows, right = -1, bottom = -1;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < width; ++x) {
                const auto* rgb = reinterpret_cast<const unsigned char*>(ppm.data() + start + (y * width + x) * 3);
                if (rgb[0] > 200 && rgb[1] < 60 && rgb[2] < 60) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    upper = std::min(upper, y);
                    bottom = std::max(bottom, y);
                }
            }
        if (right < 0)
            return {};
        return Rect{{double(left), double(top + upper)}, {double(right - left + 1), double(bottom - upper + 1)}};
    }

    // The thickness (points) of each dark line crossed going down page 1 at
    // x from `top` to `bottom` points, drawn at 10 pixels a point.
    static std::vector<double> linesDown(const std::string& pdf, double x, double top, double bottom)
    {
        const int height = static_cast<int>((bottom - top) * 10);
        const std::string pgm = commandOutput("pdftoppm -r 720 -gray -f 1 -l 1 -x " + std::to_string(int(x * 10)) + " -y "
                                              + std::to_string(int(top * 10)) + " -W 1 -H " + std::to_string(height)
                                              + " '" + pdf + "' 2>/dev/null");
        std::vector<double> lines;
        if (pgm.size() < static_cast<std::size_t>(height) || pgm.compare(0, 2, "P5") != 0) {
            ADD_FAILURE() << "no picture of " << pdf;
            return lines;
        }
        int run = 0;
        for (std::size_t at = pgm.size() - static_cast<std::size_t>(height); at <= pgm.size(); ++at) {
            if (at < pgm.size() && static_cast<unsigned char>(pgm[at]) < 128) {
                ++run;
            } else if (run > 0) {
                lines.push_back(run / 10.0);
                run = 0;
            }
        }
        return lines;
    }

    // The paths of a file written for the test and of a real one of its kind
    // from another program, where that is at hand.
    std::vector<std::string> writtenAndReal(const std::string& name, const std::string& written, const std::string& real)
    {
        std::vector<std::string> paths{document(name, written)};
        Result<Data> bytes = Data::dataWithContentsOfFile(real);
        if (bytes.ok())
            paths.push_back(document(name + "-real", bytes->toString()));
        return paths;
    }

    static double middle(const PDFWord& word, bool vertical = false)
    {
        return vertical ? (word.yMin + word.yMax) / 2 : (word.xMin + word.xMax) / 2;
    }

    // Each word of `cells` sits in the column LibreOffice prints it in and
    // on the same line as its row's first word. Columns are measured from
    // `marginWord`, a word at the text's left edge, as margins of files that
    // give none differ.
    void expectCellsAsReference(const std::string& pdf, const std::string& reference, const std::string& marginWord,
                                const std::vector<std::vector<std::string>>& rows)
    {
        const double margin = wordOn(pdf, marginWord).xMin;
        const double theirMargin = reference.empty() ? 0 : wordOn(reference, marginWord).xMin;
        double previousRow = -1;
        for (const auto& row : rows) {
            const PDFWord first = wordOn(pdf, row.front());
            EXPECT_GT(first.yMin, previousRow) << row.front() << ": rows out of order";
            previousRow = first.yMin;
            for (const std::string& cell : row) {
                const PDFWord ours = wordOn(pdf, cell);
                EXPECT_NEAR(ours.yMin, first.yMin, 2) << cell << " is not on its row's line";
                if (reference.empty())
                    continue;
                const PDFWord theirs = wordOn(reference, cell);
                EXPECT_NEAR(middle(ours) - margin, middle(theirs) - theirMargin, 12)
                    << cell << " is not where LibreOffice prints it";
            }
        }
    }
};

TEST_F(ForeignRTFLooksExport, pandocCellsKeepTheirColumnsAndAlignment)
{
    // Pandoc sets each cell's alignment in a group closed before "\cell".
    std::string path = document(
        "pandoc", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 \\fswiss Helvetica;}}\n"
                  "{\\pard \\ql \\f0 \\sa180 \\li0 \\fi0 Intro paragraph.\\par}\n"
                  "{\n\\trowd \\trgaph120\n\\clbrdrb\\brdrs\\cellx2880\\clbrdrb\\brdrs\\cellx5760\n\\trkeep\\intbl\n{\n"
                  "{\\intbl {\\pard \\qr \\f0 \\sa0 \\li0 \\fi0 Right\\par}\n\\cell}\n"
                  "{\\intbl {\\pard \\ql \\f0 \\sa0 \\li0 \\fi0 Left\\par}\n\\cell}\n}\n\\intbl\\row}\n"
                  "{\n\\trowd \\trgaph120\n\\cellx2880\\cellx5760\n\\trkeep\\intbl\n{\n"
                  "{\\intbl {\\pard \\qr \\f0 \\sa0 \\li0 \\fi0 12\\par}\n\\cell}\n"
                  "{\\intbl {\\pard \\ql \\f0 \\sa0 \\li0 \\fi0 twelve\\par}\n\\cell}\n}\n\\intbl\\row}\n"
                  "{\\pard \\ql \\f0 \\sa180 \\li0 \\fi0 After the table.\\par}\n}\n");
    std::string pdf = exported(path, "pdf");
    // The first column ends 2 inches into the text, less the cell's gap of
    // 6 pt; the second starts there.
    const double margin = wordOn(pdf, "Intro").xMin;
    const PDFWord right = wordOn(pdf, "Right");
    const PDFWord twelve = wordOn(pdf, "12");
    EXPECT_NEAR(right.xMax - margin, 138, 4);
    EXPECT_NEAR(twelve.xMax - margin, 138, 4);
    EXPECT_NEAR(wordOn(pdf, "Left").xMin - margin, 150, 4);
    EXPECT_NEAR(wordOn(pdf, "twelve").xMin - margin, 150, 4);
    // Each cell ends with an empty paragraph, a line of its own.
    EXPECT_GT(twelve.yMin - right.yMin, 2 * (right.yMax - right.yMin));
    EXPECT_GT(wordOn(pdf, "After").yMin, twelve.yMax);
    expectCellsAsReference(pdf, reference(path), "Intro", {{"Right", "Left"}, {"12", "twelve"}});

    std::string html = readFile(exported(path, "html"));
    std::smatch table;
    ASSERT_TRUE(std::regex_search(html, table, std::regex("<table[^>]*>([\\s\\S]*?)</table>"))) << html;
    EXPECT_EQ(occurrences(table[1], "<tr"), 2u) << html;
    EXPECT_EQ(occurrences(table[1], "<td"), 4u) << html;
    EXPECT_TRUE(std::regex_search(html, std::regex("<td[^>]*text-align:right;[^>]*>[^<]*(<[^>]*>)*Right"))) << html;
    EXPECT_GT(html.find("After the table."), html.find("</table>")) << html;

    // A book's chapter is XHTML: its table is there and closed.
    std::string book = exported(path, "epub");
    std::string chapter = commandOutput("unzip -p '" + book + "' '*.xhtml' 2>/dev/null");
    EXPECT_EQ(occurrences(chapter, "<table"), occurrences(chapter, "</table>")) << chapter;
    EXPECT_EQ(occurrences(chapter, "<td"), 4u) << chapter;
}

// Cell borders print at the file's width, a double one as two lines with
// a gap, each as wide as the width given, as LibreOffice draws them: a
// thick line (\brdrw45, 2.25 pt) does not print thin.
TEST_F(ForeignRTFLooksExport, cellBordersPrintAtTheirWidthAndDoubleOnesAsTwoLines)
{
    std::string tables;
    for (const char* border : {"\\brdrs\\brdrw45", "\\brdrdb\\brdrw15", "\\brdrdb\\brdrw45"}) {
        const std::string box = std::string("\\clbrdrt") + border + "\\clbrdrl" + border + "\\clbrdrb" + border
            + "\\clbrdrr" + border;
        // The first as wide as the text, its right border on the margin.
        tables += "\\trowd\\trgaph108\\trleft0" + box + (tables.empty() ? "\\cellx9360" : "\\cellx4320")
            + "\n\\pard\\plain\\intbl\\f0\\fs24 Word\\cell\\row\n\\pard\\plain\\f0\\fs24 Gap\\par\n";
    }
    const std::string path = document("borders", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                                                 "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\n"
                                                 "\\pard\\plain\\f0\\fs24 Opening words.\\par\n" + tables + "}");
    const std::string pdf = exported(path, "pdf");
    const double x = wordOn(pdf, "Opening").xMin + 150;
    const std::vector<double> ours = linesDown(pdf, x, 60, 300);
    // Top and bottom of each table: one line, two and two, two and two.
    const std::vector<double> expected{2.25, 2.25, 0.75, 0.75, 0.75, 0.75, 2.25, 2.25, 2.25, 2.25};
    ASSERT_EQ(ours.size(), expected.size()) << ::testing::PrintToString(ours);
    for (std::size_t line = 0; line < ours.size(); ++line)
        EXPECT_NEAR(ours[line], expected[line], 0.5) << line;
    // The outer half of the border on the margin is not cut off.
    const std::vector<double> margin = linesDown(pdf, wordOn(pdf, "Opening").xMin + 468.6, 60, 300);
    EXPECT_TRUE(!margin.empty() && margin.front() > 10) << ::testing::PrintToString(margin);
    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    const std::vector<double> theirs = linesDown(lo, wordOn(lo, "Opening").xMin + 150, 60, 300);
    ASSERT_EQ(theirs.size(), ours.size()) << ::testing::PrintToString(theirs);
    for (std::size_t line = 0; line < ours.size(); ++line)
        EXPECT_NEAR(ours[line], theirs[line], 0.5) << line;
    // A cell adds no room above or below its words: each row is as high.
    auto gaps = [](const std::string& file) {
        std::vector<double> tops;
        const double opening = wordOn(file, "Opening").yMin;
        for (const PDFWord& word : pdfWords(file, 1))
            if (word.text == "Gap")
                tops.push_back(word.yMin - opening);
        return tops;
    };
    const std::vector<double> ourGaps = gaps(pdf);
    const std::vector<double> theirGaps = gaps(lo);
    ASSERT_EQ(ourGaps.size(), theirGaps.size());
    for (std::size_t gap = 0; gap < ourGaps.size(); ++gap)
        EXPECT_NEAR(ourGaps[gap], theirGaps[gap], 1.5) << gap;
}

// A cell's border prints as wide as the file gives it, to a tenth of a
// point, not rounded to a whole pixel of the paper.
TEST_F(ForeignRTFLooksExport, cellBordersPrintAtTheFilesWidthToATenthOfAPoint)
{
    const std::vector<int> twips{10, 20, 30, 40};
    std::string tables;
    for (int width : twips)
        tables += "\\trowd\\trgaph108\\trleft0\\clbrdrt\\brdrs\\brdrw" + std::to_string(width)
            + "\\cellx4320\n\\pard\\plain\\intbl\\f0\\fs24 Word\\cell\\row\n\\pard\\plain\\f0\\fs24 Gap\\par\n";
    const std::string path = document("border-widths", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                                                       "\\pard\\plain\\f0\\fs24 Opening words.\\par\n" + tables + "}");
    const std::string pdf = exported(path, "pdf");
    const std::vector<double> lines = linesDown(pdf, wordOn(pdf, "Opening").xMin + 150, 60, 300);
    ASSERT_EQ(lines.size(), twips.size()) << ::testing::PrintToString(lines);
    for (std::size_t line = 0; line < lines.size(); ++line)
        EXPECT_NEAR(lines[line], twips[line] / 20.0, 0.15) << twips[line] << " twips";
}

TEST_F(ForeignRTFLooksExport, aMacTableKeepsItsShadingBordersAndCentredCell)
{
    std::string path = document(
        "mac", "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2639\n"
               "\\cocoatextscaling0\\cocoaplatform0{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
               "{\\colortbl;\\red255\\green255\\blue255;\\red191\\green191\\blue191;\\red0\\green0\\blue0;}\n"
               "\\paperw11900\\paperh16840\\margl1440\\margr1440\\vieww11520\\viewh8400\\viewkind0\n"
               "\\pard\\tx566\\pardirnatural\\partightenfactor0\n\n\\f0\\fs24 \\cf0 Before the table.\\\n\\\n"
               "\\itap1\\trowd \\taflags1 \\trgaph108\\trleft-108 \\trbrdrt\\brdrnil \\trbrdrl\\brdrnil "
               "\\trbrdrr\\brdrnil \n"
               "\\clvertalc \\clshdrawnil \\clwWidth2860\\clftsWidth3 \\clbrdrt\\brdrs\\brdrw20\\brdrcf3 "
               "\\clbrdrl\\brdrs\\brdrw20\\brdrcf3 \\clbrdrb\\brdrs\\brdrw20\\brdrcf3 \\clbrdrr\\brdrs\\brdrw20\\brdrcf3 "
               "\\clpadl100 \\clpadr100 \\gaph\\cellx4320\n"
               "\\clvertalc \\clcbpat2 \\clwWidth2860\\clftsWidth3 \\clbrdrt\\brdrs\\brdrw20\\brdrcf3 "
               "\\clbrdrl\\brdrs\\brdrw20\\brdrcf3 \\clbrdrb\\brdrs\\brdrw20\\brdrcf3 \\clbrdrr\\brdrs\\brdrw20\\brdrcf3 "
               "\\clpadl100 \\clpadr100 \\gaph\\cellx8640\n"
               "\\pard\\intbl\\itap1\\pardeftab720\\qc\\partightenfactor0\n\\cf0 Plain\\cell \n"
               "\\pard\\intbl\\itap1\\pardeftab720\\partightenfactor0\n\\cf0 Shaded\\cell \\lastrow\\row\n"
               "\\pard\\tx566\\pardirnatural\\partightenfactor0\n\\cf0 After the table.}");
    std::string pdf = exported(path, "pdf");
    const PDFWord plain = wordOn(pdf, "Plain");
    const PDFWord shaded = wordOn(pdf, "Shaded");
    // The first cell runs from 66.6 to 288 pt on the page: its word is
    // centred in it; the second cell's word starts after its gap.
    EXPECT_NEAR(middle(plain), 177, 6);
    EXPECT_NEAR(shaded.xMin, 293, 4);
    EXPECT_NEAR(plain.yMin, shaded.yMin, 2);
    const int row = static_cast<int>((shaded.yMin + shaded.yMax) / 2);
    // Grey behind the second cell, to the right of its word; white in the first.
    const std::array<int, 3> grey = pixel(pdf, 450, row);
    EXPECT_NEAR(grey[0], 191, 6);
    EXPECT_NEAR(grey[2], 191, 6);
    EXPECT_EQ(pixel(pdf, 100, row)[0], 255);
    // A black border between the cells.
    EXPECT_LT(pixel(pdf, 288, row)[0], 100);

    std::string lo = reference(path);
    expectCellsAsReference(pdf, lo, "Before", {{"Plain", "Shaded"}});
    if (!lo.empty()) {
        const PDFWord theirs = wordOn(lo, "Shaded");
        EXPECT_NEAR(pixel(lo, 450, static_cast<int>((theirs.yMin + theirs.yMax) / 2))[0], grey[0], 6);
    }
}

TEST_F(ForeignRTFLooksExport, aLibreOfficeTableLinesUpItsRowsAndColumns)
{
    std::string cellFormat;
    const std::array<int, 3> boundaries{3213, 6426, 9638};
    for (int boundary : boundaries)
        cellFormat += "\\clbrdrt\\brdrs\\brdrw10\\brdrcf1\\clbrdrl\\brdrs\\brdrw10\\brdrcf1\\clbrdrb\\brdrs\\brdrw10"
                      "\\brdrcf1\\clbrdrr\\brdrs\\brdrw10\\brdrcf1\\cellx" + std::to_string(boundary);
    const std::string row = "\\trowd\\trql\\trleft0\\ltrrow\\trpaddft3\\trpaddt55\\trpaddfl3\\trpaddl55" + cellFormat;
    const std::string cell = "\\pard\\plain \\s20\\intbl\\rtlch\\af3\\afs24\\ltrch\\hich\\af3\\loch\\f3\\fs24 ";
    std::string path = document(
        "libreoffice",
        "{\\rtf1\\ansi\\deff3\\adeflang1025\n{\\fonttbl{\\f3\\froman\\fprq2\\fcharset0 Liberation Serif;}}\n"
        "{\\colortbl;\\red0\\green0\\blue0;}\n\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt1134\\margb1134\n"
        "\\pgndec\\pard\\plain \\s0\\f3\\fs24 Heading text.\n\\par " + row + cell + "Alpha\\cell" + cell
        + "\\qc Beta\\cell" + cell + "\\qr Gamma\\cell\\row\\pard" + row + cell + "Delta\\cell" + cell + "Epsilon\\cell"
        + cell + "Zeta\\cell\\row\\pard\\pard\\plain \\s0\\f3\\fs24 Closing text.\n\\par }");
    std::string pdf = exported(path, "pdf");
    // Columns of 160.65 pt from the margin at 56.7 pt.
    const double columns[] = {56.7, 217.35, 378, 538.9};
    const std::pair<const char*, int> words[] = {{"Alpha", 0}, {"Beta", 1}, {"Gamma", 2},
                                                 {"Delta", 0}, {"Epsilon", 1}, {"Zeta", 2}};
    for (const auto& [text, column] : words) {
        const PDFWord word = wordOn(pdf, text);
        EXPECT_GT(word.xMin, columns[column]) << text;
        EXPECT_LT(word.xMax, columns[column + 1]) << text;
    }
    EXPECT_NEAR(middle(wordOn(pdf, "Beta")), (columns[1] + columns[2]) / 2, 6);
    EXPECT_NEAR(wordOn(pdf, "Gamma").xMax, columns[3], 8);
    EXPECT_GT(wordOn(pdf, "Closing").yMin, wordOn(pdf, "Zeta").yMax);
    expectCellsAsReference(pdf, reference(path), "Heading", {{"Alpha", "Beta", "Gamma"}, {"Delta", "Epsilon", "Zeta"}});
}

TEST_F(ForeignRTFLooksExport, aPictureOfTheDocumentShowsItsTableGridAndColouredWords)
{
    const std::string border = "\\brdrs\\brdrw20\\brdrcf1";
    const std::string cell = "\\clbrdrt" + border + "\\clbrdrl" + border + "\\clbrdrb" + border + "\\clbrdrr" + border;
    std::string path = document(
        "picture", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\n"
                   "{\\colortbl;\\red0\\green0\\blue0;\\red220\\green0\\blue0;}\n"
                   "\\pard\\f0\\fs24 Plain words and {\\cf2 REDWORDS} here.\\par\n\\trowd\\trgaph108" + cell
                   + "\\cellx3000" + cell + "\\cellx6000\n\\pard\\intbl One\\cell Two\\cell\\row\n\\pard After.\\par}");
    Result<Image::Pointer> made = Image::imageWithContentsOfFile(exported(path, "png"));
    ASSERT_TRUE(made.ok()) << made.error().message;
    const Image& picture = **made;
    auto dark = [&](int x, int y) {
        const Rgba8 pixel = picture.pixelAt(x, y);
        return pixel.r < 90 && pixel.g < 90 && pixel.b < 90;
    };
    // The red word's pixels, and the rows holding a dark line longer than
    // any word: the table's top and bottom borders.
    int redTop = picture.pixelHeight(), redBottom = -1, redCount = 0;
    std::vector<int> lines;
    int lineStart = -1, lineEnd = -1;
    for (int y = 0; y < picture.pixelHeight(); ++y) {
        int run = 0, longest = 0, runEnd = 0;
        for (int x = 0; x < picture.pixelWidth(); ++x) {
            const Rgba8 pixel = picture.pixelAt(x, y);
            if (pixel.r > 180 && pixel.g < 80 && pixel.b < 80) {
                ++redCount;
                redTop = std::min(redTop, y);
                redBottom = std::max(redBottom, y);
            }
            run = dark(x, y) ? run + 1 : 0;
            if (run > longest) {
                longest = run;
                runEnd = x;
            }
        }
        if (longest > 200) {
            if (lines.empty() || y > lines.back() + 3)
                lines.push_back(y);
            lineStart = runEnd - longest + 1;
            lineEnd = runEnd;
        }
    }
    EXPECT_GT(redCount, 40) << "no red words";
    ASSERT_EQ(lines.size(), 2u) << "the table's top and bottom borders";
    EXPECT_LT(redBottom, lines[0]) << "the red words stand above the table";
    EXPECT_GT(lines[1] - lines[0], redBottom - redTop) << "the row holds a line of text";
    // The border between the cells runs down the middle of the grid, as the
    // two cells are equally wide.
    const int middleRow = (lines[0] + lines[1]) / 2;
    const int middle = (lineStart + lineEnd) / 2;
    bool divided = false;
    for (int x = middle - 4; x <= middle + 4; ++x)
        divided = divided || (dark(x, middleRow) && dark(x, middleRow - 3) && dark(x, middleRow + 3));
    EXPECT_TRUE(divided) << "no border between the cells at x " << middle;
    EXPECT_TRUE(dark(lineStart, middleRow)) << "no left border";
    // The paragraph after the table is drawn below it.
    bool after = false;
    for (int y = lines[1] + 4; y < std::min(picture.pixelHeight(), lines[1] + 40) && !after; ++y)
        for (int x = lineStart; x < lineStart + 60 && !after; ++x)
            after = dark(x, y);
    EXPECT_TRUE(after) << "nothing below the table";
}

TEST_F(ForeignRTFLooksExport, mergedCellsSpanTheirColumnsAndRowsAndKeepTheirText)
{
    const std::string border = "\\brdrs\\brdrw20";
    const std::string box = "\\clbrdrt" + border + "\\clbrdrl" + border + "\\clbrdrb" + border + "\\clbrdrr" + border;
    auto row = [&](const std::string& first, const std::string& second, const std::string& third) {
        return "\\trowd\\trgaph108\\trleft-108" + first + box + "\\cellx2880" + second + box + "\\cellx5760" + third + box
            + "\\cellx8640\n";
    };
    // "Tall" spans down into the row below, whose merged cell still holds a
    // word; "Wide" spans the last two columns.
    std::string path = document(
        "merged", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n\\pard\\plain\\f0\\fs24 Heading "
                  "text.\\par\n" + row("\\clvmgf", "\\clmgf", "\\clmrg") + "\\pard\\intbl Tall\\cell Wide\\cell\\cell\\row\n"
                  + row("\\clvmrg", "", "") + "\\pard\\intbl Kept\\cell Beta\\cell Gamma\\cell\\row\n" + row("", "", "")
                  + "\\pard\\intbl Delta\\cell Epsilon\\cell Zeta\\cell\\row\n\\pard Closing text.\\par}");
    std::string pdf = exported(path, "pdf");
    expectCellsAsReference(pdf, reference(path), "Heading",
                           {{"Tall", "Wide"}, {"Beta", "Gamma"}, {"Delta", "Epsilon", "Zeta"}});
    // The merged cell's word is in the tall cell, below its first word.
    const PDFWord tall = wordOn(pdf, "Tall");
    const PDFWord kept = wordOn(pdf, "Kept");
    EXPECT_NEAR(kept.xMin, tall.xMin, 2);
    EXPECT_GT(kept.yMin, tall.yMax - 1);
    // A border between the first two rows under "Beta" and "Gamma", none
    // under "Tall"; one between the last two columns beside "Beta", none
    // beside "Wide".
    const PDFWord wide = wordOn(pdf, "Wide");
    const PDFWord beta = wordOn(pdf, "Beta");
    const PDFWord gamma = wordOn(pdf, "Gamma");
    const int between = static_cast<int>((wide.yMax + beta.yMin) / 2);
    EXPECT_TRUE(inkIn(pdf, static_cast<int>(middle(gamma)) - 2, between - 3, 4, 6));
    EXPECT_FALSE(inkIn(pdf, static_cast<int>(middle(tall)) - 2, between - 3, 4, 6));
    const int left = static_cast<int>(std::max(beta.xMax, wide.xMax)) + 2;
    const int width = static_cast<int>(gamma.xMin) - 2 - left;
    EXPECT_TRUE(inkIn(pdf, left, static_cast<int>(middle(beta, true)) - 1, width, 2));
    EXPECT_FALSE(inkIn(pdf, left, static_cast<int>(middle(wide, true)) - 1, width, 2));
}

TEST_F(ForeignRTFLooksExport, aTableInAHeaderKeepsItsCellsInTheirColumns)
{
    std::string cells;
    for (int boundary : {3000, 6000, 9000})
        cells += "\\clbrdrb\\brdrs\\brdrw10\\cellx" + std::to_string(boundary);
    std::string path = document(
        "header", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                  "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\\headery720\n"
                  "{\\header \\trowd\\trgaph108\\trleft0" + cells + "\n\\pard\\plain\\intbl\\f0\\fs20 Leftcell\\cell "
                  "Middlecell\\cell Rightcell\\cell\\row\n\\pard\\plain\\f0\\fs20\\par}\n"
                  "\\pard\\plain\\f0\\fs24 Body text of the page.\\par\n}");
    const std::string pdf = exported(path, "pdf");
    // Each cell's words start at its column, from the text's left edge.
    const double margin = wordOn(pdf, "Body").xMin;
    const std::pair<const char*, double> columns[] = {{"Leftcell", 0}, {"Middlecell", 150}, {"Rightcell", 300}};
    for (const auto& [cell, column] : columns) {
        EXPECT_NEAR(wordOn(pdf, cell).xMin - margin, column, 3) << cell;
        EXPECT_LT(wordOn(pdf, cell).yMax, wordOn(pdf, "Body").yMin) << cell << " is not in the header";
    }
    const std::string lo = reference(path);
    if (lo.empty())
        return;
    for (const auto& [cell, column] : columns)
        EXPECT_NEAR(wordOn(pdf, cell).xMin - margin, wordOn(lo, cell).xMin - wordOn(lo, "Body").xMin, 3) << cell;
}

// A header's table draws its cells' borders around the row, a cell's gap
// left of the words of each cell, as LibreOffice draws them.
TEST_F(ForeignRTFLooksExport, aTableInAHeaderDrawsItsCellsBorders)
{
    const std::string box = "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10"
                            "\\clbrdrr\\brdrs\\brdrw10";
    const std::string path = document(
        "header-borders", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}\n"
                          "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\\headery720\n"
                          "{\\header \\trowd\\trgaph108\\trleft-108\\trpaddl108\\trpaddr108\\trpaddfl3\\trpaddfr3"
                          + box + "\\cellx3000" + box + "\\cellx6000" + box + "\\cellx9000\n"
                          "\\pard\\plain\\intbl\\f1\\fs20 Leftcell\\cell Middlecell\\cell Rightcell\\cell\\row\n"
                          "\\pard\\plain\\f1\\fs20\\par}\n\\pard\\plain\\f0\\fs24 Body text of the page.\\par\n}");
    auto expectBorders = [](const std::string& pdf, const char* who) {
        const double margin = wordOn(pdf, "Body").xMin;
        const PDFWord middle = wordOn(pdf, "Middlecell");
        const int line = static_cast<int>(ForeignRTFLooksExport::middle(middle, true)) - 1;
        // Between two cells' words, a border the gap (5.4 pt) left of the
        // boundary, and none between it and the words.
        for (const double boundary : {150.0, 300.0, 450.0}) {
            const int border = static_cast<int>(std::lround(margin + boundary - 5.4));
            EXPECT_TRUE(inkIn(pdf, border - 1, line, 3, 2)) << who << ": no border at " << boundary;
            EXPECT_FALSE(inkIn(pdf, border + 2, line, 2, 2)) << who << ": the border is not left of the words";
        }
        // Above and below the words, as high as the row.
        const std::vector<double> across = linesDown(pdf, middle.xMax + 10, middle.yMin - 4, middle.yMax + 4);
        EXPECT_EQ(across.size(), 2u) << who;
    };
    const std::string pdf = exported(path, "pdf");
    EXPECT_NEAR(wordOn(pdf, "Middlecell").xMin - wordOn(pdf, "Body").xMin, 150, 3);
    expectBorders(pdf, "Folio");
    const std::string lo = reference(path);
    if (!lo.empty())
        expectBorders(lo, "LibreOffice");
}

TEST_F(ForeignRTFLooksExport, aPictureInAHeaderPrintsWhereLibreOfficePrintsIt)
{
    const std::string picture = kRedPicture;
    const struct {
        const char* name;
        std::string header;
        // Points from the text's left edge to the picture, as the file sets it.
        double left;
    } headers[] = {
        // In the line after the words, on their baseline.
        {"inline", "\\pard\\plain\\f0\\fs20 Headword " + picture + "\\par", 0},
        // In a table's middle cell, at its column as the cells' words stand,
        // from the row's top as they do.
        {"cell", "\\trowd\\trgaph108\\trleft0\\cellx3000\\cellx6000\\cellx9000\n\\pard\\plain\\intbl\\f0\\fs20 "
                 "Headword\\cell " + picture + "\\cell Rightcell\\cell\\row\n\\pard\\plain\\f0\\fs20\\par", 150},
    };
    for (const auto& [name, header, left] : headers) {
        SCOPED_TRACE(name);
        const std::string path = document(
            std::string("picture-header-") + name,
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
            "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\\headery720\n"
            "{\\header " + header + "}\n\\pard\\plain\\f0\\fs24 Body text of the page.\\par\n}");
        const std::string pdf = exported(path, "pdf");
        const double margin = wordOn(pdf, "Body").xMin;
        const PDFWord word = wordOn(pdf, "Headword");
        const Rect box = redBox(pdf, 200);
        // The header starts half an inch down; the picture keeps its size.
        EXPECT_NEAR(box.origin.y, 36, 2);
        EXPECT_NEAR(box.size.width, 60, 2);
        EXPECT_NEAR(box.size.height, 30, 2);
        EXPECT_GT(wordOn(pdf, "Body").yMin, box.origin.y + box.size.height) << "the body runs into the header";
        if (left > 0) {
            EXPECT_NEAR(box.origin.x - margin, left, 2);
            EXPECT_NEAR(word.yMin, 36, 2) << "the cell's words left the row's top";
        } else {
            EXPECT_NEAR(box.origin.x, word.xMax + 3, 3) << "not after the words";
            EXPECT_NEAR(word.yMax, box.origin.y + box.size.height + 3, 3) << "not on the words' line";
        }
        const std::string lo = reference(path);
        if (lo.empty())
            continue;
        const Rect theirs = redBox(lo, 200);
        EXPECT_NEAR(box.origin.x - margin, theirs.origin.x - wordOn(lo, "Body").xMin, 3);
        EXPECT_NEAR(box.origin.y, theirs.origin.y, 2);
        EXPECT_NEAR(word.yMin, wordOn(lo, "Headword").yMin, 2);
    }
}

// A header or footer that holds a picture and no words prints the picture
// where LibreOffice prints it: the running ones on every page, a title
// page's own on the first page only.
TEST_F(ForeignRTFLooksExport, aHeaderOrFooterOfAPictureAlonePrintsThePicture)
{
    const std::string picture = kRedPicture;
    const std::string opening = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                                "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440"
                                "\\headery720\\footery720\n";
    const std::string body = "\\pard\\plain\\f0\\fs24 Body text of the page.\\page Second page.\\par\n}";
    const std::string running = document(
        "picture-running", opening + "{\\header \\pard\\plain\\qr\\f0\\fs20 " + picture + "\\par}\n"
                           "{\\footer \\pard\\plain\\qc\\f0\\fs20 " + picture + "\\par}\n" + body);
    const std::string pdf = exported(running, "pdf");
    ASSERT_EQ(pdfPageCount(pdf), 2);
    const std::string lo = reference(running);
    for (int page = 1; page <= 2; ++page) {
        SCOPED_TRACE(page);
        // The header's against the right margin half an inch down, the
        // footer's centred on the column above the bottom half inch.
        const Rect header = redBox(pdf, 200, page);
        EXPECT_NEAR(header.origin.y, 36, 2);
        EXPECT_NEAR(header.origin.x + header.size.width, 540, 2);
        EXPECT_NEAR(header.size.height, 30, 2);
        const Rect footer = redBox(pdf, 200, page, 592);
        EXPECT_NEAR(footer.origin.x + footer.size.width / 2, 306, 2);
        EXPECT_NEAR(footer.size.width, 60, 2);
        EXPECT_GT(footer.origin.y, 792 - 36 - 45);
        EXPECT_LT(footer.origin.y + footer.size.height, 792 - 36 + 1);
        if (lo.empty())
            continue;
        const Rect theirHeader = redBox(lo, 200, page);
        const Rect theirFooter = redBox(lo, 200, page, 592);
        EXPECT_NEAR(header.origin.x, theirHeader.origin.x, 3);
        EXPECT_NEAR(header.origin.y, theirHeader.origin.y, 3);
        EXPECT_NEAR(footer.origin.x, theirFooter.origin.x, 3);
        EXPECT_NEAR(footer.origin.y, theirFooter.origin.y, 4);
    }

    // The title page prints its picture, the next page the running words.
    const std::string titled = document(
        "picture-title", opening + "\\titlepg{\\headerf \\pard\\plain\\qc\\f0\\fs20 " + picture + "\\par}\n"
                         "{\\header \\pard\\plain\\qc\\f0\\fs20 Running head\\par}\n" + body);
    const std::string titledPdf = exported(titled, "pdf");
    ASSERT_EQ(pdfPageCount(titledPdf), 2);
    const Rect title = redBox(titledPdf, 200, 1);
    EXPECT_NEAR(title.origin.y, 36, 2);
    EXPECT_NEAR(title.origin.x + title.size.width / 2, 306, 2);
    EXPECT_EQ(pdfText(titledPdf, 1).find("Running"), std::string::npos);
    EXPECT_TRUE(redBox(titledPdf, 200, 2).isEmpty()) << "the title page's picture on the second page";
    EXPECT_NEAR(wordOn(titledPdf, "Running", 2).yMin, 36, 3);
}

// Word's picture in a shape two inches into the column and 10 pt below its
// paragraph's top, the text wrapping beside it; a break that clears it
// ("\\lbr3") sets the words after it below.
std::string shapeDocument(const char* picture)
{
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
           "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\n"
           "\\pard\\plain\\f0\\fs24 Before the picture.\\par\n\\pard\\plain\\f0\\fs24 {\\shp{\\*\\shpinst\\shpleft2880"
           "\\shptop200\\shpright4080\\shpbottom800\\shpfhdr0\\shpbxcolumn\\shpbxignore\\shpbypara\\shpbyignore\\shpwr2"
           "\\shpwrk0\\shpfblwtxt0\\shpz0\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn pib}{\\sv "
        + std::string(picture) + "}}}{\\shprslt{\\*\\do\\dobxcolumn\\dobypara\\dodhgt8192\\dpx2880\\dpy200"
           "\\dpxsize1200\\dpysize600}}}Anchorword of the paragraph.\\lbr3\\line Clearedword after the break.\\par\n"
           "\\pard\\plain\\f0\\fs24 After the picture.\\par\n}";
}

TEST_F(ForeignRTFLooksExport, aPictureInAShapeStandsAtItsOffsetAndAClearingBreakGoesBelowIt)
{
    std::string path = document("shape", shapeDocument(kRedPicture));
    const std::string pdf = exported(path, "pdf");
    const double margin = wordOn(pdf, "Before").xMin;
    const PDFWord anchor = wordOn(pdf, "Anchorword");
    const Rect box = redBox(pdf, 300);
    EXPECT_NEAR(box.origin.x - margin, 144, 2);
    EXPECT_NEAR(box.size.width, 60, 2);
    EXPECT_NEAR(box.origin.y, anchor.yMin + 10, 3) << "not 10 pt below its paragraph's top";
    const PDFWord cleared = wordOn(pdf, "Clearedword");
    EXPECT_GT(cleared.yMin, box.origin.y + box.size.height - 1) << "the cleared line is beside the picture";
    EXPECT_NEAR(cleared.xMin, margin, 2);
    const std::string lo = reference(path);
    if (lo.empty())
        return;
    const double theirMargin = wordOn(lo, "Before").xMin;
    const Rect theirs = redBox(lo, 300);
    EXPECT_NEAR(box.origin.x - margin, theirs.origin.x - theirMargin, 3);
    EXPECT_NEAR(box.origin.y, theirs.origin.y, 3);
    EXPECT_NEAR(cleared.yMin, wordOn(lo, "Clearedword").yMin, 3);
    EXPECT_NEAR(wordOn(pdf, "After").yMin, wordOn(lo, "After").yMin, 3);
}

// A group of shapes as Word writes it, with two of the picture.
std::string shapeGroupDocument(const char* picture)
{
    auto member = [picture](int left, int top, int right, int bottom) {
        return "{\\shp{\\*\\shpinst\\shplid1027{\\sp{\\sn relLeft}{\\sv " + std::to_string(left)
            + "}}{\\sp{\\sn relTop}{\\sv " + std::to_string(top) + "}}{\\sp{\\sn relRight}{\\sv " + std::to_string(right)
            + "}}{\\sp{\\sn relBottom}{\\sv " + std::to_string(bottom) + "}}{\\sp{\\sn shapeType}{\\sv 75}}"
              "{\\sp{\\sn pib}{\\sv " + std::string(picture) + "}}}}";
    };
    // The group's coordinates run to 4800 across its 2400 twips: each
    // picture's 2400 by 1200 in them is 60 by 30 points.
    return std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                       "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\n"
                       "\\pard\\plain\\f0\\fs24 Before the pictures.\\par\n\\pard\\plain\\f0\\fs24 {\\shpgrp{\\*\\shpinst"
                       "\\shpleft2880\\shptop200\\shpright5280\\shpbottom1400\\shpfhdr0\\shpbxcolumn\\shpbxignore\\shpbypara"
                       "\\shpbyignore\\shpwr2\\shpwrk0\\shpfblwtxt0\\shpz0\\shplid1026{\\sp{\\sn groupLeft}{\\sv 0}}"
                       "{\\sp{\\sn groupTop}{\\sv 0}}{\\sp{\\sn groupRight}{\\sv 4800}}{\\sp{\\sn groupBottom}{\\sv 2400}}\n"
                       + member(0, 0, 2400, 1200) + member(2400, 1200, 4800, 2400)
                       + "}{\\shprslt{\\*\\do\\dobxcolumn\\dobypara\\dodhgt8192\\dpx2880\\dpy200\\dpxsize2400"
                         "\\dpysize1200}}}Anchorword of the paragraph.\\par\n\\pard\\plain\\f0\\fs24 After the pictures.\\par\n}");
}

// Word's group of shapes places each of its pictures at its share of the
// group's box, in the group's own coordinates: here two pictures corner to
// corner, the group two inches into the column.
TEST_F(ForeignRTFLooksExport, thePicturesOfAShapeGroupStandAtTheirPlacesInTheGroup)
{
    const std::string path = document("shape-group", shapeGroupDocument(kRedPicture));
    const std::string pdf = exported(path, "pdf");
    const double margin = wordOn(pdf, "Before").xMin;
    const Rect box = redBox(pdf, 300);
    EXPECT_NEAR(box.origin.x - margin, 144, 2);
    EXPECT_NEAR(box.size.width, 120, 2);
    EXPECT_NEAR(box.size.height, 60, 2);
    EXPECT_NEAR(box.origin.y, wordOn(pdf, "Anchorword").yMin + 10, 3) << "not 10 pt below its paragraph's top";
    // Corner to corner: the upper left and lower right quarters red, the
    // other two not.
    const int x = static_cast<int>(box.origin.x), y = static_cast<int>(box.origin.y);
    EXPECT_EQ(pixel(pdf, x + 30, y + 15)[1], 0);
    EXPECT_EQ(pixel(pdf, x + 90, y + 45)[1], 0);
    EXPECT_GT(pixel(pdf, x + 90, y + 15)[1], 200);
    EXPECT_GT(pixel(pdf, x + 30, y + 45)[1], 200);
    const std::string lo = reference(path);
    if (lo.empty())
        return;
    const Rect theirs = redBox(lo, 300);
    EXPECT_NEAR(box.origin.x - margin, theirs.origin.x - wordOn(lo, "Before").xMin, 3);
    EXPECT_NEAR(box.size.width, theirs.size.width, 3);
}

// A save puts the pictures of a shape, or of a group of shapes, back where
// the file had them, in Folio's print and in LibreOffice's.
TEST_F(ForeignRTFLooksExport, picturesInShapesPrintWhereTheFileHadThemAfterASave)
{
    // The pictures' box from the column's edge and the paragraph's top.
    auto placed = [](const std::string& pdf) {
        Rect box = redBox(pdf, 300);
        box.origin.x -= wordOn(pdf, "Before").xMin;
        box.origin.y -= wordOn(pdf, "Anchorword").yMin;
        return box;
    };
    for (const auto& [name, rtf] : {std::pair<std::string, std::string>{"shape", shapeDocument(kRedPicture)},
                                    {"shape-group", shapeGroupDocument(kRedPicture)}}) {
        SCOPED_TRACE(name);
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(rtf));
        ASSERT_TRUE(read.ok());
        Result<std::string> written = DKRTFWriter::writeDocument(read->text, {});
        ASSERT_TRUE(written.ok());
        const std::string original = document(name, rtf);
        const std::string saved = document(name + "-saved", *written);
        auto expectSame = [](const Rect& box, const Rect& expected, const char* printer) {
            EXPECT_GT(box.size.width, 0) << printer << " drew no picture";
            EXPECT_NEAR(box.origin.x, expected.origin.x, 2) << printer;
            EXPECT_NEAR(box.origin.y, expected.origin.y, 2) << printer;
            EXPECT_NEAR(box.size.width, expected.size.width, 2) << printer;
            EXPECT_NEAR(box.size.height, expected.size.height, 2) << printer;
        };
        expectSame(placed(exported(saved, "pdf")), placed(exported(original, "pdf")), "Folio");
        const std::string theirs = reference(original);
        if (theirs.empty())
            continue;
        expectSame(placed(reference(saved)), placed(theirs), "LibreOffice");
    }
}

TEST_F(ForeignRTFLooksExport, aTableInsideACellPrintsAsATableThere)
{
    const std::string border = "\\brdrs\\brdrw20";
    const std::string box = "\\clbrdrt" + border + "\\clbrdrl" + border + "\\clbrdrb" + border + "\\clbrdrr" + border;
    const std::string outerRow = "\\trowd\\trgaph108\\trleft-108" + box + "\\cellx4320" + box + "\\cellx8640\n";
    // Word writes a nested row's definition after its cells, with its end.
    const std::string innerRow = "{\\*\\nesttableprops\\trowd\\trgaph108\\trleft0" + box + "\\cellx2000" + box
                                 + "\\cellx4000\\nestrow}{\\nonesttables\\par}\n";
    std::string path = document(
        "nested", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n\\pard\\plain\\f0\\fs24 Heading "
                  "text.\\par\n" + outerRow + "\\pard\\intbl\\itap1 Outer\\cell\n\\pard\\intbl\\itap2 Inner1\\nestcell "
                  "Inner2\\nestcell\n" + innerRow + "\\pard\\intbl\\itap2 Inner3\\nestcell Inner4\\nestcell\n" + innerRow
                  + "\\pard\\intbl\\itap1 After inner\\cell\n" + outerRow + "\\row\n\\pard Closing text.\\par}");
    std::string pdf = exported(path, "pdf");
    expectCellsAsReference(pdf, reference(path), "Heading",
                           {{"Outer"}, {"Inner1", "Inner2"}, {"Inner3", "Inner4"}, {"After", "inner"}});
    // The inner cells stand in the outer table's second column, one above
    // the other, each pair divided by the inner table's border.
    const PDFWord outer = wordOn(pdf, "Outer");
    const PDFWord inner1 = wordOn(pdf, "Inner1");
    const PDFWord inner2 = wordOn(pdf, "Inner2");
    const PDFWord after = wordOn(pdf, "After");
    EXPECT_GT(inner1.xMin, outer.xMax);
    EXPECT_NEAR(wordOn(pdf, "Inner3").xMin, inner1.xMin, 1);
    EXPECT_GT(wordOn(pdf, "Inner3").yMin, inner1.yMax - 1);
    EXPECT_GT(after.yMin, wordOn(pdf, "Inner3").yMax - 1);
    const int left = static_cast<int>(std::max(inner1.xMax, wordOn(pdf, "inner").xMax)) + 2;
    const int width = static_cast<int>(inner2.xMin) - 2 - left;
    EXPECT_TRUE(inkIn(pdf, left, static_cast<int>(middle(inner1, true)) - 1, width, 2));
    EXPECT_FALSE(inkIn(pdf, left, static_cast<int>(middle(after, true)) - 1, width, 2));
    // The text keeps every word, in order.
    std::string text = readFile(exported(path, "txt"));
    std::size_t at = 0;
    for (const char* word : {"Outer", "Inner1", "Inner2", "Inner3", "Inner4", "After inner", "Closing"}) {
        at = text.find(word, at);
        EXPECT_NE(at, std::string::npos) << word << " in " << text;
    }
}

// --- Lists ----------------------------------------------------------------------

TEST_F(ForeignRTFLooksExport, deepWordListsStepInAsTheListTableSaysAndKeepThePagesWidth)
{
    std::string levels;
    std::string items;
    for (int level = 0; level < 9; ++level) {
        const std::string indent = std::to_string(720 * (level + 1));
        levels += "{\\listlevel\\levelnfc" + std::to_string(level % 3 == 1 ? 4 : 0) + "\\levelstartat1{\\leveltext\\'02\\'0"
            + std::to_string(level) + ".;}{\\levelnumbers\\'01;}\\fi-360\\li" + indent + "}";
        items += "{\\listtext\\pard\\plain \\f0 x.\\tab}\\pard\\fi-360\\li" + indent + "\\ls1\\ilvl" + std::to_string(level)
            + " Item" + std::to_string(level + 1) + " carries a sentence long enough to wrap inside the page as any "
            "paragraph does.\\par\n";
    }
    std::string path = document(
        "deep", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\margl1440\\margr1440\n"
                "{\\*\\listtable{\\list\\listtemplateid1" + levels + "\\listid5}}\n"
                "{\\*\\listoverridetable{\\listoverride\\listid5\\listoverridecount0\\ls1}}\n\\f0\\fs24 " + items +
                "\\pard Closing words.\\par\n}");
    std::string pdf = exported(path, "pdf");
    const PDFWord first = wordOn(pdf, "Item1");
    const double pageWidth = std::stod(pdfPageSize(pdf));
    for (const PDFWord& word : pdfWords(pdf, 1))
        EXPECT_LT(word.xMax, pageWidth - 72 + 3) << word.text << " runs into the right margin";
    EXPECT_NE(pdfText(pdf, 1).find("Closing words."), std::string::npos);
    std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui): no reference page");
    const PDFWord theirFirst = wordOn(lo, "Item1");
    for (int level = 2; level <= 9; ++level) {
        const std::string item = "Item" + std::to_string(level);
        const double ours = wordOn(pdf, item).xMin - first.xMin;
        const double theirs = wordOn(lo, item).xMin - theirFirst.xMin;
        EXPECT_NEAR(ours, theirs, theirs * 0.15 + 4) << item;
    }
}

TEST_F(ForeignRTFLooksExport, macBulletsHangInTheMarginLeftOfTheTextColumn)
{
    // TextEdit's items start back at the page's edge ("\\li720\\fi-720"),
    // the bullet one tab on and the text at the next.
    const std::string item = "\\pard\\tx220\\tx720\\pardeftab720\\li720\\fi-720\\partightenfactor0\n\\ls1\\ilvl0\\cf0 "
                             "{\\listtext\t\\uc0\\u8226 \t}";
    std::string path = document(
        "bullets", "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2639\n{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
                   "{\\*\\listtable{\\list\\listtemplateid1\\listhybrid{\\listlevel\\levelnfc23\\levelnfcn23\\leveljc0"
                   "\\levelfollow0\\levelstartat1\\levelspace360\\levelindent0{\\*\\levelmarker \\{disc\\}}{\\leveltext"
                   "\\leveltemplateid1\\'01\\uc0\\u8226 ;}{\\levelnumbers;}\\fi-360\\li720\\lin720 }{\\listname ;}"
                   "\\listid1}}\n{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n"
                   "\\paperw11900\\paperh16840\\margl1440\\margr1440\\vieww11520\\viewh8400\\viewkind0\n"
                   "\\pard\\tx566\\pardirnatural\\partightenfactor0\n\n\\f0\\fs24 \\cf0 Before the list.\\\n"
                   + item + "Firstbullet item\\\n" + item + "Secondbullet item that is long enough to wrap onto a second "
                   "line of the page, so that its follow-on line shows where it starts.\\\n"
                   "\\pard\\tx566\\pardirnatural\\partightenfactor0\n\\cf0 After the list.}");
    std::string pdf = exported(path, "pdf");
    const PDFWord before = wordOn(pdf, "Before");
    const PDFWord first = wordOn(pdf, "Firstbullet");
    const PDFWord second = wordOn(pdf, "Secondbullet");
    // The items' text stands in the text column, its follow-on line too.
    EXPECT_NEAR(first.xMin, before.xMin, 3);
    EXPECT_NEAR(second.xMin, before.xMin, 3);
    double followOn = 1000;
    for (const PDFWord& word : pdfWords(pdf, 1))
        if (word.yMin > second.yMax && word.yMin < second.yMax + 10)
            followOn = std::min(followOn, word.xMin);
    EXPECT_NEAR(followOn, before.xMin, 3) << "the item's second line";
    // Each bullet is in the margin, on its item's line; nothing is there
    // beside the paragraph before the list.
    const int column = static_cast<int>(before.xMin);
    for (const PDFWord& word : {first, second})
        EXPECT_TRUE(inkIn(pdf, 10, static_cast<int>(word.yMin), column - 14, static_cast<int>(word.yMax - word.yMin)))
            << "no bullet left of " << word.text;
    EXPECT_FALSE(inkIn(pdf, 10, static_cast<int>(before.yMin), column - 14, static_cast<int>(before.yMax - before.yMin)));
    const std::string lo = reference(path);
    if (!lo.empty()) {
        EXPECT_NEAR(first.xMin - before.xMin, wordOn(lo, "Firstbullet").xMin - wordOn(lo, "Before").xMin, 3);
        EXPECT_TRUE(inkIn(lo, 10, static_cast<int>(wordOn(lo, "Firstbullet").yMin), column - 14, 10));
    }
}

TEST_F(ForeignRTFLooksExport, macBulletsAtAnotherIndentStayInTheTextColumnWithTheTextAtTheIndent)
{
    // A Mac editor's items at 637 twips, not a list level's half inch: the
    // square stands at the text column's edge, the first line's text at the
    // first stop (221 twips), the follow-on line at the indent.
    const std::string item = "{\\listtext\t\\uc0\\u9642 \t}";
    std::string path = document(
        "squares", "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2639\n{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
                   "{\\*\\listtable{\\list\\listtemplateid1\\listhybrid{\\listlevel\\levelnfc23\\levelnfcn23\\leveljc0"
                   "\\levelfollow0\\levelstartat1\\levelspace360\\levelindent0{\\*\\levelmarker \\{square\\}}{\\leveltext"
                   "\\leveltemplateid1\\'01\\uc0\\u9642 ;}{\\levelnumbers;}\\fi-360\\li720\\lin720 }{\\listname ;}"
                   "\\listid1}}\n{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n"
                   "\\paperw11900\\paperh16840\\margl1440\\margr1440\\vieww11520\\viewh8400\\viewkind0\n"
                   "\\pard\\tx566\\pardirnatural\\partightenfactor0\n\n\\f0\\fs24 \\cf0 Before the list.\\\n"
                   "\\pard\\tx221\\tx637\\pardeftab720\\li637\\fi-637\\partightenfactor0\n\\ls1\\ilvl0\\cf0 " + item
                   + "Firstsquare item\\\n" + item + "Secondsquare item that is long enough to wrap onto a second "
                   "line of the page, so that its follow-on line shows where it starts.\\\n"
                   "\\pard\\tx566\\pardirnatural\\partightenfactor0\n\\cf0 After the list.}");
    // The line under a word's: the leftmost word whose top is a line down.
    auto followOn = [](const std::string& pdf, const PDFWord& word) {
        double left = 1000;
        for (const PDFWord& other : pdfWords(pdf, 1))
            if (other.yMin > word.yMin + 5 && other.yMin < word.yMin + 25)
                left = std::min(left, other.xMin);
        return left;
    };
    std::string pdf = exported(path, "pdf");
    const PDFWord before = wordOn(pdf, "Before");
    const PDFWord second = wordOn(pdf, "Secondsquare");
    EXPECT_NEAR(followOn(pdf, second) - before.xMin, 637 / 20.0, 3) << "the item's second line";
    const int margin = static_cast<int>(before.xMin);
    const int line = static_cast<int>(second.yMin);
    const int height = static_cast<int>(second.yMax - second.yMin);
    EXPECT_FALSE(inkIn(pdf, 10, line, margin - 12, height)) << "a bullet in the margin";
    EXPECT_TRUE(inkIn(pdf, margin, line, static_cast<int>(second.xMin) - margin - 2, height)) << "no bullet";
    for (const PDFWord& word : {wordOn(pdf, "Firstsquare"), second}) {
        EXPECT_NEAR(word.xMin - before.xMin, 221 / 20.0, 1.5) << word.text << " is not at the first stop";
        EXPECT_TRUE(inkIn(pdf, margin, static_cast<int>(word.yMin), 6, height)) << "no bullet at the edge";
    }
    const std::string lo = reference(path);
    if (lo.empty())
        return;
    const double theirMargin = wordOn(lo, "Before").xMin;
    EXPECT_NEAR(followOn(pdf, second) - before.xMin, followOn(lo, wordOn(lo, "Secondsquare")) - theirMargin, 3);
    for (const char* word : {"Firstsquare", "Secondsquare"})
        EXPECT_NEAR(wordOn(pdf, word).xMin - before.xMin, wordOn(lo, word).xMin - theirMargin, 1.5) << word;
}

TEST_F(ForeignRTFLooksExport, wordsCourierBulletPrintsAsTheLetterInItsFont)
{
    std::string path = document(
        "courier", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f2\\fmodern\\fprq1 Courier New;}"
                   "{\\f3\\froman\\fcharset2 Symbol;}}\n{\\*\\listtable{\\list\\listtemplateid100\\listhybrid"
                   "{\\listlevel\\levelnfc23\\levelnfcn23\\leveljc0\\levelfollow0\\levelstartat1{\\leveltext"
                   "\\leveltemplateid1\\'01\\u-3913 ?;}{\\levelnumbers;}\\f3\\fbias0 \\fi-360\\li720\\lin720 }"
                   "{\\listlevel\\levelnfc23\\levelnfcn23\\leveljc0\\levelfollow0\\levelstartat1{\\leveltext"
                   "\\leveltemplateid2\\'01o;}{\\levelnumbers;}\\f2\\fbias0 \\fi-360\\li1440\\lin1440 }{\\listname ;}"
                   "\\listid200}}\n{\\*\\listoverridetable{\\listoverride\\listid200\\listoverridecount0\\ls1}}\n"
                   "\\pard\\plain\\f0\\fs24 Before the list.\\par\n"
                   "{\\listtext\\pard\\plain\\f3\\fs24 \\u-3913 ?\\tab}\\pard\\plain\\fi-360\\li720\\ls1\\ilvl0\\f0\\fs24 "
                   "Firstlevel item\\par\n{\\listtext\\pard\\plain\\f2\\fs24 o\\tab}\\pard\\plain\\fi-360\\li1440\\ls1"
                   "\\ilvl1\\f0\\fs24 Secondlevel item\\par\n\\pard\\plain\\f0\\fs24 After the list.\\par\n}");
    // The words left of the item's text on its line.
    auto marker = [](const std::string& pdf) {
        const PDFWord text = wordOn(pdf, "Secondlevel");
        std::pair<std::string, double> found{"", 0};
        for (const PDFWord& word : pdfWords(pdf, 1))
            if (std::abs(word.yMax - text.yMax) < 3 && word.xMax < text.xMin)
                found = {found.first + word.text, word.xMin - wordOn(pdf, "Before").xMin};
        return found;
    };
    const std::string pdf = exported(path, "pdf");
    EXPECT_EQ(marker(pdf).first, "o");
    const std::string faces = fonts(pdf);
    EXPECT_TRUE(faces.find("Cousine") != std::string::npos || faces.find("Mono") != std::string::npos
                || faces.find("Courier") != std::string::npos) << faces;
    const std::string lo = reference(path);
    if (lo.empty())
        return;
    EXPECT_EQ(marker(pdf).first, marker(lo).first);
    EXPECT_NEAR(marker(pdf).second, marker(lo).second, 3);
}

TEST_F(ForeignRTFLooksExport, eastAsianAndCircledNumbersPrintAsLibreOfficePrintsThem)
{
    // Word's list levels: heavenly stems, Chinese counting, circled and
    // legal numbers, Japanese legal and Korean digits, Korean counting,
    // Hebrew numerals and Arabic abjad letters, each with "." after the
    // number, which stays on the right of the letters in an English item.
    const std::pair<int, const char*> formats[] = {{30, "Stem"},  {37, "Count"},  {28, "Ring"},  {34, "Legal"},
                                                   {16, "Kanji"}, {41, "Korean"}, {42, "Sino"},  {43, "Native"},
                                                   {45, "Hebrew"}, {48, "Abjad"}};
    std::string lists;
    std::string overrides;
    std::string items;
    for (std::size_t list = 0; list < std::size(formats); ++list) {
        const std::string id = std::to_string(list + 1);
        const std::string format = std::to_string(formats[list].first);
        lists += "{\\list\\listtemplateid" + id + "{\\listlevel\\levelnfc" + format + "\\levelnfcn" + format
            + "\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid" + id + "}";
        overrides += "{\\listoverride\\listid" + id + "\\listoverridecount0\\ls" + id + "}";
        for (int item = 1; item <= 12; ++item)
            items += "\\pard\\fi-360\\li720\\ls" + id + "\\ilvl0 " + formats[list].second + std::to_string(item)
                + "\\par\n";
    }
    std::string path = document(
        "numbers", "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\n{\\*\\listtable" + lists
            + "}\n{\\*\\listoverridetable" + overrides + "}\n\\f0\\fs20 " + items + "}");
    std::string pdf = exported(path, "pdf");
    // What stands before each item on its line: its marker, which may be
    // set in pieces of different fonts.
    auto markers = [](const std::string& file) {
        std::map<std::string, std::string> found;
        for (int page = 1; page <= pdfPageCount(file); ++page) {
            std::string line;
            double lineTop = -100;
            for (const PDFWord& word : pdfWords(file, page)) {
                if (std::abs(word.yMax - lineTop) > 3)
                    line.clear();
                lineTop = word.yMax;
                found[word.text] = line;
                line += word.text;
            }
        }
        return found;
    };
    std::map<std::string, std::string> ours = markers(pdf);
    EXPECT_EQ(ours["Stem1"], "甲.");
    EXPECT_EQ(ours["Stem10"], "癸.");
    EXPECT_EQ(ours["Stem11"], "11.");
    EXPECT_EQ(ours["Count12"], "十二.");
    EXPECT_EQ(ours["Ring12"], "⑫.");
    EXPECT_EQ(ours["Legal12"], "壹拾貳.");
    EXPECT_EQ(ours["Kanji12"], "壱弐.");
    EXPECT_EQ(ours["Korean10"], "일영.");
    EXPECT_EQ(ours["Sino12"], "십이.");
    EXPECT_EQ(ours["Native12"], "열둘.");
    EXPECT_EQ(ours["Hebrew1"], "א.");
    EXPECT_EQ(ours["Abjad12"], "ل.");
    std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui): no reference page");
    std::map<std::string, std::string> theirs = markers(lo);
    for (const auto& [format, name] : formats) {
        for (int item = 1; item <= 12; ++item) {
            const std::string word = name + std::to_string(item);
            EXPECT_EQ(ours[word], theirs[word]) << word << " of number format " << format;
        }
    }
}

// --- Tabs -------------------------------------------------------------------

TEST_F(ForeignRTFLooksExport, tabsGoToTheParagraphsStopsWithTheirAlignmentAndLeader)
{
    std::string path = document(
        "tabs", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n\\margl1440\\margr1440\n"
                "\\pard\\plain\\f0\\fs24 Heading text.\\par\n"
                "\\pard\\tx1440\\tqr\\tldot\\tx8640 Chapter\\tab One\\tab 12\\par\n"
                "\\pard\\tqc\\tx4320\\tqdec\\tx7200 Left\\tab Centred\\tab 3.25\\par\n"
                "\\pard\\tqdec\\tx7200\\tab 123.5\\par\n\\pard Closing text.\\par}");
    std::string pdf = exported(path, "pdf");
    const double margin = wordOn(pdf, "Heading").xMin;
    // "One", its dotted leader and the right-aligned "12" read as one word.
    PDFWord leader{};
    for (const PDFWord& word : pdfWords(pdf, 1))
        if (word.text.rfind("One", 0) == 0)
            leader = word;
    EXPECT_NEAR(leader.xMin - margin, 72, 2) << "a left stop at one inch";
    EXPECT_NEAR(leader.xMax - margin, 432, 2) << "a right stop at six inches";
    EXPECT_NE(leader.text.find(".........."), std::string::npos) << leader.text;
    EXPECT_NE(leader.text.find("12"), std::string::npos) << leader.text;
    EXPECT_NEAR(middle(wordOn(pdf, "Centred")) - margin, 216, 2) << "a centred stop at three inches";
    // Decimal stops line the points up; a digit is half an em, 6 pt here.
    const PDFWord small = wordOn(pdf, "3.25");
    const PDFWord large = wordOn(pdf, "123.5");
    const double digit = 6;
    EXPECT_NEAR(small.xMin + digit - margin, 360, 2.5);
    EXPECT_NEAR(large.xMin + 3 * digit - margin, 360, 2.5);
    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui): no reference page");
    const double theirMargin = wordOn(lo, "Heading").xMin;
    for (const char* word : {"Centred", "3.25", "123.5"})
        EXPECT_NEAR(wordOn(pdf, word).xMin - margin, wordOn(lo, word).xMin - theirMargin, 3) << word;
}

// Past its paragraph's stops, or where it sets none, a tab goes to the
// document's default stops, every half inch from the margin unless the file
// says otherwise, whatever the size of its letters; one whose stop or word
// no longer fits on its line starts the next one; as LibreOffice sets them.
TEST_F(ForeignRTFLooksExport, tabsPastTheStopsGoToTheDefaultStopsAndWrapWithTheirWord)
{
    std::string path = document(
        "default-tabs", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}\n"
                        "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\\deftab720\n"
                        "\\pard\\plain\\f0\\fs24 Opening words.\\par\n"
                        "\\pard\\plain\\f0\\fs24 \\tab\\tab\\tab Three\\par\n"
                        "\\pard\\plain\\tx1000\\f0\\fs24 Alpha\\tab Bravo\\tab Charlie\\par\n"
                        "\\pard\\plain\\f1\\fs48\\b \\tab\\tab\\tab\\tab\\tab\\tab Core Java\\par\n"
                        "\\pard\\plain\\f0\\fs24 \\tab\\tab\\tab\\tab\\tab\\tab\\tab\\tab\\tab\\tab\\tab\\tab\\tab Wrapped\\par\n"
                        "\\pard\\plain\\f0\\fs24 Closing words.\\par}");
    const std::string pdf = exported(path, "pdf");
    const PDFWord opening = wordOn(pdf, "Opening");
    const double margin = opening.xMin;
    const double line = wordOn(pdf, "Alpha").yMin - wordOn(pdf, "Three").yMin;
    const struct {
        const char* word;
        double left;
    } placed[] = {
        {"Three", 108},   // three default stops
        {"Bravo", 50},    // the paragraph's own stop
        {"Charlie", 108}, // the first default stop past the words before
        {"Core", 216},    // a title's big letters keep the half-inch stops
        {"Wrapped", 36},  // the thirteenth stop is the margin: the tab goes on the next line
    };
    for (const auto& [word, left] : placed)
        EXPECT_NEAR(wordOn(pdf, word).xMin - margin, left, 2) << word;
    EXPECT_NEAR(wordOn(pdf, "Java").yMin, wordOn(pdf, "Core").yMin, 1) << "the title broke";
    EXPECT_GT(wordOn(pdf, "Wrapped").yMin - wordOn(pdf, "Java").yMax, line) << "no line of tabs before the word";

    // A file's own default distance.
    std::string wide = document("wide-tabs", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                                             "\\margl1440\\margr1440\\deftab1134\n\\pard\\plain\\f0\\fs24 Opening words.\\par\n"
                                             "\\pard\\plain\\f0\\fs24 \\tab\\tab Twice\\par}");
    const std::string widePdf = exported(wide, "pdf");
    EXPECT_NEAR(wordOn(widePdf, "Twice").xMin - wordOn(widePdf, "Opening").xMin, 113.4, 2);

    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui): no reference page");
    const double theirMargin = wordOn(lo, "Opening").xMin;
    for (const auto& [word, left] : placed) {
        EXPECT_NEAR(wordOn(pdf, word).xMin - margin, wordOn(lo, word).xMin - theirMargin, 2) << word;
        EXPECT_NEAR(wordOn(pdf, word).yMin - opening.yMin, wordOn(lo, word).yMin - wordOn(lo, "Opening").yMin, 4) << word;
    }
}

TEST_F(ForeignRTFLooksExport, aRightStopOnTheMarginKeepsTheNumberOnItsLine)
{
    // A table of contents as word processors write it: the page number set
    // against a right stop exactly on the right margin, after a dotted leader.
    std::string path = document(
        "contents", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}}\n"
                    "\\paperw11906\\paperh16838\\margl1134\\margr1134\n"
                    "\\pard\\plain\\f0\\fs24\\tqr\\tldot\\tx9638 Pier lights\\tab 3\\par\n"
                    "\\pard\\plain\\f0\\fs24\\tx4000\\tqr\\tldot\\tx9638 Lamp\\tab North\\tab on\\par\n"
                    "\\pard\\plain\\f0\\fs24 Closing text.\\par}");
    std::string pdf = exported(path, "pdf");
    const PDFWord pier = wordOn(pdf, "Pier");
    const double rightMargin = pier.xMin + 481.9;
    for (const char* last : {"3", "on"}) {
        PDFWord number{};
        for (const PDFWord& word : pdfWords(pdf, 1))
            if (word.text.size() >= std::string(last).size() && word.text.ends_with(last) && word.text.find("..") != std::string::npos)
                number = word;
        EXPECT_FALSE(number.text.empty()) << last << " is not at the end of a leader on its line";
        EXPECT_NEAR(number.xMax, rightMargin, 2) << last;
    }
    EXPECT_LT(wordOn(pdf, "Lamp").yMin - pier.yMin, 2 * (pier.yMax - pier.yMin)) << "each entry keeps one line";
}

// --- Spacing ------------------------------------------------------------------

TEST_F(ForeignRTFLooksExport, leastLineHeightsMultiplesAndSpaceAfterPrintAsLibreOfficeSpacesThem)
{
    // TeXShop's least line height and space after, then Word's 1.15 lines.
    std::string lines;
    for (int line = 1; line <= 3; ++line)
        lines += "Line" + std::to_string(line) + " of words that fill one line of the page and a little more, so that "
                 "the paragraph wraps onto a second line of its own.\\par\n";
    std::string path = document(
        "spacing", "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2639{\\fonttbl\\f0\\froman\\fcharset0 Times-Roman;}\n"
                   "\\margl1440\\margr1440\\pard\\sl380\\sa260\\f0\\fs24 " + lines +
                   "\\pard\\sl276\\slmult1\\sa0 Word" + lines.substr(4) + "}");
    std::string pdf = exported(path, "pdf");
    std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui): no reference page");
    // Offsets from the first line, so that the top margins do not count.
    const PDFWord first = wordOn(pdf, "Line1");
    const PDFWord theirFirst = wordOn(lo, "Line1");
    auto offsets = [](const std::string& file, const std::string& text, double from) {
        std::vector<double> found;
        for (const PDFWord& word : pdfWords(file, 1))
            if (word.text == text)
                found.push_back(word.yMin - from);
        return found;
    };
    // Each of "Line2" and "Line3" starts a paragraph of TeXShop's and a
    // line of Word's.
    for (const char* word : {"Line2", "Line3"}) {
        std::vector<double> ours = offsets(pdf, word, first.yMin);
        std::vector<double> theirs = offsets(lo, word, theirFirst.yMin);
        ASSERT_EQ(ours.size(), 2u) << word;
        ASSERT_EQ(theirs.size(), 2u) << word;
        EXPECT_NEAR(ours[0], theirs[0], 4) << word;
        EXPECT_NEAR(ours[1], theirs[1], 6) << word;
    }
}

// --- Notes and links ------------------------------------------------------------

TEST_F(ForeignRTFLooksExport, notesPrintSmallerThanTheTextAndLinksKeepTheTextsLook)
{
    std::string path = document(
        "notes", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                 "\\pard\\plain\\f0\\fs24 {Main text}{\\super\\chftn}{\\*\\footnote\\pard\\plain\\f0\\fs24 "
                 "{\\super\\chftn} Footnote body.}{ goes on to }"
                 "{\\field{\\*\\fldinst{HYPERLINK \"https://example.com/\"}}{\\fldrslt plainlink}} and "
                 "{\\field{\\*\\fldinst{HYPERLINK \"https://example.org/\"}}{\\fldrslt\\ul underlined}} here.\\par\n}");
    std::string pdf = exported(path, "pdf");
    const int last = pdfPageCount(pdf);
    const PDFWord main = wordOn(pdf, "Main");
    const PDFWord note = wordOn(pdf, "Footnote", last);
    EXPECT_NEAR((note.yMax - note.yMin) / (main.yMax - main.yMin), 10.0 / 12.0, 0.05);

    // Black words without a line under them, as the file writes the first
    // link; a line under the second, which asks for one.
    const PDFWord plain = wordOn(pdf, "plainlink");
    const PDFWord underlined = wordOn(pdf, "underlined");
    const int baseline = static_cast<int>(plain.yMax) - 1;
    auto darkest = [&](const PDFWord& word, int y) {
        int value = 255;
        for (int x = static_cast<int>(word.xMin) + 2; x < static_cast<int>(word.xMax) - 2; x += 3)
            value = std::min(value, pixel(pdf, x, y)[2]);
        return value;
    };
    std::array<int, 3> ink{255, 255, 255};
    for (int x = static_cast<int>(plain.xMin); x < static_cast<int>(plain.xMax) && ink[0] == 255; ++x)
        ink = pixel(pdf, x, static_cast<int>((plain.yMin + plain.yMax) / 2));
    EXPECT_LT(ink[2], 80) << "the link's letters are coloured";
    EXPECT_NEAR(ink[0], ink[2], 30) << "the link's letters are coloured";
    int plainLine = 255, underLine = 255;
    // The rows under the letters' feet, where an underline runs: a row
    // higher may cut the letters themselves.
    for (int y = baseline - 1; y <= baseline + 2; ++y) {
        plainLine = std::min(plainLine, darkest(plain, y));
        underLine = std::min(underLine, darkest(underlined, y));
    }
    EXPECT_GT(plainLine, 150) << "a line under a link the file does not underline";
    EXPECT_LT(underLine, 100) << "no line under the underlined link";
}

// A line drawn in a paragraph's text prints between the words before and
// after it, across the column, and the words go on below it.
TEST_F(ForeignRTFLooksExport, aRuleInsideAParagraphPrintsBetweenItsWords)
{
    const std::string rule = "{\\*\\do\\dobxcolumn\\dobypara\\dodhgt\\dpline\\dpxsize9200\\dplinesolid\\dplinew30}";
    std::string path = document("rule", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                                        "\\pard\\plain\\f0\\fs24 Alpha opens." + rule + " Bravo follows.\\par\n}");
    std::string pdf = exported(path, "pdf");
    const PDFWord alpha = wordOn(pdf, "Alpha");
    const PDFWord bravo = wordOn(pdf, "Bravo");
    ASSERT_GT(bravo.yMin, alpha.yMax + 4) << "the words after the rule are not below it";
    const int top = static_cast<int>(alpha.yMax) + 2;
    const int height = static_cast<int>(bravo.yMin) - 1 - top;
    // Ink well right of the words, between the two lines: the rule.
    EXPECT_TRUE(inkIn(pdf, static_cast<int>(alpha.xMin) + 200, top, 100, height)) << "no rule between the lines";
    EXPECT_FALSE(inkIn(pdf, static_cast<int>(alpha.xMin) + 200, static_cast<int>(bravo.yMax) + 2, 100, 10))
        << "a rule below the words after it";
}

// Word's list paragraphs leave out their space between each other: the
// items print together, as LibreOffice prints them, while the paragraph
// before the list keeps its space after it.
TEST_F(ForeignRTFLooksExport, listItemsThatLeaveOutTheirSpacingPrintTogether)
{
    Result<Data> original = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf-roundtrip/word-list-paragraph.rtf");
    ASSERT_TRUE(original.ok());
    const std::string path = document("contextual", original->toString());
    const std::string pdf = exported(path, "pdf");
    ASSERT_FALSE(pdf.empty());
    // The room between two items beyond the lines' own pitch, and that
    // after the paragraph before the list: its space after.
    struct Spacing {
        double betweenItems = 0;
        double beforeTheList = 0;
    };
    auto spacing = [](const std::string& printed) {
        const double before = wordOn(printed, "Take").yMin;
        const double item = wordOn(printed, "Warm").yMin;
        const double nested = wordOn(printed, "the").yMin;
        const double next = wordOn(printed, "Boots").yMin;
        const double pitch = nested - item;
        return Spacing{next - nested - pitch, item - before - pitch};
    };
    const Spacing ours = spacing(pdf);
    EXPECT_LT(ours.betweenItems, 2.0) << "the items print apart";
    EXPECT_GT(ours.beforeTheList, 4.0) << "the paragraph before the list lost its space after";
    const std::string theirs = reference(path);
    if (theirs.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui): no reference page");
    EXPECT_NEAR(ours.betweenItems, spacing(theirs).betweenItems, 2.0);
    EXPECT_NEAR(ours.beforeTheList, spacing(theirs).beforeTheList, 2.0);
}

// A Word list of five levels, each half an inch further in, with a hyphen
// bullet on its second level, and a paragraph set in two inches: each
// level's text starts where the file's twips put it, as LibreOffice prints
// it, and the second level's items carry their hyphen bullets.
TEST_F(ForeignRTFLooksExport, wordListLevelsStandAtTheFilesIndentsWithTheirHyphenBullets)
{
    std::string levels;
    std::string items;
    for (int level = 0; level < 5; ++level) {
        const std::string indent = std::to_string(720 * (level + 1));
        const std::string text = level == 1 ? "\\'01\\u8259 ?;" : "\\'01\\u-3913 ?;";
        levels += "{\\listlevel\\levelnfc23\\levelnfcn23\\leveljc0\\levelfollow0\\levelstartat1{\\leveltext"
                  "\\leveltemplateid" + std::to_string(100 + level) + text + "}{\\levelnumbers;}"
                  + (level == 1 ? "\\f0" : "\\f3") + "\\fi-360\\li" + indent + "\\lin" + indent + " }";
        items += "\\pard\\plain\\fi-360\\li" + indent + "\\ls1\\ilvl" + std::to_string(level) + "\\f0\\fs24 Level"
            + std::to_string(level + 1) + " item\\par\n";
    }
    std::string path = document(
        "levels", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
                  "{\\f3\\froman\\fcharset2 Symbol;}}\n{\\*\\listtable{\\list\\listtemplateid1\\listhybrid" + levels
                  + "{\\listname ;}\\listid100}}\n{\\*\\listoverridetable{\\listoverride\\listid100"
                  "\\listoverridecount0\\ls1}}\n\\paperw12240\\paperh15840\\margl1440\\margr1440\n"
                  "\\pard\\plain\\f0\\fs24 Opening words.\\par\n" + items
                  + "\\pard\\plain\\li2880\\f0\\fs24 Indented paragraph.\\par\n}");
    std::string pdf = exported(path, "pdf");
    const double margin = wordOn(pdf, "Opening").xMin;
    for (int level = 1; level <= 5; ++level)
        EXPECT_NEAR(wordOn(pdf, "Level" + std::to_string(level)).xMin - margin, 36 * level, 2) << "level " << level;
    EXPECT_NEAR(wordOn(pdf, "Indented").xMin - margin, 144, 2);
    const PDFWord second = wordOn(pdf, "Level2");
    const PDFWord bullet = wordOn(pdf, "\u2043");
    EXPECT_NEAR(bullet.yMin, second.yMin, 3);
    EXPECT_LT(bullet.xMax, second.xMin);
    EXPECT_EQ(pdfText(pdf, 1).find("1."), std::string::npos) << pdfText(pdf, 1);
    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui): no reference page");
    const double theirMargin = wordOn(lo, "Opening").xMin;
    for (const std::string word : {"Level1", "Level2", "Level3", "Level4", "Level5", "Indented"})
        EXPECT_NEAR(wordOn(pdf, word).xMin - margin, wordOn(lo, word).xMin - theirMargin, 2) << word;
    EXPECT_NEAR(wordOn(lo, "\u2043").yMin, wordOn(lo, "Level2").yMin, 3);
}

// Word's Chinese counting list: each label stands at the item's first-line
// indent, even where that is the margin itself, and the text and its
// follow-on lines at the left indent, as LibreOffice prints them.
TEST_F(ForeignRTFLooksExport, countingLabelsStandAtTheFirstLineIndentAndTheTextAtTheLeftIndent)
{
    for (const int left : {420, 840}) {
        const std::string indents = "\\fi-420\\li" + std::to_string(left);
        const std::string path = document(
            "counting" + std::to_string(left),
            "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\paperw12240\\paperh15840\\margl1440"
            "\\margr1440\n{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc37\\levelnfcn37\\leveljc0"
            "\\levelfollow0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}" + indents + "}\\listid1}}\n"
            "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n"
            "\\pard\\f0\\fs24 Opening words.\\par\n\\pard" + indents + "\\ls1\\ilvl0 Countone item long enough to "
            "wrap onto a second line of the page, so that its follow-on line shows where it starts and ends.\\par\n"
            "\\pard" + indents + "\\ls1\\ilvl0 Counttwo item\\par\n}");
        // Label, text and follow-on line, from the margin.
        auto places = [](const std::string& pdf) {
            const double margin = wordOn(pdf, "Opening").xMin;
            const PDFWord text = wordOn(pdf, "Countone");
            double label = 1000;
            double nextLine = 1000;
            for (const PDFWord& word : pdfWords(pdf, 1)) {
                if (std::abs(word.yMax - text.yMax) < 3)
                    label = std::min(label, word.xMin);
                if (word.yMin > text.yMin + 3)
                    nextLine = std::min(nextLine, word.yMin);
            }
            double followOn = 1000;
            for (const PDFWord& word : pdfWords(pdf, 1))
                if (std::abs(word.yMin - nextLine) < 2)
                    followOn = std::min(followOn, word.xMin);
            return std::array<double, 3>{label - margin, text.xMin - margin, followOn - margin};
        };
        const std::string pdf = exported(path, "pdf");
        const std::array<double, 3> ours = places(pdf);
        EXPECT_NEAR(ours[0], (left - 420) / 20.0, 2) << "label, \\li" << left;
        EXPECT_NEAR(ours[1], left / 20.0, 2) << "text, \\li" << left;
        EXPECT_NEAR(ours[2], left / 20.0, 2) << "follow-on line, \\li" << left;
        EXPECT_NE(pdfText(pdf, 1).find("二"), std::string::npos);
        const std::string lo = reference(path);
        if (lo.empty())
            return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
        const std::array<double, 3> theirs = places(lo);
        for (std::size_t place = 0; place < ours.size(); ++place)
            EXPECT_NEAR(ours[place], theirs[place], 2) << place << ", \\li" << left;
    }
}

// A label the file follows with a blank ("\levelfollow1") or nothing
// ("\levelfollow2") has the item's text right after it on the line, not at
// the item's indent: the text's distance from the label's start is the
// label's width and that of the blank, as LibreOffice prints it.
TEST_F(ForeignRTFLooksExport, aLabelFollowedByABlankOrNothingHasTheTextRightAfterIt)
{
    struct Case {
        const char* follow;
        const char* text;
        // The label and the text are one word where nothing stands between.
        const char* word;
        double least;
        double most;
    };
    // "1." in 12 pt Arial is about 10 pt wide, a blank about 3.3 pt; the
    // item's indent, where a tab would take the text, is 18 pt past the
    // label's start.
    const Case cases[] = {
        {"1", "Blank", "Blank", 11, 15},
        {"2", "Bare", "1.Bare", -1, 1},
    };
    std::string lists;
    std::string overrides;
    std::string body;
    for (int index = 1; const Case& item : cases) {
        const std::string number = std::to_string(index++);
        lists += "{\\list\\listtemplateid" + number + "{\\listlevel\\levelnfc0\\leveljc0\\levelfollow" + item.follow
            + "\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li1080}\\listid" + number + "}";
        overrides += "{\\listoverride\\listid" + number + "\\listoverridecount0\\ls" + number + "}";
        body += "\\pard\\fi-360\\li1080\\ls" + number + "\\ilvl0 " + item.text + " item\\par\n";
    }
    const std::string path = document(
        "label-follow", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\paperw12240\\paperh15840\\margl1440\\margr1440\n"
                        "{\\*\\listtable" + lists + "}{\\*\\listoverridetable" + overrides + "}\n"
                        "\\pard\\f0\\fs24 Opening words.\\par\n" + body + "}");
    // From the label's start, which is the line's first word, to the text.
    auto gap = [](const std::string& pdf, const Case& item) {
        const PDFWord text = wordOn(pdf, item.word);
        double label = 1000;
        for (const PDFWord& word : pdfWords(pdf, 1))
            if (std::abs(word.yMax - text.yMax) < 3)
                label = std::min(label, word.xMin);
        return text.xMin - label;
    };
    const std::string pdf = exported(path, "pdf");
    for (const Case& item : cases) {
        EXPECT_GE(gap(pdf, item), item.least) << item.word << "\n" << pdfText(pdf, 1);
        EXPECT_LE(gap(pdf, item), item.most) << item.word << "\n" << pdfText(pdf, 1);
    }
    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    for (const Case& item : cases)
        EXPECT_NEAR(gap(pdf, item), gap(lo, item), 1.5) << item.word;
}

// Word's lists as LibreOffice prints them: a label wider than its item's
// hanging indent ("一、" in 21 pt) is followed by the next half-inch stop; an
// item's lines are spaced by the file's multiple of single spacing, and its
// space after stands between its words and a list nested in it. Distances
// in points across or down the page, from a word to another.
TEST_F(ForeignRTFLooksExport, wordListLabelsLinesAndNestedItemsStandWhereLibreOfficePrintsThem)
{
    struct Case {
        const char* file;
        const char* from;
        const char* to;
        bool across;
        double expected;
    };
    const Case cases[] = {
        {"rtf/word-numbering.rtf", "Plans", "Spring", true, 36},
        {"rtf/word-numbering.rtf", "Plans", "The", true, 54},
        {"rtf-roundtrip/word-list-paragraph.rtf", "Warm", "the", false, 11 * 1.08 * 1.16},
        {"rtf/word-lists-tables.rtf", "North", "Orchids", false, 11 * 1.08 * 1.15 + 8},
        {"rtf/word-lists-tables.rtf", "Orchids", "Stone", false, 11 * 1.08 * 1.15 + 8},
    };
    auto distance = [](const std::string& pdf, const Case& item) {
        const PDFWord from = wordOn(pdf, item.from);
        const PDFWord to = wordOn(pdf, item.to);
        return item.across ? to.xMin - from.xMin : to.yMin - from.yMin;
    };
    std::map<std::string, std::pair<std::string, std::string>> printed;
    for (const Case& item : cases) {
        auto& [pdf, lo] = printed[item.file];
        if (pdf.empty()) {
            Result<Data> original = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/" + item.file);
            ASSERT_TRUE(original.ok()) << item.file;
            const std::string path = document(std::filesystem::path(item.file).stem().string(), original->toString());
            pdf = exported(path, "pdf");
            lo = reference(path);
        }
        const std::string name = std::string(item.file) + ": " + item.from + " to " + item.to;
        EXPECT_NEAR(distance(pdf, item), item.expected, 1) << name;
        if (!lo.empty())
            EXPECT_NEAR(distance(pdf, item), distance(lo, item), 1) << name << ", beside LibreOffice's";
    }
}

// Space before a paragraph in a cell sets its words down inside the cell,
// and the row with them; a row of a given height is that high; as
// LibreOffice prints them.
TEST_F(ForeignRTFLooksExport, spaceBeforeACellsParagraphAndTheRowsHeightSetTheRowsDown)
{
    std::string cells;
    for (const int boundary : {4320, 8640})
        cells += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10"
                 "\\cellx" + std::to_string(boundary);
    const std::string row = "\\trowd\\trgaph108\\trleft-108" + cells + "\n";
    // 28 pt high.
    const std::string tallRow = "\\trowd\\trgaph108\\trleft-108\\trrh560" + cells + "\n";
    const std::string path = document(
        "spaced", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\\paperw12240\\paperh15840"
                  "\\margl1440\\margr1440\n\\pard\\plain\\f0\\fs24 Opening words.\\par\n" + row
                  + "\\pard\\plain\\intbl\\sb240\\f0\\fs24 Spaced cell\\cell\\pard\\plain\\intbl\\f0\\fs24 Plain cell"
                    "\\cell\\row\n" + tallRow + "\\pard\\plain\\intbl\\f0\\fs24 Second row\\cell\\pard\\plain\\intbl\\f0"
                  "\\fs24 Other cell\\cell\\row\n\\pard\\plain\\f0\\fs24 Closing words.\\par\n}");
    // How far the spaced words sit below their neighbour, the next row
    // below the first, and the words after the table below the tall row.
    auto drops = [](const std::string& pdf) {
        const double plain = wordOn(pdf, "Plain").yMin;
        const double second = wordOn(pdf, "Second").yMin;
        return std::array<double, 3>{wordOn(pdf, "Spaced").yMin - plain, second - plain,
                                     wordOn(pdf, "Closing").yMin - second};
    };
    const std::string pdf = exported(path, "pdf");
    const std::array<double, 3> ours = drops(pdf);
    EXPECT_NEAR(ours[0], 12, 2);
    EXPECT_GT(ours[1], ours[0] + 12);
    EXPECT_NEAR(ours[2], 28, 2);
    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    const std::array<double, 3> theirs = drops(lo);
    EXPECT_NEAR(ours[0], theirs[0], 2);
    EXPECT_NEAR(ours[1], theirs[1], 3);
    EXPECT_NEAR(ours[2], theirs[2], 3);
}

// A list's plain number ("1.", "ii.") stands at its item's first-line indent
// and the text at the left indent, as word processors print them; a label
// wider than the hang goes on to the next of the document's default stops
// (\deftab420, every 21 pt), not to the next half inch. Points from the margin.
TEST_F(ForeignRTFLooksExport, plainNumbersStandAtTheFirstLineIndentAndWideLabelsAtTheDocumentsStops)
{
    struct Case {
        const char* format;
        const char* text;
        const char* indents;
        const char* word;
        double label;
        double words;
    };
    const Case cases[] = {
        {"\\levelnfc0", "\\'02\\'00.;", "\\fi-360\\li720", "Decimal", 18, 36},
        {"\\levelnfc0", "\\'02\\'00.;", "\\fi-300\\li720", "Narrow", 21, 36},
        {"\\levelnfc2", "\\'02\\'00.;", "\\fi-360\\li1080", "Roman", 36, 54},
        {"\\levelnfc37\\levelnfcn37", "\\'02\\'00\\u12289 ?;", "\\fi-300\\li300", "Counting", 0, 42},
    };
    std::string lists;
    std::string overrides;
    std::string body;
    for (int index = 1; const Case& item : cases) {
        const std::string number = std::to_string(index++);
        lists += "{\\list\\listtemplateid" + number + "{\\listlevel" + item.format + "\\leveljc0\\levelfollow0"
            "\\levelstartat1{\\leveltext" + item.text + "}{\\levelnumbers\\'01;}" + item.indents + "}\\listid" + number
            + "}";
        overrides += "{\\listoverride\\listid" + number + "\\listoverridecount0\\ls" + number + "}";
        body += "\\pard" + std::string(item.indents) + "\\ls" + number + "\\ilvl0\\f1\\fs24 " + item.word + " item\\par\n";
    }
    const std::string path = document(
        "plain-numbers", "{\\rtf1\\ansi\\ansicpg936\\deff1\\deftab420{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}"
                         "{\\f1\\froman Times New Roman;}}\\paperw12240\\paperh15840\\margl1440\\margr1440\n"
                         "{\\*\\listtable" + lists + "}{\\*\\listoverridetable" + overrides + "}\n"
                         "\\pard\\f1\\fs24 Opening words.\\par\n" + body + "}");
    // The label, the line's first word, and the text, from the margin.
    auto places = [](const std::string& pdf, const Case& item) {
        const double margin = wordOn(pdf, "Opening").xMin;
        const PDFWord text = wordOn(pdf, item.word);
        double label = 1000;
        for (const PDFWord& word : pdfWords(pdf, 1))
            if (std::abs(word.yMax - text.yMax) < 3)
                label = std::min(label, word.xMin);
        return std::array<double, 2>{label - margin, text.xMin - margin};
    };
    const std::string pdf = exported(path, "pdf");
    for (const Case& item : cases) {
        const std::array<double, 2> ours = places(pdf, item);
        EXPECT_NEAR(ours[0], item.label, 1.5) << item.word << "\n" << pdfText(pdf, 1);
        EXPECT_NEAR(ours[1], item.words, 1.5) << item.word << "\n" << pdfText(pdf, 1);
    }
    EXPECT_NE(findWord(pdfWords(pdf, 1), "i."), nullptr) << pdfText(pdf, 1);
    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    for (const Case& item : cases) {
        EXPECT_NEAR(places(pdf, item)[0], places(lo, item)[0], 1.5) << item.word;
        EXPECT_NEAR(places(pdf, item)[1], places(lo, item)[1], 1.5) << item.word;
    }
}

// A font this computer lacks prints in the face fontconfig draws for the
// kind of font its table entry says it is, as LibreOffice prints a missing
// font that fontconfig knows the kind of ("Georgia", a serif); one of no
// stated kind, in the page's standard face as before.
TEST_F(ForeignRTFLooksExport, aMissingFontPrintsInTheFaceOfItsKind)
{
    struct Case {
        const char* entry;
        const char* word;
        // What fontconfig is asked for the face: the kind, or for a name
        // it knows the kind of, the name, as LibreOffice asks.
        const char* pattern;
    };
    const Case cases[] = {
        {"\\froman Folio Absent Roman", "Romanword", "serif"},
        {"\\fswiss Folio Absent Swiss", "Swissword", "sans-serif"},
        {"\\fmodern Folio Absent Modern", "Modernword", "monospace"},
        {"\\fnil Georgia{\\*\\falt serif}", "Georgiaword", "Georgia"},
    };
    // The face of each word: pdftohtml names a text's font, without the
    // subset's prefix.
    auto faceOf = [](const std::string& pdf, const std::string& word) {
        const std::string page = commandOutput("pdftohtml -xml -i -stdout -f 1 -l 1 '" + pdf + "' 2>/dev/null");
        std::map<std::string, std::string> faces;
        const std::regex spec("<fontspec id=\"([0-9]+)\"[^>]* family=\"(?:[A-Z]{6}\\+)?([^\"]+)\"");
        for (std::sregex_iterator at(page.begin(), page.end(), spec), end; at != end; ++at)
            faces[(*at)[1].str()] = (*at)[2].str();
        std::smatch text;
        if (!std::regex_search(page, text, std::regex("font=\"([0-9]+)\"[^>]*>" + word + "<")))
            return std::string("no ") + word;
        return faces[text[1].str()];
    };
    std::string table, words;
    for (std::size_t index = 0; index < std::size(cases); ++index) {
        table += "{\\f" + std::to_string(index) + cases[index].entry + ";}";
        words += "\\pard\\f" + std::to_string(index) + "\\fs24 " + cases[index].word + "\\par\n";
    }
    const std::string path = document("missing-fonts", "{\\rtf1\\ansi\\deff0{\\fonttbl" + table + "}\n" + words + "}");
    const std::string pdf = exported(path, "pdf");
    for (const Case& test : cases)
        EXPECT_EQ(faceOf(pdf, test.word), commandOutput(std::string("fc-match -f '%{postscriptname}' '") + test.pattern + "'"))
            << test.entry;
    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    EXPECT_EQ(faceOf(pdf, "Georgiaword"), faceOf(lo, "Georgiaword"));
    EXPECT_EQ(faceOf(pdf, "Swissword"), faceOf(lo, "Swissword"));
}

// A note's mark raised at the end of a cell's words leaves their line where
// it is: the cell beside it prints level with them, as LibreOffice prints a
// row from another word processor.
TEST_F(ForeignRTFLooksExport, aNoteMarkInACellLeavesItsWordsLevelWithTheNextCells)
{
    const std::string corpus = "/work/shared/corpus-open/rtf/libreoffice/fdo82076.rtf";
    const std::string written = "{\\rtf1\\pard\\plain Before\\par\\trowd\\cellx4000\\cellx8000 A1\\cell B1{\\chftn"
                                "{\\footnote Footnote}}\\cell\\row\\pard After\\par}";
    for (const std::string& path : writtenAndReal("note-in-cell", written, corpus)) {
        const std::string pdf = exported(path, "pdf");
        EXPECT_NEAR(wordOn(pdf, "B1").yMin, wordOn(pdf, "A1").yMin, 1) << path;
        const std::string lo = reference(path);
        if (!lo.empty())
            EXPECT_NEAR(wordOn(lo, "B1").yMin, wordOn(lo, "A1").yMin, 1) << path;
    }
}

// A word processor's frame stands its paragraph where the frame says on the
// page (a report writer's pages of frames, each after a page break): at an
// offset from the page's edges, or centred on the page both ways, as
// LibreOffice prints it. The middle of each word, in points from the page's
// corner.
TEST_F(ForeignRTFLooksExport, aFramedParagraphStandsAtItsPlaceOnThePage)
{
    struct Case {
        const char* word;
        int page;
        double across;
        double down;
    };
    // A4 across, 842 by 595 points.
    const Case cases[] = {
        {"Placed", 1, (2007 + 12870 / 2) / 20.0, 597 / 20.0 + 7},
        {"Centred", 2, 421, 297.5},
        {"Corner", 3, 13152 / 20.0 + 2984 / 20.0 - 15, 612 / 20.0 + 5},
    };
    const std::string path = document(
        "frames", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\landscape\\paperw16836\\paperh11904\\margl567"
                  "\\margr397\\margt567\\margb284\\sectd\\sbknone\n"
                  "{\\pard\\pvpg\\phpg\\posx2007\\posy597\\absw12870\\absh-900\\qc\\f0\\fs20 Placed\\par}\\page\\sect\n"
                  "{\\pard\\pvpg\\phpg\\posxc\\posyc\\qr\\f0\\fs20 Centred\\par}\\page\\sect\n"
                  "{\\pard\\pvpg\\phpg\\posx13152\\posy612\\absw2984\\absh-210\\qr\\f0\\fs20 Corner\\par}\\sect}");
    const std::string pdf = exported(path, "pdf");
    for (const Case& item : cases) {
        const PDFWord word = wordOn(pdf, item.word, item.page);
        EXPECT_NEAR(middle(word), item.across, 6) << item.word;
        EXPECT_NEAR(middle(word, true), item.down, 6) << item.word;
    }
    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    for (const Case& item : cases) {
        // LibreOffice may set a frame on another page than its paragraph's.
        for (int page = 1; page <= pdfPageCount(lo); ++page)
            if (const PDFWord* theirs = findWord(pdfWords(lo, page), item.word)) {
                const PDFWord ours = wordOn(pdf, item.word, item.page);
                EXPECT_NEAR(middle(ours), middle(*theirs), 3) << item.word;
                EXPECT_NEAR(middle(ours, true), middle(*theirs, true), 3) << item.word;
            }
    }
}

// A frame placed down from its paragraph (an old drawn text box's
// "\\dobypara") or from the top margin prints that far below where the text's
// flow would have left it: with the frame as the first paragraph, both are the
// column's top.
TEST_F(ForeignRTFLooksExport, aFrameDownFromItsParagraphOrTheMarginPrintsAtItsOffset)
{
    struct Case {
        const char* frame;
        int offset;
    };
    const Case cases[] = {{"\\pvpara", 600}, {"\\pvmrg", 2000}, {"\\pvpara", 0}};
    auto printedTop = [this](const std::string& name, const std::string& frame) {
        const std::string path = document(
            name, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\\paperw11906\\paperh16838"
                  "\\margl1440\\margr1440\\margt1440\\margb1440\n{\\pard" + frame + "\\phpg\\posx2000\\absw4000\\f0\\fs24 Boxed\\par}\n"
                  "\\pard\\f0\\fs24 Flowing\\par}");
        return wordOn(exported(path, "pdf"), "Boxed").yMin;
    };
    const double unplaced = printedTop("unplaced", "");
    for (const Case& test : cases) {
        const std::string frame = std::string(test.frame) + "\\posy" + std::to_string(test.offset);
        EXPECT_NEAR(printedTop("placed", frame) - unplaced, test.offset / 20.0, 1.5) << frame;
    }
}

// A Mac editor's picture named beside a file that came without it prints
// its name where the picture stands, above the words after it, as
// LibreOffice prints it; on a file of its own and on a real one.
TEST_F(ForeignRTFLooksExport, aPictureNotAtHandPrintsItsNameInItsPlace)
{
    const std::string corpus = "/work/shared/corpus-open/rtf/cocoa/rtfd-readme-readonly.rtf";
    const std::string written = "{\\rtf1\\ansi\\ansicpg1252\\cocoartf1038{\\fonttbl\\f0\\fswiss Helvetica;}\n\\pard\\f0"
                                "\\fs24 {{\\NeXTGraphic Pasted Graphic.tiff \\width960 \\height960}\\'ac}\\\n"
                                "\\fs72 QTCoreVideo101\\\n}";
    for (const std::string& path : writtenAndReal("named-picture", written, corpus)) {
        const std::string pdf = exported(path, "pdf");
        const PDFWord name = wordOn(pdf, "Pasted");
        const PDFWord title = wordOn(pdf, "QTCoreVideo101");
        EXPECT_LT(name.yMax, title.yMin) << path;
        EXPECT_NEAR(name.xMin, title.xMin, 2) << path;
        EXPECT_NE(pdfText(pdf, 1).find("Graphic.ti"), std::string::npos) << pdfText(pdf, 1);
    }
}

} // namespace
} // namespace folio
