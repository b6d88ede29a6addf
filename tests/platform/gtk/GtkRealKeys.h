#pragma once

#include "platform/gtk/GtkPresenter.h"
#include "platform/foundation/VirtualDisplay.h"

#include <gtk/gtk.h>

#include <cstring>
#include <utility>
#include <string>
#include <vector>

// Declared here rather than through <gdk/gdkx.h>, whose X11 macros (Status,
// None, Bool) clash with the names of the code under test.
extern "C" unsigned long gdk_x11_window_get_xid(GdkWindow* window);

namespace folio::test {

// Real key events through the X server (xdotool's XTEST), as a person's
// keyboard makes them: they reach the window that has the focus and go the
// whole way through GTK, unlike events handed to a widget.
//
// Such keys go to whichever window has the display's focus, and ctest runs
// tests side by side on one display: a test that types calls
// usePrivateDisplay() before it makes any window, so that it has a display
// of its own.
inline bool usePrivateDisplay()
{
    // Once per process: a second server would leave the web engine, already
    // started on the first, on a display GTK no longer shows.
    static bool made = false;
    if (made)
        return true;
    // Only before GTK has opened a display: after, the windows stay where they are.
    if (gdk_display_get_default())
        return false;
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    made = bool(VirtualDisplay::ensureDisplay());
    return made;
}

// Runs one of the X tools (xdotool, setxkbmap) on the display GTK shows the
// windows on.
inline bool runOnDisplay(std::vector<std::string> arguments)
{
    gchar** environment = g_get_environ();
    if (GdkDisplay* display = gdk_display_get_default())
        environment = g_environ_setenv(environment, "DISPLAY", gdk_display_get_name(display), TRUE);
    std::vector<gchar*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    gint status = 0;
    GError* error = nullptr;
    bool ran = g_spawn_sync(nullptr, argv.data(), environment, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, nullptr,
                            &status, &error);
    g_strfreev(environment);
    if (error)
        g_error_free(error);
    return ran && g_spawn_check_wait_status(status, nullptr);
}

inline bool runXdotool(std::vector<std::string> arguments)
{
    // A move with --sync waits until the pointer has moved, which it never
    // does when it already stands there (a second click on the same place):
    // xdotool would wait out its own time before going on.
    // Only a move that comes first can be told from where the pointer is now.
    GdkDisplay* display = gdk_display_get_default();
    if (display && arguments.size() >= 4 && arguments[0] == "mousemove" && arguments[1] == "--sync") {
        int pointerX = -1;
        int pointerY = -1;
        gdk_device_get_position(gdk_seat_get_pointer(gdk_display_get_default_seat(display)), nullptr, &pointerX,
                                &pointerY);
        if (arguments[2] == std::to_string(pointerX) && arguments[3] == std::to_string(pointerY))
            arguments.erase(arguments.begin() + 1);
    }
    arguments.insert(arguments.begin(), "xdotool");
    return runOnDisplay(std::move(arguments));
}

// The display's keyboard in another layout while the object lives, as a
// person who types with it has it: "us" "intl" has dead keys, which GTK's
// own input method composes with the next letter. A key missing from the
// layout is one xdotool lends a spare key code for the press alone, and
// GTK, serving its events only after xdotool is done, reads that code in
// the layout given back: no dead key composes that way. The layout is
// "us" again afterwards, as the display starts.
class KeyboardLayout {
public:
    KeyboardLayout(const std::string& layout, const std::string& variant, guint keyvalItHas)
    {
        if (!gdk_display_get_default())
            return;
        m_set = runOnDisplay({"setxkbmap", "-layout", layout, "-variant", variant});
        // GTK reads the new layout from the server's notice of it.
        GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_display_get_default());
        for (int turn = 0; m_set && !m_ready && turn < 200; ++turn) {
            GtkPresenter::processPendingEvents();
            GdkKeymapKey* keys = nullptr;
            gint count = 0;
            m_ready = gdk_keymap_get_entries_for_keyval(keymap, keyvalItHas, &keys, &count) && count > 0;
            g_free(keys);
            if (!m_ready)
                g_usleep(10000);
        }
    }
    ~KeyboardLayout()
    {
        if (m_set)
            runOnDisplay({"setxkbmap", "-layout", "us", "-variant", ""});
        GtkPresenter::processPendingEvents();
    }
    KeyboardLayout(const KeyboardLayout&) = delete;
    KeyboardLayout& operator=(const KeyboardLayout&) = delete;

    // Whether GTK types with the layout now.
    bool ready() const { return m_ready; }

private:
    bool m_set = false;
    bool m_ready = false;
};

// Gives the toplevel the keyboard focus of the display and waits until the
// server has done so.
inline bool focusWindow(GtkWidget* toplevel)
{
    GtkPresenter::processPendingEvents();
    GdkWindow* window = gtk_widget_get_window(toplevel);
    if (!window || std::strcmp(G_OBJECT_TYPE_NAME(window), "GdkX11Window") != 0)
        return false;
    bool focused = runXdotool({"windowfocus", "--sync", std::to_string(gdk_x11_window_get_xid(window))});
    GtkPresenter::processPendingEvents();
    return focused;
}

// Where the middle of the widget is on the screen right now; false when it
// is not on screen.
inline bool currentScreenCentreOf(GtkWidget* widget, int& screenX, int& screenY)
{
    GtkPresenter::processPendingEvents();
    GtkWidget* toplevel = widget ? gtk_widget_get_toplevel(widget) : nullptr;
    GdkWindow* window = toplevel ? gtk_widget_get_window(toplevel) : nullptr;
    if (!window || !gtk_widget_get_mapped(widget))
        return false;
    int x = 0;
    int y = 0;
    if (!gtk_widget_translate_coordinates(widget, toplevel, gtk_widget_get_allocated_width(widget) / 2,
                                          gtk_widget_get_allocated_height(widget) / 2, &x, &y))
        return false;
    int originX = 0;
    int originY = 0;
    gdk_window_get_origin(window, &originX, &originY);
    screenX = originX + x;
    screenY = originY + y;
    return true;
}

// Where the middle of the widget is on the screen once the window has
// settled: a bar that was just swapped in may still be laid out for a few
// turns on a busy machine, and a click aimed at its first place misses.
inline bool screenCentreOf(GtkWidget* widget, int& screenX, int& screenY)
{
    if (!currentScreenCentreOf(widget, screenX, screenY))
        return false;
    for (int turn = 0; turn < 50; ++turn) {
        GtkPresenter::processPendingEvents();
        int x = 0;
        int y = 0;
        if (!currentScreenCentreOf(widget, x, y))
            return false;
        if (x == screenX && y == screenY && gtk_widget_get_allocated_width(widget) > 1)
            return true;
        screenX = x;
        screenY = y;
    }
    return true;
}

// Whether the point is on the widget's screen, where the pointer can go:
// xdotool would read a negative coordinate as one of its options.
inline bool onScreen(GtkWidget* widget, int screenX, int screenY)
{
    GdkWindow* root = gdk_screen_get_root_window(gtk_widget_get_screen(widget));
    return screenX >= 0 && screenY >= 0 && screenX < gdk_window_get_width(root) && screenY < gdk_window_get_height(root);
}

// Clicks the middle of the widget with the real pointer (button 1), as a
// person's mouse would; false when the widget is not on screen.
inline bool clickWidget(GtkWidget* widget)
{
    int x = 0;
    int y = 0;
    if (!screenCentreOf(widget, x, y) || !onScreen(widget, x, y))
        return false;
    bool clicked = runXdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1"});
    GtkPresenter::processPendingEvents();
    return clicked;
}

// Serves events until the widget stands still on the screen: in place for
// a tenth of a second and, in a popover, with the popover fully faded in.
// A popover slides the last pixels to its place as it fades in, and on a
// busy machine its frames come slowly, so that a place read between two
// frames is not yet where a person would point.
inline bool waitUntilStill(GtkWidget* widget, int& screenX, int& screenY)
{
    constexpr gint64 kStillFor = 100 * 1000;
    constexpr gint64 kLongest = 10 * 1000 * 1000;
    GtkWidget* popover = gtk_widget_get_ancestor(widget, GTK_TYPE_POPOVER);
    const gint64 start = g_get_monotonic_time();
    gint64 stillSince = start;
    screenX = screenY = -1;
    while (g_get_monotonic_time() - start < kLongest) {
        GtkPresenter::processPendingEvents();
        int x = 0;
        int y = 0;
        if (!currentScreenCentreOf(widget, x, y))
            return false;
        const gint64 now = g_get_monotonic_time();
        const bool shown = gtk_widget_get_allocated_width(widget) > 1 && onScreen(widget, x, y)
            && (!popover || gtk_widget_get_opacity(popover) >= 1.0);
        if (x != screenX || y != screenY || !shown) {
            screenX = x;
            screenY = y;
            stillSince = now;
        } else if (now - stillSince >= kStillFor) {
            return true;
        }
        g_usleep(5 * 1000);
    }
    return false;
}

// Whether the widget shows the pointer over it. Only what a popover holds
// is asked: a button or row there lights under the pointer, and a click
// beside it would close the popover. Elsewhere nothing need light.
inline bool showsPointerOver(GtkWidget* widget)
{
    const bool lights = gtk_widget_get_ancestor(widget, GTK_TYPE_POPOVER) && gtk_widget_is_sensitive(widget)
        && (GTK_IS_BUTTON(widget)
            || (GTK_IS_LIST_BOX_ROW(widget) && gtk_list_box_row_get_activatable(GTK_LIST_BOX_ROW(widget))));
    return !lights || (gtk_widget_get_state_flags(widget) & GTK_STATE_FLAG_PRELIGHT);
}

// Moves the real pointer over the middle of the widget once it stands
// still, coming in from the screen's far corner as a person's mouse comes
// in from elsewhere, and waits until it lights under the pointer: under the
// test server a window that has just appeared sometimes misses the first
// arrival of a pointer that was already moving near it, so a widget left
// unlit is come at once more.
inline bool movePointerOver(GtkWidget* widget)
{
    GdkWindow* root = gdk_screen_get_root_window(gtk_widget_get_screen(widget));
    const std::string farX = std::to_string(gdk_window_get_width(root) - 1);
    const std::string farY = std::to_string(gdk_window_get_height(root) - 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        int x = 0;
        int y = 0;
        if (!waitUntilStill(widget, x, y))
            return false;
        if (!runXdotool({"mousemove", "--sync", farX, farY})
            || !runXdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y)}))
            return false;
        const gint64 start = g_get_monotonic_time();
        do {
            GtkPresenter::processPendingEvents();
            if (showsPointerOver(widget))
                return true;
            g_usleep(5 * 1000);
        } while (g_get_monotonic_time() - start < 3 * 1000 * 1000);
    }
    return false;
}

// Presses the real pointer's button 1 over the middle of the widget and
// keeps it down.
inline bool pressPointerOn(GtkWidget* widget)
{
    int x = 0;
    int y = 0;
    if (!screenCentreOf(widget, x, y) || !onScreen(widget, x, y))
        return false;
    bool done = runXdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y), "mousedown", "1"});
    GtkPresenter::processPendingEvents();
    return done;
}

// Releases the real pointer's button 1 where the pointer is.
inline bool releasePointer()
{
    bool done = runXdotool({"mouseup", "1"});
    GtkPresenter::processPendingEvents();
    return done;
}

// Presses a key combination ("ctrl+z", "ctrl+shift+z", "Return") in the
// focused window.
inline bool pressKeys(const std::string& keys)
{
    bool pressed = runXdotool({"key", "--clearmodifiers", keys});
    GtkPresenter::processPendingEvents();
    return pressed;
}

// Types the text in the focused window, key by key.
inline bool typeText(const std::string& text)
{
    bool typed = runXdotool({"type", "--delay", "15", text});
    GtkPresenter::processPendingEvents();
    return typed;
}

} // namespace folio::test
