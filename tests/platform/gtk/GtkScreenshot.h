#pragma once

#include "platform/gtk/GtkPresenter.h"

#include <gtk/gtk.h>

#include <string>

namespace folio::test {

// Where screenshots go: kept after the test, for a person to look at.
inline std::string screenshotPath(const std::string& name)
{
    std::string folder = std::string(g_get_tmp_dir()) + "/folio-screenshots";
    g_mkdir_with_parents(folder.c_str(), 0700);
    return folder + "/" + name + ".png";
}

// What the display shows of the window, once GTK has drawn everything
// pending; written as a PNG for a person to look at. Null when the window
// is not on screen. The caller unrefs the result.
inline GdkPixbuf* screenshotOfWindow(GtkWidget* toplevel, const std::string& pngPath)
{
    GtkPresenter::processPendingEvents();
    GdkWindow* window = gtk_widget_get_window(toplevel);
    if (!window)
        return nullptr;
    gdk_display_sync(gdk_window_get_display(window));
    GtkPresenter::processPendingEvents();
    GdkPixbuf* pixels = gdk_pixbuf_get_from_window(window, 0, 0, gdk_window_get_width(window), gdk_window_get_height(window));
    if (pixels)
        gdk_pixbuf_save(pixels, pngPath.c_str(), "png", nullptr, nullptr);
    return pixels;
}

// The pixel at (x, y) as 0xRRGGBB.
inline unsigned pixelAt(GdkPixbuf* pixels, int x, int y)
{
    const guchar* row = gdk_pixbuf_get_pixels(pixels) + y * gdk_pixbuf_get_rowstride(pixels);
    const guchar* pixel = row + x * gdk_pixbuf_get_n_channels(pixels);
    return (unsigned(pixel[0]) << 16) | (unsigned(pixel[1]) << 8) | pixel[2];
}

} // namespace folio::test
