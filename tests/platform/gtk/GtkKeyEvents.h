#pragma once

#include "platform/gtk/GtkPresenter.h"

#include <gtk/gtk.h>

#include <string_view>

namespace folio::test {

// A key pressed and released on `widget` as the window system delivers it,
// with the hardware key code that key bindings (BackSpace, Return) are looked
// up by, then the presenter's pending events served.
inline void pressKey(GtkWidget* widget, guint keyval, GdkModifierType modifiers = GdkModifierType(0))
{
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
    event->key.keyval = keyval;
    event->key.state = modifiers;
    event->key.time = GDK_CURRENT_TIME;
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gtk_widget_get_display(widget)), keyval, &keys,
                                          &count)
        && count > 0)
        event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    g_free(keys);
    GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(widget));
    gdk_event_set_device(event, gdk_seat_get_keyboard(seat));
    gtk_widget_event(widget, event);
    event->type = GDK_KEY_RELEASE;
    gtk_widget_event(widget, event);
    gdk_event_free(event);
    GtkPresenter::processPendingEvents();
}

// Each character of `text` (ASCII) as a key.
inline void typeText(GtkWidget* widget, std::string_view text)
{
    for (char c : text)
        pressKey(widget, gdk_unicode_to_keyval(static_cast<guint32>(static_cast<unsigned char>(c))));
}

} // namespace folio::test
