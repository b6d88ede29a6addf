#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>

namespace folio::test {

// Where an editor's text stands in its page: the page's own content
// element (the rich-text page), or the body of TinyMCE's frame (the QV
// text page), whose points are offset by the frame's place.
enum class PageText { ContentElement, TinyMCEFrame };

// A script whose answer is "x,y", the point just inside the first letter of
// the word's first place in the text, in the page view's coordinates (let go
// there, a drop lands before the word), or "" when the word is not there.
// `word` goes into a quoted script literal: plain words only.
inline std::string wordStartScript(const std::string& word, PageText text)
{
    const bool framed = text == PageText::TinyMCEFrame;
    return std::string("(function(w){")
        + (framed ? "var e=tinymce.activeEditor,d=e.getDoc(),root=e.getBody(),"
                    "f=e.getContainer().querySelector('iframe').getBoundingClientRect();"
                  : "var d=document,root=d.getElementById('content'),f={left:0,top:0};")
        + "var k=d.createTreeWalker(root,NodeFilter.SHOW_TEXT);"
          "while(k.nextNode()){var t=k.currentNode,i=t.data.indexOf(w);if(i<0)continue;var r=d.createRange();"
          "r.setStart(t,i);r.setEnd(t,i+1);var b=r.getBoundingClientRect();"
          "return (f.left+b.left+1)+','+(f.top+b.top+b.height/2);}return '';})('"
        + word + "')";
}

// The point a wordStartScript answered; (-1, -1) when it found no word.
// The page writes its numbers with a full stop whatever the test's locale.
inline Point pointFromAnswer(const std::string& answer)
{
    double x = 0;
    double y = 0;
    const char* end = answer.data() + answer.size();
    auto [afterX, xError] = std::from_chars(answer.data(), end, x);
    if (xError != std::errc() || afterX == end || *afterX != ',')
        return {-1, -1};
    auto [afterY, yError] = std::from_chars(afterX + 1, end, y);
    if (yError != std::errc() || afterY != end)
        return {-1, -1};
    return {x, y};
}

// A point of a page widget, in its window's picture.
inline Point pagePointInWindow(GtkWidget* toplevel, GtkWidget* page, Point point)
{
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(page, toplevel, 0, 0, &x, &y);
    return {x + point.x, y + point.y};
}

// A point of a page widget, on the screen.
inline Point pagePointOnScreen(GtkWidget* toplevel, GtkWidget* page, Point point)
{
    int originX = 0, originY = 0;
    gdk_window_get_origin(gtk_widget_get_window(toplevel), &originX, &originY);
    Point at = pagePointInWindow(toplevel, page, point);
    return {originX + at.x, originY + at.y};
}

// The colour the window shows at a point of the page widget.
inline unsigned pagePixel(GtkWidget* toplevel, GtkWidget* page, Point point, const char* name)
{
    GdkPixbuf* shot = screenshotOfWindow(toplevel, screenshotPath(name));
    EXPECT_NE(shot, nullptr);
    if (!shot)
        return 0;
    Point at = pagePointInWindow(toplevel, page, point);
    unsigned value = pixelAt(shot, int(at.x), int(at.y));
    g_object_unref(shot);
    return value;
}

// The colour at a point once the window has drawn one that `accepts` takes:
// it draws on its frame clock, a few turns at most. (A wait on the run loop
// would block once nothing more happens.) The last colour seen when none is.
template <typename Accepts>
unsigned pagePixelOnceDrawn(GtkWidget* toplevel, GtkWidget* page, Point point, Accepts accepts, const char* name)
{
    unsigned value = pagePixel(toplevel, page, point, name);
    for (int turn = 0; turn < 20 && !accepts(value); ++turn) {
        GtkPresenter::processPendingEvents();
        value = pagePixel(toplevel, page, point, name);
    }
    return value;
}

inline unsigned pagePixelBecomes(GtkWidget* toplevel, GtkWidget* page, Point point, unsigned expected,
                                 const char* name)
{
    return pagePixelOnceDrawn(toplevel, page, point, [expected](unsigned value) { return value == expected; }, name);
}

// The real pointer brought from the screen's far corner over a point of the
// page widget, as a person's mouse comes in from elsewhere and rests before
// it presses: under the test server a window sometimes misses the first
// arrival of a pointer that was already near it, and then misses the press
// too.
inline bool pointerComesInFromAfar(GtkWidget* toplevel, GtkWidget* page, Point point)
{
    GdkWindow* root = gdk_screen_get_root_window(gtk_widget_get_screen(page));
    bool moved = runXdotool({"mousemove", "--sync", std::to_string(gdk_window_get_width(root) - 1),
                             std::to_string(gdk_window_get_height(root) - 1)});
    GtkPresenter::processPendingEvents();
    Point at = pagePointOnScreen(toplevel, page, point);
    moved = moved && runXdotool({"mousemove", "--sync", std::to_string(int(std::lround(at.x))),
                                 std::to_string(int(std::lround(at.y)))});
    GtkPresenter::processPendingEvents();
    return moved;
}

} // namespace folio::test
