#include "documents/DocumentSizeLimits.h"
#include "documents/EditingPageEstimate.h"
#include "formats/rtf/RichTextConverter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace folio {
namespace {

// Long plain prose and short paragraphs of many runs, links, notes and
// headings, in turns, whose page takes several times more per character.
std::string changingDocument()
{
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\froman Georgia;}"
                      "{\\colortbl;\\red200\\green20\\blue20;\\red20\\green20\\blue200;}\n";
    unsigned seed = 7;
    auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    for (int block = 0; block < 8; ++block) {
        for (int paragraph = 0; paragraph < 100; ++paragraph) {
            rtf += "\\pard\\f0\\fs24 ";
            for (unsigned repeat = 10 + next(20); repeat > 0; --repeat)
                rtf += "plain words of prose running on and on without a change of look ";
            rtf += "\\par\n";
        }
        for (int paragraph = 0; paragraph < 3000; ++paragraph) {
            if (next(3) == 0)
                rtf += "\\pard\\sb240\\keepn\\f1\\fs36\\b Heading\\b0\\par\n";
            else if (next(2) == 0)
                rtf += "\\pard\\qj {\\field{\\*\\fldinst{HYPERLINK \"https://example.com/\"}}{\\fldrslt\\ul\\cf2 a link}}"
                       " and a note{\\*\\footnote\\pard\\fs20 {\\chftn} The note.}\\par\n";
            for (unsigned run = 2 + next(6); run > 0; --run)
                rtf += "{\\cf" + std::to_string(1 + next(2)) + "\\fs" + std::to_string(18 + 2 * next(8)) + " w}";
            rtf += "\\par\n";
        }
    }
    return rtf + "}";
}

// The estimate the document makes while it reads comes close to the page
// made afterwards, also where the paragraphs change on the way: within the
// margin the editor's limit leaves it, so that no document whose page the
// editor opens is refused by its estimate.
TEST(EditingPageEstimateTest, theEstimateMadeWhileReadingComesCloseToThePageMadeAfter)
{
    const std::shared_ptr<RichTextConverter> converter = RichTextConverter::engineConverter();
    const std::string rtf = changingDocument();
    EditingPageEstimate estimate(*converter, "estimate");
    std::size_t looks = 0;
    DKRTFReadWatch watch;
    watch.goOn = [&](const AttributedString& textSoFar) {
        ++looks;
        estimate.grownTo(textSoFar);
        return true;
    };
    Result<DKRTFReadResult> read = converter->readRTF(DKRTFReaderSource::utf8(rtf), "estimate", &watch);
    ASSERT_TRUE(read.ok());
    const std::size_t estimated = estimate.grownTo(read->text);
    EXPECT_EQ(estimate.grownTo(read->text), estimated) << "a text that did not grow adds nothing";
    ASSERT_GE(looks, 4u);

    Result<RichTextConverter::EditingPage> page = converter->editingPageFromAttributedString(read->text, "estimate");
    ASSERT_TRUE(page.ok());
    const double error = (static_cast<double>(estimated) - static_cast<double>(page->html.size()))
                         / static_cast<double>(page->html.size());
    const double margin = static_cast<double>(DocumentSizeLimits::kMostRichTextPageEstimate)
                              / static_cast<double>(DocumentSizeLimits::kMostRichTextPageBytes)
                          - 1;
    EXPECT_LT(std::abs(error), margin) << estimated << " estimated for a page of " << page->html.size();
}

} // namespace
} // namespace folio
