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
    // The program's own default style (Cochin 14) with the text and paper
    // colours given, and the factory spacing and margins.
    Status setVelderDefaultSettings(const std::string& textColor, const std::string& paperColor);

    // A style found at the caret, stored as the default style (n 0, with
    // the page margins) or as user style 1 to 3 (without margins).
    struct CapturedStyle {
        std::string family;
        double size = 12;
        std::string color;
        std::string background;
        std::string paperColor;
        double lineSpacing = 0;
        double paragraphSpacing = 0;
        double firstLineIndent = 0;
        // Centimetres: left, right, top, bottom.
        double margins[4] = {0, 0, 0, 0};
    };
    Status storeCapturedStyle(long n, const CapturedStyle& style);

private:
    Status writeFactorySpacingAndMargins();

    UserDefaults& m_defaults;
};

} // namespace folio
