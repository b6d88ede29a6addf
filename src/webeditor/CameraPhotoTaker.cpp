#include "webeditor/CameraPhotoTaker.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UUID.h"
#include "platform/foundation/Unicode.h"
#include "platform/services/CameraAccess.h"
#include "platform/ui/AlertController.h"

#include <filesystem>

namespace folio {

namespace {

std::u16string localized(const char* key) { return toUtf16(Localization::localizedString(key)); }

} // namespace

void CameraPhotoTaker::present(std::shared_ptr<AlertController> alert)
{
    if (m_host.presentAlert)
        m_host.presentAlert(std::move(alert));
}

void CameraPhotoTaker::validatePhotosPermissions(std::function<void()> block)
{
    CameraAccess& camera = CameraAccess::shared();
    switch (camera.authorizationStatus()) {
    case CameraAccess::Authorization::NotDetermined: {
        std::weak_ptr<bool> alive = m_alive;
        camera.requestAccess([this, alive, block](bool granted) {
            if (alive.expired())
                return;
            if (!granted)
                showPhotosPermissionSettingsMessage();
            else if (block)
                block();
        });
        return;
    }
    case CameraAccess::Authorization::Authorized:
        if (block)
            block();
        return;
    case CameraAccess::Authorization::Restricted:
    case CameraAccess::Authorization::Denied:
        showPhotosPermissionSettingsMessage();
        return;
    }
}

void CameraPhotoTaker::showPhotosPermissionSettingsMessage()
{
    auto alert = AlertController::make(localized("NSCameraUsageDescription"),
                                       localized("To give permissions tap on 'Change Settings' button"));
    // NOTE: the desktop has no settings page for the camera; the device's
    // group decides, so the button only closes the alert.
    alert->addAction(AlertAction::make(localized("Change Settings"), AlertActionStyle::Default));
    alert->addAction(AlertAction::make(localized("Cancel"), AlertActionStyle::Cancel));
    present(alert);
}

Status CameraPhotoTaker::takePhoto()
{
    CameraAccess& camera = CameraAccess::shared();
    if (!camera.isCameraAvailable()) {
        auto alert = AlertController::make(u"", localized("Do you have camera?"));
        alert->addAction(AlertAction::make(localized("Failed to load the camera."), AlertActionStyle::Default));
        present(alert);
        return Error{"CameraPhotoTaker", 1, "No camera"};
    }
    std::string path = (std::filesystem::path(AppFolders::temporaryFolder()) / ("camera-" + makeUUIDString() + ".png")).string();
    Status taken = camera.capturePhoto(path);
    Status inserted = taken;
    if (taken && m_host.insertPictureFile)
        inserted = m_host.insertPictureFile(path);
    else if (taken)
        inserted = Error{"CameraPhotoTaker", 2, "Nowhere to insert the picture"};
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    if (!inserted)
        TELog(TELogLevelWarning, "No picture from the camera: " + inserted.error().message);
    return inserted;
}

void CameraPhotoTaker::takeAndInsertPhoto()
{
    validatePhotosPermissions([this] { (void)takePhoto(); });
}

} // namespace folio
