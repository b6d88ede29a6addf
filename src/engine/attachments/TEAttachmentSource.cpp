#include "engine/attachments/TEAttachmentSource.h"

#include "foundation/markup/TEBase64Coding.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <filesystem>
#include <system_error>

namespace folio {

namespace {

bool isWhiteSpaceOrLineEnd(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Percent escapes decoded to raw bytes; a malformed escape fails the whole text.
std::optional<std::vector<std::uint8_t>> percentDecodedBytes(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes.push_back(static_cast<std::uint8_t>(text[i]));
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        int high = hexDigitValue(text[i + 1]), low = hexDigitValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
        i += 2;
    }
    return bytes;
}

std::optional<std::vector<std::uint8_t>> readDataURL(std::string_view url)
{
    if (!hasPrefix(lowercaseString(url.substr(0, 5)), std::string_view("data:")))
        return std::nullopt;
    std::size_t comma = url.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    std::string header = lowercaseString(url.substr(5, comma - 5));
    std::string_view payload = url.substr(comma + 1);
    if (hasSuffix(std::string_view(header), std::string_view(";base64")))
        return base64Decode(payload);
    return percentDecodedBytes(payload);
}

Error refusal(TEAttachmentSource::ErrorCode code, const std::string& message)
{
    return Error{TEAttachmentSource::kErrorDomain, code, message};
}

std::string schemeOf(std::string_view text)
{
    // RFC 3986: ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ) ":"
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return {};
    for (std::size_t i = 0; i < colon; ++i) {
        char c = text[i];
        bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alpha && (i == 0 || !((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')))
            return {};
    }
    return lowercaseString(text.substr(0, colon));
}

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    auto pathPart = path.begin();
    for (auto folderPart = folder.begin(); folderPart != folder.end(); ++folderPart, ++pathPart) {
        // A trailing separator shows up as an empty last part of the folder.
        if (folderPart->empty() && std::next(folderPart) == folder.end())
            break;
        if (pathPart == path.end() || *pathPart != *folderPart)
            return false;
    }
    return pathPart != path.end();
}

} // namespace

std::optional<std::vector<std::uint8_t>> TEAttachmentSource::bytesOfDataURL(std::u16string_view source)
{
    std::string compact;
    for (char c : toUtf8(source)) {
        if (!isWhiteSpaceOrLineEnd(c))
            compact.push_back(c);
    }
    auto bytes = readDataURL(compact);
    if (!bytes || bytes->empty()) {
        std::size_t marker = compact.find("base64,");
        if (marker == std::string::npos)
            return std::nullopt;
        bytes = base64Decode(std::string_view(compact).substr(marker + 7));
    }
    if (!bytes || bytes->empty())
        return std::nullopt;
    return bytes;
}

Result<std::string> TEAttachmentSource::resolvePictureFile(std::u16string_view source,
                                                          const std::optional<std::string>& confiningFolder)
{
    std::string text = toUtf8(source);
    if (text.empty())
        return refusal(Empty, "The picture has no source");
    if (text.find('\0') != std::string::npos)
        return refusal(NotAFile, "The picture source holds a NUL character");

    std::string dataFolder = AppFolders::documentDataFolder();
    std::filesystem::path path;
    if (std::string scheme = schemeOf(text); !scheme.empty()) {
        if (scheme != "file")
            return refusal(NotAFile, "Picture sources with the scheme \"" + scheme + "\" are not read");
        auto url = URL::URLWithString(text);
        std::string filePath = url ? url->fileSystemPath() : std::string();
        if (filePath.empty())
            return refusal(NotAFile, "The picture source is not a readable file URL: " + text);
        path = filePath;
    } else if (text.front() == '/') {
        path = text;
    } else {
        path = std::filesystem::path(dataFolder) / text;
    }

    for (const auto& part : path) {
        if (part == "..")
            return refusal(OutsideFolder, "The picture source climbs out of its folder: " + text);
    }

    // Symbolic links are followed before the check, so that a link inside
    // the folder cannot lead outside it.
    std::error_code error;
    std::filesystem::path folder = std::filesystem::weakly_canonical(confiningFolder.value_or(dataFolder), error);
    if (error)
        return refusal(Unreadable, "The picture folder cannot be read: " + error.message());
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    if (error)
        return refusal(Unreadable, "The picture source cannot be read: " + error.message());
    if (!isInside(resolved, folder))
        return refusal(OutsideFolder, "The picture source lies outside the document's folder: " + text);
    return path.lexically_normal().string();
}

std::optional<URL> TEAttachmentSource::mediaURL(std::u16string_view source, const std::optional<URL>& base)
{
    std::string text = toUtf8(source);
    if (text.empty())
        return std::nullopt;
    std::optional<URL> url = base ? URL::URLWithString(text, *base) : URL::URLWithString(text);
    if (!url)
        return std::nullopt;
    std::string scheme = lowercaseString(url->absoluteURL().scheme());
    if (scheme.empty() || scheme == "http" || scheme == "https" || scheme == "file")
        return url;
    return std::nullopt;
}

} // namespace folio
