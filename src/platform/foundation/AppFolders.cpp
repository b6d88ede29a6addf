#include "platform/foundation/AppFolders.h"

#include "platform/foundation/Digest.h"
#include "platform/foundation/FileManager.h"

#include <glib.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace folio {

namespace {

constexpr const char* kAppFolderName = "folio";

// Read on every call, so that a test or a command that sets FOLIO_HOME late
// still gets its own folders.
std::string homeRoot()
{
    const char* home = std::getenv("FOLIO_HOME");
    return home && *home ? std::string(home) : std::string();
}

std::string withoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string ensured(std::string path)
{
    path = withoutTrailingSlash(std::move(path));
    // A failure here shows up, with its reason, at the first write into the folder.
    FileManager::createDirectory(path);
    return path;
}

std::string underHome(const char* name)
{
    return ensured(homeRoot() + "/" + name);
}

std::string join(const char* base, const char* sub)
{
    return (std::filesystem::path(base) / kAppFolderName / sub).string();
}

// Letters (with their combining marks) and digits of any script are kept.
bool isLetterOrDigit(UChar32 c)
{
    return (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
}

bool isWhiteSpaceOrLineEnd(UChar32 c)
{
    return u_isUWhiteSpace(c) || c == 0x85;
}

} // namespace

std::string AppFolders::documentsFolder()
{
    if (std::string home = homeRoot(); !home.empty())
        return underHome("Documents");
    const char* documents = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
    if (documents && *documents)
        return ensured(documents);
    return ensured((std::filesystem::path(g_get_home_dir()) / "Documents").string());
}

std::string AppFolders::userPicturesFolder()
{
    if (std::string home = homeRoot(); !home.empty())
        return (std::filesystem::path(home) / "Pictures").string();
    if (const char* pictures = g_get_user_special_dir(G_USER_DIRECTORY_PICTURES); pictures && *pictures)
        return pictures;
    return (std::filesystem::path(g_get_home_dir()) / "Pictures").string();
}

namespace {

std::string documentDataPath()
{
    if (std::string home = homeRoot(); !home.empty())
        return withoutTrailingSlash(home + "/DocumentData");
    return withoutTrailingSlash(join(g_get_user_data_dir(), "DocumentData"));
}

std::string pictureFolderName(std::string_view documentName)
{
    std::string name(documentName);
    std::size_t slash = name.rfind('/');
    std::size_t lastStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > lastStart)
        name.erase(dot);
    return AppFolders::sanitizeFileName(name);
}

} // namespace

std::string AppFolders::documentDataFolder()
{
    return ensured(documentDataPath());
}

std::string AppFolders::customFontsFolder()
{
    if (std::string home = homeRoot(); !home.empty())
        return withoutTrailingSlash(home + "/Fonts");
    return withoutTrailingSlash(join(g_get_user_data_dir(), "Fonts"));
}

std::string AppFolders::cachesFolder()
{
    if (std::string home = homeRoot(); !home.empty())
        return underHome("Caches");
    return ensured((std::filesystem::path(g_get_user_cache_dir()) / kAppFolderName).string());
}

std::string AppFolders::temporaryFolder()
{
    if (std::string home = homeRoot(); !home.empty())
        return underHome("tmp");
    // Inside the user's own cache folder rather than the shared /tmp, where
    // another user could have made the name first.
    return ensured(join(g_get_user_cache_dir(), "tmp"));
}

std::string AppFolders::configFolder()
{
    if (std::string home = homeRoot(); !home.empty())
        return underHome("Config");
    return ensured((std::filesystem::path(g_get_user_config_dir()) / kAppFolderName).string());
}

std::string AppFolders::pictureFolderForDocument(std::string_view documentName, bool useTemporaryFolder)
{
    std::string folder = useTemporaryFolder ? temporaryFolder() : documentDataFolder();
    return ensured(folder + "/" + pictureFolderName(documentName));
}

std::optional<std::string> AppFolders::existingPictureFolderForDocument(std::string_view documentName)
{
    std::string folder = documentDataPath() + "/" + pictureFolderName(documentName);
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return std::nullopt;
    return folder;
}

std::string AppFolders::pictureDocumentName(std::string_view documentPath)
{
    // The same file reached through a link or a relative path is the same
    // document; a file not yet written still has a path of its own.
    if (documentPath.empty())
        return {};
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(documentPath, error);
    if (!error)
        path = std::filesystem::weakly_canonical(path, error);
    if (error)
        path = std::filesystem::path(documentPath).lexically_normal();
    std::string canonical = path.string();
    std::vector<std::uint8_t> digest =
        Digest::sha1({reinterpret_cast<const std::uint8_t*>(canonical.data()), canonical.size()});
    static constexpr char kHexDigits[] = "0123456789abcdef";
    // Eight bytes tell apart more documents than any one person keeps.
    std::string key = sanitizeFileName(path.stem().string()) + "-";
    for (std::size_t i = 0; i < 8 && i < digest.size(); ++i) {
        key += kHexDigits[digest[i] >> 4];
        key += kHexDigits[digest[i] & 0xF];
    }
    return key;
}

std::string AppFolders::sanitizeFileName(std::string_view name)
{
    static constexpr std::string_view kKeptPunctuation = " ?()$&@-";
    // Decode to code points; invalid UTF-8 bytes become U+FFFD and are dropped below.
    std::vector<UChar32> codePoints;
    for (int32_t i = 0; i < static_cast<int32_t>(name.size());) {
        UChar32 c;
        U8_NEXT_OR_FFFD(name.data(), i, static_cast<int32_t>(name.size()), c);
        codePoints.push_back(c);
    }
    std::size_t begin = 0, end = codePoints.size();
    while (begin < end && isWhiteSpaceOrLineEnd(codePoints[begin]))
        ++begin;
    while (end > begin && isWhiteSpaceOrLineEnd(codePoints[end - 1]))
        --end;
    std::string cleaned;
    for (std::size_t i = begin; i < end; ++i) {
        UChar32 c = codePoints[i];
        bool kept = isLetterOrDigit(c) || (c < 128 && kKeptPunctuation.find(static_cast<char>(c)) != std::string_view::npos);
        if (!kept)
            continue;
        char buffer[U8_MAX_LENGTH];
        int32_t length = 0;
        U8_APPEND_UNSAFE(buffer, length, c);
        cleaned.append(buffer, static_cast<std::size_t>(length));
    }
    return cleaned;
}

} // namespace folio
