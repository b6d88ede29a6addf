#pragma once

#include "delivery/CloudService.h"
#include "delivery/ExportServices.h"
#include "platform/foundation/Error.h"

#include <functional>
#include <string>

namespace folio {

// What a PNG picture of a document is for, once it is made.
enum class PNGAction : int {
    None = -1,
    Mail = 0,
    SendToApp = 1,
    SaveToPictures = 2,
    Dropbox = 8,
    GoogleDrive = 9,
    iCloudDrive = 21,
    WebDAV = 23,
};

// What the application does with a picture once the exporter has made it:
// one dispatch on the action to the mail, storage and sharing services.
class PNGResultActions final {
public:
    static constexpr const char* kPNGTypeIdentifier = "public.png";
    static constexpr const char* kCloudExportType = "png";

    struct Hooks {
        // Takes the progress overlay away.
        std::function<void()> dismissProgress;
        std::function<void(const std::u16string&)> showSuccess;
        // Tells the browser that its export task ended without a picture.
        std::function<void()> cancelDocumentToPNGtask;
        // Shows why a service refused the picture.
        std::function<void(const Error&)> presentError;
        // Tells the person where a hand-off left the picture.
        HandOffTeller tell;
    };

    PNGResultActions(ExportServices services, Hooks hooks);

    // The exporter's outcome for the document named `documentFileName`:
    // the picture handed to the action's service, or why there is none.
    // `tooTall` tells a refusal for the document's height.
    Result<std::string> pictureFinished(PNGAction action, Result<std::string> picturePath,
                                        const std::string& documentFileName, bool tooTall = false);

    // The dispatch itself; actions without a service answer success.
    // `kept` becomes the path of the copy an action keeps for the user (the
    // picture saved among the user's pictures), when there is one.
    Status performAction(PNGAction action, const std::string& picturePath, const std::string& documentFileName,
                         std::string& kept);

private:
    void call(const std::function<void()>& hook) const;

    ExportServices m_services;
    Hooks m_hooks;
};

} // namespace folio
