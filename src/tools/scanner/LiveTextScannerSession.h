#pragma once

#include "tools/scanner/VisionDataScannerViewControllerDelegate.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class AlertController;
class Pasteboard;
class ViewController;

// An editor's side of the text scanner, the same for every web-view editor:
// it opens the shared scanner as a sheet, gathers the lines the user taps
// and, when the scanner closes, hands all of them to the editor at once, at
// the caret the editor saved before the scanner opened.
class LiveTextScannerSession final : public VisionDataScannerViewControllerDelegate,
                                     public std::enable_shared_from_this<LiveTextScannerSession> {
public:
    struct Host {
        // Presents from the document's view controller.
        std::function<void(std::shared_ptr<ViewController>)> present{};
        // Keeps the caret of the page and ends editing.
        std::function<void()> saveCaretSelection{};
        // Puts the caret back and inserts the text as typed text.
        std::function<void(const std::u16string& text)> insertScannedText{};
    };

    static std::shared_ptr<LiveTextScannerSession> make(Pasteboard& pasteboard, Host host);

    // Opens the scanner, or says it is not supported.
    void insertTextFromLiveTextScanner();

    void visionKitDataScannerDidRecognizeText(const std::u16string& text) override;
    void visionKitDataScannerDismissedViewController() override;

    void infoLiveTextAction();
    void copyLiveTextAction();
    void clearLiveTextAction();

    // What was gathered since the scanner opened; none while it is closed.
    const std::optional<std::u16string>& scannedLiveTextBuffer() const { return m_buffer; }

    static std::shared_ptr<AlertController> notSupportedAlert();

private:
    LiveTextScannerSession(Pasteboard& pasteboard, Host host) : m_pasteboard(pasteboard), m_host(std::move(host)) {}

    Pasteboard& m_pasteboard;
    Host m_host;
    std::optional<std::u16string> m_buffer;
    std::weak_ptr<ViewController> m_scannerScreen;
};

} // namespace folio
