#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/docframework/ODSScopeViewController.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace folio {
namespace {

namespace fs = std::filesystem;

std::string readScopeFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ODSScopeViewControllerTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / ("scope-" + std::to_string(getpid()));
        fs::remove_all(m_root);
        fs::create_directories(m_root / "Documents");
        fs::create_directories(m_root / "Elsewhere");
        m_scope = std::make_shared<ODSLocalDirectoryScope>(folder().string(), [this](const std::string& path) -> Status {
            trashed.push_back(path);
            if (trashFails)
                return Error{ODSLocalDirectoryScope::kErrorDomain, ODSLocalDirectoryScope::TrashFailed, "no trash here"};
            fs::rename(path, m_root / "Elsewhere" / fs::path(path).filename());
            return Status::success();
        });
        browser = std::make_unique<ODSScopeViewController>(m_scope);
    }
    void TearDown() override
    {
        browser.reset();
        fs::remove_all(m_root);
    }

    fs::path folder() const { return m_root / "Documents"; }
    void write(const fs::path& path, const std::string& text, int minutesAgo = 0)
    {
        std::ofstream(path, std::ios::binary) << text;
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::minutes(minutesAgo));
    }
    std::vector<std::string> shownNames() const
    {
        std::vector<std::string> names;
        for (const auto& item : browser->items())
            names.push_back(item->name());
        return names;
    }
    std::shared_ptr<ODSFileItem> item(const std::string& name) const
    {
        return browser->itemWithFileURL((folder() / name).string());
    }

    fs::path m_root;
    std::shared_ptr<ODSLocalDirectoryScope> m_scope;
    std::unique_ptr<ODSScopeViewController> browser;
    std::vector<std::string> trashed;
    bool trashFails = false;
};

TEST_F(ODSScopeViewControllerTest, listsNewestFirstSortsByNameAndFiltersWithoutCase)
{
    write(folder() / "beta.rtf", "b", 30);
    write(folder() / "Alpha.md", "a", 10);
    write(folder() / "gamma notes.txt", "g", 20);
    write(folder() / ".hidden.rtf", "h");
    fs::create_directories(folder() / "Sub.rtf");
    int changes = 0;
    browser->setChangeHandler([&] { ++changes; });
    ASSERT_TRUE(browser->reload().ok());
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"Alpha.md", "gamma notes.txt", "beta.rtf"}));
    EXPECT_EQ(changes, 1);

    browser->setSortOrder(ODSScopeViewController::SortOrder::Name);
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"Alpha.md", "beta.rtf", "gamma notes.txt"}));

    browser->setSearchText("NOTES");
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"gamma notes.txt"}));
    // The extension is not part of the name searched.
    browser->setSearchText("rtf");
    EXPECT_TRUE(shownNames().empty());
    browser->setSearchText("");
    EXPECT_EQ(shownNames().size(), 3u);
    EXPECT_EQ(changes, 5);
}

TEST_F(ODSScopeViewControllerTest, readingTheFolderSweepsOldTemporariesOfCutShortSavesOnly)
{
    write(folder() / "Essay.rtf", "essay");
    write(folder() / ".Essay.rtf.Ab12Cd", "half an essay", 60);
    write(folder() / ".Outline.qvoutline.Zz09aB", "half an outline", 60);
    // A save running now, and hidden files of the user's own.
    write(folder() / ".Essay.rtf.Xy34Zw", "a save in progress");
    write(folder() / ".bashrc.Ab12Cd", "mine", 60);
    write(folder() / ".Essay.rtf", "mine too", 60);
    ASSERT_TRUE(browser->reload().ok());
    EXPECT_EQ(shownNames(), std::vector<std::string>{"Essay.rtf"});
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".Essay.rtf", ".Essay.rtf.Xy34Zw", ".bashrc.Ab12Cd", "Essay.rtf"}));
    EXPECT_EQ(readScopeFile(folder() / "Essay.rtf"), "essay");
}

TEST_F(ODSScopeViewControllerTest, renameAndDuplicateTakeTheNextFreeNameAndNeverOverwrite)
{
    write(folder() / "Letter.rtf", "letter");
    write(folder() / "Memo.rtf", "memo");
    write(folder() / "Memo 2.rtf", "memo two");
    browser->reload();

    Result<std::shared_ptr<ODSFileItem>> renamed = browser->renameItem(*item("Letter.rtf"), "Memo");
    ASSERT_TRUE(renamed.ok()) << renamed.error().message;
    EXPECT_EQ((*renamed)->name(), "Memo 3.rtf");
    EXPECT_EQ(readScopeFile(folder() / "Memo 3.rtf"), "letter");
    EXPECT_EQ(readScopeFile(folder() / "Memo.rtf"), "memo");
    EXPECT_EQ(readScopeFile(folder() / "Memo 2.rtf"), "memo two");
    EXPECT_FALSE(fs::exists(folder() / "Letter.rtf"));

    Result<std::shared_ptr<ODSFileItem>> copy = browser->duplicateItem(*item("Memo.rtf"));
    ASSERT_TRUE(copy.ok());
    EXPECT_EQ((*copy)->name(), "Memo 4.rtf");
    EXPECT_EQ(readScopeFile(folder() / "Memo 4.rtf"), "memo");
    EXPECT_EQ(readScopeFile(folder() / "Memo 2.rtf"), "memo two");
    EXPECT_EQ(browser->items().size(), 4u);

    // Renaming keeps the kind, and only plain names are taken.
    ASSERT_TRUE(browser->renameItem(*item("Memo 4.rtf"), "Plan").ok());
    EXPECT_TRUE(fs::exists(folder() / "Plan.rtf"));
    for (const char* bad : {"", "../outside", "a/b", ".hidden"}) {
        Result<std::shared_ptr<ODSFileItem>> refused = browser->renameItem(*item("Plan.rtf"), bad);
        ASSERT_FALSE(refused.ok()) << bad;
        EXPECT_EQ(refused.error().code, ODSLocalDirectoryScope::BadName);
    }
    EXPECT_TRUE(fs::exists(folder() / "Plan.rtf"));
    EXPECT_FALSE(fs::exists(m_root / "outside.rtf"));
}

TEST_F(ODSScopeViewControllerTest, importCopiesInUnderAFreeNameAndLeavesTheSource)
{
    write(folder() / "Report.md", "ours");
    write(m_root / "Elsewhere" / "Report.md", "theirs");
    browser->reload();
    Result<std::shared_ptr<ODSFileItem>> imported = browser->importItem((m_root / "Elsewhere" / "Report.md").string());
    ASSERT_TRUE(imported.ok());
    EXPECT_EQ((*imported)->name(), "Report 2.md");
    EXPECT_EQ(readScopeFile(folder() / "Report 2.md"), "theirs");
    EXPECT_EQ(readScopeFile(folder() / "Report.md"), "ours");
    EXPECT_TRUE(fs::exists(m_root / "Elsewhere" / "Report.md"));
    EXPECT_FALSE(browser->importItem((m_root / "Elsewhere").string()).ok());
    EXPECT_FALSE(browser->importItem((m_root / "missing.rtf").string()).ok());
    EXPECT_EQ(browser->items().size(), 2u);
}

TEST_F(ODSScopeViewControllerTest, deleteGoesToTheTrashAndAFailedTrashKeepsTheFile)
{
    write(folder() / "Keep.rtf", "keep");
    write(folder() / "Gone.rtf", "gone");
    browser->reload();

    ASSERT_TRUE(browser->deleteItem(*item("Gone.rtf")).ok());
    EXPECT_EQ(trashed, std::vector<std::string>{(folder() / "Gone.rtf").string()});
    EXPECT_EQ(shownNames(), std::vector<std::string>{"Keep.rtf"});

    trashFails = true;
    Status refused = browser->deleteItem(*item("Keep.rtf"));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, ODSLocalDirectoryScope::TrashFailed);
    EXPECT_EQ(readScopeFile(folder() / "Keep.rtf"), "keep");
    EXPECT_EQ(shownNames(), std::vector<std::string>{"Keep.rtf"});

    // A file outside the folder is not the browser's to delete.
    write(m_root / "Elsewhere" / "Other.rtf", "other");
    ODSFileItem outside((m_root / "Elsewhere" / "Other.rtf").string(), m_scope.get());
    trashFails = false;
    EXPECT_EQ(browser->deleteItem(outside).error().code, ODSLocalDirectoryScope::NotInScope);
    EXPECT_TRUE(fs::exists(m_root / "Elsewhere" / "Other.rtf"));
}

TEST_F(ODSScopeViewControllerTest, gioTrashReportsAFileItCannotTrash)
{
    Status failed = ODSLocalDirectoryScope::trashWithGIO((folder() / "never-there.rtf").string());
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().code, ODSLocalDirectoryScope::TrashFailed);
}

TEST_F(ODSScopeViewControllerTest, theWatchPicksUpFilesAddedAndRemovedElsewhere)
{
    write(folder() / "First.rtf", "1");
    browser->reload();
    ASSERT_TRUE(browser->startMonitoring().ok());
    write(folder() / "From outside.md", "2");
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return browser->items().size() == 2; }, 20));
    fs::remove(folder() / "First.rtf");
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return browser->items().size() == 1; }, 20));
    EXPECT_EQ(shownNames(), std::vector<std::string>{"From outside.md"});
}

TEST_F(ODSScopeViewControllerTest, freeNamesForNewDocumentsAndInsertedItems)
{
    write(folder() / "Untitled.rtf", "");
    browser->reload();
    EXPECT_EQ(m_scope->freePathForName("Untitled.rtf").value(), (folder() / "Untitled 2.rtf").string());
    EXPECT_EQ(m_scope->freePathForName("Untitled.md").value(), (folder() / "Untitled.md").string());
    write(folder() / "Copy.pdf", "%PDF");
    ASSERT_TRUE(browser->insertNewItemWithFilePath((folder() / "Copy.pdf").string()));
    EXPECT_EQ(browser->items().size(), 2u);
    EXPECT_EQ(browser->insertNewItemWithFilePath((m_root / "Elsewhere" / "x.pdf").string()), nullptr);
}

} // namespace
} // namespace folio
