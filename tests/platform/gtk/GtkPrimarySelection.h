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
// the desktop's primary selection while the page's selection is `selected`.
// The page claims it a moment after its own selection changed, at times more
// than once: the other program takes it whenever the page has it. WebKit
// then collapses the page's selection to its end, or leaves it as it was:
// which of the two depends on the moment, and a person may see either. This
// returns once the page's selection was collapsed, or once the other program
// has kept the primary selection through three round trips to the page
// (`pageRoundTrip` answers once the page has run what came before it).
// False when xclip could not run or the page kept taking it back.
inline bool anotherProgramTakesThePrimarySelection(const std::function<bool()>& pageSelectionIsCollapsed,
                                                   const std::function<void()>& pageRoundTrip,
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
    auto primaryText = [] {
        gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_PRIMARY));
        std::string answer = text ? text : "";
        g_free(text);
        return answer;
    };
    bool ran = true;
    int keptThrough = 0;
    bool settled = RunLoop::main().runUntil(
        [&] {
            if (pageSelectionIsCollapsed())
                return true;
            std::string holder = primaryText();
            if (holder == selected) {
                keptThrough = 0;
                ran = ran && takeIt();
                return !ran;
            }
            keptThrough = holder == "elsewhere" ? keptThrough + 1 : 0;
            pageRoundTrip();
            return keptThrough >= 3;
        },
        waitSeconds);
    return settled && ran;
}

} // namespace folio::test
