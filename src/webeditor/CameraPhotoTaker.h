#pragma once

#include "platform/foundation/Error.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class AlertController;

// "Take & Insert Photo" of the web editors: camera access is checked first
// (a refusal ends in an alert that says how to allow it), then one picture
// from the camera is inserted as a chosen picture file is; without a camera
// the user is told so and nothing is inserted.
class CameraPhotoTaker {
public:
    struct Host {
        std::function<void(std::shared_ptr<AlertController>)> presentAlert{};
        // Inserts the picture file the camera wrote.
        std::function<Status(const std::string& path)> insertPictureFile{};
    };

    explicit CameraPhotoTaker(Host host) : m_host(std::move(host)) {}

    // Runs `block` once the camera may be used; otherwise the settings alert.
    void validatePhotosPermissions(std::function<void()> block);
    void showPhotosPermissionSettingsMessage();
    // Takes a picture and inserts it; the no-camera alert without a camera.
    Status takePhoto();
    // Both steps, as the insertion menu's camera row does.
    void takeAndInsertPhoto();

private:
    void present(std::shared_ptr<AlertController> alert);

    Host m_host;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace folio
