#include "delivery/ExportPreferencesReader.h"
#include "export/pdf/NDHTMLtoPDF.h"
#include "export/pdf/PageRenderer.h"
#include "export/pdf/UIPrintPageRendererMarquent.h"
#include "documents/PageSizes.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/PDFContext.h"
#include "platform/web/FakeWebView.h"

#include "support/DocumentTestSupport.h"
#include "export/pdf/HTMLToPDFTestSupport.h"

#include <cairo.h>
#include <gtest/gtest.h>

namespace folio {
namespace {

using namespace testing_support;

class PrintRenderers : public testing::Test {
protected:
    ScratchFolder m_folder{"print-renderers"};
    UserDefaults m_defaults{m_folder.path("prefs.plist")};
};

TEST_F(PrintRenderers, MarquentRendererNumbersEachSheetInsideTheRightMargin)
{
    std::string printed = m_folder.path("printed.pdf");
    writePrintedPDF(printed, 3, Size{612, 792});
    m_defaults.setBool("pageNumbersEnabled", true);
    m_defaults.setString("defaultPageSize", "A4");
    m_defaults.setDouble("marquentPageMarginRight", 2.54);
    UIPrintPageRendererMarquent::Options options =
        UIPrintPageRendererMarquent::optionsFromPreferences(ExportPreferencesReader::read(m_defaults), DocumentKind::RTF);
    EXPECT_TRUE(options.pageNumbers);
    EXPECT_NEAR(options.rightMargin, 72, 1e-9);
    // The number's box starts 132 points left of the sheet's right edge.
    EXPECT_NEAR(options.pageSize.width - UIPrintPageRendererMarquent::numberRect(options).minX(), 132, 1e-9);

    std::string output = m_folder.path("numbered.pdf");
    ASSERT_TRUE(UIPrintPageRendererMarquent::printToPDF(printed, output, options).ok());
    EXPECT_EQ(pdfPageCount(output), 3);
    EXPECT_EQ(pdfPageSize(output), "595.44 x 841.68");
    std::vector<PDFWord> words = pdfWords(output, 2);
    const PDFWord* number = findWord(words, "2");
    ASSERT_NE(number, nullptr);
    EXPECT_LE(number->xMax, 595.44 - 72 - 10 + 1);
    EXPECT_GE(number->xMin, 595.44 - 132 - 1);
    EXPECT_NEAR(number->yMin, 36, 4);
    EXPECT_NE(findWord(words, "Body2"), nullptr);

    // QV pages have no right margin; without page numbers no number is drawn.
    m_defaults.setBool("pageNumbersEnabled", false);
    options = UIPrintPageRendererMarquent::optionsFromPreferences(ExportPreferencesReader::read(m_defaults), DocumentKind::QVText);
    EXPECT_EQ(options.rightMargin, 0);
    ASSERT_TRUE(UIPrintPageRendererMarquent::printToPDF(printed, output, options).ok());
    EXPECT_EQ(findWord(pdfWords(output, 1), "1"), nullptr);
}

TEST_F(PrintRenderers, MarquentRendererPageSizesAndTheOnePageMode)
{
    EXPECT_EQ(UIPrintPageRendererMarquent::optionsFromPreferences(ExportPreferencesReader::read(m_defaults), DocumentKind::RTF).pageSize, (Size{612, 792}));
    // Every paper the user may choose prints on that paper, A5 Landscape too.
    m_defaults.setString("defaultPageSize", "A5 Landscape");
    Size landscape = UIPrintPageRendererMarquent::optionsFromPreferences(ExportPreferencesReader::read(m_defaults), DocumentKind::RTF).pageSize;
    EXPECT_EQ(landscape, PageSizes::sizeFromPageSize("A5 Landscape"));
    EXPECT_GT(landscape.width, landscape.height);

    std::string printed = m_folder.path("printed.pdf");
    writePrintedPDF(printed, 2, Size{612, 792});
    std::string output = m_folder.path("one.pdf");
    ASSERT_TRUE(UIPrintPageRendererMarquent::printToPDF(printed, output, {false, {612, 792}, 0, UIPrintPageRendererMarquent::Options::Pages::OnePageDocument}).ok());
    EXPECT_EQ(pdfPageCount(output), 1);
    ASSERT_TRUE(UIPrintPageRendererMarquent::printToPDF(printed, output, {false, {612, 792}, 0, UIPrintPageRendererMarquent::Options::Pages::AsPrinted}).ok());
    EXPECT_EQ(pdfPageCount(output), 2);

    // A print that cannot be read leaves the old output as it was.
    writeFile(m_folder.path("broken.pdf"), "not a pdf");
    EXPECT_FALSE(UIPrintPageRendererMarquent::printToPDF(m_folder.path("broken.pdf"), output, {}).ok());
    EXPECT_EQ(pdfPageCount(output), 2);
}

TEST_F(PrintRenderers, PageRendererFitsEachPageIntoThePrintableArea)
{
    std::string printed = m_folder.path("printed.pdf");
    writePrintedPDF(printed, 2, Size{612, 792});
    Result<std::vector<std::uint8_t>> data = PageRenderer::printToPDF(printed);
    ASSERT_TRUE(data.ok());
    std::string output = m_folder.path("data.pdf");
    writeFile(output, std::string(data->begin(), data->end()));
    EXPECT_EQ(pdfPageCount(output), 2);
    EXPECT_EQ(pdfPageSize(output), "792 x 1121");
    EXPECT_EQ(PageRenderer::printableRect(), (Rect{{20, 20}, {752, 1081}}));
    const PDFWord* body = findWord(pdfWords(output, 1), "Body1");
    ASSERT_NE(body, nullptr);
    EXPECT_GT(body->xMin, 20);
    EXPECT_FALSE(PageRenderer::printToPDF(m_folder.path("missing.pdf")).ok());
}

TEST_F(PrintRenderers, TheURLVariantConvertsOnlyLocalFiles)
{
    NDHTMLtoPDFEnvironment environment;
    environment.fontRules = [] { return std::string(); };
    environment.printedPDFPath = m_folder.path("printed.pdf");
    FakeWebView* page = nullptr;
    environment.webViewFactory = [&](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
        auto view = std::make_unique<FakeWebView>(frame);
        page = view.get();
        return std::unique_ptr<WebView>(std::move(view));
    };
    writeFile(m_folder.path("page.html"), "<p>From a file</p>");
    std::string url = "file://" + m_folder.path("page.html");
    Result<std::shared_ptr<NDHTMLtoPDF>> converter = NDHTMLtoPDF::createPDFWithURL(
        url, "Page", m_folder.path("out.pdf"), nullptr, PDFPageSetup{}, PDFAction::Preview, environment);
    ASSERT_TRUE(converter.ok()) << converter.error().message;
    EXPECT_EQ((*converter)->URL(), url);
    ASSERT_NE(page, nullptr);
    EXPECT_NE(page->loadedHTML().find("<p>From a file</p>"), std::string::npos);
    EXPECT_EQ(page->loadedBaseURL(), url);

    Result<std::shared_ptr<NDHTMLtoPDF>> remote = NDHTMLtoPDF::createPDFWithURL(
        "https://example.com/", "x", m_folder.path("x.pdf"), nullptr, PDFPageSetup{}, PDFAction::Preview, environment);
    ASSERT_FALSE(remote.ok());
    EXPECT_EQ(remote.error().code, NDHTMLtoPDF::NotALocalFile);
    EXPECT_FALSE(NDHTMLtoPDF::createPDFWithURL("file://" + m_folder.path("missing.html"), "x", m_folder.path("x.pdf"),
                                               nullptr, PDFPageSetup{}, PDFAction::Preview, environment)
                     .ok());
}

} // namespace
} // namespace folio
