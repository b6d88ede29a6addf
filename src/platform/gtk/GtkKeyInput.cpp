#include "platform/gtk/GtkKeyInput.h"

#include "platform/ui/KeyCommand.h"

namespace folio {

std::optional<GtkKeyInput::KeyPress> GtkKeyInput::fromKeyval(guint keyval, GdkModifierType state)
{
    if (state & (GDK_SUPER_MASK | GDK_HYPER_MASK | GDK_META_MASK | GDK_MOD4_MASK))
        return std::nullopt;
    KeyPress press;
    if (state & GDK_SHIFT_MASK)
        press.modifierFlags |= KeyModifierShift;
    if (state & GDK_CONTROL_MASK)
        press.modifierFlags |= KeyModifierCommand;
    if (state & GDK_MOD1_MASK)
        press.modifierFlags |= KeyModifierAlternate;
    switch (keyval) {
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up:
        press.input = kKeyInputUpArrow;
        return press;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down:
        press.input = kKeyInputDownArrow;
        return press;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left:
        press.input = kKeyInputLeftArrow;
        return press;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right:
        press.input = kKeyInputRightArrow;
        return press;
    case GDK_KEY_Escape:
        press.input = kKeyInputEscape;
        return press;
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up:
        press.input = kKeyInputPageUp;
        return press;
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down:
        press.input = kKeyInputPageDown;
        return press;
    default:
        break;
    }
    // With Shift held the key value is the shifted one ("Z"); commands name
    // the key by its lower-case character and the Shift flag.
    gunichar character = gdk_keyval_to_unicode(gdk_keyval_to_lower(keyval));
    if (character == 0 || g_unichar_iscntrl(character))
        return std::nullopt;
    char utf8[8] = {};
    int length = g_unichar_to_utf8(character, utf8);
    press.input.assign(utf8, static_cast<std::size_t>(length));
    return press;
}

std::optional<GtkKeyInput::KeyPress> GtkKeyInput::fromEvent(const GdkEventKey& event)
{
    return fromKeyval(event.keyval, static_cast<GdkModifierType>(event.state));
}

} // namespace folio
