#include "platform/foundation/VirtualDisplay.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>
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

// Whether the X server on the socket offers each named extension: the
// protocol's own QueryExtension, asked without the X library, all on one
// connection, since the server resets as its last client leaves and a
// second connection could meet it resetting.
std::optional<std::vector<bool>> offersExtensions(const std::string& socketPath, const std::vector<std::string>& names)
{
    int descriptor = socket(AF_UNIX, SOCK_STREAM, 0);
    if (descriptor < 0)
        return std::nullopt;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    auto readAll = [descriptor](unsigned char* into, std::size_t length) {
        for (std::size_t done = 0; done < length;) {
            ssize_t count = read(descriptor, into + done, length - done);
            if (count <= 0)
                return false;
            done += static_cast<std::size_t>(count);
        }
        return true;
    };
    auto offered = [&](const std::string& name) -> std::optional<bool> {
        std::string request(8, '\0');
        request[0] = 98; // QueryExtension
        const std::size_t padded = (name.size() + 3) / 4 * 4;
        request[2] = static_cast<char>(2 + padded / 4);
        request[4] = static_cast<char>(name.size());
        request += name + std::string(padded - name.size(), '\0');
        unsigned char reply[32];
        if (write(descriptor, request.data(), request.size()) == static_cast<ssize_t>(request.size())
            && readAll(reply, sizeof reply) && reply[0] == 1)
            return reply[8] != 0;
        return std::nullopt;
    };
    std::optional<std::vector<bool>> answers;
    if (connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        // Little-endian, protocol 11.0, no authorization.
        const unsigned char setup[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        unsigned char head[8];
        if (write(descriptor, setup, sizeof setup) == sizeof setup && readAll(head, sizeof head) && head[0] == 1) {
            std::string rest((head[6] | head[7] << 8) * 4, '\0');
            if (readAll(reinterpret_cast<unsigned char*>(rest.data()), rest.size())) {
                answers.emplace();
                for (const std::string& name : names) {
                    std::optional<bool> answer = offered(name);
                    if (!answer) {
                        answers.reset();
                        break;
                    }
                    answers->push_back(*answer);
                }
            }
        }
    }
    close(descriptor);
    return answers;
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

// Nothing the program shows draws with GL; a server that offers it loads
// the GL driver for nothing as it starts.
TEST(VirtualDisplayTest, offersNoGL)
{
    auto started = VirtualDisplay::start();
    ASSERT_TRUE(started.ok()) << started.error().message;
    const std::string socketPath = (*started)->socketPath();
    EXPECT_EQ(offersExtensions(socketPath, {"MIT-SHM", "GLX"}), std::optional<std::vector<bool>>({true, false}));
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
    std::optional<std::string> oldBus;
    if (const char* value = std::getenv("DBUS_SESSION_BUS_ADDRESS"))
        oldBus = value;
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");

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

    // No session runs on the private display: asking for its bus neither
    // starts one nor runs dbus-launch to look.
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    EXPECT_EQ(bus, nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(std::string(error->message).find("dbus-launch"), std::string::npos) << error->message;
    g_error_free(error);
    if (bus)
        g_object_unref(bus);

    if (oldDisplay)
        setenv("DISPLAY", oldDisplay->c_str(), 1);
    if (oldBus)
        setenv("DBUS_SESSION_BUS_ADDRESS", oldBus->c_str(), 1);
    else
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

} // namespace
} // namespace folio
