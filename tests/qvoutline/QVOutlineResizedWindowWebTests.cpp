#include "documents/DocumentSeeds.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/ui/Button.h"
#include "qvoutline/QVOutlineViewController.h"
#include "qvtext/QVTextKeyBars.h"
#include "qvtext/QVTextTools.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace folio {
namespace {

class QVOutlineResizedWindowTest : public test::EditorWindowTest<QVOutlineViewController> {
protected:
    QVOutlineResizedWindowTest() : EditorWindowTest(EditorKind::QVOutline, "qvoutline-resized") {}

    int number(const std::string& script) { return std::atoi(run(script).c_str()); }

    void openSeed(Size size)
    {
        std::string path = folder.path("Narrow.qvoutline");
        Result<std::string> seed = DocumentSeeds::outlineSeedPage(std::chrono::system_clock::now(), "en_US");
        ASSERT_TRUE(seed.ok());
        testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(*seed)->stringView()));
        open(path, size);
    }

    // Where the window shows each button of a key bar, once all are on screen.
    std::vector<GdkRectangle> shownButtons(const View& bar)
    {
        std::vector<GdkRectangle> places;
        EXPECT_TRUE(waitFor([&] {
            GtkPresenter::processPendingEvents();
            places.clear();
            for (const std::shared_ptr<View>& key : bar.subviews()) {
                GtkWidget* widget = GtkViewBuilder::widgetForView(toplevel, *key);
                GdkRectangle place{0, 0, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget)};
                if (!widget || !gtk_widget_get_mapped(widget) ||
                    !gtk_widget_translate_coordinates(widget, toplevel, 0, 0, &place.x, &place.y))
                    return false;
                places.push_back(place);
            }
            return !places.empty();
        })) << "a key of the bar is not on screen";
        return places;
    }

    // Every key of the bar lies whole inside the window, and no two overlap.
    void expectWholeAndApart(const View& bar, const char* name)
    {
        SCOPED_TRACE(name);
        // The editor's view: the window's part that shows the editor.
        GtkWidget* shown = GtkViewBuilder::widgetForView(toplevel, *editor->view());
        ASSERT_NE(shown, nullptr);
        std::vector<GdkRectangle> places;
        GdkRectangle room{};
        // A resized window lays its bars out again a moment later: judge
        // the bar once it has settled, or as it stands when the wait ends.
        waitFor([&] {
            places = shownButtons(bar);
            room = {0, 0, gtk_widget_get_allocated_width(shown), gtk_widget_get_allocated_height(shown)};
            if (!gtk_widget_translate_coordinates(shown, toplevel, 0, 0, &room.x, &room.y))
                return false;
            for (std::size_t i = 0; i < places.size(); ++i) {
                const GdkRectangle& key = places[i];
                if (key.x < room.x || key.y < room.y || key.x + key.width > room.x + room.width ||
                    key.y + key.height > room.y + room.height)
                    return false;
                for (std::size_t j = i + 1; j < places.size(); ++j) {
                    if (gdk_rectangle_intersect(&key, &places[j], nullptr))
                        return false;
                }
            }
            return true;
        });
        ASSERT_TRUE(gtk_widget_translate_coordinates(shown, toplevel, 0, 0, &room.x, &room.y));
        for (std::size_t i = 0; i < places.size(); ++i) {
            const GdkRectangle& key = places[i];
            EXPECT_TRUE(key.x >= room.x && key.y >= room.y && key.x + key.width <= room.x + room.width &&
                        key.y + key.height <= room.y + room.height)
                << "key " << i << " at " << key.x << "," << key.y << " " << key.width << "x" << key.height
                << " is cut off by the editor's view at " << room.x << "," << room.y << " " << room.width << "x"
                << room.height;
            for (std::size_t j = i + 1; j < places.size(); ++j)
                EXPECT_FALSE(gdk_rectangle_intersect(&key, &places[j], nullptr))
                    << "keys " << i << " (x " << key.x << " width " << key.width << ") and " << j << " (x "
                    << places[j].x << ") overlap";
        }
        g_clear_object_ptr(test::screenshotOfWindow(toplevel, test::screenshotPath(std::string("qvoutline-keys-") + name)));
    }
    static void g_clear_object_ptr(GdkPixbuf* shot)
    {
        if (shot)
            g_object_unref(shot);
    }

    // Shows a bar as a person does: a click on its switch, among the three
    // that end the bar shown now.
    void switchTo(const View& shown, QVTextKeyBars::Bar bar)
    {
        const auto& keys = shown.subviews();
        ASSERT_GE(keys.size(), 3u);
        const View& key = *keys[keys.size() - 3 + static_cast<std::size_t>(bar) - 1];
        ASSERT_EQ(key.tag(), static_cast<long>(bar));
        GtkWidget* widget = GtkViewBuilder::widgetForView(toplevel, key);
        ASSERT_NE(widget, nullptr);
        ASSERT_TRUE(test::clickWidget(widget));
    }
};

// Made narrower, the window's outline tree narrows with it rather than
// keeping its width behind a horizontal scroll bar.
TEST_F(QVOutlineResizedWindowTest, theTreeNarrowsWithTheWindow)
{
    openSeed(Size{1000, 600});
    if (HasFatalFailure())
        return;
    // The width the editor gives the tree's body, and how far the page would scroll sideways.
    const std::string treeWidth = "String(parseInt(tinymce.activeEditor.getBody().style.width) || 0)";
    const std::string overflow = "(function(){var d=document.getElementById('content');"
                                 "return String(d.scrollWidth - d.clientWidth);})()";
    gtk_window_resize(GTK_WINDOW(toplevel), 640, 600);
    ASSERT_TRUE(waitFor([&] { return gtk_widget_get_allocated_width(pageWidget) < 700; }));
    int shown = gtk_widget_get_allocated_width(pageWidget);
    EXPECT_TRUE(waitFor([&] { return number(treeWidth) > 0 && number(treeWidth) <= shown; }))
        << run(treeWidth) << " for a page " << shown << " wide";
    EXPECT_LE(number(overflow), 0) << "the tree is wider than the page shows";

    // And wider again with the window.
    gtk_window_resize(GTK_WINDOW(toplevel), 1100, 600);
    ASSERT_TRUE(waitFor([&] { return gtk_widget_get_allocated_width(pageWidget) > 1000; }));
    EXPECT_TRUE(waitFor([&] { return number(treeWidth) > shown; })) << run(treeWidth);
}

// In a window 700 points wide, and narrower still, every key of the three
// key bars along the bottom is on screen and none covers another.
TEST_F(QVOutlineResizedWindowTest, everyKeyOfTheKeyBarsIsOnScreenApartFromTheOthersInANarrowWindow)
{
    openSeed(Size{700, 600});
    if (HasFatalFailure())
        return;
    QVTextKeyBars& bars = editor->tools().keyBars();
    ASSERT_NE(bars.inputAccessoryView(), nullptr);
    // The style bar is the one shown first.
    ASSERT_FALSE(bars.styleToolbar()->isHidden());
    expectWholeAndApart(*bars.styleToolbar(), "style");
    switchTo(*bars.styleToolbar(), QVTextKeyBars::Bar::KeysRow1);
    ASSERT_TRUE(waitFor([&] { return !bars.keysToolbar1()->isHidden(); })) << "the switch to the first keys was not reached";
    expectWholeAndApart(*bars.keysToolbar1(), "keys1");
    switchTo(*bars.keysToolbar1(), QVTextKeyBars::Bar::KeysRow2);
    ASSERT_TRUE(waitFor([&] { return !bars.keysToolbar2()->isHidden(); })) << "the switch to the second keys was not reached";
    expectWholeAndApart(*bars.keysToolbar2(), "keys2");

    // Narrowed further, the bar still shows each key.
    gtk_window_resize(GTK_WINDOW(toplevel), 520, 600);
    ASSERT_TRUE(waitFor([&] { return gtk_widget_get_allocated_width(toplevel) < 560; }));
    expectWholeAndApart(*bars.keysToolbar2(), "keys2-narrower");
    switchTo(*bars.keysToolbar2(), QVTextKeyBars::Bar::Style);
    ASSERT_TRUE(waitFor([&] { return !bars.styleToolbar()->isHidden(); })) << "the switch to the style bar was not reached";
    expectWholeAndApart(*bars.styleToolbar(), "style-narrower");
}

} // namespace
} // namespace folio
