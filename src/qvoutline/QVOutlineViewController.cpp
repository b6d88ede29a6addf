#include "qvoutline/QVOutlineViewController.h"

#include "qvoutline/QVOutlineBarLayout.h"
#include "qvtext/QVTextBarLayout.h"
#include "documents/TextDocument.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/ResourceTemplate.h"
#include "platform/foundation/LocaleIdentifier.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Device.h"
#include "qvoutline/QVOutlineDialect.h"
#include "qvoutline/QVOutlineEditMenuRules.h"
#include "qvoutline/QVOutlinePictures.h"
#include "qvoutline/QVOutlineSpeechText.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "webeditor/EditorBarItems.h"
#include "qvtext/QVPictureCommands.h"
#include "qvtext/QVTextPageTemplate.h"
#include "qvtext/QVTextStyling.h"
#include "webeditor/PageMessage.h"
#include "webeditor/PageResources.h"
#include "webeditor/PageScript.h"

namespace folio {

namespace {

using Gate = PageMessageDispatcher::Gate;

void removeAll(std::string& text, const std::string& part)
{
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at))
        text.erase(at, part.size());
}

} // namespace

QVOutlineViewController::QVOutlineViewController(TextDocument& document, WebViewFactory factory,
                                                 LinkOpener openLink)
    : QVTextViewController(document, std::make_unique<QVOutlineDialect>(), std::move(factory), std::move(openLink))
    , m_undoRefresh({[this] { return canUndo(); }, [this] { return canRedo(); },
                     [this](bool undo, bool redo) { setUndoItemsEnabled(undo, redo); }})
{
    registerOutlineRoutes();
    // Every change the editor notices, also one while the document closes,
    // refreshes the undo and redo items a little later.
    m_dirty.setChangeObserver([this] { m_undoRefresh.scheduleUpdate(); });
    // An outline takes no default style, and its style bar aligns only.
    styling().presets().setAppliesDefaultStyle(false);
    styling().setAlignMenuDirections(AlignmentMenu::Directions::LeftOut);
}

QVOutlineViewController::~QVOutlineViewController() = default;

Result<std::string> QVOutlineViewController::pageHTML() const
{
    const Result<ResourceTemplate>& pageTemplate = ResourceTemplate::shared(kTemplateResource, "pages");
    if (!pageTemplate)
        return pageTemplate.error();
    auto html = [](std::optional<std::string> url) { return HTMLTextEscaper::escape(std::string_view(url.value_or(""))); };
    auto script = [](ScriptValue value) { return value.source(); };
    std::string localeLanguage = currentLocaleIdentifier();
    std::string language = QVTextPageTemplate::languageCode(localeLanguage);
    // TinyMCE speaks English by itself; another language needs its pack.
    if (language != "en" && !PageResources::componentURL("tinymce/langs/" + language + ".js"))
        language = "en";
    std::string text = m_document ? pageSafeHTML(toUtf8(m_document->text())) : std::string();
    return pageTemplate->filled({
        {"jquery", html(PageResources::componentURL("jquery/dist/jquery.min.js"))},
        {"jqueryUI", html(PageResources::componentURL("jquery-ui/dist/jquery-ui.min.js"))},
        {"tinymce", html(PageResources::componentURL("tinymce/tinymce.min.js"))},
        {"helpers", html(PageResources::helperLibraryURL())},
        {"rangy", html(PageResources::componentURL("rangy/lib/rangy-core.js"))},
        {"rangyTextRange", html(PageResources::componentURL("rangy/lib/rangy-textrange.js"))},
        {"treeStyle", html(PageResources::pageFileURL("print-qvoutline.css"))},
        {"outline", html(PageResources::pageFileURL("qvoutline.js"))},
        {"language", script(language)},
        {"appLanguage", script(localeLanguage.substr(0, localeLanguage.find_first_of("_-")))},
        {"text", script(text)},
    });
}

std::vector<std::string> QVOutlineViewController::newBlankDocumentScripts(
    const QVTextPageSetup::Settings& settings) const
{
    if (!settings.isNewBlankDocument)
        return {};
    return {PageScript::fill("tinymce.activeEditor.getBody().style.marginTop={};",
                             {formatFixed(settings.marginTop, 2) + "cm"}),
            PageScript::fill("tinymce.activeEditor.getBody().style.marginBottom={};",
                             {formatFixed(settings.marginBottom, 2) + "cm"})};
}

std::optional<std::string> QVOutlineViewController::bodyStyleToRestore(std::optional<std::string> stored) const
{
    if (!stored)
        return stored;
    return withoutSavedTextZoom(*stored);
}

std::string QVOutlineViewController::withoutSavedTextZoom(const std::string& style)
{
    std::string result = style;
    removeAll(result, "-webkit-text-size-adjust: 150%;");
    removeAll(result, "-webkit-text-size-adjust: 200%;");
    return result;
}

std::optional<Error> QVOutlineViewController::contentProblem(const EditorContent& content) const
{
    if (content.bodyHTML.find("left-tree") == std::string::npos)
        return Error{EditorController::kErrorDomain, EditorController::BadAnswer,
                     "The outline could not be read from its page (it answered without the outline's tree), "
                     "so the file was left as it was. Your text is still in the window."};
    return std::nullopt;
}

void QVOutlineViewController::pageDidBecomeReady()
{
    bool wasBlank = m_document && m_document->isNewBlankDocument();
    QVTextViewController::pageDidBecomeReady();
    m_connection.send(PageScript::fill("tinymce.activeEditor.getBody().style.fontFamily = {};"
                                       "tinymce.activeEditor.getBody().style.fontSize = {};",
                                       {kBodyFontFamily, std::to_string(kBodyFontSize) + "pt"}));
    sendBodyWidth();
    if (wasBlank) {
        // A new outline is written into at once: its window's keyboard goes
        // to the page, and the caret stands in the first branch's title (a
        // focused title alone shows no caret and takes no keys).
        givePageTheKeyboard();
        m_connection.send("tinymce.activeEditor.dom.get('1').focus();"
                          "tinymce.activeEditor.focus();"
                          "tinymce.activeEditor.selection.select(tinymce.activeEditor.dom.get('1'), true);"
                          "tinymce.activeEditor.selection.collapse(false);");
    }
}

void QVOutlineViewController::sendBodyWidth()
{
    // The page's own width is the view's as the page lays it out, whatever
    // size the window was given.
    m_connection.send(PageScript::fill("tinymce.activeEditor.getBody().style.width = (window.innerWidth - {}) + 'px';",
                                       {kBodyWidthInset}));
}

void QVOutlineViewController::addNewBranchWithContent(const std::string& text)
{
    m_connection.send(PageScript::fill("leftSortable.addNewBranchWithContent({});", {text}));
    documentIsDirty();
}

void QVOutlineViewController::addContentFromWisperant(const std::string& html)
{
    m_connection.send(PageScript::fill("leftSortable.addNewBranchWithContent({}, 'html');", {html}));
    documentIsDirty();
}

void QVOutlineViewController::calculateSiblingDistances()
{
    m_connection.send("$(leftSortable.options.treeSelector).calculateSiblingDistances();");
}

double QVOutlineViewController::bodyWidthForSize(Size size, bool phoneInLandscape)
{
    return size.width - (phoneInLandscape ? kPhoneLandscapeBodyWidthInset : kBodyWidthInset);
}

void QVOutlineViewController::viewWillTransitionToSize(Size size)
{
    QVTextViewController::viewWillTransitionToSize(size);
    const Device& device = Device::current();
    bool phoneInLandscape = device.userInterfaceIdiom() == UserInterfaceIdiom::Phone && device.isLandscape();
    // The tree redraws its connectors for the new width; a page that is not
    // up yet takes its width again when it becomes ready.
    m_connection.send(PageScript::fill("tinymce.activeEditor.getBody().style.width = {};",
                                       {formatFixed(bodyWidthForSize(size, phoneInLandscape), 6) + "px"}));
    calculateSiblingDistances();
}

std::string QVOutlineViewController::pictureHTML(const std::string& base64, Size size, bool rightToLeft) const
{
    return QVOutlinePictures::elementHTML(base64, std::nullopt, size, rightToLeft);
}

std::vector<MenuItem> QVOutlineViewController::imageMenuItems() const
{
    return QVOutlinePictures::imageMenuItems();
}

bool QVOutlineViewController::canPerformAction(const std::string& action, const void* sender) const
{
    auto* self = const_cast<QVOutlineViewController*>(this);
    QVOutlineEditMenuRules rules({
        .isEditing = [this] { return isEditing(); },
        .isSpeaking = {},
        .voiceExists = {},
        .isAnnotationShown = {},
        .isCropping = [self] { return self->pictures().cropper() != nullptr; },
        .hasSelectedImage = [self] { return self->pictures().currentlyImageResizableView() != nullptr; },
        .selectedImageIsSketch = [self] { return self->m_connection.readBool(QVOutlinePictures::isSketchScript(), false); },
        .textEditorAnswer = [this, sender](const std::string& asked) {
            return QVTextViewController::canPerformAction(asked, sender);
        },
    });
    return rules.canPerformAction(action);
}

void QVOutlineViewController::documentDidClose()
{
    m_undoRefresh.cancel();
    setUndoItemsEnabled(false, false);
    QVTextViewController::documentDidClose();
}

void QVOutlineViewController::rememberEditingBeforeAssistant()
{
    m_connection.send(PageScript::fill("wasWebEditorFocusedBeforePrompt = {};", {isEditing()}));
}

void QVOutlineViewController::AI_LeafcraftViewController_insertText(const std::string& text, const std::string&,
                                                                    unsigned long insertionType)
{
    constexpr unsigned long kReplacesSelection = 2;
    if (!m_connection.readBool("wasWebEditorFocusedBeforePrompt", false)) {
        m_connection.send(PageScript::fill("leftSortable.addNewBranchWithContent({});window.location='rte://dirtyEvent';",
                                           {text}));
        return;
    }
    if (insertionType != kReplacesSelection)
        m_connection.send("tinymce.activeEditor.selection.moveToBookmark(textSelectionBookmark);"
                          "tinymce.activeEditor.selection.collapse();");
    // The answer is plain text: it goes in as text, whatever it holds.
    m_connection.send(PageScript::fill("tinymce.activeEditor.selection.moveToBookmark(textSelectionBookmark);"
                                       "tinymce.activeEditor.selection.setContent({});"
                                       "tinymce.activeEditor.undoManager.add();window.location='rte://dirtyEvent';",
                                       {HTMLTextEscaper::escape(std::string_view(text))}));
}

void QVOutlineViewController::registerOutlineRoutes()
{
    PageMessageDispatcher& routes = m_bridge.dispatcher();
    // A long press and the drawing command have nothing to do in this editor.
    routes.add("onlongpressEvent", Gate::Always, [](const PageMessage&) {});
    routes.add("command_draw", Gate::Always, [](const PageMessage&) {});
}

QVTextTools::Dialect QVOutlineViewController::toolsDialect() const
{
    auto* self = const_cast<QVOutlineViewController*>(this);
    QVTextTools::Dialect dialect = outlineToolsDialect();
    dialect.assistantWillOpen = [self] { self->rememberEditingBeforeAssistant(); };
    dialect.insertAssistantAnswer = [self](const std::u16string& text, unsigned insertionType) {
        self->AI_LeafcraftViewController_insertText(toUtf8(text), {}, insertionType);
    };
    dialect.insertWaitingAssistantText = [self](const std::u16string& text) { self->addContentFromWisperant(toUtf8(text)); };
    return dialect;
}

void QVOutlineViewController::viewDidLoad()
{
    QVTextViewController::viewDidLoad();
    if (!isForPreviewGeneration())
        setUndoItemsEnabled(false, false);
}

const std::shared_ptr<BarButtonItem>& QVOutlineViewController::undoBarButtonItem()
{
    return tools().barItems().undoBarButtonItem();
}

const std::shared_ptr<BarButtonItem>& QVOutlineViewController::redoBarButtonItem()
{
    return tools().barItems().redoBarButtonItem();
}

const std::shared_ptr<Button>& QVOutlineViewController::dummyInvisibleButton()
{
    if (!m_dummyInvisibleButton) {
        m_dummyInvisibleButton = std::make_shared<Button>();
        m_dummyInvisibleButton->setHidden(true);
    }
    return m_dummyInvisibleButton;
}

void QVOutlineViewController::showDummyInvisibleButtonMenu()
{
    dummyInvisibleButton()->sendActionsForControlEvent(ControlEvent::TouchDown);
}

void QVOutlineViewController::setUndoItemsEnabled(bool canUndo, bool canRedo)
{
    undoBarButtonItem()->setEnabled(canUndo);
    redoBarButtonItem()->setEnabled(canRedo);
}

QVTextTools::Dialect QVOutlineViewController::outlineToolsDialect()
{
    QVTextTools::Dialect dialect;
    dialect.groupPrefix = "QVOutline";
    // Copies take the branches' words without the handles they are dragged by.
    dialect.copyHTMLScript = "folioOutlineCopy('html')";
    dialect.copyTextScript = "folioOutlineCopy('text')";
    // The assistant knows an outline as its fifth kind of source.
    dialect.assistantSourceType = 5;
    // Its compact close symbol is as small as its other symbols on a phone.
    dialect.compactCloseSymbolPointSizeOnPhone = EditorBarItems::kPhoneSymbolPointSize;
    dialect.cleanTextForSpeech = [](std::u16string text, PageReadAloud::Source source) {
        return source == PageReadAloud::Source::Selection ? QVOutlineSpeechText::selectedText(text)
                                                          : QVOutlineSpeechText::textFromCursor(text);
    };
    dialect.layout = [](const BarLayout::Input& input) {
        if (input.systemMajorVersion >= 16) {
            const bool landscapeDevice = input.orientation == DeviceOrientation::LandscapeLeft
                || input.orientation == DeviceOrientation::LandscapeRight;
            QVOutlineBarLayout::Input outline{input.isPhone, input.viewSize, input.screenBounds.size,
                                              input.screenBounds.size.width > input.screenBounds.size.height
                                                  || landscapeDevice};
            if (std::optional<QVOutlineBarLayout::Groups> groups = QVOutlineBarLayout::groupsFor(outline))
                return BarLayout::Result{true, groups->titleViewHidden, false, groups->leading, groups->trailing};
        }
        return QVTextBarLayout::layoutFor(input);
    };
    return dialect;
}

} // namespace folio
