#include "engine/attachments/InlinePictureSink.h"

#include "foundation/markup/TEBase64Coding.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageCodec.h"

#include <vector>

namespace folio {

namespace {

constexpr double kDrawnJpegQuality = 0.9;

bool exceedsDecodedSize(std::span<const std::uint8_t> bytes)
{
    std::optional<Size> size = ImageCodec::declaredPixelSize(bytes);
    return size && size->width * size->height > double(DecodedBitmap::kMaxPixels);
}

// The picture at the size it is decoded to, in its own format; none when it
// cannot be decoded (the picture then goes as it came, for the page to try).
std::optional<std::vector<std::uint8_t>> reducedPicture(const HTMLPicture& picture)
{
    Result<Image::Pointer> decoded = Image::imageWithData(std::vector<std::uint8_t>(picture.bytes.begin(), picture.bytes.end()));
    if (!decoded) {
        TELog(TELogLevelWarning, "A large picture could not be made smaller: " + decoded.error().message);
        return std::nullopt;
    }
    Result<std::vector<std::uint8_t>> encoded =
        picture.extension == "jpg" ? (*decoded)->jpegData(kDrawnJpegQuality) : (*decoded)->pngData();
    if (!encoded)
        return std::nullopt;
    return std::move(*encoded);
}

} // namespace

std::optional<std::string> InlinePictureSink::storePicture(const HTMLPicture& picture)
{
    std::string_view type = mimeTypeForExtension(picture.extension);
    if (type.empty())
        return std::nullopt;
    std::optional<std::vector<std::uint8_t>> reduced;
    if (m_use == Use::Draw && exceedsDecodedSize(picture.bytes))
        reduced = reducedPicture(picture);
    std::span<const std::uint8_t> bytes = reduced ? std::span<const std::uint8_t>(*reduced) : picture.bytes;
    return "data:" + std::string(type) + ";base64," + base64Encode(bytes, false);
}

} // namespace folio
