#pragma once

#include "platform/foundation/Error.h"

#include <string>

namespace folio {

// One still frame from a Video4Linux camera through GStreamer
// (CameraCapture's engine).
class GStreamerCameraCapture {
public:
    GStreamerCameraCapture() = delete;

    static bool isCameraAvailable();
    static Status captureFrame(const std::string& pngPath, double timeoutSeconds);
};

} // namespace folio
