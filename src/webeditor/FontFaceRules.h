#pragma once

#include "platform/graphics/Font.h"

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// Whether bold and italic may be applied to a face, and how a face is named
// on the style bar; shared by the web editors. Faces that are a weight or a design of their own
// ("Avenir-Light", "Futura-Medium") cannot be made bolder by a trait; asking
// for one would change the face the user chose.
class FontFaceRules {
public:
    static bool canBeBold(const Font& font);
    static bool canBeItalic(const Font& font);
    // Whether the style bar and the edit menu offer bold (italic) for the
    // page's font. NOTE: a font this machine does not have is drawn in a
    // fallback face that takes both, so both are offered for it.
    static bool offersBold(const std::optional<Font>& font) { return !font || canBeBold(*font); }
    static bool offersItalic(const std::optional<Font>& font) { return !font || canBeItalic(*font); }
    // Takes a face name, not a family.
    static bool canBeItalicAndBold(std::string_view fontName);

    // Whether a list of faces or families the page reports names one of the
    // weight or design faces (every bold marker but "-italic" and "-ultra").
    static bool namesWeightFace(std::string_view families);

    // The font the page reports for the selection ("'Avenir Next', serif" or
    // "\"Georgia\""): quotes removed, the first piece before a comma when
    // `firstOnly`, looked up at 12 points. None when no such font exists.
    enum class Pieces { FirstOnly, Whole };
    static std::optional<Font> fontFromPageAnswer(std::string_view answer, Pieces pieces);

    // The style bar's title for a font: the family for the family's base face,
    // else the face's own display name; "Helvetica" for no font.
    static std::string titleForFont(const std::optional<Font>& font);

    // The font with the bold and italic asked for, each given or taken from
    // the base font, at the size given or the base font's; by name when a name
    // is given, else in the base font's family.
    static std::optional<Font> fontWithTraits(const Font& base, std::optional<bool> bold, std::optional<bool> italic,
                                              const std::optional<std::string>& fontName, std::optional<double> size);
};

} // namespace folio
