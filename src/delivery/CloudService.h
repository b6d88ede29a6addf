#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/ZipArchive.h"

#include <functional>
#include <string>
#include <string_view>

namespace folio {

enum class CloudDestination { Dropbox, GoogleDrive, iCloudDrive, WebDAV };

// The folder name each destination is known by.
std::string_view cloudDestinationName(CloudDestination destination);

// What the person is told once a file is kept for a storage service: no
// program here uploads it, so they learn where it lies.
struct CloudHandOffNotice {
    std::u16string title;
    std::string message;
};
CloudHandOffNotice cloudHandOffNotice(CloudDestination destination, const std::string& keptAt);

// Sends an exported file to a storage service.
class CloudService {
public:
    virtual ~CloudService() = default;
    // `exportType` is what the service files it as ("com.adobe.pdf", "png").
    // Answers where the file is kept until the service has taken it.
    virtual Result<std::string> sendFileWrapper(const DKZipArchive::FileWrapper& file, CloudDestination destination,
                                   const std::string& exportType) = 0;
};

// Hands the file to the service and, when it took it, tells the person
// through `tell` (when given) where it is kept.
using HandOffTeller = std::function<void(const std::u16string& title, const std::string& message)>;
Status sendToCloudAndTell(CloudService& cloud, const DKZipArchive::FileWrapper& file, CloudDestination destination,
                          const std::string& exportType, const HandOffTeller& tell);

} // namespace folio
