#include "platform/foundation/Log.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace folio {
namespace {

class LogTest : public testing::Test {
protected:
    void TearDown() override
    {
        setTELogHandler({});
        TECurrentLogLevel = TELogLevelInfo;
    }
};

TEST_F(LogTest, NothingIsInstalledByDefault)
{
    EXPECT_FALSE(hasTELogHandler());
    EXPECT_EQ(TECurrentLogLevel.load(), 6);
    TELog(TELogLevelError, "dropped without a handler");
}

TEST_F(LogTest, HandsOnMessagesAtOrBelowTheCurrentLevel)
{
    std::vector<std::pair<int, std::string>> received;
    setTELogHandler([&](const TELogMessage& message) { received.emplace_back(message.level, std::string(message.text)); });
    TELog(TELogLevelWarning, "CSS link referencing a non-local target, ignored");
    TELog(TELogLevelInfo, "info");
    TELog(TELogLevelDebug, "debug is above 6");
    TECurrentLogLevel = TELogLevelError;
    TELog(TELogLevelWarning, "warning is above 3");
    TELog(TELogLevelError, "error");
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0], std::make_pair(4, std::string("CSS link referencing a non-local target, ignored")));
    EXPECT_EQ(received[1].second, "info");
    EXPECT_EQ(received[2], std::make_pair(3, std::string("error")));
}

TEST_F(LogTest, ReportsWhereTheMessageCameFrom)
{
    TELogMessage copy;
    std::string file, function;
    setTELogHandler([&](const TELogMessage& message) {
        copy = message;
        file = message.file;
        function = message.function;
    });
    unsigned line = __LINE__ + 1;
    TELog(TELogLevelError, "here");
    EXPECT_EQ(copy.line, line);
    EXPECT_NE(file.find("LogTests.cpp"), std::string::npos);
    EXPECT_NE(function.find("TestBody"), std::string::npos);
}

TEST_F(LogTest, HandlerMayBeReplacedFromAnyThread)
{
    std::atomic<int> count{0};
    setTELogHandler([&](const TELogMessage&) { ++count; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 100; ++i)
                TELog(TELogLevelError, "threaded");
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(count.load(), 400);
    setTELogHandler({});
    TELog(TELogLevelError, "after removal");
    EXPECT_EQ(count.load(), 400);
}

} // namespace
} // namespace folio
