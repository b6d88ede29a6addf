#pragma once

#include <memory>

namespace folio {

class Font;

// The interface font of the panels at a size, bold or not; null only when
// no font at all is installed.
std::shared_ptr<const Font> systemFontOfSize(double size, bool bold = false);

} // namespace folio
