#pragma once

#include "platform/graphics/Font.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// Bold and italic faces of a family, as the editors need them when they read
// and change the font of formatted or pasted text.
class FontTraits {
public:
    // The PostScript name of the font the platform gives for `name`; none when
    // there is no such font.
    static std::optional<std::string> postscriptNameFromFullName(std::string_view name,
                                                                 std::shared_ptr<const FontCatalog> catalog = nullptr);
    // The face of `name` with the traits asked added (never cleared: a bold
    // face asked for italic only stays bold); none when the face does not exist.
    static std::optional<Font> fontWithName(std::string_view name, double size, bool boldTrait, bool italicTrait,
                                            std::shared_ptr<const FontCatalog> catalog = nullptr);
    // The same for the font's family, starting from the family's regular face.
    static std::optional<Font> fontWithBoldTrait(const Font& font, bool boldTrait, bool italicTrait, double size,
                                                 std::shared_ptr<const FontCatalog> catalog = nullptr);
    // At the font's own point size.
    static std::optional<Font> fontWithBoldTrait(const Font& font, bool boldTrait, bool italicTrait);

    static bool isBold(const Font& font);
    static bool isItalic(const Font& font);
};

} // namespace folio
