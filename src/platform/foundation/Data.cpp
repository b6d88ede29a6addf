#include "platform/foundation/Data.h"

#include "platform/foundation/FileManager.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace folio {

Data::Data(const void* bytes, std::size_t length)
    : m_bytes(static_cast<const std::uint8_t*>(bytes), static_cast<const std::uint8_t*>(bytes) + length)
{
}

Data Data::fromString(std::string_view text)
{
    return Data(text.data(), text.size());
}

Result<Data> Data::dataWithContentsOfFile(const std::string& path)
{
    auto failure = [&path](int code, int error) {
        return Error{FileManager::kErrorDomain, code, "Cannot read " + path + ": " + std::strerror(error)};
    };
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failure(errno == ENOENT ? FileManager::NoSuchFile : FileManager::ReadFailed, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        return failure(FileManager::ReadFailed, error);
    }
    // Read straight into a buffer of the file's size; a file that grew since
    // it was measured goes on in blocks, which only then are copied.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t filled = 0;
    std::uint8_t more[64 * 1024];
    for (;;) {
        const bool full = filled == bytes.size();
        ssize_t count = full ? ::read(fd, more, sizeof more) : ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            int error = errno;
            ::close(fd);
            return failure(FileManager::ReadFailed, error);
        }
        if (count == 0)
            break;
        if (full)
            bytes.insert(bytes.end(), more, more + count);
        filled += static_cast<std::size_t>(count);
    }
    // A file that shrank since it was measured ends where its bytes did.
    bytes.resize(filled);
    ::close(fd);
    return Data(std::move(bytes));
}

Status Data::writeToFile(const std::string& path) const
{
    return FileManager::writeAtomically(path, span());
}

std::string_view Data::stringView() const
{
    return {reinterpret_cast<const char*>(m_bytes.data()), m_bytes.size()};
}

void Data::append(std::span<const std::uint8_t> bytes)
{
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

void Data::append(std::string_view bytes)
{
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

} // namespace folio
