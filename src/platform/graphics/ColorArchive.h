#pragma once

#include "platform/graphics/Color.h"

#include <cstdint>
#include <optional>
#include <span>

namespace folio {

// Colours that settings store as keyed archives (the text and background
// colours of the Markdown editor): a property list whose "$top" entry
// "root" points into "$objects" at a colour object. Both forms the platform
// writes are read: the component keys "UIRed", "UIGreen", "UIBlue" or
// "UIWhite" with "UIAlpha", and the component strings "NSRGB" and "NSWhite".
class ColorArchive {
public:
    // None when the bytes are not a keyed archive of a colour.
    static std::optional<Color> colorFromData(std::span<const std::uint8_t> bytes);
};

} // namespace folio
