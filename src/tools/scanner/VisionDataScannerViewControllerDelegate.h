#pragma once

#include <string>

namespace folio {

// What an editor hears from the text scanner.
class VisionDataScannerViewControllerDelegate {
public:
    virtual ~VisionDataScannerViewControllerDelegate() = default;
    // One tapped line of recognised text, followed by two line feeds.
    virtual void visionKitDataScannerDidRecognizeText(const std::u16string& text) = 0;
    // The user closed the scanner.
    virtual void visionKitDataScannerDismissedViewController() = 0;
};

} // namespace folio
