#include "platform/gtk/GtkPresenter.h"
#include "support/WindowTestDisplay.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace folio {
namespace {

// DISPLAY as the process was started with it: what ctest hands every test.
std::string startingDisplay()
{
    std::ifstream file("/proc/self/environ", std::ios::binary);
    std::string environment((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::string key = "DISPLAY=";
    for (size_t start = 0; start < environment.size();) {
        size_t end = environment.find('\0', start);
        if (end == std::string::npos)
            end = environment.size();
        if (environment.compare(start, key.size(), key) == 0)
            return environment.substr(start + key.size(), end - start - key.size());
        start = end + 1;
    }
    return "";
}

// A test that moves the pointer runs beside other tests only because its
// windows are on a display no other test process shows anything on: this
// one asks for no display of its own, and still gets one.
TEST(GtkPrivateDisplayTest, aTestThatAsksForNothingShowsItsWindowsOnADisplayOfItsOwn)
{
    auto created = GtkPresenter::create();
    if (!created)
        return test::noDisplayForWindowTest(created.error().message);
    GdkDisplay* display = gdk_display_get_default();
    ASSERT_NE(display, nullptr);
    std::string shown = gdk_display_get_name(display);
    EXPECT_NE(shown, startingDisplay()) << "the windows are on the display every test shares";
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_show(window);
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(gdk_window_get_display(gtk_widget_get_window(window)), display);
    gtk_widget_destroy(window);
}

} // namespace
} // namespace folio
