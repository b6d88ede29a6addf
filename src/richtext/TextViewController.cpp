#include "richtext/TextViewController.h"

#include "documents/TextDocument.h"
#include "engine/css/ColorHTML.h"
#include "foundation/ColorExpanded.h"
#include "formats/html/CSSFontRules.h"
#include "platform/docframework/DKKeyCommands.h"
#include "platform/docframework/DKWebViewController.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/View.h"
#include "platform/web/WebView.h"
#include "richtext/RichTextBodyCleaner.h"
#include "richtext/RichTextDialect.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/RichTextPageSetup.h"
#include "richtext/RichTextPageTemplate.h"
#include "richtext/RichTextStyling.h"
#include "webeditor/PageContent.h"
#include "webeditor/PageMessage.h"
#include "webeditor/PageResources.h"

#include <filesystem>

namespace folio {

namespace {

using Gate = PageMessageDispatcher::Gate;

constexpr const char* kPageStyleSheet = "richtext-page.css";
constexpr const char* kReadOnlyScript = "document.getElementById('content').contentEditable=false";

} // namespace

TextViewController::TextViewController(TextDocument& document, WebViewFactory factory, LinkOpener openLink)
    : WebEditorController(document, std::make_unique<RichTextDialect>(), std::move(factory), std::move(openLink))
    , m_styling(makeStyling())
    , m_tools(makeEditingTools())
{
    registerRoutes();
    m_tools->registerRoutes(m_bridge.dispatcher());
}

std::unique_ptr<RichTextStyling> TextViewController::makeStyling()
{
    RichTextStyling::Host host = RichTextStyling::hostForDocument(
        m_connection, [this] { return m_document; }, [this] { return isViewLoaded() ? view() : nullptr; });
    // A page that is not ready yet has no formatting to show.
    host.hasDocument = [this] { return m_document != nullptr && m_bridge.isPageReady(); };
    host.isClosingDocument = [this] { return m_bridge.isClosing(); };
    host.isEditing = [this] { return m_isEditing; };
    host.documentIsDirty = [this] { documentIsDirty(); };
    host.undoAction = [this] { undoAction(); };
    host.redoAction = [this] { redoAction(); };
    host.superCanPerformAction = [this](const std::string& action) { return ViewController::canPerformAction(action, nullptr); };
    return std::make_unique<RichTextStyling>(m_connection, UserDefaults::standardUserDefaults(), std::move(host));
}

std::unique_ptr<RichTextEditingTools> TextViewController::makeEditingTools()
{
    RichTextEditingTools::Host host;
    host.documentIsDirty = [this] { documentIsDirty(); };
    // An answer to something on screen (the find bar's report) shows over it.
    host.present = [this](std::shared_ptr<ViewController> controller) {
        if (!m_document)
            return;
        std::shared_ptr<ViewController> presenter = m_document->viewControllerToPresent();
        while (std::shared_ptr<ViewController> shown = presenter->presentedViewController())
            presenter = shown;
        presenter->presentViewController(controller, true);
    };
    host.presentFromEditor = [this](std::shared_ptr<ViewController> controller) { presentViewController(controller, true); };
    host.view = [this] { return isViewLoaded() ? view() : nullptr; };
    host.webViewHeight = [this] { return m_webView ? m_webView->frame().size.height : m_size.height; };
    host.setEditing = [this](bool editing) { m_isEditing = editing; };
    return std::make_unique<RichTextEditingTools>(m_connection, UserDefaults::standardUserDefaults(), *m_styling, std::move(host));
}

TextViewController::~TextViewController()
{
    m_tools->cancelPendingTasks();
    m_styling->monitor().stop();
    dismissLoadProgress();
}

Result<EditorContent> TextViewController::content(EditorContent::Parts parts)
{
    Result<PageContent::Reply> reply = readContent(parts);
    if (!reply)
        return reply.error();
    // Kept as the page holds it, so that a page whose process crashed is
    // loaded again from what the user last had.
    if (m_document)
        m_document->setText(toUtf16(PageContent::unwrappedHTML(*reply)));
    reply->content.bodyHTML = RichTextBodyCleaner::cleaned(std::move(reply->content.bodyHTML));
    // The page shows the document's paper colour by its nearest colour name;
    // while it still shows that name, the document's own colour is the paper,
    // so that saving does not move it to the name's.
    std::optional<Color> shown = colorWithHTMLName(std::string_view(m_shownPaperColor));
    if (m_document && m_document->paperColor() && shown && reply->content.paperColor == hexStringFromColor(*shown))
        reply->content.paperColor = m_document->paperColor();
    return std::move(reply->content);
}

void TextViewController::viewDidLoad()
{
    WebEditorController::viewDidLoad();
    m_styling->barItems().updateMainToolBarButtonsToSize(*navigationItem(), m_size, true);
    if (!m_forPreviewGeneration)
        m_styling->monitor().start();
}

void TextViewController::viewWillTransitionToSize(Size size)
{
    m_size = size;
    m_styling->barItems().updateMainToolBarButtonsToSize(*navigationItem(), size, true);
    if (!m_webView)
        return;
    m_webView->setFrame(Rect{m_webView->frame().origin, size});
    if (m_bridge.isPageReady())
        m_connection.send(RichTextPageSetup::heightScript(pageHeight()));
}

double TextViewController::pageHeight() const
{
    return m_size.height;
}

std::string TextViewController::pageHTML() const
{
    return RichTextPageTemplate::build(pageToLoad());
}

RichTextPageTemplate::Page TextViewController::pageToLoad() const
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    RichTextPageTemplate::Settings settings = RichTextPageTemplate::Settings::fromDefaults(defaults);
    RichTextPageTemplate::Page page;
    page.style = RichTextPageTemplate::styleFor(settings);
    page.paperColor = RichTextPageTemplate::paperColorFor(settings, page.style,
                                                          m_document ? m_document->paperColor() : std::nullopt);
    page.fontRules = CSSFontRules::currentRules(CSSFontRules::CustomNameVariants::AlsoWithoutBlanks);
    page.helperScriptURL = PageResources::helperLibraryURL().value_or("");
    page.styleSheetURL = PageResources::pageFileURL(kPageStyleSheet).value_or("");
    page.header = RichTextPageTemplate::headerElement(settings.headerSetting);
    page.footer = RichTextPageTemplate::footerElement(settings.footerSetting);
    if (m_document)
        page.html = toUtf8(m_document->text());
    return page;
}

void TextViewController::loadHTMLDocument()
{
    if (!m_document || !ensureWebView())
        return;
    if (!PageResources::helperLibraryURL())
        TELog(TELogLevelError, "The page helpers are not installed; the editing page will not become ready");
    std::string base = URL::fileURLWithPath(ODSLocalDirectoryScope::documentDataFolderDirectoryURL(), true).absoluteString();
    // A large document takes seconds to lay out, and the page is blank until
    // then: the overlay says that something is coming.
    if (m_bridge.finishedLoadCount() == 0 && !m_forPreviewGeneration && !m_showsLoadProgress) {
        m_showsLoadProgress = true;
        ProgressHUD::show();
    }
    m_bridge.pageWillLoad();
    RichTextPageTemplate::Page page = pageToLoad();
    m_shownPaperColor = page.paperColor;
    m_webView->loadHTMLString(RichTextPageTemplate::build(page), base);
}

void TextViewController::pageDidFinishLoad()
{
    dismissLoadProgress();
}

void TextViewController::dismissLoadProgress()
{
    if (std::exchange(m_showsLoadProgress, false))
        ProgressHUD::dismiss();
}

std::shared_ptr<AlertController> TextViewController::readOnlyDocumentAlert()
{
    auto alert = AlertController::make(
        toUtf16(Localization::localizedString("Read Only Document")),
        toUtf16(Localization::localizedString("Oops! Sorry, this document cannot be edited because tables are not "
                                              "supported yet. We will fix it very soon! Thanks!")));
    alert->addAction(AlertAction::make(toUtf16(Localization::localizedString("OK")), AlertActionStyle::Default));
    return alert;
}

void TextViewController::pageDidBecomeReady()
{
    dismissLoadProgress();
    // The document refuses every save of a text the page cannot carry back;
    // the page shows it without taking typing, and says why.
    if (m_document && m_document->isRTFDocument()) {
        m_connection.send(kReadOnlyScript);
        if (!m_forPreviewGeneration) {
            if (Status shown = presentViewController(readOnlyDocumentAlert(), true); !shown)
                TELog(TELogLevelWarning, "The read-only notice could not be shown: " + shown.error().message);
        }
    }
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    RichTextPageSetup::Settings settings = RichTextPageSetup::Settings::fromDefaults(defaults);
    for (const std::string& script : RichTextPageSetup::readyScripts(settings, pageHeight()))
        m_connection.send(script);
    for (const std::string& key : RichTextPageSetup::consumedSettings(settings))
        defaults.setDouble(key, 0);
    if (m_document)
        m_document->setIsNewBlankDocument(false);
    defaults.setBool("isNewBlankDocument", false);
    defaults.synchronize();
}

void TextViewController::registerRoutes()
{
    PageMessageDispatcher& routes = m_bridge.dispatcher();
    routes.add("onkeydownEvent", Gate::Always, [this](const PageMessage&) {
        m_isEditing = true;
        if (m_document && !m_document->hasUnsavedChanges())
            documentIsDirty();
    });
    routes.add("dirtyEvent", Gate::Always, [this](const PageMessage&) { documentIsDirty(); });
    routes.add("imagesInserted", Gate::Always, [this](const PageMessage&) { documentIsDirty(); });
    routes.add("linkTouchedEvent", Gate::Always, [this](const PageMessage& message) {
        if (!message.data.empty())
            openLinkInBrowser(linkTarget(message.data));
    });
    routes.add("copyEventList", Gate::Always, [this](const PageMessage&) { copySelection(false); });
    routes.add("cutEventList", Gate::Always, [this](const PageMessage&) { copySelection(true); });
    routes.add("cutEvent", Gate::Always, [this](const PageMessage&) { documentIsDirty(); });
    routes.add("insertTabEvent", Gate::Always, [this](const PageMessage&) {
        m_connection.send("document.execCommand('insertText', false, '\\t');");
        documentIsDirty();
    });
}

std::vector<std::shared_ptr<KeyCommand>> TextViewController::keyCommands() const
{
    // Bound weakly: a caller may keep the commands longer than the editor lives.
    std::weak_ptr<Responder> weak = const_cast<TextViewController*>(this)->weak_from_this();
    auto bind = [weak](std::function<void(TextViewController&)> action) {
        return [weak, action] {
            if (auto strong = weak.lock())
                action(static_cast<TextViewController&>(*strong));
        };
    };
    return DKKeyCommands::keyCommandsWithCategories(
        {DKKeyCommands::kDocumentControllerCategory},
        {
            {"undoAction", bind([](TextViewController& editor) { editor.undoAction(); })},
            {"redoAction", bind([](TextViewController& editor) { editor.redoAction(); })},
            {"boldExecCommand:", bind([](TextViewController& editor) { editor.styling().characters().boldExecCommand(); })},
            {"italicExecCommand:",
             bind([](TextViewController& editor) { editor.styling().characters().italicExecCommand(); })},
            {"underlineExecCommand",
             bind([](TextViewController& editor) { editor.styling().characters().underlineExecCommand(); })},
            {"showFindOnPage", bind([](TextViewController& editor) { editor.editingTools().find().showFindAndReplace(); })},
        });
}

void TextViewController::copySelection(bool cut)
{
    std::string text = m_connection.readString("window.getSelection().toString()");
    if (text.empty())
        return;
    Pasteboard::general().setString(toUtf16(text));
    if (cut)
        m_connection.send("document.execCommand('delete', false, null)");
}

bool TextViewController::canPerformAction(const std::string& action, const void* sender) const
{
    (void)sender;
    return m_styling->editMenu().canPerformAction(action);
}

void TextViewController::pageProcessDidTerminate(const std::string& reason)
{
    TELog(TELogLevelWarning, "The editing page stopped (" + reason + "); loading it again from the last saved text");
    if (!m_webView || !m_document || m_bridge.isClosing())
        return;
    m_connection.connect(m_webView.get());
    loadHTMLDocument();
}

void TextViewController::documentDidClose()
{
    m_styling->monitor().stop();
    dismissLoadProgress();
    if (m_tools->find().isFindOnPageVisible())
        m_tools->find().hideFindOnPageNotAnimated();
    m_tools->cancelPendingTasks();
    TextDocument* document = beginClosing();
    // The pictures are rebuilt from the file at the next opening; a document
    // that could not be saved still needs them.
    if (document && !document->hasUnsavedChanges()) {
        std::string name = std::filesystem::path(document->fileURL()).stem().string();
        std::string folder = AppFolders::pictureFolderForDocument(name);
        if (Status removed = FileManager::removeItem(folder); !removed)
            TELog(TELogLevelWarning, "The document's pictures stay in " + folder + ": " + removed.error().message);
    }
    m_connection.disconnect();
}

} // namespace folio
