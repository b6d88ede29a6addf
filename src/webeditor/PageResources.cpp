#include "webeditor/PageResources.h"

#include "platform/foundation/Resources.h"
#include "platform/foundation/URL.h"

#include <filesystem>

namespace folio {

namespace {

std::optional<std::string> fileURL(std::string_view subfolder, std::string_view path)
{
    std::optional<std::string> found = Resources::pathForResource(path, {}, subfolder);
    if (!found)
        return std::nullopt;
    return URL::fileURLWithPath(*found).absoluteString();
}

} // namespace

std::optional<std::string> PageResources::helperLibraryURL()
{
    return pageFileURL("helpers.js");
}

std::optional<std::string> PageResources::pageFileURL(std::string_view fileName)
{
    return fileURL("pages", fileName);
}

std::optional<std::string> PageResources::componentURL(std::string_view path)
{
    return fileURL("web", path);
}

std::optional<std::string> PageResources::componentFolderURL()
{
    std::filesystem::path folder = std::filesystem::path(Resources::resourcesFolder()) / "web";
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return std::nullopt;
    return URL::fileURLWithPath(std::filesystem::absolute(folder).string(), true).absoluteString();
}

} // namespace folio
