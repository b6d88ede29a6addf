#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/ZipContainer.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace folio {

// Zip archives (ePub containers, zipped RTFD packages), the format itself
// read and written by the zip library (ZipServices). An archive
// is built in memory and written atomically when closed, so a failed export
// never leaves a half-written archive where a good one was. Entries keep the
// order in which they were added: an ePub's stored "mimetype" must stay first.
class DKZipArchive {
public:
    static constexpr const char* kErrorDomain = "DKZipArchive";
    enum ErrorCode { OpenFailed = 1, Damaged = 2, NoSuchEntry = 3, UnsafeEntryName = 4, TooLarge = 5, WriteFailed = 6, WrongMode = 7 };
    enum class Compression { Stored, Deflated };
    static constexpr std::size_t kDefaultEntryLimit = std::size_t(512) * 1024 * 1024;

    // A file or a folder with its contents, held in memory.
    struct FileWrapper {
        std::string name;
        bool isDirectory = false;
        Data contents;
        std::vector<FileWrapper> children;

        static FileWrapper regularFile(std::string name, Data contents);
        static FileWrapper directory(std::string name, std::vector<FileWrapper> children);
        // Reads a file or a whole folder tree from disk.
        static Result<FileWrapper> fromPath(const std::string& path);
    };

    DKZipArchive(DKZipArchive&& other) noexcept;
    DKZipArchive& operator=(DKZipArchive&& other) noexcept;
    DKZipArchive(const DKZipArchive&) = delete;
    DKZipArchive& operator=(const DKZipArchive&) = delete;
    ~DKZipArchive();

    // Writing. create() starts an empty archive; openForAppending() starts
    // from an existing one whose entries stay first, in their order.
    static Result<DKZipArchive> create(const std::string& path);
    static Result<DKZipArchive> openForAppending(const std::string& path);
    Status addFile(const std::string& entryName, std::span<const std::uint8_t> bytes, Compression compression = Compression::Deflated);
    Status addFileFromPath(const std::string& entryName, const std::string& path, Compression compression = Compression::Deflated);
    // Adds the tree under "prefix/name/...", a folder entry for each folder.
    Status addFolder(const FileWrapper& tree, const std::string& prefix = {}, Compression compression = Compression::Deflated);
    // Writes the archive; the target is replaced only when everything succeeded.
    Status close();

    // Reading. A damaged archive answers an Error when opened.
    static Result<DKZipArchive> open(const std::string& path);
    static Result<DKZipArchive> openData(Data bytes);
    std::vector<std::string> entryNames() const;
    Result<Data> readEntry(const std::string& entryName, std::size_t maximumSize = kDefaultEntryLimit) const;
    // Refuses the whole archive, before writing anything, when an entry name
    // is absolute or climbs out with "..".
    Status extractToFolder(const std::string& folder, std::size_t maximumEntrySize = kDefaultEntryLimit) const;

    // The operations the exports call.
    static Status createZipFile(const std::string& archivePath, const std::vector<FileWrapper>& fileWrappers,
                                Compression compression = Compression::Deflated);
    // Appends every file under each folder, named by its path relative to the
    // folder's parent (".../T/OPS/a.opf" becomes "OPS/a.opf").
    static Status createAppendZipFile(const std::string& archivePath, const std::vector<std::string>& folderPaths);

    static bool isSafeEntryName(const std::string& entryName);

private:
    enum class Mode { Reading, Writing, Closed };
    DKZipArchive(std::unique_ptr<ZipContainer> container, std::string path, Mode mode);
    static Result<DKZipArchive> openContainer(Data bytes, std::string path, ZipServices::Access access);
    Status requireWriting() const;
    Status addEntry(const std::string& entryName, std::span<const std::uint8_t> bytes, Compression compression);
    void release();

    std::unique_ptr<ZipContainer> m_container;
    std::string m_path;
    Mode m_mode = Mode::Closed;
};

} // namespace folio
