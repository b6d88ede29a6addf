#include "engine/attachments/HTMLPictureSink.h"

namespace folio {

std::string_view HTMLPictureSink::mimeTypeForExtension(std::string_view extension)
{
    if (extension == "png")
        return "image/png";
    if (extension == "jpg" || extension == "jpeg")
        return "image/jpeg";
    if (extension == "gif")
        return "image/gif";
    return {};
}

} // namespace folio
