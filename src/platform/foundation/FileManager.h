#pragma once

#include "platform/foundation/Error.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

struct FileAttributes {
    bool isDirectory = false;
    bool isSymbolicLink = false;
    std::uintmax_t size = 0;
    std::chrono::system_clock::time_point modificationDate;
    unsigned permissions = 0;
};

// Which file a path names, whatever it is called now: a file renamed keeps
// it, a file replaced by another (an atomic save) does not.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// One state of a file: which file it is, and the size and modification
// time that a write by any program changes.
struct FileVersion {
    FileIdentity identity;
    std::uintmax_t size = 0;
    std::chrono::system_clock::time_point modificationDate;
    bool operator==(const FileVersion&) const = default;
};

// A new file beside another, open for writing.
struct TemporaryFile {
    std::string path;
    int descriptor = -1;
};

struct DirectoryEntry {
    std::string relativePath;   // relative to the enumerated folder, '/'-separated
    FileAttributes attributes;
};

// Files and folders. Every operation that can fail answers a Status or
// Result with an Error naming the path and the system's reason.
class FileManager {
public:
    static constexpr const char* kErrorDomain = "FileManager";
    // How long a temporary of writeAtomically may lie untouched before it
    // counts as left over from a save cut short: a running save writes it
    // all the time and renames it within moments.
    static constexpr std::chrono::seconds kAtomicWriteLeftoverAge{10 * 60};
    enum ErrorCode {
        NoSuchFile = 1,
        FileExists = 2,
        NotADirectory = 3,
        WriteFailed = 4,
        ReadFailed = 5,
        OperationFailed = 6,
        ReadOnly = 7,
    };

    static bool fileExists(const std::string& path);
    static bool fileExists(const std::string& path, bool& isDirectory);
    static bool isDirectory(const std::string& path);
    // Whether two paths name the same file once "..", "." and symbolic links
    // are resolved; paths that cannot be resolved compare as written.
    static bool isSamePath(const std::string& first, const std::string& second);

    // Creates the folder and any missing parents; an existing folder is success.
    static Status createDirectory(const std::string& path);

    // Writes all of `bytes` to an open descriptor, however many calls it
    // takes; false with errno set when the descriptor takes no more.
    static bool writeAll(int fd, std::span<const std::uint8_t> bytes);

    // Whether an existing file may be changed: the system lets this process
    // write it, and its mode lets someone write it. A file whose mode lets
    // nobody write (0444) is read-only by its owner's choice, also to a
    // process the system would let through.
    static bool isWritableFile(const std::string& path);
    // Whether files may be made in and renamed within a folder, by the same
    // rule: a durable save needs that as much as a writable file.
    static bool isWritableFolder(const std::string& path);

    // Durable save: temporary file in the same folder, fsync, rename over the
    // target, fsync of the folder. On any failure the old file is untouched
    // and no temporary file is left behind. A target that is not writable
    // (isWritableFile) is refused (ReadOnly): the rename would replace it
    // although the file itself may not be written.
    static Status writeAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
    static Status writeAtomically(const std::string& path, std::string_view bytes);
    // A new, empty file in the folder of `path` that no one else has taken,
    // for a file that is to replace `path` whole: ".NAME.Ab12Cd", private to
    // its owner until replaceWithTemporary. The error names `path`.
    static Result<TemporaryFile> makeTemporaryBeside(const std::string& path);
    // Renames a temporary of makeTemporaryBeside over `path` once it is
    // written and closed, with the permissions of the file it replaces
    // (0644 for a new one), durably; on failure the temporary is removed
    // and `path` left as it was.
    static Status replaceWithTemporary(const std::string& temporary, const std::string& path);
    // The name a temporary beside a file of that name stands for it by: the
    // name itself, or, where ".NAME.Ab12Cd" would pass the 255 bytes a file
    // name may take, the name with its stem shortened and its extension kept.
    static std::string temporaryTargetName(const std::string& name);
    // The name of the file a temporary of writeAtomically was made for
    // (".Name.rtf.Ab12Cd" was for "Name.rtf"), as temporaryTargetName gives
    // it; nothing for any other name.
    static std::optional<std::string> atomicWriteTargetName(std::string_view name);
    // Removes the temporaries a save cut short (by a kill or a crash) left in
    // the folder: regular files named exactly as writeAtomically names them,
    // for a file name `isTarget` accepts, and not written for `minimumAge`,
    // as a younger one may be a save still running. Answers what it removed.
    static std::vector<std::string> removeAtomicWriteLeftovers(
        const std::string& folder, const std::function<bool(const std::string&)>& isTarget,
        std::chrono::seconds minimumAge = kAtomicWriteLeftoverAge);

    // Both refuse to replace an existing destination, also one that appears
    // while they run (FileExists).
    static Status moveItem(const std::string& from, const std::string& to);
    static Status copyItem(const std::string& from, const std::string& to);

    // "Name 2.rtf" for ("Name.rtf", 2); a name without extension just gains the number.
    static std::string numberedName(const std::string& name, int number);
    // Calls `place` with "folder/name", then "folder/Name 2.ext", "Name 3.ext"...
    // while it fails with FileExists; answers the path it succeeded with.
    // `place` must refuse to replace (as moveItem and copyItem do), so that
    // no existing file is ever overwritten.
    static Result<std::string> placeUnderFreeName(const std::string& folder, const std::string& name,
                                                  const std::function<Status(const std::string& path)>& place);

    // Removes a file or a whole folder tree; a missing item is an error.
    static Status removeItem(const std::string& path);

    // Names of the items directly inside the folder, sorted.
    static Result<std::vector<std::string>> contentsOfDirectory(const std::string& path);

    // Every item below the folder, each folder followed by its contents, sorted by name.
    // Symbolic links are reported, not followed.
    static Result<std::vector<DirectoryEntry>> enumerateDirectory(const std::string& path);

    static Result<FileAttributes> attributesOfItem(const std::string& path);

    // The file the path names, links followed; nothing when there is none.
    static std::optional<FileIdentity> identityOfFile(const std::string& path);
    static std::optional<FileVersion> versionOfFile(const std::string& path);
    // The path of the item directly inside the folder that is that file,
    // links followed; nothing when none is.
    static std::optional<std::string> itemWithIdentity(const std::string& folder, const FileIdentity& identity);
};

} // namespace folio
