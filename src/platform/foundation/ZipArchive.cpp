#include "platform/foundation/ZipArchive.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/ZipContainer.h"

#include <filesystem>

namespace folio {

namespace fs = std::filesystem;

namespace {

Error zipError(int code, const std::string& message)
{
    return Error{DKZipArchive::kErrorDomain, code, message};
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

DKZipArchive::DKZipArchive(std::unique_ptr<ZipContainer> container, std::string path, Mode mode)
    : m_container(std::move(container)), m_path(std::move(path)), m_mode(mode)
{
}

DKZipArchive::DKZipArchive(DKZipArchive&& other) noexcept
    : m_container(std::move(other.m_container))
    , m_path(std::move(other.m_path))
    , m_mode(std::exchange(other.m_mode, Mode::Closed))
{
}

DKZipArchive& DKZipArchive::operator=(DKZipArchive&& other) noexcept
{
    if (this != &other) {
        release();
        m_container = std::move(other.m_container);
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
    m_container.reset();
    m_mode = Mode::Closed;
}

Result<DKZipArchive> DKZipArchive::openContainer(Data bytes, std::string path, ZipServices::Access access)
{
    const Mode mode = access == ZipServices::Access::Read ? Mode::Reading : Mode::Writing;
    Result<std::unique_ptr<ZipContainer>> container = ZipServices::shared().openContainer(std::move(bytes), path, access);
    if (!container)
        return container.error();
    return DKZipArchive(std::move(container.value()), std::move(path), mode);
}

Result<DKZipArchive> DKZipArchive::create(const std::string& path)
{
    return openContainer(Data(), path, ZipServices::Access::Create);
}

Result<DKZipArchive> DKZipArchive::openForAppending(const std::string& path)
{
    auto bytes = Data::dataWithContentsOfFile(path);
    if (!bytes)
        return bytes.error();
    return openContainer(std::move(bytes.value()), path, ZipServices::Access::Append);
}

Result<DKZipArchive> DKZipArchive::open(const std::string& path)
{
    auto bytes = Data::dataWithContentsOfFile(path);
    if (!bytes)
        return bytes.error();
    return openContainer(std::move(bytes.value()), path, ZipServices::Access::Read);
}

Result<DKZipArchive> DKZipArchive::openData(Data bytes)
{
    if (bytes.empty())
        return zipError(Damaged, "The archive is empty");
    return openContainer(std::move(bytes), "archive data", ZipServices::Access::Read);
}

Status DKZipArchive::requireWriting() const
{
    if (m_mode != Mode::Writing || !m_container)
        return zipError(WrongMode, m_path + " is not open for writing");
    return Status::success();
}

Status DKZipArchive::addEntry(const std::string& entryName, std::span<const std::uint8_t> bytes, Compression compression)
{
    if (Status writable = requireWriting(); !writable)
        return writable;
    if (!isSafeEntryName(entryName))
        return zipError(UnsafeEntryName, "Refusing the entry name \"" + entryName + "\"");
    return m_container->addFile(entryName, bytes, compression == Compression::Deflated);
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
    if (Status added = m_container->addFolder(name); !added)
        return added;
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
    Result<Data> bytes = m_container->finish();
    std::string path = m_path;
    release();
    if (!bytes)
        return bytes.error();
    return bytes->writeToFile(path);
}

std::vector<std::string> DKZipArchive::entryNames() const
{
    return m_container ? m_container->entryNames() : std::vector<std::string>();
}

Result<Data> DKZipArchive::readEntry(const std::string& entryName, std::size_t maximumSize) const
{
    if (!m_container)
        return zipError(WrongMode, m_path + " is not open");
    return m_container->readEntry(entryName, maximumSize);
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
    if (!m_container)
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

Status DKZipArchive::createZipFile(const std::string& archivePath, const std::vector<FileWrapper>& fileWrappers,
                                   Compression compression)
{
    auto archive = create(archivePath);
    if (!archive)
        return archive.error();
    for (const FileWrapper& wrapper : fileWrappers) {
        if (Status added = archive->addFolder(wrapper, {}, compression); !added)
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
