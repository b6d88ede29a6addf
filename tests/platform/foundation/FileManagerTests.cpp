#include "platform/foundation/FileManager.h"

#include "platform/foundation/Data.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <span>
#include <unistd.h>
#include <sys/resource.h>
#include <sys/wait.h>

namespace folio {
namespace {

std::string contentsOf(const std::string& path)
{
    auto data = Data::dataWithContentsOfFile(path);
    return data ? data->toString() : "(unreadable)";
}

class FileManagerTest : public testing::Test {
protected:
    test::ScratchFolder m_folder;
};

TEST_F(FileManagerTest, AtomicWriteReplacesAndKeepsPermissions)
{
    std::string path = m_folder.file("doc.txt");
    ASSERT_TRUE(FileManager::writeAtomically(path, std::string_view("first")));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(FileManager::writeAtomically(path, std::string_view("second")));
    EXPECT_EQ(contentsOf(path), "second");
    EXPECT_EQ(FileManager::attributesOfItem(path)->permissions, 0640u);
    EXPECT_EQ(FileManager::contentsOfDirectory(m_folder.path()).value(), std::vector<std::string>{"doc.txt"});
}

// A file name may take 255 bytes; the temporary beside it stays within
// that, and still tells which kind of file it is for.
TEST_F(FileManagerTest, AtomicWriteReplacesFilesWithTheLongestNames)
{
    namespace fs = std::filesystem;
    const std::string accented = "\xC3\xA9"; // two bytes
    for (std::size_t length : {246u, 247u, 248u, 251u, 255u}) {
        for (const std::string& letter : {std::string("a"), accented}) {
            std::string stem;
            while (stem.size() + letter.size() + 4 <= length)
                stem += letter;
            stem.append(length - stem.size() - 4, 'b');
            const std::string name = stem + ".rtf";
            ASSERT_EQ(name.size(), length);
            SCOPED_TRACE(name);
            const std::string path = m_folder.file(name);
            ASSERT_TRUE(FileManager::writeAtomically(path, std::string_view("first")));
            Status second = FileManager::writeAtomically(path, std::string_view("second"));
            ASSERT_TRUE(second) << second.error().message;
            EXPECT_EQ(contentsOf(path), "second");

            Result<TemporaryFile> temporary = FileManager::makeTemporaryBeside(path);
            ASSERT_TRUE(temporary) << temporary.error().message;
            ::close(temporary->descriptor);
            const std::string temporaryName = fs::path(temporary->path).filename().string();
            EXPECT_LE(temporaryName.size(), 255u);
            std::optional<std::string> target = FileManager::atomicWriteTargetName(temporaryName);
            ASSERT_TRUE(target);
            EXPECT_EQ(*target, FileManager::temporaryTargetName(name));
            EXPECT_EQ(fs::path(*target).extension(), ".rtf");
            EXPECT_EQ(target->size() == name.size(), length <= 247);
            // Cut between characters, never inside one.
            std::string kept = fs::path(*target).stem().string();
            kept.erase(kept.find_last_not_of('b') + 1);
            EXPECT_EQ(kept.size() % letter.size(), 0u) << kept;
            ASSERT_EQ(::unlink(temporary->path.c_str()), 0);
            ASSERT_EQ(::unlink(path.c_str()), 0);
        }
    }
    EXPECT_TRUE(FileManager::contentsOfDirectory(m_folder.path())->empty());
}

TEST_F(FileManagerTest, AtomicWriteIntoMissingFolderFails)
{
    Status status = FileManager::writeAtomically(m_folder.file("missing/doc.txt"), std::string_view("x"));
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().domain, FileManager::kErrorDomain);
    EXPECT_EQ(status.error().code, FileManager::NoSuchFile);
    EXPECT_FALSE(FileManager::fileExists(m_folder.file("missing")));
}

TEST_F(FileManagerTest, FailedWriteLeavesTheOldFileAndNoTemporary)
{
    std::string path = m_folder.file("essay.rtf");
    ASSERT_TRUE(FileManager::writeAtomically(path, std::string_view("good old contents")));
    // Limit file sizes so that the new contents cannot be written in full,
    // as on a full disk; the old file must survive untouched.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    Status status = FileManager::writeAtomically(path, std::string(64 * 1024, 'n'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(status);
    EXPECT_EQ(contentsOf(path), "good old contents");
    EXPECT_EQ(FileManager::contentsOfDirectory(m_folder.path()).value(), std::vector<std::string>{"essay.rtf"});
}

TEST_F(FileManagerTest, AFileNobodyMayWriteIsNeverReplaced)
{
    std::string path = m_folder.file("Kept.md");
    ASSERT_TRUE(FileManager::writeAtomically(path, std::string_view("kept as it is")));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(FileManager::isWritableFile(path));
    Status status = FileManager::writeAtomically(path, std::string_view("replaced"));
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().code, FileManager::ReadOnly);
    EXPECT_NE(status.error().message.find("read-only"), std::string::npos) << status.error().message;
    EXPECT_EQ(contentsOf(path), "kept as it is");
    EXPECT_EQ(FileManager::attributesOfItem(path)->permissions, 0444u);
    EXPECT_EQ(FileManager::contentsOfDirectory(m_folder.path()).value(), std::vector<std::string>{"Kept.md"});

    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    EXPECT_TRUE(FileManager::isWritableFile(path));
    EXPECT_TRUE(FileManager::writeAtomically(path, std::string_view("replaced")));
    EXPECT_EQ(contentsOf(path), "replaced");
}

TEST_F(FileManagerTest, OnlyOldTemporariesOfSavesCutShortAreSwept)
{
    namespace fs = std::filesystem;
    std::string path = m_folder.file("Letter.rtf");
    ASSERT_TRUE(FileManager::writeAtomically(path, std::string_view("the saved letter")));
    // A save killed part way through its write: the file-size signal ends
    // the child as a kill would.
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        struct rlimit limited {4096, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &limited);
        std::signal(SIGXFSZ, SIG_DFL);
        (void)FileManager::writeAtomically(path, std::string(1 << 20, 'x'));
        ::_exit(0);
    }
    int waitStatus = 0;
    ASSERT_EQ(::waitpid(child, &waitStatus, 0), child);
    ASSERT_TRUE(WIFSIGNALED(waitStatus)) << "the save was not cut short";
    std::vector<std::string> names = FileManager::contentsOfDirectory(m_folder.path()).value();
    ASSERT_EQ(names.size(), 2u);
    const std::string leftover = m_folder.file(names.front());
    EXPECT_EQ(FileManager::atomicWriteTargetName(names.front()), "Letter.rtf");

    // The user's own hidden files, and names that are almost a temporary's.
    const auto anHourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const char* name : {".Letter.rtf", ".Letter.rtf.bak", ".Letter.rtf.Ab12C", ".Letter.rtf.Ab12Cde",
                             "Letter.rtf.Ab12Cd", ".Other.md.Ab12Cd", "..Ab12Cd", ".Letter.rtf-Ab12Cd"}) {
        ASSERT_TRUE(FileManager::writeAtomically(m_folder.file(name), std::string_view("mine")));
        fs::last_write_time(m_folder.file(name), anHourAgo);
    }
    ASSERT_TRUE(FileManager::createDirectory(m_folder.file(".Letter.rtf.Qw12Er")));
    fs::last_write_time(m_folder.file(".Letter.rtf.Qw12Er"), anHourAgo);
    fs::create_symlink(path, m_folder.file(".Letter.rtf.Zx98Cv"));
    auto isLetter = [](const std::string& target) { return target == "Letter.rtf"; };

    // Just written: it may be a save that is still running.
    EXPECT_TRUE(FileManager::removeAtomicWriteLeftovers(m_folder.path(), isLetter).empty());
    fs::last_write_time(leftover, anHourAgo);
    EXPECT_EQ(FileManager::removeAtomicWriteLeftovers(m_folder.path(), isLetter), std::vector<std::string>{leftover});
    EXPECT_FALSE(FileManager::fileExists(leftover));
    EXPECT_EQ(FileManager::contentsOfDirectory(m_folder.path())->size(), names.size() - 1 + 10);
    EXPECT_EQ(contentsOf(path), "the saved letter");
    EXPECT_EQ(contentsOf(m_folder.file(".Other.md.Ab12Cd")), "mine") << "not a file the caller named";
}

TEST_F(FileManagerTest, ContentsLongerThanOneWriteArriveWhole)
{
    // Long enough to take several writes, and not a whole number of them.
    std::string contents(5 * 1024 * 1024 / 2 + 3, '\0');
    for (std::size_t index = 0; index < contents.size(); ++index)
        contents[index] = static_cast<char>(index * 7 % 251);
    std::string path = m_folder.file("long.html");
    ASSERT_TRUE(FileManager::writeAtomically(path, contents));
    EXPECT_TRUE(contentsOf(path) == contents);

    int descriptor = ::open(m_folder.file("copy.html").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(descriptor, 0);
    EXPECT_TRUE(FileManager::writeAll(descriptor, std::span(reinterpret_cast<const std::uint8_t*>(contents.data()),
                                                            contents.size())));
    ::close(descriptor);
    EXPECT_TRUE(contentsOf(m_folder.file("copy.html")) == contents);
}

TEST_F(FileManagerTest, WriteToADescriptorNobodyReadsFails)
{
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]);
    auto previousHandler = std::signal(SIGPIPE, SIG_IGN);
    const std::uint8_t bytes[] = {'x', 'y'};
    bool written = FileManager::writeAll(pipeEnds[1], bytes);
    int error = errno;
    std::signal(SIGPIPE, previousHandler);
    ::close(pipeEnds[1]);
    EXPECT_FALSE(written);
    EXPECT_EQ(error, EPIPE);
}

TEST_F(FileManagerTest, WriteOverAFolderFailsAndKeepsTheFolder)
{
    std::string folder = m_folder.file("Essay.rtfd");
    ASSERT_TRUE(FileManager::createDirectory(folder));
    ASSERT_TRUE(FileManager::writeAtomically(folder + "/TXT.rtf", std::string_view("{\\rtf1}")));
    EXPECT_FALSE(FileManager::writeAtomically(folder, std::string_view("flat")));
    EXPECT_EQ(contentsOf(folder + "/TXT.rtf"), "{\\rtf1}");
    EXPECT_EQ(FileManager::contentsOfDirectory(m_folder.path()).value(), std::vector<std::string>{"Essay.rtfd"});
}

TEST_F(FileManagerTest, CreatesIntermediateFolders)
{
    std::string deep = m_folder.file("a/b/c");
    ASSERT_TRUE(FileManager::createDirectory(deep));
    EXPECT_TRUE(FileManager::isDirectory(deep));
    EXPECT_TRUE(FileManager::createDirectory(deep));
    ASSERT_TRUE(FileManager::writeAtomically(m_folder.file("plain"), std::string_view("x")));
    Status overFile = FileManager::createDirectory(m_folder.file("plain"));
    ASSERT_FALSE(overFile);
    EXPECT_FALSE(FileManager::createDirectory(m_folder.file("plain/sub")));
}

TEST_F(FileManagerTest, MoveAndCopyRefuseToReplace)
{
    std::string a = m_folder.file("a.txt"), b = m_folder.file("b.txt");
    ASSERT_TRUE(FileManager::writeAtomically(a, std::string_view("A")));
    ASSERT_TRUE(FileManager::writeAtomically(b, std::string_view("B")));
    Status moved = FileManager::moveItem(a, b);
    ASSERT_FALSE(moved);
    EXPECT_EQ(moved.error().code, FileManager::FileExists);
    EXPECT_EQ(contentsOf(b), "B");
    EXPECT_FALSE(FileManager::copyItem(a, b));
    EXPECT_EQ(contentsOf(b), "B");

    ASSERT_TRUE(FileManager::moveItem(a, m_folder.file("c.txt")));
    EXPECT_FALSE(FileManager::fileExists(a));
    EXPECT_EQ(contentsOf(m_folder.file("c.txt")), "A");
    EXPECT_EQ(FileManager::moveItem(a, m_folder.file("d.txt")).error().code, FileManager::NoSuchFile);
}

TEST_F(FileManagerTest, CopiesAndRemovesWholeTrees)
{
    ASSERT_TRUE(FileManager::createDirectory(m_folder.file("src/pics")));
    ASSERT_TRUE(FileManager::writeAtomically(m_folder.file("src/TXT.rtf"), std::string_view("text")));
    ASSERT_TRUE(FileManager::writeAtomically(m_folder.file("src/pics/1.png"), std::string_view("png")));
    ASSERT_TRUE(FileManager::copyItem(m_folder.file("src"), m_folder.file("dst")));
    EXPECT_EQ(contentsOf(m_folder.file("dst/pics/1.png")), "png");
    ASSERT_TRUE(FileManager::removeItem(m_folder.file("src")));
    EXPECT_FALSE(FileManager::fileExists(m_folder.file("src")));
    EXPECT_FALSE(FileManager::removeItem(m_folder.file("src")));
}

TEST_F(FileManagerTest, EnumeratesDeepWithSizesAndDates)
{
    ASSERT_TRUE(FileManager::createDirectory(m_folder.file("b/inner")));
    ASSERT_TRUE(FileManager::writeAtomically(m_folder.file("b/inner/z.txt"), std::string_view("12345")));
    ASSERT_TRUE(FileManager::writeAtomically(m_folder.file("b-side.txt"), std::string_view("1")));
    ASSERT_TRUE(FileManager::writeAtomically(m_folder.file("a.txt"), std::string_view("12")));
    auto entries = FileManager::enumerateDirectory(m_folder.path());
    ASSERT_TRUE(entries);
    std::vector<std::string> paths;
    for (const auto& entry : entries.value())
        paths.push_back(entry.relativePath);
    EXPECT_EQ(paths, (std::vector<std::string>{"a.txt", "b", "b/inner", "b/inner/z.txt", "b-side.txt"}));
    EXPECT_EQ(entries->at(3).attributes.size, 5u);
    EXPECT_TRUE(entries->at(1).attributes.isDirectory);
    auto age = std::chrono::system_clock::now() - entries->at(3).attributes.modificationDate;
    EXPECT_LT(std::chrono::abs(age), std::chrono::hours(1));

    EXPECT_FALSE(FileManager::enumerateDirectory(m_folder.file("none")));
    EXPECT_FALSE(FileManager::contentsOfDirectory(m_folder.file("a.txt")));
}

TEST_F(FileManagerTest, DataReadsFailClearly)
{
    auto missing = Data::dataWithContentsOfFile(m_folder.file("none"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, FileManager::NoSuchFile);
    EXPECT_FALSE(Data::dataWithContentsOfFile(m_folder.path()));
    std::string binary("\0\x01\xff", 3);
    ASSERT_TRUE(Data::fromString(binary).writeToFile(m_folder.file("bin")));
    EXPECT_EQ(contentsOf(m_folder.file("bin")), binary);
}

} // namespace
} // namespace folio
