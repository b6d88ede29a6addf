#include "platform/foundation/FileBytes.h"

#include "platform/foundation/OneShotHeap.h"

#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace folio {

namespace {

// A mapped file that another program shortens while it is read makes the
// pages past its new end unreadable; the process is then told so by a
// signal that would end it without a word. It ends saying why instead.
void sayWhenAMappedFileShrinks()
{
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_handler = [](int) {
            static constexpr char kMessage[] = "folio: the file being read was changed by another program\n";
            [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
            ::_exit(1);
        };
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, nullptr) == 0;
    }();
    (void)installed;
}

} // namespace

Result<FileBytes> FileBytes::ofFile(const std::string& path)
{
    if (heapIsForOneShotTask()) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
            const auto length = static_cast<std::size_t>(info.st_size);
            sayWhenAMappedFileShrinks();
            // Populated at once: one call maps every page the system has cached.
            void* mapped = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
            ::close(fd);
            if (mapped != MAP_FAILED)
                return FileBytes(static_cast<const std::uint8_t*>(mapped), length);
        } else if (fd >= 0) {
            ::close(fd);
        }
    }
    Result<Data> data = Data::dataWithContentsOfFile(path);
    if (!data)
        return data.error();
    return FileBytes(std::move(*data));
}

FileBytes::FileBytes(FileBytes&& other) noexcept
    : m_data(std::move(other.m_data))
    , m_mapped(std::exchange(other.m_mapped, nullptr))
    , m_mappedLength(std::exchange(other.m_mappedLength, 0))
{
}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept
{
    if (this != &other) {
        unmap();
        m_data = std::move(other.m_data);
        m_mapped = std::exchange(other.m_mapped, nullptr);
        m_mappedLength = std::exchange(other.m_mappedLength, 0);
    }
    return *this;
}

FileBytes::~FileBytes() { unmap(); }

void FileBytes::unmap()
{
    if (m_mapped)
        ::munmap(const_cast<std::uint8_t*>(m_mapped), m_mappedLength);
    m_mapped = nullptr;
    m_mappedLength = 0;
}

} // namespace folio
