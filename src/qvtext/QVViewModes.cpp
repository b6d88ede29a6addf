#include "qvtext/QVViewModes.h"

#include "engine/css/ColorHTML.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "platform/ui/View.h"
#include "qvtext/QVPaper.h"
#include "webeditor/PageConnection.h"

namespace folio {

namespace {

constexpr const char* kDarkOn = "addcss('html,img,object {-webkit-filter: invert(1) hue-rotate(180deg);}');";
constexpr const char* kDarkOff = "addcss('html,img,object {-webkit-filter: invert(0) hue-rotate(360deg);}');";
constexpr const char* kDarkPaper = "#d0d0d0";
constexpr const char* kDayPaper = "#ffffff";
constexpr double kTypewriterShift = 44;
constexpr double kEditorTop = 24;
constexpr double kBarsHeight = 64;
constexpr double kDividerAway = -55;

Color rgb(int red, int green, int blue)
{
    return Color::colorWithRed(red / 255.0, green / 255.0, blue / 255.0);
}

} // namespace

QVViewModes::QVViewModes(PageConnection& page, QVPaper& paper, UserDefaults& defaults, Host host)
    : m_page(page)
    , m_paper(paper)
    , m_defaults(defaults)
    , m_host(std::move(host))
    , m_barColor(rgb(200, 203, 210))
    , m_exitFullScreenMode(std::make_shared<Button>())
    , m_topDivider(std::make_shared<View>(makeRect(0, kDividerAway, 0, 1)))
    , m_bottomDivider(std::make_shared<View>(makeRect(0, kDividerAway, 0, 1)))
{
    // The band's lines are drawn in the grey of the rich-text editor's.
    for (const std::shared_ptr<View>& divider : {m_topDivider, m_bottomDivider})
        divider->setBackgroundColor(Color::colorWithWhite(0.6));
    m_exitFullScreenMode->setHidden(true);
    m_exitFullScreenMode->setSymbolName("arrow.down.right.and.arrow.up.left");
    m_exitFullScreenMode->addAction(ControlEvent::TouchUpInside, [this](Control&) { closeFullScreenDocumentMode(); });
    m_wordCounterVisible = storedFlag("wordCounterVisible");
    m_typeWriterSounds = storedFlag("typewriterSounds");
}

PageModeLayout::TypewriterBand QVViewModes::typewriterBand(bool landscape)
{
    return {.pageY = landscape ? 140.0 : 200.0,
            .pageHeight = kTypewriterBandHeight,
            .topDividerY = landscape ? 136.0 : 196.0,
            .bottomDividerY = landscape ? 276.0 : 336.0,
            .exitButtonY = 0};
}

void QVViewModes::arrange(Arrangement arrangement)
{
    if (m_host.arrangeWindow)
        m_host.arrangeWindow(arrangement);
}

bool QVViewModes::storedFlag(const char* key) const
{
    return m_defaults.boolForKey(key).value_or(false);
}

void QVViewModes::storeFlag(const char* key, bool value, bool synchronize)
{
    m_defaults.setBool(key, value);
    if (synchronize)
        m_defaults.synchronize();
}

void QVViewModes::toggleNightMode(bool store)
{
    bool wasOn = storedFlag("nightMode");
    if (store)
        storeFlag("nightMode", !wasOn);
    m_paper.setPaperColor(wasOn ? "white" : kSepiaPaper);
}

void QVViewModes::toggleDarkNightMode(bool store)
{
    bool wasOn = storedFlag("darknightMode");
    if (store)
        storeFlag("darknightMode", !wasOn);
    if (m_host.endEditing)
        m_host.endEditing();
    m_barColor = wasOn ? rgb(200, 203, 210) : rgb(70, 70, 70);
    if (m_host.paintBackground)
        m_host.paintBackground(wasOn ? Color::colorWithWhite(1) : rgb(47, 47, 47));
    m_page.send(wasOn ? kDarkOff : kDarkOn);
    m_page.send(QVPaper::paperColorScript(wasOn ? kDayPaper : kDarkPaper));
    if (m_host.setBannerTextColor)
        m_host.setBannerTextColor(wasOn ? Color::colorWithWhite(0) : Color::colorWithWhite(1));
}

void QVViewModes::setNightDarkMode()
{
    if (m_host.paintBackground)
        m_host.paintBackground(Color::colorWithWhite(0.333));
    m_page.send("addcss('html {-webkit-filter: invert(1) hue-rotate(180deg);}');");
}

void QVViewModes::setDayWhiteMode()
{
    m_page.send("addcss('html {-webkit-filter: invert(0) hue-rotate(360deg);}');");
}

void QVViewModes::leaveNightModes()
{
    if (storedFlag("nightMode"))
        toggleNightMode(true);
    if (storedFlag("darknightMode"))
        toggleDarkNightMode(true);
}

void QVViewModes::fullScreenDocumentMode()
{
    m_isFullScreen = true;
    if (flag(m_host.isEditing) && m_host.endEditing)
        m_host.endEditing();
    // With the on-screen keyboard up the bars stay until it goes.
    if (!flag(m_host.isSoftKeyboardPresent))
        setFullScreenDocumentMode();
}

void QVViewModes::setFullScreenDocumentMode()
{
    if (m_host.endEditing)
        m_host.endEditing();
    if (flag(m_host.isFindOnPageVisible) && m_host.hideFindBar)
        m_host.hideFindBar();
    m_page.send("tinymce.activeEditor.mode.set('readonly');");
    if (m_host.showRulerAndBanner)
        m_host.showRulerAndBanner(false);
    m_exitFullScreenMode->setHidden(false);
    if (m_host.setNavigationBarHidden)
        m_host.setNavigationBarHidden(true);
    arrange(Arrangement::FullScreen);
    if (m_host.resizeEditor)
        m_host.resizeEditor();
}

void QVViewModes::restoreAfterMode()
{
    if (!flag(m_host.isHardwareKeyboardConnected) && m_host.setEditing)
        m_host.setEditing(false);
    if (m_host.setDefaultTextEditorSizeValues)
        m_host.setDefaultTextEditorSizeValues();
    m_isFullScreen = false;
    if (m_host.showRulerAndBanner)
        m_host.showRulerAndBanner(true);
}

void QVViewModes::closeFullScreenDocumentMode()
{
    if (m_isTypewriter) {
        exitTypeWriterMode();
        return;
    }
    m_exitFullScreenMode->setHidden(true);
    m_page.send("tinymce.activeEditor.mode.set('design');");
    if (flag(m_host.isFindOnPageVisible)) {
        if (m_host.hideFindBar)
            m_host.hideFindBar();
        return;
    }
    if (m_host.setNavigationBarHidden)
        m_host.setNavigationBarHidden(false);
    if (m_host.webViewFrame && m_host.setWebViewFrame) {
        Rect frame = m_host.webViewFrame();
        m_host.setWebViewFrame(makeRect(frame.minX(), kEditorTop, frame.width(), frame.height() - kBarsHeight));
    }
    restoreAfterMode();
    arrange(Arrangement::Page);
}

void QVViewModes::layoutTypewriterBand()
{
    const PageModeLayout::TypewriterBand band = typewriterBand(flag(m_host.isLandscape));
    Rect top = m_topDivider->frame();
    Rect bottom = m_bottomDivider->frame();
    m_topDivider->setFrame(makeRect(top.minX(), band.topDividerY, top.width(), top.height()));
    m_bottomDivider->setFrame(makeRect(bottom.minX(), band.bottomDividerY, bottom.width(), bottom.height()));
    if (m_host.webViewFrame && m_host.setWebViewFrame) {
        Rect frame = m_host.webViewFrame();
        m_host.setWebViewFrame(makeRect(frame.minX(), band.pageY, frame.width(), band.pageHeight));
    }
}

void QVViewModes::typewriterMode()
{
    if (flag(m_host.isFindOnPageVisible) && m_host.hideFindBar)
        m_host.hideFindBar();
    if (m_host.showRulerAndBanner)
        m_host.showRulerAndBanner(false);
    if (m_host.showPageCounter)
        m_host.showPageCounter(false);
    m_exitFullScreenMode->setHidden(false);
    Rect exit = m_exitFullScreenMode->frame();
    m_exitFullScreenMode->setFrame(makeRect(exit.minX(), 0, exit.width(), exit.height()));
    layoutTypewriterBand();
    if (m_host.viewFrame && m_host.setViewFrame) {
        Rect view = m_host.viewFrame();
        m_host.setViewFrame(makeRect(view.minX(), -kTypewriterShift, view.width(), view.height() + kTypewriterShift));
    }
    if (m_host.setNavigationBarHidden)
        m_host.setNavigationBarHidden(true);
    m_isTypewriter = true;
    arrange(Arrangement::Typewriter);
    m_page.send("tinymce.activeEditor.dom.setStyle(tinymce.activeEditor.getContentAreaContainer(),'height', '108px');");
    m_page.send("tinymce.activeEditor.execCommand('unselect')");
    m_page.send("tinymce.activeEditor.focus();");
    m_page.send("folioCentreCaretLine();");
}

void QVViewModes::exitTypeWriterMode()
{
    m_isTypewriter = false;
    if (flag(m_host.isEditing) && m_host.endEditing)
        m_host.endEditing();
    if (m_host.webViewFrame && m_host.setWebViewFrame && m_host.viewFrame) {
        Rect frame = m_host.webViewFrame();
        m_host.setWebViewFrame(
            makeRect(frame.minX(), kEditorTop, frame.width(), m_host.viewFrame().height() + kBarsHeight));
    }
    for (const std::shared_ptr<View>& divider : {m_topDivider, m_bottomDivider}) {
        Rect frame = divider->frame();
        divider->setFrame(makeRect(frame.minX(), kDividerAway, frame.width(), frame.height()));
    }
    if (m_host.viewFrame && m_host.setViewFrame) {
        Rect view = m_host.viewFrame();
        m_host.setViewFrame(makeRect(view.minX(), 0, view.width(), view.height() - kTypewriterShift));
    }
    if (m_host.setNavigationBarHidden)
        m_host.setNavigationBarHidden(false);
    // The band's own height goes, so that the editor fills its view again.
    m_page.send("tinymce.activeEditor.dom.setStyle(tinymce.activeEditor.getContentAreaContainer(),'height', '');");
    m_exitFullScreenMode->setHidden(true);
    restoreAfterMode();
    if (m_host.showPageCounter)
        m_host.showPageCounter(true);
    if (m_host.refreshPageCounter)
        m_host.refreshPageCounter();
    arrange(Arrangement::Page);
}

void QVViewModes::layoutTypeWriteModeAfterAppEnterForeground()
{
    layoutTypewriterBand();
    m_page.send("document.getElementById('content').style.height=130.000000;document.body.style.height=122.000000");
    m_isTypewriter = true;
    arrange(Arrangement::Typewriter);
}

void QVViewModes::toggleSmartQuotes()
{
    bool on = storedFlag("smartQuotesEnabled");
    m_page.send(on ? "smartQuotesEnabled = false;" : "smartQuotesEnabled = true;");
    storeFlag("smartQuotesEnabled", !on);
}

void QVViewModes::toggleAutoCheckSpelling()
{
    bool on = storedFlag("autocorrectEnabled");
    if (m_host.setSpellCheckingEnabled)
        m_host.setSpellCheckingEnabled(!on);
    storeFlag("autocorrectEnabled", !on);
}

void QVViewModes::togglePageNumbers()
{
    storeFlag("pageNumbersEnabled", !storedFlag("pageNumbersEnabled"));
}

void QVViewModes::toggleWordCounterVisible()
{
    bool visible = storedFlag("wordCounterVisible");
    storeFlag("wordCounterVisible", !visible, false);
    m_wordCounterVisible = !visible;
    if (m_wordCounterVisible) {
        if (m_host.setBannerVisible)
            m_host.setBannerVisible(true);
        if (m_host.updateWordCounter)
            m_host.updateWordCounter();
    } else if (m_host.setBannerVisible) {
        m_host.setBannerVisible(false);
    }
}

void QVViewModes::toggleTypeWriterSounds(bool store)
{
    bool wasOn = storedFlag("typewriterSounds");
    if (store)
        storeFlag("typewriterSounds", !wasOn);
    m_typeWriterSounds = !wasOn;
    if (m_typeWriterSounds && m_host.loadTypewriterSounds)
        m_host.loadTypewriterSounds();
}

} // namespace folio
