#pragma once

#include "platform/graphics/Color.h"

#include <optional>
#include <string>

namespace folio {

// The application's light or dark theme and the colours named after it.
class UIThemes {
public:
    static bool isDarkTheme();
    static void setDarkTheme(bool dark);

    // Bar tint of pickers' navigation bars.
    static Color DKPickerNavigationBarTintColor();
    // Background of pickers' and tool sheets' navigation bars.
    static Color DKPickerTopToolBarBackgroundColor();
    // Background of the document's top tool bar.
    static Color DKDocumentViewTopToolBarBackgroundColor();
    // Any colour of the theme by its name; nothing for an unknown name.
    static std::optional<Color> colorNamed(const std::string& name);
};

} // namespace folio
