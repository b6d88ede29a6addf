#include "shell/DocumentPreviews.h"

#include "delivery/ExportPreferencesReader.h"
#include "platform/foundation/UserDefaults.h"
#include "documents/EditorController.h"
#include "documents/TextDocument.h"
#include "export/ExportSource.h"
#include "shell/DocumentPreviewPage.h"
#include "platform/docframework/DKDocumentPreview.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/OFFileEdit.h"
#include "platform/docframework/ReaderDocument.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/URL.h"
#include "platform/web/WebServices.h"
#include "platform/web/WebView.h"
#include "platform/web/WebViewDelegate.h"


#include <filesystem>

namespace folio {

namespace {

Status storePreview(const Image::Pointer& image, const OFFileEdit& fileEdit)
{
    Status stored = Status::success();
    DKDocumentPreview::cachePreviewImages([&](const DKDocumentPreview::PreviewStore& store) {
        stored = store(image, fileEdit);
    });
    return stored;
}

void populate(const std::shared_ptr<ODSFileItem>& item)
{
    DKDocumentPreview::populateCacheForFileItems({item}, [] {});
}

// One preview being made: the page loads off-screen, then its visible part
// is pictured. It keeps itself alive until it has finished.
class PreviewPicture final : public WebViewDelegate, public std::enable_shared_from_this<PreviewPicture> {
public:
    using Finish = std::function<void(Result<Image::Pointer>)>;

    PreviewPicture(std::unique_ptr<WebView> webView, Finish finish)
        : m_webView(std::move(webView)), m_finish(std::move(finish))
    {
    }
    ~PreviewPicture() override
    {
        if (m_webView)
            m_webView->setDelegate(nullptr);
    }

    void load(const std::string& page, const std::string& baseURL)
    {
        m_self = shared_from_this();
        m_webView->setDelegate(this);
        m_webView->loadHTMLString(page, baseURL);
        // Closing the document waits for its preview: a page that never
        // loads must not keep it open.
        std::weak_ptr<PreviewPicture> weak = weak_from_this();
        RunLoop::main().postAfterDelay(DocumentPreviews::kPreviewTimeoutSeconds, [weak] {
            if (auto picture = weak.lock())
                picture->finish(Error{"DocumentPreviews", 5, "The preview page did not load in time"});
        });
    }

    void webViewDidFinishLoad(WebView& webView) override
    {
        if (&webView != m_webView.get() || !m_finish)
            return;
        std::weak_ptr<PreviewPicture> weak = weak_from_this();
        webView.takeSnapshot(WebView::SnapshotRegion::Visible, [weak](Result<Image::Pointer> image) {
            if (auto picture = weak.lock())
                picture->finish(std::move(image));
        });
    }
    void webViewDidFailLoad(WebView& webView, const std::string& message) override
    {
        if (&webView == m_webView.get())
            finish(Error{"DocumentPreviews", 3, "The preview page did not load: " + message});
    }
    void webViewWebProcessDidTerminate(WebView& webView, const std::string& reason) override
    {
        if (&webView == m_webView.get())
            finish(Error{"DocumentPreviews", 3, "The preview page stopped: " + reason});
    }

private:
    void finish(Result<Image::Pointer> image)
    {
        if (!m_finish)
            return;
        Finish finish = std::exchange(m_finish, nullptr);
        finish(std::move(image));
        // The view goes on a later turn: this may run inside its own callback.
        RunLoop::main().post([self = std::move(m_self)] {});
    }

    std::unique_ptr<WebView> m_webView;
    Finish m_finish;
    std::shared_ptr<PreviewPicture> m_self;
};

} // namespace

std::string DocumentPreviews::placeholderPreviewImageNameForFileURL(const std::string&, const Rect&)
{
    return kPlaceholderImageName;
}

namespace {

// Lays the source out off-screen as its first page and stores the picture for
// the file's edit as it is now; `stored` runs with the outcome.
void pictureFirstPage(const ExportSource& source, const DocumentPreviews::WebViewFactory& factory,
                      std::function<void(Status)> stored)
{
    Result<std::string> page = DocumentPreviewPage::html(source);
    if (!page) {
        stored(Status(page.error()));
        return;
    }
    Result<OFFileEdit> fileEdit = OFFileEdit::initWithFileURL(source.path());
    if (!fileEdit) {
        stored(Status(fileEdit.error()));
        return;
    }
    Result<std::unique_ptr<WebView>> view = factory
        ? factory(DocumentPreviews::kPreviewFrame)
        : WebServices::shared().makeDocumentWebView(DocumentPreviews::kPreviewFrame,
                                                    {AppFolders::pictureFolderForDocument(source.pictureDocumentName())});
    if (!view || !*view) {
        stored(Status(view ? Error{"DocumentPreviews", 4, "No web view"} : view.error()));
        return;
    }
    OFFileEdit edit = *fileEdit;
    auto picture = std::make_shared<PreviewPicture>(std::move(*view), [stored, edit](Result<Image::Pointer> image) {
        stored(image ? storePreview(*image, edit) : Status(image.error()));
    });
    picture->load(*page, URL::fileURLWithPath(AppFolders::documentDataFolder(), true).absoluteString());
}

// A PDF the browser lists is pictured by its first page, as the reader shows it.
Status picturePDFFirstPage(const std::string& path)
{
    Result<OFFileEdit> fileEdit = OFFileEdit::initWithFileURL(path);
    if (!fileEdit)
        return fileEdit.error();
    Result<std::shared_ptr<ReaderDocument>> pdf = ReaderDocument::withDocumentFilePath(path);
    if (!pdf)
        return pdf.error();
    Result<Image::Pointer> page = (*pdf)->imageOfPage(0, 1.0);
    if (!page)
        return page.error();
    return storePreview(*page, *fileEdit);
}

} // namespace

void DocumentPreviews::writePreviewsForDocument(TextDocument& document, Completion completion, WebViewFactory factory)
{
    auto finish = [completion](Status status) {
        if (completion)
            RunLoop::main().post([completion, status] { completion(status); });
    };
    const std::shared_ptr<EditorController>& editor = document.currentTextViewController();
    if (!editor) {
        finish(Status(Error{"DocumentPreviews", 1, "The document has no editor to take a picture of"}));
        return;
    }
    editor->setForPreviewGeneration(true);
    Result<EditorContent> content = editor->content();
    if (!content) {
        finish(Status(Error{"DocumentPreviews", 2, "The editor gave nothing to picture: " + content.error().message}));
        return;
    }
    pictureFirstPage(ExportSource(document.fileURL(), std::move(*content), ExportPreferencesReader::read(UserDefaults::standardUserDefaults())), factory, finish);
}

void DocumentPreviews::writePreviewForFileItem(const std::shared_ptr<ODSFileItem>& item, Completion completion,
                                               WebViewFactory factory)
{
    auto finish = [completion, item](Status status) {
        if (status)
            updatePreview(item);
        if (completion)
            RunLoop::main().post([completion, status] { completion(status); });
    };
    if (!item) {
        finish(Status(Error{"DocumentPreviews", 1, "No file to take a picture of"}));
        return;
    }
    if (TypeIdentifiers::typeIdentifierForPath(item->fileURL()) == TypeIdentifiers::kPDF) {
        finish(picturePDFFirstPage(item->fileURL()));
        return;
    }
    pictureFirstPage(ExportSource(item->fileURL(), std::nullopt, ExportPreferencesReader::read(UserDefaults::standardUserDefaults())), factory, finish);
}

void DocumentPreviews::generatePreviewFromImage(const Image::Pointer& image, const std::shared_ptr<ODSFileItem>& item)
{
    if (!image || !item)
        return;
    Result<OFFileEdit> fileEdit = OFFileEdit::initWithFileURL(item->fileURL());
    if (!fileEdit) {
        TELog(TELogLevelError, "Error creating file edit from " + item->fileURL() + ": " + fileEdit.error().message);
        return;
    }
    OFFileEdit edit = *fileEdit;
    RunLoop::main().post([image, item, edit] {
        storePreview(image, edit);
        RunLoop::main().postAfterDelay(kAnnouncementDelaySeconds, [item] { updatePreview(item); });
        populate(item);
    });
}

void DocumentPreviews::generatePDFPreviewFromImage(const Image::Pointer& image,
                                                   const std::shared_ptr<ODSFileItem>& item)
{
    if (!image || !item)
        return;
    if (std::optional<OFFileEdit> edit = item->fileEdit())
        storePreview(image, *edit);
    updatePreview(item);
    populate(item);
}

void DocumentPreviews::updatePreview(const std::shared_ptr<ODSFileItem>& item)
{
    NotificationCenter::defaultCenter().postNotification(kPreviewsUpdatedNotification, item.get());
}

Result<Image::Pointer> DocumentPreviews::imageWithImage(const Image& image, const Size& size)
{
    Result<std::unique_ptr<GraphicsContext>> context = GraphicsContext::imageContext(size);
    if (!context)
        return context.error();
    Rect bounds{{0, 0}, size};
    (*context)->drawImage(image, bounds);
    (*context)->setStrokeColor(Color::colorWithRed(0.5, 0.5, 0.5, 1));
    (*context)->setLineWidth(1);
    (*context)->moveToPoint({0, 0});
    (*context)->addLineToPoint({size.width, 0});
    (*context)->addLineToPoint({size.width, size.height});
    (*context)->addLineToPoint({0, size.height});
    (*context)->closePath();
    (*context)->strokePath();
    return (*context)->makeImage();
}

} // namespace folio
