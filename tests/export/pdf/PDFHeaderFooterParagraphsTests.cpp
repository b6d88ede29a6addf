#include "export/pdf/PDFHeaderFooterParagraphs.h"

#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using Alignment = GraphicsContext::TextBoxStyle::Alignment;
using TabAlignment = GraphicsContext::TextBoxTab::Alignment;

std::shared_ptr<const PDFHeaderFooterParagraphs> paragraphsOf(std::string_view rtf)
{
    Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(rtf));
    EXPECT_TRUE(read.ok());
    return read ? PDFHeaderFooterParagraphs::fromText(read->text) : nullptr;
}

std::u16string textOf(const GraphicsContext::TextBoxParagraph& paragraph)
{
    std::u16string text;
    for (const GraphicsContext::TextBoxRun& run : paragraph.runs)
        text += run.text;
    return text;
}

// A header as WordPad writes it: a line with a centre and a right stop, then
// a centred line of its own in another font, size and colour.
constexpr std::string_view kHeader =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Calibri;}{\\f1\\fnil Cambria;}}"
    "{\\colortbl ;\\red0\\green112\\blue192;\\red112\\green48\\blue160;}"
    "\\pard\\sa120\\tqc\\tx4680\\tqr\\tx9360\\cf1\\f1\\fs20\\b Board\\b0  minutes\\tab Confidential\\tab Page [pagenumber]\\par\n"
    "\\pard\\qc\\cf2\\f0\\fs16\\i Second line of [totalpages]\\par\n}";

TEST(PDFHeaderFooterParagraphs, eachParagraphKeepsItsAlignmentStopsSpacingAndRunLooks)
{
    auto heads = paragraphsOf(kHeader);
    ASSERT_TRUE(heads);
    const auto& paragraphs = heads->paragraphs();
    // The last paragraph mark ends the second paragraph and starts none.
    ASSERT_EQ(paragraphs.size(), 2u);

    const auto& first = paragraphs[0];
    EXPECT_EQ(first.alignment, Alignment::Left);
    ASSERT_EQ(first.tabStops.size(), 2u);
    EXPECT_DOUBLE_EQ(first.tabStops[0].location, 234);
    EXPECT_EQ(first.tabStops[0].alignment, TabAlignment::Center);
    EXPECT_DOUBLE_EQ(first.tabStops[1].location, 468);
    EXPECT_EQ(first.tabStops[1].alignment, TabAlignment::Right);
    EXPECT_DOUBLE_EQ(first.spaceAfter, 6);
    EXPECT_EQ(textOf(first), u"Board minutes\tConfidential\tPage [pagenumber]");
    ASSERT_GE(first.runs.size(), 2u);
    EXPECT_EQ(first.runs[0].text, u"Board");
    EXPECT_TRUE(first.runs[0].bold);
    EXPECT_FALSE(first.runs[1].bold);
    EXPECT_EQ(first.runs[0].family, "Cambria");
    EXPECT_DOUBLE_EQ(first.runs[0].pointSize, 10);
    EXPECT_NEAR(first.runs[0].color.green(), 112 / 255.0, 0.01);
    EXPECT_NEAR(first.runs[0].color.blue(), 192 / 255.0, 0.01);

    const auto& second = paragraphs[1];
    EXPECT_EQ(second.alignment, Alignment::Center);
    EXPECT_TRUE(second.tabStops.empty());
    ASSERT_EQ(second.runs.size(), 1u);
    EXPECT_EQ(second.runs[0].family, "Calibri");
    EXPECT_DOUBLE_EQ(second.runs[0].pointSize, 8);
    EXPECT_TRUE(second.runs[0].italic);
    EXPECT_NEAR(second.runs[0].color.red(), 112 / 255.0, 0.01);
}

// Each page fills the page number and count in afresh; the title and date
// are filled in once, for the whole conversion.
TEST(PDFHeaderFooterParagraphs, pagesFillInTheirOwnNumbersFromTheUnfilledParagraphs)
{
    auto heads = paragraphsOf(kHeader);
    ASSERT_TRUE(heads);
    auto third = heads->paragraphsForPage(3, 7);
    EXPECT_EQ(textOf(third[0]), u"Board minutes\tConfidential\tPage 3");
    EXPECT_EQ(textOf(third[1]), u"Second line of 7");
    EXPECT_EQ(textOf(heads->paragraphsForPage(4, 7)[0]), u"Board minutes\tConfidential\tPage 4");

    auto titled = paragraphsOf("{\\rtf1\\ansi \\pard [title] on [date]\\par\\pard [pagenumber]\\par}")
                      ->withConversionPlaceholders({u"Report", u"1/2/26", u"January 2, 2026"});
    auto page = titled->paragraphsForPage(2, 2);
    EXPECT_EQ(textOf(page[0]), u"Report on 1/2/26");
    EXPECT_EQ(textOf(page[1]), u"2");
}

// Blank lines between paragraphs stay lines; a header with no words, or
// only pictures, prints nothing; one past the bounds is cut, not refused.
TEST(PDFHeaderFooterParagraphs, blankLinesStayAndWordlessOrHugeHeadsAreBounded)
{
    auto spaced = paragraphsOf("{\\rtf1\\ansi \\pard One\\par\\par\\pard Three\\par}");
    ASSERT_TRUE(spaced);
    ASSERT_EQ(spaced->paragraphs().size(), 3u);
    EXPECT_EQ(textOf(spaced->paragraphs()[1]), u"");
    EXPECT_EQ(textOf(spaced->paragraphs()[2]), u"Three");

    EXPECT_FALSE(paragraphsOf("{\\rtf1\\ansi \\pard \\tab  \\par\\par}"));

    // One plain line is what the settings say as well; a bold word, a tab or
    // a second look is more.
    EXPECT_TRUE(spaced->exceedOneLine());
    EXPECT_FALSE(paragraphsOf("{\\rtf1\\ansi \\pard\\qr\\cf0 Page [pagenumber]\\par}")->exceedOneLine());
    EXPECT_TRUE(paragraphsOf("{\\rtf1\\ansi \\pard Page {\\b [pagenumber]}\\par}")->exceedOneLine());
    EXPECT_TRUE(paragraphsOf("{\\rtf1\\ansi \\pard Left\\tab Right\\par}")->exceedOneLine());
    EXPECT_TRUE(paragraphsOf("{\\rtf1\\ansi \\pard Plain {\\fs30 large}\\par}")->exceedOneLine());
    EXPECT_FALSE(PDFHeaderFooterParagraphs::fromText(AttributedString(u"\uFEFF\n\uFFFC")));

    std::u16string many;
    for (int line = 0; line < 500; ++line)
        many += u"Line\n";
    auto bounded = PDFHeaderFooterParagraphs::fromText(AttributedString(many));
    ASSERT_TRUE(bounded);
    EXPECT_EQ(bounded->paragraphs().size(), PDFHeaderFooterParagraphs::kMaximumParagraphs);
}

} // namespace
} // namespace folio
