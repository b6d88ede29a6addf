#include "export/StagingFolder.h"

#include "platform/foundation/AppFolders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>

#include <signal.h>
#include <unistd.h>

namespace folio {

Result<StagingFolder> StagingFolder::make(std::string_view prefix)
{
    std::string pattern = AppFolders::temporaryFolder() + "/" + std::string(prefix) + "-" + std::to_string(::getpid())
        + "-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return Error{kErrorDomain, NotMade,
                     "Cannot make a folder for the export in " + AppFolders::temporaryFolder() + ": "
                         + std::strerror(errno)};
    return StagingFolder(std::move(pattern));
}

std::size_t StagingFolder::removeAbandoned()
{
    static const std::regex stagingName("[a-z]+-([0-9]+)-[A-Za-z0-9]{6}");
    std::size_t removed = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(AppFolders::temporaryFolder(), error)) {
        std::error_code entryError;
        if (!entry.is_directory(entryError) || entry.is_symlink(entryError))
            continue;
        std::string name = entry.path().filename().string();
        std::smatch match;
        if (!std::regex_match(name, match, stagingName))
            continue;
        long pid = std::strtol(match[1].str().c_str(), nullptr, 10);
        bool running = pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
        if (!running && std::filesystem::remove_all(entry.path(), entryError) > 0 && !entryError)
            ++removed;
    }
    return removed;
}

StagingFolder::StagingFolder(StagingFolder&& other) noexcept
    : m_path(std::move(other.m_path))
{
    other.m_path.clear();
}

StagingFolder& StagingFolder::operator=(StagingFolder&& other) noexcept
{
    if (this != &other) {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
        m_path = std::move(other.m_path);
        other.m_path.clear();
    }
    return *this;
}

StagingFolder::~StagingFolder()
{
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

std::string StagingFolder::name() const
{
    return std::filesystem::path(m_path).filename().string();
}

std::string StagingFolder::release()
{
    std::string path = std::move(m_path);
    m_path.clear();
    return path;
}

} // namespace folio
