#include "export/html/HTMLExporter.h"

#include "export/epub/EPubTestSupport.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/MarkupTree.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace folio {
namespace {

using namespace testing_support;

class HTMLExporterTest : public testing::Test {
protected:
    HTMLExporterTest() { writeFile(m_document, rtfWithPicture("Before")); }

    Result<std::string> exportTo(const std::string& output,
                                 ExportRequest::Pictures pictures = ExportRequest::Pictures::BesideFile)
    {
        ExportRequest request;
        request.outputPath = output;
        request.pictures = pictures;
        return HTMLExporter().exportFile(ExportSource(m_document), std::move(request), 60);
    }

    static std::string pictureSource(const std::string& html)
    {
        std::size_t src = html.find("<img");
        src = src == std::string::npos ? src : html.find("src=\"", src);
        if (src == std::string::npos)
            return {};
        src += 5;
        return html.substr(src, html.find('"', src) - src);
    }

    ScratchFolder m_folder{"html-exporter"};
    std::string m_document = m_folder.path("Pictured notes.rtf");
};

// The file names its picture relative to itself, in a folder beside it named
// after it; the program's picture folder of the document is never made.
TEST_F(HTMLExporterTest, picturesGoBesideTheFileInAFolderNamedAfterIt)
{
    std::string output = m_folder.path("out/Pictured notes.html");
    std::filesystem::create_directories(m_folder.path("out"));
    ASSERT_TRUE(exportTo(output).ok());
    EXPECT_EQ(HTMLExporter::pictureFolderPath(output), m_folder.path("out/Pictured notes_files"));
    std::string source = pictureSource(readFile(output));
    ASSERT_EQ(source.rfind("Pictured%20notes_files/image-", 0), 0u) << source;
    std::optional<std::string> relative = URL::percentDecode(source);
    ASSERT_TRUE(relative);
    auto picture = Image::imageWithContentsOfFile(m_folder.path("out/" + *relative));
    ASSERT_TRUE(picture.ok()) << *relative;
    EXPECT_EQ((*picture)->pixelWidth(), 4);
    EXPECT_FALSE(AppFolders::existingPictureFolderForDocument(AppFolders::pictureDocumentName(m_document)));

    // Asked to, the file carries the picture inside and nothing lies beside it.
    std::string alone = m_folder.path("alone/Pictured notes.html");
    std::filesystem::create_directories(m_folder.path("alone"));
    ASSERT_TRUE(exportTo(alone, ExportRequest::Pictures::Inline).ok());
    EXPECT_EQ(pictureSource(readFile(alone)).rfind("data:image/png;base64,", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(HTMLExporter::pictureFolderPath(alone)));
}

// An export that cannot write its file takes back the folder it made, and a
// folder of that name that was there before keeps what it held.
TEST_F(HTMLExporterTest, aFailedExportLeavesNoPictureFolderAndKeepsAnEarlierOne)
{
    std::string blocked = m_folder.path("blocked.html");
    std::filesystem::create_directories(blocked + "/inside");
    EXPECT_FALSE(exportTo(blocked).ok());
    EXPECT_FALSE(std::filesystem::exists(m_folder.path("blocked_files")));
    EXPECT_TRUE(std::filesystem::is_directory(blocked + "/inside"));

    std::filesystem::remove_all(blocked);
    std::filesystem::create_directories(blocked);
    std::filesystem::create_directories(m_folder.path("blocked_files"));
    writeFile(m_folder.path("blocked_files/mine.txt"), "the user's own");
    EXPECT_FALSE(exportTo(blocked).ok());
    EXPECT_EQ(readFile(m_folder.path("blocked_files/mine.txt")), "the user's own");
}

// A Word table of contents, a place marked between words and a name no id
// can be: every link into the file finds its one target. A link to a bookmark
// the file does not hold stays a link, as the document had it.
TEST_F(HTMLExporterTest, linksToBookmarksFindTheirTargets)
{
    writeFile(m_document, readFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf-roundtrip/word-toc-fields.rtf"));
    std::string contents = readFile(m_document);
    contents.insert(contents.rfind('}'), "\\pard {\\field{\\*\\fldinst HYPERLINK \\\\l \"a b\"}{\\fldrslt spot}} "
                                         "and {\\field{\\*\\fldinst HYPERLINK \\\\l \"_Gone\"}{\\fldrslt gone}} at"
                                         "{\\*\\bkmkstart a b}{\\*\\bkmkend a b} here\\par\n");
    writeFile(m_document, contents);
    std::string output = m_folder.path("toc.html");
    ASSERT_TRUE(exportTo(output, ExportRequest::Pictures::Inline).ok());
    std::optional<MarkupTree> page = MarkupTree::parseHTML(readFile(output));
    ASSERT_TRUE(page);
    std::map<std::string, int> ids;
    std::vector<std::string> links;
    page->root().forEachDescendantElement([&](MarkupNode element) {
        if (std::optional<std::string> id = element.attribute("id"))
            ++ids[*id];
        std::optional<std::string> href = element.attribute("href");
        if (element.name() == "a" && href && href->starts_with("#"))
            links.push_back(URL::percentDecode(href->substr(1)).value_or(""));
    });
    EXPECT_EQ(links.size(), 4u) << readFile(output);
    for (const std::string& link : links)
        EXPECT_EQ(ids[link], link == "_Gone" ? 0 : 1) << link << "\n" << readFile(output);
    EXPECT_EQ(std::ranges::count(links, "_Gone"), 1);
}

} // namespace
} // namespace folio
