#include "export/ForeignRTFExportFixture.h"
#include "platform/graphics/Font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace folio {
namespace {

using namespace testing_support;

// The distance between the baselines of consecutive lines of one page,
// the middle one of them: each line's words share a baseline.
double medianLinePitch(const std::vector<PDFWord>& words)
{
    std::vector<double> baselines;
    for (const PDFWord& word : words) {
        if (word.text == "Line")
            baselines.push_back(word.yMax);
    }
    std::sort(baselines.begin(), baselines.end());
    std::vector<double> pitches;
    for (std::size_t index = 1; index < baselines.size(); ++index)
        pitches.push_back(baselines[index] - baselines[index - 1]);
    if (pitches.empty())
        return 0;
    std::nth_element(pitches.begin(), pitches.begin() + pitches.size() / 2, pitches.end());
    return pitches[pitches.size() / 2];
}

TEST_F(ForeignRTFExport, linesPrintAsFarApartAsTheirFontsMetricsSetThem)
{
    // Lines of no spacing of their own stand the face's ascent, descent and
    // line gap apart, as word processors print them, not those rounded to
    // the screen's pixels.
    struct Case {
        const char* face;
        int halfPoints;
    };
    const Case cases[] = {{"Arial", 20}, {"Times New Roman", 24}, {"Courier New", 22}, {"Liberation Serif", 21},
                          {"Arial", 17}};
    for (const Case& each : cases) {
        SCOPED_TRACE(std::string(each.face) + " " + std::to_string(each.halfPoints));
        std::optional<Font> font = Font::fontWithName(each.face, each.halfPoints / 2.0);
        ASSERT_TRUE(font.has_value());
        std::string lines;
        for (int line = 1; line <= 40; ++line)
            lines += "Line " + std::to_string(line) + " of the text.\\par\n";
        std::string path = document("pitch",
                                    std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 ") + each.face + ";}}\n"
                                        + "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\n"
                                        + "\\pard\\f0\\fs" + std::to_string(each.halfPoints) + "\n" + lines + "}");
        std::string pdf = exported(path, "pdf");
        EXPECT_NEAR(medianLinePitch(pdfWords(pdf, 1)), font->lineHeight(), 0.15) << font->postScriptName();
    }
}

// A document of sections prints its lines as far apart as one without, in
// its columns too, and so on as many pages as LibreOffice prints it.
TEST_F(ForeignRTFExport, theLinesOfSectionsAndTheirColumnsPrintAsFarApartAsTheirFontsMetricsSetThem)
{
    std::optional<Font> arial = Font::fontWithName("Arial", 10);
    ASSERT_TRUE(arial.has_value());
    auto lines = [](int count) {
        std::string text;
        for (int line = 1; line <= count; ++line)
            text += "Line " + std::to_string(line) + " of the text.\\par\n";
        return text;
    };
    const std::string path = document(
        "section-pitch", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\n"
                         "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\n"
                         "\\sectd\\pard\\f0\\fs20\n" + lines(40) + "\\sect\\sectd\\sbkpage\\cols2\\colsx720\n"
                         "\\pard\\f0\\fs20\n" + lines(150) + "}");
    const std::string pdf = exported(path, "pdf");
    // The lines of the first column of a page of two columns.
    auto leftColumn = [](const std::string& printed, int page) {
        std::vector<PDFWord> left;
        for (const PDFWord& word : pdfWords(printed, page))
            if (word.xMin < 306)
                left.push_back(word);
        return left;
    };
    EXPECT_NEAR(medianLinePitch(pdfWords(pdf, 1)), arial->lineHeight(), 0.15);
    EXPECT_NEAR(medianLinePitch(leftColumn(pdf, 2)), arial->lineHeight(), 0.15);
    const std::string lo = reference(path);
    if (lo.empty())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    EXPECT_EQ(pdfPageCount(pdf), pdfPageCount(lo));
    auto count = [](const std::vector<PDFWord>& words) {
        return std::count_if(words.begin(), words.end(), [](const PDFWord& word) { return word.text == "Line"; });
    };
    EXPECT_NEAR(count(leftColumn(pdf, 2)), count(leftColumn(lo, 2)), 1);
}

// Lines spaced at a multiple of single lines print that multiple of their
// tallest font's own line apart, as LibreOffice prints them, whatever the
// sizes and faces of the paragraph's runs: a face the computer lacks is
// measured as the face it prints in.
TEST_F(ForeignRTFExport, linesSpacedAtAMultiplePrintThatMultipleOfTheirFontsLineApart)
{
    // Words of the font asked for and of a smaller Liberation Serif by
    // turns, so that each line holds both and the larger sets its height.
    std::string words;
    for (int word = 1; word <= 150; ++word)
        words += std::string("{\\f") + (word % 2 ? "1\\fs32" : "0\\fs20") + "  Line" + std::to_string(word) + "}";
    // The middle distance between the lines of a page, by the foot of
    // their words of the font asked for (the odd ones).
    auto pitch = [](const std::string& pdf) {
        std::vector<double> feet;
        for (const PDFWord& word : pdfWords(pdf, 1)) {
            const bool odd = !word.text.empty() && (word.text.back() - '0') % 2 == 1;
            if (odd && (feet.empty() || std::abs(word.yMax - feet.back()) > 3))
                feet.push_back(word.yMax);
        }
        std::vector<double> pitches;
        for (std::size_t index = 1; index < feet.size(); ++index)
            pitches.push_back(feet[index] - feet[index - 1]);
        if (pitches.empty())
            return 0.0;
        std::nth_element(pitches.begin(), pitches.begin() + pitches.size() / 2, pitches.end());
        return pitches[pitches.size() / 2];
    };
    struct Case {
        const char* face;
        const char* font;
        const char* spacing;
        double multiple;
    };
    // Verdana is missing here and prints in the default sans-serif face;
    // Arial in the clone the system binds to its name.
    const Case cases[] = {{"Verdana", "\\fnil Verdana", "\\sl480\\slmult1", 2},
                          {"Arial", "\\fswiss Arial", "\\sl276\\slmult1", 1.15}};
    const std::optional<Font> sans = Font::fontWithName("sans-serif", 16);
    ASSERT_TRUE(sans.has_value());
    for (const Case& each : cases) {
        SCOPED_TRACE(each.face);
        const std::optional<Font> font = Font::fontWithName(each.face, 16);
        const Font& printed = font ? *font : *sans;
        const std::string path = document("multiple",
            std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}{\\f1") + each.font
                + ";}}\n\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\n"
                + "\\pard" + each.spacing + words + "\\par\n}");
        const std::string pdf = exported(path, "pdf");
        EXPECT_NEAR(pitch(pdf), each.multiple * printed.lineHeight(), 0.2) << printed.postScriptName();
        const std::string lo = reference(path);
        if (lo.empty())
            continue;
        EXPECT_NEAR(pitch(pdf), pitch(lo), 0.2);
    }
}

} // namespace
} // namespace folio
