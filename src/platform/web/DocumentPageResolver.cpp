#include "platform/web/DocumentPageResolver.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/URL.h"

#include <algorithm>
#include <filesystem>

namespace folio {

namespace fs = std::filesystem;

namespace {

Error resolverError(DocumentPageResolver::ErrorCode code, std::string message)
{
    return Error{DocumentPageResolver::kErrorDomain, code, std::move(message)};
}

bool isWithin(const fs::path& candidate, const fs::path& folder)
{
    auto [folderEnd, candidateIt] = std::mismatch(folder.begin(), folder.end(), candidate.begin(), candidate.end());
    return folderEnd == folder.end();
}

} // namespace

DocumentPageResolver::DocumentPageResolver(std::vector<std::string> folders)
    : m_folders(std::move(folders))
{
}

std::string DocumentPageResolver::pageBaseURL(std::string_view baseURL)
{
    std::string root = std::string(kScheme) + ":///";
    if (!hasPrefixIgnoringASCIICase(baseURL, "file://"))
        return root;
    std::string_view rest = baseURL.substr(7);
    // "file://localhost/x" and "file:///x" name the same file; anything with
    // another host is not a local folder.
    if (hasPrefixIgnoringASCIICase(rest, "localhost/"))
        rest.remove_prefix(9);
    if (rest.empty() || rest.front() != '/')
        return root;
    return std::string(kScheme) + "://" + std::string(rest);
}

Result<DocumentPageResolver::PageFile> DocumentPageResolver::resolve(std::string_view url) const
{
    std::string prefix = std::string(kScheme) + ":";
    if (!hasPrefixIgnoringASCIICase(url, prefix))
        return resolverError(InvalidURL, "Not a document page URL: " + std::string(url));
    std::string_view rest = url.substr(prefix.size());
    // The path starts after an empty authority ("folio-page:///x").
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        std::size_t slash = rest.find('/');
        if (slash != 0)
            return resolverError(InvalidURL, "Document page URLs name no host: " + std::string(url));
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::optional<std::string> decoded = URL::percentDecode(rest);
    if (!decoded || decoded->empty() || decoded->front() != '/' || decoded->find('\0') != std::string::npos)
        return resolverError(InvalidURL, "Invalid document page URL: " + std::string(url));

    fs::path path(*decoded);
    for (const fs::path& part : path) {
        if (part == "..")
            return resolverError(OutsideFolders, "The page may not climb out of its folders: " + *decoded);
    }
    std::error_code error;
    // Symbolic links are followed before the check, so that a link inside a
    // readable folder cannot lead outside it.
    fs::path candidate = fs::weakly_canonical(path, error);
    if (error)
        return resolverError(NotFound, "No such file: " + *decoded);
    for (const std::string& folder : m_folders) {
        fs::path root = fs::canonical(folder, error);
        if (error || !isWithin(candidate, root))
            continue;
        if (!fs::is_regular_file(candidate, error))
            return resolverError(NotFound, "No such file: " + *decoded);
        return PageFile{candidate.string()};
    }
    return resolverError(OutsideFolders, "The page may not read " + *decoded);
}

} // namespace folio
