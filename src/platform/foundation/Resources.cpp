#include "platform/foundation/Resources.h"

#include "platform/foundation/FileManager.h"

#include <cstdlib>
#include <filesystem>

namespace folio {

namespace fs = std::filesystem;

namespace {

bool climbsOut(std::string_view part)
{
    if (!part.empty() && part.front() == '/')
        return true;
    for (const auto& component : fs::path(part))
        if (component == "..")
            return true;
    return false;
}

} // namespace

std::string Resources::resourcesFolder()
{
    if (const char* overridden = std::getenv("FOLIO_RESOURCES"); overridden && *overridden)
        return overridden;
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return "resources";
    return (executable.parent_path() / "resources").string();
}

std::optional<std::string> Resources::pathForResource(std::string_view name, std::string_view type, std::string_view subfolder)
{
    if (name.empty() || climbsOut(name) || climbsOut(type) || climbsOut(subfolder))
        return std::nullopt;
    std::string fileName(name);
    if (!type.empty()) {
        fileName += '.';
        fileName += type;
    }
    fs::path path = fs::path(resourcesFolder());
    if (!subfolder.empty())
        path /= subfolder;
    path /= fileName;
    if (!FileManager::fileExists(path.string()))
        return std::nullopt;
    return path.string();
}

} // namespace folio
