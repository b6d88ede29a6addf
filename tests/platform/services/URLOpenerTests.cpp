#include "platform/services/URLOpener.h"
#include "platform/foundation/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace folio {
namespace {

// The desktop's programs are found through the XDG folders: a private set
// holds one program for one scheme, so the answer does not depend on what
// the machine running the test has installed.
TEST(URLOpener, canOpenOnlyWhatADesktopProgramIsRegisteredFor)
{
    test::ScratchFolder folder;
    std::filesystem::create_directories(folder.file("data/applications"));
    std::filesystem::create_directories(folder.file("config"));
    std::ofstream(folder.file("data/applications/folio-test-reader.desktop"))
        << "[Desktop Entry]\nType=Application\nName=Reader\nExec=true %u\nMimeType=x-scheme-handler/folio-research;\n";
    std::ofstream(folder.file("config/mimeapps.list"))
        << "[Default Applications]\nx-scheme-handler/folio-research=folio-test-reader.desktop\n";
    setenv("XDG_DATA_HOME", folder.file("data").c_str(), 1);
    setenv("XDG_DATA_DIRS", folder.file("none").c_str(), 1);
    setenv("XDG_CONFIG_HOME", folder.file("config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", folder.file("none").c_str(), 1);

    EXPECT_TRUE(URLOpener::canOpenURL("folio-research://page"));
    EXPECT_FALSE(URLOpener::canOpenURL("https://en.wikipedia.org/")) << "no browser is registered here";
    EXPECT_FALSE(URLOpener::canOpenURL("not an address"));
    EXPECT_FALSE(URLOpener::canOpenURL(""));
}

} // namespace
} // namespace folio
