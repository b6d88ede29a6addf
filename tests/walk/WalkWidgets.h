#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string>
#include <vector>

namespace folio::test {

// What a user reads on a widget: its label, its first text, its tooltip or
// its icon's name.
std::string widgetText(GtkWidget* widget);
// Appends what can be seen of the shown widget tree, as text.
void describe(GtkWidget* widget, std::string& out);
// The program's shown windows, offscreen ones left out.
std::vector<GtkWidget*> shownToplevels();
// Where the widget lies on the screen; none while it is not shown.
std::optional<GdkRectangle> screenRect(GtkWidget* widget);
// Whether `inner` has a size and lies wholly within `outer`.
bool inside(const GdkRectangle& inner, const GdkRectangle& outer);
// The pixels between two rectangles; 0 when they touch or overlap.
int gapBetween(const GdkRectangle& a, const GdkRectangle& b);
// Scrolls the scrolled windows around the widget until it shows, as a
// user scrolls a bar sideways to a key beyond the window's edge.
void scrollIntoView(GtkWidget* widget);
// The screen the widget is shown on.
GdkRectangle screenBounds(GtkWidget* widget);
// A control the program draws itself (a stepper) inside the widget: the
// first drawing that takes presses, or none.
GtkWidget* drawnControlIn(GtkWidget* widget);
// Presses and releases button 1 on a drawn control, in its upper half
// (a stepper's step up), as a person's click does.
void pressDrawnControl(GtkWidget* drawn);

} // namespace folio::test
