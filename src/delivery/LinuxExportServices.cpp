#include "delivery/LinuxExportServices.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/DetachedProcess.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/ProgramOutput.h"

#include <cstdlib>
#include <filesystem>

namespace folio {

namespace {

constexpr int kMaximumNameCandidates = 10000;

Error servicesError(LinuxExportServices::ErrorCode code, std::string message)
{
    return Error{LinuxExportServices::kErrorDomain, code, std::move(message)};
}

// Names come from document names; only a plain file name may be used, so that
// a name such as "../x" cannot place a file outside the folder.
bool isPlainFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos
        && name.find('\0') == std::string::npos;
}

} // namespace

LinuxExportServices::Folders LinuxExportServices::defaultFolders()
{
    Folders folders;
    folders.documents = AppFolders::documentsFolder();
    folders.outbox = (std::filesystem::path(AppFolders::cachesFolder()) / "Outbox").string();
    folders.pictures = AppFolders::userPicturesFolder();
    return folders;
}

ExportNaming::Scope LinuxExportServices::scopeOfFile(const std::string& path, const Folders& folders)
{
    auto inside = [&](CloudDestination destination) {
        std::filesystem::path folder = std::filesystem::path(folders.outbox) / std::string(cloudDestinationName(destination));
        std::filesystem::path relative = std::filesystem::path(path).lexically_normal().lexically_relative(folder.lexically_normal());
        return !relative.empty() && *relative.begin() != "..";
    };
    if (inside(CloudDestination::Dropbox))
        return ExportNaming::Scope::Dropbox;
    if (inside(CloudDestination::iCloudDrive))
        return ExportNaming::Scope::iCloud;
    return ExportNaming::Scope::Local;
}

Status LinuxExportServices::launchDetached(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return servicesError(LaunchFailed, "Nothing to start");
    if (std::string failure = launchDetachedProcess(arguments); !failure.empty())
        return servicesError(LaunchFailed, "Cannot start " + arguments.front() + ": " + failure);
    return Status::success();
}

bool LinuxExportServices::desktopHasMailProgram()
{
    std::optional<std::string> handler = outputOfProgram({"xdg-mime", "query", "default", "x-scheme-handler/mailto"});
    return handler && handler->find_first_not_of(" \t\r\n") != std::string::npos;
}

LinuxExportServices::LinuxExportServices(Folders folders, Launcher launcher, MailProgramCheck mailProgramIsSetUp)
    : m_folders(std::move(folders))
    , m_launcher(std::move(launcher))
    , m_mailProgramIsSetUp(std::move(mailProgramIsSetUp))
{
}

Result<std::string> LinuxExportServices::writeUniquely(const std::string& folder, const DKZipArchive::FileWrapper& file)
{
    if (file.isDirectory || !isPlainFileName(file.name))
        return servicesError(BadName, "Cannot hand over \"" + file.name + "\": not a plain file name");
    if (Status created = FileManager::createDirectory(folder); !created)
        return created.error();
    std::string name = file.name;
    for (int number = 2; FileManager::fileExists(folder + "/" + name); ++number) {
        if (number > kMaximumNameCandidates)
            return servicesError(WriteFailed, "No free name for " + file.name + " in " + folder);
        name = FileManager::numberedName(file.name, number);
    }
    std::string path = folder + "/" + name;
    if (Status written = FileManager::writeAtomically(path, file.contents.span()); !written)
        return written.error();
    return path;
}

Result<std::string> LinuxExportServices::writeAndOpen(const std::string& folder, const DKZipArchive::FileWrapper& file)
{
    Result<std::string> path = writeUniquely(folder, file);
    if (!path)
        return path;
    if (Status opened = m_launcher({"xdg-open", *path}); !opened)
        return opened.error();
    return path;
}

Status LinuxExportServices::sendEmailWithFileWrapper(const DKZipArchive::FileWrapper& file, const std::string&)
{
    Result<std::string> path = writeUniquely(m_folders.outbox + "/Mail", file);
    if (!path)
        return path.error();
    // xdg-email runs on its own and says nothing when no mail program is
    // set up; the person is told here, and where the file is kept.
    if (m_mailProgramIsSetUp && !m_mailProgramIsSetUp())
        return servicesError(NoMailProgram, "No mail program is set up on this computer, so nothing was mailed. The file is kept at "
                                                + *path + ".");
    return m_launcher({"xdg-email", "--attach", *path});
}

Result<std::string> LinuxExportServices::sendFileWrapper(const DKZipArchive::FileWrapper& file,
                                                         CloudDestination destination, const std::string&)
{
    return writeUniquely(m_folders.outbox + "/" + std::string(cloudDestinationName(destination)), file);
}

Status LinuxExportServices::printPDFDocumentFromURL(const std::string& path, const std::string& printName)
{
    return m_launcher({"lp", "-t", printName, "--", path});
}

Status LinuxExportServices::presentPDFPreview(const std::string& path, const std::string&)
{
    return m_launcher({"xdg-open", path});
}

Status LinuxExportServices::sendPDFDocumenttoApp(const DKZipArchive::FileWrapper& file)
{
    return sendDocumenttoApp(file);
}

Status LinuxExportServices::sendJPEGDocumenttoApp(const DKZipArchive::FileWrapper& file)
{
    return sendDocumenttoApp(file);
}

Status LinuxExportServices::sendDocumenttoApp(const DKZipArchive::FileWrapper& file)
{
    Result<std::string> path = writeAndOpen(m_folders.outbox + "/Shared", file);
    return path ? Status::success() : Status(path.error());
}

Status LinuxExportServices::insertNewItemWithFilePath(const std::string& path)
{
    Result<DKZipArchive::FileWrapper> file = DKZipArchive::FileWrapper::fromPath(path);
    if (!file)
        return file.error();
    file->name = std::filesystem::path(path).filename().string();
    Result<std::string> written = writeUniquely(m_folders.documents, *file);
    return written ? Status::success() : Status(written.error());
}

Result<std::string> LinuxExportServices::savePicture(const DKZipArchive::FileWrapper& picture)
{
    return writeUniquely(m_folders.pictures, picture);
}

} // namespace folio
