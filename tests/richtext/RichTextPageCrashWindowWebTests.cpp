#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/types.h>
#include <unistd.h>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

// The editing page runs in a process of its own; when that process stops,
// the editor loads the page again from the text the document keeps.
class RichTextPageCrashWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextPageCrashWindowTest() : EditorWindowTest(EditorKind::RichText, "rich-text-page-crash-window") {}

    void typeAtStart(std::string_view words)
    {
        run("document.getElementById('content').focus()");
        press(GDK_KEY_Home, GDK_CONTROL_MASK);
        type(words);
        ASSERT_TRUE(waitFor([&] { return pageText().find(words) != std::string::npos; }))
            << "the keys did not reach the page";
    }

    std::string pageText() { return run("document.getElementById('content').textContent"); }

    // Stops the page's process as a crash would: at once, with nothing
    // handed back.
    static int killPageProcesses()
    {
        int killed = 0;
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            std::ifstream stat(entry.path() / "stat");
            std::string line;
            if (!std::getline(stat, line))
                continue;
            const std::size_t nameStart = line.find('(');
            const std::size_t nameEnd = line.rfind(')');
            if (nameStart == std::string::npos || nameEnd == std::string::npos)
                continue;
            std::istringstream rest(line.substr(nameEnd + 2));
            char state = 0;
            pid_t parent = 0;
            rest >> state >> parent;
            const std::string name = line.substr(nameStart + 1, nameEnd - nameStart - 1);
            if (parent == getpid() && name.starts_with("WebKitWebProc")) {
                kill(static_cast<pid_t>(std::stol(entry.path().filename().string())), SIGKILL);
                ++killed;
            }
        }
        return killed;
    }
};

// What was typed and saved before the page's process stopped is on the page
// again afterwards, letters past ASCII included, and typing on and saving
// writes the whole document. Long enough for the document to keep its page
// packed.
TEST_F(RichTextPageCrashWindowTest, aStoppedPageComesBackWithTheKeptTextAndSavesWhole)
{
    const std::string path = folder.path("Crash.rtf");
    std::string filler;
    std::string fillerText;
    for (int i = 0; i < 600; ++i) {
        const std::string line = "Filler line " + std::to_string(i) + " keeps the page long enough to be packed.";
        filler += "\\pard " + line + "\\par\n";
        fillerText += line + "\n";
    }
    writeFile(path, "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Times New Roman;}}\\pard\\f0\\fs24 "
                    "Caf\\'e9 \\u-10179?\\u-8704? first line\\par\n\\pard Second line\\par\n" + filler + "}");
    open(path);
    if (HasFatalFailure())
        return;
    typeAtStart("Typed ");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(save());

    ASSERT_GE(killPageProcesses(), 1);
    ASSERT_TRUE(waitFor([&] { return !editor->isPageReady(); })) << "the editor did not see the page stop";
    ASSERT_TRUE(waitFor([&] { return editor->isPageReady(); })) << "the page was not loaded again";
    EXPECT_NE(pageText().find("Typed Caf\u00E9 \U0001F600 first line"), std::string::npos) << pageText();
    EXPECT_NE(pageText().find("Second line"), std::string::npos) << pageText();

    gtk_widget_grab_focus(pageWidget);
    typeAtStart("Again ");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(save());
    const std::string rtf = readFile(path);
    Result<DKRTFReadResult> saved = DKRTFReader::read(toUtf16(rtf));
    ASSERT_TRUE(saved.ok()) << rtf;
    EXPECT_EQ(toUtf8(saved->text.string()), "Again Typed Caf\u00E9 \U0001F600 first line\nSecond line\n" + fillerText);
}

} // namespace
} // namespace folio
