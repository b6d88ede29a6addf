#include "qvtext/QVTextViewController.h"

#include "tools/speech/ReadAloudController.h"

#include "engine/html/HTMLSanitizer.h"

#include "documents/TextDocument.h"
#include "formats/html/CSSFontRules.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/LocaleIdentifier.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/services/SpeechSynthesizer.h"
#include "platform/web/WebServices.h"
#include "platform/web/WebView.h"
#include "webeditor/MarginRulerGeometry.h"
#include "platform/ui/BarContainerView.h"
#include "qvtext/QVBodyStyle.h"
#include "qvtext/QVEditingTools.h"
#include "qvtext/QVMarginRuler.h"
#include "qvtext/QVPageNavigator.h"
#include "qvtext/QVPagePlaceholders.h"
#include "qvtext/QVPaper.h"
#include "qvtext/QVPictureCommands.h"
#include "qvtext/QVStyleBarState.h"
#include "qvtext/QVTextAssistant.h"
#include "qvtext/QVTextDialect.h"
#include "qvtext/QVTextKeyBars.h"
#include "qvtext/QVTextPageSetup.h"
#include "qvtext/QVTextPageTemplate.h"
#include "qvtext/QVTextStyling.h"
#include "qvtext/QVTextZoom.h"
#include "qvtext/QVViewKeys.h"
#include "qvtext/QVViewModes.h"
#include "qvtext/QVWordCounter.h"
#include "tools/ruler/RulerRangeSlider.h"
#include "webeditor/EditorBarItems.h"
#include "webeditor/EditorFlags.h"
#include "webeditor/PageMessage.h"
#include "webeditor/PageModeLayout.h"
#include "webeditor/PageResources.h"
#include "webeditor/PageScript.h"
#include "webeditor/WebPageViewer.h"

#include <charconv>
#include <filesystem>

namespace folio {

namespace {

using Gate = PageMessageDispatcher::Gate;

// The page holds the document's content: its web view reads only the
// program's page files and takes messages from its own page alone.
WebEditorController::WebViewFactory editorPageFactory()
{
    return [](const Rect& frame) {
        return WebServices::shared().makeEditorWebView(frame, {Resources::resourcesFolder()});
    };
}

constexpr const char* kComponentFolder = "tinymce/";

std::optional<long long> integerField(const std::string& text)
{
    long long value = 0;
    auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// TinyMCE speaks English by itself; another language needs its pack among
// the installed components.
std::string installedLanguage()
{
    std::string identifier = currentLocaleIdentifier();
    std::string code = QVTextPageTemplate::languageCode(identifier);
    if (code != "en" && !PageResources::componentURL(std::string(kComponentFolder) + "langs/" + code + ".js"))
        return "en";
    return code;
}

} // namespace

QVTextViewController::QVTextViewController(TextDocument& document, WebViewFactory factory, LinkOpener openLink)
    : QVTextViewController(document, std::make_unique<QVTextDialect>(), std::move(factory), std::move(openLink))
{
}

QVTextViewController::QVTextViewController(TextDocument& document, std::unique_ptr<QVTextDialect> dialect,
                                           WebViewFactory factory, LinkOpener openLink)
    : WebEditorController(document, std::move(dialect), factory ? std::move(factory) : editorPageFactory(),
                          std::move(openLink))
    , m_qvDialect(static_cast<const QVTextDialect&>(*m_dialect))
{
    m_styling = std::make_unique<QVTextStyling>(
        m_connection, UserDefaults::standardUserDefaults(),
        QVTextStyling::Host{[this] { documentIsDirty(); },
                            // The picker that asked (the other-styles picker of
                            // "User Style 2") may still be up: the alert shows over it.
                            [this](std::shared_ptr<ViewController> shown) {
                                std::shared_ptr<ViewController> presenter = sharedAs<ViewController>();
                                if (m_document)
                                    presenter = m_document->viewControllerToPresent();
                                while (presenter && presenter->presentedViewController())
                                    presenter = presenter->presentedViewController();
                                Status presented = presenter ? presenter->presentViewController(shown, false)
                                                             : Status(Error{"QVTextViewController", 1, "No view to show in"});
                                if (!presented)
                                    TELog(TELogLevelWarning, "An alert of the editor could not be shown: " + presented.error().message);
                            },
                            [this] { return m_document != nullptr; },
                            [this] { setCurrentDocumentPageSize(); },
                            [this](long side, double margin) { m_margins->paperMarginChanged(side, margin); },
                            [this](const std::string& color) { m_paper->setPaperColor(color); },
                            [] {
                                std::vector<std::string> languages;
                                for (const SpeechVoice& voice : SpeechSynthesizer::speechVoices())
                                    languages.push_back(voice.language);
                                return languages;
                            }});
    makePageViews();
    m_editingTools = std::make_unique<QVEditingTools>(
        m_connection, Pasteboard::general(),
        QVEditingTools::Host{
            .documentIsDirty = [this] { documentIsDirty(); },
            // An answer to something on screen (the find bar's report) shows over it.
            .present =
                [this](std::shared_ptr<ViewController> shown) {
                    if (!m_document)
                        return;
                    std::shared_ptr<ViewController> presenter = m_document->viewControllerToPresent();
                    while (std::shared_ptr<ViewController> top = presenter->presentedViewController())
                        presenter = top;
                    presenter->presentViewController(shown, true);
                },
            .presentFromEditor = [this](std::shared_ptr<ViewController> shown) { presentViewController(shown, true); },
            .view = [this] { return isViewLoaded() ? view() : nullptr; },
            .pageView = [this] { return pageView(); },
            .becomeFirstResponder = [this] { becomeFirstResponder(); },
            .isRTLLanguage = [this] { return m_styling->isRTLLanguage(); },
            .isTypewriterMode = [this] { return m_viewModes && m_viewModes->isTypewriterMode(); },
            .isEditing = [this] { return m_isEditing; },
            .endEditing = [this] { m_isEditing = false; },
            .updatePageUpDownControl =
                [this] {
                    if (m_pages)
                        m_pages->updatePageUpDownControl();
                },
            .biggestFontSize = [this] { return m_styling->characters().getBiggestRealFontSizeInPointsFromSelection(); },
            // Pasted and dropped pictures go in as the picture commands insert
            // every picture; the resize wish is theirs to decide.
            .insertImage =
                [this](const Image::Pointer& image, bool) {
                    if (!m_pictures)
                        return;
                    if (Status inserted = m_pictures->insertImage(image); !inserted)
                        TELog(TELogLevelWarning, "The picture could not be inserted: " + inserted.error().message);
                },
            .documentTitle = [this] { return m_document ? m_document->localizedName() : std::string(); },
        });
    registerRoutes();
    m_editingTools->registerRoutes(m_bridge.dispatcher());
}

void QVTextViewController::makePageViews()
{
    Device& device = Device::current();
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    auto dirty = [this] { documentIsDirty(); };
    auto present = [this](std::shared_ptr<AlertController> alert) {
        if (Status presented = presentViewController(alert, true); !presented)
            TELog(TELogLevelWarning, "An alert of the editor could not be shown");
    };
    auto paint = [this](const std::optional<Color>& color) {
        if (std::shared_ptr<View> shown = viewIfLoaded())
            shown->setBackgroundColor(color);
    };
    m_paper = std::make_unique<QVPaper>(m_connection, QVPaper::Host{paint, [this] { m_viewModes->leaveNightModes(); }, dirty});
    m_zoom = std::make_unique<QVTextZoom>(m_connection, device, defaults,
                                          QVTextZoom::Host{.isPageReady = [this] { return m_bridge.isPageReady(); },
                                                           .didZoom = [this] {
                                                               if (m_pictures)
                                                                   m_pictures->removeResizableView();
                                                           }});
    QVViewModes::Host modes;
    modes.isEditing = [this] { return m_isEditing; };
    modes.setEditing = [this](bool editing) { m_isEditing = editing; };
    modes.isLandscape = [&device] { return device.isLandscape(); };
    modes.showRulerAndBanner = [this, &device](bool restore) {
        m_margins->slider().setHidden(!restore || !device.isPad() || EditorFlags::shared().isiPadPro);
        m_margins->topAlertBar()->setHidden(!restore);
    };
    // The exit button drawn over the page (and Escape) leads out of the
    // modes, so the window's bar can go with the other bars.
    modes.setNavigationBarHidden = [this](bool hidden) {
        if (NavigationController* navigation = navigationController())
            navigation->setNavigationBarHidden(hidden);
    };
    modes.arrangeWindow = [this, &device](QVViewModes::Arrangement arrangement) {
        // A picture's frame and menu belong to the page's old place.
        if (m_pictures)
            m_pictures->removeResizableView();
        if (!m_modeLayout)
            return;
        switch (arrangement) {
        case QVViewModes::Arrangement::Page: m_modeLayout->showPage(); break;
        case QVViewModes::Arrangement::FullScreen: m_modeLayout->showFullScreen(); break;
        case QVViewModes::Arrangement::Typewriter:
            m_modeLayout->showTypewriter(QVViewModes::typewriterBand(device.isLandscape()));
            break;
        }
    };
    modes.showPageCounter = [this](bool shown) { m_pages->pageUpDownView()->setHidden(!shown); };
    modes.refreshPageCounter = [this] { m_pages->updatePageUpDownControl(); };
    modes.webViewFrame = [this] { return m_webView ? m_webView->frame() : Rect{}; };
    modes.setWebViewFrame = [this](const Rect& frame) {
        if (m_webView)
            m_webView->setFrame(frame);
    };
    modes.setBannerVisible = [this](bool visible) {
        m_margins->topAlertBar()->setHidden(!visible);
        m_margins->topAlertBar()->setAlpha(visible ? 1 : 0);
    };
    modes.setBannerTextColor = [this](const Color& color) { m_margins->topAlertBar()->setTextColor(color); };
    modes.setSpellCheckingEnabled = [this](bool enabled) {
        if (m_webView)
            m_webView->setSpellCheckingEnabled(enabled);
    };
    modes.paintBackground = [paint](const Color& color) { paint(color); };
    modes.updateWordCounter = [this] { m_wordCounter->updateWordCounter(); };
    m_viewModes = std::make_unique<QVViewModes>(m_connection, *m_paper, defaults, std::move(modes));
    m_modeLayout = std::make_unique<PageModeLayout>(
        PageModeLayout::Host{.container = [this] { return loadedBarContainer(); },
                             .focusPage = [this] { givePageTheKeyboard(); }},
        m_viewModes->exitFullScreenMode(), m_viewModes->topDividerTypewriter(), m_viewModes->bottomDividerTypewriter());
    QVMarginRuler::Host ruler;
    ruler.documentIsDirty = dirty;
    ruler.isNewBlankDocument = [this] { return blankDocument() == BlankDocument::Yes; };
    ruler.isTypewriterMode = [this] { return m_viewModes->isTypewriterMode(); };
    ruler.isInMultitaskingMode = [this] { return m_isInMultitaskingMode; };
    // The window's size is the editor view's on the desktop, which is told
    // of no size change before it is first shown.
    auto shownSize = [this] {
        std::shared_ptr<View> shown = viewIfLoaded();
        return shown && shown->frame().width() > 0 ? shown->frame().size : m_size;
    };
    ruler.windowSize = shownSize;
    ruler.viewSize = shownSize;
    ruler.wordCounterVisible = [this] { return m_viewModes->wordCounterVisible(); };
    ruler.updateWordCounter = [this] { m_wordCounter->updateWordCounter(); };
    ruler.refreshPageCounter = [this] {
        m_pages->updateEditorScrollHeightAndOffset();
        m_pages->updatePageUpDownControl();
    };
    m_margins = std::make_unique<QVMarginRuler>(m_connection, device, defaults, std::move(ruler));
    m_wordCounter = std::make_unique<QVWordCounter>(
        m_connection, QVWordCounter::Host{[this] { return m_viewModes->wordCounterVisible(); },
                                          [this] { return m_margins->topAlertBar(); }});
    QVPageNavigator::Host pages;
    pages.canShowCounter = [this] {
        return m_document && m_webView && !m_viewModes->isTypewriterMode() && !m_bridge.isClosing();
    };
    // A window narrower than the screen is how a desktop shows a document,
    // not a tablet's split screen: the numbers show at every window size.
    pages.showsNumbers = [&device] { return device.isPad(); };
    pages.isEditing = [this] { return m_isEditing; };
    pages.removeResizableView = [this] { m_pictures->removeResizableView(); };
    pages.presentAlert = present;
    pages.moveToEndOfDoc = [this] {
        m_connection.send("tinymce.activeEditor.selection.select(tinymce.activeEditor.getBody(), true);"
                          "tinymce.activeEditor.selection.collapse(false);");
        m_connection.send(QVPageNavigator::scrollToScript(m_pages->counter().scrollHeight()));
    };
    // The text keeps clear of the panel at the page's right edge: the
    // page's scrolling container stops short of it while it shows.
    pages.panelDidShow = [this](bool shown) {
        double inset = shown ? editorTraits().pageUpDownRightInset : 0;
        m_connection.send(PageScript::fill("document.querySelector('.container').style.right = {};",
                                           {formatFixed(inset, 0) + "px"}));
    };
    m_pages = std::make_unique<QVPageNavigator>(m_connection, defaults, std::move(pages));
    QVPictureCommands::Host pictures;
    pictures.documentIsDirty = dirty;
    pictures.presentAlert = present;
    pictures.overlayParent = [this] { return pageView(); };
    pictures.visibleHeight = [this] { return m_size.height; };
    pictures.viewWidth = [this] { return m_size.width; };
    pictures.isPhoneInLandscape = [&device] { return !device.isPad() && device.isLandscape(); };
    pictures.isClosing = [this] { return m_bridge.isClosing(); };
    pictures.screenScale = [&device] { return device.screenScale(); };
    pictures.becomeFirstResponder = [this] { becomeFirstResponder(); };
    pictures.pictureHTML = [this](const std::string& base64, Size size, bool rightToLeft) {
        return pictureHTML(base64, size, rightToLeft);
    };
    pictures.imageMenuItems = [this] { return imageMenuItems(); };
    pictures.selectsInsertedPicture = [this] { return editorTraits().selectsInsertedPicture; };
    pictures.ignoresTouch = [this] { return editorTraits().ignoresPictureTouchWhileScrolling && m_isEditorScrollingView; };
    m_pictures = std::make_unique<QVPictureCommands>(m_connection, std::move(pictures));
}

QVTextViewController::~QVTextViewController()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

Result<EditorContent> QVTextViewController::content(EditorContent::Parts parts)
{
    Result<PageContent::Reply> reply = readContent(parts);
    if (!reply)
        return reply.error();
    EditorContent& content = reply->content;
    content.bodyHTML = pageSafeHTML(QVBodyStyle::withoutStyleElements(content.bodyHTML));
    // The style is the page's body's, which the document's markup may have
    // set: it is saved as safe as the markup.
    if (content.bodyStyle)
        content.bodyStyle = HTMLSanitizer::sanitizedCSS(*content.bodyStyle, HTMLSanitizer::Use::EditingPage);
    if (std::optional<Error> problem = contentProblem(content))
        return *problem;
    // Kept as the page holds it, so that a page whose process crashed is
    // loaded again from what the user last had.
    if (m_document)
        m_document->setText(toUtf16(content.storedQVPage()));
    return std::move(content);
}

std::string QVTextViewController::pageSafeHTML(std::string_view html)
{
    return HTMLSanitizer::sanitizedHTML(html, HTMLSanitizer::Use::EditingPage);
}

Result<std::string> QVTextViewController::pageHTML() const
{
    QVTextPageTemplate::Page page;
    QVTextPageTemplate::BodyFont font = QVTextPageTemplate::bodyFont(UserDefaults::standardUserDefaults(), blankDocument());
    page.fontFamily = font.family;
    page.fontSize = font.size;
    page.tinymceURL = PageResources::componentURL(std::string(kComponentFolder) + "tinymce.min.js").value_or("");
    page.helpersURL = PageResources::helperLibraryURL().value_or("");
    page.checklistURL = PageResources::pageFileURL("checklist.js").value_or("");
    page.rangyURL = PageResources::componentURL("rangy/lib/rangy-core.js").value_or("");
    page.rangyTextRangeURL = PageResources::componentURL("rangy/lib/rangy-textrange.js").value_or("");
    page.bootstrapURL = PageResources::pageFileURL("qvtext.js").value_or("");
    page.fontRules = CSSFontRules::currentRules(CSSFontRules::CustomNameVariants::AlsoWithoutBlanks);
    page.language = installedLanguage();
    if (m_document)
        page.html = pageSafeHTML(toUtf8(m_document->text()));
    return QVTextPageTemplate::build(page);
}

void QVTextViewController::loadHTMLDocument()
{
    if (!m_document || !ensureWebView())
        return;
    // Without TinyMCE the page is a bare text box whose text never reaches the file.
    if (!PageResources::componentURL(std::string(kComponentFolder) + "tinymce.min.js")) {
        showPageError(Error{kErrorDomain, PageNotReady, "Its editing component (TinyMCE) is not installed."});
        return;
    }
    Result<std::string> html = pageHTML();
    if (!html) {
        showPageError(html.error());
        return;
    }
    std::string base = PageResources::componentFolderURL().value_or("about:blank");
    if (base != "about:blank")
        base += kComponentFolder;
    m_bridge.pageWillLoad();
    m_webView->loadHTMLString(*html, base);
}

void QVTextViewController::viewDidLoad()
{
    WebEditorController::viewDidLoad();
    // Drops land on the page itself: files dropped on the view around it
    // would reach the page as their addresses.
    if (std::shared_ptr<View> page = pageView())
        m_editingTools->prepareWebViewText(*page);
    else if (view())
        m_editingTools->prepareWebViewText(*view());
    if (m_forPreviewGeneration)
        return;
    m_margins->viewDidLoad();
    // A pinch steps the text zoom once it ends.
    auto pinch = std::make_shared<PinchGestureRecognizer>([this](GestureRecognizer& recognizer) {
        if (recognizer.state() == GestureRecognizerState::Ended && m_webView)
            m_zoom->pinchEnded(static_cast<PinchGestureRecognizer&>(recognizer).scale());
    });
    if (std::shared_ptr<View> shown = viewIfLoaded())
        shown->addGestureRecognizer(pinch);
    tools().updateMainToolBarButtonsToSize(*navigationItem(), m_size);
    // The desktop has no keyboard to raise the key bars with: they are
    // there along the bottom of the page from the start.
    tools().keyBars().removeFormBar();
    showKeyBars();
    // The style bar follows the style at the caret, and the counts follow a
    // new selection.
    QVTextKeyBars& bars = tools().keyBars();
    m_styleBar = std::make_unique<QVStyleBarState>(QVStyleBarState::Buttons{
        bars.styleButton("boldExecCommand"), bars.styleButton("italicExecCommand"),
        bars.styleButton("underlineExecCommand"), bars.styleButton("showFontNameTextStyle"),
        bars.styleButton("showFontSizeMenu"), bars.styleAlign()});
    m_styling->styleMonitor().setStyleDidChange([this](const QVStyleMonitor::Snapshot& snapshot) {
        m_styleBar->apply(snapshot);
        m_wordCounter->scheduleUpdate();
    });
    if (BarContainerView* container = barContainer()) {
        // The margins ruler and its read-out above the page, the page
        // counter over its lower corner.
        m_margins->sliderView()->setFrame(Rect{{0, 0}, {m_size.width, MarginRulerGeometry::kRulerHeight}});
        m_margins->topAlertBar()->setFrame(Rect{{0, 0}, {m_size.width, MarginRulerGeometry::kBannerHeight}});
        container->setBars(BarContainerView::Edge::Top, {m_margins->sliderView(), m_margins->topAlertBar()});
        // The counter's left edge stands its editor's inset from the right.
        const std::shared_ptr<View>& counter = m_pages->pageUpDownView();
        const double inset = std::max(0.0, editorTraits().pageUpDownRightInset - counter->frame().width());
        container->addFloatingView(counter, {BarContainerView::Alignment::End, BarContainerView::Alignment::End,
                                             {inset, 16}});
        container->reloadBars();
    }
}

void QVTextViewController::viewWillTransitionToSize(Size size)
{
    Device& device = Device::current();
    m_isInMultitaskingMode = device.isPad() && size.width != device.screenBounds().width();
    m_size = size;
    m_pictures->removeResizableView();
    // The page counter panel stands at the right edge, lower in portrait.
    Rect panel = m_pages->pageUpDownView()->frame();
    m_pages->pageUpDownView()->setFrame(
        makeRect(size.width - editorTraits().pageUpDownRightInset, device.isLandscape() ? 410 : 510, panel.width(),
                 panel.height()));
    m_pages->scheduleUpdatePageUpDownControl();
    if (m_tools) {
        m_tools->updateMainToolBarButtonsToSize(*navigationItem(), size);
        // Before the view takes the size: the key bar's height for it
        // decides the room the page gets.
        m_tools->keyBars().fitToWidth(size.width);
    }
    if (m_webView)
        m_webView->setFrame(Rect{m_webView->frame().origin, size});
}

void QVTextViewController::viewWillAppear(bool animated)
{
    WebEditorController::viewWillAppear(animated);
    if (m_bridge.isPageReady())
        m_styling->styleMonitor().start();
}

void QVTextViewController::viewDidDisappear(bool animated)
{
    WebEditorController::viewDidDisappear(animated);
    m_styling->styleMonitor().stop();
}

void QVTextViewController::pageDidBecomeReady()
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    QVTextPageSetup::Settings settings = QVTextPageSetup::Settings::fromDefaults(defaults, blankDocument());

    // A page that does not tell its stored style keeps the stored element
    // rather than lose it.
    if (std::optional<std::string> answer = m_connection.read(QVTextPageSetup::storedStyleScript()))
        m_connection.send(QVTextPageSetup::restoreBodyStyleScript(
            bodyStyleToRestore(QVTextPageSetup::storedStyleFromAnswer(*answer))));
    else
        TELog(TELogLevelWarning, "The QV text page did not tell its stored body style");
    std::string background =
        settings.isNewBlankDocument ? std::string() : m_connection.readString(QVTextPageSetup::backgroundColorScript());
    for (const std::string& script : QVTextPageSetup::fontAndPaperScripts(settings, background))
        m_connection.send(script);
    for (const std::string& script : newBlankDocumentScripts(settings))
        m_connection.send(script);
    if (settings.isNewBlankDocument && m_document) {
        m_document->setDocTopMargin(QVTextPageSetup::documentMargin(settings.marginTop));
        m_document->setDocBottomMargin(QVTextPageSetup::documentMargin(settings.marginBottom));
    }
    if (defaults.boolForKey("darknightMode").value_or(false))
        m_connection.send("addcss('html,img,object {-webkit-filter: invert(1) hue-rotate(180deg);}');"
                          + QVPaper::paperColorScript("#d0d0d0"));
    m_zoom->pageDidBecomeReady();
    m_wordCounter->updateWordCounter();
    m_pages->updateEditorPageSize();
    m_margins->updateRulerMarginValues();
    // A right-to-left keyboard turns the page before the user types.
    m_styling->setTextDirection();
    m_styling->styleMonitor().start();
    scrollToBookmark();
    m_pages->scheduleUpdatePageUpDownControl();
    tools().assistant().pageDidBecomeReady();
    if (m_document)
        m_document->setIsNewBlankDocument(false);
}

std::vector<std::string> QVTextViewController::newBlankDocumentScripts(const QVTextPageSetup::Settings& settings) const
{
    return QVTextPageSetup::blankDocumentScripts(settings);
}

std::string QVTextViewController::pictureHTML(const std::string& base64, Size size, bool rightToLeft) const
{
    return QVPictureCommands::pictureHTML(base64, size, rightToLeft);
}

std::vector<MenuItem> QVTextViewController::imageMenuItems() const
{
    return QVPictureCommands::imageMenuItems();
}

BlankDocument QVTextViewController::blankDocument() const
{
    return m_document && m_document->isNewBlankDocument() ? BlankDocument::Yes : BlankDocument::No;
}

std::string QVTextViewController::getCurrentPageHeaderControl() const
{
    return QVPagePlaceholders::getCurrentPageHeaderControl(editorTraits().headerFooterElement);
}

std::string QVTextViewController::getCurrentPageFooterControl() const
{
    return QVPagePlaceholders::getCurrentPageFooterControl(editorTraits().headerFooterElement);
}

void QVTextViewController::scrollToBookmark()
{
    if (!m_document)
        return;
    long long position = storedScrollPosition();
    if (position != 0)
        m_connection.send(PageScript::fill(QVTextDialect::kScrollToScript, {position}));
}

void QVTextViewController::registerRoutes()
{
    PageMessageDispatcher& routes = m_bridge.dispatcher();
    // Only once the page holds the document: a key before that changed nothing of it.
    routes.add("onkeydownEvent", Gate::WhenReady, [this](const PageMessage& message) {
        m_isEditorScrollingView = false;
        m_isEditing = true;
        if (!message.isCaretOnlyKey())
            documentIsDirty();
    });
    routes.add("dirtyEvent", Gate::Always, [this](const PageMessage&) {
        documentIsDirty();
        m_wordCounter->scheduleUpdate();
    });
    // Only once the page is the editor's: a link opens for a person's touch.
    routes.add("linkTouchedEvent", Gate::WhenReady, [this](const PageMessage& message) {
        if (!message.data.empty())
            followLink(message.data);
    });
    // The caret came into a link: its address shows above the page for a while.
    routes.add("linkSelectedEvent", Gate::WhenReady, [this](const PageMessage&) { tools().run("updateIsLinkAlert"); });
    routes.add("cutEvent", Gate::Always, [this](const PageMessage&) {
        // A cut changes the document even while the application is away.
        bool foreground = m_dirty.isInForeground();
        m_dirty.setInForeground(true);
        documentIsDirty();
        m_dirty.setInForeground(foreground);
    });
    // Sent once the page's scrolling settles: a framed picture has moved with it.
    routes.add("scrollEvent", Gate::WhenReady, [this](const PageMessage&) {
        m_isEditorScrollingView = true;
        if (m_pictures)
            m_pictures->followPicture();
    });
    // The tap of the page's view: a scroll is over, so a picture pressed
    // after it is selected again. (TinyMCE's find dialog closes itself.)
    routes.add("tapEvent", Gate::WhenReady, [this](const PageMessage& message) {
        m_isEditorScrollingView = false;
        // The frame covers its picture: a press that reaches the page is
        // beside it, and leaves the picture.
        if (m_pictures)
            m_pictures->removeResizableView();
        std::vector<std::string> fields = message.fields('_');
        std::optional<long long> x = fields.size() == 2 ? integerField(fields[0]) : std::nullopt;
        std::optional<long long> y = fields.size() == 2 ? integerField(fields[1]) : std::nullopt;
        if (x && y)
            m_touchPointEditor = Point{static_cast<double>(*x), static_cast<double>(*y)};
    });
    routes.add("endScrollEvent", Gate::WhenReady, [this](const PageMessage& message) {
        std::vector<std::string> fields = message.fields('_');
        if (fields.size() != 2)
            return;
        std::optional<long long> offset = integerField(fields[0]);
        std::optional<long long> height = integerField(fields[1]);
        if (!offset || !height)
            return;
        m_isEditorScrollingView = false;
        m_editorScrollOffset = *offset;
        m_editorScrollHeight = *height;
        m_pages->pageDidScroll(*offset, *height);
        m_pages->updatePageUpDownControl();
    });
    routes.add("imageTouchedEvent", Gate::WhenReady, [this](const PageMessage&) { m_pictures->scheduleSelection(); });
    routes.add("insertTabEvent", Gate::Always, [this](const PageMessage&) {
        insertTabKey();
        documentIsDirty();
    });
}

void QVTextViewController::insertTabKey()
{
    // The engine's own insertion, as typing does it: the tab goes into a
    // pre-formatted tab span. TinyMCE serialises the tab inside it as a
    // blank, so a saved tab reads back as a space in that span.
    m_connection.send("tinymce.activeEditor.getDoc().execCommand('insertText', false, '\\t');");
}

void QVTextViewController::pageProcessDidTerminate(const std::string& reason)
{
    TELog(TELogLevelWarning, "The editing page stopped (" + reason + "); loading it again from the last saved text");
    if (!m_webView || !m_document || m_bridge.isClosing())
        return;
    m_connection.connect(m_webView.get());
    loadHTMLDocument();
}

void QVTextViewController::documentDidClose()
{
    keepScrollPosition();
    // A reading does not outlive its document.
    if (m_tools)
        m_tools->run("cancelSpeak");
    m_styling->cancelPendingTasks();
    m_zoom->cancelPendingTasks();
    m_pages->cancelPendingTasks();
    m_pictures->cancelPendingTasks();
    m_editingTools->cancelPendingTasks();
    m_wordCounter->cancelPendingTasks();
    RunLoop::main().cancelPreviousPerformRequests(this, "documentDidSave");
    // Nothing more is sent to the page: it goes with the editor.
    beginClosing();
    m_connection.disconnect();
}

Status QVTextViewController::openInWebViewWithPath(const std::string& address)
{
    if (!m_webPageViewer)
        m_webPageViewer = std::make_unique<WebPageViewer>();
    Status opened = m_webPageViewer->openInWebViewWithPath(address, *this, m_browsingPageFactory);
    if (!opened)
        TELog(TELogLevelWarning, "The page could not be shown: " + opened.error().message);
    return opened;
}

void QVTextViewController::openWebAddress(const std::string& url)
{
    (void)openInWebViewWithPath(url);
}

void QVTextViewController::documentWillSave()
{
    if (!m_document)
        return;
    // A close in the middle of a save would take the page away from it.
    if (!isForPreviewGeneration()) {
        setCloseItemsEnabled(false);
        followSaveToItsEnd();
    }
    if (!m_bridge.isPageReady())
        return;
    m_document->setDocLeftMargin(m_margins->leftMarginToSave());
    m_document->setDocRightMargin(m_margins->rightMarginToSave());
}

void QVTextViewController::followSaveToItsEnd()
{
    // The document writes on its own queue and says nothing to its editor
    // when it is done; its saving state is looked at again shortly.
    constexpr double kSaveCheckSeconds = 0.1;
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, "documentDidSave");
    loop.performSelectorAfterDelay(this, "documentDidSave", {}, kSaveCheckSeconds, [this] {
        if (m_document && m_document->isSaving())
            followSaveToItsEnd();
        else
            documentDidSave();
    });
}

void QVTextViewController::documentDidSave()
{
    RunLoop::main().cancelPreviousPerformRequests(this, "documentDidSave");
    setCloseItemsEnabled(true);
}

void QVTextViewController::setCloseItemsEnabled(bool enabled)
{
    EditorBarItems& items = tools().barItems();
    items.closeDocumentBarButtonItem()->setEnabled(enabled);
    items.compactCloseDocumentBarButtonItem()->setEnabled(enabled);
}

void QVTextViewController::documentViewZoomModified(double percent)
{
    m_zoom->documentViewZoomModified(percent);
}

double QVTextViewController::documentViewZoomPercent() const
{
    return static_cast<double>(m_zoom->currentPercent());
}

void QVTextViewController::setCurrentDocumentPageSize()
{
    m_pages->updateEditorPageSize();
    documentIsDirty();
}

std::vector<std::shared_ptr<KeyCommand>> QVTextViewController::keyCommands() const
{
    // Bound weakly: a caller may keep the commands longer than the editor lives.
    std::weak_ptr<Responder> weak = const_cast<QVTextViewController*>(this)->weak_from_this();
    auto editor = [weak]() -> QVTextViewController* {
        std::shared_ptr<Responder> strong = weak.lock();
        return strong ? static_cast<QVTextViewController*>(strong.get()) : nullptr;
    };
    std::vector<std::shared_ptr<KeyCommand>> commands = QVTextStyling::keyCommands([editor]() -> QVTextStyling* {
        QVTextViewController* shown = editor();
        return shown && shown->m_bridge.isPageReady() ? shown->m_styling.get() : nullptr;
    });
    std::vector<std::shared_ptr<KeyCommand>> editing = QVEditingTools::keyCommands(
        [editor]() -> QVEditingTools* {
            QVTextViewController* shown = editor();
            return shown ? shown->m_editingTools.get() : nullptr;
        },
        [editor] {
            QVTextViewController* shown = editor();
            return shown && shown->m_bridge.isPageReady();
        },
        [editor] {
            if (QVTextViewController* shown = editor())
                shown->undoAction();
        },
        [editor] {
            if (QVTextViewController* shown = editor())
                shown->redoAction();
        });
    commands.insert(commands.end(), editing.begin(), editing.end());
    std::vector<std::shared_ptr<KeyCommand>> viewKeys = QVViewKeys::keyCommands(editor);
    commands.insert(commands.end(), viewKeys.begin(), viewKeys.end());
    return commands;
}

bool QVTextViewController::canPerformAction(const std::string& action, const void* sender) const
{
    if (std::optional<bool> decided = m_styling->canPerformAction(action))
        return *decided;
    if (m_tools) {
        if (std::optional<bool> speech = m_tools->canPerformSpeechAction(action, m_styling->existVoiceForLanguage()))
            return *speech;
    }
    if (std::optional<bool> decided = m_pictures->canPerformAction(action))
        return *decided;
    return WebEditorController::canPerformAction(action, sender);
}

bool QVTextViewController::editMenuHoldsOwnRows() const
{
    bool reading = m_tools && (m_tools->speech().synthesizerIsSpeaking() || m_tools->speech().synthesizerIsPaused());
    return reading || (m_pictures && (m_pictures->currentlyImageResizableView() || m_pictures->cropper()));
}

bool QVTextViewController::respondsToAction(const std::string& action) const
{
    // The edit menu's cut and copy take the selected text, when there is
    // some; its paste goes through the editor's own, safe paste.
    if (action == "cut:" || action == "copy:")
        return m_editingTools && !m_editingTools->hasSelection();
    return action == "paste:" || action == "pasteRichText:" || action == "highlightYellowTextSelection:" ||
           action == "wisperantActionFromContextualMenu:" || m_pictures->canPerformAction(action).has_value() ||
           action == "pauseSpeak:" || action == "resumeSpeak:" || action == "cancelSpeak:" ||
           action == "speakSelectedText:" || WebEditorController::respondsToAction(action);
}

bool QVTextViewController::performAction(const std::string& action, const void* sender)
{
    if (action == "paste:" || action == "pasteRichText:") {
        m_editingTools->clipboard().paste();
        return true;
    }
    if (action == "cut:" || action == "copy:") {
        if (action == "cut:")
            m_editingTools->clipboard().cutSelection();
        else
            m_editingTools->clipboard().copySelection();
        return true;
    }
    if (tools().performSpeechAction(action))
        return true;
    if (action == "highlightYellowTextSelection:") {
        m_styling->characters().highlightYellowTextSelection();
        return true;
    }
    if (action == "wisperantActionFromContextualMenu:") {
        tools().assistant().showWisperant();
        return true;
    }
    return m_pictures->performAction(action) || WebEditorController::performAction(action, sender);
}

} // namespace folio
