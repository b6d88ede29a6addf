#include "formats/rtf/DKRTFLegacyAnnotations.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"

namespace folio {

std::string DKRTFLegacyAnnotations::pathForDocument(std::string_view documentName)
{
    std::string_view name = documentName;
    if (std::size_t slash = name.find_last_of('/'); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    if (std::size_t dot = name.find_last_of('.'); dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    if (name.empty() || name == "." || name == "..")
        name = "Untitled";
    return AppFolders::documentsFolder() + "/" + std::string(kFolderName) + "/" + std::string(name) + ".annotations";
}

Status DKRTFLegacyAnnotations::store(std::string_view documentName, const Data& data)
{
    const std::string folder = AppFolders::documentsFolder() + "/" + std::string(kFolderName);
    const std::string path = pathForDocument(documentName);
    if (FileManager::isDirectory(folder)) {
        if (FileManager::fileExists(path)) {
            if (Status removed = FileManager::removeItem(path); !removed)
                TELog(TELogLevelError, "Unable to delete file: " + removed.error().message);
        }
    } else if (Status created = FileManager::createDirectory(folder); !created) {
        TELog(TELogLevelError, "Unable to create folder: " + created.error().message);
        return created;
    }
    return data.writeToFile(path);
}

} // namespace folio
