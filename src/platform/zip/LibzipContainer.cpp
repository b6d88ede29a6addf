#include "platform/zip/LibzipContainer.h"

#include "platform/foundation/ZipArchive.h"

#include <libdeflate.h>
#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace folio {

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

int openFlags(ZipServices::Access access)
{
    switch (access) {
    case ZipServices::Access::Create: return ZIP_CREATE | ZIP_TRUNCATE;
    case ZipServices::Access::Append: return ZIP_CHECKCONS;
    case ZipServices::Access::Read: return ZIP_RDONLY | ZIP_CHECKCONS;
    }
    return ZIP_RDONLY | ZIP_CHECKCONS;
}

// An entry deflated before it is added, which libzip then copies as it
// stands: libdeflate's fastest level takes well under half the time of
// zlib's, which libzip would use at close, and packs a little tighter.
struct DeflatedEntry {
    std::vector<std::uint8_t> deflated;
    zip_uint64_t size = 0;
    zip_uint32_t crc = 0;
    std::size_t offset = 0;
    zip_error_t error;
};

zip_int64_t readDeflatedEntry(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto* entry = static_cast<DeflatedEntry*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        entry->offset = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const std::size_t count = std::min<std::size_t>(length, entry->deflated.size() - entry->offset);
        std::memcpy(data, entry->deflated.data() + entry->offset, count);
        entry->offset += count;
        return static_cast<zip_int64_t>(count);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto* stat = static_cast<zip_stat_t*>(data);
        zip_stat_init(stat);
        stat->size = entry->size;
        stat->comp_size = entry->deflated.size();
        stat->comp_method = ZIP_CM_DEFLATE;
        stat->crc = entry->crc;
        stat->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&entry->error, data, length);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&entry->error);
        delete entry;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        zip_error_set(&entry->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace

LibzipContainer::LibzipContainer(zip_t* archive, zip_source_t* source, std::string name)
    : m_archive(archive), m_source(source), m_name(std::move(name))
{
}

LibzipContainer::~LibzipContainer()
{
    release();
}

void LibzipContainer::release()
{
    if (m_archive)
        zip_discard(m_archive);
    if (m_source)
        zip_source_free(m_source);
    if (m_compressor)
        libdeflate_free_compressor(m_compressor);
    m_archive = nullptr;
    m_source = nullptr;
    m_compressor = nullptr;
}

Result<std::unique_ptr<ZipContainer>> LibzipContainer::open(Data bytes, const std::string& name,
                                                            ZipServices::Access access)
{
    zip_error_t error;
    zip_error_init(&error);
    // libzip frees the copy with the source; the source outlives the archive
    // (zip_source_keep) so that the written bytes can be read back from it.
    void* copy = nullptr;
    if (!bytes.empty()) {
        copy = std::malloc(bytes.length());
        if (!copy)
            return zipError(DKZipArchive::OpenFailed, "Out of memory for " + name);
        std::memcpy(copy, bytes.bytes(), bytes.length());
    }
    zip_source_t* source = zip_source_buffer_create(copy, bytes.length(), 1, &error);
    if (!source) {
        std::free(copy);
        std::string message = describe(&error);
        zip_error_fini(&error);
        return zipError(DKZipArchive::OpenFailed, "Cannot open " + name + ": " + message);
    }
    zip_t* archive = zip_open_from_source(source, openFlags(access), &error);
    if (!archive) {
        std::string message = describe(&error);
        zip_error_fini(&error);
        zip_source_free(source);
        return zipError(DKZipArchive::Damaged, name + " is not a readable zip archive: " + message);
    }
    zip_error_fini(&error);
    zip_source_keep(source);
    return std::unique_ptr<ZipContainer>(new LibzipContainer(archive, source, name));
}

std::vector<std::string> LibzipContainer::entryNames() const
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

Result<Data> LibzipContainer::readEntry(const std::string& entryName, std::size_t maximumSize) const
{
    if (!m_archive)
        return zipError(DKZipArchive::WrongMode, m_name + " is not open");
    zip_int64_t index = zip_name_locate(m_archive, entryName.c_str(), 0);
    if (index < 0)
        return zipError(DKZipArchive::NoSuchEntry, m_name + " has no entry \"" + entryName + "\"");
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive, static_cast<zip_uint64_t>(index), 0, &stat) < 0 || !(stat.valid & ZIP_STAT_SIZE))
        return zipError(DKZipArchive::Damaged, "Cannot read \"" + entryName + "\": " + describeArchive(m_archive));
    if (stat.size > maximumSize)
        return zipError(DKZipArchive::TooLarge,
                        "The entry \"" + entryName + "\" is larger than " + std::to_string(maximumSize) + " bytes");
    zip_file_t* file = zip_fopen_index(m_archive, static_cast<zip_uint64_t>(index), 0);
    if (!file)
        return zipError(DKZipArchive::Damaged, "Cannot read \"" + entryName + "\": " + describeArchive(m_archive));
    std::vector<std::uint8_t> bytes(stat.size);
    zip_int64_t read = stat.size ? zip_fread(file, bytes.data(), stat.size) : 0;
    // One byte more than announced means the size in the directory lied.
    std::uint8_t extra;
    zip_int64_t beyond = read >= 0 ? zip_fread(file, &extra, 1) : 0;
    std::string reason = read < 0 || beyond < 0 ? zip_error_strerror(zip_file_get_error(file)) : "";
    zip_fclose(file);
    if (read < 0 || beyond != 0 || static_cast<zip_uint64_t>(read) != stat.size)
        return zipError(DKZipArchive::Damaged,
                        "The entry \"" + entryName + "\" is damaged" + (reason.empty() ? "" : ": " + reason));
    return Data(std::move(bytes));
}

zip_source_t* LibzipContainer::deflatedSource(std::span<const std::uint8_t> bytes)
{
    constexpr int kFastest = 1;
    if (!m_compressor)
        m_compressor = libdeflate_alloc_compressor(kFastest);
    if (!m_compressor)
        return nullptr;
    auto* entry = new DeflatedEntry;
    zip_error_init(&entry->error);
    // Bytes that do not pack smaller are left to libzip, which stores them.
    entry->deflated.resize(bytes.size());
    const std::size_t packed = libdeflate_deflate_compress(m_compressor, bytes.data(), bytes.size(),
                                                           entry->deflated.data(), entry->deflated.size());
    zip_source_t* source = nullptr;
    if (packed > 0) {
        entry->deflated.resize(packed);
        entry->size = bytes.size();
        entry->crc = libdeflate_crc32(0, bytes.data(), bytes.size());
        source = zip_source_function(m_archive, readDeflatedEntry, entry);
    }
    if (!source) {
        zip_error_fini(&entry->error);
        delete entry;
    }
    return source;
}

Status LibzipContainer::addFile(const std::string& entryName, std::span<const std::uint8_t> bytes, bool deflated)
{
    zip_source_t* source = deflated && !bytes.empty() ? deflatedSource(bytes) : nullptr;
    if (!source) {
        void* copy = nullptr;
        if (!bytes.empty()) {
            copy = std::malloc(bytes.size());
            if (!copy)
                return zipError(DKZipArchive::WriteFailed, "Out of memory for " + entryName);
            std::memcpy(copy, bytes.data(), bytes.size());
        }
        source = zip_source_buffer(m_archive, copy, bytes.size(), 1);
        if (!source) {
            std::free(copy);
            return zipError(DKZipArchive::WriteFailed, "Cannot add " + entryName + ": " + describeArchive(m_archive));
        }
    }
    zip_int64_t index = zip_file_add(m_archive, entryName.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return zipError(DKZipArchive::WriteFailed, "Cannot add " + entryName + ": " + describeArchive(m_archive));
    }
    // Without Unix attributes, unzip gives the extracted file 0666 less the
    // umask, and some tools 0777; the package's files are the user's to
    // read, not anyone's to change.
    if (Status mode = setUnixMode(m_archive, static_cast<zip_uint64_t>(index), 0100644, entryName); !mode)
        return mode;
    zip_int32_t method = deflated ? ZIP_CM_DEFLATE : ZIP_CM_STORE;
    // The fastest level: packages are made while the person waits, and
    // zlib's default level took a quarter of a large export for a few
    // per cent less size.
    constexpr zip_uint32_t kFastest = 1;
    if (zip_set_file_compression(m_archive, static_cast<zip_uint64_t>(index), method, deflated ? kFastest : 0) < 0)
        return zipError(DKZipArchive::WriteFailed,
                        "Cannot set the compression of " + entryName + ": " + describeArchive(m_archive));
    return Status::success();
}

Status LibzipContainer::addFolder(const std::string& name)
{
    zip_int64_t folderIndex = zip_dir_add(m_archive, name.c_str(), ZIP_FL_ENC_UTF_8);
    if (folderIndex < 0)
        return zipError(DKZipArchive::WriteFailed, "Cannot add the folder " + name + ": " + describeArchive(m_archive));
    return setUnixMode(m_archive, static_cast<zip_uint64_t>(folderIndex), 040755, name);
}

Result<Data> LibzipContainer::finish()
{
    if (!m_archive)
        return zipError(DKZipArchive::WrongMode, m_name + " is not open for writing");
    bool hasEntries = zip_get_num_entries(m_archive, 0) > 0;
    if (zip_close(m_archive) < 0) {
        Error error = zipError(DKZipArchive::WriteFailed, "Cannot write " + m_name + ": " + describeArchive(m_archive));
        release();
        return error;
    }
    m_archive = nullptr;
    // libzip leaves a memory source without entries empty rather than writing
    // an empty archive; the caller asked for an archive, so write one.
    Result<Data> bytes = hasEntries ? sourceBytes(m_source) : Result<Data>(emptyArchive());
    release();
    return bytes;
}

EngineZipServices& EngineZipServices::instance()
{
    static EngineZipServices services;
    return services;
}

Result<std::unique_ptr<ZipContainer>> EngineZipServices::openContainer(Data bytes, const std::string& name,
                                                                       Access access)
{
    return LibzipContainer::open(std::move(bytes), name, access);
}

} // namespace folio
