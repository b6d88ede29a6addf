#pragma once

namespace folio {

// Starts GStreamer once for the process; false when it cannot start.
bool ensureGStreamer();

} // namespace folio
