#pragma once

#include "documents/DocumentKind.h"
#include "export/ExportNaming.h"
#include "delivery/ExportServices.h"
#include "delivery/PNGResultActions.h"
#include "export/ExporterRegistry.h"
#include "shell/ExportActions.h"
#include "shell/PreviewPresenter.h"
#include "export/pdf/NDHTMLtoPDF.h"
#include "export/png/PNGExporter.h"
#include "shell/TemporaryFolderCleaner.h"
#include "shell/WebPagePDF.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/docframework/DKWebViewController.h"
#include "platform/docframework/DKWebViewControllerDelegate.h"
#include "platform/docframework/ReaderViewController.h"
#include "platform/graphics/Geometry.h"
#include "platform/text/AttributedString.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class ExportSource;
class MenuElement;
class LinuxExportServices;
class ODSFileItem;
class RunningPDFExport;
class TextDocument;
class UserDefaults;
class View;
class ViewController;
class WebView;

// The application's answers to the document framework: every file is a
// TextDocument, saving the open document, the autosave indicator and
// temporary-folder housekeeping; copy-out of the open page
// (AppControllerCopyOut.cpp). The type identifiers of new and special files
// are DocumentTypes'; the browser's exports of a listed file are
// ExportActions' and its previews PreviewPresenter's, which the controller
// owns and hands out by reference.
class AppController : public DKDocumentAppController,
                      public ReaderViewControllerDelegate {
public:
    static constexpr const char* kExportErrorDomain = "AppController";
    enum ExportErrorCode { NothingToShow = 4, NoOpenPage = 5, NotSaved = 6 };

    AppController();
    ~AppController() override;

    // The shared controller when it is an AppController.
    static AppController* controller();

    std::shared_ptr<DKDocument> makeDocumentForURL(const std::string& url) override;


    // The open document as a TextDocument, or null.
    std::shared_ptr<TextDocument> currentDocument() const;
    // What the open document's editor holds, when the open document is the
    // file at `path`. None for another file, and none when the editor cannot
    // answer: the exports then take the saved file. Main thread only.
    std::optional<EditorContent> openContentForFile(const std::string& path,
                                                    EditorContent::Parts parts = EditorContent::Parts::Document) const;
    // Shows the progress overlay while the open document's editor saves; the
    // completion runs once the save is done, and at once, with no overlay,
    // when no document is open in an editor.
    void updateHTMLContentCurrentDocument(std::function<void()> completion);
    std::shared_ptr<View> pickerAnimationViewForTarget(const TextDocument& document) const;
    void viewWillTransitionToSize(Size size);
    std::string feedbackMenuTitle() const { return "Help"; }

    void showAutoSavingIndicator() override;
    void hideAutoSavingIndicator() override;

    // The desktop application's half (AppControllerDesktop.cpp): a document
    // whose kind has no editor yet is shown read-only, as a page of its text
    // that nothing can save; the open document is pictured for the browser
    // when it closes; its share menu prints and previews it as PDF.
    std::shared_ptr<ViewController> viewControllerForDocumentWithoutEditor(DKDocument& document) override;
    void writePreviewsForDocument(DKDocument& document, std::function<void()> completion) override;
    void writePreviewForFileItem(const std::shared_ptr<ODSFileItem>& item, std::function<void()> completion) override;
    std::shared_ptr<Menu> exportMenuActions() override;
    // What a share row does with a file; an error is shown to the person.
    using FileTask = std::function<Status(const std::string& path)>;
    // Runs the task on the file at `path` once the file holds what its open
    // editor shows: when it is the open document and has unsaved changes
    // (keys the editor is still taking in count), the document is first
    // saved as its autosave saves it, and the task runs once that save has
    // ended. A save that fails shows its error and the task does not run,
    // so that nothing is made of the file as it last was.
    void runOnSavedFile(const std::string& path, FileTask task);
    // The browser's print of a listed file; the open document is saved
    // first, and what goes wrong after that is shown over its window.
    Status printFileItem(const std::string& path);
    // What a file can become as PDF: a copy beside it, or a PDF handed to
    // mail, another application or a storage service once it is made.
    std::shared_ptr<Menu> PDFMenuForFile(const std::string& path);
    // The browser's exports of a listed file: its PDF rows, then HTML (with
    // its preview), plain text, ePub, RTFD and the picture, each handed on
    // as the person picks.
    std::shared_ptr<Menu> exportMenuForFile(const std::string& path);
    // The open document as its PDF prints, with the header and footer as
    // they are set now, in the PDF reader; the completion runs once the
    // conversion has ended (the reader is up) or could not start.
    void previewHeaderFooter(std::function<void()> completion) override;
    // The PDF in the in-app reader, over whatever is on top.
    Status presentPDFReader(const std::string& path);
    // A PDF the browser lists opens in the PDF reader, whose page becomes
    // the item's picture when it is dismissed.
    std::optional<Status> presentFileItemWithoutDocument(const std::shared_ptr<ODSFileItem>& item) override;
    const std::shared_ptr<ReaderViewController>& readerViewController() const { return m_readerViewController; }
    // The reader closes: its page becomes the last opened file's preview,
    // unless it showed a document's PDF preview.
    void dismissReaderViewController(ReaderViewController& reader, View* pageView) override;

    // An alert over the document's window, or over the browser when no
    // document is open; nothing while another alert is up.
    void presentExportAlert(const std::u16string& title, const std::string& message);

    // Deletes what has lain in the temporary folder for more than two days.
    std::vector<std::string> deleteOlderTmpFolder();
    void setClock(TemporaryFolderCleaner::Clock clock) { m_clock = std::move(clock); }

    const std::shared_ptr<ODSFileItem>& lastOpenedFileItem() const { return m_lastOpenedFileItem; }
    void setLastOpenedFileItem(std::shared_ptr<ODSFileItem> item) { m_lastOpenedFileItem = std::move(item); }

    // Makes a new blank document of the kind at `path` and waits for it to be
    // written; `path` must not exist and its extension must be the kind's.
    Status createNewDocument(DocumentKind kind, const std::string& path, double timeoutSeconds = 60);

    // The engine's reading of HTML, with no options.
    static std::optional<AttributedString> convertToAttributedString(const std::string& html);
    // The words of a Markdown file as its reader sees them (its plain text).
    static Result<std::size_t> countWordsOfMarkdownFile(const std::string& path);
    // The browser's exports of a listed file, over the exporter registry.
    ExportActions& exports() { return m_exports; }
    // The editors' snapshot: the document's picture saved among the desktop's pictures.
    void takeSnapshotFromURL(const std::string& url, std::function<void(Result<std::string> picture)> completion) override;

    // The browser's previews of a listed file and the Markdown previews,
    // which the controller owns and hands out by reference.
    PreviewPresenter& previews() { return m_previews; }
    // The controller on top of everything above the browser window's root.
    std::shared_ptr<ViewController> topViewController() const;
    static std::shared_ptr<ViewController> topViewController(const std::shared_ptr<ViewController>& controller);
    // A menu command whose work was never filled in: its task does nothing.
    void copyHTMLMarkdownToPasteboard();
    // The open rich-text page's text or HTML on the general pasteboard, with
    // the alert that says so presented over the editor.
    Status copyPlainTextToPasteboard();
    Status copyHTMLToPasteboard();
    // The page of a web view printed into a two-page PDF (WebPagePDF).
    void convertToPDF(WebView& webView, WebPagePDF::Completion completion);

    // The standard defaults when null; the exports read the same.
    void setUserDefaults(UserDefaults* defaults)
    {
        m_defaults = defaults;
        m_exports.setUserDefaults(defaults);
    }

private:
    // The rows of PDFMenuForFile, for the file `pathWhenChosen` names when a
    // row is chosen (empty: nothing to do); `path` tells what kind it is.
    std::shared_ptr<Menu> PDFMenu(const std::string& path, std::function<std::string()> pathWhenChosen);
    // The submenus of every other export, for the file named the same way.
    std::vector<std::shared_ptr<MenuElement>> otherExportMenus(std::function<std::string()> pathWhenChosen);
    void setDocumentItemsEnabled(bool enabled);
    // The open document when it is the file at `path` and is in an editor.
    std::shared_ptr<TextDocument> openDocumentForFile(const std::string& path) const;
    void reportExportFailure(const Error& error);
    UserDefaults& defaults() const;
    bool hasOpenEditor() const;


    std::shared_ptr<ODSFileItem> m_lastOpenedFileItem;
    TemporaryFolderCleaner::Clock m_clock = &std::chrono::system_clock::now;

    UserDefaults* m_defaults = nullptr;
    ExportActions m_exports;
    PreviewPresenter m_previews;
    std::shared_ptr<ReaderViewController> m_readerViewController;
    // Work posted for later checks this, as the controller may be gone by then.
    std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
};

} // namespace folio
