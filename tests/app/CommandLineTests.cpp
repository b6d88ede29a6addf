#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace folio {
namespace {

class CommandLineTest : public testing::Test {
protected:
    std::ostringstream out;
    std::ostringstream err;
    CommandLine commandLine{out, err};
};

TEST_F(CommandLineTest, HelpListsEveryCommandAndMarksThoseNotBuilt)
{
    commandLine.registerCommand("new", [](const std::vector<std::string>&) { return 0; });
    EXPECT_EQ(commandLine.run({"--help"}), CommandLine::kSuccess);
    const std::string help = out.str();
    for (const char* usage : {"folio new KIND PATH", "folio export FILE --format FMT", "folio preview FILE",
                              "folio copy FILE --as text|html", "folio open FILE", "folio --help | --version"})
        EXPECT_NE(help.find(usage), std::string::npos) << usage;
    const std::size_t newLine = help.find("folio new");
    const std::size_t exportLine = help.find("folio export");
    EXPECT_EQ(help.substr(newLine, exportLine - newLine).find("not available"), std::string::npos);
    EXPECT_NE(help.substr(exportLine).find("not available"), std::string::npos);
    EXPECT_NE(help.find("document browser (not available"), std::string::npos);
}

TEST_F(CommandLineTest, RegisteredCommandsGetTheirArgumentsAndTheirStatusIsTheExitStatus)
{
    std::vector<std::string> received;
    commandLine.registerCommand("copy", [&](const std::vector<std::string>& arguments) {
        received = arguments;
        return 1;
    });
    EXPECT_EQ(commandLine.run({"copy", "a.md", "--as", "text"}), 1);
    EXPECT_EQ(received, (std::vector<std::string>{"a.md", "--as", "text"}));
}

TEST_F(CommandLineTest, UnknownAndUnbuiltCommandsAreTold)
{
    EXPECT_EQ(commandLine.run({"frobnicate"}), CommandLine::kUsageError);
    EXPECT_NE(err.str().find("unknown command 'frobnicate'"), std::string::npos);
    EXPECT_EQ(commandLine.run({"open", "x.rtf"}), CommandLine::kFailure);
    EXPECT_NE(err.str().find("'open' is not available"), std::string::npos);
    EXPECT_EQ(commandLine.run({}), CommandLine::kFailure);
    EXPECT_EQ(commandLine.run({"--version"}), CommandLine::kSuccess);
    EXPECT_EQ(out.str().rfind("folio ", 0), 0u);
}

} // namespace
} // namespace folio
