#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string>

namespace folio {

// A GTK key press as the key commands of the UI model name it: the input (a
// lower-case character or one of the named keys) and the modifier flags.
// The Control key plays the part the Command key has in the model's
// shortcuts (Control+Z undoes, Control+B makes bold), as desktop users
// expect; Alt is the Alternate key.
class GtkKeyInput {
public:
    struct KeyPress {
        std::string input;
        unsigned modifierFlags = 0;
    };

    GtkKeyInput() = delete;

    // Nothing for a key no command can name: a modifier alone, a dead key,
    // or a press with the Super, Hyper or Meta key, which belong to the desktop.
    static std::optional<KeyPress> fromKeyval(guint keyval, GdkModifierType state);
    static std::optional<KeyPress> fromEvent(const GdkEventKey& event);
};

} // namespace folio
