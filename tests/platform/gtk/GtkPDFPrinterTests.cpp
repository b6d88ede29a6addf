#include "platform/gtk/GtkPDFPrinter.h"
#include "platform/graphics/PDFContext.h"

#include "export/pdf/HTMLToPDFTestSupport.h"
#include "support/DocumentTestSupport.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace folio {
namespace {

using namespace testing_support;

bool isWide(const std::string& size)
{
    double width = 0, height = 0;
    return std::sscanf(size.c_str(), "%lf x %lf", &width, &height) == 2 && width > height;
}

// A document whose second section is turned prints that page on turned
// paper, its words as large as on the upright page.
TEST(GtkPDFPrinter, aLandscapePageIsPrintedOnTurnedPaper)
{
    ScratchFolder folder("gtk-pdf-printer");
    auto pdf = PDFContext::create();
    ASSERT_TRUE(pdf.ok());
    for (auto [size, word] : {std::pair{Size{612, 792}, "Upright"}, std::pair{Size{792, 612}, "Turned"}}) {
        cairo_t* cairo = (*pdf)->beginPage(size)->cairoContext();
        cairo_select_font_face(cairo, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cairo, 20);
        cairo_move_to(cairo, 100, 100);
        cairo_show_text(cairo, word);
    }
    ASSERT_TRUE((*pdf)->closeToFile(folder.path("document.pdf")).ok());

    std::string printed = folder.path("printed.pdf");
    ASSERT_TRUE(GtkPDFPrinter::printPDFFileToFile(folder.path("document.pdf"), printed).ok());
    ASSERT_EQ(pdfPageCount(printed), 2);
    EXPECT_FALSE(isWide(pdfPageSize(printed, 1))) << pdfPageSize(printed, 1);
    EXPECT_TRUE(isWide(pdfPageSize(printed, 2))) << pdfPageSize(printed, 2);
    PDFWord upright = pdfWords(printed, 1).at(0);
    PDFWord turned = pdfWords(printed, 2).at(0);
    EXPECT_EQ(turned.text, "Turned");
    EXPECT_NEAR(turned.yMax - turned.yMin, upright.yMax - upright.yMin, 2);
}

} // namespace
} // namespace folio
