#pragma once

#include "platform/ui/ViewController.h"
#include "tools/scanner/VisionDataScannerViewControllerDelegate.h"

#include <functional>
#include <memory>

namespace folio {

class ScannedTextListController;
class VisionDataScanner;

// The one text-scanner host of the process, which the editors talk to: it
// owns the scanner and passes what the scanner reports to the editor that
// made itself the delegate last.
class VisionDataScannerViewController final : public ViewController {
public:
    static std::shared_ptr<VisionDataScannerViewController> sharedInstance();

    void setDelegate(std::weak_ptr<VisionDataScannerViewControllerDelegate> delegate) { m_delegate = std::move(delegate); }
    std::shared_ptr<VisionDataScannerViewControllerDelegate> delegate() const { return m_delegate.lock(); }

    bool isScannerAvalaible() const;
    // The scanner's screen, scanning; none when the scanner is not available.
    std::shared_ptr<ScannedTextListController> visionDataScannerVCSwift();
    void startScanning();
    void dismissScannerViewController();
    VisionDataScanner* scanner() const { return m_scanner.get(); }

    void copyScannedTextIntoView(const std::u16string& text);
    void visionKitDataScannerDismissedViewController();
    // The desktop asks no permission for its camera: the block runs at once.
    static void validateCameraPermissions(const std::function<void()>& block);

    VisionDataScannerViewController();
    ~VisionDataScannerViewController() override;

private:
    std::unique_ptr<VisionDataScanner> m_scanner;
    std::shared_ptr<ScannedTextListController> m_scannerController;
    std::weak_ptr<VisionDataScannerViewControllerDelegate> m_delegate;
};

} // namespace folio
