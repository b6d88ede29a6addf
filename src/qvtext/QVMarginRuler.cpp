#include "qvtext/QVMarginRuler.h"

#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "tools/ruler/RulerRangeSlider.h"
#include "webeditor/EditorFlags.h"
#include "webeditor/MarginRulerGeometry.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace folio {

namespace {

constexpr float kSheetWidth = MarginRulerGeometry::kSheetWidth;
constexpr const char* kHideBannerSelector = "hideMarginsBanner";

// The text-style popover's margins go to the editing body, side by side.
constexpr std::array<const char*, 4> kBodySides{"Left", "Right", "Top", "Bottom"};

} // namespace

QVMarginRuler::QVMarginRuler(PageConnection& page, Device& device, UserDefaults& defaults, Host host)
    : m_page(page)
    , m_device(device)
    , m_defaults(defaults)
    , m_host(std::move(host))
    , m_slider(std::make_shared<RulerRangeSlider>())
    , m_banner(std::make_shared<Label>())
{
    // A finished drag applies the margins; a drag in progress does not.
    m_slider->setContinuous(false);
    m_slider->addAction(ControlEvent::ValueChanged, [this](Control&) { rulerMarginValuesChangedNoDocumentDirty(); });
}

QVMarginRuler::~QVMarginRuler()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

void QVMarginRuler::viewDidLoad()
{
    m_slider->setMinimumValue(0);
    m_slider->setMaximumValue(kSheetWidth);
    m_slider->setLowerValue(0);
    m_slider->setUpperValue(kSheetWidth);
    m_slider->setMinimumRange(2.0f);
    m_slider->setStepValue(0.1f);
    m_slider->setStepValueContinuously(false);
    m_slider->setHidden(!m_device.isPad() || EditorFlags::shared().isiPadPro);
}

double QVMarginRuler::currentFactor() const
{
    std::optional<double> multitaskingWidth;
    if (m_device.isPad() && flag(m_host.isInMultitaskingMode))
        multitaskingWidth = windowSize().width;
    return MarginRulerGeometry::screenFactor(TextDocument::getDeviceScreenSize(m_device), m_device.isLandscape(),
                                             multitaskingWidth);
}

void QVMarginRuler::sendMargins(double factor)
{
    // The right margin is taken in single precision, as the ruler holds it.
    float right = kSheetWidth - m_slider->upperValue();
    m_page.send(MarginRulerGeometry::marginScript(factor * m_slider->lowerValue(), factor * right));
}

void QVMarginRuler::showBanner(double hideAfterSeconds)
{
    m_banner->setAlpha(1.0);
    if (m_device.isPad())
        m_banner->setText(MarginRulerGeometry::bannerText(m_slider->lowerValue(), m_slider->upperValue()));
    m_banner->setNeedsDisplay();
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kHideBannerSelector);
    loop.performSelectorAfterDelay(this, kHideBannerSelector, {}, hideAfterSeconds, [this] { hideMarginsBanner(); });
}

void QVMarginRuler::updateRulerMarginValues()
{
    if (!(m_host.isNewBlankDocument && m_host.isNewBlankDocument())) {
        m_slider->setLowerValue(std::max(m_defaults.floatForKey("marquentPageMarginLeft").value_or(0), 0.0f));
        float right = m_defaults.floatForKey("marquentPageMarginRight").value_or(0);
        m_slider->setUpperValue(right > 0 ? kSheetWidth - right : kSheetWidth);
    } else if (m_host.documentIsDirty) {
        m_host.documentIsDirty();
    }
    bool landscape = m_device.isLandscape();
    if (m_device.isPad()) {
        double viewWidth = m_host.viewSize ? m_host.viewSize().width : 0;
        if (MarginRulerGeometry::isMultitaskingWidth(windowSize().width) || viewWidth < (landscape ? 1024 : 768))
            return;
    }
    int deviceClass = TextDocument::getDeviceScreenSize(m_device);
    if (deviceClass >= 0 && deviceClass <= 2)
        sendMargins(MarginRulerGeometry::screenFactor(deviceClass, landscape, std::nullopt));
    showBanner(kBannerSecondsAfterRestore);
}

void QVMarginRuler::rulerMarginValuesChangedNoDocumentDirty()
{
    if (flag(m_host.isTypewriterMode) || flag(m_host.wasInBackground))
        return;
    if (flag(m_host.isInMultitaskingMode)) {
        m_banner->setHidden(true);
        m_slider->setHidden(true);
    } else if (m_device.isPad()) {
        m_banner->setHidden(false);
        m_slider->setHidden(EditorFlags::shared().isiPadPro);
    }
    sendMargins(currentFactor());
    if (!flag(m_host.isNote))
        showBanner(kBannerSecondsAfterChange);
}

void QVMarginRuler::hideMarginsBanner()
{
    // The word counter takes the banner line over and stays on it; only a
    // banner with nothing more to say fades.
    bool counting = flag(m_host.wordCounterVisible);
    if (counting) {
        if (m_host.updateWordCounter)
            m_host.updateWordCounter();
    } else {
        m_banner->setText(u"");
    }
    if (m_host.refreshPageCounter)
        m_host.refreshPageCounter();
    if (!counting)
        m_banner->setAlpha(0.0);
    m_banner->setNeedsDisplay();
}

void QVMarginRuler::paperMarginChanged(long side, double centimetres)
{
    if (side >= 0 && side < static_cast<long>(kBodySides.size())) {
        std::string property = std::string("margin") + kBodySides[static_cast<std::size_t>(side)];
        m_page.send(PageScript::fill("tinymce.activeEditor.getBody().style." + property + " = {};",
                                     {formatInCLocale("%.2fcm", centimetres)}));
    }
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

double QVMarginRuler::pageMargin(long side) const
{
    double margin = side == 0 ? m_slider->lowerValue() : kSheetWidth - m_slider->upperValue();
    // The ruler holds single-precision handles on a Letter-wide sheet.
    return std::round(margin * 100) / 100;
}

void QVMarginRuler::setPageMargin(long side, double centimetres)
{
    if (side != 0 && side != 1) {
        paperMarginChanged(side, centimetres);
        return;
    }
    if (side == 0)
        m_slider->setLowerValue(static_cast<float>(centimetres));
    else
        m_slider->setUpperValue(static_cast<float>(kSheetWidth - centimetres));
    rulerMarginValuesChangedNoDocumentDirty();
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

double QVMarginRuler::bodyMargin(const char* side)
{
    return m_page.readDouble(std::string("tinymce.activeEditor.getBody().style.margin") + side, 0);
}

double QVMarginRuler::currentDocumentPageLeftMargin()
{
    return bodyMargin("Left");
}

double QVMarginRuler::currentDocumentPageRightMargin()
{
    return bodyMargin("Right");
}

double QVMarginRuler::currentDocumentPageTopMargin()
{
    return bodyMargin("Top");
}

double QVMarginRuler::currentDocumentPageBottomMargin()
{
    return bodyMargin("Bottom");
}

std::string QVMarginRuler::leftMarginToSave() const
{
    return formatInCLocale("%.2f", static_cast<double>(m_slider->lowerValue()));
}

std::string QVMarginRuler::rightMarginToSave() const
{
    float edge = m_slider->upperValue();
    return edge < kSheetWidth ? formatInCLocale("%.2f", static_cast<double>(edge)) : std::string("21.59");
}

} // namespace folio
