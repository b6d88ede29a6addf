#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkViewOverlay.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/UserResizableView.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/gtk/GtkPagePoints.h"
#include "support/WindowTestDisplay.h"

#include <functional>

#include <gtk/gtk.h>
#include <gtest/gtest.h>

namespace folio {
namespace {

// A plain view that keeps the touches it is given, in its own coordinates.
class TouchRecorder : public View {
public:
    using View::View;
    std::vector<Point> began;
    std::vector<Point> moved;
    int ended = 0;

    void touchesBegan(const std::vector<Point>& touches) override { began.insert(began.end(), touches.begin(), touches.end()); }
    void touchesMoved(const std::vector<Point>& touches) override { moved.insert(moved.end(), touches.begin(), touches.end()); }
    void touchesEnded(int) override { ++ended; }
};

// A page stand-in: a white native widget that counts the clicks it gets.
class PageHost : public ViewController {
public:
    explicit PageHost(GtkWidget* page) : m_page(page) {}
    std::shared_ptr<View> pageView;

protected:
    void loadView() override
    {
        pageView = std::make_shared<View>(makeRect(0, 0, 400, 300));
        pageView->setNativeWidgetHandle(m_page);
        setView(pageView);
    }

private:
    GtkWidget* m_page;
};

// An editor's view stand-in: the page under a bar, in a bar container.
class ContainerHost : public ViewController {
public:
    explicit ContainerHost(GtkWidget* page) : m_page(page) {}
    std::shared_ptr<BarContainerView> container;
    std::shared_ptr<View> pageView;

protected:
    void loadView() override
    {
        container = std::make_shared<BarContainerView>(makeRect(0, 0, 400, 340));
        pageView = std::make_shared<View>(makeRect(0, 0, 400, 300));
        pageView->setNativeWidgetHandle(m_page);
        container->setContentView(pageView);
        auto bar = std::make_shared<View>(makeRect(0, 0, 400, 40));
        bar->setBackgroundColor(Color::colorWithWhite(0.5));
        container->setBars(BarContainerView::Edge::Top, {bar});
        setView(container);
    }

private:
    GtkWidget* m_page;
};

gboolean paintWhite(GtkWidget*, cairo_t* cr, gpointer)
{
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    return FALSE;
}

gboolean countClick(GtkWidget*, GdkEventButton*, gpointer clicks)
{
    ++*static_cast<int*>(clicks);
    return TRUE;
}

class GtkViewOverlayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The pointer belongs to the display: one of its own.
        test::usePrivateDisplay();
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(created.value());
        page = gtk_drawing_area_new();
        g_object_ref_sink(page);
        gtk_widget_add_events(page, GDK_BUTTON_PRESS_MASK);
        g_signal_connect(page, "draw", G_CALLBACK(paintWhite), nullptr);
        g_signal_connect(page, "button-press-event", G_CALLBACK(countClick), &pageClicks);
        host = std::make_shared<PageHost>(page);
        window = std::make_shared<Window>(makeRect(0, 0, 400, 300));
        window->setRootViewController(host);
        window->makeKeyAndVisible();
        GtkPresenter::processPendingEvents();
        toplevel = presenter->widgetForWindow(*window);
        ASSERT_NE(toplevel, nullptr);
        ASSERT_TRUE(test::focusWindow(toplevel));
    }
    void TearDown() override
    {
        if (window)
            window->close();
        presenter.reset();
        GtkPresenter::processPendingEvents();
        if (page)
            g_object_unref(page);
    }

    // A point of the page view, in the window's picture and on the screen.
    Point inWindow(Point point) { return test::pagePointInWindow(toplevel, page, point); }
    Point onScreen(Point point) { return test::pagePointOnScreen(toplevel, page, point); }
    unsigned pixel(Point point, const char* name) { return test::pagePixel(toplevel, page, point, name); }
    unsigned pixelBecomes(Point point, unsigned expected, const char* name)
    {
        return test::pagePixelBecomes(toplevel, page, point, expected, name);
    }
    bool pointer(const std::string& action, Point point)
    {
        Point at = onScreen(point);
        bool done = test::runXdotool({"mousemove", "--sync", std::to_string(int(at.x)), std::to_string(int(at.y)), action, "1"});
        GtkPresenter::processPendingEvents();
        return done;
    }
    bool release()
    {
        bool done = test::runXdotool({"mouseup", "1"});
        GtkPresenter::processPendingEvents();
        return done;
    }
    bool dragTo(Point point)
    {
        Point at = onScreen(point);
        bool done = test::runXdotool({"mousemove", "--sync", std::to_string(int(at.x)), std::to_string(int(at.y))});
        GtkPresenter::processPendingEvents();
        return done;
    }

    // The pointer's events come from another client, xdotool: they may reach
    // the window a little after it exits.
    static bool arrives(const std::function<bool()>& done)
    {
        return RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return done();
            },
            10);
    }

    std::unique_ptr<GtkPresenter> presenter;
    GtkWidget* page = nullptr;
    int pageClicks = 0;
    std::shared_ptr<PageHost> host;
    std::shared_ptr<Window> window;
    GtkWidget* toplevel = nullptr;
};

TEST_F(GtkViewOverlayTest, aPlainViewOnThePageIsDrawnOverItAndTakesThePointerWhileTheRestReachesThePage)
{
    ASSERT_NE(GtkViewOverlay::layerFor(*host->pageView), nullptr);
    auto marker = std::make_shared<TouchRecorder>(makeRect(50, 60, 100, 80));
    marker->setBackgroundColor(Color::colorWithRed(1, 0, 0));
    host->pageView->addSubview(marker);
    EXPECT_EQ(pixelBecomes({100, 100}, 0xFF0000u, "overlay-marker"), 0xFF0000u) << "drawn over the page";
    EXPECT_EQ(pixelBecomes({300, 250}, 0xFFFFFFu, "overlay-marker-page"), 0xFFFFFFu);

    ASSERT_TRUE(pointer("mousedown", {60, 70}));
    ASSERT_TRUE(dragTo({90, 100}));
    ASSERT_TRUE(release());
    ASSERT_TRUE(arrives([&] { return marker->ended == 1; })) << "the release reaches the view";
    ASSERT_EQ(marker->began.size(), 1u);
    EXPECT_EQ(marker->began[0], (Point{10, 10})) << "in the view's own coordinates";
    ASSERT_FALSE(marker->moved.empty());
    EXPECT_EQ(marker->moved.back(), (Point{40, 40}));
    EXPECT_EQ(marker->ended, 1);
    EXPECT_EQ(pageClicks, 0) << "the page does not hear a press on the view";

    ASSERT_TRUE(pointer("click", {300, 250}));
    arrives([&] { return pageClicks == 1; });
    EXPECT_EQ(pageClicks, 1) << "beside the view the pointer reaches the page";
    EXPECT_EQ(marker->began.size(), 1u);

    // The model moves the view, then takes it away: the page shows again.
    marker->setFrame(makeRect(200, 150, 60, 60));
    EXPECT_EQ(pixelBecomes({230, 180}, 0xFF0000u, "overlay-moved"), 0xFF0000u);
    EXPECT_EQ(pixelBecomes({100, 100}, 0xFFFFFFu, "overlay-moved-page"), 0xFFFFFFu);
    marker->removeFromSuperview();
    EXPECT_EQ(pixelBecomes({230, 180}, 0xFFFFFFu, "overlay-removed"), 0xFFFFFFu);
    ASSERT_TRUE(pointer("click", {230, 180}));
    arrives([&] { return pageClicks == 2; });
    EXPECT_EQ(pageClicks, 2);
}

TEST_F(GtkViewOverlayTest, aPictureFrameOnThePageIsResizedByItsCornerAndMovedByItsMiddleWithThePointer)
{
    auto frame = UserResizableView::make(UserResizableView::frameForContent(makeRect(100, 80, 120, 60)));
    std::vector<Rect> resized;
    std::vector<Point> moved;
    int ends = 0;
    frame->setDelegate(UserResizableView::Delegate{
        .didTranslate = [&](UserResizableView& view) { moved.push_back(view.frame().origin); },
        .didMoveEditing = [&](UserResizableView& view) { resized.push_back(view.frame()); },
        .didEndEditing = [&](UserResizableView&) { ++ends; },
    });
    frame->contentView()->setBackgroundColor(Color::colorWithRed(0, 0, 1));
    host->pageView->addSubview(frame);
    frame->showEditingHandles();
    EXPECT_EQ(pixelBecomes({160, 110}, 0x0000FFu, "frame-picture"), 0x0000FFu) << "the frame's picture over the page";
    Rect handle = frame->convertRectToView(frame->handleRects().front(), host->pageView.get());
    EXPECT_EQ(pixelBecomes({handle.midX(), handle.midY()}, 0xFFFFFFu, "frame-handle"), 0xFFFFFFu) << "the handle's face";
    unsigned line = pixel({99, 110}, "frame-line");
    EXPECT_GT(line & 0xFF, ((line >> 16) & 0xFF) + 60) << "a blue line around the picture: " << std::hex << line;

    // The corner handle is dragged 40 points right and 30 down.
    ASSERT_TRUE(pointer("mousedown", {handle.midX(), handle.midY()}));
    ASSERT_TRUE(dragTo({handle.midX() + 40, handle.midY() + 30}));
    ASSERT_TRUE(release());
    ASSERT_TRUE(arrives([&] { return ends == 1; })) << "the release reaches the frame";
    ASSERT_FALSE(resized.empty());
    EXPECT_EQ(UserResizableView::contentForFrame(frame->frame()), makeRect(100, 80, 160, 90));
    EXPECT_EQ(frame->contentView()->frame().size, (Size{160, 90}));
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(pixelBecomes({250, 160}, 0x0000FFu, "frame-resized"), 0x0000FFu) << "drawn at its new size";

    // A drag in the middle moves it.
    ASSERT_TRUE(pointer("mousedown", {150, 120}));
    ASSERT_TRUE(dragTo({170, 100}));
    ASSERT_TRUE(release());
    arrives([&] { return UserResizableView::contentForFrame(frame->frame()).origin == Point{120, 60}; });
    ASSERT_FALSE(moved.empty());
    EXPECT_EQ(UserResizableView::contentForFrame(frame->frame()).origin, (Point{120, 60}));

    // Without its handles the frame stays put.
    frame->hideEditingHandles();
    ASSERT_TRUE(pointer("mousedown", {150, 100}));
    ASSERT_TRUE(dragTo({190, 140}));
    ASSERT_TRUE(release());
    EXPECT_EQ(UserResizableView::contentForFrame(frame->frame()).origin, (Point{120, 60}));
    frame->removeFromSuperview();
}

// The views a container floats over its page (an exit button, divider
// lines, page buttons) are laid over it as the page's own are: drawn at
// their places in the room the window gives the page, also after a resize,
// taking the pointer where they are and leaving it to the page elsewhere.
TEST_F(GtkViewOverlayTest, aContainersFloatingViewsAreDrawnOverThePageAtTheirPlacesAndFollowAResize)
{
    // A window of its own, which shows the container from the start.
    window->close();
    GtkPresenter::processPendingEvents();
    auto editor = std::make_shared<ContainerHost>(page);
    window = std::make_shared<Window>(makeRect(0, 0, 400, 340));
    window->setRootViewController(editor);
    window->makeKeyAndVisible();
    GtkPresenter::processPendingEvents();
    toplevel = presenter->widgetForWindow(*window);
    ASSERT_NE(toplevel, nullptr);
    ASSERT_TRUE(test::focusWindow(toplevel));
    auto corner = std::make_shared<TouchRecorder>(makeRect(0, 0, 40, 30));
    corner->setBackgroundColor(Color::colorWithRed(1, 0, 0));
    auto line = std::make_shared<View>(makeRect(0, 0, 0, 4));
    line->setBackgroundColor(Color::colorWithRed(0, 1, 0));
    using Alignment = BarContainerView::Alignment;
    editor->container->addFloatingView(corner, {Alignment::End, Alignment::End, {10, 10}});
    editor->container->addFloatingView(line, {Alignment::Fill, Alignment::Start, {0, 50}});
    editor->container->reloadBars();
    GtkPresenter::processPendingEvents();
    auto room = [&] { return Size{double(gtk_widget_get_allocated_width(page)), double(gtk_widget_get_allocated_height(page))}; };
    ASSERT_TRUE(arrives([&] { return room().width > 100 && room().height > 100; }));
    Size size = room();

    Point inCorner{size.width - 10 - 20, size.height - 10 - 15};
    EXPECT_EQ(pixelBecomes(inCorner, 0xFF0000u, "floating-corner"), 0xFF0000u) << "at the room's lower right corner";
    EXPECT_EQ(pixel({size.width - 5, size.height - 5}, "floating-corner"), 0xFFFFFFu) << "kept its inset from the edges";
    EXPECT_EQ(pixel({3, 51}, "floating-corner"), 0x00FF00u) << "the line runs from the room's left edge";
    EXPECT_EQ(pixel({size.width - 3, 51}, "floating-corner"), 0x00FF00u) << "to its right edge";
    EXPECT_EQ(pixel({size.width / 2, 60}, "floating-corner"), 0xFFFFFFu);

    ASSERT_TRUE(pointer("mousedown", inCorner));
    ASSERT_TRUE(release());
    ASSERT_TRUE(arrives([&] { return corner->ended == 1; })) << "the press reaches the floating view";
    ASSERT_EQ(corner->began.size(), 1u);
    EXPECT_NEAR(corner->began[0].x, 20, 1) << "in its own coordinates";
    EXPECT_NEAR(corner->began[0].y, 15, 1);
    EXPECT_EQ(pageClicks, 0);
    ASSERT_TRUE(pointer("click", {size.width / 2, size.height / 2}));
    arrives([&] { return pageClicks == 1; });
    EXPECT_EQ(pageClicks, 1) << "beside the floating views the pointer reaches the page";

    // The window grows: the corner view goes with the room's corner.
    gtk_window_resize(GTK_WINDOW(toplevel), int(size.width) + 120, int(size.height) + 80);
    ASSERT_TRUE(arrives([&] { return room().width >= size.width + 100; })) << "the window was not resized";
    Size grown = room();
    Point movedCorner{grown.width - 10 - 20, grown.height - 10 - 15};
    EXPECT_EQ(pixelBecomes(movedCorner, 0xFF0000u, "floating-corner-resized"), 0xFF0000u);
    EXPECT_EQ(pixel(inCorner, "floating-corner-resized"), 0xFFFFFFu) << "it left its old place";
    EXPECT_EQ(pixel({grown.width - 3, 51}, "floating-corner-resized"), 0x00FF00u) << "the line stretched with the room";

    // Taken away, it is gone from the screen too.
    editor->container->removeFloatingView(*corner);
    EXPECT_EQ(pixelBecomes(movedCorner, 0xFFFFFFu, "floating-corner-removed"), 0xFFFFFFu);
}

} // namespace
} // namespace folio
