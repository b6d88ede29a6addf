#include "engine/attachments/PictureFolderSink.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UUID.h"

namespace folio {

namespace {

constexpr int kMaximumNameCandidates = 5000;

} // namespace

PictureFolderSink::PictureFolderSink(std::string folder, std::string sourcePrefix, Originals originals)
    : m_folder(std::move(folder)), m_sourcePrefix(std::move(sourcePrefix)), m_originals(originals)
{
}

PictureFolderSink PictureFolderSink::forDocument(std::string_view documentName)
{
    std::string folder = AppFolders::pictureFolderForDocument(documentName);
    std::string prefix = folder + "/";
    return PictureFolderSink(std::move(folder), std::move(prefix), Originals::Keep);
}

std::optional<std::string> PictureFolderSink::storePicture(const HTMLPicture& picture)
{
    if (Status created = FileManager::createDirectory(m_folder); !created)
        TELog(TELogLevelError, "Unable to create Image folder: " + created.error().message);

    std::string extension(picture.extension);
    std::string uuid = makeUUIDString();
    std::string fileName = formatInCLocale("image-%s.%s", uuid.c_str(), extension.c_str());
    if (FileManager::fileExists(m_folder + "/" + fileName)) {
        bool found = false;
        for (int counter = 1; counter <= kMaximumNameCandidates && !found; ++counter) {
            fileName = formatInCLocale("image-%s-%d-%s.%s", uuid.c_str(), counter, makeUUIDString().c_str(),
                                       extension.c_str());
            found = !FileManager::fileExists(m_folder + "/" + fileName);
        }
        // Never write over another picture of the folder.
        if (!found)
            return std::nullopt;
    }
    std::string path = m_folder + "/" + fileName;

    // The original bytes are written first: a shown JPEG without them must
    // not be handed out, as the next save would keep only the smaller copy.
    std::string originalPath = path + ".data";
    bool keepsOriginal = m_originals == Originals::Keep && !picture.originalBytes.empty();
    if (keepsOriginal) {
        if (Status written = FileManager::writeAtomically(originalPath, picture.originalBytes); !written) {
            TELog(TELogLevelError, "Unable to write picture: " + written.error().message);
            return std::nullopt;
        }
    }
    if (Status written = FileManager::writeAtomically(path, picture.bytes); !written) {
        TELog(TELogLevelError, "Unable to write picture: " + written.error().message);
        if (keepsOriginal)
            FileManager::removeItem(originalPath);
        return std::nullopt;
    }
    ++m_stored;
    return m_sourcePrefix + fileName;
}

} // namespace folio
