#pragma once

#include "delivery/CloudService.h"
#include "delivery/ExportServices.h"
#include "delivery/MailService.h"
#include "delivery/PrintService.h"
#include "delivery/ShareService.h"
#include "export/ExportNaming.h"

#include <functional>
#include <string>
#include <vector>

namespace folio {

// The hand-offs on a Linux desktop. Files for mail and for each storage
// service are written into a folder of their own under the outbox (the
// service's sync client, or the user, takes them from there); mail also opens
// the mail program with the file attached; previews and "send to another
// application" open the file with the desktop's handler; printing goes to the
// default printer; pictures go into the user's pictures folder. A file never
// replaces another: a taken name gets a number.
class LinuxExportServices final : public MailService, public CloudService, public PrintService, public ShareService {
public:
    static constexpr const char* kErrorDomain = "LinuxExportServices";
    enum ErrorCode { BadName = 1, LaunchFailed = 2, WriteFailed = 3, NoMailProgram = 4 };

    // Starts a program without waiting for it; the first word is looked up in PATH.
    using Launcher = std::function<Status(const std::vector<std::string>& arguments)>;

    struct Folders {
        std::string outbox;
        std::string documents;
        std::string pictures;
    };
    // Under $FOLIO_HOME when set, else the user's XDG folders.
    static Folders defaultFolders();
    static Status launchDetached(const std::vector<std::string>& arguments);
    // Files in the folders the Dropbox and iCloud Drive hand-offs fill (and
    // their sync clients keep) lie in those services' scopes; every other
    // file is local.
    static ExportNaming::Scope scopeOfFile(const std::string& path, const Folders& folders = defaultFolders());

    // Whether the desktop names a program for mail links.
    using MailProgramCheck = std::function<bool()>;
    static bool desktopHasMailProgram();

    explicit LinuxExportServices(Folders folders = defaultFolders(), Launcher launcher = &launchDetached,
                                 MailProgramCheck mailProgramIsSetUp = &desktopHasMailProgram);

    ExportServices services() { return ExportServices{this, this, this, this}; }
    const Folders& folders() const { return m_folders; }

    Status sendEmailWithFileWrapper(const DKZipArchive::FileWrapper& file, const std::string& exportType) override;
    Result<std::string> sendFileWrapper(const DKZipArchive::FileWrapper& file, CloudDestination destination,
                                        const std::string& exportType) override;
    Status printPDFDocumentFromURL(const std::string& path, const std::string& printName) override;
    Status presentPDFPreview(const std::string& path, const std::string& name) override;
    Status sendPDFDocumenttoApp(const DKZipArchive::FileWrapper& file) override;
    Status sendJPEGDocumenttoApp(const DKZipArchive::FileWrapper& file) override;
    Status sendDocumenttoApp(const DKZipArchive::FileWrapper& file) override;
    Status insertNewItemWithFilePath(const std::string& path) override;
    Result<std::string> savePicture(const DKZipArchive::FileWrapper& picture) override;

    // Writes the wrapper's contents into the folder under its name, or under
    // "name 2", "name 3"... when taken; answers the path written.
    static Result<std::string> writeUniquely(const std::string& folder, const DKZipArchive::FileWrapper& file);

private:
    Result<std::string> writeAndOpen(const std::string& folder, const DKZipArchive::FileWrapper& file);

    Folders m_folders;
    Launcher m_launcher;
    MailProgramCheck m_mailProgramIsSetUp;
};

} // namespace folio
