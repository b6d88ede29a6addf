#include "platform/docframework/DKDocumentPreview.h"

#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/OFFileEdit.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileManager.h"

namespace folio {

std::mutex DKDocumentPreview::s_mutex;
std::map<std::string, Image::Pointer> DKDocumentPreview::s_images;

std::string DKDocumentPreview::previewsFolder()
{
    return AppFolders::temporaryFolder() + "/" + kFolderName;
}

std::string DKDocumentPreview::previewPathForFileEdit(const OFFileEdit& fileEdit)
{
    return previewsFolder() + "/" + fileEdit.uniqueEditIdentifier() + ".png";
}

void DKDocumentPreview::cachePreviewImages(const std::function<void(const PreviewStore& store)>& body)
{
    PreviewStore store = [](const Image::Pointer& image, const OFFileEdit& fileEdit) -> Status {
        if (!image)
            return Error{"DKDocumentPreview", 1, "No preview picture to store"};
        Result<std::vector<std::uint8_t>> png = image->pngData();
        if (!png)
            return png.error();
        if (Status created = FileManager::createDirectory(previewsFolder()); !created)
            return created;
        if (Status written = FileManager::writeAtomically(previewPathForFileEdit(fileEdit), *png); !written)
            return written;
        std::lock_guard lock(s_mutex);
        s_images[fileEdit.uniqueEditIdentifier()] = image;
        return Status::success();
    };
    body(store);
}

void DKDocumentPreview::populateCacheForFileItems(const std::vector<std::shared_ptr<ODSFileItem>>& items,
                                                  Completion completion)
{
    DispatchQueue::global(DispatchQueue::Priority::Default).async([items, completion = std::move(completion)] {
        for (const auto& item : items) {
            std::optional<OFFileEdit> edit = item ? item->fileEdit() : std::nullopt;
            if (!edit)
                continue;
            Result<Image::Pointer> image = Image::imageWithContentsOfFile(previewPathForFileEdit(*edit));
            if (!image)
                continue;
            std::lock_guard lock(s_mutex);
            s_images[edit->uniqueEditIdentifier()] = *image;
        }
        dispatchAsyncMain([completion] {
            if (completion)
                completion();
        });
    });
}

Image::Pointer DKDocumentPreview::cachedPreviewForFileItem(const ODSFileItem& item)
{
    std::optional<OFFileEdit> edit = item.fileEdit();
    if (!edit)
        return nullptr;
    std::lock_guard lock(s_mutex);
    auto found = s_images.find(edit->uniqueEditIdentifier());
    return found == s_images.end() ? nullptr : found->second;
}

} // namespace folio
