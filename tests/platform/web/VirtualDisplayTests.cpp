#include "platform/web/VirtualDisplay.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace folio {
namespace {

// Whether an X server accepts connections on the socket.
bool acceptsConnections(const std::string& socketPath)
{
    int descriptor = socket(AF_UNIX, SOCK_STREAM, 0);
    if (descriptor < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    bool connected = connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(descriptor);
    return connected;
}

TEST(VirtualDisplayTest, startsAServerThatListensUntilStopped)
{
    auto started = VirtualDisplay::start();
    ASSERT_TRUE(started.ok()) << started.error().message;
    std::unique_ptr<VirtualDisplay> display = std::move(*started);
    EXPECT_EQ(display->displayName(), ":" + std::to_string(display->displayNumber()));
    EXPECT_EQ(display->socketPath(), "/tmp/.X11-unix/X" + std::to_string(display->displayNumber()));
    EXPECT_TRUE(acceptsConnections(display->socketPath()));

    pid_t pid = display->serverProcess();
    display->stop();
    // Reaped, so the process id no longer exists.
    EXPECT_EQ(kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    // NOTE: the freed socket is not checked: with tests running in parallel,
    // another server may already have taken the same display number.
    display->stop(); // a second stop does nothing
}

TEST(VirtualDisplayTest, twoServersGetDifferentDisplays)
{
    auto first = VirtualDisplay::start();
    auto second = VirtualDisplay::start();
    ASSERT_TRUE(first.ok() && second.ok());
    EXPECT_NE((*first)->displayNumber(), (*second)->displayNumber());
}

// The program goes on with its work while the server starts; the display
// is named, and listens, once it is asked for. One server serves both calls.
TEST(VirtualDisplayTest, aDisplayBegunEarlyListensOnceEnsured)
{
    std::optional<std::string> oldDisplay;
    if (const char* value = std::getenv("DISPLAY"))
        oldDisplay = value;
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");

    ASSERT_TRUE(VirtualDisplay::beginDisplay().ok());
    EXPECT_EQ(std::getenv("DISPLAY"), nullptr);
    ASSERT_TRUE(VirtualDisplay::beginDisplay().ok());
    Status ensured = VirtualDisplay::ensureDisplay();
    ASSERT_TRUE(ensured.ok()) << ensured.error().message;
    const char* display = std::getenv("DISPLAY");
    ASSERT_NE(display, nullptr);
    ASSERT_EQ(display[0], ':');
    EXPECT_TRUE(acceptsConnections("/tmp/.X11-unix/X" + std::string(display + 1)));
    EXPECT_TRUE(VirtualDisplay::ensureDisplay().ok());
    EXPECT_EQ(std::getenv("DISPLAY"), std::string(display));

    if (oldDisplay)
        setenv("DISPLAY", oldDisplay->c_str(), 1);
}

} // namespace
} // namespace folio
