#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Image.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace folio {

class ODSFileItem;
class OFFileEdit;

// The browser's cache of document pictures: one PNG per file edit in the
// folder "DocumentPreviews" of the temporary folder (the temporary-folder
// clean-up keeps the folder itself), plus the pictures loaded for the
// browser in memory.
class DKDocumentPreview {
public:
    static constexpr const char* kFolderName = "DocumentPreviews";
    // Posted with the file item as sender when its picture changed.
    static constexpr const char* kPreviewsUpdatedNotification = "DKDocumentPreviewsUpdatedForFileItemNotification";

    using PreviewStore = std::function<Status(const Image::Pointer& image, const OFFileEdit& fileEdit)>;
    using Completion = std::function<void()>;

    static std::string previewsFolder();
    static std::string previewPathForFileEdit(const OFFileEdit& fileEdit);

    // Hands `body` a store that writes each picture (atomically, as PNG) for
    // its file edit; the pictures stored replace those kept in memory.
    static void cachePreviewImages(const std::function<void(const PreviewStore& store)>& body);

    // Loads the stored pictures of the items' current edits off the main
    // thread; the completion runs on the main thread.
    static void populateCacheForFileItems(const std::vector<std::shared_ptr<ODSFileItem>>& items,
                                          Completion completion);
    // The picture loaded for the item's current edit, or null.
    static Image::Pointer cachedPreviewForFileItem(const ODSFileItem& item);

private:
    static std::mutex s_mutex;
    static std::map<std::string, Image::Pointer> s_images;
};

} // namespace folio
