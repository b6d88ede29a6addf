#include "export/StagingFolder.h"

#include "platform/foundation/AppFolders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace folio {

Result<StagingFolder> StagingFolder::make(std::string_view prefix)
{
    std::string pattern = AppFolders::temporaryFolder() + "/" + std::string(prefix) + "-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return Error{kErrorDomain, NotMade,
                     "Cannot make a folder for the export in " + AppFolders::temporaryFolder() + ": "
                         + std::strerror(errno)};
    return StagingFolder(std::move(pattern));
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
