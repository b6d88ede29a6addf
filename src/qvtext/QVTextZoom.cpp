#include "qvtext/QVTextZoom.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ProgressHUD.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"
#include "webeditor/TextZoomSteps.h"

namespace folio {

namespace {

constexpr const char* kAdjustSelector = "adjustDocumentTextWithPercent:";
constexpr const char* kKeyAdjustSelector = "zoomFromKeyboard";

} // namespace

QVTextZoom::QVTextZoom(PageConnection& page, Device& device, UserDefaults& defaults, Host host)
    : m_page(page)
    , m_device(device)
    , m_defaults(defaults)
    , m_host(std::move(host))
    , m_zoomEnabledButton(std::make_shared<Button>())
{
    m_zoomEnabledButton->setHidden(true);
}

QVTextZoom::~QVTextZoom()
{
    cancelPendingTasks();
}

void QVTextZoom::cancelPendingTasks()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

std::string QVTextZoom::zoomScript(long long percent)
{
    return "tinymce.activeEditor.getBody().style.webkitTextSizeAdjust='" + std::to_string(percent) + "%'";
}

std::string QVTextZoom::viewZoomScript(long long percent)
{
    // The desktop engine has no text-size adjustment: the page is shown at
    // the zoom instead, on the frame's root element, which is never saved.
    return PageScript::call("folioQVViewZoom", {percent});
}

void QVTextZoom::pageDidBecomeReady()
{
    m_currentPercent = TextZoomSteps::kNormalPercent;
    m_previousPercent = kUnappliedPercent;
    m_zoomEnabledButton->setHidden(true);
}

void QVTextZoom::scheduleAdjust(double delaySeconds)
{
    long long percent = m_currentPercent;
    RunLoop::main().performSelectorAfterDelay(this, kAdjustSelector, percent, delaySeconds,
                                              [this, percent] { adjustDocumentTextWithPercent(percent); });
}

void QVTextZoom::documentViewZoomModified(double percent)
{
    m_currentPercent = static_cast<long long>(percent);
    scheduleAdjust(0);
}

void QVTextZoom::adjustDocumentTextWithPercent(long long percent)
{
    if (m_currentPercent != m_previousPercent) {
        m_isZooming = true;
        m_page.send(zoomScript(percent));
        m_page.send(viewZoomScript(percent));
        m_previousPercent = m_currentPercent;
        m_zoomCounter = 0;
        if (m_host.didZoom)
            m_host.didZoom();
    }
    if (m_device.isPad()) {
        bool zoomed = percent != TextZoomSteps::kNormalPercent;
        m_defaults.setBool("zoomEnabled", zoomed);
        m_zoomEnabledButton->setHidden(!zoomed);
        m_zoomEnabledButton->setSelected(zoomed);
        if (!zoomed)
            m_isZooming = false;
    }
    ProgressHUD::dismiss();
}

bool QVTextZoom::step(bool in)
{
    std::optional<long long> next = in ? TextZoomSteps::zoomedIn(m_currentPercent)
                                       : TextZoomSteps::zoomedOut(m_currentPercent);
    if (!next)
        return false;
    m_currentPercent = *next;
    ProgressHUD::showWithStatus(toUtf16(TextZoomSteps::overlayText(*next)));
    return true;
}

void QVTextZoom::pinchEnded(double scale)
{
    if (m_host.isPageReady && !m_host.isPageReady())
        return;
    RunLoop::main().cancelPreviousPerformRequests(this, kAdjustSelector, m_previousPercent);
    step(scale >= 1.0);
    scheduleAdjust(kPinchApplyDelaySeconds);
}

void QVTextZoom::toogleZoomTextMode()
{
    bool zoomed = m_defaults.boolForKey("zoomEnabled").value_or(false);
    m_currentPercent = zoomed ? TextZoomSteps::kNormalPercent : TextZoomSteps::kToggledPercent;
    ProgressHUD::showWithStatus(toUtf16(Localization::localizedString(zoomed ? "Normal Size" : "Zoom 1.5x")));
    m_defaults.setBool("zoomEnabled", !zoomed);
    m_defaults.synchronize();
    scheduleAdjust(kPinchApplyDelaySeconds);
}

void QVTextZoom::applySoon()
{
    // Keys come quickly one after another: only the last level is applied.
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kKeyAdjustSelector);
    loop.performSelectorAfterDelay(this, kKeyAdjustSelector, {}, 0,
                                   [this] { adjustDocumentTextWithPercent(m_currentPercent); });
}

void QVTextZoom::zoomIn()
{
    if (step(true))
        applySoon();
}

void QVTextZoom::zoomOut()
{
    if (step(false))
        applySoon();
}

void QVTextZoom::zoomToNormalSize()
{
    m_currentPercent = TextZoomSteps::kNormalPercent;
    applySoon();
}

} // namespace folio
