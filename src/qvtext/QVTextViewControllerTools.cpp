#include "qvtext/QVTextViewController.h"

#include "documents/TextDocument.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/services/NetworkReachability.h"
#include "platform/services/TextRecognizer.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/KeyboardService.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Pasteboard.h"
#include "qvtext/QVEditingTools.h"
#include "qvtext/QVMarginRuler.h"
#include "qvtext/QVPageNavigator.h"
#include "qvtext/QVPictureCommands.h"
#include "qvtext/QVPaper.h"
#include "qvtext/QVTextKeyBars.h"
#include "qvtext/QVTextInsertions.h"
#include "qvtext/QVTextLinkBar.h"
#include "qvtext/QVTextStyling.h"
#include "qvtext/QVTextZoom.h"
#include "qvtext/QVViewModes.h"
#include "qvtext/QVWordCounter.h"
#include "tools/assistant/NoConnectionAlert.h"
#include "tools/scanner/LiveTextScannerSession.h"
#include "webeditor/WebPageViewer.h"

namespace folio {

QVTextTools& QVTextViewController::tools()
{
    // Made on first use rather than in the constructor, so that an editor
    // on this page with its own dialect gets its own tools.
    if (!m_tools)
        m_tools = makeTools();
    return *m_tools;
}

std::shared_ptr<QVTextTools> QVTextViewController::makeTools()
{
    QVTextTools::Host host;
    host.document = [this] { return m_document; };
    host.editor = [this]() -> ViewController* { return this; };
    host.viewControllerToPresent = [this]() -> std::shared_ptr<ViewController> {
        return m_document ? m_document->viewControllerToPresent() : nullptr;
    };
    host.webView = [this] { return m_webView.get(); };
    host.documentIsDirty = [this] { documentIsDirty(); };
    host.undoAction = [this] { undoAction(); };
    host.redoAction = [this] { redoAction(); };
    host.closeDocument = [] {
        if (DKDocumentAppController* app = DKDocumentAppController::controller())
            app->closeDocumentAndShowBrowser([app](Status closed) { app->reportCloseFailure(closed); });
    };
    host.exportMenuActions = [] {
        DKDocumentAppController* app = DKDocumentAppController::controller();
        return app ? app->exportMenuActions() : nullptr;
    };
    host.toolMenuActions = [] {
        DKDocumentAppController* app = DKDocumentAppController::controller();
        return app ? app->toolMenuActions() : nullptr;
    };
    // A desktop always has its keyboard at hand.
    host.isKeyboardVisible = [] {
        KeyboardService& keyboard = KeyboardService::shared();
        return keyboard.isKeyboardVisible() || keyboard.isHardwareKeyboardConnected();
    };
    host.viewWidth = [this] { return m_size.width; };
    host.setPaperColor = [this](const std::string& name) { m_paper->userSelectedBackgroundColor(name); };
    host.pageMargin = [this](long side) { return m_margins->pageMargin(side); };
    host.setPageMargin = [this](long side, double centimetres) { m_margins->setPageMargin(side, centimetres); };
    // On the next turn: a button of the bars themselves asked for it.
    host.keyBarsDidChange = [this] {
        RunLoop::main().performSelectorAfterDelay(this, "showKeyBars", {}, 0.0, [this] { showKeyBars(); });
    };
    host.commands["endEditing"] = [this] {
        m_isEditing = false;
        m_connection.send("tinymce.activeEditor.getBody().blur();");
    };
    host.questions["isEditing"] = [this] { return m_isEditing; };
    host.commands["becomeFirstResponder"] = [this] { becomeFirstResponder(); };
    host.questions["hasSelection"] = [this] { return m_editingTools->hasSelection(); };
    // The caret and selection rows of the tools and cursor menus, answered
    // as the rich-text editor answers them.
    m_editingTools->caret().addCommandsByName(host.commands);
    host.commands["paste2"] = [this] { m_editingTools->clipboard().paste2(); };
    host.commands["showFindOnPage"] = [this] { m_editingTools->showFindOnPage(); };
    // The fixed items of the insert menus and the special-characters picker.
    host.commands["insertTable"] = [this] { m_editingTools->inserts().insertTable(); };
    host.commands["insertPageBreak"] = [this] { m_editingTools->inserts().insertPageBreak(); };
    host.commands["insertHorizontalLine"] = [this] { m_editingTools->inserts().insertHorizontalLine(); };
    host.commands["insertDate"] = [this] { m_editingTools->inserts().insertDate(); };
    host.commands["insertDateShort"] = [this] { m_editingTools->inserts().insertDateShort(); };
    host.commands["insertNewFootnote"] = [this] { m_editingTools->notes().insertNewFootnote(); };
    host.commands["insertNewAnnotation"] = [this] { m_editingTools->notes().insertNewAnnotation(); };
    host.commands["insertFootnoteTable"] = [this] { m_editingTools->notes().insertFootnoteTable(); };
    // The key rows: this editor keeps its rows while a panel is open, so
    // taking them away asks nothing of it; giving them back makes sure the
    // bar is there; the panels that close the keyboard end editing.
    host.commands["removeCustomKeyboard"] = [] {};
    host.commands["addCustomKeyboard"] = [this] { tools().keyBars().removeFormBar(); };
    host.commands["removeCustomKeyboardAndClose"] = [this] { tools().run("endEditing"); };
    // The insert menus offer "Scan Text" where this system recognises text;
    // the writing tools have kept the caret and ended editing before it opens.
    host.questions["canScanText"] = [] { return TextRecognizer::isAvailable(); };
    host.questions["presentLiveTextScanner"] = [this] {
        if (!m_scanner) {
            m_scanner = LiveTextScannerSession::make(
                Pasteboard::general(),
                LiveTextScannerSession::Host{
                    .present = [this](std::shared_ptr<ViewController> shown) {
                        if (std::shared_ptr<ViewController> presenter =
                                m_document ? m_document->viewControllerToPresent() : nullptr)
                            (void)presenter->presentViewController(shown, true);
                    },
                    .saveCaretSelection = {},
                    .insertScannedText = [this](const std::u16string& text) {
                        // Focusing the editor puts its caret at the start of
                        // the text: the caret kept before the scanner opened
                        // (where the editor keeps one) is where the lines go.
                        m_connection.send(editorTraits().savesCaretBeforePanels
                                              ? "tinymce.activeEditor.focus();restoreCaretSelection();"
                                              : "tinymce.activeEditor.focus();");
                        if (editorTraits().scannedLinesStayLines)
                            tools().insertions().insertTextInDocument(text);
                        else
                            tools().insertions().insertTextAmongWords(text);
                        tools().run("endEditing");
                    }});
        }
        m_scanner->insertTextFromLiveTextScanner();
        return true;
    };
    // The menus' "Insert Image" is the image picker's first row.
    host.commands["insertPhoto"] = [this] { tools().run("insertImageOption"); };
    // The word being read aloud and the link at the caret show in the banner above the page.
    host.showBannerText = [this](const std::u16string& text) { showBannerText(text); };
    host.bannerDidClear = [this] {
        m_margins->topAlertBar()->setHidden(true);
        m_margins->topAlertBar()->setNeedsDisplay();
    };
    host.view = [this] { return viewIfLoaded(); };
    // The view modes, switches, zoom and pages the tools menus reach.
    // The picture rows of the insertion menu.
    host.commands["attachImage"] = [this] { m_pictures->attachImage(); };
    host.commands["takePhoto"] = [this] { m_pictures->takePhoto(); };
    host.commands["typewriterMode"] = [this] { m_viewModes->typewriterMode(); };
    host.commands["exitTypeWriterMode"] = [this] { m_viewModes->exitTypeWriterMode(); };
    host.commands["fullScreenDocumentMode"] = [this] { m_viewModes->fullScreenDocumentMode(); };
    host.commands["toggleNightMode"] = [this] { m_viewModes->toggleNightMode(true); };
    host.commands["toggleDarkNightMode"] = [this] { m_viewModes->toggleDarkNightMode(true); };
    host.commands["toggleWordCounterVisible"] = [this] { m_viewModes->toggleWordCounterVisible(); };
    host.commands["toggleAutoCheckSpelling"] = [this] { m_viewModes->toggleAutoCheckSpelling(); };
    host.commands["toggleSmartQuotes"] = [this] { m_viewModes->toggleSmartQuotes(); };
    host.commands["togglePageNumbers"] = [this] { m_viewModes->togglePageNumbers(); };
    host.commands["toggleTypeWriterSounds"] = [this] { m_viewModes->toggleTypeWriterSounds(true); };
    host.commands["toogleZoomTextMode"] = [this] { m_zoom->toogleZoomTextMode(); };
    host.commands["gotoPageinDoc"] = [this] { m_pages->gotoPageinDoc(); };
    // The hidden header and footer the header inspector adds to a page without them.
    host.pageHeaderHTML = [this] { return std::optional<std::string>(getCurrentPageHeaderControl()); };
    host.pageFooterHTML = [this] { return std::optional<std::string>(getCurrentPageFooterControl()); };
    host.commands["previewHeaderFooter"] = [this] { showHeaderFooterPreview(); };
    host.commands["takeSnapshot"] = [this] { takeSnapshot(); };
    host.questions["internetConnected"] = [] { return NetworkReachability::isNetworkAvailable(); };
    host.commands["showNoConnectionAvailableAlert"] = [this] {
        if (Status shown = presentViewController(noConnectionAvailableAlert(), true); !shown)
            TELog(TELogLevelWarning, "The no-connection alert could not be shown: " + shown.error().message);
    };
    host.commands["showWebResearchBrowser"] = [this] { showWebResearchBrowser(); };
    // On the desktop the in-app browser is a window of its own over the
    // editor, which keeps its frame: the research browser.
    host.commands["showInAppWebBrowser"] = [this] { showWebResearchBrowser(); };
    host.questions["isTypewriterMode"] = [this] { return m_viewModes->isTypewriterMode(); };
    host.questions["wordCounterVisible"] = [this] { return m_viewModes->wordCounterVisible(); };
    // A selection made from the cursor menu is counted at once.
    host.commands["updateWordCounter"] = [this] { m_wordCounter->updateWordCounter(); };
    QVTextTools::Dialect dialect = toolsDialect();
    dialect.savesCaretBeforePanels = editorTraits().savesCaretBeforePanels;
    dialect.readAloudShowsSpeechMenu = editorTraits().readAloudShowsSpeechMenu;
    dialect.hasTextStyleItem = editorTraits().hasTextStyleItem;
    return QVTextTools::make(m_connection, *m_styling, UserDefaults::standardUserDefaults(), Pasteboard::general(),
                             std::move(host), std::move(dialect));
}

void QVTextViewController::showWebResearchBrowser()
{
    // Only a web address the user browsed to last is taken up again.
    std::optional<std::string> last =
        UserDefaults::standardUserDefaults().stringForKey(WebPageViewer::kWebClipLastUsedURLKey);
    std::string start = last && WebPageViewer::isWebAddress(*last) ? *last : WebPageViewer::kDefaultResearchPage;
    (void)openInWebViewWithPath(start);
    tools().run("endEditing");
}

void QVTextViewController::showHeaderFooterPreview()
{
    // The inspector has put up the overlay; it goes once the preview is there.
    DKDocumentAppController* app = DKDocumentAppController::controller();
    if (!app) {
        ProgressHUD::dismiss();
        return;
    }
    app->previewHeaderFooter([] { ProgressHUD::dismiss(); });
}

void QVTextViewController::showBannerText(const std::u16string& text)
{
    const std::shared_ptr<Label>& banner = m_margins->topAlertBar();
    banner->setAlpha(1.0);
    banner->setHidden(false);
    banner->setText(text);
    banner->setNeedsDisplay();
}

void QVTextViewController::showKeyBars()
{
    BarContainerView* container = isViewLoaded() ? barContainer() : nullptr;
    if (!container)
        return;
    // The link bar, while it asks for an address, sits right below the page.
    std::vector<std::shared_ptr<View>> bars;
    if (tools().linkBar().isVisible())
        bars.push_back(tools().linkBar().insertLinkToolbar());
    if (const std::shared_ptr<View>& accessory = tools().keyBars().inputAccessoryView())
        bars.push_back(accessory);
    container->setBars(BarContainerView::Edge::Bottom, std::move(bars));
    container->reloadBars();
}

} // namespace folio
