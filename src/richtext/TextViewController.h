#pragma once

#include "documents/EditorController.h"
#include "platform/docframework/DKWebViewController.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "richtext/RichTextDialect.h"
#include "richtext/RichTextPageTemplate.h"
#include "webeditor/DirtyState.h"
#include "webeditor/PageBridge.h"
#include "webeditor/PageBridgeClient.h"
#include "webeditor/PageConnection.h"
#include "webeditor/UndoHistory.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class RichTextStyling;
class AlertController;
class TextDocument;
class WebView;

// The editor of rich-text documents: the document's HTML in one editable
// page (RichTextPageTemplate), driven by script and heard through page
// messages (PageBridge).
//
// The document keeps its text while the page is open: a save reads the page,
// and until a read has succeeded the kept text is what the page was loaded
// from. A page whose process crashed is loaded again from it.
class TextViewController final : public EditorController, public PageBridgeClient {
public:
    using WebViewFactory = DKWebViewController::WebViewFactory;
    // Hands a followed link to the desktop.
    using LinkOpener = std::function<void(const std::string& url)>;

    static constexpr Rect kDefaultFrame{{0, 0}, {900, 700}};

    // Without a factory the page is a DMWebView.
    TextViewController(TextDocument& document, WebViewFactory factory = {}, LinkOpener openLink = {});
    ~TextViewController() override;

    // The page's content, asked for in one call, once the page is ready: a
    // save before then has nothing whole to read and fails, leaving the file
    // as it was. The document keeps the text of each answer.
    Result<EditorContent> content(EditorContent::Parts parts = EditorContent::Parts::Document) override;
    // FIXME: the close items and the saving indicator are not switched here
    // yet; the page itself needs nothing before its content is asked for.
    void documentWillSave() override {}
    void documentDidClose() override;
    void setForPreviewGeneration(bool forPreview) override { m_forPreviewGeneration = forPreview; }
    std::shared_ptr<View> textView() override { return view(); }

    // A change of the page: marks the document changed.
    void documentIsDirty();
    void undoAction() { m_undo.undo(); }
    void redoAction() { m_undo.redo(); }
    bool canUndo() { return m_undo.canUndo(); }
    bool canRedo() { return m_undo.canRedo(); }
    // Undo, redo, bold, italic and underline from the keyboard.
    std::vector<std::shared_ptr<KeyCommand>> keyCommands() const override;

    // The style bar, the style commands, the bar items and the popovers.
    RichTextStyling& styling() { return *m_styling; }
    bool canPerformAction(const std::string& action, const void* sender) const override;
    bool canBecomeFirstResponder() const override { return true; }

    bool isPageReady() const { return m_bridge.isPageReady(); }
    // The page itself, for this editor's own tests and benchmarks; the
    // document and the shell get its content, never the page.
    WebView* webView() const { return m_webView.get(); }
    bool isEditing() const { return m_isEditing; }
    DirtyState& dirtyState() { return m_dirty; }
    PageBridge& bridge() { return m_bridge; }
    // Why the page could not be made, if it could not.
    const std::optional<Error>& pageError() const { return m_pageError; }

    // The page as it would be loaded now, from the settings and the kept text.
    std::string pageHTML() const;

    // What a document the page cannot carry back shows when its page is ready.
    static std::shared_ptr<AlertController> readOnlyDocumentAlert();

    // A followed link's target; one without a scheme is taken as a web address.
    static std::string linkTarget(const std::string& href);

    // PageBridgeClient
    bool hasDocument() const override { return m_document != nullptr; }
    void pageDidBecomeReady() override;
    void pageDidFinishLoad() override;
    void pageDidFailToLoad(const std::string&) override { dismissLoadProgress(); }
    // Only web and mail addresses go to the desktop.
    void openLinkInBrowser(const std::string& url) override;
    void pageProcessDidTerminate(const std::string& reason) override;

protected:
    TextDocument* editedDocument() const override { return m_document; }
    void loadView() override;
    void viewDidLoad() override;
    void viewWillTransitionToSize(Size size) override;

private:
    WebView* ensureWebView();
    void registerRoutes();
    void loadHTMLDocument();
    std::unique_ptr<RichTextStyling> makeStyling();
    void copySelection(bool cut);
    void dismissLoadProgress();
    double pageHeight() const;
    RichTextPageTemplate::Page pageToLoad() const;

    TextDocument* m_document;
    WebViewFactory m_factory;
    LinkOpener m_openLink;
    std::unique_ptr<WebView> m_webView;
    std::optional<Error> m_pageError;
    RichTextDialect m_dialect;
    PageConnection m_connection;
    DirtyState m_dirty;
    UndoHistory m_undo;
    PageBridge m_bridge;
    // The paper colour the page was built with, as the page names it.
    std::string m_shownPaperColor;
    std::unique_ptr<RichTextStyling> m_styling;
    bool m_forPreviewGeneration = false;
    bool m_isEditing = false;
    bool m_showsLoadProgress = false;
    Size m_size = kDefaultFrame.size;
};

} // namespace folio
