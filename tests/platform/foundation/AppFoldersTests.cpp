#include "platform/foundation/AppFolders.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace folio {
namespace {

std::string home()
{
    const char* value = std::getenv("FOLIO_HOME");
    return value ? value : "";
}

TEST(AppFolders, EverythingHangsOffFolioHome)
{
    ASSERT_FALSE(home().empty());
    EXPECT_EQ(AppFolders::documentsFolder(), home() + "/Documents");
    EXPECT_EQ(AppFolders::documentDataFolder(), home() + "/DocumentData");
    EXPECT_EQ(AppFolders::customFontsFolder(), home() + "/Fonts");
    EXPECT_EQ(AppFolders::cachesFolder(), home() + "/Caches");
    EXPECT_EQ(AppFolders::temporaryFolder(), home() + "/tmp");
    EXPECT_EQ(AppFolders::configFolder(), home() + "/Config");
    EXPECT_TRUE(FileManager::isDirectory(home() + "/Caches"));
}

TEST(AppFolders, PictureFolderIsTheCleanedNameWithoutExtension)
{
    EXPECT_EQ(AppFolders::pictureFolderForDocument("My Essay (draft).rtf"), home() + "/DocumentData/My Essay (draft)");
    EXPECT_TRUE(FileManager::isDirectory(home() + "/DocumentData/My Essay (draft)"));
    EXPECT_EQ(AppFolders::pictureFolderForDocument("Notes.qvtext", true), home() + "/tmp/Notes");
    EXPECT_EQ(AppFolders::pictureFolderForDocument("archive.tar.gz"), home() + "/DocumentData/archivetar");
}

TEST(AppFolders, DocumentsOfTheSameNameFileTheirPicturesApart)
{
    test::ScratchFolder folder;
    std::filesystem::create_directories(folder.file("A"));
    std::filesystem::create_directories(folder.file("B"));
    std::string a = AppFolders::pictureDocumentName(folder.file("A/my.report.rtf"));
    std::string b = AppFolders::pictureDocumentName(folder.file("B/my.report.rtf"));
    EXPECT_NE(a, b);
    EXPECT_NE(AppFolders::pictureFolderForDocument(a), AppFolders::pictureFolderForDocument(b));
    EXPECT_EQ(a.rfind("myreport-", 0), 0u) << a;
    EXPECT_EQ(a.find('.'), std::string::npos) << "no extension for the folder name to lose: " << a;
    // The same document however it is reached.
    EXPECT_EQ(AppFolders::pictureDocumentName(folder.file("B/../A/./my.report.rtf")), a);
    std::filesystem::create_directory_symlink(folder.file("A"), folder.file("link"));
    EXPECT_EQ(AppFolders::pictureDocumentName(folder.file("link/my.report.rtf")), a);
    EXPECT_EQ(AppFolders::pictureDocumentName(""), "");
}

TEST(AppFolders, SanitizingKeepsLettersDigitsAndFewSigns)
{
    EXPECT_EQ(AppFolders::sanitizeFileName("  \n Plan: A/B #1 \t"), "Plan AB 1");
    EXPECT_EQ(AppFolders::sanitizeFileName("Q?($&@-)!*'\"_.,;"), "Q?($&@-)");
    EXPECT_EQ(AppFolders::sanitizeFileName("Grüße 日本語 ١٢٣"), "Grüße 日本語 ١٢٣");
    EXPECT_EQ(AppFolders::sanitizeFileName("../../etc"), "etc");
    EXPECT_EQ(AppFolders::sanitizeFileName("bad\xff" "byte"), "badbyte");
}

} // namespace
} // namespace folio
