#include "foundation/system/TEUtilities.h"
#include "support/VirtualClock.h"

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"

#include <gtest/gtest.h>

#include <cctype>

namespace folio {
namespace {

TEST(TEUtilitiesTest, stringWithUUIDGivesNewUpperCaseUUIDs)
{
    std::string first = TEUtilities::stringWithUUID();
    std::string second = TEUtilities::stringWithUUID();
    ASSERT_EQ(first.size(), 36u);
    EXPECT_EQ(second.size(), 36u);
    EXPECT_NE(first, second);
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23)
            EXPECT_EQ(first[i], '-');
        else
            EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(first[i])) && !std::islower(first[i])) << first;
    }
}

struct AspectFitCase {
    Size source;
    Size box;
    Size expected;
};

class AspectFitTest : public testing::TestWithParam<AspectFitCase> {};

TEST_P(AspectFitTest, fitsInsideTheBoxKeepingTheRatio)
{
    const AspectFitCase& c = GetParam();
    EXPECT_EQ(TECGSizeThatFitsKeepingAspectRatio(c.source, c.box), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, AspectFitTest,
    testing::Values(AspectFitCase{{400, 200}, {100, 100}, {100, 50}},  // reduced, width limits
                    AspectFitCase{{200, 400}, {100, 100}, {50, 100}},  // reduced, height limits
                    AspectFitCase{{30, 10}, {90, 90}, {90, 30}},       // a small source is enlarged
                    AspectFitCase{{3, 2}, {10, 10}, {10, 7}},          // 6.67 rounds up
                    AspectFitCase{{4, 1}, {10, 10}, {10, 3}},          // 2.5 rounds away from zero
                    AspectFitCase{{8, 3}, {10, 10}, {10, 4}},          // 3.75 rounds up
                    AspectFitCase{{100, 100}, {100, 100}, {100, 100}},
                    AspectFitCase{{0, 100}, {50, 50}, {0, 50}},         // one empty side still scales the other
                    AspectFitCase{{0, 0}, {50, 50}, {0, 0}},            // no area: nothing to fit
                    AspectFitCase{{0, 10}, {0, 0}, {0, 0}}));

URL url(const char* text)
{
    std::optional<URL> parsed = URL::URLWithString(text);
    EXPECT_TRUE(parsed) << text;
    return parsed.value_or(URL());
}

TEST(TEUtilitiesTest, urlsCompareBySchemeHostAndPathOnly)
{
    EXPECT_TRUE(isEqualToURL(url("http://example.com/a/b.png?x=1"), url("http://example.com/a/b.png?y=2")));
    EXPECT_TRUE(isEqualToURL(url("http://example.com/a#top"), url("http://user@example.com:8080/a#end")));
    EXPECT_FALSE(isEqualToURL(url("http://example.com/a"), url("http://example.org/a")));
    EXPECT_FALSE(isEqualToURL(url("http://example.com/a"), url("https://example.com/a")));
    EXPECT_FALSE(isEqualToURL(url("http://example.com/a"), url("http://example.com/b")));
}

TEST(TEUtilitiesTest, urlsMissingAHostNeverCompareEqual)
{
    URL file = url("file:///tmp/picture.png");
    EXPECT_FALSE(isEqualToURL(file, file));
    EXPECT_FALSE(isEqualToURL(url("picture.png"), url("picture.png")));
    EXPECT_FALSE(isEqualToURL(url("http://example.com/a"), file));
}

class MainThreadHelperTest : public test::VirtualClockTest {};

TEST_F(MainThreadHelperTest, onTheMainThreadTheBlockRunsInsideTheCall)
{
    bool ran = false;
    TEBlockPerformSyncIfOnMainThreadElseAsync([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST_F(MainThreadHelperTest, fromAnotherThreadTheBlockRunsLaterOnTheMainThread)
{
    DispatchQueue queue("test.helper");
    bool ranOnMain = false;
    bool ran = false;
    queue.async([&] {
        TEBlockPerformSyncIfOnMainThreadElseAsync([&] {
            ranOnMain = isMainThread();
            ran = true;
        });
    });
    EXPECT_TRUE(loop.runUntil([&] { return ran; }, 30));
    EXPECT_TRUE(ranOnMain);
}

} // namespace
} // namespace folio
