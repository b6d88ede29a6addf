#pragma once

#include "platform/foundation/Error.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

// Whether the program may use the computer's camera, and one still picture
// from it. The desktop asks the user nothing: a camera device the program
// may open is allowed, one it may not open (the user is not in the device's
// group) is refused, and without a device there is no camera. Tests install
// their own answers.
class CameraAccess {
public:
    enum class Authorization { NotDetermined, Restricted, Denied, Authorized };

    virtual ~CameraAccess() = default;
    virtual bool isCameraAvailable() const = 0;
    virtual Authorization authorizationStatus() const = 0;
    // Asks for access where the system would ask; the completion runs once.
    virtual void requestAccess(std::function<void(bool granted)> completion) = 0;
    // One picture from the camera, written as a PNG file.
    virtual Status capturePhoto(const std::string& pngPath) = 0;

    // The desktop's camera unless something else was installed.
    static CameraAccess& shared();
    // Null restores the desktop's camera.
    static void setShared(std::shared_ptr<CameraAccess> access);
};

} // namespace folio
