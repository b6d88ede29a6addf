#include "export/ExportDelivery.h"

#include "platform/foundation/Data.h"
#include "platform/foundation/FileManager.h"

#include <filesystem>

namespace folio {

Status ExportDelivery::deliver(const std::string& from, const std::string& to)
{
    if (from == to)
        return Status::success();
    Result<Data> bytes = Data::dataWithContentsOfFile(from);
    if (!bytes)
        return bytes.error();
    if (Status written = FileManager::writeAtomically(to, bytes->span()); !written)
        return written;
    FileManager::removeItem(from);
    return Status::success();
}

std::vector<std::string> ExportDelivery::pictureFileNames(const std::string& folder)
{
    std::vector<std::string> names;
    if (!FileManager::isDirectory(folder))
        return names;
    Result<std::vector<std::string>> contents = FileManager::contentsOfDirectory(folder);
    if (!contents)
        return names;
    for (const std::string& name : *contents) {
        std::error_code ignored;
        bool plainFile = std::filesystem::is_regular_file(std::filesystem::symlink_status(folder + "/" + name, ignored));
        if ((name.ends_with(".png") || name.ends_with(".jpg")) && plainFile)
            names.push_back(name);
    }
    return names;
}

} // namespace folio
