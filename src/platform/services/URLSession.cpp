#include "platform/services/URLSession.h"

#include "platform/services/MediaServices.h"

namespace folio {

Result<std::string> URLSession::finalURLOfHeadRequest(const std::string& url)
{
    return MediaServices::shared().finalURLOfHeadRequest(url);
}

Result<std::vector<std::uint8_t>> URLSession::dataWithContentsOfURL(const std::string& url)
{
    return MediaServices::shared().dataWithContentsOfURL(url);
}

} // namespace folio
