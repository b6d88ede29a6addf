#include "platform/services/CameraCapture.h"

#include "platform/services/MediaServices.h"

namespace folio {

bool CameraCapture::isCameraAvailable()
{
    return MediaServices::shared().isCameraAvailable();
}

Status CameraCapture::captureFrame(const std::string& pngPath)
{
    return MediaServices::shared().captureCameraFrame(pngPath, kCaptureTimeoutSeconds);
}

} // namespace folio
