#include "export/html/HTMLExporter.h"

#include "export/epub/EPubTestSupport.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

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

} // namespace
} // namespace folio
