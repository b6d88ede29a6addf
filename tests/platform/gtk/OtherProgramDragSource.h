#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Geometry.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"

#include <gtk/gtk.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace folio::test {

// Another program on the test's display: a small window of its own process
// (the test helper folio_test_drag_source) whose face a person drags onto
// ours with the real pointer. What it offers is its arguments: "text" and the
// words, "html", the markup and its plain text, or "files" and file URIs.
class OtherProgramDragSource {
public:
    static constexpr double kWaitSeconds = 30;

    OtherProgramDragSource(Point topLeft, std::vector<std::string> offer)
    {
        std::vector<std::string> arguments{std::string(FOLIO_BINARY_DIR) + "/folio_test_drag_source",
                                           std::to_string(int(topLeft.x)), std::to_string(int(topLeft.y))};
        arguments.insert(arguments.end(), offer.begin(), offer.end());
        std::vector<gchar*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        gchar** environment = g_get_environ();
        if (GdkDisplay* display = gdk_display_get_default())
            environment = g_environ_setenv(environment, "DISPLAY", gdk_display_get_name(display), TRUE);
        int output = -1;
        m_started = g_spawn_async_with_pipes(nullptr, argv.data(), environment, G_SPAWN_DO_NOT_REAP_CHILD, nullptr,
                                             nullptr, &m_pid, &m_input, &output, nullptr, nullptr);
        g_strfreev(environment);
        if (!m_started)
            return;
        m_output = g_io_channel_unix_new(output);
        g_io_channel_set_close_on_unref(m_output, TRUE);
        g_io_channel_set_flags(m_output, G_IO_FLAG_NONBLOCK, nullptr);
        m_watch = g_io_add_watch(m_output, GIOCondition(G_IO_IN | G_IO_HUP), collect, this);
    }

    // Closing its input ends the program; it is waited for, so that no
    // window of it is left on the display for the next test.
    ~OtherProgramDragSource()
    {
        if (!m_started)
            return;
        if (m_watch)
            g_source_remove(m_watch);
        g_io_channel_unref(m_output);
        close(m_input);
        int status = 0;
        waitpid(m_pid, &status, 0);
        g_spawn_close_pid(m_pid);
    }

    OtherProgramDragSource(const OtherProgramDragSource&) = delete;
    OtherProgramDragSource& operator=(const OtherProgramDragSource&) = delete;

    // Waits until its window is on the screen; false if it never came.
    bool waitUntilShown()
    {
        return m_started && RunLoop::main().runUntil([this] { return lineStarting("ready ").has_value(); }, kWaitSeconds);
    }

    // The middle of its face, on the screen.
    Point faceCentre() const
    {
        std::istringstream words(lineStarting("ready ").value_or("ready -1 -1 0 0").substr(6));
        int x = -1, y = -1, width = 0, height = 0;
        words >> x >> y >> width >> height;
        return {x + width / 2.0, y + height / 2.0};
    }

    // The face pressed with the real pointer, carried in small steps to the
    // screen point `to` and let go there, with our windows served between
    // the steps as the drag asks them where it may land.
    bool dragTo(Point to)
    {
        Point from = faceCentre();
        bool done = moveTo(from) && runXdotool({"mousedown", "1"});
        serveWindows();
        // A few small steps first: the drag begins once the pointer has
        // moved past the toolkit's threshold with the button held.
        for (int step = 1; done && step <= 4; ++step)
            done = moveTo({from.x - 5 * step, from.y});
        Point start{from.x - 20, from.y};
        constexpr int kSteps = 16;
        for (int step = 1; done && step <= kSteps; ++step)
            done = moveTo({start.x + (to.x - start.x) * step / kSteps, start.y + (to.y - start.y) * step / kSteps});
        // Resting over the point, as a hand does before it lets go.
        done = done && moveTo({to.x + 1, to.y}) && moveTo(to) && runXdotool({"mouseup", "1"});
        serveWindows();
        return done;
    }

    // How the drag ended: true when it was taken, false when refused, none
    // when the program never said.
    std::optional<bool> waitForEnd()
    {
        RunLoop::main().runUntil([this] { return lineStarting("ended ").has_value(); }, kWaitSeconds);
        std::optional<std::string> ended = lineStarting("ended ");
        return ended ? std::optional<bool>(*ended == "ended 1") : std::nullopt;
    }

private:
    static gboolean collect(GIOChannel* channel, GIOCondition, gpointer self)
    {
        auto* source = static_cast<OtherProgramDragSource*>(self);
        gchar buffer[256];
        gsize read = 0;
        GIOStatus status = G_IO_STATUS_NORMAL;
        while ((status = g_io_channel_read_chars(channel, buffer, sizeof buffer, &read, nullptr)) == G_IO_STATUS_NORMAL
               && read > 0)
            source->m_said.append(buffer, read);
        if (status == G_IO_STATUS_NORMAL || status == G_IO_STATUS_AGAIN)
            return TRUE;
        source->m_watch = 0;
        return FALSE;
    }

    std::optional<std::string> lineStarting(const std::string& start) const
    {
        std::istringstream lines(m_said);
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind(start, 0) == 0)
                return line;
        }
        return std::nullopt;
    }

    bool moveTo(Point point)
    {
        bool moved = runXdotool({"mousemove", "--sync", std::to_string(int(std::lround(point.x))),
                                 std::to_string(int(std::lround(point.y)))});
        serveWindows();
        return moved;
    }

    static void serveWindows()
    {
        RunLoop::main().runUntil([] {
            GtkPresenter::processPendingEvents();
            return false;
        }, 0.15);
    }

    bool m_started = false;
    GPid m_pid = 0;
    int m_input = -1;
    GIOChannel* m_output = nullptr;
    guint m_watch = 0;
    std::string m_said;
};

} // namespace folio::test
