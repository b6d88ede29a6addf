#include "export/pdf/PDFExporter.h"

#include "delivery/ExportPreferencesReader.h"
#include "platform/foundation/UserDefaults.h"

#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using namespace testing_support;

class PDFExporterTest : public testing::Test {
protected:
    PDFPageSetup setup(const std::string& name, std::string_view contents, int action = 1,
                       ExportSource::OpenEditor openEditor = ExportSource::OpenEditor::Ignore)
    {
        writeFile(m_folder.path(name), contents);
        ExportSource source(m_folder.path(name), std::nullopt, ExportPreferencesReader::read(m_defaults));
        ExportRequest request;
        request.openEditor = openEditor;
        request.action = PDFAction(action);
        return PDFExporter::pageSetup(source, request, true);
    }

    ScratchFolder m_folder{"pdf-exporter"};
    UserDefaults m_defaults{m_folder.path("prefs.plist")};
};

TEST_F(PDFExporterTest, RichTextPagesTakeTheFilesOwnValuesAndStoreNothing)
{
    m_defaults.setFloat("marquentPageMarginLeft", 9);
    m_defaults.setString("currentPaperColor", "000000");
    PDFPageSetup page = setup("a.rtf", "{\\rtf1\\ansi\\margl1134\\margt2268{\\papercolor15790320}"
                                       "{\\*\\pageHeader f::10::left::red::0.5::YES::[title]}Text}");
    EXPECT_EQ(page.kind, PDFPageKind::RichText);
    EXPECT_NEAR(page.margins.left, 2.0, 0.001);
    EXPECT_NEAR(page.margins.top, 4.0, 0.001);
    // A margin the file leaves out is RTF's default, 1800 twips.
    EXPECT_NEAR(page.margins.right, 3.175, 0.001);
    EXPECT_NEAR(page.sideLeft, 2.0, 0.001);
    EXPECT_EQ(page.paperColor, "F0F0F0");
    EXPECT_EQ(page.headerSettings, "f::10::left::red::0.5::YES::[title]");
    EXPECT_FALSE(page.footerSettings);
    EXPECT_EQ(m_defaults.floatForKey("marquentPageMarginLeft"), 9);
    EXPECT_EQ(m_defaults.stringForKey("currentPaperColor"), "000000");
    EXPECT_FALSE(m_defaults.objectForKey("currentDocumentHeaderControl"));
}

TEST_F(PDFExporterTest, PageSizeKindAndSideMarginsFollowTheSettings)
{
    EXPECT_EQ(setup("a.rtf", "{\\rtf1 x}").pageSize, (Size{612, 810}));
    m_defaults.setString("defaultPageSize", "A5 Landscape");
    Size a5 = setup("a.rtf", "{\\rtf1 x}").pageSize;
    EXPECT_NEAR(a5.width, 595.44, 0.01);
    EXPECT_NEAR(a5.height, 419.76, 0.01);

    // Old-format files put the header at fixed side margins.
    PDFPageSetup legacy = setup("a.rtf", "{\\rtf1\\margl1134 x}", 13);
    EXPECT_DOUBLE_EQ(legacy.sideLeft, 0.79);
    EXPECT_DOUBLE_EQ(legacy.sideRight, 0.74);

    m_defaults.setFloat("markdownPageMarginLeft", 3);
    m_defaults.setFloat("marquentPageMarginTop", 1);
    PDFPageSetup markdown = setup("b.md", "# x");
    EXPECT_EQ(markdown.kind, PDFPageKind::Markdown);
    EXPECT_DOUBLE_EQ(markdown.margins.left, 3);
    EXPECT_DOUBLE_EQ(markdown.sideLeft, 3);
    EXPECT_DOUBLE_EQ(markdown.markdownStyle.marginLeft, 3);
    // The browser's requests print Markdown with the general margins.
    PDFPageSetup fromBrowser = setup("b.md", "# x", 1, ExportSource::OpenEditor::Use);
    EXPECT_DOUBLE_EQ(fromBrowser.margins.top, 1);
    EXPECT_DOUBLE_EQ(fromBrowser.margins.left, 0);

    PDFPageSetup tex = setup("c.tex", "\\section{x}");
    EXPECT_EQ(tex.kind, PDFPageKind::RichText);
    EXPECT_DOUBLE_EQ(tex.margins.top, 1);
}

} // namespace
} // namespace folio
