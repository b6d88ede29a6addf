#include "export/StagingFolder.h"

#include "platform/foundation/AppFolders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>

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

namespace {

bool isLowerLetter(char c) { return c >= 'a' && c <= 'z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetterOrDigit(char c) { return isLowerLetter(c) || (c >= 'A' && c <= 'Z') || isDigit(c); }

// The process that made a folder named as `make` names them
// ("epub-1234-Ab12Cd"), or nothing for any other name. Every command runs
// this at its start, so it is read by hand rather than by a regular
// expression, whose compilation costs more than the whole check.
std::optional<long> stagingFolderOwner(std::string_view name)
{
    std::size_t prefixEnd = name.find('-');
    if (prefixEnd == 0 || prefixEnd == std::string_view::npos
        || !std::all_of(name.begin(), name.begin() + prefixEnd, isLowerLetter))
        return std::nullopt;
    std::string_view rest = name.substr(prefixEnd + 1);
    std::size_t pidEnd = rest.find('-');
    if (pidEnd == 0 || pidEnd == std::string_view::npos || !std::all_of(rest.begin(), rest.begin() + pidEnd, isDigit))
        return std::nullopt;
    std::string_view suffix = rest.substr(pidEnd + 1);
    if (suffix.size() != 6 || !std::all_of(suffix.begin(), suffix.end(), isLetterOrDigit))
        return std::nullopt;
    long pid = 0;
    if (std::from_chars(rest.data(), rest.data() + pidEnd, pid).ec != std::errc())
        return std::nullopt;
    return pid;
}

} // namespace

std::size_t StagingFolder::removeAbandoned()
{
    std::size_t removed = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(AppFolders::temporaryFolder(), error)) {
        std::error_code entryError;
        if (!entry.is_directory(entryError) || entry.is_symlink(entryError))
            continue;
        std::optional<long> pid = stagingFolderOwner(entry.path().filename().string());
        if (!pid)
            continue;
        bool running = *pid > 0 && (::kill(static_cast<pid_t>(*pid), 0) == 0 || errno == EPERM);
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
