#include "platform/foundation/Deflate.h"
#include "platform/foundation/VirtualDisplay.h"
#include "support/AccessibleControls.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>

#include <glib.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
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
        m_errorsPath = m_folder.string() + ".stderr";
    }
    void TearDown() override
    {
        if (m_pid > 0) {
            // The program's page processes too.
            kill(-m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        fs::remove_all(m_folder);
        fs::remove(m_errorsPath);
        m_display.reset();
    }

    void start(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> command{m_program.string()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        std::vector<gchar*> argv;
        for (auto& argument : command)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        gchar** environment = g_environ_setenv(g_get_environ(), "FOLIO_HOME", (m_folder / "home").c_str(), TRUE);
        environment = g_environ_setenv(environment, "DISPLAY", m_display->displayName().c_str(), TRUE);
        GPid pid = 0;
        ASSERT_TRUE(g_spawn_async(nullptr, argv.data(), environment, G_SPAWN_DO_NOT_REAP_CHILD,
                                  &DesktopProgramWebTest::asTerminalJob, m_errorsPath.data(), &pid, nullptr));
        g_strfreev(environment);
        m_pid = pid;
    }

    // As a terminal starts a program in the foreground: a process group of
    // its own, which Ctrl+C signals whole, and the signals' default actions,
    // whatever the test runner set.
    // What it writes on its standard error is kept for the test.
    static void asTerminalJob(gpointer errorsPath)
    {
        setpgid(0, 0);
        int errors = open(static_cast<const char*>(errorsPath), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (errors >= 0)
            dup2(errors, STDERR_FILENO);
        for (int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, SIG_DFL);
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

    // Waits until no visible window has that exact name; false when one
    // still has after many looks.
    bool waitUntilGone(const std::string& name) const
    {
        for (int look = 0; look < 500; ++look) {
            if (!xdotool("search --onlyvisible --name '^" + name + "$'"))
                return true;
        }
        return false;
    }
    // Dismisses the alert of that title with the Escape key, as a person would.
    bool dismissAlert(const std::string& title) const
    {
        std::optional<std::string> alert = waitForWindow(title);
        return alert && xdotool("windowfocus --sync " + *alert) && xdotool("key --clearmodifiers Escape")
            && waitUntilGone(title);
    }
    // The greys (0 black .. 1 white) of the window's area below its bar where
    // each editor draws the document's first lines, or nothing when the
    // window cannot be read.
    struct Greys {
        double darkest = 1;
        double mean = 1;
    };
    std::optional<Greys> greysWhereTheTextIs(const std::string& window) const
    {
        std::string command = "DISPLAY=" + m_display->displayName() + " timeout 60 import -window " + window
            + " -crop 190x130+10+55 +repage -colorspace Gray -format '%[fx:minima] %[fx:mean]' info: 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return std::nullopt;
        char buffer[64] = {};
        bool read = fgets(buffer, sizeof buffer, pipe) != nullptr;
        if (pclose(pipe) != 0 || !read)
            return std::nullopt;
        Greys greys;
        if (std::sscanf(buffer, "%lf %lf", &greys.darkest, &greys.mean) != 2)
            return std::nullopt;
        return greys;
    }
    // A window shows before its editor has the document: keys typed then
    // would go nowhere, so wait for the text to be drawn, as a person would.
    bool waitUntilTheTextShows(const std::string& window) const
    {
        for (int look = 0; look < 600; ++look) {
            std::optional<Greys> greys = greysWhereTheTextIs(window);
            // Black text, darker than the grey and blue of a ruler, on a
            // light page: a window not yet drawn reads black all over.
            if (greys && greys->darkest < 0.25 && greys->mean > 0.75)
                return true;
            g_usleep(100 * 1000);
        }
        return false;
    }
    // Clicks into the document's text and types there, with real keys.
    bool typeIntoDocument(const std::string& window, const std::string& text) const
    {
        return waitUntilTheTextShows(window) && xdotool("windowfocus --sync " + window) && xdotool("mousemove --window " + window + " 500 300 click 1")
            && xdotool("key --clearmodifiers ctrl+End") && xdotool("type --delay 20 '" + text + "'")
            && xdotool("key --clearmodifiers Return BackSpace");
    }
    // The close item is the first item of the window's header bar, at its left end.
    bool closeDocumentToTheBrowser(const std::string& window) const
    {
        return xdotool("mousemove --window " + window + " 28 24 click 1") && waitForWindow("Documents");
    }
    static std::string contentsOf(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    // Waits until the document's text, as a screen reader reads it in the
    // window, holds `words`: the keys that typed them have been handled.
    // The accessibility bus must have been started before the program.
    bool waitUntilTheDocumentReads(const std::string& words) const
    {
        std::vector<folio::test::AccessibleControls::Node> nodes = folio::test::AccessibleControls::waitForTree(
            m_pid, [&](const auto& read) { return readsWords(read, words); }, 60);
        return readsWords(nodes, words);
    }
    static bool readsWords(const std::vector<folio::test::AccessibleControls::Node>& nodes, const std::string& words)
    {
        return std::any_of(nodes.begin(), nodes.end(), [&](const auto& node) {
            return node.text.find(words) != std::string::npos;
        });
    }
    std::string lanternContents() const
    {
        return std::string(GetParam()) == "rtf"
            ? "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 Amber lantern\\par Copper kettle\\par}"
            : "# Amber lantern\n\nCopper kettle\n";
    }

    std::unique_ptr<folio::VirtualDisplay> m_display;
    fs::path m_program = FOLIO_BINARY_DIR "/folio";
    fs::path m_folder;
    std::string m_errorsPath;
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

TEST_P(DesktopProgramWebTest, aFailedAutosaveIsToldAtOnceAndTheTypedTextIsSavedOnceItCanBe)
{
    fs::path file = m_folder / (std::string("Lantern.") + GetParam());
    std::ofstream(file, std::ios::binary) << lanternContents();
    start({"open", file.string()});
    std::optional<std::string> document = waitForWindow("Lantern");
    ASSERT_TRUE(document) << "the document's window did not show";
    // The file cannot be written any more, as on a read-only mount.
    fs::permissions(file, fs::perms(0444));
    ASSERT_TRUE(typeIntoDocument(*document, "Typed words"));

    std::optional<std::string> alert = waitForWindow("The Document Could Not Be Saved");
    EXPECT_TRUE(alert) << "the failed autosave said nothing";
    EXPECT_TRUE(isRunning());
    EXPECT_EQ(contentsOf(file), lanternContents());
    ASSERT_TRUE(dismissAlert("The Document Could Not Be Saved"));

    // Writable again: closing saves what was typed, nothing was lost.
    fs::permissions(file, fs::perms(0644));
    ASSERT_TRUE(closeDocumentToTheBrowser(*document));
    EXPECT_NE(contentsOf(file).find("Typed words"), std::string::npos) << contentsOf(file);
}

TEST_P(DesktopProgramWebTest, aReadOnlyDocumentOpensWithANoticeAndStaysByteIdenticalAfterTyping)
{
    fs::path file = m_folder / (std::string("Lantern.") + GetParam());
    std::ofstream(file, std::ios::binary) << lanternContents();
    fs::permissions(file, fs::perms(0444));
    start({"open", file.string()});
    ASSERT_TRUE(dismissAlert("Read Only Document")) << "no notice said the document is read-only";
    std::optional<std::string> document = waitForWindow("Lantern.*");
    ASSERT_TRUE(document) << "the document's window did not show";
    ASSERT_TRUE(typeIntoDocument(*document, "Typed words"));
    ASSERT_TRUE(closeDocumentToTheBrowser(*document)) << "the browser did not show";
    EXPECT_EQ(contentsOf(file), lanternContents());
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0444));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Lantern." + std::string(GetParam()), "home"}))
        << "nothing is left beside it";
}

INSTANTIATE_TEST_SUITE_P(Editors, DesktopProgramWebTest, ::testing::Values("md", "rtf"));

// The rich-text editor's page starts while its file is read; when no editor
// takes it, its process goes at once, whatever became of the opening.
class EditorPageMadeAheadWebTest : public DesktopProgramWebTest {
protected:
    // The page processes of the program's process group that still run,
    // also once the program itself has ended.
    size_t pageProcessesOfTheProgram() const
    {
        size_t found = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            std::string stat;
            std::getline(std::ifstream(entry.path() / "stat"), stat);
            size_t nameEnd = stat.rfind(')');
            if (nameEnd == std::string::npos || stat.find("(WebKitWebProces)") == std::string::npos)
                continue;
            char state = 0;
            int parent = 0, group = 0;
            if (std::sscanf(stat.c_str() + nameEnd + 1, " %c %d %d", &state, &parent, &group) == 3 && state != 'Z'
                && group == m_group)
                ++found;
        }
        return found;
    }
    // Whether the count of page processes settles at `expected` within ten seconds.
    bool settlesAt(size_t expected) const
    {
        for (int look = 0; look < 100; ++look) {
            if (pageProcessesOfTheProgram() == expected)
                return true;
            g_usleep(100 * 1000);
        }
        return false;
    }
    pid_t m_group = -1;
};

TEST_P(EditorPageMadeAheadWebTest, onlyTheEditorsOwnPageKeepsAProcess)
{
    enum class Then { ShowsInTheEditor, ShowsForReading, Fails, IsEnded };
    struct Case {
        const char* what;
        std::string contents;
        Then then;
        size_t pagesLeft;
    };
    std::string longText = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 ";
    while (longText.size() < 4'000'000)
        longText += "Amber lantern and copper kettle, {\\b bold} words\\par ";
    const std::vector<Case> cases = {
        {"opened in the editor", lanternContents(), Then::ShowsInTheEditor, 1},
        {"opened for reading only", lanternContents(), Then::ShowsForReading, 0},
        {"not rich text", std::string("\x01\x02\x03PK\x00 binary", 12), Then::Fails, 0},
        {"ended while it is read", longText + "}", Then::IsEnded, 0},
    };
    for (const Case& c : cases) {
        fs::path file = m_folder / "Lantern.rtf";
        fs::remove(file);
        std::ofstream(file, std::ios::binary) << c.contents;
        if (c.then == Then::ShowsForReading)
            fs::permissions(file, fs::perms(0444));
        start({"open", file.string()});
        m_group = m_pid;
        if (c.then == Then::ShowsInTheEditor) {
            std::optional<std::string> document = waitForWindow("Lantern");
            ASSERT_TRUE(document && waitUntilTheTextShows(*document)) << c.what;
        } else if (c.then == Then::ShowsForReading) {
            ASSERT_TRUE(dismissAlert("Read Only Document")) << c.what;
        } else if (c.then == Then::IsEnded) {
            g_usleep(300 * 1000);
            ASSERT_EQ(kill(m_pid, SIGTERM), 0);
        }
        if (c.then == Then::Fails || c.then == Then::IsEnded) {
            int status = 0;
            for (int look = 0; look < 600 && waitpid(m_pid, &status, WNOHANG) != m_pid; ++look)
                g_usleep(100 * 1000);
            EXPECT_FALSE(isRunning()) << c.what;
        }
        // Time for a page made ahead to have started, and for a page
        // process given up to have gone.
        g_usleep(2 * 1000 * 1000);
        EXPECT_TRUE(settlesAt(c.pagesLeft)) << c.what << ": " << pageProcessesOfTheProgram() << " page processes";
        kill(-m_group, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
        fs::permissions(file, fs::perms(0644));
    }
}

INSTANTIATE_TEST_SUITE_P(Editors, EditorPageMadeAheadWebTest, ::testing::Values("rtf"));

// Asked to end from outside, the program saves what was typed, as closing
// its window does, before the autosave would have.
class ProgramAskedToEndWebTest : public DesktopProgramWebTest {
protected:
    // A document of the parameter's kind (rich text, Markdown or QV text)
    // holding two lines.
    fs::path writeLantern(const std::string& stem = "Lantern") const
    {
        fs::path file = m_folder / (stem + "." + GetParam());
        std::string kind = GetParam();
        if (kind == "rtf" || kind == "md") {
            std::ofstream(file, std::ios::binary) << lanternContents();
            return file;
        }
        auto branch = [](int id, const std::string& title) {
            return "<li class='tree-branch branch-level-1' data-id='" + std::to_string(id)
                + "' data-parent='0' data-level='1'><div class='contents'><div class='branch-wrapper'>"
                  "<div class='left-sidebar'><div class='branch-title' id='" + std::to_string(id) + "'>" + title
                + "</div></div></div></div></li>";
        };
        std::string html = kind == "qvtext"
            ? "<p>Amber lantern</p><p>Copper kettle</p>"
            : "<ul id='left-tree'>" + branch(1, "Amber lantern") + branch(2, "Copper kettle") + "</ul>";
        folio::Result<folio::Data> packed = folio::Deflate::compress(
            std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
        EXPECT_TRUE(packed);
        if (packed)
            std::ofstream(file, std::ios::binary)
                .write(reinterpret_cast<const char*>(packed->bytes()), std::streamsize(packed->length()));
        return file;
    }
    // The document's text as the program reads it from the file.
    std::string textOf(const fs::path& file) const
    {
        std::string command = "FOLIO_HOME=" + (m_folder / "home").string() + " timeout 60 " FOLIO_BINARY_DIR
                              "/folio copy '" + file.string() + "' --as text 2>&1";
        std::string output;
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return output;
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        pclose(pipe);
        return output;
    }
    // How the program ended: the signal that ended it, or none when it
    // exited by itself or had not ended after a minute.
    std::optional<int> endingSignal()
    {
        for (int look = 0; look < 600; ++look) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                if (WIFSIGNALED(status))
                    return WTERMSIG(status);
                ADD_FAILURE() << "the program exited with status " << WEXITSTATUS(status) << ": "
                              << contentsOf(m_errorsPath);
                return std::nullopt;
            }
            g_usleep(100 * 1000);
        }
        ADD_FAILURE() << "the program did not end";
        return std::nullopt;
    }
    enum class Sent { ToTheProgram, ToItsTerminalJob };
    // Types into the document, then asks the program to end at once, long
    // before the autosave: `kill` signals the program alone, a terminal
    // (Ctrl+C, or closing it) its whole job, page processes included.
    void typeThenAskToEnd(const fs::path& file, int signal, Sent sent)
    {
        start({"open", file.string()});
        std::optional<std::string> document = waitForWindow("Lantern");
        ASSERT_TRUE(document) << "the document's window did not show";
        ASSERT_TRUE(typeIntoDocument(*document, " Zebra words"));
        ASSERT_EQ(textOf(file).find("Zebra words"), std::string::npos) << "saved before it was asked to end";
        ASSERT_EQ(kill(sent == Sent::ToTheProgram ? m_pid : -m_pid, signal), 0);
    }


    // The program ends by the signal it was sent, its file holding what it
    // held and the words typed.
    void expectTypedWordsSavedOnEnding(int signal, Sent sent)
    {
        fs::path file = writeLantern();
        ASSERT_NO_FATAL_FAILURE(typeThenAskToEnd(file, signal, sent));
        EXPECT_EQ(endingSignal(), signal);
        std::string text = textOf(file);
        EXPECT_NE(text.find("Amber lantern"), std::string::npos) << text;
        EXPECT_NE(text.find("Zebra words"), std::string::npos) << text;
    }
};

TEST_P(ProgramAskedToEndWebTest, aTerminatedProgramSavesTheTypedWordsAndEndsAsTerminated)
{
    expectTypedWordsSavedOnEnding(SIGTERM, Sent::ToTheProgram);
}

TEST_P(ProgramAskedToEndWebTest, ctrlCInTheTerminalSavesTheTypedWordsAndEndsAsInterrupted)
{
    expectTypedWordsSavedOnEnding(SIGINT, Sent::ToItsTerminalJob);
}

TEST_P(ProgramAskedToEndWebTest, aSaveThatFailsOnTheWayOutIsToldAndLeavesTheFileAsItWas)
{
    fs::path file = writeLantern();
    std::string before = contentsOf(file);
    start({"open", file.string()});
    std::optional<std::string> document = waitForWindow("Lantern");
    ASSERT_TRUE(document) << "the document's window did not show";
    // The file cannot be written any more, as on a read-only mount.
    fs::permissions(file, fs::perms(0444));
    ASSERT_TRUE(typeIntoDocument(*document, " Zebra words"));
    ASSERT_EQ(kill(m_pid, SIGTERM), 0);
    int status = 0;
    for (int look = 0; look < 600 && waitpid(m_pid, &status, WNOHANG) != m_pid; ++look)
        g_usleep(100 * 1000);
    m_pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "status " << status;
    EXPECT_NE(contentsOf(m_errorsPath).find("folio: ended without saving the open document: "), std::string::npos)
        << contentsOf(m_errorsPath);
    EXPECT_EQ(contentsOf(file), before);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Lantern." + std::string(GetParam()), "home"}))
        << "nothing is left beside it";
}

// A file name may take 255 bytes: such a document saves the words typed
// into it as the program ends, and leaves nothing beside it.
TEST_P(ProgramAskedToEndWebTest, aDocumentWithTheLongestNameSavesTheTypedWords)
{
    const std::string stem = "Lantern" + std::string(255 - 7 - 1 - std::string(GetParam()).size(), 'n');
    fs::path file = writeLantern(stem);
    ASSERT_EQ(file.filename().string().size(), 255u);
    start({"open", file.string()});
    std::optional<std::string> document = waitForWindow("Lantern.*");
    ASSERT_TRUE(document) << "the document's window did not show";
    ASSERT_TRUE(typeIntoDocument(*document, " Zebra words"));
    ASSERT_EQ(kill(m_pid, SIGTERM), 0);
    EXPECT_EQ(endingSignal(), SIGTERM) << contentsOf(m_errorsPath);
    std::string text = textOf(file);
    EXPECT_NE(text.find("Zebra words"), std::string::npos) << text;
    EXPECT_NE(text.find("Amber lantern"), std::string::npos) << text;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{file.filename().string(), "home"})) << "nothing is left beside it";
}

INSTANTIATE_TEST_SUITE_P(Editors, ProgramAskedToEndWebTest, ::testing::Values("rtf", "md", "qvtext", "qvoutline"));

// A document just opened is typed into without a click first, as in any
// editor: the words land in its text, those typed while its page was still
// loading too.
class OpenedDocumentWebTest : public ProgramAskedToEndWebTest {
protected:
    void SetUp() override
    {
        ProgramAskedToEndWebTest::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            ASSERT_TRUE(folio::test::AccessibleControls::startBus()) << "no accessibility bus to read the text on";
    }
};

TEST_P(OpenedDocumentWebTest, wordsTypedWithoutAClickLandInTheText)
{
    fs::path file = writeLantern();
    start({"open", file.string()});
    std::optional<std::string> document = waitForWindow("Lantern");
    ASSERT_TRUE(document) << "the document's window did not show";
    // As a window manager hands a new window the keyboard.
    ASSERT_TRUE(xdotool("windowfocus --sync " + *document));
    ASSERT_TRUE(xdotool("type --delay 20 'Early '"));
    ASSERT_TRUE(waitUntilTheTextShows(*document));
    ASSERT_TRUE(xdotool("type --delay 20 'Zebra '"));
    // The outline's page shows its text before it takes keys; a person
    // looks at what was typed before closing.
    ASSERT_TRUE(waitUntilTheDocumentReads("Early Zebra ")) << "the typed words do not show in the document";
    ASSERT_TRUE(closeDocumentToTheBrowser(*document)) << "the browser did not show";
    std::string text = textOf(file);
    EXPECT_NE(text.find("Early Zebra "), std::string::npos) << text;
    EXPECT_NE(text.find("Amber lantern"), std::string::npos) << text;
    EXPECT_NE(text.find("Copper kettle"), std::string::npos) << text;
}

// Asked to end the moment the words are typed, while the page may still be
// starting, the program keeps them: they are saved before it ends.
TEST_P(OpenedDocumentWebTest, wordsTypedAsTheWindowShowsAreSavedWhenTheProgramIsAskedToEndAtOnce)
{
    fs::path file = writeLantern();
    start({"open", file.string()});
    std::optional<std::string> document = waitForWindow("Lantern");
    ASSERT_TRUE(document) << "the document's window did not show";
    ASSERT_TRUE(xdotool("windowfocus --sync " + *document));
    ASSERT_TRUE(xdotool("type --delay 10 'Early '"));
    ASSERT_EQ(kill(m_pid, SIGTERM), 0);
    EXPECT_EQ(endingSignal(), SIGTERM);
    std::string text = textOf(file);
    EXPECT_NE(text.find("Early "), std::string::npos) << text;
    EXPECT_NE(text.find("Amber lantern"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Editors, OpenedDocumentWebTest, ::testing::Values("rtf", "md", "qvtext", "qvoutline"));

// Another program saves the open document's file: the typed words are
// not autosaved over it. The person is asked; Reload shows the other
// program's version in the editor, Keep My Version saves the window's
// text over it.
class FileChangedElsewhereWebTest : public ProgramAskedToEndWebTest {
protected:
    void SetUp() override
    {
        ProgramAskedToEndWebTest::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            ASSERT_TRUE(folio::test::AccessibleControls::startBus()) << "no accessibility bus to find the controls on";
    }
    // What another program writes, rewriting the file where it lies.
    void writeAsAnotherProgram(const fs::path& file, const std::string& words) const
    {
        std::string kind = GetParam();
        std::string bytes = kind == "rtf" ? "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 " + words + "\\par}"
            : kind == "md"              ? words + "\n"
                                        : std::string();
        if (kind == "qvtext") {
            std::string html = "<p>" + words + "</p>";
            folio::Result<folio::Data> packed = folio::Deflate::compress(
                std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
            ASSERT_TRUE(packed);
            bytes.assign(reinterpret_cast<const char*>(packed->bytes()), packed->length());
        }
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    }
    bool clickButton(const std::string& title) const
    {
        std::optional<folio::test::AccessibleControls::Centre> centre =
            folio::test::AccessibleControls::waitForButton(m_pid, title);
        return centre
            && xdotool("mousemove --sync " + std::to_string(centre->x) + " " + std::to_string(centre->y) + " click 1");
    }
    // The document's window once it is another than `old`.
    std::optional<std::string> waitForNewWindow(const std::string& old) const
    {
        for (int look = 0; look < 600; ++look) {
            std::optional<std::string> found = xdotool("search --onlyvisible --name '^Lantern$'");
            if (found && !found->empty() && found->substr(0, found->find('\n')) != old)
                return found->substr(0, found->find('\n'));
            g_usleep(100 * 1000);
        }
        return std::nullopt;
    }
    // Waits until the file's text holds `words`.
    bool waitUntilSaved(const fs::path& file, const std::string& words) const
    {
        for (int look = 0; look < 300; ++look) {
            if (textOf(file).find(words) != std::string::npos)
                return true;
            g_usleep(100 * 1000);
        }
        return false;
    }
    static constexpr const char* kAlert = "The Document Was Changed by Another Program";
};

TEST_P(FileChangedElsewhereWebTest, theTypedWordsWaitForThePersonToReloadOrKeepTheirVersion)
{
    fs::path file = writeLantern();
    start({"open", file.string()});
    std::optional<std::string> document = waitForWindow("Lantern");
    ASSERT_TRUE(document) << "the document's window did not show";
    ASSERT_TRUE(waitUntilTheTextShows(*document));
    ASSERT_NO_FATAL_FAILURE(writeAsAnotherProgram(file, "Walnut harbour"));
    ASSERT_TRUE(typeIntoDocument(*document, " Zebra words"));

    // The autosave found the other program's file and asked.
    ASSERT_TRUE(waitForWindow(kAlert)) << "nothing asked which version to keep";
    std::string text = textOf(file);
    EXPECT_NE(text.find("Walnut harbour"), std::string::npos) << text;
    EXPECT_EQ(text.find("Zebra words"), std::string::npos) << text;

    // Reload: the editor shows the other program's version, and what is
    // typed into it now is saved with it.
    ASSERT_TRUE(clickButton("Reload"));
    std::optional<std::string> reloaded = waitForNewWindow(*document);
    ASSERT_TRUE(reloaded) << "the document was not shown again";
    ASSERT_NO_FATAL_FAILURE(writeAsAnotherProgram(file, "Oak meadow"));
    ASSERT_TRUE(typeIntoDocument(*reloaded, " Yak words"));

    // Keep My Version: the window's text is saved over the other's.
    ASSERT_TRUE(waitForWindow(kAlert)) << "the second change was not asked about";
    EXPECT_EQ(textOf(file).find("Yak words"), std::string::npos) << textOf(file);
    ASSERT_TRUE(clickButton("Keep My Version"));
    EXPECT_TRUE(waitUntilSaved(file, "Yak words")) << textOf(file);
    text = textOf(file);
    EXPECT_NE(text.find("Walnut harbour"), std::string::npos) << text;
    EXPECT_EQ(text.find("Oak meadow"), std::string::npos) << text;
    EXPECT_EQ(text.find("Zebra words"), std::string::npos) << text;
    EXPECT_EQ(text.find("Amber lantern"), std::string::npos) << text;
    EXPECT_TRUE(isRunning());
}

// Asked to end while the question is open, the program cannot wait for an
// answer: the other program's version stays in the file, and the typed
// words go to a file beside it.
TEST_P(FileChangedElsewhereWebTest, endingBeforeTheAnswerKeepsBothVersions)
{
    fs::path file = writeLantern();
    start({"open", file.string()});
    std::optional<std::string> document = waitForWindow("Lantern");
    ASSERT_TRUE(document) << "the document's window did not show";
    ASSERT_TRUE(waitUntilTheTextShows(*document));
    ASSERT_NO_FATAL_FAILURE(writeAsAnotherProgram(file, "Walnut harbour"));
    ASSERT_TRUE(typeIntoDocument(*document, " Zebra words"));
    ASSERT_TRUE(waitForWindow(kAlert)) << "nothing asked which version to keep";
    ASSERT_EQ(kill(m_pid, SIGTERM), 0);
    int status = 0;
    for (int look = 0; look < 600 && waitpid(m_pid, &status, WNOHANG) != m_pid; ++look)
        g_usleep(100 * 1000);
    m_pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "status " << status;
    fs::path mine = m_folder / (std::string("Lantern (my version).") + GetParam());
    EXPECT_NE(contentsOf(m_errorsPath).find("folio: your version is kept in " + mine.string()), std::string::npos)
        << contentsOf(m_errorsPath);
    std::string theirs = textOf(file);
    EXPECT_NE(theirs.find("Walnut harbour"), std::string::npos) << theirs;
    EXPECT_EQ(theirs.find("Zebra words"), std::string::npos) << theirs;
    std::string kept = textOf(mine);
    EXPECT_NE(kept.find("Amber lantern"), std::string::npos) << kept;
    EXPECT_NE(kept.find("Zebra words"), std::string::npos) << kept;
}

INSTANTIATE_TEST_SUITE_P(Editors, FileChangedElsewhereWebTest, ::testing::Values("rtf", "md", "qvtext"));

} // namespace

// The speech and text-recognition libraries are opened the first time a
// person asks for them, not with the window: a document open in the editor
// leaves them unmapped until Read Aloud is chosen from the tools menu.
class MediaOnFirstUseWebTest : public DesktopProgramWebTest {
protected:
    // The files the program has mapped, one a line; empty once it has ended.
    std::string mappedFiles() const
    {
        return contentsOf("/proc/" + std::to_string(m_pid) + "/maps");
    }
    bool mapsAnyMediaLibrary() const
    {
        const std::string maps = mappedFiles();
        for (const char* library : {"folio-media.so", "libespeak-ng", "libtesseract", "liblept"}) {
            if (maps.find(library) != std::string::npos)
                return true;
        }
        return false;
    }
    void SetUp() override
    {
        DesktopProgramWebTest::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            ASSERT_TRUE(folio::test::AccessibleControls::startBus()) << "no accessibility bus to find the controls on";
    }
    // Clicks the program's button that reads `title` with the real pointer.
    bool clickButton(const std::string& title) const
    {
        std::optional<folio::test::AccessibleControls::Centre> centre =
            folio::test::AccessibleControls::waitForButton(m_pid, title);
        return centre
            && xdotool("mousemove --sync " + std::to_string(centre->x) + " " + std::to_string(centre->y) + " click 1");
    }
    // Chooses Read Aloud from the tools item of the window's header bar.
    bool chooseReadAloud() const { return clickButton("Tools") && clickButton("Read Aloud"); }
};

TEST_P(MediaOnFirstUseWebTest, readAloudOpensTheSpeechLibrariesOnlyWhenChosen)
{
    std::string file = (m_folder / "Lantern.rtf").string();
    std::ofstream(file) << lanternContents();
    start({"open", file});
    std::optional<std::string> window = waitForWindow("Lantern");
    ASSERT_TRUE(window) << "the document's window did not show";
    // Typing runs what an editor does as it is used (typing sounds that are
    // off, counts) once the words show in the document; the tools menu asks
    // what the media can do as it is laid out, and has once it shows Read
    // Aloud.
    ASSERT_TRUE(typeIntoDocument(*window, " Zebra words"));
    ASSERT_TRUE(waitUntilTheDocumentReads("Zebra words")) << "the typed words do not show in the document";
    ASSERT_TRUE(clickButton("Tools"));
    ASSERT_TRUE(folio::test::AccessibleControls::waitForButton(m_pid, "Read Aloud")) << "no Read Aloud in the tools menu";
    ASSERT_NE(mappedFiles().find("folio-desktop.so"), std::string::npos) << "the program's mappings were not read";
    EXPECT_FALSE(mapsAnyMediaLibrary()) << mappedFiles();

    ASSERT_TRUE(clickButton("Read Aloud"));
    bool mapped = false;
    for (int look = 0; look < 200 && !mapped; ++look) {
        g_usleep(100 * 1000);
        mapped = mappedFiles().find("libespeak-ng") != std::string::npos;
    }
    EXPECT_TRUE(mapped) << "reading aloud did not open the speech library";
    EXPECT_TRUE(isRunning());
}

// A program beside which the media module is missing goes on, the document
// as it was, when Read Aloud is chosen.
TEST_P(MediaOnFirstUseWebTest, withoutTheMediaModuleReadAloudLeavesTheProgramAndDocumentAsTheyWere)
{
    const fs::path programFolder = m_folder / "program";
    fs::create_directories(programFolder);
    for (const char* file : {"folio", "folio-desktop.so", "folio-zip.so", "folio-drawing.so"}) {
        std::error_code linked;
        fs::create_hard_link(fs::path(FOLIO_BINARY_DIR) / file, programFolder / file, linked);
        ASSERT_FALSE(linked) << file << ": " << linked.message();
    }
    fs::create_directory_symlink(fs::path(FOLIO_BINARY_DIR) / "page-process", programFolder / "page-process");
    m_program = programFolder / "folio";
    // Its resources stay in the build folder.
    setenv("FOLIO_RESOURCES", FOLIO_BINARY_DIR "/resources", 1);
    std::string file = (m_folder / "Lantern.rtf").string();
    std::ofstream(file) << lanternContents();
    start({"open", file});
    unsetenv("FOLIO_RESOURCES");
    std::optional<std::string> window = waitForWindow("Lantern");
    ASSERT_TRUE(window) << "the document's window did not show";
    ASSERT_TRUE(waitUntilTheTextShows(*window));
    ASSERT_TRUE(chooseReadAloud()) << "no Read Aloud in the tools menu";
    // The program has handled the choice once its menu has closed; opened
    // again, the menu offers Read Aloud, not its cancel: nothing speaks.
    bool menuClosed = false;
    for (int look = 0; look < 300 && !menuClosed; ++look)
        menuClosed = !folio::test::AccessibleControls::waitForButton(m_pid, "Read Aloud", 0);
    EXPECT_TRUE(menuClosed) << "the tools menu stayed open";
    EXPECT_TRUE(clickButton("Tools") && folio::test::AccessibleControls::waitForButton(m_pid, "Read Aloud"))
        << contentsOf(m_errorsPath);
    EXPECT_TRUE(isRunning()) << contentsOf(m_errorsPath);
    EXPECT_FALSE(mapsAnyMediaLibrary());
    EXPECT_EQ(contentsOf(file), lanternContents());
}

INSTANTIATE_TEST_SUITE_P(Editors, MediaOnFirstUseWebTest, ::testing::Values("rtf"));
