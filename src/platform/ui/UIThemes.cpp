#include "platform/ui/UIThemes.h"

namespace folio {

namespace {
bool s_dark = false;
}

bool UIThemes::isDarkTheme() { return s_dark; }

void UIThemes::setDarkTheme(bool dark) { s_dark = dark; }

Color UIThemes::DKPickerNavigationBarTintColor()
{
    return s_dark ? Color::colorWithWhite(0.85) : Color::colorWithRed(0.0, 0.478, 1.0);
}

Color UIThemes::DKPickerTopToolBarBackgroundColor()
{
    return s_dark ? Color::colorWithWhite(0.16) : Color::colorWithWhite(0.94);
}

Color UIThemes::DKDocumentViewTopToolBarBackgroundColor()
{
    return s_dark ? Color::colorWithWhite(0.11) : Color::colorWithWhite(0.97);
}

std::optional<Color> UIThemes::colorNamed(const std::string& name)
{
    if (name == "DKPickerNavigationBarTintColor")
        return DKPickerNavigationBarTintColor();
    if (name == "DKPickerTopToolBarBackgroundColor")
        return DKPickerTopToolBarBackgroundColor();
    if (name == "DKDocumentViewTopToolBarBackgroundColor")
        return DKDocumentViewTopToolBarBackgroundColor();
    return std::nullopt;
}

} // namespace folio
