#pragma once

#include "platform/foundation/Error.h"

#include <optional>
#include <string>

namespace folio {

class UserDefaults;
struct TextStyleSettings;

// The rich-text editor's default text style and its three user presets in
// the settings store. Nothing is registered: a key holds nothing until one
// of the writers here or the style popover writes it, and the readers fall
// back as each style says. Every writer synchronises at its end.
//
// Margins are stored in centimetres, as the popover and the page set-up
// read them: left and right as positions on the ruler, top and bottom as
// widths.
class DefaultStyleStore {
public:
    explicit DefaultStyleStore(UserDefaults& defaults) : m_defaults(defaults) {}

    // The built-in default style.
    Status resetToDefaultStyle();
    // The three built-in presets, then the built-in default style.
    Status setDefaultTextStyles();
    // The house style, with the page's current text and highlight colours.
    Status setVelderDefaultSettings(const std::string& textColor, const std::string& paperColor);
    // n 0 stores the default style with its margins (given in inches);
    // 1 to 3 a preset, which has no margins and no paper colour.
    Status storeStyle(long n, const TextStyleSettings& style);

    // A style as it is applied to the selection. Optional fields send
    // nothing when they hold nothing (or 0, for the paragraph spacings).
    struct AppliedStyle {
        std::string font;
        int size = 12;
        std::string color;
        std::optional<std::string> back;
        double lineSpacing = 1;
        std::optional<double> paragraphSpacing;
        std::optional<double> paragraphSpacingBefore;
        double firstLineIndent = 0;
    };
    // Preset 1 to 3, none when it was never stored; any other n gives the
    // plain style (Helvetica 12, black on white, single spacing).
    std::optional<AppliedStyle> preset(long n) const;
    // The default style; the built-in one when it was never stored. `back`
    // holds the page colour.
    AppliedStyle defaultStyle() const;

private:
    UserDefaults& m_defaults;
};

} // namespace folio
