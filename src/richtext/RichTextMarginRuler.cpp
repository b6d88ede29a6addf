#include "richtext/RichTextMarginRuler.h"

#include "documents/TextDocument.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "tools/ruler/RulerRangeSlider.h"
#include "webeditor/EditorFlags.h"
#include "webeditor/MarginRulerGeometry.h"

namespace folio {

namespace {

constexpr double kRulerCentimetresPerInch = 2.54;
constexpr float kTwipsPerCentimetre = 566.96f;
constexpr const char* kHideBannerSelector = "hideMarginsBanner";

std::string centimetreText(double value)
{
    return formatInCLocale("%.2f", value);
}

} // namespace

RichTextMarginRuler::RichTextMarginRuler(Device& device, UserDefaults& defaults, Host host)
    : m_device(device)
    , m_defaults(defaults)
    , m_host(std::move(host))
    , m_slider(std::make_shared<RulerRangeSlider>())
    , m_banner(std::make_shared<Label>())
{
}

RichTextMarginRuler::~RichTextMarginRuler()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

double RichTextMarginRuler::screenFactor(int deviceClass, bool landscape, std::optional<double> multitaskingWidth)
{
    return MarginRulerGeometry::screenFactor(deviceClass, landscape, multitaskingWidth);
}

bool RichTextMarginRuler::isMultitaskingWidth(double width)
{
    return MarginRulerGeometry::isMultitaskingWidth(width);
}

std::string RichTextMarginRuler::marginScript(double left, double right)
{
    return MarginRulerGeometry::marginScript(left, right);
}

bool RichTextMarginRuler::isPad() const
{
    return m_device.isPad();
}

void RichTextMarginRuler::dirty() const
{
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

void RichTextMarginRuler::viewDidLoad()
{
    m_slider->setMinimumValue(0);
    m_slider->setMaximumValue(kSheetWidth);
    m_slider->setLowerValue(0);
    m_slider->setUpperValue(kSheetWidth);
    m_slider->setMinimumRange(2.0f);
    m_slider->setStepValue(0.1f);
    m_slider->setStepValueContinuously(false);
    m_slider->setHidden(!isPad() || EditorFlags::shared().isiPadPro || call(m_host.isInMultitaskingMode));
    TextDocument* document = m_host.document ? m_host.document() : nullptr;
    if (!document)
        return;
    auto stored = [&](const char* key) {
        float value = m_defaults.floatForKey(key).value_or(0);
        return value > 0 ? centimetreText(value) : std::string("2.54");
    };
    document->setDocTopMargin(stored("marquentPageMarginTop"));
    document->setDocBottomMargin(stored("marquentPageMarginBottom"));
}

void RichTextMarginRuler::placeHandlesFromDefaultStyle(float defaultLeft, float defaultRightEdge)
{
    m_slider->setLowerValue(defaultLeft > 0 ? defaultLeft : 2.54f);
    m_slider->setUpperValue(defaultRightEdge > 0 ? defaultRightEdge : 19.05f);
}

double RichTextMarginRuler::currentFactor() const
{
    std::optional<double> width;
    if (isPad() && call(m_host.isInMultitaskingMode))
        width = m_host.windowWidth ? m_host.windowWidth() : 0;
    return screenFactor(TextDocument::getDeviceScreenSize(m_device), m_device.isLandscape(), width);
}

RichTextMarginRuler::PageIndents RichTextMarginRuler::indents(double factor, float lower, float upper) const
{
    // The right margin is taken in single precision, as the ruler holds it.
    float right = kSheetWidth - upper;
    return PageIndents{factor * lower, factor * right};
}

void RichTextMarginRuler::sendMargins(double factor)
{
    PageIndents page = indents(factor, m_slider->lowerValue(), m_slider->upperValue());
    if (m_host.sendScript)
        m_host.sendScript(marginScript(page.left, page.right));
}

void RichTextMarginRuler::showBanner(double hideAfterSeconds)
{
    m_banner->setAlpha(1.0);
    if (isPad()) {
        m_banner->setText(MarginRulerGeometry::bannerText(m_slider->lowerValue(), m_slider->upperValue()));
        m_banner->setNeedsDisplay();
    }
    if (hideAfterSeconds <= 0)
        return;
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kHideBannerSelector);
    loop.performSelectorAfterDelay(this, kHideBannerSelector, {}, hideAfterSeconds, [this] { hideMarginsBanner(); });
}

void RichTextMarginRuler::keepSideMarginsInDocument() const
{
    TextDocument* document = m_host.document ? m_host.document() : nullptr;
    if (!document || !m_loaded)
        return;
    EditorContent::Margins margins = marginsToSave(*document);
    document->setDocLeftMargin(margins.left);
    document->setDocRightMargin(margins.right);
}

void RichTextMarginRuler::rulerMarginValuesChanged()
{
    if (call(m_host.isTypewriterMode))
        return;
    keepSideMarginsInDocument();
    if (call(m_host.isInMultitaskingMode)) {
        m_banner->setHidden(true);
        m_slider->setHidden(true);
    } else {
        if (isPad()) {
            m_banner->setHidden(false);
            m_slider->setHidden(EditorFlags::shared().isiPadPro);
        }
        sendMargins(screenFactor(TextDocument::getDeviceScreenSize(m_device), m_device.isLandscape(), std::nullopt));
    }
    if (call(m_host.isNote))
        return;
    bool foreground = call(m_host.isInForeground);
    // In the background nothing clears the banner and nothing is the user's edit.
    showBanner(foreground ? kBannerSeconds : 0);
    if (foreground && call(m_host.isPageLoaded))
        dirty();
}

void RichTextMarginRuler::rulerMarginValuesChangedNoDocumentDirty()
{
    if (call(m_host.isTypewriterMode) || call(m_host.wasInBackground))
        return;
    if (call(m_host.isInMultitaskingMode)) {
        m_banner->setHidden(true);
        m_slider->setHidden(true);
    } else if (isPad()) {
        m_banner->setHidden(false);
        m_slider->setHidden(EditorFlags::shared().isiPadPro);
    }
    sendMargins(currentFactor());
    if (!call(m_host.isNote))
        showBanner(kBannerSeconds);
}

std::pair<float, float> RichTextMarginRuler::storedHandles() const
{
    float right = m_defaults.floatForKey("marquentPageMarginRight").value_or(0);
    return {m_defaults.floatForKey("marquentPageMarginLeft").value_or(0), right > 0 ? kSheetWidth - right : kSheetWidth};
}

bool RichTextMarginRuler::loadsAsRulerChange() const
{
    if (!isPad())
        return false;
    double window = m_host.windowWidth ? m_host.windowWidth() : 0;
    double viewWidth = m_host.viewSize ? m_host.viewSize().first : 0;
    return isMultitaskingWidth(window) || viewWidth < (m_device.isLandscape() ? 1024 : 768);
}

void RichTextMarginRuler::updateRulerMarginValues()
{
    m_loaded = true;
    TextDocument* document = m_host.document ? m_host.document() : nullptr;
    if (!document || !document->isNewBlankDocument()) {
        auto [lower, upper] = storedHandles();
        m_slider->setLowerValue(lower);
        m_slider->setUpperValue(upper);
    } else {
        dirty();
    }
    keepSideMarginsInDocument();
    if (loadsAsRulerChange()) {
        rulerMarginValuesChanged();
        return;
    }
    int deviceClass = TextDocument::getDeviceScreenSize(m_device);
    if (deviceClass >= 0 && deviceClass <= 2)
        sendMargins(screenFactor(deviceClass, m_device.isLandscape(), std::nullopt));
    showBanner(kBannerSecondsAfterLoading);
}

std::optional<RichTextMarginRuler::PageIndents> RichTextMarginRuler::indentsOnceLoaded() const
{
    // A new blank document takes the ruler's handles as they are, which the
    // default style may still move.
    TextDocument* document = m_host.document ? m_host.document() : nullptr;
    if (document && document->isNewBlankDocument())
        return std::nullopt;
    // NOTE: margins closer than the ruler lets its handles come are taken
    // as stored; the ready step then moves the page's indents once more.
    auto [lower, upper] = storedHandles();
    bool landscape = m_device.isLandscape();
    if (loadsAsRulerChange()) {
        if (call(m_host.isTypewriterMode) || call(m_host.isInMultitaskingMode))
            return std::nullopt;
        return indents(screenFactor(TextDocument::getDeviceScreenSize(m_device), landscape, std::nullopt), lower, upper);
    }
    int deviceClass = TextDocument::getDeviceScreenSize(m_device);
    if (deviceClass < 0 || deviceClass > 2)
        return std::nullopt;
    return indents(screenFactor(deviceClass, landscape, std::nullopt), lower, upper);
}

void RichTextMarginRuler::hideMarginsBanner()
{
    if (call(m_host.wordCounterVisible)) {
        if (m_host.updateWordCounter)
            m_host.updateWordCounter();
    } else {
        m_banner->setText(u"");
        m_banner->setNeedsDisplay();
    }
    if (m_host.sendScript)
        m_host.sendScript("updateEditorScrollOffsets();");
    if (m_host.updatePageUpDownControl)
        m_host.updatePageUpDownControl();
}

void RichTextMarginRuler::paperMarginChanged(long side, double inches)
{
    double centimetres = inches * kRulerCentimetresPerInch;
    TextDocument* document = m_host.document ? m_host.document() : nullptr;
    switch (side) {
    case 0:
        if (document)
            document->setDocLeftMargin(centimetreText(centimetres));
        m_slider->setLowerValue(static_cast<float>(centimetres));
        rulerMarginValuesChanged();
        break;
    case 1:
        // The picker's right value is the right edge, like the ruler's.
        if (document)
            document->setDocRightMargin(centimetreText(centimetres));
        m_slider->setUpperValue(static_cast<float>(centimetres));
        rulerMarginValuesChanged();
        break;
    case 2:
    case 3: {
        const char* key = side == 2 ? "marquentPageMarginTop" : "marquentPageMarginBottom";
        if (document) {
            if (side == 2)
                document->setDocTopMargin(centimetreText(centimetres));
            else
                document->setDocBottomMargin(centimetreText(centimetres));
        }
        m_defaults.setFloat(key, static_cast<float>(centimetres));
        m_defaults.synchronize();
        if (m_host.updateEditorPageSize)
            m_host.updateEditorPageSize();
        break;
    }
    default:
        break;
    }
    dirty();
}

void RichTextMarginRuler::actionPageMarginBottom(long twips)
{
    m_defaults.setFloat("marquentPageMarginBottom", static_cast<float>(twips) / kTwipsPerCentimetre);
    m_defaults.synchronize();
    if (m_host.updateEditorPageSize)
        m_host.updateEditorPageSize();
    dirty();
}

EditorContent::Margins RichTextMarginRuler::marginsToSave(const TextDocument& document) const
{
    EditorContent::Margins margins;
    margins.left = centimetreText(m_slider->lowerValue());
    float edge = m_slider->upperValue();
    margins.right = edge >= kSheetWidth ? std::string("21.59") : centimetreText(edge);
    margins.top = document.docTopMargin().value_or("2.54");
    margins.bottom = document.docBottomMargin().value_or("2.54");
    return margins;
}

} // namespace folio
