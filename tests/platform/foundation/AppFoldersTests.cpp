#include "platform/foundation/AppFolders.h"

#include "platform/foundation/FileManager.h"

#include <gtest/gtest.h>

#include <cstdlib>

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
