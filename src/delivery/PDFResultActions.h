#pragma once

#include "delivery/CloudService.h"
#include "delivery/ExportServices.h"
#include "platform/foundation/Error.h"

#include <functional>
#include <string>

namespace folio {

// The action codes an export gives the PDF converter; they decide what
// happens with the finished file. Codes 13 to 16 mark PDFs of ".marquent"
// files and act like 1, 3, 4 and 12.
enum PDFActionCode : int {
    PDFActionPreview = 1,
    PDFActionSendToApp = 2,
    PDFActionMail = 3,
    PDFActionPrint = 4,
    PDFActionFileWrapper = 5,
    PDFActionDropbox = 6,
    PDFActionGoogleDrive = 7,
    PDFActionNone = 10,
    PDFActionDismissProgress = 12,
    PDFActionMarquentPreview = 13,
    PDFActionMarquentMail = 14,
    PDFActionMarquentPrint = 15,
    PDFActionMarquentDismissProgress = 16,
    PDFActioniCloudDrive = 20,
    PDFActionWebDAV = 22,
    PDFActionAddToFolder = 55,
};

// What the application does with a PDF once the converter has finished it:
// one dispatch on the action code to the mail, storage, print and sharing
// services. A failed conversion only takes the progress overlay away.
class PDFResultActions final {
public:
    static constexpr const char* kPDFExportType = "com.adobe.pdf";

    struct Hooks {
        // Clears what earlier exports left in the temporary folder.
        std::function<void()> cleanTemporaryFolder;
        // Takes the progress overlay away.
        std::function<void()> dismissProgress;
        // Whether an editor is open that a preview can be shown over.
        std::function<bool()> hasOpenDocument;
    };

    PDFResultActions(ExportServices services, Hooks hooks);

    // The converter finished the file at `path`, asked for with `action`.
    void conversionSucceeded(int action, const std::string& path, const std::string& name);
    void conversionFailed();

    // The dispatch itself, for the finished file at `path` shown as `name`.
    // Answers what the service answered; actions without a service, and the
    // codes that do nothing, answer success.
    Status performAction(int action, const std::string& path, const std::string& name);

    // Set once a PDF has been opened as a preview.
    bool isDocumentPDFPreview() const { return m_isDocumentPDFPreview; }
    // The outcome of the last dispatch.
    const Status& lastStatus() const { return m_lastStatus; }

private:
    Status sendToCloud(CloudDestination destination, const std::string& path, const std::string& name);
    void dismissProgress();

    ExportServices m_services;
    Hooks m_hooks;
    bool m_isDocumentPDFPreview = false;
    Status m_lastStatus;
};

} // namespace folio
