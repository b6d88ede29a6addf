#include "platform/docframework/DKDocumentPreview.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/docframework/OFFileEdit.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

namespace folio {
namespace {

class DKDocumentPreviewTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path() / ("dkpreview-" + std::to_string(getpid()));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string touch(const std::string& name, long seconds)
    {
        std::string path = (m_folder / name).string();
        std::ofstream(path) << "x";
        struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
        return path;
    }

    static Image::Pointer redSquare()
    {
        std::vector<std::uint8_t> pixels(4 * 4 * 4, 0);
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            pixels[i] = 255;
            pixels[i + 3] = 255;
        }
        return *Image::imageWithPixels(4, 4, pixels);
    }

    std::filesystem::path m_folder;
};

TEST_F(DKDocumentPreviewTest, scopeListsVisibleFilesAsItems)
{
    touch("b.rtf", 1000);
    touch("a.md", 1000);
    touch(".hidden", 1000);
    std::filesystem::create_directories(m_folder / "folder");
    ODSLocalDirectoryScope scope(m_folder.string());
    auto items = scope.fileItems();
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 2u);
    EXPECT_EQ((*items)[0]->name(), "a.md");
    EXPECT_EQ((*items)[0]->displayedName(), "a");
    EXPECT_EQ((*items)[0]->fileType(), "net.daringfireball.markdown");
    EXPECT_EQ((*items)[1]->scope(), &scope);
    EXPECT_FALSE(ODSLocalDirectoryScope(m_folder.string() + "/none").fileItems());
}

TEST_F(DKDocumentPreviewTest, previewsAreKeptPerFileEdit)
{
    std::string path = touch("doc.rtf", 1000);
    ODSFileItem item(path, nullptr);
    std::optional<OFFileEdit> edit = item.fileEdit();
    ASSERT_TRUE(edit);
    DKDocumentPreview::cachePreviewImages([&](const DKDocumentPreview::PreviewStore& store) {
        EXPECT_TRUE(store(redSquare(), *edit));
        EXPECT_FALSE(store(nullptr, *edit));
    });
    EXPECT_TRUE(FileManager::fileExists(DKDocumentPreview::previewPathForFileEdit(*edit)));
    ASSERT_NE(DKDocumentPreview::cachedPreviewForFileItem(item), nullptr);

    // The file changes: its old picture no longer answers for it.
    touch("doc.rtf", 2000);
    EXPECT_EQ(DKDocumentPreview::cachedPreviewForFileItem(item), nullptr);
    EXPECT_FALSE(*item.fileEdit() == *edit);
}

TEST_F(DKDocumentPreviewTest, populatingLoadsStoredPictures)
{
    std::string path = touch("stored.md", 3000);
    auto item = std::make_shared<ODSFileItem>(path, nullptr);
    std::optional<OFFileEdit> edit = item->fileEdit();
    ASSERT_TRUE(edit);
    std::filesystem::create_directories(DKDocumentPreview::previewsFolder());
    auto png = redSquare()->pngData();
    ASSERT_TRUE(png);
    ASSERT_TRUE(FileManager::writeAtomically(DKDocumentPreview::previewPathForFileEdit(*edit), *png));

    bool done = false;
    DKDocumentPreview::populateCacheForFileItems({item, std::make_shared<ODSFileItem>(path + ".gone", nullptr)},
                                                 [&] { done = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done; }, 20));
    Image::Pointer loaded = DKDocumentPreview::cachedPreviewForFileItem(*item);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->pixelWidth(), 4);
    EXPECT_EQ(loaded->pixelAt(1, 1).r, 255);
}

} // namespace
} // namespace folio
