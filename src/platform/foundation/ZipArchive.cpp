#include "platform/foundation/ZipArchive.h"

#include "platform/foundation/FileManager.h"

#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace folio {

namespace fs = std::filesystem;

namespace {

Error zipError(int code, const std::string& message)
{
    return Error{DKZipArchive::kErrorDomain, code, message};
}

std::string describe(zip_error_t* error)
{
    return zip_error_strerror(error);
}

std::string describeArchive(zip_t* archive)
{
    return zip_error_strerror(zip_get_error(archive));
}

std::string describeSource(zip_source_t* source)
{
    return zip_error_strerror(zip_source_error(source));
}

// Records the entry as made on Unix with `mode` (type and permission bits),
// which is what unzip uses for the extracted file.
Status setUnixMode(zip_t* archive, zip_uint64_t index, zip_uint32_t mode, const std::string& entryName)
{
    if (zip_file_set_external_attributes(archive, index, 0, ZIP_OPSYS_UNIX, mode << 16) < 0)
        return zipError(DKZipArchive::WriteFailed,
                        "Cannot set the attributes of " + entryName + ": " + describeArchive(archive));
    return Status::success();
}

// Everything libzip wrote into the memory source, once the archive is closed.
Result<Data> sourceBytes(zip_source_t* source)
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(source, &stat) < 0 || !(stat.valid & ZIP_STAT_SIZE))
        return zipError(DKZipArchive::WriteFailed, "Cannot read the finished archive: " + describeSource(source));
    std::vector<std::uint8_t> bytes(stat.size);
    if (zip_source_open(source) < 0)
        return zipError(DKZipArchive::WriteFailed, "Cannot read the finished archive: " + describeSource(source));
    zip_int64_t read = stat.size ? zip_source_read(source, bytes.data(), stat.size) : 0;
    zip_source_close(source);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
        return zipError(DKZipArchive::WriteFailed, "Cannot read the finished archive");
    return Data(std::move(bytes));
}

// The end-of-central-directory record alone: what an archive without entries is.
Data emptyArchive()
{
    std::vector<std::uint8_t> bytes(22, 0);
    bytes[0] = 'P';
    bytes[1] = 'K';
    bytes[2] = 5;
    bytes[3] = 6;
    return Data(std::move(bytes));
}

} // namespace

DKZipArchive::FileWrapper DKZipArchive::FileWrapper::regularFile(std::string name, Data contents)
{
    return FileWrapper{std::move(name), false, std::move(contents), {}};
}

DKZipArchive::FileWrapper DKZipArchive::FileWrapper::directory(std::string name, std::vector<FileWrapper> children)
{
    return FileWrapper{std::move(name), true, {}, std::move(children)};
}

Result<DKZipArchive::FileWrapper> DKZipArchive::FileWrapper::fromPath(const std::string& path)
{
    std::string name = fs::path(path).filename().string();
    if (!FileManager::isDirectory(path)) {
        auto contents = Data::dataWithContentsOfFile(path);
        if (!contents)
            return contents.error();
        return regularFile(std::move(name), std::move(contents.value()));
    }
    auto names = FileManager::contentsOfDirectory(path);
    if (!names)
        return names.error();
    FileWrapper folder = directory(std::move(name), {});
    for (const std::string& child : names.value()) {
        auto wrapper = fromPath((fs::path(path) / child).string());
        if (!wrapper)
            return wrapper.error();
        folder.children.push_back(std::move(wrapper.value()));
    }
    return folder;
}

DKZipArchive::DKZipArchive(zip_t* archive, zip_source_t* source, std::string path, Mode mode)
    : m_archive(archive), m_source(source), m_path(std::move(path)), m_mode(mode)
{
}

DKZipArchive::DKZipArchive(DKZipArchive&& other) noexcept
    : m_archive(std::exchange(other.m_archive, nullptr))
    , m_source(std::exchange(other.m_source, nullptr))
    , m_path(std::move(other.m_path))
    , m_mode(std::exchange(other.m_mode, Mode::Closed))
{
}

DKZipArchive& DKZipArchive::operator=(DKZipArchive&& other) noexcept
{
    if (this != &other) {
        release();
        m_archive = std::exchange(other.m_archive, nullptr);
        m_source = std::exchange(other.m_source, nullptr);
        m_path = std::move(other.m_path);
        m_mode = std::exchange(other.m_mode, Mode::Closed);
    }
    return *this;
}

DKZipArchive::~DKZipArchive()
{
    release();
}

void DKZipArchive::release()
{
    // An archive never closed is discarded: nothing is written behind the caller's back.
    if (m_archive)
        zip_discard(m_archive);
    if (m_source)
        zip_source_free(m_source);
    m_archive = nullptr;
    m_source = nullptr;
    m_mode = Mode::Closed;
}

Result<DKZipArchive> DKZipArchive::openSource(Data bytes, std::string path, Mode mode, int flags)
{
    zip_error_t error;
    zip_error_init(&error);
    // libzip frees the copy with the source; the source outlives the archive
    // (zip_source_keep) so that the written bytes can be read back from it.
    void* copy = nullptr;
    if (!bytes.empty()) {
        copy = std::malloc(bytes.length());
        if (!copy)
            return zipError(OpenFailed, "Out of memory for " + path);
        std::memcpy(copy, bytes.bytes(), bytes.length());
    }
    zip_source_t* source = zip_source_buffer_create(copy, bytes.length(), 1, &error);
    if (!source) {
        std::free(copy);
        std::string message = describe(&error);
        zip_error_fini(&error);
        return zipError(OpenFailed, "Cannot open " + path + ": " + message);
    }
    zip_t* archive = zip_open_from_source(source, flags, &error);
    if (!archive) {
        std::string message = describe(&error);
        zip_error_fini(&error);
        zip_source_free(source);
        return zipError(Damaged, path + " is not a readable zip archive: " + message);
    }
    zip_error_fini(&error);
    zip_source_keep(source);
    return DKZipArchive(archive, source, std::move(path), mode);
}

Result<DKZipArchive> DKZipArchive::create(const std::string& path)
{
    return openSource(Data(), path, Mode::Writing, ZIP_CREATE | ZIP_TRUNCATE);
}

Result<DKZipArchive> DKZipArchive::openForAppending(const std::string& path)
{
    auto bytes = Data::dataWithContentsOfFile(path);
    if (!bytes)
        return bytes.error();
    return openSource(std::move(bytes.value()), path, Mode::Writing, ZIP_CHECKCONS);
}

Result<DKZipArchive> DKZipArchive::open(const std::string& path)
{
    auto bytes = Data::dataWithContentsOfFile(path);
    if (!bytes)
        return bytes.error();
    return openSource(std::move(bytes.value()), path, Mode::Reading, ZIP_RDONLY | ZIP_CHECKCONS);
}

Result<DKZipArchive> DKZipArchive::openData(Data bytes)
{
    if (bytes.empty())
        return zipError(Damaged, "The archive is empty");
    return openSource(std::move(bytes), "archive data", Mode::Reading, ZIP_RDONLY | ZIP_CHECKCONS);
}

Status DKZipArchive::requireWriting() const
{
    if (m_mode != Mode::Writing || !m_archive)
        return zipError(WrongMode, m_path + " is not open for writing");
    return Status::success();
}

Status DKZipArchive::addEntry(const std::string& entryName, std::span<const std::uint8_t> bytes, Compression compression)
{
    if (Status writable = requireWriting(); !writable)
        return writable;
    if (!isSafeEntryName(entryName))
        return zipError(UnsafeEntryName, "Refusing the entry name \"" + entryName + "\"");
    void* copy = nullptr;
    if (!bytes.empty()) {
        copy = std::malloc(bytes.size());
        if (!copy)
            return zipError(WriteFailed, "Out of memory for " + entryName);
        std::memcpy(copy, bytes.data(), bytes.size());
    }
    zip_source_t* source = zip_source_buffer(m_archive, copy, bytes.size(), 1);
    if (!source) {
        std::free(copy);
        return zipError(WriteFailed, "Cannot add " + entryName + ": " + describeArchive(m_archive));
    }
    zip_int64_t index = zip_file_add(m_archive, entryName.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return zipError(WriteFailed, "Cannot add " + entryName + ": " + describeArchive(m_archive));
    }
    // Without Unix attributes, unzip gives the extracted file 0666 less the
    // umask, and some tools 0777; the package's files are the user's to
    // read, not anyone's to change.
    if (Status mode = setUnixMode(m_archive, static_cast<zip_uint64_t>(index), 0100644, entryName); !mode)
        return mode;
    zip_int32_t method = compression == Compression::Stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    if (zip_set_file_compression(m_archive, static_cast<zip_uint64_t>(index), method, 0) < 0)
        return zipError(WriteFailed, "Cannot set the compression of " + entryName + ": " + describeArchive(m_archive));
    return Status::success();
}

Status DKZipArchive::addFile(const std::string& entryName, std::span<const std::uint8_t> bytes, Compression compression)
{
    return addEntry(entryName, bytes, compression);
}

Status DKZipArchive::addFileFromPath(const std::string& entryName, const std::string& path, Compression compression)
{
    auto bytes = Data::dataWithContentsOfFile(path);
    if (!bytes)
        return bytes.error();
    return addEntry(entryName, bytes->span(), compression);
}

Status DKZipArchive::addFolder(const FileWrapper& tree, const std::string& prefix, Compression compression)
{
    if (Status writable = requireWriting(); !writable)
        return writable;
    std::string name = prefix.empty() ? tree.name : (prefix.back() == '/' ? prefix : prefix + "/") + tree.name;
    if (!tree.isDirectory)
        return addEntry(name, tree.contents.span(), compression);
    std::string folderName = name + "/";
    if (!isSafeEntryName(folderName))
        return zipError(UnsafeEntryName, "Refusing the entry name \"" + folderName + "\"");
    zip_int64_t folderIndex = zip_dir_add(m_archive, name.c_str(), ZIP_FL_ENC_UTF_8);
    if (folderIndex < 0)
        return zipError(WriteFailed, "Cannot add the folder " + name + ": " + describeArchive(m_archive));
    if (Status mode = setUnixMode(m_archive, static_cast<zip_uint64_t>(folderIndex), 040755, name); !mode)
        return mode;
    for (const FileWrapper& child : tree.children) {
        if (Status added = addFolder(child, name, compression); !added)
            return added;
    }
    return Status::success();
}

Status DKZipArchive::close()
{
    if (Status writable = requireWriting(); !writable)
        return writable;
    bool hasEntries = zip_get_num_entries(m_archive, 0) > 0;
    if (zip_close(m_archive) < 0) {
        Error error = zipError(WriteFailed, "Cannot write " + m_path + ": " + describeArchive(m_archive));
        release();
        return error;
    }
    m_archive = nullptr;
    // libzip leaves a memory source without entries empty rather than writing
    // an empty archive; the caller asked for an archive, so write one.
    Result<Data> bytes = hasEntries ? sourceBytes(m_source) : Result<Data>(emptyArchive());
    std::string path = m_path;
    release();
    if (!bytes)
        return bytes.error();
    return bytes->writeToFile(path);
}

std::vector<std::string> DKZipArchive::entryNames() const
{
    std::vector<std::string> names;
    if (!m_archive)
        return names;
    zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_archive, static_cast<zip_uint64_t>(i), 0);
        names.push_back(name ? name : "");
    }
    return names;
}

Result<Data> DKZipArchive::readEntry(const std::string& entryName, std::size_t maximumSize) const
{
    if (!m_archive)
        return zipError(WrongMode, m_path + " is not open");
    zip_int64_t index = zip_name_locate(m_archive, entryName.c_str(), 0);
    if (index < 0)
        return zipError(NoSuchEntry, m_path + " has no entry \"" + entryName + "\"");
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive, static_cast<zip_uint64_t>(index), 0, &stat) < 0 || !(stat.valid & ZIP_STAT_SIZE))
        return zipError(Damaged, "Cannot read \"" + entryName + "\": " + describeArchive(m_archive));
    if (stat.size > maximumSize)
        return zipError(TooLarge, "The entry \"" + entryName + "\" is larger than " + std::to_string(maximumSize) + " bytes");
    zip_file_t* file = zip_fopen_index(m_archive, static_cast<zip_uint64_t>(index), 0);
    if (!file)
        return zipError(Damaged, "Cannot read \"" + entryName + "\": " + describeArchive(m_archive));
    std::vector<std::uint8_t> bytes(stat.size);
    zip_int64_t read = stat.size ? zip_fread(file, bytes.data(), stat.size) : 0;
    // One byte more than announced means the size in the directory lied.
    std::uint8_t extra;
    zip_int64_t beyond = read >= 0 ? zip_fread(file, &extra, 1) : 0;
    std::string reason = read < 0 || beyond < 0 ? zip_error_strerror(zip_file_get_error(file)) : "";
    zip_fclose(file);
    if (read < 0 || beyond != 0 || static_cast<zip_uint64_t>(read) != stat.size)
        return zipError(Damaged, "The entry \"" + entryName + "\" is damaged" + (reason.empty() ? "" : ": " + reason));
    return Data(std::move(bytes));
}

bool DKZipArchive::isSafeEntryName(const std::string& entryName)
{
    if (entryName.empty() || entryName.front() == '/' || entryName.find('\0') != std::string::npos)
        return false;
    // "C:..." and "\..." are absolute to tools on other systems.
    if (entryName.front() == '\\' || (entryName.size() > 1 && entryName[1] == ':'))
        return false;
    std::size_t start = 0;
    while (start <= entryName.size()) {
        std::size_t end = entryName.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = entryName.size();
        if (entryName.compare(start, end - start, "..") == 0)
            return false;
        start = end + 1;
    }
    return true;
}

Status DKZipArchive::extractToFolder(const std::string& folder, std::size_t maximumEntrySize) const
{
    if (!m_archive)
        return zipError(WrongMode, m_path + " is not open");
    std::vector<std::string> names = entryNames();
    for (const std::string& name : names) {
        if (!isSafeEntryName(name))
            return zipError(UnsafeEntryName, m_path + " holds the unsafe entry \"" + name + "\"; nothing was extracted");
    }
    for (const std::string& name : names) {
        std::string target = (fs::path(folder) / name).string();
        if (name.back() == '/') {
            if (Status created = FileManager::createDirectory(target); !created)
                return created;
            continue;
        }
        auto bytes = readEntry(name, maximumEntrySize);
        if (!bytes)
            return bytes.error();
        if (Status created = FileManager::createDirectory(fs::path(target).parent_path().string()); !created)
            return created;
        if (Status written = bytes->writeToFile(target); !written)
            return written;
    }
    return Status::success();
}

Status DKZipArchive::createZipFile(const std::string& archivePath, const std::vector<FileWrapper>& fileWrappers)
{
    auto archive = create(archivePath);
    if (!archive)
        return archive.error();
    for (const FileWrapper& wrapper : fileWrappers) {
        if (Status added = archive->addFolder(wrapper); !added)
            return added;
    }
    return archive->close();
}

Status DKZipArchive::createAppendZipFile(const std::string& archivePath, const std::vector<std::string>& folderPaths)
{
    auto archive = openForAppending(archivePath);
    if (!archive)
        return archive.error();
    for (const std::string& folderPath : folderPaths) {
        fs::path folder = fs::path(folderPath).lexically_normal();
        if (!folder.has_filename())
            folder = folder.parent_path();
        auto entries = FileManager::enumerateDirectory(folder.string());
        if (!entries)
            return entries.error();
        std::string prefix = folder.filename().string();
        for (const DirectoryEntry& entry : entries.value()) {
            if (entry.attributes.isDirectory || entry.attributes.isSymbolicLink)
                continue;
            std::string source = (folder / entry.relativePath).string();
            if (Status added = archive->addFileFromPath(prefix + "/" + entry.relativePath, source); !added)
                return added;
        }
    }
    return archive->close();
}

} // namespace folio
