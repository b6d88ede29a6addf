// The rich-text editor's reading aids wired to the editor's other parts.
#include "richtext/TextViewController.h"

#include "documents/TextDocument.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Device.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/services/NetworkReachability.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyboardService.h"
#include "platform/ui/Label.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/View.h"
#include "platform/web/WebView.h"
#include "webeditor/CaretSelectionCommander.h"
#include "webeditor/FindCommander.h"
#include "richtext/InsertCommander.h"
#include "richtext/KeyBar.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/RichTextMarginRuler.h"
#include "platform/foundation/Log.h"
#include "webeditor/WebPageViewer.h"
#include "webeditor/PageModeLayout.h"
#include "richtext/RichTextPageSetup.h"
#include "richtext/RichTextPageControl.h"
#include "richtext/RichTextReadAloud.h"
#include "richtext/RichTextStyling.h"
#include "richtext/RichTextViewModes.h"
#include "richtext/RichTextWordCounter.h"
#include "richtext/RichTextWritingTools.h"
#include "richtext/TypewriterMode.h"
#include "tools/ruler/RulerRangeSlider.h"
#include "tools/speech/ReadAloudController.h"
#include "webeditor/PageScript.h"

#include <cstdlib>

namespace folio {

void TextViewController::openWebAddress(const std::string& url)
{
    if (!m_webPageViewer)
        m_webPageViewer = std::make_unique<WebPageViewer>();
    if (Status opened = m_webPageViewer->openInWebViewWithPath(url, *this); !opened)
        TELog(TELogLevelWarning, "The linked page could not be shown: " + opened.error().message);
}

void TextViewController::endPageEditing()
{
    m_isEditing = false;
    m_connection.send("if (document.activeElement) document.activeElement.blur();");
}

void TextViewController::setDefaultTextEditorSizeValues()
{
    if (m_webView)
        m_webView->setFrame(Rect{{0, 0}, m_size});
    if (m_bridge.isPageReady())
        m_connection.send(RichTextPageSetup::heightScript(pageHeight()));
}

RichTextViewingTools TextViewController::makeViewingTools()
{
    UserDefaults& defaults = settings();
    RichTextViewingTools tools;
    auto send = [this](const std::string& script) {
        if (m_bridge.isPageReady())
            m_connection.send(script);
    };
    auto view = [this]() -> std::shared_ptr<View> { return isViewLoaded() ? this->view() : nullptr; };
    auto webViewFrame = [this] { return m_webView ? m_webView->frame() : Rect{{0, 0}, m_size}; };
    auto setWebViewFrame = [this](Rect frame) {
        if (m_webView)
            m_webView->setFrame(frame);
    };
    auto setNavigationBarHidden = [this](bool hidden) {
        if (NavigationController* navigation = navigationController())
            navigation->setNavigationBarHidden(hidden);
    };
    // The desktop window is a tablet whose ruler stays when a mode ends.
    auto showPageAgain = [this] {
        m_margins->slider().setHidden(false);
        m_viewing.modeLayout->showPage();
    };
    auto banner = [this] { return m_margins->topAlertBar(); };
    auto setBannerHidden = [this](bool hidden) {
        if (m_margins->topAlertBar())
            m_margins->topAlertBar()->setHidden(hidden);
    };
    auto setRulerHidden = [this](bool hidden) { m_margins->slider().setHidden(hidden); };
    auto isFindVisible = [this] { return m_editingTools->find().isFindOnPageVisible(); };
    auto hideFind = [this] { m_editingTools->find().hideFindOnPage(); };
    auto hardwareKeyboard = [] { return KeyboardService::shared().isHardwareKeyboardConnected(); };
    auto clearEditing = [this] { m_isEditing = false; };

    tools.typewriter = std::make_unique<TypewriterMode>(TypewriterMode::Host{
        .sendScript = send,
        .isLandscape = [this] { return m_size.width > m_size.height; },
        .view = view,
        .webViewFrame = webViewFrame,
        .setWebViewFrame = setWebViewFrame,
        .setNavigationBarHidden = setNavigationBarHidden,
        .setRulerHidden = setRulerHidden,
        .setBannerHidden = setBannerHidden,
        .setPageControlHidden = [this](bool hidden) { setPageControlHidden(hidden); },
        .isFindOnPageVisible = isFindVisible,
        .hideFindOnPage = hideFind,
        .isEditing = [this] { return m_isEditing; },
        .endEditing = [this] { endPageEditing(); },
        .clearEditing = clearEditing,
        .isHardwareKeyboardConnected = hardwareKeyboard,
        .setDefaultTextEditorSizeValues = [this] { setDefaultTextEditorSizeValues(); },
        .clearFullScreenMode = [this] { m_viewing.modes->setIsFullScreenDocumentMode(false); },
        .updatePageUpDownControl = [this] { m_pages.recount(); },
        .exitButton = [this] { return m_viewing.modes->exitFullScreenMode(); },
        .random = [] { return std::rand(); },
        .arrangeWindow = [this, showPageAgain](const TypewriterMode::Layout* layout) {
            if (layout)
                m_viewing.modeLayout->showTypewriter({.pageY = layout->webViewY,
                                                      .pageHeight = layout->webViewHeight,
                                                      .topDividerY = layout->topDividerY,
                                                      .bottomDividerY = layout->bottomDividerY,
                                                      .exitButtonY = layout->exitButtonY});
            else
                showPageAgain();
        }});

    tools.wordCounter = std::make_unique<RichTextWordCounter>(RichTextWordCounter::Host{
        .readText = [this](bool wholeText) {
            return toUtf16(m_connection.readString(wholeText ? "document.getElementById('content').innerText"
                                                             : "var sel = window.getSelection();sel.toString();"));
        },
        .hasSelection = [this] { return m_styling->monitor().hasSelection(); },
        .banner = banner,
        .readInteger = [this](const std::string& script) { return m_connection.readInteger(script, 0); }});

    tools.modes = std::make_unique<RichTextViewModes>(defaults, RichTextViewModes::Host{
        .sendScript = send,
        .isPageLoaded = [this] { return m_webView && m_bridge.isPageReady(); },
        .isPad = [] { return Device::current().userInterfaceIdiom() == UserInterfaceIdiom::Pad; },
        .view = view,
        .webViewFrame = webViewFrame,
        .setWebViewFrame = setWebViewFrame,
        .setNavigationBarHidden = setNavigationBarHidden,
        .isEditing = [this] { return m_isEditing; },
        .endEditing = [this] { endPageEditing(); },
        .clearEditing = clearEditing,
        .isSoftKeyboardPresent = [] { return KeyboardService::shared().isKeyboardVisible(); },
        .isHardwareKeyboardConnected = hardwareKeyboard,
        .isFindOnPageVisible = isFindVisible,
        .hideFindOnPage = hideFind,
        .isRTFDocument = [this] { return m_document && m_document->isRTFDocument(); },
        .isTypewriterMode = [this] { return m_viewing.typewriter->isTypewriterMode(); },
        .exitTypeWriterMode = [this] { m_viewing.typewriter->exitTypeWriterMode(); },
        .setRulerHidden = setRulerHidden,
        .setBannerHidden = setBannerHidden,
        .setBannerTextColor = [this](const Color& color) {
            if (m_margins->topAlertBar())
                m_margins->topAlertBar()->setTextColor(color);
        },
        .setDefaultTextEditorSizeValues = [this] { setDefaultTextEditorSizeValues(); },
        .setSpellChecking = [this](bool on) { CaretSelectionCommander::updateSCheck(m_webView.get(), on); },
        .updateWordCounter = [this] { m_viewing.wordCounter->updateWordCounter(); },
        .hideWordCounter = [this] {
            if (m_margins->topAlertBar())
                m_margins->topAlertBar()->setAlpha(0);
        },
        .setTypewriterSounds = [this](bool on) {
            m_viewing.typewriter->setTypeWriterSoundModeActivated(on);
            if (on)
                m_viewing.typewriter->loadTypewriterSounds(Resources::resourcesFolder());
        },
        .bars = [this] {
            KeyBar& keys = m_editingTools->keyBar();
            // The row under the bars reaches the window's edge where they stop.
            return std::vector<std::shared_ptr<View>>{keys.styleToolbar(), keys.keysToolbar1(), keys.keysToolbar2(),
                                                      keys.systemAKRow()};
        },
        .arrangeWindow = [this, showPageAgain](bool fullScreen) {
            if (fullScreen)
                m_viewing.modeLayout->showFullScreen();
            else
                showPageAgain();
            showKeyRow();
        },
        .setPageNumbersOnDark = [this](bool dark) { m_pageControl->setOnDarkPage(dark); }});
    tools.modeLayout = std::make_unique<PageModeLayout>(
        PageModeLayout::Host{
            .container = [this] { return loadedBarContainer(); },
            .focusPage = [this] {
                givePageTheKeyboard();
                // NOTE: focusing the element that has the focus already puts
                // no caret back after the mode's "unselect": it is focused afresh.
                if (m_bridge.isPageReady())
                    m_connection.send("var c=document.getElementById('content');"
                                      "if(document.activeElement===c&&!getSelection().rangeCount)c.blur();c.focus();");
            }},
        tools.modes->exitFullScreenMode(), tools.typewriter->topDivider(), tools.typewriter->bottomDivider());
    tools.modes->exitFullScreenMode()->addAction(ControlEvent::TouchUpInside,
                                                 [this](Control&) { m_viewing.modes->closeFullScreenDocumentMode(); });

    tools.speech = std::make_unique<ReadAloudController>(defaults, MenuController::shared(), ReadAloudController::Host{
        .makeSynthesizer = {},
        .primaryLanguage = [] { return KeyboardService::shared().inputLanguage(); },
        .showSpokenText = [this](const std::u16string& text) {
            std::shared_ptr<Label> bar = m_margins->topAlertBar();
            if (!bar)
                return;
            bar->setAlpha(1.0);
            bar->setHidden(false);
            bar->setText(text);
        },
        .regenerateToolsMenu = [this] { m_styling->barItems().regenerateToolsMenu(); },
        .endEditing =
            [this] {
                endPageEditing();
                // The speech menu offers what the first responder can do: with
                // the page's editing over, that is the editor, which offers
                // pause, resume and cancel while it reads.
                becomeFirstResponder();
            },
        .view = view,
        .menuItem = [this] { return m_styling->barItems().toolsBarButtonItem(); }});
    tools.readAloud = std::make_unique<RichTextReadAloud>(m_connection, *tools.speech, RichTextReadAloud::Host{
        .isEditing = [this] { return m_isEditing; },
        .hasSelection = [this] { return m_styling->monitor().hasSelection(); },
        .selectToEndOfDoc = [this] { m_caret->selectToEndOfDoc(); }});

    tools.writingTools = RichTextWritingTools::make(m_connection, defaults, Pasteboard::general(), RichTextWritingTools::Host{
        .documentViewController = [this]() -> std::shared_ptr<ViewController> {
            return m_document ? m_document->viewControllerToPresent() : nullptr;
        },
        .hasSelection = [this] { return m_styling->monitor().hasSelection(); },
        .endEditing = [this] { endPageEditing(); },
        .insertTextInDocument = [this](const std::u16string& text) { m_editingTools->inserts().insertTextInDocument(text); },
        .documentIsDirty = [this] { documentIsDirty(); },
        .internetConnected = [] { return NetworkReachability::isNetworkAvailable(); },
        // The research page opens in the program's own browser, as a link of
        // the text does; the setting is shared with the other editors and may
        // hold anything, so only a web address is taken up again.
        .openResearchBrowser =
            [this](const std::string& url) {
                openWebAddress(WebPageViewer::isWebAddress(url) ? url : WebPageViewer::kDefaultResearchPage);
            },
        .setContentOffsetY = [this](double y) { m_connection.send(PageScript::call("window.scrollTo", {0, y})); }});
    return tools;
}

} // namespace folio
