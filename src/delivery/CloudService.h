#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/ZipArchive.h"

#include <string>
#include <string_view>

namespace folio {

enum class CloudDestination { Dropbox, GoogleDrive, iCloudDrive, WebDAV };

// The folder name each destination is known by.
std::string_view cloudDestinationName(CloudDestination destination);

// Sends an exported file to a storage service.
class CloudService {
public:
    virtual ~CloudService() = default;
    // `exportType` is what the service files it as ("com.adobe.pdf", "png").
    virtual Status sendFileWrapper(const DKZipArchive::FileWrapper& file, CloudDestination destination,
                                   const std::string& exportType) = 0;
};

} // namespace folio
