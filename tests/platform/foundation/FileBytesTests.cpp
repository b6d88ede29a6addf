#include "platform/foundation/FileBytes.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/OneShotHeap.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

namespace folio {
namespace {

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string textOf(const FileBytes& bytes)
{
    return std::string(reinterpret_cast<const char*>(bytes.span().data()), bytes.span().size());
}

// The cases every process reads alike: the bytes as the file holds them, an
// empty file as no bytes, and a missing file or a folder as an error.
struct FileBytesCase {
    const char* name;
    std::string contents;
    bool exists = true;
    bool folder = false;
};

// Checks the cases; `mapsRegularFiles` is whether a non-empty regular file
// is expected mapped. Answers 0 when all hold, else the failed case's number.
int checkCases(const test::ScratchFolder& scratch, bool mapsRegularFiles)
{
    std::string large(3 << 20, '\0');
    for (std::size_t index = 0; index < large.size(); ++index)
        large[index] = static_cast<char>(index * 7 + index / 4096);
    const std::vector<FileBytesCase> cases = {
        {"small", "{\\rtf1 hello}"},
        {"large", large},
        {"empty", ""},
        {"missing", "", false},
        {"folder", "", false, true},
    };
    int number = 0;
    for (const FileBytesCase& each : cases) {
        ++number;
        const std::string path = scratch.file(each.name);
        if (each.exists)
            writeFile(path, each.contents);
        if (each.folder)
            FileManager::createDirectory(path);
        Result<FileBytes> bytes = FileBytes::ofFile(path);
        if (!each.exists) {
            if (bytes)
                return number;
            continue;
        }
        if (!bytes || textOf(*bytes) != each.contents)
            return number;
        if (bytes->isMapped() != (mapsRegularFiles && !each.contents.empty()))
            return number;
        // Moved, the bytes stay readable where they went.
        FileBytes moved = std::move(*bytes);
        if (textOf(moved) != each.contents)
            return number;
    }
    return 0;
}

TEST(FileBytesTest, aWindowsProcessReadsTheFileIntoMemory)
{
    test::ScratchFolder scratch;
    ASSERT_FALSE(heapIsForOneShotTask());
    EXPECT_EQ(checkCases(scratch, false), 0);
}

TEST(FileBytesTest, aOneShotTaskMapsARegularFileAndReadsTheSameBytes)
{
    test::ScratchFolder scratch;
    const pid_t child = fork();
    if (child == 0) {
        reserveHeapForOneShotTask(4 << 20);
        _exit(checkCases(scratch, true));
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the case that failed, counted from 1";
}

} // namespace
} // namespace folio
