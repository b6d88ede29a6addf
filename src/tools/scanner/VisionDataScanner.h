#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class ScannedTextListController;

// The scanner itself: takes a picture (a frame of the camera when the
// computer has one, else a picture file the user picks), recognises its
// lines of text on a worker and offers them; a tapped line is reported with
// two line feeds after it.
class VisionDataScanner {
public:
    struct Host {
        std::function<void(const std::u16string& text)> copyScannedTextIntoView{};
        std::function<void()> scannerDismissed{};
    };

    explicit VisionDataScanner(Host host);
    ~VisionDataScanner();
    VisionDataScanner(const VisionDataScanner&) = delete;
    VisionDataScanner& operator=(const VisionDataScanner&) = delete;

    // Text recognition for English is installed.
    bool scannerAvailable() const;
    // The screen, with its Done item.
    std::shared_ptr<ScannedTextListController> getDataScannerVC();
    // Asks for a picture unless one is being scanned already.
    void startScanning();
    void stopScanning();
    bool isScanning() const { return m_scanning; }
    bool isRecognizing() const { return m_recognizing; }
    void didTapDoneButton();

    // Recognises the lines of a picture file and offers them.
    void scanPictureFile(const std::string& path);
    // A tap on an offered line.
    void didTapItem(std::size_t row);

private:
    void takePicture();
    void recognized(std::optional<std::vector<std::u16string>> lines, std::string error);

    Host m_host;
    std::shared_ptr<ScannedTextListController> m_controller;
    bool m_scanning = false;
    bool m_recognizing = false;
    std::shared_ptr<VisionDataScanner*> m_self;
};

} // namespace folio
