#include "export/html/HTMLPictureInliner.h"

#include "foundation/markup/TEBase64Coding.h"
#include "platform/foundation/Data.h"

#include <filesystem>

namespace folio {

namespace {

constexpr std::string_view kSourceAttribute = "src=\"";

// The picture kinds the writers file, by the extension they give them.
std::string_view mimeTypeOfPicture(std::string_view name)
{
    auto endsWith = [name](std::string_view suffix) { return name.ends_with(suffix); };
    if (endsWith(".png"))
        return "image/png";
    if (endsWith(".jpg") || endsWith(".jpeg"))
        return "image/jpeg";
    if (endsWith(".gif"))
        return "image/gif";
    return {};
}

} // namespace

std::string HTMLPictureInliner::inliningPictures(std::string_view html, const std::string& pictureFolder)
{
    const std::string prefix = pictureFolder + "/";
    std::string result;
    result.reserve(html.size());
    std::size_t at = 0;
    while (true) {
        std::size_t attribute = html.find(kSourceAttribute, at);
        if (attribute == std::string_view::npos)
            break;
        std::size_t start = attribute + kSourceAttribute.size();
        std::size_t end = html.find('"', start);
        if (end == std::string_view::npos)
            break;
        result.append(html, at, start - at);
        std::string_view source = html.substr(start, end - start);
        std::string_view name = source.starts_with(prefix) ? source.substr(prefix.size()) : std::string_view();
        std::string_view type = mimeTypeOfPicture(name);
        std::string path(source);
        std::error_code ignored;
        // Only a file of the folder itself: no subfolder, no way out, no link.
        bool inFolder = !name.empty() && name.find('/') == std::string_view::npos && name.find("..") == std::string_view::npos
            && !type.empty() && std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ignored));
        Result<Data> bytes = inFolder ? Data::dataWithContentsOfFile(path) : Result<Data>(Data());
        if (inFolder && bytes)
            result += "data:" + std::string(type) + ";base64," + base64Encode(bytes->span(), false);
        else
            result.append(source);
        at = end;
    }
    result.append(html, at, std::string_view::npos);
    return result;
}

} // namespace folio
