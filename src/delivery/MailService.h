#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/ZipArchive.h"

#include <string>

namespace folio {

// Hands an exported file to the user's mail program as an attachment.
class MailService {
public:
    virtual ~MailService() = default;
    // `exportType` is the type identifier of the attachment ("com.adobe.pdf", "public.png").
    virtual Status sendEmailWithFileWrapper(const DKZipArchive::FileWrapper& file, const std::string& exportType) = 0;
};

} // namespace folio
