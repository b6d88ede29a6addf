#pragma once

#include "platform/graphics/Geometry.h"

#include <functional>
#include <string>

namespace folio {

class URL;

// Small stateless helpers the HTML and attributed-text engine calls from any
// thread.
class TEUtilities {
public:
    TEUtilities() = delete;

    // A new random UUID: 36 characters, upper-case hexadecimal digits in
    // groups 8-4-4-4-12 joined by hyphens.
    static std::string stringWithUUID();
};

// Scales `size` by the one factor that makes it fit inside `sizeToFit`, so a
// small picture is enlarged as well as a large one reduced. Sides are rounded
// to whole points, halves away from zero. A source without area answers a
// zero size, since no factor fits it.
Size TECGSizeThatFitsKeepingAspectRatio(Size size, Size sizeToFit);

// On the main thread runs `block` before returning; from any other thread
// queues it on the main run loop, in order with other main-thread work, and
// returns without waiting.
void TEBlockPerformSyncIfOnMainThreadElseAsync(const std::function<void()>& block);

// Whether the two URLs name the same resource by scheme, host and path; query,
// fragment, port and user do not count.
// NOTE: a scheme or host missing from `url` compares unequal to anything, even
// to a URL missing it too, so two host-less file URLs never compare equal.
bool isEqualToURL(const URL& url, const URL& other);

} // namespace folio
