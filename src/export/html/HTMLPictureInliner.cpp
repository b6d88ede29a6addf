#include "export/html/HTMLPictureInliner.h"

#include "engine/attachments/InlinePictureSink.h"
#include "engine/attachments/TEAttachmentSource.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Image.h"

#include <filesystem>

namespace folio {

namespace {

constexpr std::string_view kSourceAttribute = "src=\"";

// The picture kinds the writers file, by the extension they give them.
std::string_view extensionOfPicture(std::string_view name)
{
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    std::string_view extension = name.substr(dot + 1);
    return HTMLPictureSink::mimeTypeForExtension(extension).empty() ? std::string_view() : extension;
}

// The extension a data URL's picture is filed under by its media type; empty
// for a type that is filed as PNG.
std::string_view extensionOfMediaType(std::string_view url)
{
    std::string_view header = url.substr(0, url.find(','));
    std::string type = lowercaseString(header.substr(0, header.find(';')));
    if (type == "data:image/png")
        return "png";
    if (type == "data:image/jpeg" || type == "data:image/jpg")
        return "jpg";
    if (type == "data:image/gif")
        return "gif";
    return {};
}

} // namespace

std::string HTMLPictureInliner::inliningPictures(std::string_view html, const std::string& pictureFolder)
{
    InlinePictureSink inlined;
    return relocatingPictures(html, pictureFolder, inlined);
}

std::string HTMLPictureInliner::relocatingPictures(std::string_view html, const std::string& pictureFolder,
                                                   HTMLPictureSink& pictures)
{
    const std::string prefix = pictureFolder + "/";
    return replacingSources(html, kSourceAttribute, [&](std::string_view source) -> std::optional<std::string> {
        std::string_view name = source.starts_with(prefix) ? source.substr(prefix.size()) : std::string_view();
        std::string_view extension = extensionOfPicture(name);
        std::string path(source);
        std::error_code ignored;
        // Only a file of the folder itself: no subfolder, no way out, no link.
        bool inFolder = !name.empty() && name.find('/') == std::string_view::npos && name.find("..") == std::string_view::npos
            && !extension.empty() && std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ignored));
        Result<Data> bytes = inFolder ? Data::dataWithContentsOfFile(path) : Result<Data>(Data());
        if (!inFolder || !bytes)
            return std::nullopt;
        return pictures.storePicture(HTMLPicture{extension, bytes->span(), {}});
    });
}

std::string HTMLPictureInliner::filingDataPictures(std::string html, HTMLPictureSink& pictures)
{
    constexpr std::string_view kDataSource = "src=\"data:";
    if (html.find(kDataSource) == std::string::npos)
        return html;
    return replacingSources(html, kDataSource, [&](std::string_view source) -> std::optional<std::string> {
        std::optional<std::vector<std::uint8_t>> bytes = TEAttachmentSource::bytesOfDataURL(toUtf16(source));
        Result<Image::Pointer> image = bytes ? Image::imageWithData(*bytes) : Result<Image::Pointer>(Error{});
        if (!image)
            return std::nullopt;
        std::string_view extension = extensionOfMediaType(source);
        if (!extension.empty())
            return pictures.storePicture(HTMLPicture{extension, *bytes, {}});
        if (Result<std::vector<std::uint8_t>> png = (*image)->pngData())
            return pictures.storePicture(HTMLPicture{"png", *png, {}});
        return std::nullopt;
    });
}

std::string HTMLPictureInliner::replacingSources(
    std::string_view html, std::string_view marker,
    const std::function<std::optional<std::string>(std::string_view source)>& replacement)
{
    std::string result;
    result.reserve(html.size());
    std::size_t at = 0;
    while (true) {
        std::size_t attribute = html.find(marker, at);
        if (attribute == std::string_view::npos)
            break;
        std::size_t start = attribute + kSourceAttribute.size();
        std::size_t end = html.find('"', start);
        if (end == std::string_view::npos)
            break;
        result.append(html, at, start - at);
        std::string_view source = html.substr(start, end - start);
        std::optional<std::string> replaced = replacement(source);
        result.append(replaced ? std::string_view(*replaced) : source);
        at = end;
    }
    result.append(html, at, std::string_view::npos);
    return result;
}

} // namespace folio
