#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <thread>

namespace folio {
namespace {

class UserDefaultsTest : public testing::Test {
protected:
    test::ScratchFolder m_folder;
    std::string m_path = m_folder.file("Config/Preferences.plist");
};

TEST_F(UserDefaultsTest, AbsentKeysDifferFromZero)
{
    UserDefaults defaults(m_path);
    EXPECT_FALSE(defaults.integerForKey("fontSize"));
    EXPECT_FALSE(defaults.boolForKey("darknightMode"));
    EXPECT_FALSE(defaults.stringForKey("theme"));
    defaults.setInteger("fontSize", 0);
    defaults.setBool("darknightMode", false);
    defaults.setString("theme", "");
    EXPECT_EQ(defaults.integerForKey("fontSize"), 0);
    EXPECT_EQ(defaults.boolForKey("darknightMode"), false);
    EXPECT_EQ(defaults.stringForKey("theme"), "");
    defaults.removeObjectForKey("fontSize");
    EXPECT_FALSE(defaults.integerForKey("fontSize"));
}

TEST_F(UserDefaultsTest, NumbersConvertBetweenKinds)
{
    UserDefaults defaults(m_path);
    defaults.setDouble("zoom", 150.75);
    defaults.setBool("flag", true);
    defaults.setString("size", "14pt");
    defaults.setFloat("scale", 1.5f);
    defaults.setObject("list", PropertyList::array({"a"}));
    EXPECT_EQ(defaults.integerForKey("zoom"), 150);
    EXPECT_EQ(defaults.boolForKey("zoom"), true);
    EXPECT_EQ(defaults.integerForKey("flag"), 1);
    EXPECT_EQ(defaults.doubleForKey("size"), 14.0);
    EXPECT_EQ(defaults.floatForKey("scale"), 1.5f);
    EXPECT_FALSE(defaults.integerForKey("list"));
    EXPECT_FALSE(defaults.stringForKey("zoom"));
    ASSERT_TRUE(defaults.arrayForKey("list"));
    EXPECT_EQ(defaults.arrayForKey("list")->size(), 1u);
    EXPECT_FALSE(defaults.dictionaryForKey("list"));
}

TEST_F(UserDefaultsTest, PersistsAcrossInstances)
{
    {
        UserDefaults first(m_path);
        first.setInteger("lastPosition", 1234);
        first.setString("currentDocumentHeaderControl", "bold");
        first.setObject("recent", PropertyList::dictionary({{"a.rtf", 3}}));
        ASSERT_TRUE(first.synchronize());
    }
    UserDefaults second(m_path);
    EXPECT_FALSE(second.loadError());
    EXPECT_EQ(second.integerForKey("lastPosition"), 1234);
    EXPECT_EQ(second.stringForKey("currentDocumentHeaderControl"), "bold");
    ASSERT_TRUE(second.dictionaryForKey("recent"));
    EXPECT_EQ(second.dictionaryForKey("recent")->objectForKey("a.rtf")->integerValue(), 3);
}

TEST_F(UserDefaultsTest, ChangesWithoutSynchronizeAreKeptAtTheEnd)
{
    {
        UserDefaults first(m_path);
        first.setBool("wordCounterVisible", true);
    }
    UserDefaults second(m_path);
    EXPECT_EQ(second.boolForKey("wordCounterVisible"), true);
}

TEST_F(UserDefaultsTest, RegisteredDefaultsAreShadowedAndNotSaved)
{
    {
        UserDefaults defaults(m_path);
        defaults.registerDefaults(PropertyList::dictionary({{"zoomEnabled", true}, {"fontSize", 12}}));
        EXPECT_EQ(defaults.integerForKey("fontSize"), 12);
        defaults.setInteger("fontSize", 18);
        EXPECT_EQ(defaults.integerForKey("fontSize"), 18);
        defaults.removeObjectForKey("fontSize");
        EXPECT_EQ(defaults.integerForKey("fontSize"), 12);
        defaults.setInteger("other", 1);
        ASSERT_TRUE(defaults.synchronize());
    }
    UserDefaults reread(m_path);
    EXPECT_FALSE(reread.boolForKey("zoomEnabled"));
    EXPECT_EQ(reread.integerForKey("other"), 1);
}

TEST_F(UserDefaultsTest, DamagedFileIsKeptAside)
{
    ASSERT_TRUE(FileManager::createDirectory(m_folder.file("Config")));
    ASSERT_TRUE(FileManager::writeAtomically(m_path, std::string_view("<plist><dict><key>broken")));
    {
        UserDefaults defaults(m_path);
        ASSERT_TRUE(defaults.loadError());
        EXPECT_FALSE(defaults.integerForKey("broken"));
        defaults.setInteger("fresh", 1);
        ASSERT_TRUE(defaults.synchronize());
    }
    auto kept = Data::dataWithContentsOfFile(m_path + ".damaged");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->toString(), "<plist><dict><key>broken");
    EXPECT_EQ(UserDefaults(m_path).integerForKey("fresh"), 1);
}

TEST_F(UserDefaultsTest, FailedSynchronizeReportsAndKeepsChanges)
{
    // A file where the folder should be makes every write fail.
    ASSERT_TRUE(FileManager::writeAtomically(m_folder.file("Config"), std::string_view("x")));
    UserDefaults defaults(m_path);
    defaults.setInteger("value", 5);
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_EQ(defaults.integerForKey("value"), 5);
    ASSERT_TRUE(FileManager::removeItem(m_folder.file("Config")));
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(UserDefaults(m_path).integerForKey("value"), 5);
}

TEST_F(UserDefaultsTest, ConcurrentWritersLoseNothing)
{
    UserDefaults defaults(m_path);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&defaults, t] {
            for (int i = 0; i < 200; ++i)
                defaults.setInteger("k" + std::to_string(t) + "_" + std::to_string(i), i);
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(defaults.integerForKey("k" + std::to_string(t) + "_199"), 199);
}

TEST(UserDefaultsStandard, LivesInTheConfigFolder)
{
    EXPECT_EQ(UserDefaults::standardUserDefaults().path(), AppFolders::configFolder() + "/" + UserDefaults::kFileName);
}

} // namespace
} // namespace folio
