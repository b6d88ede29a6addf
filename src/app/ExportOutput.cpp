#include "app/ExportOutput.h"

#include "platform/foundation/Data.h"
#include "platform/foundation/FileManager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace folio {

namespace {

Error refused(const std::string& path, const std::string& reason)
{
    return Error{ExportOutput::kErrorDomain, ExportOutput::Refused, "cannot write " + path + ": " + reason};
}

} // namespace

Result<ExportOutput> ExportOutput::forPath(const std::string& path)
{
    bool stream = path == "-";
    struct stat status {};
    if (!stream && ::stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return refused(path, "it is a folder");
        if (S_ISSOCK(status.st_mode) || S_ISBLK(status.st_mode))
            return refused(path, "it is not a file, a pipe or a terminal");
        // Root may replace a file nobody may write; the command does not.
        if (S_ISREG(status.st_mode) && (status.st_mode & 0222) == 0)
            return refused(path, "it is read-only");
        stream = S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode);
    }
    if (!stream) {
        // Told before anything is exported, naming the file asked for
        // rather than one the export would have made beside it.
        std::filesystem::path folder = std::filesystem::path(path).parent_path();
        std::string folderPath = folder.empty() ? std::string(".") : folder.string();
        if (!FileManager::isDirectory(folderPath))
            return refused(path, "its folder does not exist");
        if (!FileManager::isWritableFolder(folderPath))
            return refused(path, "its folder is read-only");
        return ExportOutput(path, std::nullopt, std::nullopt);
    }
    Result<StagingFolder> staging = StagingFolder::make("output");
    if (!staging)
        return staging.error();
    std::string exportPath = staging->path("export");
    return ExportOutput(exportPath, path, std::move(*staging));
}

Status ExportOutput::finish() const
{
    if (!m_stream)
        return Status::success();
    Result<Data> bytes = Data::dataWithContentsOfFile(m_exportPath);
    if (!bytes)
        return bytes.error();
    int fd = *m_stream == "-" ? STDOUT_FILENO : ::open(m_stream->c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return Error{kErrorDomain, WriteFailed, "cannot write " + *m_stream + ": " + std::strerror(errno)};
    bool written = FileManager::writeAll(fd, bytes->span());
    int error = errno;
    if (fd != STDOUT_FILENO)
        ::close(fd);
    if (!written)
        return Error{kErrorDomain, WriteFailed, "cannot write " + *m_stream + ": " + std::strerror(error)};
    return Status::success();
}

} // namespace folio
