#include "platform/services/CameraAccess.h"

#include "platform/services/CameraCapture.h"

#include <filesystem>
#include <unistd.h>

namespace folio {

namespace {

// The video devices the system shows, and whether this program may open them.
class DesktopCameraAccess : public CameraAccess {
public:
    bool isCameraAvailable() const override { return CameraCapture::isCameraAvailable(); }

    Authorization authorizationStatus() const override
    {
        bool anyDevice = false;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
            std::string name = entry.path().filename().string();
            if (name.rfind("video", 0) != 0)
                continue;
            anyDevice = true;
            if (::access(entry.path().c_str(), R_OK | W_OK) == 0)
                return Authorization::Authorized;
        }
        // Without a device nothing is refused; the camera is simply not there.
        return anyDevice ? Authorization::Denied : Authorization::Authorized;
    }

    void requestAccess(std::function<void(bool)> completion) override
    {
        if (completion)
            completion(authorizationStatus() == Authorization::Authorized);
    }

    Status capturePhoto(const std::string& pngPath) override { return CameraCapture::captureFrame(pngPath); }
};

std::shared_ptr<CameraAccess>& installed()
{
    static std::shared_ptr<CameraAccess> access;
    return access;
}

} // namespace

CameraAccess& CameraAccess::shared()
{
    static DesktopCameraAccess desktop;
    return installed() ? *installed() : desktop;
}

void CameraAccess::setShared(std::shared_ptr<CameraAccess> access) { installed() = std::move(access); }

} // namespace folio
