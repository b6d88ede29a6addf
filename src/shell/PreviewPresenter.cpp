#include "shell/PreviewPresenter.h"

#include "delivery/ExportPreferencesReader.h"
#include "shell/ExportActions.h"

#include "shell/CopyOut.h"
#include "shell/DocumentPreviews.h"
#include "documents/EditorController.h"
#include "documents/MarkdownEditorController.h"
#include "export/ExportSource.h"
#include "export/pdf/PDFPageTemplates.h"
#include "foundation/system/LinkDestination.h"
#include "documents/TextDocument.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/services/URLOpener.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/UIThemes.h"
#include "platform/ui/Window.h"
#include "platform/web/WebServices.h"

#include <filesystem>
#include <typeinfo>

namespace folio {

namespace {

Error previewError(PreviewPresenter::ErrorCode code, std::string message)
{
    return Error{PreviewPresenter::kErrorDomain, code, std::move(message)};
}

// A menu command that was never given any work.
void previewMarkdownPreparationTask() {}

} // namespace

PreviewPresenter::PreviewPresenter(ExportActions& exports, Host host) : m_exports(exports), m_host(std::move(host)) {}
PreviewPresenter::~PreviewPresenter() = default;

UserDefaults& PreviewPresenter::defaults() const
{
    return m_host.defaults ? m_host.defaults() : UserDefaults::standardUserDefaults();
}

void PreviewPresenter::postPreviewTask(Status (PreviewPresenter::*task)(const std::string&), const std::string& path)
{
    std::weak_ptr<int> alive = m_lifetime;
    RunLoop::main().post([this, alive, task, path] {
        if (alive.expired())
            return;
        (this->*task)(path);
    });
}

void PreviewPresenter::previewHTMLFileItem(const std::string& path)
{
    postPreviewTask(&PreviewPresenter::HTMLFilePreviewPreparationTask, path);
}

void PreviewPresenter::previewFinalFileItem(const std::string& path)
{
    postPreviewTask(&PreviewPresenter::PDFFilePreviewPreparationTask, path);
}

void PreviewPresenter::previewHeaderFooter(std::function<void()> completion)
{
    std::shared_ptr<TextDocument> document = m_host.currentDocument();
    if (!document) {
        completion();
        return;
    }
    // What the editor holds, unsaved changes and the header and footer
    // just set included, as the PDF prints it.
    const std::string path = document->fileURL();
    ExportSource source(path, m_host.openContentForFile(path), ExportPreferencesReader::read(defaults()));
    Status started = m_exports.startPDFExport(source, ExportSource::OpenEditor::Use,
                                    ExportNaming::temporaryPath(AppFolders::temporaryFolder(), path),
                                    ExportNaming::actionForPreview(path), completion);
    if (!started) {
        TELog(TELogLevelWarning, "No header and footer preview of " + path + ": " + started.error().message);
        completion();
    }
}

Status PreviewPresenter::HTMLFilePreviewPreparationTask(const std::string& path)
{
    ExportSource source(path, std::nullopt, ExportPreferencesReader::read(defaults()));
    Result<std::string> html = source.HTMLString(ExportSource::OpenEditor::Ignore);
    if (!html) {
        // Nothing will be shown that could take the browser's overlay away.
        ProgressHUD::dismiss();
        return html.error();
    }
    MarkdownPageStyle style = MarkdownPageStyle::fromPreferences(ExportPreferencesReader::read(defaults()), Device::current().isPad());
    return presentPreview(PDFPageTemplates::markdownPreviewPage(style, *html), toUtf16(source.fileName()),
                          std::make_shared<ODSFileItem>(path, nullptr));
}

Status PreviewPresenter::PDFFilePreviewPreparationTask(const std::string& path)
{
    Status started = m_exports.createPDFWithFileItem(path, false);
    // A conversion that never starts has no outcome to take the overlay away.
    if (!started)
        ProgressHUD::dismiss();
    return started;
}

Status PreviewPresenter::previewMarkdownInWebView(const std::optional<std::string>& html, const std::u16string& title)
{
    return presentPreview(html, title, nullptr);
}

DKWebViewController::WebViewFactory PreviewPresenter::documentPageFactory(const std::string& documentPath) const
{
    if (m_previewWebViewFactory)
        return m_previewWebViewFactory;
    std::vector<std::string> folders;
    if (!documentPath.empty())
        folders.push_back(AppFolders::pictureFolderForDocument(AppFolders::pictureDocumentName(documentPath)));
    return [folders](const Rect& frame) { return WebServices::shared().makeDocumentWebView(frame, folders); };
}

Status PreviewPresenter::previewOpenMarkdownDocument()
{
    auto document = m_host.currentDocument();
    auto editor = document ? std::dynamic_pointer_cast<MarkdownEditorController>(document->currentTextViewController())
                           : nullptr;
    if (!editor)
        return previewError(NoOpenPage, "No Markdown document is open to preview");
    MarkdownPageStyle style = MarkdownPageStyle::fromPreferences(ExportPreferencesReader::read(defaults()), Device::current().isPad());
    return presentPreview(PDFPageTemplates::markdownPreviewPage(style, editor->html()),
                          toUtf16(document->localizedName()), nullptr);
}

Status PreviewPresenter::presentPreview(const std::optional<std::string>& html, const std::u16string& title,
                                     std::shared_ptr<ODSFileItem> item)
{
    if (!html)
        return previewError(NothingToShow, "There is no HTML to preview");

    auto page = std::make_shared<DKWebViewController>(
        documentPageFactory(item ? item->fileURL() : std::string()));
    page->setTitle(title);
    page->setDelegate(this);
    // Relative links and pictures of the page resolve among the user's documents.
    std::string baseURL =
        URL::fileURLWithPath(ODSLocalDirectoryScope().userDocumentsDirectoryURL(), true).absoluteString();
    Status loaded = page->loadHTMLString(*html, baseURL);
    page->setShowNavigationButtons(false);
    page->setShowPrintMenu(false);
    page->loadViewIfNeeded();

    auto navigation = NavigationController::withRootViewController(page);
    navigation->setOverrideUserInterfaceStyle(UIThemes::isDarkTheme() ? UserInterfaceStyle::Dark
                                                                      : UserInterfaceStyle::Light);
    auto document = m_host.currentDocument();
    std::shared_ptr<ViewController> presenter =
        document && document->currentTextViewController() ? document->currentTextViewController() : m_host.topViewController();
    Status presented = !loaded ? loaded
        : presenter           ? presenter->presentViewController(navigation, true)
                              : Status(previewError(NothingToShow, "There is no window to show the preview in"));
    ProgressHUD::dismiss();
    if (!presented)
        return presented;
    m_previewController = std::move(page);
    m_previewedFileItem = std::move(item);
    return Status::success();
}

bool PreviewPresenter::webViewControllerShouldOpenLink(DKWebViewController&, const std::string& url)
{
    LinkDestination destination = LinkDestination::forTarget(url);
    if (destination.kind == LinkDestination::Kind::Refused) {
        TELog(TELogLevelWarning, "A link was not followed: " + url);
        ProgressHUD::showErrorWithStatus(toUtf16(destination.address));
        return true;
    }
    if (m_openURL) {
        m_openURL(destination.address);
    } else if (Status opened = URLOpener::openURL(destination.address); !opened) {
        ProgressHUD::showErrorWithStatus(toUtf16(opened.error().message));
    }
    return true;
}

void PreviewPresenter::webViewControllerDidClose(DKWebViewController& controller)
{
    auto closing = std::static_pointer_cast<DKWebViewController>(controller.weak_from_this().lock());
    // HTML shown for other callers pictures the browser's last opened file.
    std::shared_ptr<ODSFileItem> item = m_host.lastOpenedFileItem ? m_host.lastOpenedFileItem() : nullptr;
    if (closing && closing == m_previewController) {
        if (m_previewedFileItem)
            item = m_previewedFileItem;
        m_previewController.reset();
        m_previewedFileItem.reset();
    }
    controller.dismissViewControllerAnimated(true, [closing, item] {
        if (!closing)
            return;
        // The page is kept until its picture arrives, which may be on a later turn.
        closing->snapshotImage([closing, item](Result<Image::Pointer> image) {
            if (!image) {
                TELog(TELogLevelWarning, "No preview picture of the closed page: " + image.error().message);
                return;
            }
            DocumentPreviews::generatePreviewFromImage(*image, item);
        });
    });
}

void PreviewPresenter::previewMarkdown()
{
    RunLoop::main().post(&previewMarkdownPreparationTask);
}

} // namespace folio
