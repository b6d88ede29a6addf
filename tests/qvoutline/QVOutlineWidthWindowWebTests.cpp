#include "documents/DocumentSeeds.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/ui/ImageView.h"
#include "tools/ruler/RulerRangeSlider.h"
#include "platform/ui/Label.h"
#include "qvoutline/QVOutlineViewController.h"
#include "qvtext/QVMarginRuler.h"
#include "qvtext/QVPageNavigator.h"
#include "qvtext/QVTextTools.h"
#include "support/EditorWindowTest.h"
#include "webeditor/EditorToolCommands.h"
#include "OutlineTree.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

// The outline in a window narrower than the editor's usual width.
class QVOutlineWidthWindowTest : public test::EditorWindowTest<QVOutlineViewController> {
protected:
    QVOutlineWidthWindowTest() : EditorWindowTest(EditorKind::QVOutline, "qvoutline-width-window") {}

    bool settle(const std::function<bool()>& done)
    {
        return RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return done();
            },
            kEngineWaitSeconds);
    }

    // How far the page would scroll sideways, and how many branch boxes
    // reach past what the page shows (and so lose their right border).
    std::string overflow()
    {
        return run("(function(){var c=document.getElementById('content');var edge=c.getBoundingClientRect().left+c.clientWidth;"
                   "var cut=Array.prototype.filter.call(document.querySelectorAll('.branch-wrapper'),function(w){"
                   "return w.getBoundingClientRect().right>edge;}).length;return (c.scrollWidth-c.clientWidth)+'/'+cut;})()");
    }
};

// The page is never wider than the window: no sideways scroll bar, and
// every branch box whole with its right border, also with a right margin
// and with the text zoomed; the zoom updates the page counter.
TEST_F(QVOutlineWidthWindowTest, thePageFitsTheWindowWithMarginsAndZoomAndTheCounterFollowsTheZoom)
{
    std::string tree;
    for (int id = 1; id <= 60; ++id)
        tree += test::branch(id, id % 2 ? 0 : id - 1, id % 2 ? 1 : 2, "Branch " + std::to_string(id));
    std::string path = folder.path("Narrow.qvoutline");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<ul id='left-tree'>" + tree + "</ul>")
                                                     ->stringView()));
    UserDefaults::standardUserDefaults().setBool("zoomEnabled", false);
    open(path, {650, 600});
    if (HasFatalFailure())
        return;
    EXPECT_EQ(overflow(), "0/0") << "at 650 px";

    editor->margins().setPageMargin(1, 0.5);
    ASSERT_TRUE(settle([&] { return run("parseFloat(document.getElementById('content').style.marginRight)||0") != "0"; }));
    EXPECT_EQ(overflow(), "0/0") << "with a right margin of " << run("document.getElementById('content').style.marginRight");

    QVPageNavigator& pages = editor->pages();
    auto total = [&] { return std::atoi(toUtf8(pages.pageTotal()->text()).c_str()); };
    ASSERT_TRUE(settle([&] { return total() > 1; })) << toUtf8(pages.pageTotal()->text());
    const int before = total();
    editor->tools().commands().toolsOptionSelected(6);
    ASSERT_TRUE(settle([&] { return run("document.getElementById('folioViewZoom').textContent").find("150") != std::string::npos; }));
    EXPECT_TRUE(settle([&] { return total() > before; }))
        << "the counter still says " << total() << " pages after the zoom";
    EXPECT_EQ(overflow(), "0/0") << "zoomed";
    editor->tools().commands().toolsOptionSelected(6);
}

// The margins ruler follows the window's width: made narrower, the window
// still shows the ruler's right handle, and the ruler spans what it shows.
TEST_F(QVOutlineWidthWindowTest, theMarginsRulerNarrowsWithTheWindow)
{
    std::string path = folder.path("Ruler.qvoutline");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(
                                                     "<ul id='left-tree'>" + test::branch(1, 0, 1, "One") + "</ul>")
                                                     ->stringView()));
    open(path, {900, 600});
    if (HasFatalFailure())
        return;
    RulerRangeSlider& ruler = editor->margins().slider();
    ASSERT_FALSE(ruler.isHidden());
    gtk_window_resize(GTK_WINDOW(toplevel), 650, 600);
    ASSERT_TRUE(settle([&] { return gtk_widget_get_allocated_width(toplevel) < 700; }));
    const int window = gtk_widget_get_allocated_width(toplevel);
    // Where the window shows the middle of the right handle (which stands
    // over the ruler's end), and how wide the ruler's widget is.
    int handleRight = 0;
    int rulerWidth = 0;
    EXPECT_TRUE(settle([&] {
        GtkWidget* widget = GtkViewBuilder::widgetForView(toplevel, ruler);
        if (!widget || !gtk_widget_get_mapped(widget))
            return false;
        int x = 0, y = 0;
        Rect handle = ruler.upperHandle()->frame();
        gtk_widget_translate_coordinates(widget, toplevel, int(handle.midX()), 0, &x, &y);
        handleRight = x;
        rulerWidth = gtk_widget_get_allocated_width(widget);
        return handleRight <= window && rulerWidth <= window && ruler.frame().width() <= window;
    })) << "the right handle's middle is at " << handleRight << " in a window " << window << " wide; the ruler's widget is "
        << rulerWidth << " wide and its view " << ruler.frame().width();
}

} // namespace
} // namespace folio
