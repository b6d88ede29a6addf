#include "platform/foundation/FileManager.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace folio {

namespace fs = std::filesystem;

namespace {

Error makeError(int code, const std::string& action, const std::string& path, const std::string& reason)
{
    return Error{FileManager::kErrorDomain, code, action + " " + path + ": " + reason};
}

Error errnoError(int code, const std::string& action, const std::string& path, int error)
{
    return makeError(code, action, path, std::strerror(error));
}

Error fsError(int code, const std::string& action, const std::string& path, const std::error_code& error)
{
    if (error == std::errc::no_such_file_or_directory)
        code = FileManager::NoSuchFile;
    return makeError(code, action, path, error.message());
}

// A write of 2 MB or more may be given the file cache's 2 MB pages, and on
// some machines filling one costs many times what filling smaller pages does
// (a 4 MB export's write measured at 5.3 ms against 0.75 ms); writes of this
// size are never given them.
constexpr std::size_t kLargestWrite = std::size_t(1) << 20;

FileAttributes attributesFromStat(const struct stat& info)
{
    FileAttributes attributes;
    attributes.isDirectory = S_ISDIR(info.st_mode);
    attributes.isSymbolicLink = S_ISLNK(info.st_mode);
    attributes.size = static_cast<std::uintmax_t>(info.st_size);
    attributes.permissions = info.st_mode & 07777;
    auto since = std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec);
    attributes.modificationDate = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(since));
    return attributes;
}

bool itemExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The letters mkstemp puts in place of "XXXXXX".
bool isTemporaryNameLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

constexpr std::size_t kTemporarySuffixLength = 6;
// The longest name a file may have on the file systems Linux uses.
constexpr std::size_t kLongestName = 255;
// ".NAME.Ab12Cd" stays within it.
constexpr std::size_t kLongestTemporaryTarget = kLongestName - kTemporarySuffixLength - 2;

} // namespace

bool FileManager::fileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool FileManager::fileExists(const std::string& path, bool& isDirectory)
{
    struct stat info {};
    bool exists = ::stat(path.c_str(), &info) == 0;
    isDirectory = exists && S_ISDIR(info.st_mode);
    return exists;
}

bool FileManager::isSamePath(const std::string& first, const std::string& second)
{
    std::error_code error;
    std::filesystem::path a = std::filesystem::weakly_canonical(first, error);
    if (error)
        return first == second;
    std::filesystem::path b = std::filesystem::weakly_canonical(second, error);
    if (error)
        return first == second;
    return a == b;
}

bool FileManager::isDirectory(const std::string& path)
{
    bool directory = false;
    return fileExists(path, directory) && directory;
}

Status FileManager::createDirectory(const std::string& path)
{
    std::error_code error;
    fs::create_directories(path, error);
    if (error)
        return fsError(WriteFailed, "Cannot create folder", path, error);
    if (!isDirectory(path))
        return makeError(NotADirectory, "Cannot create folder", path, "a file of that name exists");
    return Status::success();
}

bool FileManager::writeAll(int fd, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), std::min(bytes.size(), kLargestWrite));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

bool FileManager::isWritableFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    return (info.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

bool FileManager::isWritableFolder(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    return (info.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::string> FileManager::atomicWriteTargetName(std::string_view name)
{
    // "." + target + "." + six letters, the target itself not empty.
    if (name.size() < 3 + kTemporarySuffixLength || name.front() != '.')
        return std::nullopt;
    std::string_view suffix = name.substr(name.size() - kTemporarySuffixLength);
    if (!std::all_of(suffix.begin(), suffix.end(), isTemporaryNameLetter))
        return std::nullopt;
    if (name[name.size() - kTemporarySuffixLength - 1] != '.')
        return std::nullopt;
    std::string_view target = name.substr(1, name.size() - kTemporarySuffixLength - 2);
    if (target.empty() || target.find('/') != std::string_view::npos)
        return std::nullopt;
    return std::string(target);
}

std::vector<std::string> FileManager::removeAtomicWriteLeftovers(const std::string& folder,
                                                                 const std::function<bool(const std::string&)>& isTarget,
                                                                 std::chrono::seconds minimumAge)
{
    std::vector<std::string> removed;
    Result<std::vector<std::string>> names = contentsOfDirectory(folder);
    if (!names)
        return removed;
    const auto now = std::chrono::system_clock::now();
    for (const std::string& name : *names) {
        std::optional<std::string> target = atomicWriteTargetName(name);
        if (!target || !isTarget(*target))
            continue;
        std::string path = (fs::path(folder) / name).string();
        struct stat info {};
        // Never a link or a folder: writeAtomically makes neither.
        if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (now - attributesFromStat(info).modificationDate < minimumAge)
            continue;
        if (::unlink(path.c_str()) == 0)
            removed.push_back(std::move(path));
    }
    return removed;
}

Status FileManager::writeAtomically(const std::string& requestedPath, std::span<const std::uint8_t> bytes)
{
    if (requestedPath.empty() || requestedPath.back() == '/')
        return makeError(WriteFailed, "Cannot write", requestedPath, "not a file path");
    // A link stays a link: the file it names is the one replaced.
    std::error_code linkError;
    std::string path = requestedPath;
    if (fs::is_symlink(fs::symlink_status(requestedPath, linkError))) {
        path = fs::weakly_canonical(requestedPath, linkError).string();
        if (linkError)
            return makeError(WriteFailed, "Cannot write", requestedPath, linkError.message());
    }
    // Renaming over a device, a pipe or a folder would replace it with a file.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode))
            return makeError(WriteFailed, "Cannot write", requestedPath, "it is not a regular file");
        if (!isWritableFile(path))
            return makeError(ReadOnly, "Cannot write", requestedPath, "the file is read-only");
    }
    Result<TemporaryFile> temporary = makeTemporaryBeside(path);
    if (!temporary)
        return temporary.error();
    bool written = writeAll(temporary->descriptor, bytes);
    int error = errno;
    if (::close(temporary->descriptor) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temporary->path.c_str());
        return errnoError(WriteFailed, "Cannot write", path, error);
    }
    return replaceWithTemporary(temporary->path, path);
}

std::string FileManager::temporaryTargetName(const std::string& name)
{
    if (name.size() <= kLongestTemporaryTarget)
        return name;
    std::string extension = fs::path(name).extension().string();
    // An extension that long is no kind of document: the name is cut at its end.
    if (extension.size() > kLongestTemporaryTarget / 2)
        extension.clear();
    std::size_t stemLength = kLongestTemporaryTarget - extension.size();
    // Cut between characters, never inside one's UTF-8 bytes.
    while (stemLength > 0 && (static_cast<unsigned char>(name[stemLength]) & 0xC0) == 0x80)
        --stemLength;
    return name.substr(0, stemLength) + extension;
}

Result<TemporaryFile> FileManager::makeTemporaryBeside(const std::string& path)
{
    fs::path target(path);
    fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string name = "." + temporaryTargetName(target.filename().string()) + "." + std::string(kTemporarySuffixLength, 'X');
    std::string temporary = (folder / name).string();
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errnoError(errno == ENOENT ? NoSuchFile : WriteFailed, "Cannot write", path, errno);
    return TemporaryFile{std::move(temporary), fd};
}

Status FileManager::replaceWithTemporary(const std::string& temporary, const std::string& path)
{
    // Keep the permissions of the file being replaced; mkstemp's 0600 would
    // otherwise make every save quietly private.
    struct stat old {};
    mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    int fd = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
    bool done = fd >= 0 && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int error = errno;
    if (fd >= 0)
        ::close(fd);
    if (done && ::rename(temporary.c_str(), path.c_str()) != 0) {
        done = false;
        error = errno;
    }
    if (!done) {
        ::unlink(temporary.c_str());
        return errnoError(WriteFailed, "Cannot write", path, error);
    }
    // The rename itself is durable only once the folder is flushed.
    fs::path target(path);
    fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return Status::success();
}

Status FileManager::writeAtomically(const std::string& path, std::string_view bytes)
{
    return writeAtomically(path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

Status FileManager::moveItem(const std::string& from, const std::string& to)
{
    if (!itemExists(from))
        return makeError(NoSuchFile, "Cannot move", from, "no such file or folder");
    if (itemExists(to))
        return makeError(FileExists, "Cannot move " + from + " to", to, "an item of that name exists");
    // The check above leaves a moment in which another program may create
    // `to`; the kernel refuses then instead of replacing it.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return Status::success();
    if (errno == EEXIST)
        return makeError(FileExists, "Cannot move " + from + " to", to, "an item of that name exists");
    if (errno == EINVAL || errno == ENOSYS) {
        // File systems without the flag: link and unlink never replace either.
        if (!isDirectory(from) && ::link(from.c_str(), to.c_str()) == 0)
            return ::unlink(from.c_str()) == 0 ? Status::success()
                                               : errnoError(OperationFailed, "Cannot move", from, errno);
        if (errno == EEXIST)
            return makeError(FileExists, "Cannot move " + from + " to", to, "an item of that name exists");
    }
    if (errno != EXDEV)
        return errnoError(OperationFailed, "Cannot move " + from + " to", to, errno);
    // Another file system: copy, and remove the original only once the copy is complete.
    if (Status copied = copyItem(from, to); !copied)
        return copied;
    return removeItem(from);
}

Status FileManager::copyItem(const std::string& from, const std::string& to)
{
    if (!itemExists(from))
        return makeError(NoSuchFile, "Cannot copy", from, "no such file or folder");
    if (itemExists(to))
        return makeError(FileExists, "Cannot copy " + from + " to", to, "an item of that name exists");
    std::error_code error;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    if (error == std::errc::file_exists)
        return makeError(FileExists, "Cannot copy " + from + " to", to, "an item of that name exists");
    if (error) {
        // A half-made copy must not pass for a finished one.
        std::error_code ignored;
        fs::remove_all(to, ignored);
        return fsError(OperationFailed, "Cannot copy " + from + " to", to, error);
    }
    return Status::success();
}

std::string FileManager::numberedName(const std::string& name, int number)
{
    fs::path path(name);
    std::string stem = path.stem().string();
    std::string extension = path.extension().string();
    if (stem.empty()) {
        stem = name;
        extension.clear();
    }
    return stem + " " + std::to_string(number) + extension;
}

Result<std::string> FileManager::placeUnderFreeName(const std::string& folder, const std::string& name,
                                                    const std::function<Status(const std::string& path)>& place)
{
    constexpr int kMaximumCandidates = 10000;
    for (int number = 1; number <= kMaximumCandidates; ++number) {
        std::string path = folder + "/" + (number == 1 ? name : numberedName(name, number));
        Status placed = place(path);
        if (placed)
            return path;
        if (placed.error().domain != kErrorDomain || placed.error().code != FileExists)
            return placed.error();
    }
    return makeError(FileExists, "No free name for", name, "in " + folder);
}

Status FileManager::removeItem(const std::string& path)
{
    if (!itemExists(path))
        return makeError(NoSuchFile, "Cannot remove", path, "no such file or folder");
    std::error_code error;
    fs::remove_all(path, error);
    if (error)
        return fsError(OperationFailed, "Cannot remove", path, error);
    return Status::success();
}

Result<std::vector<std::string>> FileManager::contentsOfDirectory(const std::string& path)
{
    std::error_code error;
    fs::directory_iterator iterator(path, error);
    if (error)
        return fsError(ReadFailed, "Cannot list", path, error);
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : iterator)
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Result<std::vector<DirectoryEntry>> FileManager::enumerateDirectory(const std::string& path)
{
    std::error_code error;
    fs::recursive_directory_iterator iterator(path, error);
    if (error)
        return fsError(ReadFailed, "Cannot list", path, error);
    std::vector<DirectoryEntry> entries;
    for (auto end = fs::recursive_directory_iterator(); iterator != end; iterator.increment(error)) {
        if (error)
            return fsError(ReadFailed, "Cannot list", path, error);
        struct stat info {};
        if (::lstat(iterator->path().c_str(), &info) != 0)
            return errnoError(ReadFailed, "Cannot read attributes of", iterator->path().string(), errno);
        entries.push_back({iterator->path().lexically_relative(path).generic_string(), attributesFromStat(info)});
    }
    if (error)
        return fsError(ReadFailed, "Cannot list", path, error);
    std::sort(entries.begin(), entries.end(),
        // Component-wise order keeps every folder directly before its contents.
        [](const DirectoryEntry& a, const DirectoryEntry& b) { return fs::path(a.relativePath) < fs::path(b.relativePath); });
    return entries;
}

Result<FileAttributes> FileManager::attributesOfItem(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errnoError(errno == ENOENT ? NoSuchFile : ReadFailed, "Cannot read attributes of", path, errno);
    return attributesFromStat(info);
}

std::optional<FileVersion> FileManager::versionOfFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    FileAttributes attributes = attributesFromStat(info);
    return FileVersion{{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)},
                       attributes.size, attributes.modificationDate};
}

std::optional<FileIdentity> FileManager::identityOfFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::optional<std::string> FileManager::itemWithIdentity(const std::string& folder, const FileIdentity& identity)
{
    Result<std::vector<std::string>> names = contentsOfDirectory(folder);
    if (!names)
        return std::nullopt;
    for (const std::string& name : *names) {
        std::string path = (fs::path(folder) / name).string();
        if (identityOfFile(path) == identity)
            return path;
    }
    return std::nullopt;
}

} // namespace folio
