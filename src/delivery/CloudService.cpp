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

} // namespace folio
