#pragma once

#include "platform/ui/MenuController.h"
#include "qvtext/QVTextDialect.h"
#include "qvtext/QVTextPageSetup.h"
#include "webeditor/DocumentViewZooming.h"
#include "qvtext/QVTextTools.h"
#include "webeditor/WebEditorController.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class KeyCommand;
class LiveTextScannerSession;
class QVEditingTools;
class QVMarginRuler;
class QVPageNavigator;
class QVPaper;
class QVPictureCommands;
class QVStyleBarState;
class QVWordCounter;
class QVTextStyling;
class QVTextZoom;
class PageModeLayout;
class QVViewModes;
class WebPageViewer;
class TextDocument;
struct PageMessage;

// The editor of QV text documents: the document's HTML in TinyMCE on the
// QV text page (QVTextPageTemplate), ready once TinyMCE says so, saved as
// the editor's content with the body's own style beside it.
//
// The document keeps the text it was opened with until a page read
// succeeds; a page whose process crashed is loaded again from it.
class QVTextViewController : public WebEditorController, public DocumentViewZooming {
public:
    QVTextViewController(TextDocument& document, WebViewFactory factory = {}, LinkOpener openLink = {});
    ~QVTextViewController() override;

    // The page's content with its body style, asked for in one call once
    // the page is ready; every element that carried a body style is out of
    // the content, since the saved page gets one fresh one.
    Result<EditorContent> content(EditorContent::Parts parts = EditorContent::Parts::Document) override;
    // The close items wait while a save runs (the application shows that
    // it saves); the ruler's margins go to the document. The page itself
    // needs nothing before its content is asked for.
    void documentWillSave() override;
    // The save has ended: the document can be closed again.
    void documentDidSave();
    void documentDidClose() override;

    // The page as it would be loaded now; an error when the page's template
    // is not installed.
    virtual Result<std::string> pageHTML() const;
    // A document's HTML as it may enter the editing page and leave it for
    // the file: documents come from anywhere, and the page is the program's
    // own, so markup that would run, load from outside or speak for the
    // page is left out both ways, and a file that carries it is cleaned by
    // its next save.
    static std::string pageSafeHTML(std::string_view html);

    // The formatting commands, styles and popover callbacks of the page.
    QVTextStyling& styling() { return *m_styling; }
    // The margins ruler and its banner line.
    QVMarginRuler& margins() { return *m_margins; }
    // The text zoom, the paper and the view modes and switches.
    QVTextZoom& zoom() { return *m_zoom; }
    QVPaper& paper() { return *m_paper; }
    QVViewModes& viewModes() { return *m_viewModes; }
    // The virtual pages: counter, page up and down, jump to a page.
    QVPageNavigator& pages() { return *m_pages; }
    // The pictures in the page.
    QVPictureCommands& pictures() { return *m_pictures; }
    // The counts on the banner line.
    QVWordCounter& wordCounter() { return *m_wordCounter; }
    // The zoom slice's new text zoom, in percent.
    void documentViewZoomModified(double percent) override;
    double documentViewZoomPercent() const override;
    // The text-style popover's paper size: the page height again.
    void setCurrentDocumentPageSize();
    bool isInMultitaskingMode() const { return m_isInMultitaskingMode; }
    // A web address or a link to a local page opens in the in-app viewer
    // (the document's page stays as it is); mail addresses go to the desktop.
    Status openInWebViewWithPath(const std::string& address);
    const std::unique_ptr<WebPageViewer>& webPageViewer() const { return m_webPageViewer; }
    // What makes the viewer's browsing pages; the web engine's own unless set (tests).
    void setBrowsingPageFactory(WebViewFactory factory) { m_browsingPageFactory = std::move(factory); }
    // A followed web address opens in the in-app viewer.
    void openWebAddress(const std::string& url) override;

    // Caret, inserts, paste and drops, find and replace, footnotes and comments.
    QVEditingTools& editingTools() { return *m_editingTools; }

    // Bold, italic and underline; find, undo, redo and the arrows; zoom and
    // page keys. The picture commands and the paste of the edit menu (its
    // paste goes through the editor's own, safe paste).
    std::vector<std::shared_ptr<KeyCommand>> keyCommands() const override;
    bool canPerformAction(const std::string& action, const void* sender) const override;
    bool canBecomeFirstResponder() const override { return true; }
    bool respondsToAction(const std::string& action) const override;
    bool performAction(const std::string& action, const void* sender) override;
    // The bar items, pickers, inspectors, insert menus, writing tools,
    // assistant and keyboard bars; made on first use.
    QVTextTools& tools();

    // The hidden header and footer the header inspector puts into a page
    // that has none.
    std::string getCurrentPageHeaderControl() const;
    std::string getCurrentPageFooterControl() const;
    // The document's own word on whether it is new and blank.
    BlankDocument blankDocument() const;
    // What this editor does differently from the QV text editor, if it is
    // another one on the same road.
    const QVTextDialect::EditorTraits& editorTraits() const { return m_qvDialect.traits(); }

    bool isEditing() const { return m_isEditing; }
    bool isEditorScrollingView() const { return m_isEditorScrollingView; }
    // Where the last press of the pointer in the page was, in the page's view.
    Point touchPointEditor() const { return m_touchPointEditor; }
    long long editorScrollOffset() const { return m_editorScrollOffset; }
    long long editorScrollHeight() const { return m_editorScrollHeight; }

    // PageBridgeClient
    void pageDidBecomeReady() override;
    void pageProcessDidTerminate(const std::string& reason) override;

protected:
    // For editors that are this one on another page: their own dialect.
    QVTextViewController(TextDocument& document, std::unique_ptr<QVTextDialect> dialect, WebViewFactory factory,
                         LinkOpener openLink);

    void loadHTMLDocument() override;
    bool editMenuHoldsOwnRows() const override;
    void viewDidLoad() override;
    // Whether the page's content can stand for the document; an error fails
    // the read, and the document keeps what it had.
    virtual std::optional<Error> contentProblem(const EditorContent&) const { return std::nullopt; }
    // What the ready step sends a new blank document beyond its font.
    virtual std::vector<std::string> newBlankDocumentScripts(const QVTextPageSetup::Settings& settings) const;
    // The stored body style as the ready step applies it.
    virtual std::optional<std::string> bodyStyleToRestore(std::optional<std::string> stored) const { return stored; }
    void viewWillTransitionToSize(Size size) override;
    // The style at the caret is followed while the page is on screen.
    void viewWillAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    // A new picture's markup and the picture menu's rows.
    virtual std::string pictureHTML(const std::string& base64, Size size, bool rightToLeft) const;
    virtual std::vector<MenuItem> imageMenuItems() const;

    const QVTextDialect& m_qvDialect;
    // How this editor's tools differ from the QV text editor's.
    virtual QVTextTools::Dialect toolsDialect() const { return {}; }

private:
    std::shared_ptr<QVTextTools> makeTools();
    // The key bars along the bottom of the page, as the switch chose.
    void showKeyBars();
    // The banner above the page, visible, with the text.
    void showBannerText(const std::u16string& text);
    // The in-app browser at the last page browsed, or the start page.
    void showWebResearchBrowser();
    void showHeaderFooterPreview();
    void registerRoutes();
    void makePageViews();
    void insertTabKey();
    void scrollToBookmark();
    void setCloseItemsEnabled(bool enabled);
    // Checks a little later whether the document's save has ended.
    void followSaveToItsEnd();

    bool m_isEditing = false;
    bool m_isEditorScrollingView = false;
    Point m_touchPointEditor{};
    long long m_editorScrollOffset = 0;
    long long m_editorScrollHeight = 0;
    std::unique_ptr<QVTextStyling> m_styling;
    std::unique_ptr<QVMarginRuler> m_margins;
    std::unique_ptr<QVTextZoom> m_zoom;
    std::unique_ptr<QVPaper> m_paper;
    std::unique_ptr<QVViewModes> m_viewModes;
    std::unique_ptr<PageModeLayout> m_modeLayout;
    std::unique_ptr<QVPageNavigator> m_pages;
    std::unique_ptr<QVPictureCommands> m_pictures;
    std::unique_ptr<QVWordCounter> m_wordCounter;
    // Made with the key bars, in viewDidLoad.
    std::unique_ptr<QVStyleBarState> m_styleBar;
    std::unique_ptr<WebPageViewer> m_webPageViewer;
    WebViewFactory m_browsingPageFactory;
    bool m_isInMultitaskingMode = false;
    std::unique_ptr<QVEditingTools> m_editingTools;
    std::shared_ptr<QVTextTools> m_tools;
    // The text scanner, as every web-view editor opens it; made on first use.
    std::shared_ptr<LiveTextScannerSession> m_scanner;
};

} // namespace folio
