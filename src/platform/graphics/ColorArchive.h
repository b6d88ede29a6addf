#pragma once

#include "platform/foundation/KeyedArchiver.h"
#include "platform/graphics/Color.h"

#include <cstdint>
#include <optional>
#include <span>

namespace folio {

class KeyedUnarchiver;

// Colours in keyed archives: the Markdown editor's settings store its text
// and background colours so, and archived text blocks hold their
// background colour so. Both forms the platform writes are read: the
// component keys "UIRed", "UIGreen", "UIBlue" or "UIWhite" with "UIAlpha",
// and the component strings "NSRGB" and "NSWhite". Colours are written with
// the component keys: white for a monochrome colour, red, green and blue
// otherwise.
class ColorArchive final : public KeyedArchivable {
public:
    explicit ColorArchive(Color color) : m_color(std::move(color)) {}

    // None when the bytes are not a keyed archive of a colour.
    static std::optional<Color> colorFromData(std::span<const std::uint8_t> bytes);
    // The colour the unarchiver stands on, or none.
    static std::optional<Color> decodeColor(const KeyedUnarchiver& coder);

    std::string archiveClassName() const override { return "UIColor"; }
    void encodeWithCoder(KeyedArchiver& coder) const override;

private:
    Color m_color;
};

} // namespace folio
