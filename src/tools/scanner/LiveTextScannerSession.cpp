#include "tools/scanner/LiveTextScannerSession.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "tools/ToolsText.h"
#include "tools/scanner/ScannedTextListController.h"
#include "tools/scanner/VisionDataScannerViewController.h"

namespace folio {

namespace {

constexpr const char* kDocKitTable = "DocKitUIDocument";

std::u16string docKitText(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, "", kDocKitTable));
}

} // namespace

std::shared_ptr<LiveTextScannerSession> LiveTextScannerSession::make(Pasteboard& pasteboard, Host host)
{
    return std::shared_ptr<LiveTextScannerSession>(new LiveTextScannerSession(pasteboard, std::move(host)));
}

std::shared_ptr<AlertController> LiveTextScannerSession::notSupportedAlert()
{
    auto alert = AlertController::make(docKitText("Not Supported"),
                                       docKitText("Sorry, live text scanner is not support on this device."));
    alert->addAction(AlertAction::make(docKitText("OK"), AlertActionStyle::Default));
    return alert;
}

void LiveTextScannerSession::insertTextFromLiveTextScanner()
{
    VisionDataScannerViewController::validateCameraPermissions([this] {
        std::shared_ptr<VisionDataScannerViewController> host = VisionDataScannerViewController::sharedInstance();
        host->setDelegate(weak_from_this());
        if (!host->isScannerAvalaible()) {
            if (m_host.present)
                m_host.present(notSupportedAlert());
            return;
        }
        std::shared_ptr<ScannedTextListController> screen = host->visionDataScannerVCSwift();
        if (!screen)
            return;
        auto navigation = NavigationController::withRootViewController(screen);
        navigation->setModalPresentationStyle(ModalPresentationStyle::FormSheet);
        if (m_host.saveCaretSelection)
            m_host.saveCaretSelection();
        m_buffer = std::u16string();
        screen->setTitle(localized("Scan Text"));
        std::weak_ptr<LiveTextScannerSession> weak = weak_from_this();
        auto action = [weak](void (LiveTextScannerSession::*member)()) {
            return [weak, member](BarButtonItem&) {
                if (auto self = weak.lock())
                    ((*self).*member)();
            };
        };
        screen->navigationItem()->setLeftBarButtonItems(
            {BarButtonItem::withSymbol("info.circle", action(&LiveTextScannerSession::infoLiveTextAction)),
             BarButtonItem::withSymbol("arrow.up.doc.on.clipboard", action(&LiveTextScannerSession::copyLiveTextAction)),
             BarButtonItem::withSymbol("text.badge.xmark", action(&LiveTextScannerSession::clearLiveTextAction))});
        m_scannerScreen = screen;
        if (m_host.present)
            m_host.present(navigation);
    });
}

void LiveTextScannerSession::visionKitDataScannerDidRecognizeText(const std::u16string& text)
{
    if (!m_buffer)
        return;
    m_buffer->append(text);
    ProgressHUD::showSuccessWithStatus(localized("Copied"));
}

void LiveTextScannerSession::visionKitDataScannerDismissedViewController()
{
    std::optional<std::u16string> gathered = std::exchange(m_buffer, std::nullopt);
    if (!gathered || gathered->empty())
        return;
    if (m_host.insertScannedText)
        m_host.insertScannedText(*gathered);
}

void LiveTextScannerSession::infoLiveTextAction()
{
    auto alert = AlertController::make(
        localized("Scan Text"),
        localized("You can insert scanned text using the camera (in supported languages: English, Spanish, French, German, "
                  "Italian, Portuguese, Korean, Cantonese, Chinese, Japanese, Ukrainian). \nAfter the yellow frame appears "
                  "around detected text, tap on it to copy it. Repeat to continue adding more text."));
    alert->addAction(AlertAction::make(localized("OK"), AlertActionStyle::Default));
    std::shared_ptr<ViewController> screen = m_scannerScreen.lock();
    if (!screen)
        return;
    if (Status shown = screen->presentViewController(alert, true); !shown)
        TELog(TELogLevelWarning, "The scanner's note could not be shown: " + shown.error().message);
}

void LiveTextScannerSession::copyLiveTextAction()
{
    ProgressHUD::showSuccessWithStatus(localized("Copied to Clipboard"));
    m_pasteboard.setString(m_buffer.value_or(std::u16string()));
}

void LiveTextScannerSession::clearLiveTextAction()
{
    ProgressHUD::showSuccessWithStatus(localized("Cancelled"));
    if (m_buffer)
        m_buffer->clear();
}

} // namespace folio
