#include "delivery/CloudService.h"

namespace folio {

std::string_view cloudDestinationName(CloudDestination destination)
{
    switch (destination) {
    case CloudDestination::Dropbox:
        return "Dropbox";
    case CloudDestination::GoogleDrive:
        return "Google Drive";
    case CloudDestination::iCloudDrive:
        return "iCloud Drive";
    case CloudDestination::WebDAV:
        return "WebDAV";
    }
    return "Cloud";
}

CloudHandOffNotice cloudHandOffNotice(CloudDestination destination, const std::string& keptAt)
{
    const std::string name(cloudDestinationName(destination));
    std::u16string title = u"Kept for ";
    for (char c : name)
        title += char16_t(static_cast<unsigned char>(c));
    return {title, "Nothing on this computer uploads files to " + name + ". The file is kept at " + keptAt
                       + " for you to upload."};
}

Status sendToCloudAndTell(CloudService& cloud, const DKZipArchive::FileWrapper& file, CloudDestination destination,
                          const std::string& exportType, const HandOffTeller& tell)
{
    Result<std::string> kept = cloud.sendFileWrapper(file, destination, exportType);
    if (!kept)
        return kept.error();
    if (tell) {
        CloudHandOffNotice notice = cloudHandOffNotice(destination, *kept);
        tell(notice.title, notice.message);
    }
    return Status::success();
}

} // namespace folio
