#include "export/pdf/HTMLToPDFTestSupport.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>
#include <vector>

namespace folio {
namespace {

using namespace testing_support;

// The export command run as a user runs it, with outputs that are not plain
// files to replace.
class ExportCommandOutput : public testing::Test {
protected:
    void SetUp() override
    {
        writeFile(document(), "# Amber lantern\n\nCopper kettle\n");
        std::string file = m_folder.path("as-file.txt");
        ASSERT_EQ(folio("export '" + document() + "' --format txt --output '" + file + "'"), " exit 0\n");
        m_text = readFile(file);
        ASSERT_NE(m_text.find("Amber lantern\nCopper kettle"), std::string::npos) << m_text;
    }

    std::string document() const { return m_folder.path("doc.md"); }

    // Standard output and standard error of the command, then " exit N".
    std::string folio(const std::string& arguments) const
    {
        return commandOutput("FOLIO_HOME='" + m_folder.path("home") + "' '" FOLIO_BINARY_DIR "/folio' " + arguments
                             + " 2>&1; echo \" exit $?\"");
    }

    ScratchFolder m_folder{"export-command-output"};
    // What the export writes into a file.
    std::string m_text;
};

TEST_F(ExportCommandOutput, aDashOrStandardOutputReceivesTheTextAndStaysWhatItWas)
{
    EXPECT_EQ(folio("export '" + document() + "' --format txt --output -"), m_text + " exit 0\n");
    std::string redirected = m_folder.path("redirected.txt");
    EXPECT_EQ(folio("export '" + document() + "' --format txt --output /dev/stdout > '" + redirected + "'"), " exit 0\n");
    EXPECT_EQ(readFile(redirected), m_text);
    EXPECT_TRUE(std::filesystem::is_symlink("/dev/stdout"));
}

TEST_F(ExportCommandOutput, aPipeReceivesTheTextAndStaysAPipe)
{
    std::string pipe = m_folder.path("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readFile(pipe); });
    EXPECT_EQ(folio("export '" + document() + "' --format txt --output '" + pipe + "'"), " exit 0\n");
    reader.join();
    EXPECT_EQ(received, m_text);
    struct stat status {};
    ASSERT_EQ(lstat(pipe.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

TEST_F(ExportCommandOutput, readOnlyFilesAndFoldersAreRefusedAndLeftAsTheyWere)
{
    std::string readOnly = m_folder.path("kept.txt");
    writeFile(readOnly, "keep me");
    chmod(readOnly.c_str(), 0444);
    std::string answer = folio("export '" + document() + "' --format txt --output '" + readOnly + "'");
    EXPECT_NE(answer.find("it is read-only"), std::string::npos) << answer;
    EXPECT_NE(answer.find(" exit 1"), std::string::npos) << answer;
    EXPECT_EQ(readFile(readOnly), "keep me");
    answer = folio("export '" + document() + "' --format epub --output '" + m_folder.path("") + "'");
    EXPECT_NE(answer.find("it is a folder"), std::string::npos) << answer;
    EXPECT_TRUE(std::filesystem::is_directory(m_folder.path("")));
}

TEST_F(ExportCommandOutput, aDoubleDashEndsTheOptionsSoAFileMayStartWithADash)
{
    writeFile(m_folder.path("-dash.md"), "Dashed\n");
    std::string output = m_folder.path("dash.txt");
    EXPECT_EQ(commandOutput("cd '" + m_folder.path("") + "' && FOLIO_HOME='" + m_folder.path("home") + "' '"
                            FOLIO_BINARY_DIR "/folio' export --format txt --output '" + output
                            + "' -- -dash.md 2>&1; echo \" exit $?\""),
              " exit 0\n");
    EXPECT_NE(readFile(output).find("Dashed"), std::string::npos);
}

TEST_F(ExportCommandOutput, packagesGiveTheirEntriesOrdinaryPermissions)
{
    for (const char* format : {"epub", "rtfd"}) {
        std::string package = m_folder.path(std::string("doc.") + format);
        ASSERT_EQ(folio("export '" + document() + "' --format " + format + " --output '" + package + "'"), " exit 0\n");
        std::string listing = commandOutput("zipinfo '" + package + "'");
        EXPECT_NE(listing.find("-rw-r--r--"), std::string::npos) << listing;
        EXPECT_EQ(listing.find("rwxrwxrwx"), std::string::npos) << listing;
        EXPECT_EQ(listing.find("rw-rw-rw-"), std::string::npos) << listing;
    }
}

// What a crashed export left in the temporary folder goes at the next start;
// a running export's folder and the user's own files stay.
TEST_F(ExportCommandOutput, theNextStartRemovesStagingFoldersOfEndedProcesses)
{
    pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    ASSERT_GT(ended, 0);
    waitpid(ended, nullptr, 0);
    std::string temporary = m_folder.path("home/tmp");
    std::string abandoned = temporary + "/epub-" + std::to_string(ended) + "-Ab12Cd";
    std::string running = temporary + "/epub-" + std::to_string(getpid()) + "-Ef34Gh";
    std::string pid = std::to_string(ended);
    std::vector<std::string> unrelated = {"notes-" + pid, "Epub-" + pid + "-Ab12Cd", "-" + pid + "-Ab12Cd",
                                          "epub-" + pid + "x-Ab12Cd", "epub--Ab12Cd", "epub-" + pid + "-Ab12C",
                                          "epub-" + pid + "-Ab12Cd7", "epub-" + pid + "-Ab_2Cd", "ep-ub-" + pid + "-Ab12Cd"};
    for (std::string& name : unrelated)
        name = temporary + "/" + name;
    std::vector<std::string> folders = unrelated;
    folders.push_back(abandoned);
    folders.push_back(running);
    for (const std::string& folder : folders) {
        std::filesystem::create_directories(folder + "/OPS");
        writeFile(folder + "/OPS/chapter.xhtml", "x");
    }
    EXPECT_NE(folio("--version").find(" exit 0"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(abandoned));
    EXPECT_TRUE(std::filesystem::exists(running + "/OPS/chapter.xhtml"));
    for (const std::string& folder : unrelated)
        EXPECT_TRUE(std::filesystem::exists(folder + "/OPS/chapter.xhtml")) << folder;
}

// A command that reads pictures out of a closed document files them in a
// folder of its own and takes it away: nothing stays in the program's
// folders, and same-named documents exported at once never share one.
TEST_F(ExportCommandOutput, picturesOfAClosedDocumentLeaveNothingBehind)
{
    const char* png = "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
                      "1f15c4890000000d4944415478da6364f8cf500f0003860180"
                      "5a347d6b0000000049454e44ae426082";
    std::string rtf = std::string("{\\rtf1\\ansi Before {\\pict\\pngblip\\picw1\\pich1 ") + png + "} After\\par}";
    writeFile(m_folder.path("Pictured.rtf"), rtf);
    for (const char* format : {"html", "rtfd", "epub"}) {
        std::string output = m_folder.path(std::string("pictured.") + format);
        EXPECT_EQ(folio("export '" + m_folder.path("Pictured.rtf") + "' --format " + format + " --output '" + output + "'"),
                  " exit 0\n")
            << format;
    }
    // The HTML file names its picture beside it, so the two show it wherever
    // they go together; HTML on standard output carries it inside.
    std::string html = readFile(m_folder.path("pictured.html"));
    EXPECT_NE(html.find("src=\"pictured_files/image-"), std::string::npos) << html;
    EXPECT_EQ(html.find(m_folder.path("home")), std::string::npos) << html;
    std::string streamed = folio("export '" + m_folder.path("Pictured.rtf") + "' --format html --output -");
    EXPECT_NE(streamed.find("src=\"data:image/png;base64,"), std::string::npos) << streamed;
    EXPECT_EQ(streamed.find(m_folder.path("home")), std::string::npos) << streamed;
    // Copied HTML travels alone too, and a preview reads no folder it made.
    std::string copied = folio("copy '" + m_folder.path("Pictured.rtf") + "' --as html");
    EXPECT_NE(copied.find("src=\"data:image/png;base64,"), std::string::npos) << copied;
    EXPECT_EQ(copied.find(m_folder.path("home")), std::string::npos) << copied;
    std::error_code ignored;
    std::size_t left = 0;
    for (const char* folder : {"home/DocumentData", "home/tmp"})
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_folder.path(folder), ignored)) {
            ADD_FAILURE() << "left behind: " << entry.path();
            ++left;
        }
    EXPECT_EQ(left, 0u);
}

TEST_F(ExportCommandOutput, damagedRTFConvertsWithWarningsAndBinaryDataIsRefused)
{
    // What could be read is converted, and the user hears what was wrong.
    std::string open = m_folder.path("open.rtf");
    writeFile(open, "{\\rtf1\\ansi Hello {\\b bold");
    std::string answer = folio("export '" + open + "' --format txt --output -");
    EXPECT_NE(answer.find("Hello bold"), std::string::npos) << answer;
    EXPECT_NE(answer.find("folio: warning: " + open + ": The text ends with 2 group(s) still open."), std::string::npos)
        << answer;
    EXPECT_NE(answer.find(" exit 0"), std::string::npos) << answer;

    // A picture renamed ".rtf" is no document: nothing is written.
    std::string picture = m_folder.path("photo.rtf");
    writeFile(picture, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01", 20));
    std::string output = m_folder.path("photo.html");
    answer = folio("export '" + picture + "' --format html --output '" + output + "'");
    EXPECT_NE(answer.find("is not an RTF document: it holds binary data"), std::string::npos) << answer;
    EXPECT_EQ(answer.find(" exit 0"), std::string::npos) << answer;
    EXPECT_FALSE(std::filesystem::exists(output));
    // Plain text under an ".rtf" name still reads as the text it is.
    std::string plain = m_folder.path("notes.rtf");
    writeFile(plain, "Just words\n");
    EXPECT_EQ(folio("export '" + plain + "' --format txt --output -"), "Just words\n exit 0\n");
}

} // namespace
} // namespace folio
