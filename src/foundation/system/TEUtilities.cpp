#include "foundation/system/TEUtilities.h"

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UUID.h"

#include <algorithm>
#include <cmath>

namespace folio {

std::string TEUtilities::stringWithUUID()
{
    return makeUUIDString();
}

Size TECGSizeThatFitsKeepingAspectRatio(Size size, Size sizeToFit)
{
    double ratio = std::min(sizeToFit.width / size.width, sizeToFit.height / size.height);
    // 0 x 0 gives NaN and 0 x h with nothing to fit gives an infinite factor;
    // neither describes a picture that can be shown.
    if (!std::isfinite(ratio))
        return Size{0, 0};
    return Size{std::round(size.width * ratio), std::round(size.height * ratio)};
}

void TEBlockPerformSyncIfOnMainThreadElseAsync(const std::function<void()>& block)
{
    if (isMainThread())
        block();
    else
        dispatchAsyncMain(block);
}

bool isEqualToURL(const URL& url, const URL& other)
{
    // URL answers an empty string for a component that is missing.
    std::string scheme = url.scheme();
    if (scheme.empty() || scheme != other.scheme())
        return false;
    std::string host = url.host();
    if (host.empty() || host != other.host())
        return false;
    return url.path() == other.path();
}

} // namespace folio
