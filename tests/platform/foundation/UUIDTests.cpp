#include "platform/foundation/UUID.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <thread>

namespace folio {
namespace {

TEST(UUIDTest, stringIsCanonicalUpperCaseRandomUUID)
{
    // Version 4 (random) with the RFC 4122 variant.
    static const std::regex canonical("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::string uuid = makeUUIDString();
    EXPECT_EQ(uuid.size(), 36u);
    EXPECT_TRUE(std::regex_match(uuid, canonical)) << uuid;
}

TEST(UUIDTest, everyStringIsNew)
{
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i)
        seen.insert(makeUUIDString());
    EXPECT_EQ(seen.size(), 1000u);
}

TEST(UUIDTest, sequentialStringsAreCanonicalAndNeverRepeat)
{
    static const std::regex canonical("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 5000; ++i) {
        std::string uuid = makeSequentialUUIDString();
        ASSERT_TRUE(std::regex_match(uuid, canonical)) << uuid;
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 5000u);
}

TEST(UUIDTest, sequentialStringsOfTwoThreadsDiffer)
{
    // Each thread starts from its own random draw.
    std::set<std::string> mine;
    for (int i = 0; i < 100; ++i)
        mine.insert(makeSequentialUUIDString());
    std::set<std::string> theirs;
    std::thread other([&theirs] {
        for (int i = 0; i < 100; ++i)
            theirs.insert(makeSequentialUUIDString());
    });
    other.join();
    for (const std::string& uuid : theirs)
        EXPECT_EQ(mine.count(uuid), 0u) << uuid;
    EXPECT_EQ(theirs.size(), 100u);
}

} // namespace
} // namespace folio
