#include "platform/web/VirtualDisplay.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>

#include <glib.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The real program in a window of the test's display, driven with real
// clicks (xdotool), as a person would.
class DesktopProgramWebTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        // A display of the test's own: the clicks must not land in another
        // test's windows.
        auto display = folio::VirtualDisplay::start();
        if (!display)
            return folio::test::noDisplayForWindowTest(display.error().message);
        m_display = std::move(*display);
        m_folder = fs::temp_directory_path() / ("desktop-program-" + std::to_string(getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "home");
    }
    void TearDown() override
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        fs::remove_all(m_folder);
        m_display.reset();
    }

    void start(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> command{FOLIO_BINARY_DIR "/folio"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        std::vector<gchar*> argv;
        for (auto& argument : command)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        gchar** environment = g_environ_setenv(g_get_environ(), "FOLIO_HOME", (m_folder / "home").c_str(), TRUE);
        environment = g_environ_setenv(environment, "DISPLAY", m_display->displayName().c_str(), TRUE);
        GPid pid = 0;
        ASSERT_TRUE(g_spawn_async(nullptr, argv.data(), environment, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &pid,
                                  nullptr));
        g_strfreev(environment);
        m_pid = pid;
    }

    bool isRunning() const { return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0; }

    // xdotool's answer, or nothing when it failed.
    std::optional<std::string> xdotool(const std::string& arguments) const
    {
        std::string output;
        std::string command = "DISPLAY=" + m_display->displayName() + " timeout 60 xdotool " + arguments + " 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return std::nullopt;
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        if (pclose(pipe) != 0)
            return std::nullopt;
        return output;
    }
    // The first visible window of that exact name, waiting until it shows.
    std::optional<std::string> waitForWindow(const std::string& name) const
    {
        std::optional<std::string> found = xdotool("search --sync --onlyvisible --name '^" + name + "$'");
        if (!found || found->empty())
            return std::nullopt;
        return found->substr(0, found->find('\n'));
    }

    std::unique_ptr<folio::VirtualDisplay> m_display;
    fs::path m_folder;
    pid_t m_pid = -1;
};

TEST_P(DesktopProgramWebTest, theCloseItemOfADocumentOpenedFromTheCommandLineShowsTheBrowser)
{
    std::string file = (m_folder / (std::string("Lantern.") + GetParam())).string();
    std::string contents = std::string(GetParam()) == "rtf"
        ? "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 Amber lantern\\par Copper kettle\\par}"
        : "# Amber lantern\n\nCopper kettle\n";
    std::ofstream(file) << contents;
    start({"open", file});
    std::optional<std::string> document = waitForWindow("Lantern");
    ASSERT_TRUE(document) << "the document's window did not show";

    // The editor's close item ("Documents", or a back arrow) is the first
    // item of the window's header bar, at its left end.
    ASSERT_TRUE(xdotool("mousemove --window " + *document + " 28 24 click 1"));
    std::optional<std::string> browser = waitForWindow("Documents");
    EXPECT_TRUE(browser) << "the browser did not show";
    EXPECT_TRUE(isRunning()) << "the program quit instead";
    // The document's window is gone, its file as it was.
    EXPECT_FALSE(xdotool("search --onlyvisible --name '^Lantern$'")) << "the document's window stayed";
    std::ifstream saved(file);
    std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, contents);
}

INSTANTIATE_TEST_SUITE_P(Editors, DesktopProgramWebTest, ::testing::Values("md", "rtf"));

} // namespace
