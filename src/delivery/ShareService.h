#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/ZipArchive.h"

#include <string>

namespace folio {

// What the document browser does with an exported file besides mail, cloud
// and print: open it, pass it to another application, list it, keep a picture.
class ShareService {
public:
    virtual ~ShareService() = default;
    // Shows a PDF in a reader, as a preview of the export.
    virtual Status presentPDFPreview(const std::string& path, const std::string& name) = 0;
    virtual Status sendPDFDocumenttoApp(const DKZipArchive::FileWrapper& file) = 0;
    virtual Status sendJPEGDocumenttoApp(const DKZipArchive::FileWrapper& file) = 0;
    // Any other exported file (HTML, text, ePub, RTFD) to the program the desktop opens it with.
    virtual Status sendDocumenttoApp(const DKZipArchive::FileWrapper& file) = 0;
    // Adds the file to the folder the document browser lists.
    virtual Status insertNewItemWithFilePath(const std::string& path) = 0;
    // Keeps a picture where the user's pictures are (the photo library of
    // other systems); answers the path it was saved at.
    virtual Result<std::string> savePicture(const DKZipArchive::FileWrapper& picture) = 0;
};

} // namespace folio
