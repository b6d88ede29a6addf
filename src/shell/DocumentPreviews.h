#pragma once

#include "platform/docframework/DKDocumentPreview.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class ODSFileItem;
class TextDocument;
class WebView;

// The pictures the document browser shows for its files: pictures of an
// open document's content or of a file's first page, or of a preview shown
// elsewhere, stored in the preview cache for the file's current edit and
// announced to the browser.
class DocumentPreviews {
public:
    static constexpr const char* kPreviewsUpdatedNotification = DKDocumentPreview::kPreviewsUpdatedNotification;
    static constexpr const char* kPlaceholderImageName = "DocumentPreviewPlaceholderLeafcraft.png";
    // The browser reloads a preview this long after it was stored, when the
    // cache has surely taken it.
    static constexpr double kAnnouncementDelaySeconds = 0.3;

    using Completion = std::function<void(Status status)>;
    using WebViewFactory = std::function<Result<std::unique_ptr<WebView>>(const Rect& frame)>;
    // The page a preview is laid out on, and pictured at.
    static constexpr Rect kPreviewFrame{{0, 0}, {768, 1024}};
    // How long a preview page may take to load and be pictured.
    static constexpr double kPreviewTimeoutSeconds = 15;

    DocumentPreviews() = delete;

    static std::string placeholderPreviewImageNameForFileURL(const std::string& fileURL, const Rect& area);

    // Pictures the content the open document's editor hands over, laid out
    // off-screen as its first page (DocumentPreviewPage), into the cache; the
    // completion runs on a later turn of the main loop. Without a factory
    // the page is the web services' document view.
    static void writePreviewsForDocument(TextDocument& document, Completion completion, WebViewFactory factory = {});
    // The same from the item's file as it is now, for a file no editor holds
    // (one never opened, or changed elsewhere); the browser is told when the
    // picture is in.
    static void writePreviewForFileItem(const std::shared_ptr<ODSFileItem>& item, Completion completion,
                                        WebViewFactory factory = {});

    // On the next turn: stores the picture for the item's current edit,
    // announces it after the delay and reloads the item's cached picture.
    // Nothing happens without a picture or an item.
    static void generatePreviewFromImage(const Image::Pointer& image, const std::shared_ptr<ODSFileItem>& item);
    // The same at once, announced without delay.
    static void generatePDFPreviewFromImage(const Image::Pointer& image, const std::shared_ptr<ODSFileItem>& item);
    // Tells the browser to redraw the item's picture.
    static void updatePreview(const std::shared_ptr<ODSFileItem>& item);

    // The picture drawn at `size`, framed by a grey line.
    static Result<Image::Pointer> imageWithImage(const Image& image, const Size& size);
};

} // namespace folio
