#pragma once

#include "documents/MarkdownEditorController.h"
#include "platform/docframework/DKInspectorDelegate.h"
#include "platform/docframework/DKWebViewController.h"
#include "platform/docframework/DKWebViewControllerDelegate.h"
#include "platform/ui/TextViewDelegate.h"

#include <functional>
#include <memory>
#include <vector>

namespace folio {

class BarButtonItem;
class DKInspector;
class KeyCommand;
class MDTextViewBarItems;
class MEMarkdownTextView;
class Menu;
class TextDocument;
class UserDefaults;

// The editor of one open Markdown, plain-text or TeX document. It is its text
// view's delegate, so every edit passes through it and marks the document
// changed; the document takes the text when it reads it (to save, to close,
// to export), so a save always writes the latest edit. Around the
// text view it keeps the bar items and answers the Tools menu
// (MDTextViewControllerTools.cpp).
class MDTextViewController : public MarkdownEditorController,
                             public TextViewDelegate,
                             public DKInspectorDelegate,
                             private DKWebViewControllerDelegate {
public:
    // Shows the Markdown preview of the editor's text; the application gives
    // it, as the editor cannot reach the application's previews itself.
    using PreviewAction = std::function<void(MDTextViewController&)>;

    // The numbers of the Tools menu's entries; other numbers do nothing.
    enum ToolsOption : unsigned {
        ToolsOptionSnapshot = 0,
        ToolsOptionStatistics = 1,
        ToolsOptionFindAndReplace = 2,
        ToolsOptionWordCounter = 8,
        ToolsOptionCopyHTML = 12,
        ToolsOptionCopyPlainText = 13,
        ToolsOptionNameGenerator = 15,
        ToolsOptionWebResearch = 16,
    };

    static std::shared_ptr<MDTextViewController> make(TextDocument& document, UserDefaults* defaults = nullptr,
                                                      PreviewAction preview = {});
    ~MDTextViewController() override;

    // --- The document's side ---
    void setIsTeXFormat(bool isTeX) override;
    void setText(const std::u16string& text) override;
    std::u16string text() const override;
    std::string html() const override;
    void documentDidClose() override;
    void willCloseDocument();
    void setForPreviewGeneration(bool forPreview) override { m_forPreviewGeneration = forPreview; }
    bool forPreviewGeneration() const { return m_forPreviewGeneration; }
    void setScale(double scale) override;
    double scale() const { return m_scale; }
    std::shared_ptr<View> textView() override;
    bool isTeXDocument() const { return m_isTeXDocument; }
    bool documentIsDirty() const;

    MEMarkdownTextView& markdownTextView() { return *m_textView; }

    // --- The text view's side ---
    void textViewDidChange(TextView& textView) override;

    // --- Bar items ---
    MDTextViewBarItems& barItems() { return *m_barItems; }
    void undoAction();
    void redoAction();
    void showPreview();

    // --- The layout inspector (MDTextViewControllerInspector.cpp) ---
    // Opens the inspector from the text-style item, or closes it when it is shown.
    void showTextStyleInspector();
    // Made on first use and kept.
    const std::shared_ptr<DKInspector>& layoutInspector();
    std::vector<std::shared_ptr<DKInspectorSlice>> makeAvailableSlicesForStackedSlicesPane(DKInspector& inspector,
                                                                                          DKStackedSlicesPane& pane) override;
    std::vector<DKDocument*> inspectableObjects(DKInspector& inspector) override;

    // --- Tools (MDTextViewControllerTools.cpp) ---
    void toolsOptionSelected(unsigned option);
    void showSearchTextMode() { toolsOptionSelected(ToolsOptionFindAndReplace); }
    // The Tools menu the bar shows when the application offers none.
    std::shared_ptr<Menu> toolsMenu();
    void copyHTMLToPasteboard();
    void copyPlainTextToPasteboard();
    void showStatistics();
    void showNameGenerator();
    void toggleWordCounterVisible();
    // A picture of the document among the user's pictures, with a short notice.
    void takeSnapshot();
    // The in-app browser at the page the user last browsed to.
    void showWebResearchBrowser();
    const std::shared_ptr<DKWebViewController>& researchBrowser() const { return m_researchBrowser; }
    // Makes the research browser's page; tests give a scripted one.
    void setBrowsingPageFactory(DKWebViewController::WebViewFactory factory) { m_browsingPageFactory = std::move(factory); }
    // Undo, redo and find from the keyboard.
    std::vector<std::shared_ptr<KeyCommand>> keyCommands() const override;

protected:
    void loadView() override;
    TextDocument* editedDocument() const override { return m_document; }
    // The editor's text goes into the document first, so that a save never
    // writes less than the editor shows; a failed save is told to the user,
    // and the document stays open with its text.
    void willSaveCurrentDocument() override;
    void didSaveCurrentDocument(bool saved) override;

private:
    MDTextViewController(TextDocument& document, UserDefaults* defaults, PreviewAction preview);
    UserDefaults& defaults() const;
    std::weak_ptr<MDTextViewController> weakSelf() { return sharedAs<MDTextViewController>(); }
    void installBarItems();
    void updateUndoItems();
    // Puts the editor's text into the document when the document's differs,
    // so that a save never writes less than the editor shows.
    void keepDocumentText();
    void presentCopyAlert(const char* message);
    void presentSaveFailure();
    void closeDocument();
    void webViewControllerDidClose(DKWebViewController& controller) override;

    TextDocument* m_document;
    UserDefaults* m_defaults;
    PreviewAction m_preview;
    std::shared_ptr<MEMarkdownTextView> m_textView;
    std::unique_ptr<MDTextViewBarItems> m_barItems;
    std::shared_ptr<DKInspector> m_textFormatInspector;
    std::shared_ptr<DKWebViewController> m_researchBrowser;
    DKWebViewController::WebViewFactory m_browsingPageFactory;
    bool m_isTeXDocument = false;
    bool m_forPreviewGeneration = false;
    double m_scale = 1.0;
};

} // namespace folio
