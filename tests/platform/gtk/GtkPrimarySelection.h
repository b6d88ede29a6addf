#pragma once

#include "platform/foundation/RunLoop.h"

#include <gtk/gtk.h>

#include <functional>
#include <string>

namespace folio::test {

// Page scripts for the tests below: the first makes the page remember that
// its selection was collapsed at some moment, the second asks whether it
// was. Polling the live selection alone can miss a collapse that the page's
// own timers have already undone on a slow machine.
inline constexpr const char* kWatchForCollapsedSelection =
    "(function(d){d.__folioCollapsedOnce=false;d.addEventListener('selectionchange',function(){"
    "if(d.getSelection().isCollapsed)d.__folioCollapsedOnce=true;});return 'watching';})";
inline constexpr const char* kSelectionWasCollapsed =
    "(function(d){return String(d.getSelection().isCollapsed||d.__folioCollapsedOnce===true);})";

// Another program (xclip, on a connection of its own to the display) takes
// the desktop's primary selection, and WebKit then collapses the page's
// selection to its end. The page claims the primary selection a moment
// after its own selection changed, at times more than once: the other
// program takes it whenever the page has it (holds `selected`), until the
// page's selection is collapsed. False when xclip could not run or the page
// kept its selection.
inline bool anotherProgramTakesThePrimarySelection(const std::function<bool()>& pageSelectionIsCollapsed,
                                                   const std::string& selected, double waitSeconds)
{
    GdkDisplay* display = gdk_display_get_default();
    if (!display)
        return false;
    auto takeIt = [display] {
        gchar** environment = g_environ_setenv(g_get_environ(), "DISPLAY", gdk_display_get_name(display), TRUE);
        gchar* argv[] = {const_cast<gchar*>("sh"), const_cast<gchar*>("-c"),
                         const_cast<gchar*>("printf elsewhere | xclip -selection primary -i"), nullptr};
        gint status = 0;
        bool ran = g_spawn_sync(nullptr, argv, environment, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, nullptr,
                                &status, nullptr) &&
                   g_spawn_check_wait_status(status, nullptr);
        g_strfreev(environment);
        return ran;
    };
    GtkClipboard* primary = gtk_clipboard_get(GDK_SELECTION_PRIMARY);
    bool ran = true;
    bool collapsed = RunLoop::main().runUntil(
        [&] {
            if (pageSelectionIsCollapsed())
                return true;
            gchar* text = gtk_clipboard_wait_for_text(primary);
            bool pageOwnsIt = text && text == selected;
            g_free(text);
            if (pageOwnsIt)
                ran = ran && takeIt();
            return !ran;
        },
        waitSeconds);
    return collapsed && ran;
}

} // namespace folio::test
