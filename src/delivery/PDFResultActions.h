#pragma once

#include "delivery/CloudService.h"
#include "delivery/ExportServices.h"
#include "export/PDFAction.h"
#include "platform/foundation/Error.h"

#include <functional>
#include <string>

namespace folio {

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
        // Tells the person where a hand-off left the file.
        HandOffTeller tell;
    };

    PDFResultActions(ExportServices services, Hooks hooks);

    // The converter finished the file at `path`, asked for with `action`.
    void conversionSucceeded(PDFAction action, const std::string& path, const std::string& name);
    void conversionFailed();

    // The dispatch itself, for the finished file at `path` shown as `name`.
    // Answers what the service answered; actions without a service, and the
    // codes that do nothing, answer success.
    Status performAction(PDFAction action, const std::string& path, const std::string& name);

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
