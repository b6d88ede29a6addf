#include "richtext/TextViewController.h"

#include "documents/TextDocument.h"
#include "engine/attachments/TEAttachmentSource.h"
#include "engine/css/ColorHTML.h"
#include "foundation/color/ColorExpanded.h"
#include "formats/html/CSSFontRules.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/docframework/DKKeyCommands.h"
#include "platform/docframework/DKWebViewController.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FreedMemory.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Button.h"
#include "platform/ui/PicturePicker.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/View.h"
#include "platform/web/WebServices.h"
#include "platform/web/WebView.h"
#include "webeditor/CaretSelectionCommander.h"
#include "webeditor/ClipboardCommander.h"
#include "richtext/EditMenuValidator.h"
#include "richtext/RichTextBodyCleaner.h"
#include "richtext/RichTextDialect.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/RichTextMarginRuler.h"
#include "richtext/RichTextWordCounter.h"
#include "webeditor/MarginRulerGeometry.h"
#include "webeditor/WebPageViewer.h"
#include "richtext/RichTextPictureInserter.h"
#include "richtext/RichTextImageEditor.h"
#include "webeditor/CameraPhotoTaker.h"
#include "richtext/RichTextPageControl.h"
#include "richtext/RichTextPageSetup.h"
#include "richtext/RichTextPageTemplate.h"
#include "richtext/RichTextStyling.h"
#include "webeditor/EditorInspectors.h"
#include "richtext/RichTextToolCommands.h"
#include "richtext/SelectionTransformer.h"
#include "richtext/RichTextTools.h"
#include "platform/ui/KeyboardService.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/UserResizableView.h"
#include "webeditor/EditorFlags.h"
#include "webeditor/PageContent.h"
#include "webeditor/PageMessage.h"
#include "webeditor/PageResources.h"
#include "webeditor/PageScript.h"
#include "richtext/StyleToolbar.h"
#include "richtext/RichTextViewModes.h"
#include "richtext/TypewriterMode.h"
#include "tools/speech/ReadAloudController.h"
#include "richtext/RichTextWritingTools.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/KeyCommand.h"
#include "tools/ruler/RulerRangeSlider.h"

#include <cstdio>
#include <filesystem>

namespace folio {

namespace {

using Gate = PageMessageDispatcher::Gate;

// The page holds the document's content: its web view reads only the
// program's page files and the document data folder, where the documents'
// pictures are, and takes messages from its own page alone.
std::vector<std::string> editorPageFolders()
{
    return {Resources::resourcesFolder(), ODSLocalDirectoryScope::documentDataFolderDirectoryURL()};
}

WebEditorController::WebViewFactory editorPageFactory()
{
    return [](const Rect& frame) { return WebServices::shared().makeEditorWebView(frame, editorPageFolders()); };
}

constexpr const char* kPageStyleSheet = "richtext-page.css";
constexpr const char* kPageScript = "richtext-page.js";
constexpr const char* kLongPageScript = "richtext-long-page.js";
constexpr const char* kListMarkersScript = "richtext-list-markers.js";
constexpr const char* kHiddenTextScript = "richtext-hidden-text.js";
constexpr const char* kLinkEndsScript = "richtext-link-ends.js";
constexpr const char* kPlaceMarksScript = "richtext-place-marks.js";
constexpr const char* kSavedMarkupScript = "richtext-saved-markup.js";
constexpr const char* kSectionBreaksScript = "richtext-section-breaks.js";
constexpr const char* kContextualSpaceScript = "richtext-contextual-space.js";
constexpr const char* kControllerReadOnlyScript = "document.getElementById('content').contentEditable=false";
// Shows the bars and the views over the page as they are now.
constexpr const char* kShowKeyRowSelector = "showKeyRow";

} // namespace

TextViewController::TextViewController(TextDocument& document, WebViewFactory factory, LinkOpener openLink)
    : WebEditorController(document, std::make_unique<RichTextDialect>(), factory ? std::move(factory) : editorPageFactory(),
                          std::move(openLink))
    , m_margins(makeMarginRuler())
    , m_pictures(makePictureInserter())
    , m_styling(makeStyling())
    , m_clipboard(makeClipboard())
    , m_caret(makeCaret())
    , m_editingTools(makeEditingTools())
    , m_pageControl(makePageControl())
    , m_imageEditor(makeImageEditor())
{
    registerRoutes();
    m_editingTools->registerRoutes(m_bridge.dispatcher());
    m_viewing = makeViewingTools();
    m_styling->editMenu().setSpeechQuestions(
        [this] { return m_viewing.speech->synthesizerIsSpeaking() || m_viewing.speech->synthesizerIsPaused(); },
        [this] { return m_viewing.speech->existVoiceForLanguage(); });
    std::weak_ptr<RichTextWritingTools> assistant = m_viewing.writingTools;
    m_styling->barItems().setWisperantBarButtonItem(BarButtonItem::withTitle(
        toUtf16(Localization::localizedString("AI Assistant")), [assistant](BarButtonItem&) {
            if (auto tools = assistant.lock())
                tools->wisperantAction();
        }));
    m_tools = makeTools();
    m_editingTools->keyBar().setToolMenus(
        [this](Rect keyFrame) { m_tools->commands().showOtherCommandsMenu(keyFrame); }, m_tools->commands().showMiscToolsMenu());
    m_editingTools->keyBar().setPanels([this](KeyBar::Panel panel, Rect keyFrame) {
        EditorInspectors& inspectors = m_tools->inspectors();
        switch (panel) {
        case KeyBar::Panel::Style:
            inspectors.showTextStyleInspectorFromKeyboard({nullptr, keyFrame});
            break;
        case KeyBar::Panel::TextTools:
            inspectors.showTextToolsInspectorMenu({nullptr, keyFrame});
            break;
        case KeyBar::Panel::InsertItem:
            inspectors.showTextInsertItemMenu({nullptr, keyFrame});
            break;
        case KeyBar::Panel::InsertImage:
            inspectors.showTextInsertImageMenu({nullptr, keyFrame});
            break;
        }
    });
}

std::shared_ptr<RichTextTools> TextViewController::makeTools()
{
    RichTextTools::Host host;
    host.document = [this] { return m_document; };
    host.editor = [this]() -> ViewController* { return this; };
    host.viewControllerToPresent = [this]() -> std::shared_ptr<ViewController> {
        if (!m_document)
            return nullptr;
        return m_document->viewControllerToPresent();
    };
    host.styleToolbar = [this] { return isViewLoaded() ? view() : nullptr; };
    host.miscToolsKey = [this]() -> std::shared_ptr<View> { return m_editingTools->keyBar().miscToolsKey(); };
    // A desktop always has its keyboard at hand: the insert items stay on.
    host.isKeyboardVisible = [] {
        KeyboardService& keyboard = KeyboardService::shared();
        return keyboard.isKeyboardVisible() || keyboard.isHardwareKeyboardConnected();
    };
    host.webView = [this] { return m_webView.get(); };
    host.documentIsDirty = [this] { documentIsDirty(); };
    host.questions["isEditing"] = [this] { return m_isEditing; };
    host.commands["regenerateToolsMenu"] = [this] { m_styling->barItems().regenerateToolsMenu(); };
    // The image menu's rows, which the editor also marks as an edit.
    host.commands["insertPhoto"] = [this] { imageOptionSelected(0); };
    host.commands["takePhoto"] = [this] { imageOptionSelected(1); };
    // The commands the tools menus and inspectors name, from the editor's other parts.
    host.commands["paste2"] = [this] { m_clipboard->paste2(); };
    m_caret->addCommandsByName(host.commands);
    host.commands["endEditing"] = [this] {
        m_isEditing = false;
        m_connection.send("if (document.activeElement) document.activeElement.blur();");
    };
    // The key row, taken away while a header or footer inspector is open.
    host.commands["addCustomKeyboard"] = [this] {
        m_editingTools->keyBar().setRemovedFormBar(false);
        m_editingTools->keyBar().removeFormBar();
    };
    for (const char* remove : {"removeCustomKeyboard", "removeCustomKeyboardAndClose"}) {
        host.commands[remove] = [this] {
            m_editingTools->keyBar().setRemovedFormBar(true);
            m_editingTools->keyBar().removeFormBar();
        };
    }
    // The overlay that says the preview is coming goes once it is there.
    host.commands["previewHeaderFooter"] = [] {
        if (DKDocumentAppController* app = DKDocumentAppController::controller())
            app->previewHeaderFooter([] { ProgressHUD::dismiss(); });
        else
            ProgressHUD::dismiss();
    };
    host.commands["gotoPageinDoc"] = [this] { m_pageControl->gotoPageinDoc(); };
    host.commands["takeSnapshot"] = [this] { takeSnapshot(); };
    host.commands["showFindOnPage"] = [this] { m_editingTools->find().showFindAndReplace(); };
    host.commands["hideFindOnPage"] = [this] { m_editingTools->find().hideFindOnPage(); };
    m_viewing.registerCommands(host.commands, host.questions, settings());
    host.commands["endEditing"] = [this] { endPageEditing(); };
    host.commands["showSpecialCharsMenu"] = [this] {
        m_editingTools->inserts().showSpecialCharsMenu(m_styling->barItems().insertItemBarButtonItem());
    };
    return RichTextTools::make(m_connection, *m_styling, settings(), Pasteboard::general(),
                               std::move(host));
}

void TextViewController::documentViewZoomModified(double percent)
{
    m_viewing.modes->documentViewZoomModified(percent);
}

double TextViewController::documentViewZoomPercent() const
{
    // The rich-text page's zoom lives in the shared percent itself.
    const long long percent = EditorFlags::shared().currentDocumentTextZoomPercent;
    return percent == 0 ? 100.0 : static_cast<double>(percent);
}

std::unique_ptr<RichTextStyling> TextViewController::makeStyling()
{
    RichTextStyling::Host host = RichTextStyling::hostForDocument(
        m_connection, [this] { return m_document; }, [this] { return isViewLoaded() ? view() : nullptr; });
    // A page that is not ready yet has no formatting to show.
    host.hasDocument = [this] { return m_document != nullptr && m_bridge.isPageReady(); };
    host.isClosingDocument = [this] { return m_bridge.isClosing(); };
    host.isEditing = [this] { return m_isEditing; };
    // Without a tools menu of the application's, the editor's own tools rows.
    host.toolMenuActions = [this, appMenu = host.toolMenuActions](BarButtonItem* item) -> std::shared_ptr<Menu> {
        if (std::shared_ptr<Menu> menu = appMenu ? appMenu(item) : nullptr)
            return menu;
        return m_tools ? m_tools->toolsMenu() : nullptr;
    };
    host.documentIsDirty = [this] { documentIsDirty(); };
    host.undoAction = [this] { undoAction(); };
    host.redoAction = [this] { redoAction(); };
    host.superCanPerformAction = [this](const std::string& action) { return ViewController::canPerformAction(action, nullptr); };
    host.showTextStyleInspector = [this](BarButtonItem& item) {
        if (m_tools)
            m_tools->inspectors().showTextStyleInspector({m_styling->barItems().textStyleBarButtonItem(), {}});
        else
            m_styling->showTextStyleMenu(item);
    };
    host.insertItemMenu = [this]() -> std::shared_ptr<Menu> {
        if (!m_tools)
            return nullptr;
        return m_tools->inspectors().showInsertItemMenu({m_styling->barItems().insertItemBarButtonItem(), {}});
    };
    host.paperMarginChanged = [this](long side, double inches) { m_margins->paperMarginChanged(side, inches); };
    host.isEditingImage = [this] { return m_imageEditor && m_imageEditor->isEditingImage(); };
    host.isCropping = [this] { return m_imageEditor && m_imageEditor->isCropping(); };
    // Once loaded, the ruler holds the left margin and the right edge until the next save.
    host.rulerValues = [this, fromDocument = host.rulerValues] {
        if (m_margins->holdsDocumentMargins())
            return std::pair<double, double>{m_margins->slider().lowerValue(), m_margins->slider().upperValue()};
        return fromDocument();
    };
    host.paperSizeChanged = [this] {
        if (m_document)
            m_document->paperSizeWasChosen();
        updateEditorPageSize();
        documentIsDirty();
    };
    return std::make_unique<RichTextStyling>(m_connection, settings(), std::move(host));
}

std::unique_ptr<ClipboardCommander> TextViewController::makeClipboard()
{
    ClipboardCommander::Host host;
    host.documentIsDirty = [this] { documentIsDirty(); };
    // Pasted text takes the size of the text at the caret, also where a
    // drop just put the caret.
    host.biggestFontSize = [this] { return m_styling->characters().getBiggestRealFontSizeInPointsFromSelection(); };
    host.documentTitle = [this] { return m_document ? m_document->localizedName() : std::string(); };
    host.insertImage = [this](const Image::Pointer& image, bool autoResize) {
        if (Status inserted = m_pictures->insertImage(image, autoResize); !inserted)
            TELog(TELogLevelWarning, "The pasted picture was not inserted: " + inserted.error().message);
    };
    host.updatePageUpDownControl = [this] { updatePageUpDownControl(); };
    // The save keeps the pictures of the documents' data folder, where the
    // editor puts every picture it inserts, and no other file's.
    host.keepsPictureFile = [](std::string_view source) {
        Result<std::string> path = TEAttachmentSource::resolvePictureFile(toUtf16(source), std::nullopt);
        return path && FileManager::fileExists(*path);
    };
    host.presentAlert = [this](std::shared_ptr<AlertController> alert) {
        if (Status shown = presentViewController(alert, true); !shown)
            TELog(TELogLevelWarning, "The paste's alert could not be shown: " + shown.error().message);
    };
    // A paste changes the count at once, not at the next key.
    host.updateWordCounter = [this] {
        if (m_viewing.wordCounter && settings().boolForKey("wordCounterVisible").value_or(false))
            m_viewing.wordCounter->updateWordCounter();
    };
    // Pastes and cuts move text, not the page's section breaks.
    ClipboardCommander::PageScripts scripts;
    scripts.insertHTML = "insertHTMLKeepingSections({});";
    // The page's own caret answers for the font and colour typed text takes.
    scripts.plainTextTakesCaretFontAndColour = true;
    scripts.deleteSelection = "deleteKeepingSections()";
    return std::make_unique<ClipboardCommander>(m_connection, Pasteboard::general(), std::move(host), std::move(scripts));
}

std::unique_ptr<CaretSelectionCommander> TextViewController::makeCaret()
{
    CaretSelectionCommander::Host host;
    host.isRTLLanguage = [this] { return m_styling->characters().isRTLLanguage(); };
    host.isOrientationLandscape = [this] { return m_size.width > m_size.height; };
    host.isEditing = [this] { return m_isEditing; };
    host.isPad = [] { return Device::current().userInterfaceIdiom() == UserInterfaceIdiom::Pad; };
    host.hasSelection = [this] { return m_styling->monitor().hasSelection(); };
    host.documentIsDirty = [this] { documentIsDirty(); };
    host.endEditing = [this] {
        m_isEditing = false;
        m_connection.send("if (document.activeElement) document.activeElement.blur();");
    };
    host.view = [this] { return isViewLoaded() ? view() : nullptr; };
    host.pageView = [this] { return pageView(); };
    host.becomeFirstResponder = [this] { becomeFirstResponder(); };
    host.setContentOffsetY = [this](double y) { m_connection.send(PageScript::call("window.scrollTo", {0, y})); };
    return std::make_unique<CaretSelectionCommander>(m_connection, std::move(host));
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
    host.pageView = [this] { return pageView(); };
    host.webViewHeight = [this] { return m_webView ? m_webView->frame().size.height : m_size.height; };
    host.setEditing = [this](bool editing) { m_isEditing = editing; };
    // On the next turn: a key of the row itself may have asked for it.
    host.keyRowDidChange = [this] {
        RunLoop::main().performSelectorAfterDelay(this, kShowKeyRowSelector, {}, 0.0, [this] { showKeyRow(); });
    };
    return std::make_unique<RichTextEditingTools>(m_connection, settings(), *m_styling,
                                                  std::move(host));
}

std::unique_ptr<RichTextPageControl> TextViewController::makePageControl()
{
    RichTextPageControl::Host host;
    host.sendScript = [this](const std::string& script) { m_connection.send(script); };
    host.readString = [this](const std::string& script) { return m_connection.readString(script); };
    host.isEditing = [this] { return m_isEditing; };
    // Typewriter mode keeps it hidden, whatever asks for it.
    host.canShow = [this] {
        return m_document && m_webView && m_bridge.isPageReady() && !m_bridge.isClosing() && Device::current().isPad() &&
               !(m_viewing.typewriter && m_viewing.typewriter->isTypewriterMode());
    };
    host.present = [this](std::shared_ptr<ViewController> alert) {
        if (Status shown = presentViewController(alert, true); !shown)
            TELog(TELogLevelWarning, "The page dialog could not be shown: " + shown.error().message);
    };
    host.dismissKeyboard = [this] { m_isEditing = false; };
    host.moveToEndOfDoc = [this] { m_caret->moveToEndOfDoc(); };
    host.jumpAnswered = [this] {
        m_editingTools->keyBar().setRemovedFormBar(false);
        m_editingTools->keyBar().removeFormBar();
    };
    return std::make_unique<RichTextPageControl>(m_pages, std::move(host));
}

std::unique_ptr<RichTextImageEditor> TextViewController::makeImageEditor()
{
    RichTextImageEditor::Host host;
    host.readString = [this](const std::string& script) { return m_connection.readString(script); };
    host.sendScript = [this](const std::string& script) { m_connection.send(script); };
    host.pictureFolder = [this] {
        return m_document ? AppFolders::pictureFolderForDocument(AppFolders::pictureDocumentName(m_document->fileURL()))
                          : std::string();
    };
    host.hasDocument = [this] { return m_document != nullptr; };
    host.isClosing = [this] { return m_bridge.isClosing(); };
    host.isPhoneInLandscape = [this] { return !Device::current().isPad() && m_size.width > m_size.height; };
    // The frame stands on the page where the picture is.
    host.showOverlay = [this](const std::shared_ptr<UserResizableView>& overlay) {
        if (std::shared_ptr<View> page = pageView())
            page->addSubview(overlay);
    };
    host.removeOverlay = [](const std::shared_ptr<UserResizableView>& overlay) { overlay->removeFromSuperview(); };
    host.showMenu = [this](const std::vector<std::pair<std::u16string, std::string>>& items, const Rect& rect) {
        std::vector<MenuItem> menu;
        for (const auto& [title, action] : items)
            menu.push_back(MenuItem{title, action});
        MenuController::shared().setMenuItems(std::move(menu));
        // The menu offers what the first responder can do: the editor's picture commands.
        becomeFirstResponder();
        if (std::shared_ptr<View> page = pageView())
            MenuController::shared().showMenuFromView(page, rect);
    };
    host.copyToPasteboard = [](const Image& image) { return Pasteboard::general().setImage(image); };
    host.insertImage = [this](const Image::Pointer& image, bool autoResize) { return m_pictures->insertImage(image, autoResize); };
    host.endEditing = [this] { m_isEditing = false; };
    host.documentIsDirty = [this] { documentIsDirty(); };
    return std::make_unique<RichTextImageEditor>(std::move(host));
}

void TextViewController::updatePageUpDownControl()
{
    setPageControlShown([this] { m_pageControl->updatePageUpDownControl(); });
}

void TextViewController::setPageControlHidden(bool hidden)
{
    if (!hidden)
        return updatePageUpDownControl();
    setPageControlShown([this] { m_pageControl->pageUpDownView()->setHidden(true); });
}

void TextViewController::setPageControlShown(const std::function<void()>& change)
{
    const std::shared_ptr<View>& control = m_pageControl->pageUpDownView();
    bool wasHidden = control->isHidden();
    change();
    // The control floats over the page; the window shows it once it is there.
    if (wasHidden != control->isHidden() && isViewLoaded()) {
        // On the next turn: a page message may be what asked for the count.
        RunLoop::main().performSelectorAfterDelay(this, kShowKeyRowSelector, {}, 0.0, [this] { showKeyRow(); });
    }
}

std::unique_ptr<RichTextMarginRuler> TextViewController::makeMarginRuler()
{
    RichTextMarginRuler::Host host;
    // The ruler is loaded in the page's ready step, before the bridge calls
    // the page ready: the margins it sends then are the file's own.
    host.sendScript = [this](const std::string& script) {
        if ((m_bridge.isPageReady() || m_margins->holdsDocumentMargins()) && !m_bridge.isClosing())
            m_connection.send(script);
    };
    host.document = [this] { return m_document; };
    host.documentIsDirty = [this] { documentIsDirty(); };
    host.isInForeground = [this] { return m_dirty.isInForeground(); };
    host.isPageLoaded = [this] { return m_bridge.isPageReady(); };
    host.windowWidth = [this] { return m_size.width; };
    host.viewSize = [this] { return std::pair{m_size.width, m_size.height}; };
    host.updatePageUpDownControl = [this] { updatePageUpDownControl(); };
    host.updateEditorPageSize = [this] { updateEditorPageSize(); };
    auto ruler = std::make_unique<RichTextMarginRuler>(Device::current(), settings(), std::move(host));
    RichTextMarginRuler* margins = ruler.get();
    ruler->slider().addAction(ControlEvent::ValueChanged, [margins](Control&) { margins->rulerMarginValuesChanged(); });
    return ruler;
}

std::unique_ptr<RichTextPictureInserter> TextViewController::makePictureInserter()
{
    RichTextPictureInserter::Host host;
    host.sendScript = [this](const std::string& script) { m_connection.send(script); };
    host.readNumber = [this](const std::string& script) -> std::optional<double> {
        double value = m_connection.readDouble(script, -1);
        return value > 0 ? std::optional<double>(value) : std::nullopt;
    };
    host.documentName = [this] {
        return m_document ? AppFolders::pictureDocumentName(m_document->fileURL()) : std::string();
    };
    host.currentStyleFontName = [this] {
        UserDefaults& defaults = settings();
        return RichTextPageTemplate::styleFor(RichTextPageTemplate::Settings::fromDefaults(defaults, blankDocument()))
            .fontFamily;
    };
    host.isBold = [this] { return m_styling->toolbar().styleBold->isSelected(); };
    host.isItalic = [this] { return m_styling->toolbar().styleItalic->isSelected(); };
    host.isUnderlined = [this] { return m_styling->toolbar().styleUnderline->isSelected(); };
    host.isRightToLeft = [this] { return m_styling->characters().isRTLLanguage(); };
    host.isEditingPicture = [this] { return m_imageEditor && m_imageEditor->isEditingImage(); };
    host.removeImageEditing = [this] {
        if (m_imageEditor)
            m_imageEditor->removeImageEditing();
    };
    host.documentIsDirty = [this] { documentIsDirty(); };
    host.presentAlert = [this](std::shared_ptr<AlertController> alert) {
        if (Status shown = presentViewController(alert, true); !shown)
            TELog(TELogLevelWarning, "The picture alert could not be shown: " + shown.error().message);
    };
    host.viewWidth = [this] { return m_size.width; };
    return std::make_unique<RichTextPictureInserter>(std::move(host));
}

void TextViewController::imageOptionSelected(long row)
{
    if (row == 0) {
        attachImage();
    } else if (row == 1) {
        // The camera is used only once it may be.
        std::weak_ptr<Responder> weak = weak_from_this();
        cameraPhotoTaker().validatePhotosPermissions([this, weak] {
            if (!weak.expired())
                takePhoto();
        });
    }
    documentIsDirty();
}

void TextViewController::attachImage()
{
    PicturePicker* picker = PicturePicker::shared();
    if (!picker)
        return;
    m_connection.send("saveCaretSelection();");
    std::weak_ptr<Responder> weak = weak_from_this();
    picker->pickPicture(toUtf16(Localization::localizedString("Insert Photo")), [this, weak](std::optional<std::string> path) {
        if (weak.expired())
            return;
        if (!path) {
            m_connection.send("restoreCaretSelection ();");
            return;
        }
        if (Status inserted = m_pictures->insertPictureFile(*path); !inserted)
            TELog(TELogLevelWarning, "No picture inserted from " + *path + ": " + inserted.error().message);
    });
}

CameraPhotoTaker& TextViewController::cameraPhotoTaker()
{
    if (!m_camera) {
        CameraPhotoTaker::Host host;
        host.presentAlert = [this](std::shared_ptr<AlertController> alert) {
            if (Status shown = presentViewController(alert, true); !shown)
                TELog(TELogLevelWarning, "The camera alert could not be shown: " + shown.error().message);
        };
        host.insertPictureFile = [this](const std::string& path) {
            m_connection.send("restoreCaretSelection ();");
            return m_pictures->insertPictureFile(path);
        };
        m_camera = std::make_unique<CameraPhotoTaker>(std::move(host));
    }
    return *m_camera;
}

void TextViewController::takePhoto()
{
    (void)cameraPhotoTaker().takePhoto();
}

void TextViewController::updateEditorPageSize()
{
    UserDefaults& defaults = settings();
    m_pages.setPageHeight(RichTextPageCounter::pageHeightForMargins(
        defaults.floatForKey("marquentPageMarginTop").value_or(0), defaults.floatForKey("marquentPageMarginBottom").value_or(0)));
}

TextViewController::~TextViewController()
{
    // Its own turns-later work (the key row shown, the form bar taken away)
    // would find it gone.
    RunLoop::main().cancelPreviousPerformRequests(this);
    m_viewing.cancelPendingTasks();
    m_pageControl->cancelPendingTasks();
    m_editingTools->cancelPendingTasks();
    m_styling->monitor().stop();
    dismissLoadProgress();
}

Result<EditorContent> TextViewController::content(EditorContent::Parts parts)
{
    return contentMaker(parts)();
}

EditorController::ContentMaker TextViewController::contentMaker(EditorContent::Parts parts)
{
    Result<PageContent::Reply> read = readContent(parts);
    if (!read)
        return [error = read.error()] { return Result<EditorContent>(error); };
    // Shared, never changed: the document keeps the page's HTML in it and
    // the maker reads the body from it, on whichever thread.
    auto reply = std::make_shared<const PageContent::Reply>(std::move(*read));
    EditorContent settings;
    settings.paperColor = reply->content.paperColor;
    // The page shows the document's paper colour by its nearest colour name;
    // while it still shows that name, the document's own colour is the paper,
    // so that saving does not move it to the name's.
    std::optional<Color> shown = colorWithHTMLName(std::string_view(m_shownPaperColor));
    if (m_document && m_document->paperColor() && shown && settings.paperColor == hexStringFromColor(*shown))
        settings.paperColor = m_document->paperColor();
    if (m_document && m_margins->holdsDocumentMargins())
        settings.margins = m_margins->marginsToSave(*m_document);
    // Kept as the page holds it, so that a page whose process crashed is
    // loaded again from what the user last had.
    if (m_document)
        m_document->keepPageHTML(reply, PageContent::unwrappedHTML(*reply));
    return [reply, settings = std::move(settings)]() -> Result<EditorContent> {
        EditorContent content = reply->content;
        content.bodyHTML = RichTextBodyCleaner::cleaned(reply->content.bodyHTML);
        content.paperColor = settings.paperColor;
        content.margins = settings.margins;
        return content;
    };
}

void TextViewController::viewDidLoad()
{
    WebEditorController::viewDidLoad();
    m_styling->barItems().updateMainToolBarButtonsToSize(*navigationItem(), m_size, true);
    if (!m_forPreviewGeneration) {
        m_styling->monitor().start();
        m_margins->viewDidLoad();
    }
    // Drops land on the page itself, not on the bars around it.
    BarContainerView* container = barContainer();
    m_clipboard->prepareWebViewText(container && container->contentView() ? *container->contentView() : *view());
    // The desktop has no keyboard to raise the key row with: it is there
    // along the bottom of the page from the start.
    if (!m_forPreviewGeneration) {
        m_editingTools->keyBar().removeFormBar();
        if (container) {
            // The margins ruler and its read-out above the page.
            m_margins->sliderView()->setFrame(Rect{{0, 0}, {m_size.width, RichTextMarginRuler::kRulerHeight}});
            m_margins->topAlertBar()->setFrame(Rect{{0, 0}, {m_size.width, RichTextMarginRuler::kBannerHeight}});
            container->setBars(BarContainerView::Edge::Top, {m_margins->sliderView(), m_margins->topAlertBar()});
        }
        if (container)
            container->addFloatingView(m_pageControl->pageUpDownView(),
                                       {BarContainerView::Alignment::End, BarContainerView::Alignment::End, {16, 16}});
    }
    m_viewing.viewDidLoad(settings());
}

void TextViewController::showKeyRow()
{
    BarContainerView* container = isViewLoaded() ? barContainer() : nullptr;
    if (!container)
        return;
    std::vector<std::shared_ptr<View>> bars;
    // Full screen shows the page to read, not to edit: its keys go with it.
    bool fullScreen = m_viewing.modes && m_viewing.modes->isFullScreenDocumentMode();
    if (const std::shared_ptr<View>& row = m_editingTools->keyBar().systemAKRow(); row && !fullScreen)
        bars.push_back(row);
    container->setBars(BarContainerView::Edge::Bottom, std::move(bars));
    container->reloadBars();
}

void TextViewController::viewWillTransitionToSize(Size size)
{
    m_size = size;
    m_styling->barItems().updateMainToolBarButtonsToSize(*navigationItem(), size, true);
    // The key row is as wide as the window, its bar switches inside it: made
    // again once the view has its new size.
    if (m_editingTools->keyBar().systemAKRow()) {
        RunLoop::main().performSelectorAfterDelay(this, "removeFormBar", {}, 0.0, [this] {
            if (m_editingTools->keyBar().systemAKRow())
                m_editingTools->keyBar().removeFormBar();
        });
    }
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

Result<std::string> TextViewController::pageHTML() const
{
    Result<RichTextPageTemplate::Page> page = pageToLoad();
    if (!page)
        return page.error();
    return RichTextPageTemplate::build(*page);
}

BlankDocument TextViewController::blankDocument() const
{
    return m_document && m_document->isNewBlankDocument() ? BlankDocument::Yes : BlankDocument::No;
}

Result<RichTextPageTemplate::Page> TextViewController::pageToLoad() const
{
    UserDefaults& defaults = settings();
    RichTextPageTemplate::Settings settings = RichTextPageTemplate::Settings::fromDefaults(defaults, blankDocument());
    RichTextPageTemplate::Page page;
    page.style = RichTextPageTemplate::styleFor(settings);
    page.paperColor = RichTextPageTemplate::paperColorFor(settings, page.style,
                                                          m_document ? m_document->paperColor() : std::nullopt);
    page.fontRules = CSSFontRules::currentRules(CSSFontRules::CustomNameVariants::AlsoWithoutBlanks);
    page.helperScriptURL = PageResources::helperLibraryURL().value_or("");
    page.styleSheetURL = PageResources::pageFileURL(kPageStyleSheet).value_or("");
    for (const char* script : {kPageScript, kLongPageScript, kListMarkersScript, kHiddenTextScript,
                               kLinkEndsScript, kPlaceMarksScript, kSavedMarkupScript, kSectionBreaksScript, kContextualSpaceScript}) {
        if (std::optional<std::string> url = PageResources::pageFileURL(script))
            page.pageScriptURLs.push_back(*url);
    }
    // The word moves and the word selection of the caret commands.
    for (const char* component : {"rangy/lib/rangy-core.js", "rangy/lib/rangy-textrange.js"}) {
        if (std::optional<std::string> url = PageResources::componentURL(component))
            page.componentScriptURLs.push_back(*url);
    }
    Result<std::string> header = RichTextPageTemplate::headerElement(settings.headerSetting);
    if (!header)
        return header.error();
    Result<std::string> footer = RichTextPageTemplate::footerElement(settings.footerSetting);
    if (!footer)
        return footer.error();
    page.header = std::move(*header);
    page.footer = std::move(*footer);
    page.hyphenated = settings.autoHyphenation;
    // A long document takes a while to lay out: it is laid out once, in the
    // margins the ready step gives it.
    if (!m_forPreviewGeneration) {
        if (std::optional<RichTextMarginRuler::PageIndents> indents = m_margins->indentsOnceLoaded())
            page.contentStyle = MarginRulerGeometry::marginDeclarations(indents->left, indents->right);
    }
    if (m_document) {
        KeptPageHTML::Shared html = m_document->sharedPageHTML();
        page.htmlStorage = std::move(html.storage);
        page.html = html.html;
        page.wrapperAttributes = m_document->pageLanguages().elementAttributesMarkup();
    }
    return page;
}

void TextViewController::prepareEditorPage()
{
    WebServices::shared().prepareEditorWebView(editorPageFolders());
}

void TextViewController::loadHTMLDocument()
{
    if (!m_document || !ensureWebView())
        return;
    if (!PageResources::helperLibraryURL()) {
        showPageError(Error{kErrorDomain, PageNotReady, "Its page scripts are not installed."});
        return;
    }
    Result<RichTextPageTemplate::Page> page = pageToLoad();
    Result<std::string> html = page ? RichTextPageTemplate::build(*page) : Result<std::string>(page.error());
    if (!html) {
        showPageError(html.error());
        return;
    }
    std::string base = URL::fileURLWithPath(ODSLocalDirectoryScope::documentDataFolderDirectoryURL(), true).absoluteString();
    // A large document takes seconds to lay out, and the page is blank until
    // then: the overlay says that something is coming.
    if (m_bridge.finishedLoadCount() == 0 && !m_forPreviewGeneration && !m_showsLoadProgress) {
        m_showsLoadProgress = true;
        ProgressHUD::show();
    }
    m_bridge.pageWillLoad();
    m_shownPaperColor = page->paperColor;
    m_webView->loadHTMLString(*html, base);
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

std::shared_ptr<AlertController> TextViewController::readOnlyDocumentAlert(const TextDocument& document)
{
    const char* why = document.holdsCodePageText()
        ? "This document cannot be edited or saved: its text is written in a code page of two bytes per character "
          "(such as Japanese, Chinese or Korean), which is shown here as other characters. Saving would replace "
          "its text, so the file is left as it is."
        : "Oops! Sorry, this document cannot be edited because tables are not supported yet. We will fix it very "
          "soon! Thanks!";
    auto alert = AlertController::make(toUtf16(Localization::localizedString("Read Only Document")),
                                       toUtf16(Localization::localizedString(why)));
    alert->addAction(AlertAction::make(toUtf16(Localization::localizedString("OK")), AlertActionStyle::Default));
    return alert;
}

void TextViewController::pageDidBecomeReady()
{
    dismissLoadProgress();
    // The document refuses every save of a text the page cannot carry back;
    // the page shows it without taking typing, and says why.
    if (m_document && m_document->isRTFDocument()) {
        m_connection.send(kControllerReadOnlyScript);
        if (!m_forPreviewGeneration) {
            if (Status shown = presentViewController(readOnlyDocumentAlert(*m_document), true); !shown)
                TELog(TELogLevelWarning, "The read-only notice could not be shown: " + shown.error().message);
        }
    }
    UserDefaults& defaults = settings();
    RichTextPageSetup::Settings settings = RichTextPageSetup::Settings::fromDefaults(defaults, blankDocument());
    for (const std::string& script : RichTextPageSetup::readyScripts(settings, pageHeight()))
        m_connection.send(script);
    for (const std::string& key : RichTextPageSetup::consumedSettings(settings))
        defaults.setDouble(key, 0);
    updateEditorPageSize();
    if (!m_forPreviewGeneration) {
        m_margins->updateRulerMarginValues();
        updatePageUpDownControl();
    }
    // The page now holds the document: saves read it from here on.
    if (m_document)
        m_document->setIsNewBlankDocument(false);
    m_clipboard->pageDidBecomeReady();
    m_viewing.pageDidBecomeReady(defaults);
    scrollToBookmark();
    CaretSelectionCommander::updateSCheck(m_webView.get(), defaults.boolForKey("autocorrectEnabled").value_or(false));
    // Opening a long document passed through several whole copies of it (the
    // converted HTML, the page built around it) that are gone now; the
    // allocator would keep their pages for the life of the editor. Handed
    // back beside the main thread, which has the first keys to pass on.
    DispatchQueue::global(DispatchQueue::Priority::Background).async([] { releaseFreedMemory(); });
}

void TextViewController::registerRoutes()
{
    PageMessageDispatcher& routes = m_bridge.dispatcher();
    // Only once the page holds the document: a key before that changed nothing of it.
    routes.add("onkeydownEvent", Gate::WhenReady, [this](const PageMessage& message) {
        m_isEditorScrollingView = false;
        // The insert menu's entries wait for the keyboard, which is up once the user types.
        if (!std::exchange(m_isEditing, true))
            m_styling->barItems().regenerateInsertMenu();
        if (m_document && !m_document->hasUnsavedChanges() && !message.isCaretOnlyKey())
            documentIsDirty();
        m_viewing.keyDown(settings());
    });
    routes.add("dirtyEvent", Gate::Always, [this](const PageMessage&) { documentIsDirty(); });
    routes.add("imagesInserted", Gate::Always, [this](const PageMessage&) { documentIsDirty(); });
    // A tap on a picture edits it a little later, unless the page scrolls
    // first; a touch that is part of scrolling edits nothing.
    routes.add("noImageTouchedEvent", Gate::WhenReady, [this](const PageMessage&) {
        m_isEditorScrollingView = false;
        m_imageEditor->removeImageEditing();
    });
    routes.add("imageTouchedEvent", Gate::WhenReady, [this](const PageMessage&) {
        if (!m_isEditorScrollingView)
            m_imageEditor->imageTouched();
    });
    routes.add("startScrollEvent", Gate::WhenReady, [this](const PageMessage&) {
        m_isEditorScrollingView = true;
        m_imageEditor->cancelPendingTap();
    });
    routes.add("linkTouchedEvent", Gate::WhenReady, [this](const PageMessage& message) {
        if (!message.data.empty())
            followLink(message.data);
    });
    // "offset_height" of the editable element after each scroll.
    routes.add("endScrollEvent", Gate::Always, [this](const PageMessage& message) {
        long long offset = 0, height = 0;
        // NOTE: a desktop's wheel leaves no touch behind to mistake for a
        // tap, so a picture can be edited as soon as the scrolling ends.
        m_isEditorScrollingView = false;
        m_imageEditor->followPicture();
        if (std::sscanf(message.data.c_str(), "%lld_%lld", &offset, &height) == 2) {
            m_pages.pageDidScroll(height, offset);
            updatePageUpDownControl();
        }
    });
    // The speech controls come back after a scroll.
    routes.add("startScrollEvent", Gate::Always, [this](const PageMessage&) {
        if (m_webView)
            m_viewing.speech->checkifWasSpeakingMode();
    });
    routes.add("copyEventList", Gate::Always, [this](const PageMessage&) { m_clipboard->copySelection(); });
    routes.add("cutEventList", Gate::Always, [this](const PageMessage&) { m_clipboard->cutSelection(); });
    routes.add("pasteEvent", Gate::WhenReady, [this](const PageMessage&) { m_clipboard->paste(); });
    routes.add("dropEvent", Gate::WhenReady, [this](const PageMessage& message) {
        m_clipboard->dropDescribedByPage(message.data);
    });
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
    std::vector<std::shared_ptr<KeyCommand>> commands = DKKeyCommands::keyCommandsWithCategories(
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
            {"increaseFontSizeKcommand:",
             bind([](TextViewController& editor) { editor.styling().characters().increaseFontSizeKcommand(); })},
            {"decreaseFontSizeKcommand:",
             bind([](TextViewController& editor) { editor.styling().characters().decreaseFontSizeKcommand(); })},
        });
    // The desktop's way out of full screen and typewriter mode, beside the button.
    commands.push_back(KeyCommand::make(kKeyInputEscape, KeyModifierNone, u"Exit Full Screen", [weak](KeyCommand&) {
        auto strong = weak.lock();
        if (!strong)
            return;
        auto& editor = static_cast<TextViewController&>(*strong);
        if (editor.viewing().modes->isFullScreenDocumentMode() || editor.viewing().typewriter->isTypewriterMode())
            editor.viewing().modes->closeFullScreenDocumentMode();
    }));
    // The plain arrows move as the cursor pads do.
    std::vector<std::shared_ptr<KeyCommand>> arrows =
        CaretSelectionCommander::arrowKeyCommands([weak]() -> CaretSelectionCommander* {
            auto strong = weak.lock();
            auto* editor = static_cast<TextViewController*>(strong.get());
            return editor && editor->isPageReady() ? &editor->caret() : nullptr;
        });
    commands.insert(commands.end(), arrows.begin(), arrows.end());
    return commands;
}

bool TextViewController::canPerformAction(const std::string& action, const void* sender) const
{
    (void)sender;
    return m_styling->editMenu().canPerformAction(action);
}

bool TextViewController::editMenuHoldsOwnRows() const
{
    bool reading = m_viewing.speech && (m_viewing.speech->synthesizerIsSpeaking() || m_viewing.speech->synthesizerIsPaused());
    return reading || (m_imageEditor && (m_imageEditor->isEditingImage() || m_imageEditor->isCropping()));
}

bool TextViewController::respondsToAction(const std::string& action) const
{
    return action == "paste:" || action == "pasteRichText:" || action == "highlightYellowTextSelection:" || EditMenuValidator::isImageCommand(action)
        || action == "executeCropImage:" || action == "removeImageEditing" || RichTextViewingTools::respondsToAction(action)
        || WebEditorController::respondsToAction(action);
}

bool TextViewController::performAction(const std::string& action, const void* sender)
{
    if (action == "paste:" || action == "pasteRichText:") {
        m_clipboard->paste();
        return true;
    }
    if (m_imageEditor->performAction(action))
        return true;
    if (action == "highlightYellowTextSelection:" && m_tools) {
        m_tools->transformer().highlightYellowTextSelection();
        return true;
    }
    if (m_viewing.performAction(action))
        return true;
    return WebEditorController::performAction(action, sender);
}

void TextViewController::pageProcessDidTerminate(const std::string& reason)
{
    TELog(TELogLevelWarning, "The editing page stopped (" + reason + "); loading it again from the last saved text");
    if (!m_webView || !m_document || m_bridge.isClosing())
        return;
    m_connection.connect(m_webView.get());
    loadHTMLDocument();
}

void TextViewController::applicationWillEnterBackground()
{
    m_pageControl->cancelPendingTasks();
    m_styling->monitor().stop();
    if (m_document && m_bridge.isPageReady())
        m_connection.send("saveCaretSelection ();");
    WebEditorController::applicationWillEnterBackground();
    m_styling->popovers().dismissAllPopover();
}

void TextViewController::willEnterForeground()
{
    WebEditorController::willEnterForeground();
    if (!m_document || !m_bridge.isPageReady() || m_forPreviewGeneration)
        return;
    scrollToBookmark();
    m_margins->rulerMarginValuesChangedNoDocumentDirty();
    if (!m_styling->monitor().isRunning())
        m_styling->monitor().start();
}

void TextViewController::scrollToBookmark()
{
    if (long long position = storedScrollPosition(); position != 0)
        m_connection.send(RichTextPageCounter::scrollToOffsetScript(position));
}

void TextViewController::documentDidClose()
{
    m_styling->monitor().stop();
    m_pageControl->cancelPendingTasks();
    m_imageEditor->cancelPendingTap();
    m_imageEditor->removeImageEditing();
    // Where the user was reading, for the next opening.
    keepScrollPosition();
    dismissLoadProgress();
    if (m_editingTools->find().isFindOnPageVisible())
        m_editingTools->find().hideFindOnPageNotAnimated();
    m_editingTools->cancelPendingTasks();
    m_viewing.cancelPendingTasks();
    m_viewing.speech->cancelSpeak();
    TextDocument* document = beginClosing();
    // The pictures are rebuilt from the file at the next opening; a document
    // that could not be saved still needs them.
    if (document && !document->hasUnsavedChanges()) {
        std::string folder = AppFolders::pictureFolderForDocument(AppFolders::pictureDocumentName(document->fileURL()));
        if (Status removed = FileManager::removeItem(folder); !removed)
            TELog(TELogLevelWarning, "The document's pictures stay in " + folder + ": " + removed.error().message);
    }
    m_connection.disconnect();
}

UserDefaults& TextViewController::settings() const
{
    TextDocument* document = editedDocument();
    return document ? document->settings() : UserDefaults::standardUserDefaults();
}

} // namespace folio
