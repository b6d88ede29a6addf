#include "platform/web/FontSchemeResolver.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/URL.h"

#include <algorithm>
#include <filesystem>

namespace folio {

namespace fs = std::filesystem;

namespace {

Error resolverError(FontSchemeResolver::ErrorCode code, std::string message)
{
    return Error{FontSchemeResolver::kErrorDomain, code, std::move(message)};
}

bool isWithinFolder(const fs::path& candidate, const fs::path& folder)
{
    auto [folderEnd, candidateIt] = std::mismatch(folder.begin(), folder.end(), candidate.begin(), candidate.end());
    return folderEnd == folder.end();
}

} // namespace

FontSchemeResolver::FontSchemeResolver(std::vector<std::string> folders)
    : m_folders(std::move(folders))
{
}

std::vector<std::string> FontSchemeResolver::defaultFolders()
{
    std::string custom = AppFolders::customFontsFolder();
    return {Resources::resourcesFolder() + "/fonts", custom + "/CustomFonts", custom};
}

std::string FontSchemeResolver::contentTypeForFileName(std::string_view name)
{
    std::string extension = asciiLowercaseString(fs::path(name).extension().string());
    if (extension == ".ttf")
        return "font/ttf";
    if (extension == ".otf")
        return "font/otf";
    if (extension == ".ttc")
        return "font/collection";
    if (extension == ".woff")
        return "font/woff";
    if (extension == ".woff2")
        return "font/woff2";
    return {};
}

Result<FontSchemeResolver::FontFile> FontSchemeResolver::resolve(std::string_view url) const
{
    std::string_view rest = url;
    size_t colon = rest.find(':');
    if (colon == std::string_view::npos)
        return resolverError(InvalidName, "Not a font URL: " + std::string(url));
    rest.remove_prefix(colon + 1);
    while (!rest.empty() && rest.front() == '/')
        rest.remove_prefix(1);
    rest = rest.substr(0, rest.find_first_of("?#"));

    std::optional<std::string> decoded = URL::percentDecode(rest);
    if (!decoded || decoded->empty() || decoded->find('\0') != std::string::npos)
        return resolverError(InvalidName, "Invalid font name in " + std::string(url));

    // The name is relative to a font folder: no root, no climbing up, and
    // no "." games either, whatever the file system would make of them.
    fs::path name(*decoded);
    if (name.is_absolute() || name.has_root_name())
        return resolverError(InvalidName, "Font names are relative: " + *decoded);
    for (const fs::path& part : name) {
        if (part == ".." || part == ".")
            return resolverError(InvalidName, "Font names stay inside the font folders: " + *decoded);
    }
    std::string contentType = contentTypeForFileName(*decoded);
    if (contentType.empty())
        return resolverError(NotAFont, "Not a font file: " + *decoded);

    for (const std::string& folder : m_folders) {
        std::error_code error;
        fs::path root = fs::canonical(folder, error);
        if (error)
            continue;
        fs::path candidate = fs::weakly_canonical(root / name, error);
        if (error || !isWithinFolder(candidate, root))
            continue; // a symbolic link out of the folder is refused like ".."
        if (fs::is_regular_file(candidate, error))
            return FontFile{candidate.string(), contentType};
    }
    return resolverError(NotFound, "No such font: " + *decoded);
}

} // namespace folio
