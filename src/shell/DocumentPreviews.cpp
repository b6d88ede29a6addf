#include "shell/DocumentPreviews.h"

#include "documents/EditorController.h"
#include "documents/TextDocument.h"
#include "platform/docframework/DKDocumentPreview.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/OFFileEdit.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/web/WebView.h"

#include <cairo.h>

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

} // namespace

std::string DocumentPreviews::placeholderPreviewImageNameForFileURL(const std::string&, const Rect&)
{
    return kPlaceholderImageName;
}

void DocumentPreviews::writePreviewsForDocument(TextDocument& document, Completion completion)
{
    auto finish = [completion](Status status) {
        if (completion)
            RunLoop::main().post([completion, status] { completion(status); });
    };
    const std::shared_ptr<EditorController>& editor = document.currentTextViewController();
    WebView* page = editor ? editor->webViewEditor() : nullptr;
    if (!page) {
        finish(Status(Error{"DocumentPreviews", 1, "The document has no page to take a picture of"}));
        return;
    }
    editor->setForPreviewGeneration(true);
    Result<OFFileEdit> fileEdit = OFFileEdit::initWithFileURL(document.fileURL());
    if (!fileEdit) {
        finish(Status(fileEdit.error()));
        return;
    }
    OFFileEdit edit = *fileEdit;
    page->takeSnapshot(WebView::SnapshotRegion::Visible, [finish, edit](Result<Image::Pointer> image) {
        if (!image) {
            finish(Status(image.error()));
            return;
        }
        finish(storePreview(*image, edit));
    });
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
    cairo_t* cairo = (*context)->cairoContext();
    cairo_set_source_rgba(cairo, 0.5, 0.5, 0.5, 1);
    cairo_set_line_width(cairo, 1);
    cairo_rectangle(cairo, 0, 0, size.width, size.height);
    cairo_stroke(cairo);
    return (*context)->makeImage();
}

} // namespace folio
