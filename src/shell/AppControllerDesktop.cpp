#include "shell/AppController.h"

#include "delivery/LinuxExportServices.h"
#include "documents/TextDocument.h"
#include "engine/html/HTMLSanitizer.h"
#include "shell/DocumentPreviews.h"
#include "platform/docframework/DKDocumentPicker.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSScopeViewController.h"
#include "platform/docframework/ReaderDocument.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/ResourceTemplate.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Action.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/View.h"
#include "platform/ui/ImageView.h"
#include "platform/web/WebView.h"

#include <filesystem>
#include <map>

namespace folio {

namespace {

// An installed page filled with its values; a broken installation still
// shows the value named by shown, unwrapped.
std::string filledPage(const char* name, const std::map<std::string, std::string>& values, const char* shown)
{
    const Result<ResourceTemplate>& page = ResourceTemplate::shared(name, "pages");
    Result<std::string> filled = page ? page->filled(values) : Result<std::string>(page.error());
    if (filled)
        return std::move(*filled);
    TELog(TELogLevelError, filled.error().message);
    return values.at(shown);
}

// The page a read-only document is shown as: rich text and QV pages as the
// HTML read from the file, text kinds as their text.
std::string readOnlyPage(TextDocument& document)
{
    std::string title = HTMLTextEscaper::escape(document.localizedName());
    std::string body;
    switch (document.kind()) {
    case DocumentKind::RTF:
    case DocumentKind::QVText:
    case DocumentKind::QVOutline:
        // Whatever the file holds is shown, never run.
        body = HTMLSanitizer::sanitizedHTML(document.pageHTML());
        break;
    case DocumentKind::Markdown:
    case DocumentKind::TeX:
        body = filledPage("read-only-text.html", {{"text", HTMLTextEscaper::escape(toUtf8(document.text()))}}, "text");
        break;
    }
    return filledPage("read-only-page.html", {{"title", std::move(title)}, {"body", std::move(body)}}, "body");
}

} // namespace

std::shared_ptr<ViewController> AppController::viewControllerForDocumentWithoutEditor(DKDocument& document)
{
    auto* text = dynamic_cast<TextDocument*>(&document);
    if (!text)
        return nullptr;
    // The native viewer of rich text, when the application has one; it
    // shows the text kept as read, and without that there is nothing to show.
    if (text->kind() == DocumentKind::RTF && text->hasRTFtext()) {
        if (std::shared_ptr<ViewController> viewer = text->makeRTFViewController())
            return viewer;
    }
    auto page = std::make_shared<DKWebViewController>(
        m_previews.documentPageFactory(document.fileURL()));
    page->setShowNavigationButtons(false);
    page->setShowPrintMenu(false);
    // Loaded now, so that the document window's items replace the page's own.
    page->loadViewIfNeeded();
    if (Status loaded = page->loadHTMLString(readOnlyPage(*text), "about:blank"); !loaded) {
        TELog(TELogLevelWarning, "No page to show " + document.fileURL() + " on: " + loaded.error().message);
        return nullptr;
    }
    page->setTitle(toUtf16(document.localizedName() + " (read only)"));
    return page;
}

void AppController::writePreviewsForDocument(DKDocument& document, std::function<void()> completion)
{
    auto* text = dynamic_cast<TextDocument*>(&document);
    auto report = [completion](Status stored) {
        if (!stored)
            TELog(TELogLevelWarning, "No preview of the closed document: " + stored.error().message);
        completion();
    };
    // The preview is pictured off-screen, as the picture export is: from what
    // the editor holds, or, for a document shown read-only, from its file;
    // either way from its first page, wherever it was scrolled to.
    if (text && text->currentTextViewController()) {
        DocumentPreviews::writePreviewsForDocument(*text, report, m_exports.PNGWebViewFactory());
        return;
    }
    if (text && document.fileItem()) {
        DocumentPreviews::writePreviewForFileItem(document.fileItem(), report, m_exports.PNGWebViewFactory());
        return;
    }
    completion();
}

void AppController::writePreviewForFileItem(const std::shared_ptr<ODSFileItem>& item, std::function<void()> completion)
{
    DocumentPreviews::writePreviewForFileItem(
        item,
        [item, completion](Status stored) {
            if (!stored)
                TELog(TELogLevelWarning,
                      "No preview of " + (item ? item->fileURL() : std::string("a file")) + ": " + stored.error().message);
            completion();
        },
        m_exports.PNGWebViewFactory());
}

std::shared_ptr<TextDocument> AppController::openDocumentForFile(const std::string& path) const
{
    std::shared_ptr<TextDocument> current = currentDocument();
    if (!current || !current->currentTextViewController())
        return nullptr;
    // The browser lists a file renamed while open under its new name.
    current->followRenamedFile();
    if (!FileManager::isSamePath(current->fileURL(), path))
        return nullptr;
    return current;
}

void AppController::reportExportFailure(const Error& error)
{
    TELog(TELogLevelError, error.message);
    presentExportAlert(u"The Document Could Not Be Exported", error.message);
}

void AppController::runOnSavedFile(const std::string& path, FileTask task)
{
    std::weak_ptr<int> alive = m_lifetime;
    auto run = [this, alive, task = std::move(task)](const std::string& file) {
        if (alive.expired())
            return;
        if (Status done = task(file); !done)
            reportExportFailure(done.error());
    };
    std::shared_ptr<TextDocument> document = openDocumentForFile(path);
    if (!document) {
        run(path);
        return;
    }
    // The words typed last may still be on their way into the editor's
    // page; they count as unsaved only once it has taken them.
    std::weak_ptr<TextDocument> weakDocument = document;
    document->takePendingEdits([this, alive, weakDocument, run](Status taken) {
        std::shared_ptr<TextDocument> document = weakDocument.lock();
        if (alive.expired() || !document || document->isClosed())
            return;
        if (!taken) {
            presentDocumentAlert(u"The Document Could Not Be Saved", taken.error().message);
            return;
        }
        if (!document->hasUnsavedChanges()) {
            run(document->fileURL());
            return;
        }
        ProgressHUD::show();
        document->autosaveWithCompletionHandler([this, alive, weakDocument, run](bool saved) {
            ProgressHUD::dismiss();
            if (alive.expired())
                return;
            std::shared_ptr<TextDocument> document = weakDocument.lock();
            // A document closed meanwhile answers a save with success
            // without writing; its file is not known to be current.
            // The save follows a file renamed meanwhile; so does the task.
            if (saved && document && !document->isClosed()) {
                run(document->fileURL());
                return;
            }
            Error failure = document && document->lastError()
                ? *document->lastError()
                : Error{kExportErrorDomain, NotSaved, "The document was closed before it could be saved."};
            TELog(TELogLevelError, "Not exported, as the document could not be saved: " + failure.message);
            // The autosave's own report of the failure may be up already;
            // then that one alert stays, as it says the same.
            presentDocumentAlert(u"The Document Could Not Be Saved",
                                 failure.message + " Nothing was exported, so that no copy lacks your latest changes.");
        });
    });
}

Status AppController::printFileItem(const std::string& path)
{
    if (!openDocumentForFile(path))
        return m_exports.printFileItem(path);
    runOnSavedFile(path, [this](const std::string& file) { return m_exports.printFileItem(file); });
    return Status::success();
}

std::shared_ptr<Menu> AppController::exportMenuActions()
{
    std::weak_ptr<int> alive = m_lifetime;
    // The file as it is named when the row is chosen: the document may
    // have been renamed since the menu was made.
    auto openFileNow = [this, alive]() -> std::string {
        if (alive.expired() || !document())
            return {};
        document()->followRenamedFile();
        return document()->fileURL();
    };
    auto withOpenFile = [this, openFileNow](FileTask task) {
        return [this, openFileNow, task](Action&) {
            if (std::string path = openFileNow(); !path.empty())
                runOnSavedFile(path, task);
        };
    };
    std::shared_ptr<Menu> menu = Menu::make(u"", {
        Action::make(u"Print…", "printer", withOpenFile([this](const std::string& path) {
            return m_exports.printFileItem(path);
        })),
        Action::make(u"Preview as PDF", "doc.richtext", withOpenFile([this](const std::string& path) {
            m_previews.previewFinalFileItem(path);
            return Status::success();
        })),
        document() ? PDFMenu(document()->fileURL(), openFileNow) : Menu::make(u"", {}),
    });
    if (document()) {
        std::vector<std::shared_ptr<MenuElement>> rows = menu->children();
        for (auto& other : otherExportMenus(openFileNow))
            rows.push_back(std::move(other));
        menu->setChildren(std::move(rows));
    }
    return menu;
}

// Every row exports the file; when it is open with unsaved changes, it is
// saved first, so that what was just typed is in the PDF.
std::shared_ptr<Menu> AppController::PDFMenuForFile(const std::string& path)
{
    return PDFMenu(path, [path] { return path; });
}

std::shared_ptr<Menu> AppController::PDFMenu(const std::string& path, std::function<std::string()> pathWhenChosen)
{
    std::weak_ptr<int> alive = m_lifetime;
    auto convertAndSend = [this, alive, pathWhenChosen](std::u16string title, PDFAction action) {
        return Action::make(std::move(title), {}, [this, alive, pathWhenChosen, action](Action&) {
            if (alive.expired())
                return;
            std::string path = pathWhenChosen();
            if (path.empty())
                return;
            runOnSavedFile(path, [this, action](const std::string& file) {
                // The overlay stays until the finished file is handed on.
                ProgressHUD::show();
                Status started = m_exports.PDFURLForFileItem(file, action);
                if (!started)
                    ProgressHUD::dismiss();
                return started;
            });
        });
    };
    auto convert = Action::make(u"Convert to PDF", {}, [this, alive, pathWhenChosen](Action&) {
        if (alive.expired())
            return;
        std::string path = pathWhenChosen();
        if (path.empty())
            return;
        runOnSavedFile(path, [this](const std::string& file) {
            ProgressHUD::show();
            m_exports.convertToPDFAndOpenFileItem(file, LinuxExportServices::scopeOfFile(file));
            return Status::success();
        });
    });
    // A PDF is copied as it is; there is nothing to convert and send.
    if (TypeIdentifiers::typeIdentifierForPath(path) == TypeIdentifiers::kPDF)
        return Menu::make(u"", {convert});
    return Menu::make(u"", {
        convert,
        convertAndSend(u"Mail as PDF…", PDFAction::Mail),
        convertAndSend(u"Open PDF in Another Application", PDFAction::SendToApp),
        convertAndSend(u"Send PDF to Dropbox", PDFAction::Dropbox),
        convertAndSend(u"Send PDF to Google Drive", PDFAction::GoogleDrive),
        convertAndSend(u"Send PDF to iCloud Drive", PDFAction::iCloudDrive),
        convertAndSend(u"Send PDF to WebDAV", PDFAction::WebDAV),
    });
}

Status AppController::presentPDFReader(const std::string& path)
{
    Result<std::shared_ptr<ReaderDocument>> pdf = ReaderDocument::withDocumentFilePath(path);
    if (!pdf)
        return pdf.error();
    auto reader = std::make_shared<ReaderViewController>(*pdf);
    reader->setDelegate(this);
    reader->loadViewIfNeeded();
    std::shared_ptr<ViewController> presenter = topViewController();
    if (!presenter)
        return Error{kExportErrorDomain, NothingToShow, "There is no window to show " + path + " in"};
    if (Status presented = presenter->presentViewController(NavigationController::withRootViewController(reader), true);
        !presented)
        return presented;
    m_readerViewController = std::move(reader);
    return Status::success();
}

std::optional<Status> AppController::presentFileItemWithoutDocument(const std::shared_ptr<ODSFileItem>& item)
{
    if (!item || TypeIdentifiers::typeIdentifierForPath(item->fileURL()) != TypeIdentifiers::kPDF)
        return std::nullopt;
    m_lastOpenedFileItem = item;
    return presentPDFReader(item->fileURL());
}

void AppController::dismissReaderViewController(ReaderViewController& reader, View* pageView)
{
    if (!m_exports.isDocumentPDFPreview() && pageView) {
        // The picture of the page the reader was on, at the size it was shown.
        auto* imageView = dynamic_cast<ImageView*>(pageView);
        if (imageView && imageView->image()) {
            std::shared_ptr<ODSFileItem> item = m_lastOpenedFileItem;
            if (DKDocumentPicker* picker = currentDocumentPicker(); picker && picker->selectedScopeViewController().lastOpenedFileItem())
                item = picker->selectedScopeViewController().lastOpenedFileItem();
            DocumentPreviews::generatePreviewFromImage(imageView->image(), item);
        }
    }
    m_exports.setIsDocumentPDFPreview(false);
    auto closing = std::static_pointer_cast<ReaderViewController>(reader.weak_from_this().lock());
    ViewController* presented = reader.parentViewController() ? reader.parentViewController() : &reader;
    presented->dismissViewControllerAnimated(true, [this, closing] {
        if (closing == m_readerViewController)
            m_readerViewController.reset();
        if (DKDocumentPicker* picker = currentDocumentPicker())
            picker->selectedScopeViewController().nonRTFDocumentViewControllerDismissed();
    });
}

} // namespace folio
