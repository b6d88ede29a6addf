#pragma once

#include "documents/DocumentKind.h"
#include "documents/TemporaryFolderCleaner.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/graphics/Geometry.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class ODSFileItem;
class TextDocument;
class View;
class WebView;

// The application's answers to the document framework: every file is a
// TextDocument, the type identifiers of new and special files, saving the
// open document, the autosave indicator and temporary-folder housekeeping.
class AppController : public DKDocumentAppController {
public:
    AppController();
    ~AppController() override;

    // The shared controller when it is an AppController.
    static AppController* controller();

    std::shared_ptr<DKDocument> makeDocumentForURL(const std::string& url) override;

    static std::string documentStoreDocumentTypeForNewFiles();
    static std::string documentStoreDocumentTypeForNewTemplateFiles();
    static std::string documentStoreDocumentTypeForInkFiles();
    static std::string documentStoreDocumentTypeForPencilFiles();
    static std::string documentStoreDocumentTypeForSketchFiles();
    static std::string documentStoreDocumentTypeForSketchDrawingFiles();
    static std::string documentStoreDocumentTypeForScribbleFiles();
    static std::string documentStoreDocumentTypeForTeXFiles();
    static std::string documentStoreDocumentTypeForQVTextFiles();
    static std::string documentStoreDocumentTypeForQVOutlineFiles();
    static std::string documentStoreDocumentTypeForMarkdownFiles();
    static std::string documentStoreDocumentTypeForPDFFiles();

    // The open document as a TextDocument, or null.
    std::shared_ptr<TextDocument> currentDocument() const;
    // The page of the open document's editor, or null.
    WebView* documentUIWebView() const;
    // Shows the progress overlay while the open document's editor saves; the
    // completion runs once the save is done (not at all without a document,
    // as the editor does not call back then).
    void updateHTMLContentCurrentDocument(std::function<void()> completion);
    std::shared_ptr<View> pickerAnimationViewForTarget(const TextDocument& document) const;
    void viewWillTransitionToSize(Size size);
    std::string feedbackMenuTitle() const { return "Help"; }

    void showAutoSavingIndicator() override;
    void hideAutoSavingIndicator() override;

    // Deletes what has lain in the temporary folder for more than two days.
    std::vector<std::string> deleteOlderTmpFolder();
    void setClock(TemporaryFolderCleaner::Clock clock) { m_clock = std::move(clock); }

    const std::shared_ptr<ODSFileItem>& lastOpenedFileItem() const { return m_lastOpenedFileItem; }
    void setLastOpenedFileItem(std::shared_ptr<ODSFileItem> item) { m_lastOpenedFileItem = std::move(item); }

    // Makes a new blank document of the kind at `path` and waits for it to be
    // written; `path` must not exist and its extension must be the kind's.
    Status createNewDocument(DocumentKind kind, const std::string& path, double timeoutSeconds = 60);

private:
    void setDocumentItemsEnabled(bool enabled);

    std::shared_ptr<ODSFileItem> m_lastOpenedFileItem;
    TemporaryFolderCleaner::Clock m_clock = &std::chrono::system_clock::now;
};

} // namespace folio
