#include "tools/scanner/VisionDataScannerViewController.h"

#include "tools/scanner/ScannedTextListController.h"
#include "tools/scanner/VisionDataScanner.h"

#include <mutex>

namespace folio {

std::shared_ptr<VisionDataScannerViewController> VisionDataScannerViewController::sharedInstance()
{
    static std::mutex lock;
    static std::shared_ptr<VisionDataScannerViewController> shared;
    std::lock_guard<std::mutex> guard(lock);
    if (!shared)
        shared = std::make_shared<VisionDataScannerViewController>();
    return shared;
}

VisionDataScannerViewController::VisionDataScannerViewController()
{
    // The scanner reports to the shared host, not to this object, so that a
    // host made for a test alone still hears its own scanner.
    m_scanner = std::make_unique<VisionDataScanner>(VisionDataScanner::Host{
        .copyScannedTextIntoView = [this](const std::u16string& text) { copyScannedTextIntoView(text); },
        .scannerDismissed = [this] { visionKitDataScannerDismissedViewController(); }});
    if (m_scanner->scannerAvailable())
        m_scannerController = m_scanner->getDataScannerVC();
}

VisionDataScannerViewController::~VisionDataScannerViewController() = default;

bool VisionDataScannerViewController::isScannerAvalaible() const
{
    return m_scanner && m_scanner->scannerAvailable();
}

std::shared_ptr<ScannedTextListController> VisionDataScannerViewController::visionDataScannerVCSwift()
{
    if (!m_scannerController)
        return nullptr;
    m_scanner->startScanning();
    return m_scannerController;
}

void VisionDataScannerViewController::startScanning()
{
    if (m_scannerController)
        m_scanner->startScanning();
}

void VisionDataScannerViewController::dismissScannerViewController()
{
    if (m_scanner)
        m_scanner->stopScanning();
}

void VisionDataScannerViewController::copyScannedTextIntoView(const std::u16string& text)
{
    if (auto receiver = delegate())
        receiver->visionKitDataScannerDidRecognizeText(text);
}

void VisionDataScannerViewController::visionKitDataScannerDismissedViewController()
{
    if (auto receiver = delegate())
        receiver->visionKitDataScannerDismissedViewController();
}

void VisionDataScannerViewController::validateCameraPermissions(const std::function<void()>& block)
{
    if (block)
        block();
}

} // namespace folio
