#pragma once

#include <gtk/gtk.h>

namespace folio {

// Hands the keyboard focus to a widget once it can take it.
class GtkFocusHandoff {
public:
    // Only a widget on screen in a window takes the focus.
    static void grabIfShown(GtkWidget* widget);
    // A popover that closes hands the focus back to what had it when it
    // opened, or to the window when that widget was rebuilt meanwhile; a
    // widget that asked for the focus while the popover was open takes it
    // again once the popover is gone.
    static void afterPopoverCloses(GtkWidget* popover, GtkWidget* widget);
    // A widget rebuilt just now takes the focus when it is on screen.
    static void whenMapped(GtkWidget* widget);
    // The widget takes the focus now, or once it is on screen in a window,
    // unless the user is then typing into another field of that window, or
    // a popover or an alert is up. False when one of those keeps it.
    static bool grabUnlessTypingElsewhere(GtkWidget* widget);
};

} // namespace folio
