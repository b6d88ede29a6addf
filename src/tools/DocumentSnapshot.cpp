#include "tools/DocumentSnapshot.h"

#include "platform/docframework/DKDocument.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/ProgressHUD.h"

namespace folio {

void takeDocumentSnapshot(const DKDocument* document)
{
    DKDocumentAppController* app = DKDocumentAppController::controller();
    if (!app || !document) {
        ProgressHUD::showErrorWithStatus(toUtf16(Localization::localizedString("No document to take a snapshot of", "")));
        return;
    }
    app->takeSnapshotFromURL(document->fileURL(), [](Result<std::string> picture) {
        // The mark says where the picture went, not only that it went.
        if (picture)
            ProgressHUD::showSuccessWithStatus(
                toUtf16(Localization::localizedString("Snapshot saved as", "") + "\n" + *picture));
        else
            ProgressHUD::showErrorWithStatus(toUtf16(picture.error().message));
    });
}

} // namespace folio
