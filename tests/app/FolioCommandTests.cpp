#include "export/pdf/HTMLToPDFTestSupport.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace folio {
namespace {

using namespace testing_support;

// Every occurrence of `from` replaced.
std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The command as a person meets it first: what it prints, in one way of
// speaking, for what it was asked, and the text its plain-text export gives.
TEST(FolioCommand, answersEachCaseInOneWayOfSpeakingAndExportsPlainTextAsItWas)
{
    ScratchFolder folder("folio-command");
    std::string f = folder.path("");
    if (f.back() == '/')
        f.pop_back();
    writeFile(f + "/notes.txt", "line one\nline two\n");
    writeFile(f + "/plain.txt", "\n\n# not a heading\n\tand  tab");
    writeFile(f + "/notes.md", "line one\nline two\n");
    writeFile(f + "/heading.md", "# Amber lantern\n\nCopper kettle\n");
    writeFile(f + "/empty.rtf", "");
    writeFile(f + "/empty.md", "");
    writeFile(f + "/locked.rtf", "{\\rtf1 Locked away\\par}");
    ASSERT_EQ(chmod((f + "/locked.rtf").c_str(), 0), 0);
    std::filesystem::create_directories(f + "/read-only");
    ASSERT_EQ(chmod((f + "/read-only").c_str(), 0555), 0);
    std::filesystem::create_directories(f + "/home");
    ASSERT_EQ(chmod((f + "/home").c_str(), 0777), 0);

    enum class As { User, Other };
    struct Case {
        std::string arguments;
        std::string answer;
        As as = As::User;
    };
    const Case cases[] = {
        // Plain text comes back as it was; Markdown's text begins and ends
        // as the document does. A copy the command named itself is told.
        {"export F/notes.txt --format txt", "folio: exported F/notes.txt to F/notes-Copy.txt\n exit 0\n"},
        {"export F/plain.txt --format txt --output -", "\n\n# not a heading\n\tand  tab exit 0\n"},
        {"export F/notes.md --format txt --output -", "line one\nline two\n exit 0\n"},
        {"export F/heading.md --format txt --output -", "Amber lantern\nCopper kettle\n exit 0\n"},
        // An empty file is an empty document.
        {"export F/empty.rtf --format txt --output -", " exit 0\n"},
        {"export F/empty.md --format txt --output -", " exit 0\n"},
        // Files that are not there, or not to be read, or not named.
        {"open F/missing.rtf", "folio: cannot read F/missing.rtf: no such file\n exit 1\n"},
        {"export F/missing.rtf --format txt", "folio: cannot read F/missing.rtf: no such file\n exit 1\n"},
        {"open ''", "folio: the file name is empty: name the document\n exit 2\n"},
        {"export '' --format txt", "folio: the file name is empty: name the document\n exit 2\n"},
        {"open F/locked.rtf", "folio: cannot read F/locked.rtf: permission denied\n exit 1\n", As::Other},
        {"export F/locked.rtf --format txt", "folio: cannot read F/locked.rtf: permission denied\n exit 1\n", As::Other},
        // An output that cannot be written is named as it was asked for.
        {"export F/notes.md --format pdf --output F/read-only/notes.pdf",
         "folio: cannot write F/read-only/notes.pdf: its folder is read-only\n exit 1\n"},
        {"export F/notes.md --format txt --output F/nowhere/notes.txt",
         "folio: cannot write F/nowhere/notes.txt: its folder does not exist\n exit 1\n"},
    };
    for (const Case& each : cases) {
        // Another user: root may read any file.
        std::string as = each.as == As::Other && geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
        std::string command = "cd '" + f + "' && DISPLAY= FOLIO_HOME='" + f + "/home' " + as + "'" FOLIO_BINARY_DIR
                              "/folio' " + replaced(each.arguments, "F/", f + "/") + " 2>&1; echo \" exit $?\"";
        EXPECT_EQ(commandOutput(command), replaced(each.answer, "F/", f + "/")) << each.arguments;
    }
    EXPECT_EQ(readFile(f + "/notes-Copy.txt"), "line one\nline two\n");
    EXPECT_TRUE(std::filesystem::is_empty(f + "/read-only"));
    EXPECT_FALSE(std::filesystem::exists(f + "/nowhere"));
    chmod((f + "/read-only").c_str(), 0755);
}

// A conversion of text loads only what it uses: the libraries of links,
// the trash and folder watching (gio, gobject and what they bring) and the
// web engine and windows cost every start of the program, which is most of
// what a small conversion takes.
TEST(FolioCommand, aTextConversionLoadsNeitherGioNorTheWindowLibraries)
{
    ScratchFolder folder("folio-command-libraries");
    const std::string f = folder.path("notes.md");
    writeFile(f, "# Amber lantern\n\nCopper *kettle*\n");
    const std::string loaded = commandOutput("DISPLAY= FOLIO_HOME='" + folder.path("home") + "' LD_DEBUG=files '" FOLIO_BINARY_DIR
                                             "/folio' export '" + f + "' --format html --output '" + f + ".html' 2>&1");
    ASSERT_NE(loaded.find("file=liblowdown"), std::string::npos) << loaded;
    for (const char* library : {"file=libgio-2.0", "file=libgobject-2.0", "file=libgtk-3", "file=libwebkit2gtk"})
        EXPECT_EQ(loaded.find(library), std::string::npos) << library;
    EXPECT_NE(readFile(f + ".html").find("<em>kettle</em>"), std::string::npos);
}

} // namespace
} // namespace folio
