#include "support/DocumentTestSupport.h"
#include "export/epub/EPubTestSupport.h"
#include "support/ExportTestSupport.h"
#include "qvoutline/OutlineTree.h"

#include "documents/DocumentSeeds.h"
#include "documents/EditorContent.h"
#include "export/ExportSource.h"
#include "export/html/HTMLExporter.h"
#include "export/rtfd/RTFDExporter.h"
#include "export/txt/TextExporter.h"
#include "formats/html/HTMLPlainText.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

using namespace testing_support;

// An outline of two levels as its page stores it: each branch with the
// handle the page drags it by, the second as the editor serialises it (in
// double quotes), and one title where the writer typed a bullet of their own.
const std::string kOutline = "<ul id='left-tree'>" + test::branch(1, 0, 1, "Garden") +
    test::branch(2, 1, 2, "Plant beans") +
    "<li class=\"tree-branch branch-level-2\" data-id=\"3\" data-parent=\"1\" data-level=\"2\"><div class=\"contents\">"
    "<div class=\"branch-wrapper\"><div class=\"left-sidebar\"><div class=\"branch-drag-handler ui-sortable-handle\" "
    "contenteditable=\"false\">\u25CF</div><div class=\"branch-title\" id=\"3\">Water \u25CF daily</div></div></div></div>"
    "<span class=\"children-bus\"></span></li>" +
    test::branch(4, 0, 1, "Kitchen") + "</ul>";

// The words of the branches, one line each, in the order of the tree.
const std::u16string kWords = u"Garden\nPlant beans\nWater \u25CF daily\nKitchen";

class QVOutlineExportTest : public testing::Test {
protected:
    void SetUp() override
    {
        Result<Data> page = DocumentSeeds::compressedPage(kOutline);
        ASSERT_TRUE(page.ok());
        m_path = m_scratch.path("Plan.qvoutline");
        writeFile(m_path, page->stringView());
    }

    std::string m_path;
    ScratchFolder m_scratch{"qvoutline-export"};
};

// The text export, the copied text and the words of every HTML the exports
// make (the HTML file, a print's and a book's) are the branches' words, in
// order, without the handles, whether from the file or from the open
// outline's page; the writer's own bullet stays.
TEST_F(QVOutlineExportTest, theWordsGoOutWithoutTheBranchesHandles)
{
    const ExportSource source(m_path);
    Result<std::string> text = TextExporter::contents(source, ExportSource::OpenEditor::Ignore);
    ASSERT_TRUE(text.ok()) << text.error().message;
    EXPECT_EQ(toUtf16(*text), kWords);
    EXPECT_EQ(source.plainText(ExportSource::OpenEditor::Ignore).valueOr(u"?"), kWords);

    Result<std::string> page = HTMLExporter::contents(source, ExportSource::OpenEditor::Ignore);
    ASSERT_TRUE(page.ok()) << page.error().message;
    EXPECT_EQ(HTMLPlainText::plainText(*page), kWords) << *page;
    for (ExportSource::Purpose purpose : {ExportSource::Purpose::Print, ExportSource::Purpose::EPub}) {
        Result<std::string> html = source.HTML(purpose, ExportSource::OpenEditor::Ignore);
        ASSERT_TRUE(html.ok()) << html.error().message;
        EXPECT_EQ(HTMLPlainText::plainText(*html), kWords) << *html;
    }
    // An open outline goes out as its page holds it, handles and all.
    EditorContent open;
    open.bodyHTML = kOutline;
    EXPECT_EQ(ExportSource(m_path, open).plainText(ExportSource::OpenEditor::Use).valueOr(u"?"), kWords);
}

// The package's text is read from the page: it too holds the words alone.
TEST_F(QVOutlineExportTest, thePackagesTextHoldsTheWordsWithoutTheHandles)
{
    RTFDExporter exporter;
    Result<std::string> archivePath = exportFile(exporter, m_path, RTFDExporter::temporaryPath(ExportSource(m_path)));
    ASSERT_TRUE(archivePath.ok()) << archivePath.error().message;
    Result<DKZipArchive> archive = DKZipArchive::open(*archivePath);
    ASSERT_TRUE(archive.ok());
    Result<DKRTFReadResult> packaged = DKRTFReader::read(toUtf16(entryText(*archive, "Plan.qvoutline.rtfd/TXT.rtf")));
    ASSERT_TRUE(packaged.ok());
    std::u16string words = packaged->text.string();
    std::erase(words, u'\uFEFF');
    // As rich text, the last branch's paragraph ends too.
    EXPECT_EQ(words, kWords + u"\n");
}

} // namespace
} // namespace folio
