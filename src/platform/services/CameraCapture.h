#pragma once

#include "platform/foundation/Error.h"

#include <string>

namespace folio {

// One still frame from the computer's camera (Video4Linux through
// GStreamer), for the text scanner.
class CameraCapture {
public:
    CameraCapture() = delete;

    static constexpr double kCaptureTimeoutSeconds = 5.0;

    // A video device exists and GStreamer can read it.
    static bool isCameraAvailable();
    // Writes one frame as a PNG file; waits at most kCaptureTimeoutSeconds.
    static Status captureFrame(const std::string& pngPath);
};

} // namespace folio
