#include "export/ForeignRTFExportFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace folio {
namespace {

using namespace testing_support;

// How other word processors' RTF prints its words: at the sizes the file
// gives, with its lines as far apart as the font sets them, and its runs of
// blanks as wide as word processors print them.
class ForeignRTFPrintedText : public ForeignRTFExport {
protected:
    static std::string file(const std::string& font, const std::string& body)
    {
        return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman " + font + ";}}\n"
               "\\paperw11906\\paperh16838\\margl1440\\margr1440\\margt1440\\margb1440\n" + body + "}";
    }

    // The distance between the tops of the lines that start with `word`.
    static std::vector<double> linesOf(const std::string& pdf, const std::string& word)
    {
        std::vector<double> tops;
        for (const PDFWord& found : pdfWords(pdf, 1))
            if (found.text == word && (tops.empty() || found.yMin > tops.back() + 1))
                tops.push_back(found.yMin);
        return tops;
    }
};

TEST_F(ForeignRTFPrintedText, sizesBetweenWholePixelsPrintAtTheirOwnSizeAndLineSpacing)
{
    struct Case {
        const char* font;
        int halfPoints;
        // The font's own distance between lines at that size, as LibreOffice
        // prints it, where the page's whole pixels come within a third of a
        // point of it.
        std::optional<double> pitch;
    };
    const std::vector<Case> cases{{"Times New Roman", 22, 12.65}, {"Times New Roman", 26, 14.95},
                                  {"Times New Roman", 20, std::nullopt}};
    for (const Case& test : cases) {
        const std::string size = std::to_string(test.halfPoints);
        std::string lines;
        for (int line = 0; line < 8; ++line)
            lines += "Line\\line ";
        const std::string path = document(
            "size" + size, file(test.font, "\\pard\\plain\\f0\\fs24 Mississippi\\par\n\\pard\\plain\\f0\\fs" + size
                                               + " Tennessee Mississippi\\par\n\\pard\\plain\\f0\\fs" + size + " "
                                               + lines + "\\par\n"));
        const std::string pdf = exported(path, "pdf");
        // The word at 12 pt prints at its true size: the other is as much
        // smaller or larger as its size says.
        std::vector<PDFWord> words;
        for (const PDFWord& word : pdfWords(pdf, 1))
            if (word.text == "Mississippi")
                words.push_back(word);
        ASSERT_EQ(words.size(), 2u) << size;
        const double ratio = (words[1].yMax - words[1].yMin) / (words[0].yMax - words[0].yMin);
        EXPECT_NEAR(ratio, test.halfPoints / 24.0, 0.004) << size;
        const std::vector<double> tops = linesOf(pdf, "Line");
        ASSERT_EQ(tops.size(), 8u) << size;
        if (test.pitch)
            EXPECT_NEAR((tops.back() - tops.front()) / 7, *test.pitch, 0.3) << size;
    }
}

TEST_F(ForeignRTFPrintedText, eachBlankOfARunPrintsASixthOfAnEmWider)
{
    struct Case {
        const char* font;
        const char* between;
        int blanks;
        // The font's blank, in ems.
        double blank;
        // Whether each blank prints a sixth of an em wider.
        bool widened;
    };
    const std::vector<Case> cases{{"Times New Roman", "  ", 2, 0.25, true},
                                  {"Times New Roman", "     ", 5, 0.25, true},
                                  {"Arial", "    ", 4, 0.278, true},
                                  {"Times New Roman", "\\~\\~\\~", 3, 0.25, false},
                                  {"Times New Roman", " ", 1, 0.25, false}};
    std::string body;
    for (std::size_t line = 0; line < cases.size(); ++line) {
        const std::string font = cases[line].font == std::string("Arial") ? "\\f1" : "\\f0";
        body += "\\pard\\plain" + font + "\\fs24 A" + std::to_string(line) + " B" + std::to_string(line) + "\\par\n";
        body += "\\pard\\plain" + font + "\\fs24 A" + std::to_string(line) + cases[line].between + "B"
            + std::to_string(line) + "\\par\n";
    }
    const std::string path = document(
        "blanks", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}\n"
                  "\\paperw11906\\paperh16838\\margl1440\\margr1440\\margt1440\\margb1440\n" + body + "}");
    const std::string pdf = exported(path, "pdf");
    const std::vector<PDFWord> words = pdfWords(pdf, 1);
    for (std::size_t line = 0; line < cases.size(); ++line) {
        const Case& test = cases[line];
        // The second word of the line with one blank, then of the line with the run.
        std::vector<double> starts;
        for (const PDFWord& word : words)
            if (word.text == "B" + std::to_string(line))
                starts.push_back(word.xMin);
        ASSERT_EQ(starts.size(), 2u) << line;
        const double widening = test.widened ? test.blanks * 12.0 / 6 : 0;
        EXPECT_NEAR(starts[1] - starts[0], (test.blanks - 1) * test.blank * 12 + widening, 1.2)
            << line << ": " << test.between;
    }
}

// A row of tabs and blanks that a title is set after (a Mac editor's notes)
// and that runs past the line's end hangs there: the title starts the next
// line at the margin, whole, where LibreOffice prints it.
TEST_F(ForeignRTFPrintedText, aRowOfBlanksPastTheLinesEndHangsAndTheTitleStartsTheNextLine)
{
    const std::string tabs(12, '\t');
    const struct {
        const char* name;
        std::string before;
    } rows[] = {{"tabs then blanks", tabs + std::string(30, ' ')},
                {"blanks alone", std::string(70, ' ')},
                {"blanks between words", "Notes" + std::string(60, ' ')}};
    for (const auto& [name, before] : rows) {
        SCOPED_TRACE(name);
        const std::string path = document(
            std::string("title-") + name[0] + std::to_string(before.size()),
            "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2580{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
            "\\paperw11900\\paperh16840\\margl1440\\margr1440\n"
            "\\pard\\tx566\\tx1133\\tx1700\\tx2267\\tx2834\\tx3401\\tx3968\\tx4535\\tx5102\\tx5669\\tx6236"
            "\\tx6803\\pardirnatural\n\\f0\\b\\fs48 \\cf0 " + before + "Core Java\\\n"
            "\\pard\\pardirnatural\\b0\\fs24 Body text.\\\n}");
        auto expectTitleOnTheNextLine = [](const std::string& pdf, const char* who) {
            const PDFWord core = wordOn(pdf, "Core");
            const PDFWord java = wordOn(pdf, "Java");
            EXPECT_NEAR(core.xMin, wordOn(pdf, "Body").xMin, 1.5) << who << ": the title does not start the line";
            EXPECT_GT(core.yMin, 90) << who << ": the title is on the first line";
            EXPECT_NEAR(java.yMin, core.yMin, 1) << who << ": the title is broken";
        };
        const std::string pdf = exported(path, "pdf");
        expectTitleOnTheNextLine(pdf, "Folio");
        const std::string lo = reference(path);
        if (lo.empty())
            continue;
        expectTitleOnTheNextLine(lo, "LibreOffice");
        // The fonts' boxes differ in height: their middles stand on the line alike.
        auto middle = [](const PDFWord& word) { return (word.yMin + word.yMax) / 2; };
        EXPECT_NEAR(middle(wordOn(pdf, "Core")), middle(wordOn(lo, "Core")), 2);
    }
}

TEST_F(ForeignRTFPrintedText, aThickBorderPrintsNoLineAsWordProcessorsPrintIt)
{
    struct Case {
        const char* border;
        bool inCell;
        // Lines above and below the paragraph or cell.
        std::size_t lines;
    };
    const std::vector<Case> cases{{"\\brdrs\\brdrw20", false, 2}, {"\\brdrth\\brdrw20", false, 0},
                                  {"\\brdrth", false, 0},           {"\\brdrs", false, 2},
                                  {"\\brdrs\\brdrw20", true, 2},  {"\\brdrth\\brdrw20", true, 0},
                                  {"\\brdrth", true, 0}};
    for (const Case& test : cases) {
        const std::string border = test.border;
        const std::string ruled = test.inCell
            ? "\\trowd\\clbrdrt" + border + "\\clbrdrb" + border + "\\cellx8000\\pard\\intbl\\plain\\f0\\fs24 Ruled\\cell\\row\n"
            : "\\pard\\plain\\brdrt" + border + "\\brdrb" + border + "\\f0\\fs24 Ruled\\par\n";
        const std::string path = document(
            "border", file("Times New Roman", "\\pard\\plain\\f0\\fs24 Before\\par\n" + ruled
                                                  + "\\pard\\plain\\f0\\fs24 After\\par\n"));
        const std::string pdf = exported(path, "pdf");
        const PDFWord before = wordOn(pdf, "Before");
        const PDFWord after = wordOn(pdf, "After");
        // Down a column right of the words, at 10 pixels a point.
        const int top = static_cast<int>(before.yMax * 10);
        const int height = static_cast<int>((after.yMin - before.yMax) * 10);
        const std::string pgm = commandOutput("pdftoppm -r 720 -gray -f 1 -l 1 -x " + std::to_string(int(before.xMin + 200) * 10)
                                              + " -y " + std::to_string(top) + " -W 1 -H " + std::to_string(height) + " '"
                                              + pdf + "' 2>/dev/null");
        ASSERT_GE(pgm.size(), static_cast<std::size_t>(height)) << border;
        std::size_t lines = 0;
        bool dark = false;
        for (std::size_t at = pgm.size() - static_cast<std::size_t>(height); at < pgm.size(); ++at) {
            const bool ink = static_cast<unsigned char>(pgm[at]) < 128;
            if (ink && !dark)
                ++lines;
            dark = ink;
        }
        EXPECT_EQ(lines, test.lines) << border << (test.inCell ? " in a cell" : "");
    }
}

} // namespace
} // namespace folio
