#include "foundation/files/TEAsyncFileDeleter.h"
#include "foundation/files/TEExtendedFileAttributes.h"
#include "foundation/files/TEFolderMonitor.h"
#include "foundation/system/TEObjectBlockExecutor.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/ScratchFolder.h"

#include <gtest/gtest.h>

#include <sys/xattr.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>

namespace folio {

namespace {

// Counts the monitor's callbacks and lets the test wait for the next one.
class ChangeCounter {
public:
    void changed()
    {
        std::lock_guard lock(m_mutex);
        ++m_count;
        m_condition.notify_all();
    }
    bool waitForMoreThan(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_condition.wait_for(lock, std::chrono::seconds(10), [&] { return m_count > count; });
    }
    int count()
    {
        std::lock_guard lock(m_mutex);
        return m_count;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
    int m_count = 0;
};

} // namespace

TEST(TEFolderMonitor, ReportsFilesAddedAndRemovedUntilStopped)
{
    test::ScratchFolder folder;
    ChangeCounter counter;
    auto monitor = TEFolderMonitor::folderMonitorForURL(folder.path(), [&] { counter.changed(); });
    monitor->startMonitoring();
    monitor->startMonitoring();
    ASSERT_TRUE(monitor->isMonitoring());

    std::ofstream(folder.file("new.txt")) << "text";
    ASSERT_TRUE(counter.waitForMoreThan(0));
    int seen = counter.count();
    ASSERT_TRUE(FileManager::removeItem(folder.file("new.txt")));
    ASSERT_TRUE(counter.waitForMoreThan(seen));

    monitor->stopMonitoring();
    monitor->stopMonitoring();
    EXPECT_FALSE(monitor->isMonitoring());
}

TEST(TEFolderMonitor, AFolderThatCannotBeWatchedIsNotMonitored)
{
    auto monitor = TEFolderMonitor::folderMonitorForURL("/nonexistent/folder", [] {});
    monitor->startMonitoring();
    EXPECT_FALSE(monitor->isMonitoring());
}

TEST(TEAsyncFileDeleter, ItemsAreGoneAtOnceAndDeletedInTheBackground)
{
    test::ScratchFolder folder;
    ASSERT_TRUE(FileManager::createDirectory(folder.file("tree/inner")));
    std::ofstream(folder.file("tree/inner/file.txt")) << "text";
    TEAsyncFileDeleter& deleter = TEAsyncFileDeleter::sharedInstance();
    EXPECT_TRUE(deleter.removeItemAtPath(folder.file("tree")));
    EXPECT_FALSE(FileManager::fileExists(folder.file("tree")));
    EXPECT_FALSE(deleter.removeItemAtPath(folder.file("missing")));
    deleter.waitUntilFinished();
}

TEST(TEExtendedFileAttributes, ValuesRoundTripAndNoValueRemoves)
{
    test::ScratchFolder folder;
    std::string path = folder.file("file.txt");
    std::ofstream(path) << "text";
    // Some file systems (tmpfs without user xattrs) refuse them altogether.
    if (setxattr(path.c_str(), "user.probe", "x", 1, 0) != 0)
        GTEST_SKIP() << "this file system stores no extended attributes";
    EXPECT_FALSE(TEExtendedFileAttributes::attributesWithPath(""));
    auto attributes = TEExtendedFileAttributes::attributesWithPath(path);
    ASSERT_TRUE(attributes);
    EXPECT_TRUE(attributes->setValue(std::string("Notes \xE2\x80\x94 draft"), "user.folio.title"));
    EXPECT_EQ(attributes->valueForAttribute("user.folio.title"), "Notes \xE2\x80\x94 draft");
    EXPECT_TRUE(attributes->setValue(std::nullopt, "user.folio.title"));
    EXPECT_EQ(attributes->valueForAttribute("user.folio.title"), std::nullopt);
    EXPECT_FALSE(attributes->setValue(std::string("x"), ""));
    EXPECT_EQ(attributes->valueForAttribute(""), std::nullopt);
    EXPECT_FALSE(attributes->removeAttribute("user.folio.missing"));
}

TEST(TEObjectBlockExecutor, CallbacksRunOnceWhenTheirOwnerGoes)
{
    int runs = 0;
    {
        TEDeallocBlocks owner;
        owner.addDeallocBlock([&] { ++runs; });
        owner.addDeallocBlock([&] { runs += 10; });
        EXPECT_EQ(runs, 0);
    }
    EXPECT_EQ(runs, 11);
}

} // namespace folio
