#include "export/ForeignRTFExportFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace folio {
namespace {

using namespace testing_support;

// Word's tables keep room between a cell's shaded edge and its words, as
// the file's cell paddings say; the print keeps it, as LibreOffice's does.
class ForeignRTFCellPaddingExport : public ForeignRTFExport {
protected:
    // The colours of one row of the page, `width` points from `left` at `y`,
    // drawn at 10 pixels a point.
    static std::vector<std::array<int, 3>> pixelsAcross(const std::string& pdf, double left, double y, double width)
    {
        return pixelStrip(pdf, left, y, width, true);
    }

    static std::vector<std::array<int, 3>> pixelsDown(const std::string& pdf, double x, double top, double height)
    {
        return pixelStrip(pdf, x, top, height, false);
    }

    // How far (points) from the strip's start the first pixel of the colour
    // is; -1 when it is not there.
    static double firstOf(const std::vector<std::array<int, 3>>& strip, const std::array<int, 3>& colour)
    {
        for (std::size_t at = 0; at < strip.size(); ++at)
            if (std::abs(strip[at][0] - colour[0]) <= 6 && std::abs(strip[at][1] - colour[1]) <= 6
                && std::abs(strip[at][2] - colour[2]) <= 6)
                return at / 10.0;
        return -1;
    }

    struct Cell {
        const char* word;
        const char* words;
        std::array<int, 3> shading;
        double left;
    };

    // A row of the cells after the row's own words, each cell's word found
    // standing its left padding in from its shading's edge and `aboveAndBelow`
    // points below its top and above its bottom, in Folio's print and in
    // LibreOffice's.
    void expectPaddings(const std::string& name, const std::string& rowWords, const std::vector<Cell>& cells,
                        double aboveAndBelow)
    {
        std::string row = "\\trowd\\trgaph108" + rowWords;
        std::string text = "\\pard\\plain\\intbl\\f0\\fs24 ";
        int boundary = 0;
        for (const Cell& cell : cells) {
            boundary += 2800;
            row += std::string(cell.words) + "\\cellx" + std::to_string(boundary);
            text += std::string(cell.word) + "\\cell ";
        }
        const std::string path = document(
            name, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Liberation Serif;}}"
                  "{\\colortbl;\\red255\\green204\\blue0;\\red153\\green204\\blue255;\\red204\\green255\\blue204;}"
                  "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\n"
                  "\\pard\\plain\\f0\\fs24 Before the table.\\par\n"
                  + row + "\n" + text + "\\row\n\\pard\\plain\\f0\\fs24 After the table.\\par}");
        for (const std::string& printed : {exported(path, "pdf"), reference(path)}) {
            if (printed.empty())
                continue;
            const PDFWord before = wordOn(printed, "Before");
            double cellLeft = before.xMin;
            const double aboveTable = (before.yMin + before.yMax) / 2;
            for (const Cell& cell : cells) {
                SCOPED_TRACE(std::string(cell.word) + " in " + printed);
                const PDFWord word = wordOn(printed, cell.word);
                // The shading's edges: found going right along the word's
                // middle from the previous cell, and going down at the cell's
                // left from the middle of the line above the table.
                const double middle = (word.yMin + word.yMax) / 2;
                const double fromLeft = firstOf(pixelsAcross(printed, cellLeft - 10, middle, 40), cell.shading);
                const double fromTop =
                    firstOf(pixelsDown(printed, cellLeft - 10 + fromLeft + 1, aboveTable, 40), cell.shading);
                ASSERT_GT(fromLeft, 0) << "no shading starts near the cell's left";
                ASSERT_GT(fromTop, 0) << "no shading starts above the cell's word";
                const double shadedFrom = cellLeft - 10 + fromLeft;
                const double belowShading = firstOf(pixelsDown(printed, shadedFrom + 1, word.yMax, 30), {255, 255, 255});
                EXPECT_NEAR(word.xMin - shadedFrom, cell.left, 1.5);
                // The word's box is nearly its line's: the fonts' own depths
                // below the line differ by a point or two.
                EXPECT_NEAR(word.yMin - (aboveTable + fromTop), aboveAndBelow, 2);
                EXPECT_NEAR(belowShading, aboveAndBelow, 2);
                cellLeft = shadedFrom + 140;
            }
        }
    }

private:
    static std::vector<std::array<int, 3>> pixelStrip(const std::string& pdf, double x, double y, double length,
                                                      bool across)
    {
        const int pixels = static_cast<int>(length * 10);
        const std::string ppm = commandOutput(
            "pdftoppm -r 720 -f 1 -l 1 -x " + std::to_string(int(x * 10)) + " -y " + std::to_string(int(y * 10))
            + " -W " + std::to_string(across ? pixels : 1) + " -H " + std::to_string(across ? 1 : pixels) + " '" + pdf
            + "' 2>/dev/null");
        std::vector<std::array<int, 3>> strip;
        const std::size_t bytes = static_cast<std::size_t>(pixels) * 3;
        if (ppm.size() < bytes || ppm.compare(0, 2, "P6") != 0) {
            ADD_FAILURE() << "no picture of " << pdf;
            return strip;
        }
        const auto* rgb = reinterpret_cast<const unsigned char*>(ppm.data() + ppm.size() - bytes);
        for (int at = 0; at < pixels; ++at)
            strip.push_back({rgb[at * 3], rgb[at * 3 + 1], rgb[at * 3 + 2]});
        return strip;
    }
};

// Each cell is shaded in a colour of its own; its word stands its left
// padding in from the shading's edge, and the row's largest top and bottom
// paddings (12 points) above and below it. Word names the top padding
// "\clpadl" and the left one "\clpadt"; a cell that gives no left padding
// keeps the row's gap there.
TEST_F(ForeignRTFCellPaddingExport, shadedCellsKeepTheirPaddingsAroundTheirWords)
{
    expectPaddings("padded", "",
                   {{"Wide", "\\clpadfl3\\clpadl240\\clpadft3\\clpadt400\\clpadfb3\\clpadb240\\clpadfr3\\clpadr100\\clcbpat1",
                     {255, 204, 0}, 20},
                    {"Narrow", "\\clpadfl3\\clpadl60\\clpadft3\\clpadt120\\clpadfb3\\clpadb60\\clcbpat2", {153, 204, 255}, 6},
                    {"Gapped", "\\clcbpat3", {204, 255, 204}, 5.4}},
                   12);
}

// The row's own paddings, named as they are, are every cell's where the cell
// gives none of its own.
TEST_F(ForeignRTFCellPaddingExport, aRowsPaddingsAreItsCellsUnlessTheyGiveTheirOwn)
{
    expectPaddings("row-padded", "\\trpaddfl3\\trpaddl160\\trpaddft3\\trpaddt240\\trpaddfb3\\trpaddb240\\trpaddfr3\\trpaddr100",
                   {{"Rowpadded", "\\clcbpat1", {255, 204, 0}, 8},
                    {"Ownpadded", "\\clpadft3\\clpadt60\\clcbpat2", {153, 204, 255}, 3}},
                   12);
}

// A cell's own left padding moves its words, not its row: a header's table
// draws each border on its cell's boundary, as LibreOffice draws it.
TEST_F(ForeignRTFCellPaddingExport, aHeadersPaddedCellsDrawTheirBordersOnTheirBoundaries)
{
    const std::string cell = "\\clpadft3\\clpadt200\\clbrdrl\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10";
    const std::string path = document(
        "header-padded", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Liberation Sans;}}\n"
                         "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\\headery720\n"
                         "{\\header \\trowd" + cell + "\\cellx3000" + cell + "\\cellx6000\n"
                         "\\pard\\plain\\intbl\\f0\\fs20 Leftcell\\cell Rightcell\\cell\\row\n"
                         "\\pard\\plain\\f0\\fs20\\par}\n\\pard\\plain\\f0\\fs24 Body text of the page.\\par\n}");
    for (const std::string& printed : {exported(path, "pdf"), reference(path)}) {
        if (printed.empty())
            continue;
        const double margin = wordOn(printed, "Body").xMin;
        const PDFWord right = wordOn(printed, "Rightcell");
        const double line = (right.yMin + right.yMax) / 2;
        const double border = firstOf(pixelsAcross(printed, margin + 140, line, 20), {0, 0, 0});
        ASSERT_GE(border, 0) << "no border near the boundary in " << printed;
        EXPECT_NEAR(margin + 140 + border, margin + 150, 1.5) << printed;
    }
}

} // namespace
} // namespace folio
