#include "platform/foundation/UUID.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

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

} // namespace
} // namespace folio
