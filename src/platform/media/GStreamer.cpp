#include "platform/media/GStreamer.h"

#include <gst/gst.h>

namespace folio {

bool ensureGStreamer()
{
    static const bool started = gst_init_check(nullptr, nullptr, nullptr);
    return started;
}

} // namespace folio
