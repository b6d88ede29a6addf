#include "engine/attachments/InlinePictureSink.h"

#include "foundation/markup/TEBase64Coding.h"

namespace folio {

std::optional<std::string> InlinePictureSink::storePicture(const HTMLPicture& picture)
{
    std::string_view type = mimeTypeForExtension(picture.extension);
    if (type.empty())
        return std::nullopt;
    return "data:" + std::string(type) + ";base64," + base64Encode(picture.bytes, false);
}

} // namespace folio
