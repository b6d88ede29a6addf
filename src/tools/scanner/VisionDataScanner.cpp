#include "tools/scanner/VisionDataScanner.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UUID.h"
#include "platform/services/CameraCapture.h"
#include "platform/services/TextRecognizer.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/PicturePicker.h"
#include "tools/ToolsText.h"
#include "tools/scanner/ScannedTextListController.h"

#include <filesystem>

namespace folio {

VisionDataScanner::VisionDataScanner(Host host)
    : m_host(std::move(host)), m_self(std::make_shared<VisionDataScanner*>(this))
{
    std::weak_ptr<VisionDataScanner*> weak = m_self;
    m_controller = std::make_shared<ScannedTextListController>([weak](std::size_t row) {
        if (auto self = weak.lock())
            (*self)->didTapItem(row);
    });
}

VisionDataScanner::~VisionDataScanner() = default;

bool VisionDataScanner::scannerAvailable() const
{
    return TextRecognizer::isAvailable();
}

std::shared_ptr<ScannedTextListController> VisionDataScanner::getDataScannerVC()
{
    std::weak_ptr<VisionDataScanner*> weak = m_self;
    auto done = BarButtonItem::withTitle(localized("Done"), [weak](BarButtonItem&) {
        if (auto self = weak.lock())
            (*self)->didTapDoneButton();
    });
    done->setStyle(BarButtonItemStyle::Done);
    m_controller->navigationItem()->setRightBarButtonItems({done});
    // NOTE: scanning starts when the host hands the screen out, not here: on
    // a computer without a camera it opens a picture chooser, which must not
    // pop up when the host is merely made.
    return m_controller;
}

void VisionDataScanner::startScanning()
{
    if (m_scanning)
        return;
    m_scanning = true;
    m_controller->setLines({});
    m_controller->setStatus(localized("Choose a picture with text"));
    // On the next turn: the editor presents the scanner's screen first, and
    // the picture chooser opens over it.
    std::weak_ptr<VisionDataScanner*> weak = m_self;
    RunLoop::main().post([weak] {
        if (auto self = weak.lock(); self && (*self)->m_scanning)
            (*self)->takePicture();
    });
}

void VisionDataScanner::takePicture()
{
    if (CameraCapture::isCameraAvailable()) {
        std::string path = (std::filesystem::path(AppFolders::temporaryFolder()) / ("scan-" + makeUUIDString() + ".png")).string();
        if (Status captured = CameraCapture::captureFrame(path); captured) {
            scanPictureFile(path);
            return;
        } else {
            TELog(TELogLevelWarning, "No camera picture to scan: " + captured.error().message);
        }
    }
    PicturePicker* picker = PicturePicker::shared();
    if (!picker)
        return;
    std::weak_ptr<VisionDataScanner*> weak = m_self;
    picker->pickPicture(localized("Scan Text"), [weak](std::optional<std::string> path) {
        auto self = weak.lock();
        if (!self || !(*self)->m_scanning)
            return;
        if (path)
            (*self)->scanPictureFile(*path);
        else
            (*self)->m_controller->setStatus(localized("No picture chosen"));
    });
}

void VisionDataScanner::scanPictureFile(const std::string& path)
{
    m_recognizing = true;
    m_controller->setStatus(localized("Looking for text..."));
    std::weak_ptr<VisionDataScanner*> weak = m_self;
    // Recognition takes a second or more: the window stays live meanwhile.
    DispatchQueue::global(DispatchQueue::Priority::High).async([weak, path] {
        Result<std::vector<std::u16string>> lines = TextRecognizer::recognizeLines(path);
        std::optional<std::vector<std::u16string>> found;
        std::string error;
        if (lines)
            found = std::move(*lines);
        else
            error = lines.error().message;
        dispatchAsyncMain([weak, found = std::move(found), error] {
            if (auto self = weak.lock())
                (*self)->recognized(found, error);
        });
    });
}

void VisionDataScanner::recognized(std::optional<std::vector<std::u16string>> lines, std::string error)
{
    m_recognizing = false;
    if (!lines) {
        TELog(TELogLevelWarning, "The picture could not be scanned: " + error);
        m_controller->setLines({});
        m_controller->setStatus(localized("No text found"));
        return;
    }
    m_controller->setStatus(lines->empty() ? localized("No text found") : localized("Tap a line to copy it"));
    m_controller->setLines(std::move(*lines));
}

void VisionDataScanner::didTapItem(std::size_t row)
{
    const std::vector<std::u16string>& lines = m_controller->lines();
    if (row >= lines.size() || !m_host.copyScannedTextIntoView)
        return;
    m_host.copyScannedTextIntoView(lines[row] + u"\n\n");
}

void VisionDataScanner::stopScanning()
{
    m_scanning = false;
}

void VisionDataScanner::didTapDoneButton()
{
    stopScanning();
    std::function<void()> dismissed = m_host.scannerDismissed;
    m_controller->dismissViewControllerAnimated(true, [dismissed] {
        if (dismissed)
            dismissed();
    });
}

} // namespace folio
