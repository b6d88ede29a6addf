#include "export/pdf/PDFExporter.h"
#include "export/pdf/PDFHeaderFooterParagraphs.h"
#include "formats/rtf/DKRTFWriter.h"
#include "platform/foundation/Unicode.h"

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
    m_defaults.setFloat("markdownPageMarginTop", 2);
    m_defaults.setFloat("marquentPageMarginTop", 1);
    PDFPageSetup markdown = setup("b.md", "# x");
    EXPECT_EQ(markdown.kind, PDFPageKind::Markdown);
    EXPECT_DOUBLE_EQ(markdown.margins.left, 3);
    EXPECT_DOUBLE_EQ(markdown.sideLeft, 3);
    EXPECT_DOUBLE_EQ(markdown.markdownStyle.marginLeft, 3);
    // The top margin stands on the printed pages, and not again in the content.
    EXPECT_DOUBLE_EQ(markdown.margins.top, 2);
    EXPECT_DOUBLE_EQ(markdown.markdownStyle.marginTop, 0);
    // The browser's requests print Markdown with the general margins, the
    // Markdown top margin inside them.
    PDFPageSetup fromBrowser = setup("b.md", "# x", 1, ExportSource::OpenEditor::Use);
    EXPECT_DOUBLE_EQ(fromBrowser.margins.top, 1);
    EXPECT_DOUBLE_EQ(fromBrowser.margins.left, 0);
    EXPECT_DOUBLE_EQ(fromBrowser.markdownStyle.marginTop, 2);

    PDFPageSetup tex = setup("c.tex", "\\section{x}");
    EXPECT_EQ(tex.kind, PDFPageKind::RichText);
    EXPECT_DOUBLE_EQ(tex.margins.top, 1);
}

// Another program's header prints its paragraphs for as long as the
// document's header is as read; once edited, the settings print, as they
// are what a save writes. A title page's own prints its paragraphs too.
TEST_F(PDFExporterTest, AnotherProgramsHeaderPrintsItsParagraphsUntilTheHeaderIsEdited)
{
    const std::string file = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\titlepg"
                             "{\\header \\pard\\tqr\\tx9360\\f0\\fs20 Left{\\v  hidden}\\tab Right\\par\\pard\\qc Below\\par}"
                             "{\\headerf \\pard\\qc\\f0\\fs20 Cover\\par\\pard Second\\par}"
                             "{\\footer \\pard\\qr\\f0\\fs16 Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}\\tab Draft\\par}"
                             "\\pard Body\\par}";
    PDFPageSetup read = setup("heads.rtf", file);
    ASSERT_TRUE(read.headerParagraphs && read.footerParagraphs && read.titlePageHeaderParagraphs);
    ASSERT_EQ(read.headerParagraphs->paragraphs().size(), 2u);
    std::u16string first;
    for (const GraphicsContext::TextBoxRun& run : read.headerParagraphs->paragraphs()[0].runs)
        first += run.text;
    EXPECT_EQ(first, u"Left\tRight") << "hidden text prints nowhere";
    EXPECT_EQ(read.headerParagraphs->paragraphs()[1].runs[0].text, u"Below");
    EXPECT_EQ(read.titlePageHeaderParagraphs->paragraphs().size(), 2u);
    EXPECT_EQ(read.footerParagraphs->paragraphs()[0].runs[0].text, u"Page [pagenumber]\tDraft");
    ASSERT_TRUE(read.headerSettings && read.footerSettings);

    auto opened = [&](std::optional<std::string> header) {
        EditorContent content;
        content.bodyHTML = "<p>Body</p>";
        content.header = std::move(header);
        content.footer = read.footerSettings;
        ExportSource source(m_folder.path("heads.rtf"), content, ExportPreferencesReader::read(m_defaults));
        ExportRequest request;
        request.openEditor = ExportSource::OpenEditor::Use;
        return PDFExporter::pageSetup(source, request, true);
    };
    PDFPageSetup unchanged = opened(read.headerSettings);
    ASSERT_TRUE(unchanged.headerParagraphs);
    EXPECT_EQ(unchanged.headerParagraphs->paragraphs().size(), 2u);

    std::string edited = *read.headerSettings;
    edited.replace(edited.rfind("::") + 2, std::string::npos, "Edited head");
    PDFPageSetup changed = opened(edited);
    EXPECT_FALSE(changed.headerParagraphs);
    EXPECT_EQ(changed.headerSettings, edited);
    EXPECT_TRUE(changed.footerParagraphs) << "the footer was not edited";
    EXPECT_TRUE(changed.titlePageHeaderParagraphs);

    // A file of Folio's own carries its header's settings and, for other
    // programs, a group written from them: the settings print as ever, as
    // they do after every later save. Another program's group of one plain
    // line prints as that program set it, also once a save of ours carries
    // it back beside the settings.
    DKRTFDocumentSettings settings;
    settings.pageHeader = u"Helvetica::12::left::black::0.5::YES::Own [pagenumber]";
    Result<std::string> written = DKRTFWriter::writeDocument(AttributedString(u"Body"), settings);
    ASSERT_TRUE(written.ok());
    ASSERT_NE(written->find("{\\header"), std::string::npos) << *written;
    PDFPageSetup own = setup("own.rtf", *written);
    EXPECT_EQ(own.headerSettings, settings.pageHeader ? toUtf8(*settings.pageHeader) : "");
    EXPECT_FALSE(own.headerParagraphs);
    ExportSource ownSource(m_folder.path("own.rtf"), std::nullopt, ExportPreferencesReader::read(m_defaults));
    ExportSource::PageValues ownValues = ownSource.pageValues(ExportSource::OpenEditor::Ignore);
    settings.otherHeaderFooterForms = ownValues.otherHeaderFooterForms;
    written = DKRTFWriter::writeDocument(AttributedString(u"Body"), settings);
    ASSERT_TRUE(written.ok());
    EXPECT_FALSE(setup("own-again.rtf", *written).headerParagraphs);

    const std::string plainLine = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
                                  "{\\header \\pard\\plain\\qr\\f0\\fs24 Theirs \\chpgn \\par}\\pard Body\\par}";
    PDFPageSetup theirs = setup("theirs.rtf", plainLine);
    ASSERT_TRUE(theirs.headerParagraphs && theirs.headerSettings);
    ExportSource theirSource(m_folder.path("theirs.rtf"), std::nullopt, ExportPreferencesReader::read(m_defaults));
    ExportSource::PageValues theirValues = theirSource.pageValues(ExportSource::OpenEditor::Ignore);
    DKRTFDocumentSettings saved;
    saved.pageHeader = toUtf16(*theirs.headerSettings);
    saved.otherHeaderFooterForms = theirValues.otherHeaderFooterForms;
    written = DKRTFWriter::writeDocument(AttributedString(u"Body"), saved);
    ASSERT_TRUE(written.ok());
    ASSERT_NE(written->find("\\pageHeader"), std::string::npos) << *written;
    EXPECT_TRUE(setup("theirs-saved.rtf", *written).headerParagraphs) << *written;
}

// With facing pages the left pages take their own form: its settings and,
// as for the running header, its paragraphs; none where the file gives the
// left pages no form; the running header where it was read from theirs.
// Another program's header of one plain line prints as that program set it
// too (a file of ours, which repeats its own settings in such a group,
// is checked above).
TEST_F(PDFExporterTest, FacingPagesGiveTheLeftPagesTheirOwnHeadsAndOtherProgramsOneLineHeadsTheirParagraphs)
{
    const std::string fonts = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}";
    PDFPageSetup facing = setup("facing.rtf", fonts + "\\facingp\\headery500"
                                              "{\\headerl \\pard\\ql\\f0\\fs20 Verso\\tab head\\par}"
                                              "{\\headerr \\pard\\qr\\f0\\fs20 Recto head\\par}"
                                              "{\\footer \\pard\\qc\\f0\\fs16 Every foot\\par}\\pard Body\\par}");
    EXPECT_TRUE(facing.facingPages);
    ASSERT_TRUE(facing.leftPageHeaderSettings && facing.headerSettings);
    EXPECT_TRUE(facing.leftPageHeaderSettings->ends_with("::YES::Verso head")) << *facing.leftPageHeaderSettings;
    EXPECT_TRUE(facing.headerSettings->ends_with("::YES::Recto head")) << *facing.headerSettings;
    ASSERT_TRUE(facing.leftPageHeaderParagraphs);
    EXPECT_EQ(facing.leftPageHeaderParagraphs->paragraphs()[0].runs[0].text, u"Verso\thead");
    ASSERT_TRUE(facing.headerParagraphs) << "one plain line of Word's prints as Word set it";
    EXPECT_EQ(facing.headerParagraphs->paragraphs()[0].runs[0].text, u"Recto head");
    EXPECT_FALSE(facing.leftPageFooterSettings) << "no left pages' footer: none prints there";
    EXPECT_FALSE(facing.leftPageFooterParagraphs);
    ASSERT_TRUE(facing.footerSettings);

    // Only the left pages' form: the document's header was read from it.
    PDFPageSetup onlyLeft = setup("left.rtf", fonts + "\\facingp{\\headerl \\pard\\f0 Verso\\par}\\pard Body\\par}");
    ASSERT_TRUE(onlyLeft.headerSettings);
    EXPECT_EQ(onlyLeft.leftPageHeaderSettings, onlyLeft.headerSettings);

    // Without facing pages the left pages' form is only kept.
    PDFPageSetup single = setup("single.rtf", fonts + "{\\headerl \\pard\\f0 Verso\\par}"
                                              "{\\header \\pard\\f0 Every head\\par}\\pard Body\\par}");
    EXPECT_FALSE(single.facingPages);
    EXPECT_FALSE(single.leftPageHeaderSettings);
}

} // namespace
} // namespace folio
