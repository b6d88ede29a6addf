#pragma once

#include "platform/foundation/Error.h"
#include "tools/textstyle/FontChoice.h"

#include <optional>
#include <string>

namespace folio {

class UserDefaults;

// A whole text style as the style popover holds it. Margins are in inches.
struct TextStyleSettings {
    FontChoice font;
    std::string textColour;
    std::string backgroundColour;
    double lineSpacing = 1;
    double paragraphSpacing = 0;
    double paragraphSpacingBefore = 0;
    double firstLineIndent = 0;
    double marginLeft = 0;
    double marginRight = 0;
    double marginTop = 0;
    double marginBottom = 0;
};

// The style store the popover writes: the default style, three user styles
// and the factory values, under the keys the editors read. Each write group
// is synchronised at once; a failed write keeps the values in memory for the
// next synchronisation and is answered to the caller.
class TextStyleDefaults {
public:
    explicit TextStyleDefaults(UserDefaults& defaults) : m_defaults(defaults) {}

    // Margins go into the store in centimetres.
    Status replaceDefaultSettings(const TextStyleSettings& style);
    // n is 1, 2 or 3; user styles carry no margins and no paper size. Any
    // other n writes nothing.
    Status replaceUserStyle(long n, const TextStyleSettings& style);
    Status setDefaultTextStyles();
    Status setDefaultPageSize(const std::string& size);
    // The paper size the editors print on: the one last chosen, else "Letter".
    std::string defaultPageSize() const;

    // How a storing row shows style n (0 for the default style): its font and text colour.
    struct StoredLook {
        std::optional<std::string> fontName;
        std::optional<std::string> textColour;
    };
    StoredLook storedLook(long n) const;

    // The factor from inches to centimetres, as a 32-bit float (2.5399999618530273).
    static constexpr float kCentimetresPerInch = 2.54f;

private:
    UserDefaults& m_defaults;
};

} // namespace folio
