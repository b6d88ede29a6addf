#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/FontFace.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/text/MutableAttributedString.h"
#include "platform/text/TextAttributeNames.h"
#include "platform/text/TextStorage.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/TableViewController.h"
#include "platform/ui/TextView.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace folio {
namespace {

constexpr double kAppearanceWaitSeconds = 10;

std::shared_ptr<const Font> boldSans(double size)
{
    for (const char* family : {"Liberation Sans", "DejaVu Sans", "Arimo"}) {
        if (auto font = Font::fontMatching(family, kFontBoldTrait, size))
            return std::make_shared<const Font>(*font);
    }
    return nullptr;
}

// Where, inside a rectangle of a screenshot, pixels near a colour are drawn:
// how many, and how tall the band they cover is.
struct Ink {
    int count = 0;
    int height = 0;
};

Ink inkOf(GdkPixbuf* shot, const GdkRectangle& place, unsigned colour)
{
    Ink ink;
    int top = -1;
    int bottom = -1;
    for (int y = std::max(0, place.y); y < std::min(gdk_pixbuf_get_height(shot), place.y + place.height); ++y) {
        for (int x = std::max(0, place.x); x < std::min(gdk_pixbuf_get_width(shot), place.x + place.width); ++x) {
            unsigned pixel = test::pixelAt(shot, x, y);
            auto near = [](unsigned a, unsigned b, int shift) { return std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)) < 40; };
            if (near(pixel, colour, 16) && near(pixel, colour, 8) && near(pixel, colour, 0)) {
                ++ink.count;
                top = top < 0 ? y : top;
                bottom = y;
            }
        }
    }
    ink.height = top < 0 ? 0 : bottom - top + 1;
    return ink;
}

// A pane on black: two labels and two "A" buttons in a small and a large face.
class Pane : public ViewController {
public:
    std::shared_ptr<Label> small = std::make_shared<Label>(makeRect(10, 10, 150, 60));
    std::shared_ptr<Label> large = std::make_shared<Label>(makeRect(170, 10, 150, 60));
    std::shared_ptr<Button> decrease = std::make_shared<Button>(makeRect(10, 90, 50, 50));
    std::shared_ptr<Button> increase = std::make_shared<Button>(makeRect(80, 90, 50, 50));
    std::shared_ptr<View> paper = std::make_shared<View>(makeRect(10, 160, 120, 60));
    std::shared_ptr<Label> counter = std::make_shared<Label>(makeRect(10, 240, 80, 30));

protected:
    void loadView() override
    {
        auto root = std::make_shared<View>(makeRect(0, 0, 400, 300));
        root->setBackgroundColor(Color::colorWithWhite(0));
        for (const auto& label : {small, large}) {
            label->setText(u"HH");
            label->setTextColor(Color::colorWithWhite(1));
        }
        small->setFont(boldSans(14));
        large->setFont(boldSans(40));
        for (const auto& button : {decrease, increase}) {
            button->setTitle(u"A");
            button->setTitleColor(Color::colorWithRed(0, 0.47, 1, 1));
        }
        decrease->setTitleFont(boldSans(14));
        increase->setTitleFont(boldSans(32));
        paper->setBackgroundColor(Color::colorWithRed(1, 0, 0, 1));
        counter->setText(u"Words 3");
        counter->setBackgroundColor(Color::colorWithWhite(1));
        for (const auto& view : std::initializer_list<std::shared_ptr<View>>{small, large, decrease, increase, paper, counter})
            root->addSubview(view);
        setView(root);
    }
};

class GtkViewAppearanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(created.value());
        ASSERT_TRUE(boldSans(14)) << "no sans-serif face is installed";
    }
    void TearDown() override
    {
        if (window)
            window->close();
        presenter.reset();
        GtkPresenter::processPendingEvents();
    }
    void show(std::shared_ptr<ViewController> root)
    {
        window = std::make_shared<Window>(makeRect(0, 0, 420, 320));
        window->setRootViewController(std::move(root));
        window->makeKeyAndVisible();
        toplevel = presenter->widgetForWindow(*window);
        ASSERT_TRUE(toplevel);
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return gtk_widget_get_mapped(toplevel) && gtk_widget_get_allocated_width(toplevel) > 100;
            },
            kAppearanceWaitSeconds));
    }
    // The view's widget, once it is on screen with its size.
    GtkWidget* shown(const View& view)
    {
        GtkWidget* widget = nullptr;
        RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                widget = presenter->widgetForView(view);
                return widget && gtk_widget_get_mapped(widget) && gtk_widget_get_allocated_width(widget) > 1;
            },
            kAppearanceWaitSeconds);
        return widget;
    }
    // A screenshot once it shows what `drawn` looks for (GTK draws on its
    // next frame), or the last one taken when it never does.
    GdkPixbuf* screenshotShowing(const std::string& name, const std::function<bool(GdkPixbuf*)>& drawn)
    {
        GdkPixbuf* shot = nullptr;
        RunLoop::main().runUntil(
            [&] {
                if (shot)
                    g_object_unref(shot);
                shot = test::screenshotOfWindow(toplevel, test::screenshotPath(name));
                return shot && drawn(shot);
            },
            kAppearanceWaitSeconds);
        return shot;
    }
    GdkRectangle placeInWindow(GtkWidget* widget) const
    {
        GdkRectangle place{0, 0, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget)};
        gtk_widget_translate_coordinates(widget, toplevel, 0, 0, &place.x, &place.y);
        return place;
    }

    std::unique_ptr<GtkPresenter> presenter;
    std::shared_ptr<Window> window;
    GtkWidget* toplevel = nullptr;
};

// A label of two lines wraps within its frame rather than running on under
// whatever stands beside it.
TEST_F(GtkViewAppearanceTest, aTwoLineLabelWrapsWithinItsFrame)
{
    auto pane = std::make_shared<Pane>();
    pane->loadViewIfNeeded();
    auto title = std::make_shared<Label>(makeRect(200, 240, 120, 44));
    title->setText(u"Text background color");
    title->setNumberOfLines(2);
    pane->view()->addSubview(title);
    show(pane);
    GtkWidget* widget = shown(*title);
    ASSERT_TRUE(widget);
    EXPECT_EQ(pango_layout_get_line_count(gtk_label_get_layout(GTK_LABEL(widget))), 2);
    EXPECT_LE(gtk_widget_get_allocated_width(widget), 120);
}

TEST_F(GtkViewAppearanceTest, labelsAndButtonTitlesAreDrawnInTheirOwnFaceAndColour)
{
    auto pane = std::make_shared<Pane>();
    show(pane);
    GtkWidget* small = shown(*pane->small);
    GtkWidget* large = shown(*pane->large);
    GtkWidget* decrease = shown(*pane->decrease);
    GtkWidget* increase = shown(*pane->increase);
    ASSERT_TRUE(small && large && decrease && increase);

    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("label-and-button-faces"));
    ASSERT_TRUE(shot);
    // White text on the black pane, the large face well over twice as tall.
    Ink smallInk = inkOf(shot, placeInWindow(small), 0xFFFFFF);
    Ink largeInk = inkOf(shot, placeInWindow(large), 0xFFFFFF);
    EXPECT_GT(smallInk.count, 20);
    EXPECT_GT(largeInk.height, 2 * smallInk.height) << smallInk.height << " " << largeInk.height;
    // The blue "A"s: the large one is the larger.
    Ink decreaseInk = inkOf(shot, placeInWindow(decrease), 0x0078FF);
    Ink increaseInk = inkOf(shot, placeInWindow(increase), 0x0078FF);
    EXPECT_GT(decreaseInk.count, 10);
    EXPECT_GT(increaseInk.height, decreaseInk.height * 3 / 2) << decreaseInk.height << " " << increaseInk.height;
    g_object_unref(shot);

    // A colour set afterwards shows at once, with no rebuild of the pane.
    pane->small->setTextColor(Color::colorWithRed(0, 1, 0, 1));
    pane->decrease->setTitleColor(Color::colorWithRed(1, 0, 0, 1));
    shot = screenshotShowing("label-and-button-recoloured",
                             [&](GdkPixbuf* shown) { return inkOf(shown, placeInWindow(small), 0x00FF00).count > 0; });
    ASSERT_TRUE(shot);
    EXPECT_EQ(presenter->widgetForView(*pane->small), small);
    EXPECT_GT(inkOf(shot, placeInWindow(small), 0x00FF00).count, 20);
    EXPECT_EQ(inkOf(shot, placeInWindow(small), 0xFFFFFF).count, 0);
    EXPECT_GT(inkOf(shot, placeInWindow(decrease), 0xFF0000).count, 10);
    g_object_unref(shot);
}

TEST_F(GtkViewAppearanceTest, aShownViewsNewBackgroundAndFrameShowWithoutARebuild)
{
    auto pane = std::make_shared<Pane>();
    show(pane);
    GtkWidget* paper = shown(*pane->paper);
    GtkWidget* counter = shown(*pane->counter);
    ASSERT_TRUE(paper && counter);
    GdkRectangle before = placeInWindow(counter);

    pane->paper->setBackgroundColor(Color::colorWithRed(0, 0, 1, 1));
    pane->counter->setFrame(makeRect(250, 200, 120, 40));
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return gtk_widget_get_allocated_width(counter) == 120;
        },
        kAppearanceWaitSeconds));
    EXPECT_EQ(presenter->widgetForView(*pane->paper), paper);
    GdkRectangle after = placeInWindow(counter);
    EXPECT_EQ(after.x - before.x, 240);
    EXPECT_EQ(after.y - before.y, -40);
    EXPECT_EQ(after.height, 40);

    GdkRectangle paperPlace = placeInWindow(paper);
    GdkPixbuf* shot = screenshotShowing("new-paper-and-moved-counter", [&](GdkPixbuf* shown) {
        return test::pixelAt(shown, paperPlace.x + 60, paperPlace.y + 30) != 0xFF0000u;
    });
    ASSERT_TRUE(shot);
    EXPECT_EQ(test::pixelAt(shot, paperPlace.x + 60, paperPlace.y + 30), 0x0000FFu);
    // The counter's white box is where its frame now is, and gone from where it was.
    EXPECT_EQ(test::pixelAt(shot, after.x + 2, after.y + 2), 0xFFFFFFu);
    EXPECT_EQ(test::pixelAt(shot, before.x + 2, before.y + 2), 0x000000u);
    g_object_unref(shot);
}

// A row of narrow keys as the style bar lays them out: a size box between
// its step keys, each as wide as its frame.
class SizeKeys : public ViewController {
public:
    std::shared_ptr<Button> decrease = std::make_shared<Button>(makeRect(10, 10, 34, 36));
    std::shared_ptr<Button> size = std::make_shared<Button>(makeRect(48, 10, 34, 36));
    std::shared_ptr<Button> increase = std::make_shared<Button>(makeRect(86, 10, 34, 36));

protected:
    void loadView() override
    {
        auto root = std::make_shared<View>(makeRect(0, 0, 400, 300));
        decrease->setTitle(u"\u2212");
        size->setTitle(u"12");
        increase->setTitle(u"+");
        for (const auto& key : {decrease, size, increase})
            root->addSubview(key);
        setView(root);
    }
};

// A title that needs the key's side padding given up keeps that through a
// change to another title of the same width: the key stays inside its frame
// rather than spreading under the key beside it.
TEST_F(GtkViewAppearanceTest, aNarrowKeysNewTitleKeepsTheKeyInsideItsFrame)
{
    auto keys = std::make_shared<SizeKeys>();
    show(keys);
    GtkWidget* size = shown(*keys->size);
    GtkWidget* increase = shown(*keys->increase);
    ASSERT_TRUE(size && increase);
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(size));
    ASSERT_TRUE(label && GTK_IS_LABEL(label));
    EXPECT_EQ(gtk_widget_get_allocated_width(size), 34);

    for (const char16_t* title : {u"16", u"18", u"9", u"24"}) {
        keys->size->setTitle(title);
        std::string wanted = toUtf8(title);
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return wanted == gtk_label_get_text(GTK_LABEL(label));
            },
            kAppearanceWaitSeconds));
        // The style and size the key has once the window has drawn it again.
        GdkFrameClock* clock = gtk_widget_get_frame_clock(toplevel);
        ASSERT_TRUE(clock);
        gint64 frame = gdk_frame_clock_get_frame_counter(clock);
        gtk_widget_queue_draw(toplevel);
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return gdk_frame_clock_get_frame_counter(clock) > frame + 1;
            },
            kAppearanceWaitSeconds));
        GdkRectangle sizePlace = placeInWindow(size);
        GdkRectangle increasePlace = placeInWindow(increase);
        EXPECT_EQ(sizePlace.width, 34) << wanted;
        EXPECT_LE(sizePlace.x + sizePlace.width, increasePlace.x) << wanted;
        EXPECT_EQ(gtk_widget_get_tooltip_text(size), nullptr) << wanted << " is shown whole";
    }
}

// A text page, as the Markdown editor shows its text.
class Page : public ViewController {
public:
    std::shared_ptr<TextView> text = std::make_shared<TextView>(makeRect(0, 0, 400, 300));

protected:
    void loadView() override
    {
        text->setText(u"Paper");
        text->setBackgroundColor(Color::colorWithWhite(1));
        setView(text);
    }
};

TEST_F(GtkViewAppearanceTest, aTextViewsNewPaperColourIsPaintedUnderItsText)
{
    auto page = std::make_shared<Page>();
    show(NavigationController::withRootViewController(page));
    GtkWidget* widget = shown(*page->text);
    ASSERT_TRUE(widget);
    auto texts = test::descendants(widget, GTK_TYPE_TEXT_VIEW);
    ASSERT_EQ(texts.size(), 1u);

    page->text->setBackgroundColor(Color::colorWithRed(1, 1, 0, 1));
    GdkRectangle place = placeInWindow(texts[0]);
    GdkPixbuf* shot = screenshotShowing("text-view-new-paper", [&](GdkPixbuf* shown) {
        return test::pixelAt(shown, place.x + place.width / 2, place.y + place.height - 20) != 0xFFFFFFu;
    });
    ASSERT_TRUE(shot);
    EXPECT_EQ(test::pixelAt(shot, place.x + place.width / 2, place.y + place.height - 20), 0xFFFF00u);
    g_object_unref(shot);
}

// A line of more looks than GTK tags in good time (its tagging of one line
// grows with the square of their number; a 200 KB line of Markdown list marks
// never opened) shows whole and takes an edit, the start of it in its looks.
TEST_F(GtkViewAppearanceTest, aLineOfThousandsOfLooksShowsWholeAndTakesAnEdit)
{
    MutableAttributedString marks;
    AttributeDictionaryPtr teal =
        AttributeDictionary::make({{TextAttributeName::ForegroundColor, ColorValue::make(Color::colorWithRed(0, 0.5, 0.5))}});
    for (int mark = 0; mark < 5000; ++mark) {
        marks.appendString(u"-", teal);
        marks.appendString(u" ", AttributeDictionary::empty());
    }
    auto page = std::make_shared<Page>();
    page->loadViewIfNeeded();
    page->text->textStorage()->setAttributedString(marks);
    show(NavigationController::withRootViewController(page));
    GtkWidget* widget = shown(*page->text);
    ASSERT_TRUE(widget);
    auto texts = test::descendants(widget, GTK_TYPE_TEXT_VIEW);
    ASSERT_EQ(texts.size(), 1u);
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(texts[0]));
    EXPECT_EQ(gtk_text_buffer_get_char_count(buffer), 10000);
    GtkTextIter first;
    gtk_text_buffer_get_start_iter(buffer, &first);
    GSList* tags = gtk_text_iter_get_tags(&first);
    EXPECT_NE(tags, nullptr) << "the start of the line lost its look";
    g_slist_free(tags);

    page->text->textStorage()->replaceCharactersInRange(Range{0, 0}, std::u16string_view(u"Hello"));
    GtkPresenter::processPendingEvents();
    GtkTextIter start;
    GtkTextIter end;
    gtk_text_buffer_get_iter_at_offset(buffer, &start, 0);
    gtk_text_buffer_get_iter_at_offset(buffer, &end, 7);
    gchar* shownStart = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
    EXPECT_STREQ(shownStart, "Hello- ");
    g_free(shownStart);
}

// A list of colours, each row previewing its own face, colour and background,
// with a white check mark on the chosen one.
class ColourList : public TableViewController {
public:
    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return 2; }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView&, IndexPath path) override
    {
        auto cell = std::make_shared<TableViewCell>();
        cell->textLabel()->setText(path.row == 0 ? u"Yellow" : u"Black");
        cell->textLabel()->setFont(boldSans(path.row == 0 ? 12 : 30));
        cell->textLabel()->setBackgroundColor(path.row == 0 ? Color::colorWithRed(1, 1, 0, 1) : Color::colorWithWhite(0));
        cell->textLabel()->setTextColor(path.row == 0 ? Color::colorWithWhite(0) : Color::colorWithWhite(1));
        return cell;
    }
};

TEST_F(GtkViewAppearanceTest, tableRowsPreviewTheirTitlesFaceColourAndBackground)
{
    auto list = std::make_shared<ColourList>();
    show(list);
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return presenter->listBoxForTableView(*list->tableView())
                && test::labelTexts(presenter->listBoxForTableView(*list->tableView())).size() >= 2;
        },
        kAppearanceWaitSeconds));
    GtkWidget* listBox = presenter->listBoxForTableView(*list->tableView());
    std::vector<GtkWidget*> labels = test::descendants(listBox, GTK_TYPE_LABEL);
    ASSERT_EQ(labels.size(), 2u);
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("table-row-previews"));
    ASSERT_TRUE(shot);
    Ink yellow = inkOf(shot, placeInWindow(labels[0]), 0xFFFF00);
    Ink blackInk = inkOf(shot, placeInWindow(labels[0]), 0x000000);
    Ink whiteInk = inkOf(shot, placeInWindow(labels[1]), 0xFFFFFF);
    EXPECT_GT(yellow.count, 100);
    EXPECT_GT(blackInk.count, 10);
    EXPECT_GT(whiteInk.height, 2 * blackInk.height) << blackInk.height << " " << whiteInk.height;
    g_object_unref(shot);
}

// Laid-out text as the engine draws it: a tall drawn page in a scroll view
// that places a marker on the page only once the marker's line is in sight.
class DrawnPage : public View {
public:
    using View::View;
    bool drawsOwnContent() const override { return true; }
};

class LazyText : public ScrollView {
public:
    static constexpr double kMarkerY = 1500;
    std::shared_ptr<DrawnPage> page = std::make_shared<DrawnPage>(makeRect(0, 0, 380, 2000));
    std::shared_ptr<View> marker;

    explicit LazyText(Rect frame) : ScrollView(frame) { setContentSize(Size{380, 2000}); }

protected:
    void layoutSubviews() override
    {
        bool inSight = bounds().maxY() > kMarkerY && bounds().minY() < kMarkerY + 40;
        if (inSight && !marker) {
            marker = std::make_shared<View>(makeRect(20, kMarkerY, 120, 40));
            marker->setBackgroundColor(Color::colorWithRed(1, 0, 0, 1));
            page->addSubview(marker);
        } else if (!inSight && marker) {
            marker->removeFromSuperview();
            marker.reset();
        }
    }
};

class LazyTextController : public ViewController {
public:
    std::shared_ptr<LazyText> text = std::make_shared<LazyText>(makeRect(0, 0, 400, 300));

protected:
    void loadView() override
    {
        text->addSubview(text->page);
        setView(text);
    }
};

TEST_F(GtkViewAppearanceTest, scrollingLaidOutTextShowsTheViewsItPlacesForWhatComesIntoSight)
{
    auto controller = std::make_shared<LazyTextController>();
    show(controller);
    GtkWidget* widget = shown(*controller->text);
    ASSERT_TRUE(widget && GTK_IS_SCROLLED_WINDOW(widget));
    EXPECT_FALSE(controller->text->marker);

    GtkAdjustment* vertical = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(widget));
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return gtk_adjustment_get_upper(vertical) >= 2000;
        },
        kAppearanceWaitSeconds));
    gtk_adjustment_set_value(vertical, 1400);
    EXPECT_DOUBLE_EQ(controller->text->contentOffset().y, 1400);
    ASSERT_TRUE(controller->text->marker) << "the model was not told of the scrolling";
    GtkWidget* marker = shown(*controller->text->marker);
    ASSERT_TRUE(marker);
    // On screen where the text shows its line 1500, 100 points below the top.
    GdkRectangle place = placeInWindow(marker);
    GdkRectangle text = placeInWindow(widget);
    EXPECT_EQ(place.y - text.y, 100);
    GdkPixbuf* shot = screenshotShowing("laid-out-text-scrolled", [&](GdkPixbuf* pixels) {
        return test::pixelAt(pixels, place.x + 60, place.y + 20) == 0xFF0000u;
    });
    ASSERT_TRUE(shot);
    EXPECT_EQ(test::pixelAt(shot, place.x + 60, place.y + 20), 0xFF0000u);
    g_object_unref(shot);

    // Scrolled away, the model takes its marker off and the window follows.
    g_object_add_weak_pointer(G_OBJECT(marker), reinterpret_cast<gpointer*>(&marker));
    gtk_adjustment_set_value(vertical, 0);
    EXPECT_FALSE(controller->text->marker);
    EXPECT_EQ(marker, nullptr);
}

} // namespace
} // namespace folio
