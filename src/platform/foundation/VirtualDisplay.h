#pragma once

#include "platform/foundation/Error.h"

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace folio {

// A private X server (Xvfb) for machines without a screen, so that the web
// view can render previews and exports. The server listens on a local socket
// only and is stopped when this object goes, and also when the program dies.
class VirtualDisplay {
public:
    static constexpr const char* kErrorDomain = "VirtualDisplay";
    enum ErrorCode { NoServer = 1, StartFailed = 2 };
    static constexpr double kStartTimeoutSeconds = 15;

    // Starts a server on the first free display number; answers once it
    // accepts connections, or an error when it did not within the time-out.
    static Result<std::unique_ptr<VirtualDisplay>> start(double timeoutSeconds = kStartTimeoutSeconds);

    // When neither DISPLAY nor WAYLAND_DISPLAY is set: starts a server for
    // the rest of the program's life and sets DISPLAY to it. Otherwise, and
    // on later calls, does nothing.
    static Status ensureDisplay();
    // As ensureDisplay, without waiting for the server to listen: the
    // program goes on with its own work meanwhile, and ensureDisplay, called
    // before the display is first used, waits for it. Only a server that
    // cannot be started at all is an error here.
    static Status beginDisplay();

    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N", the value for DISPLAY.
    const std::string& displayName() const { return m_displayName; }
    int displayNumber() const { return m_displayNumber; }
    pid_t serverProcess() const { return m_pid; }
    // The server's local socket, "/tmp/.X11-unix/XN".
    std::string socketPath() const;

    // Terminates the server and waits for it; later calls do nothing.
    void stop();

private:
    struct Launch;
    VirtualDisplay(pid_t pid, int displayNumber);
    static Result<Launch> launch();
    static Result<std::unique_ptr<VirtualDisplay>> awaitLaunch(Launch launched, double timeoutSeconds);
    static std::unique_ptr<VirtualDisplay>& shared();
    static std::optional<Launch>& pendingLaunch();

    pid_t m_pid = -1;
    int m_displayNumber = -1;
    std::string m_displayName;
};

} // namespace folio
