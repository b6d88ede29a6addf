#include "richtext/RichTextViewModes.h"

#include "engine/css/ColorHTML.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/View.h"
#include "webeditor/EditorFlags.h"
#include "webeditor/PageScript.h"

#include <cmath>
#include <cstdio>

namespace folio {

namespace {

constexpr const char* kDarkOnScript = "addcss('html,img,object {-webkit-filter: invert(1) hue-rotate(180deg);}');";
constexpr const char* kDarkOffScript = "addcss('html,img,object {-webkit-filter: invert(0) hue-rotate(360deg);}');";
// Footnote and comment marks are objects holding text: turned back like the
// pictures, their black would stand on the darkened page; they are turned
// with the text instead.
constexpr const char* kDarkNoteMarksScript =
    "addcss('object.footnote,object.annotation {-webkit-filter: none;}');";
constexpr const char* kEditableScript = "document.getElementById('content').contentEditable=true";
constexpr const char* kReadOnlyScript = "document.getElementById('content').contentEditable=false";

std::u16string viewModesText(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

Color grey(double value)
{
    return Color::colorWithRed(value / 255.0, value / 255.0, value / 255.0);
}

std::string bodyColourScript(const std::string& name)
{
    return PageScript::fill("document.body.style.backgroundColor ={}", {name});
}

std::string heightScript(double content, double body)
{
    return PageScript::call("setRichTextPageHeight", {content, body});
}

} // namespace

RichTextViewModes::RichTextViewModes(UserDefaults& defaults, Host host)
    : m_defaults(defaults)
    , m_host(std::move(host))
    , m_zoomEnabledButton(std::make_shared<Button>())
    , m_exitFullScreenMode(std::make_shared<Button>())
    , m_backgroundRTFLayer(std::make_shared<View>())
{
    m_zoomEnabledButton->setHidden(true);
    m_zoomEnabledButton->setSymbolName("textformat.size");
    m_exitFullScreenMode->setHidden(true);
    m_exitFullScreenMode->setSymbolName("arrow.down.right.and.arrow.up.left");
}

RichTextViewModes::~RichTextViewModes()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

void RichTextViewModes::send(const std::string& script) const
{
    if (m_host.sendScript)
        m_host.sendScript(script);
}

bool RichTextViewModes::invert(const char* key)
{
    bool now = !m_defaults.boolForKey(key).value_or(false);
    m_defaults.setBool(key, now);
    m_defaults.synchronize();
    return now;
}

// --- zoom ------------------------------------------------------------------

long long RichTextViewModes::zoomAfterPinch(long long percent, bool pinchOut)
{
    if (pinchOut) {
        if (percent >= 200)
            return 100;
        switch (percent) {
        case 60: return 80;
        case 80: return 100;
        case 100: return 150;
        case 150: return 200;
        default: return percent;
        }
    }
    switch (percent) {
    case 200: return 150;
    case 150: return 100;
    case 100: return 80;
    case 80: return 60;
    case 60: return 100;
    default: return percent;
    }
}

std::string RichTextViewModes::zoomLabel(long long percent)
{
    switch (percent) {
    case 60: return "Zoom 0.6x";
    case 80: return "Zoom 0.8x";
    case 100: return "Zoom 1x";
    case 150: return "Zoom 1.5x";
    case 200: return "Zoom 2x";
    default: return {};
    }
}

long long RichTextViewModes::zoomPercent() const
{
    long long zoom = EditorFlags::shared().currentDocumentTextZoomPercent;
    return zoom > 0 ? zoom : 100;
}

void RichTextViewModes::resetZoom()
{
    EditorFlags::shared().currentDocumentTextZoomPercent = 100;
}

void RichTextViewModes::pinchAction(GestureRecognizerState state, double scale)
{
    if (m_host.isPageLoaded && !m_host.isPageLoaded())
        return;
    RunLoop::main().cancelPreviousPerformRequests(this, kAdjustSelector, PerformArgument(m_previousZoom));
    if (state != GestureRecognizerState::Ended)
        return;
    long long before = zoomPercent();
    long long after = zoomAfterPinch(before, scale >= 1.0);
    EditorFlags::shared().currentDocumentTextZoomPercent = after;
    if (after != before)
        ProgressHUD::showWithStatus(viewModesText(zoomLabel(after)));
    RunLoop::main().performSelectorAfterDelay(this, kAdjustSelector, PerformArgument(after), kZoomApplyDelay,
                                              [this, after] { adjustDocumentTextWithPercent(after); });
}

void RichTextViewModes::adjustDocumentTextWithPercent(long long percent)
{
    if (zoomPercent() != m_previousZoom) {
        m_isZoomingDocumentText = true;
        // The page's own setter of the property applies it (see helpers.js).
        send(PageScript::fill("document.getElementById('content').style.webkitTextSizeAdjust={}",
                              {std::to_string(percent) + "%"}));
        m_previousZoom = zoomPercent();
        m_zoomCounter = 0;
    }
    if (m_host.isPad && m_host.isPad()) {
        bool zoomed = percent != 100;
        m_defaults.setBool("zoomEnabled", zoomed);
        m_zoomEnabledButton->setHidden(!zoomed);
        m_zoomEnabledButton->setSelected(zoomed);
        if (!zoomed)
            m_isZoomingDocumentText = false;
    }
    ProgressHUD::dismiss();
}

void RichTextViewModes::documentViewZoomModified(double percent)
{
    long long zoom = static_cast<long long>(std::trunc(percent));
    EditorFlags::shared().currentDocumentTextZoomPercent = zoom;
    RunLoop::main().performSelectorAfterDelay(this, kAdjustSelector, PerformArgument(zoom), 0.0,
                                              [this, zoom] { adjustDocumentTextWithPercent(zoom); });
}

void RichTextViewModes::toogleZoomTextMode()
{
    bool zoomed = m_defaults.boolForKey("zoomEnabled").value_or(false);
    long long zoom = zoomed ? 100 : 150;
    EditorFlags::shared().currentDocumentTextZoomPercent = zoom;
    ProgressHUD::showWithStatus(viewModesText(zoomed ? "Normal Size" : "Zoom 1.5x"));
    m_defaults.setBool("zoomEnabled", !zoomed);
    m_defaults.synchronize();
    RunLoop::main().performSelectorAfterDelay(this, kAdjustSelector, PerformArgument(zoom), kZoomApplyDelay,
                                              [this, zoom] { adjustDocumentTextWithPercent(zoom); });
}

// --- full screen ---------------------------------------------------------------

void RichTextViewModes::fullScreenDocumentMode()
{
    m_isFullScreenDocumentMode = true;
    if (m_host.isEditing && m_host.isEditing() && m_host.endEditing)
        m_host.endEditing();
    if (!(m_host.isSoftKeyboardPresent && m_host.isSoftKeyboardPresent()))
        setFullScreenDocumentMode();
}

void RichTextViewModes::setFullScreenDocumentMode()
{
    if (m_host.endEditing)
        m_host.endEditing();
    if (m_host.isFindOnPageVisible && m_host.isFindOnPageVisible() && m_host.hideFindOnPage)
        m_host.hideFindOnPage();
    send(kReadOnlyScript);
    if (m_host.setRulerHidden)
        m_host.setRulerHidden(true);
    if (m_host.setBannerHidden)
        m_host.setBannerHidden(true);
    m_exitFullScreenMode->setHidden(false);
    if (m_host.setNavigationBarHidden)
        m_host.setNavigationBarHidden(true);
    std::shared_ptr<View> view = m_host.view ? m_host.view() : nullptr;
    double height = view ? view->frame().size.height : 0;
    if (m_host.setWebViewFrame && m_host.webViewFrame) {
        Rect frame = m_host.webViewFrame();
        m_host.setWebViewFrame(Rect{{frame.origin.x, 0}, {frame.size.width, height + 44 + 20}});
    }
    send(heightScript(height - 10, height - 10));
    if (m_host.arrangeWindow)
        m_host.arrangeWindow(true);
}

void RichTextViewModes::closeFullScreenDocumentMode()
{
    if (m_host.isTypewriterMode && m_host.isTypewriterMode()) {
        if (m_host.exitTypeWriterMode)
            m_host.exitTypeWriterMode();
        return;
    }
    m_exitFullScreenMode->setHidden(true);
    send(m_host.isRTFDocument && m_host.isRTFDocument() ? kReadOnlyScript : kEditableScript);
    if (m_host.isFindOnPageVisible && m_host.isFindOnPageVisible()) {
        if (m_host.hideFindOnPage)
            m_host.hideFindOnPage();
        return;
    }
    if (m_host.setNavigationBarHidden)
        m_host.setNavigationBarHidden(false);
    if (m_host.setWebViewFrame && m_host.webViewFrame) {
        Rect frame = m_host.webViewFrame();
        m_host.setWebViewFrame(Rect{{frame.origin.x, 30}, {frame.size.width, frame.size.height - 64}});
    }
    if (!(m_host.isHardwareKeyboardConnected && m_host.isHardwareKeyboardConnected()) && m_host.clearEditing)
        m_host.clearEditing();
    if (m_host.setDefaultTextEditorSizeValues)
        m_host.setDefaultTextEditorSizeValues();
    m_isFullScreenDocumentMode = false;
    if (m_host.setRulerHidden)
        m_host.setRulerHidden(true);
    if (m_host.setBannerHidden)
        m_host.setBannerHidden(false);
    if (m_host.arrangeWindow)
        m_host.arrangeWindow(false);
}

// --- paper and display -----------------------------------------------------------

void RichTextViewModes::colourViews(const Color& color)
{
    if (std::shared_ptr<View> view = m_host.view ? m_host.view() : nullptr)
        view->setBackgroundColor(color);
    m_backgroundRTFLayer->setBackgroundColor(color);
}

void RichTextViewModes::toggleNightMode(bool toggle)
{
    if (!toggle)
        return;
    bool night = invert("nightMode");
    const char* name = night ? kNightPaper : "white";
    colourViews(colorWithHTMLName(std::string_view(name)).value_or(Color::colorWithWhite(1)));
    send(bodyColourScript(name));
}

void RichTextViewModes::toggleDarkNightMode(bool toggle)
{
    if (!toggle)
        return;
    applyDarkNight(invert("darknightMode"));
}

void RichTextViewModes::applyDarkNight(bool on)
{
    if (m_host.endEditing)
        m_host.endEditing();
    m_exitFullScreenMode->setBackgroundColor(on ? Color::colorWithWhite(1) : Color::colorWithWhite(1.0 / 3.0));
    Color bars = on ? grey(70) : Color::colorWithRed(200 / 255.0, 203 / 255.0, 210 / 255.0);
    if (m_host.bars) {
        for (const std::shared_ptr<View>& bar : m_host.bars()) {
            if (bar)
                bar->setBackgroundColor(bars);
        }
    }
    colourViews(on ? grey(47) : Color::colorWithWhite(1));
    send(on ? kDarkOnScript : kDarkOffScript);
    if (on)
        send(kDarkNoteMarksScript);
    if (m_host.setPageNumbersOnDark)
        m_host.setPageNumbersOnDark(on);
    send(bodyColourScript(on ? "#d0d0d0" : "#ffffff"));
    if (m_host.setBannerTextColor)
        m_host.setBannerTextColor(on ? Color::colorWithWhite(1) : Color::colorWithWhite(0));
}

void RichTextViewModes::setPaperColor(const std::string& name)
{
    if (std::optional<Color> color = colorWithHTMLName(std::string_view(name)))
        colourViews(*color);
    send(bodyColourScript(name));
}

void RichTextViewModes::setNightDarkMode()
{
    colourViews(Color::colorWithWhite(1.0 / 3.0));
    send("addcss('html {-webkit-filter: invert(1) hue-rotate(180deg);}');");
}

void RichTextViewModes::setDayWhiteMode()
{
    send("addcss('html {-webkit-filter: invert(0) hue-rotate(360deg);}');");
}

void RichTextViewModes::pageDidBecomeReady()
{
    if (m_defaults.boolForKey("darknightMode").value_or(false))
        applyDarkNight(true);
    if (m_defaults.boolForKey("smartQuotesEnabled").value_or(false))
        send("smartQuotesEnabled = true;");
}

// --- switches ----------------------------------------------------------------

void RichTextViewModes::toggleSmartQuotes()
{
    bool on = invert("smartQuotesEnabled");
    send(on ? "smartQuotesEnabled = true;" : "smartQuotesEnabled = false;");
}

void RichTextViewModes::toggleAutoCheckSpelling()
{
    bool on = invert("autocorrectEnabled");
    if (m_host.setSpellChecking)
        m_host.setSpellChecking(on);
}

void RichTextViewModes::togglePageNumbers()
{
    invert("pageNumbersEnabled");
}

void RichTextViewModes::toggleWordCounterVisible()
{
    if (invert("wordCounterVisible")) {
        if (m_host.updateWordCounter)
            m_host.updateWordCounter();
    } else if (m_host.hideWordCounter) {
        m_host.hideWordCounter();
    }
}

void RichTextViewModes::toggleTypeWriterSounds(bool toggle)
{
    if (!toggle)
        return;
    bool on = invert("typewriterSounds");
    if (m_host.setTypewriterSounds)
        m_host.setTypewriterSounds(on);
}

} // namespace folio
