#pragma once

#include "richtext/RichTextPageCounter.h"
#include "richtext/RichTextPageTemplate.h"
#include "richtext/RichTextViewingTools.h"
#include "webeditor/DocumentViewZooming.h"
#include "webeditor/WebEditorController.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class CameraPhotoTaker;
class CaretSelectionCommander;
class ClipboardCommander;
class RichTextEditingTools;
class RichTextMarginRuler;
class RichTextImageEditor;
class RichTextPageControl;
class RichTextPictureInserter;
class RichTextStyling;
class AlertController;
class RichTextTools;
class TextDocument;
class UserDefaults;
class WebView;

// The editor of rich-text documents: the document's HTML in one editable
// page (RichTextPageTemplate), driven by script and heard through page
// messages (PageBridge).
//
// The document keeps its text while the page is open: a save reads the page,
// and until a read has succeeded the kept text is what the page was loaded
// from. A page whose process crashed is loaded again from it.
class WebPageViewer;

class TextViewController final : public WebEditorController, public DocumentViewZooming {
public:
    // Without a factory the page is a DMWebView.
    TextViewController(TextDocument& document, WebViewFactory factory = {}, LinkOpener openLink = {});
    ~TextViewController() override;

    // The page's content, asked for in one call, once the page is ready: a
    // save before then has nothing whole to read and fails, leaving the file
    // as it was. The document keeps the text of each answer.
    Result<EditorContent> content(EditorContent::Parts parts = EditorContent::Parts::Document) override;
    // The page's answer and the editor's paper and margins are taken at
    // once; cleaning the body, megabytes in a long document, is the maker's.
    ContentMaker contentMaker(EditorContent::Parts parts = EditorContent::Parts::Document) override;
    void documentDidClose() override;

    // Undo, redo, bold, italic and underline from the keyboard.
    std::vector<std::shared_ptr<KeyCommand>> keyCommands() const override;

    // The style bar, the style commands, the bar items and the popovers.
    RichTextStyling& styling() { return *m_styling; }
    // The inspectors, the tools menus and the selection transforms.
    RichTextTools& tools() { return *m_tools; }
    // The zoom slice's new text zoom, in percent.
    void documentViewZoomModified(double percent) override;
    double documentViewZoomPercent() const override;
    // Copy, cut, the pastes and drops.
    ClipboardCommander& clipboard() { return *m_clipboard; }
    // Caret moves, selection commands, the pads and the edit menu's timing.
    CaretSelectionCommander& caret() { return *m_caret; }
    // The key row, find and replace, links and inserts, footnotes and comments.
    RichTextEditingTools& editingTools() { return *m_editingTools; }
    // The margins ruler and its banner, and the virtual pages.
    RichTextMarginRuler& margins() { return *m_margins; }
    RichTextPageCounter& pages() { return m_pages; }
    // The view modes, word counter, typewriter mode, reading aloud and the
    // writing-tool entries.
    RichTextViewingTools& viewing() { return m_viewing; }
    // The page buttons and labels over the page, and the "Jump to page" dialog.
    RichTextPageControl& pageControl() { return *m_pageControl; }
    // Recounts the pages from the page's last scroll report and shows them.
    void updatePageUpDownControl();
    // The page height from the top and bottom margins; the paper size does
    // not change it.
    void updateEditorPageSize();

    // The picture commands: 0 inserts a picture from the user's files, 1
    // takes one with the camera, which the desktop does not have.
    void imageOptionSelected(long row);
    void attachImage();
    void takePhoto();
    // Camera access, the camera's picture and their alerts.
    CameraPhotoTaker& cameraPhotoTaker();
    RichTextPictureInserter& pictures() { return *m_pictures; }
    // The picture under edit: its frame over the page, its menu and commands.
    RichTextImageEditor& imageEditor() { return *m_imageEditor; }
    // Between the page's report that it started scrolling and that it stopped.
    bool isEditorScrollingView() const { return m_isEditorScrollingView; }
    bool canPerformAction(const std::string& action, const void* sender) const override;
    bool canBecomeFirstResponder() const override { return true; }
    // The edit menu's "paste:" and "pasteRichText:" run the rich paste.
    bool respondsToAction(const std::string& action) const override;
    bool performAction(const std::string& action, const void* sender) override;

    bool isEditing() const { return m_isEditing; }

    // The page as it would be loaded now, from the settings and the kept text.
    Result<std::string> pageHTML() const;

    // What a document the page cannot carry back shows when its page is
    // ready: why this one cannot be saved.
    static std::shared_ptr<AlertController> readOnlyDocumentAlert(const TextDocument& document);
    // Starts the next rich-text editor's page (its web view and page
    // process) ahead of it, while its document is read.
    static void prepareEditorPage();

    // PageBridgeClient
    void pageDidBecomeReady() override;
    void pageDidFinishLoad() override;
    void pageDidFailToLoad(const std::string&) override { dismissLoadProgress(); }
    void pageCannotBeEdited(const std::string& reason) override
    {
        dismissLoadProgress();
        WebEditorController::pageCannotBeEdited(reason);
    }
    void pageProcessDidTerminate(const std::string& reason) override;

    // A document's web link opens in the program's own browser, as in the
    // QV editors; mail links and refusals go the editors' common way.
    void openWebAddress(const std::string& url) override;
    const std::unique_ptr<WebPageViewer>& webPageViewer() const { return m_webPageViewer; }

protected:
    void loadHTMLDocument() override;
    bool editMenuHoldsOwnRows() const override;
    void applicationWillEnterBackground() override;
    void willEnterForeground() override;
    void viewDidLoad() override;
    void viewWillTransitionToSize(Size size) override;

private:
    // The open document's page settings over the user's store.
    UserDefaults& settings() const;
    // Whether the open document was just made blank and its page not yet
    // ready: the page then takes the user's default style.
    BlankDocument blankDocument() const;
    void registerRoutes();
    void setPageControlHidden(bool hidden);
    // Runs a change of the page control's visibility and has the window
    // show the control as it now is.
    void setPageControlShown(const std::function<void()>& change);
    std::unique_ptr<RichTextStyling> makeStyling();
    std::shared_ptr<RichTextTools> makeTools();
    std::unique_ptr<RichTextEditingTools> makeEditingTools();
    std::unique_ptr<RichTextMarginRuler> makeMarginRuler();
    std::unique_ptr<RichTextPictureInserter> makePictureInserter();
    RichTextViewingTools makeViewingTools();
    void endPageEditing();
    void setDefaultTextEditorSizeValues();
    void dismissLoadProgress();
    std::unique_ptr<ClipboardCommander> makeClipboard();
    std::unique_ptr<CaretSelectionCommander> makeCaret();
    std::unique_ptr<RichTextPageControl> makePageControl();
    std::unique_ptr<RichTextImageEditor> makeImageEditor();
    double pageHeight() const;
    Result<RichTextPageTemplate::Page> pageToLoad() const;
    // Puts the key row, as it is now, along the bottom of the page.
    void showKeyRow();
    // Scrolls to where the document was last read.
    void scrollToBookmark();

    // The paper colour the page was built with, as the page names it.
    std::string m_shownPaperColor;
    std::unique_ptr<RichTextMarginRuler> m_margins;
    RichTextPageCounter m_pages;
    std::unique_ptr<RichTextPictureInserter> m_pictures;
    // Made when the camera row is first chosen.
    std::unique_ptr<CameraPhotoTaker> m_camera;
    std::unique_ptr<RichTextStyling> m_styling;
    std::shared_ptr<RichTextTools> m_tools;
    std::unique_ptr<ClipboardCommander> m_clipboard;
    std::unique_ptr<CaretSelectionCommander> m_caret;
    std::unique_ptr<RichTextEditingTools> m_editingTools;
    RichTextViewingTools m_viewing;
    std::unique_ptr<RichTextPageControl> m_pageControl;
    std::unique_ptr<RichTextImageEditor> m_imageEditor;
    std::unique_ptr<WebPageViewer> m_webPageViewer;
    bool m_isEditing = false;
    // The page is scrolling: its touches are no taps on pictures.
    bool m_isEditorScrollingView = false;
    bool m_showsLoadProgress = false;
};

} // namespace folio
