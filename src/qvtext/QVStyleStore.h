#pragma once

#include "platform/foundation/Error.h"

#include <optional>
#include <string>

namespace folio {

class UserDefaults;

// The QV editors' default style and three user styles in the settings
// store, shared by key with the text-style popover. A key that holds
// nothing answers its factory value, so no script is ever built from a
// missing value; a user style without a font is undefined.
class QVStyleStore {
public:
    static constexpr double kFactoryMargin = 1.0;

    explicit QVStyleStore(UserDefaults& defaults) : m_defaults(defaults) {}

    // A style as it is applied to the selection.
    struct Style {
        std::string family;
        int size = 12;
        std::string color;
        // The page colour (default style) or the text background (user style).
        std::string background;
        // A multiple of the font size; 0 leaves the line height as it is.
        double lineSpacing = 0;
        // Points below the paragraph; none leaves the spacing as it is.
        std::optional<double> paragraphSpacing;
        // Centimetres.
        double firstLineIndent = 0;
    };

    // The stored default style; the plain style (Helvetica 12, black on
    // white, single spacing) when no default font was ever stored.
    Style defaultStyle() const;
    // User style 1 to 3, none when it has no font; any other n is the plain
    // style.
    std::optional<Style> userStyle(long n) const;

    // The factory user styles, then the factory default style.
    Status setDefaultTextStyles();
    // The factory default style and page margins.
    Status resetToDefaultStyle();

private:
    UserDefaults& m_defaults;
};

} // namespace folio
