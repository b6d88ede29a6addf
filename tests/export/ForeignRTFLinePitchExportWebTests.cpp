#include "export/ForeignRTFExportFixture.h"
#include "platform/graphics/Font.h"

#include <gtest/gtest.h>

#include <algorithm>
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

} // namespace
} // namespace folio
