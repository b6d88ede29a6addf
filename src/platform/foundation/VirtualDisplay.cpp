#include "platform/foundation/VirtualDisplay.h"

#include <glib.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace folio {

namespace {

Error displayError(VirtualDisplay::ErrorCode code, std::string message)
{
    return Error{VirtualDisplay::kErrorDomain, code, std::move(message)};
}

void stopAndReap(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// Reads the display number the server writes once it listens. The server
// itself says when it is ready, so the wait needs no polling of the socket.
std::optional<int> readDisplayNumber(int descriptor, double timeoutSeconds)
{
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    std::string text;
    while (text.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return std::nullopt;
        pollfd request{descriptor, POLLIN, 0};
        int ready = poll(&request, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char buffer[32];
        ssize_t count = read(descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return std::nullopt; // the server ended before it was ready
        text.append(buffer, static_cast<size_t>(count));
    }
    char* end = nullptr;
    long number = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || number < 0)
        return std::nullopt;
    return static_cast<int>(number);
}

} // namespace

// A server that was started and has not yet said which display it took.
struct VirtualDisplay::Launch {
    pid_t pid = -1;
    int readEnd = -1;
};

Result<VirtualDisplay::Launch> VirtualDisplay::launch()
{
    gchar* server = g_find_program_in_path("Xvfb");
    if (!server)
        return displayError(NoServer, "No display is set and Xvfb is not installed");
    std::string serverPath = server;
    g_free(server);

    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return displayError(StartFailed, std::string("Cannot start Xvfb: ") + std::strerror(errno));
    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls are allowed in a threaded program.
    std::string descriptorText = std::to_string(pipeEnds[1]);
    // Nothing here draws with GL: the program keeps the GL driver out of
    // its processes. Without the GLX extension the server does not load
    // the driver either, and listens in about half the time.
    const char* arguments[] = {serverPath.c_str(), "-displayfd", descriptorText.c_str(), "-nolisten", "tcp",
                               "-extension", "GLX", "-screen", "0", "1280x1024x24", nullptr};
    int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    pid_t parent = getpid();

    pid_t pid = fork();
    if (pid < 0) {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        if (devNull >= 0)
            close(devNull);
        return displayError(StartFailed, std::string("Cannot start Xvfb: ") + std::strerror(errno));
    }
    if (pid == 0) {
        // The server must not outlive a program that crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        setpgid(0, 0); // keep the terminal's signals (Ctrl-C) for the program to handle
        if (devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
        }
        int flags = fcntl(pipeEnds[1], F_GETFD);
        fcntl(pipeEnds[1], F_SETFD, flags & ~FD_CLOEXEC);
        execv(serverPath.c_str(), const_cast<char* const*>(arguments));
        _exit(127);
    }
    close(pipeEnds[1]);
    if (devNull >= 0)
        close(devNull);
    return Launch{pid, pipeEnds[0]};
}

Result<std::unique_ptr<VirtualDisplay>> VirtualDisplay::awaitLaunch(Launch launched, double timeoutSeconds)
{
    std::optional<int> number = readDisplayNumber(launched.readEnd, timeoutSeconds);
    close(launched.readEnd);
    if (!number) {
        stopAndReap(launched.pid);
        return displayError(StartFailed, "Xvfb did not start");
    }
    return std::unique_ptr<VirtualDisplay>(new VirtualDisplay(launched.pid, *number));
}

Result<std::unique_ptr<VirtualDisplay>> VirtualDisplay::start(double timeoutSeconds)
{
    Result<Launch> launched = launch();
    if (!launched)
        return launched.error();
    return awaitLaunch(*launched, timeoutSeconds);
}

namespace {

bool displayIsSet()
{
    auto isSet = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

} // namespace

std::unique_ptr<VirtualDisplay>& VirtualDisplay::shared()
{
    // Never destroyed: the program's server ends with the program, by the
    // death signal the kernel sends it then. Stopped at exit, the program
    // would wait for it to close before its own caller could go on.
    static auto* display = new std::unique_ptr<VirtualDisplay>;
    return *display;
}

std::optional<VirtualDisplay::Launch>& VirtualDisplay::pendingLaunch()
{
    static std::optional<Launch> pending;
    return pending;
}

Status VirtualDisplay::beginDisplay()
{
    if (shared() || pendingLaunch() || displayIsSet())
        return Status::success();
    Result<Launch> launched = launch();
    if (!launched)
        return launched.error();
    pendingLaunch() = *launched;
    return Status::success();
}

Status VirtualDisplay::ensureDisplay()
{
    if (shared() || (!pendingLaunch() && displayIsSet()))
        return Status::success();
    if (Status begun = beginDisplay(); !begun)
        return begun;
    Launch launched = *pendingLaunch();
    pendingLaunch().reset();
    Result<std::unique_ptr<VirtualDisplay>> display = awaitLaunch(launched, kStartTimeoutSeconds);
    if (!display)
        return display.error();
    shared() = std::move(*display);
    setenv("DISPLAY", shared()->displayName().c_str(), 1);
    // No desktop session runs on a private display, so no session bus can
    // be found through it. Left unnamed, the bus would be looked for by
    // starting dbus-launch for the display, which forks the asking process
    // (this large one, and each of the web engine's) to find none, or
    // starts a bus for nothing. An address of no known kind fails at once.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
    return Status::success();
}

VirtualDisplay::VirtualDisplay(pid_t pid, int displayNumber)
    : m_pid(pid)
    , m_displayNumber(displayNumber)
    , m_displayName(":" + std::to_string(displayNumber))
{
}

VirtualDisplay::~VirtualDisplay()
{
    stop();
}

std::string VirtualDisplay::socketPath() const
{
    return "/tmp/.X11-unix/X" + std::to_string(m_displayNumber);
}

void VirtualDisplay::stop()
{
    stopAndReap(m_pid);
    m_pid = -1;
}

} // namespace folio
