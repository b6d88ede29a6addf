// The attributed text views shown in a real GTK window through the presenter.
#include "engine/attachments/TEDictationPlaceholderTextAttachment.h"
#include "engine/display/TEAttributedTextCell.h"
#include "engine/display/TEAttributedTextView.h"
#include "engine/display/TEDictationPlaceholderView.h"
#include "engine/display/TELazyImageView.h"
#include "engine/display/TELinkButton.h"
#include "engine/model/TEEmbeddedObjectRunDelegate.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/MutableAttributedString.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDataSource.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "support/VirtualClock.h"
#include "support/WindowTestDisplay.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <functional>

namespace folio {
namespace {

class TEAttributedTextViewWindowTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (m_window)
            m_window->close();
        m_presenter.reset();
        GtkPresenter::processPendingEvents();
    }

    // Shows `view` alone in a 300 x 200 window; false when there is no display.
    bool show(const std::shared_ptr<View>& view)
    {
        auto created = GtkPresenter::create();
        if (!created) {
            test::noDisplayForWindowTest(created.error().message);
            return false;
        }
        m_presenter = std::move(created.value());
        auto controller = std::make_shared<ViewController>();
        auto root = std::make_shared<View>(makeRect(0, 0, 300, 200));
        root->setBackgroundColor(Color::colorWithWhite(1));
        root->addSubview(view);
        controller->setView(root);
        m_window = std::make_shared<Window>(makeRect(0, 0, 300, 200));
        m_window->setRootViewController(controller);
        m_window->makeKeyAndVisible();
        GtkPresenter::processPendingEvents();
        m_toplevel = m_presenter->widgetForWindow(*m_window);
        EXPECT_TRUE(m_toplevel);
        if (m_toplevel)
            gtk_container_check_resize(GTK_CONTAINER(m_toplevel));
        GtkPresenter::processPendingEvents();
        return m_toplevel != nullptr;
    }

    // The window as it draws now; the caller destroys it.
    cairo_surface_t* render()
    {
        GtkPresenter::processPendingEvents();
        gtk_container_check_resize(GTK_CONTAINER(m_toplevel));
        GtkPresenter::processPendingEvents();
        int width = gtk_widget_get_allocated_width(m_toplevel), height = gtk_widget_get_allocated_height(m_toplevel);
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        cairo_t* cr = cairo_create(surface);
        gtk_widget_draw(m_toplevel, cr);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        return surface;
    }

    static std::uint32_t pixel(cairo_surface_t* surface, int x, int y)
    {
        const auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface)
                                                                  + y * cairo_image_surface_get_stride(surface));
        return row[x] & 0xFFFFFF;
    }

    // How many pixels of the window are exactly `rgb`.
    int pixelsOfColour(std::uint32_t rgb)
    {
        cairo_surface_t* surface = render();
        int count = 0;
        for (int y = 0; y < cairo_image_surface_get_height(surface); ++y)
            for (int x = 0; x < cairo_image_surface_get_width(surface); ++x)
                count += pixel(surface, x, y) == rgb;
        cairo_surface_destroy(surface);
        return count;
    }

    // The colour the window shows at `point` of `view`.
    std::uint32_t colourAt(const View& view, Point point)
    {
        GtkWidget* widget = GtkViewBuilder::widgetForView(m_toplevel, view);
        EXPECT_TRUE(widget);
        int x = 0, y = 0;
        if (!widget || !gtk_widget_translate_coordinates(widget, m_toplevel, int(point.x), int(point.y), &x, &y))
            return 0;
        cairo_surface_t* surface = render();
        std::uint32_t colour = pixel(surface, x, y);
        cairo_surface_destroy(surface);
        return colour;
    }

    // How many pixels of the window's rectangle (x, y, width, height) on the
    // screen differ from `expected`, and how many of them lie in its top 40 rows.
    int differingPixelsOnScreen(cairo_surface_t* expected, int x, int y, int width, int height, int& atTop)
    {
        atTop = 0;
        GdkPixbuf* screen = gdk_pixbuf_get_from_window(gtk_widget_get_window(m_toplevel), x, y, width, height);
        if (!screen)
            return width * height;
        const guchar* pixels = gdk_pixbuf_read_pixels(screen);
        const int stride = gdk_pixbuf_get_rowstride(screen), channels = gdk_pixbuf_get_n_channels(screen);
        int differing = 0;
        for (int row = 0; row < height; ++row) {
            for (int column = 0; column < width; ++column) {
                const guchar* p = pixels + row * stride + column * channels;
                std::uint32_t seen = std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
                bool differs = seen != pixel(expected, column, row);
                differing += differs;
                atTop += differs && row < 40;
            }
        }
        g_object_unref(screen);
        return differing;
    }

    // A press or release of the first mouse button at (x, y) of `widget`.
    static void sendButtonEvent(GtkWidget* widget, GdkEventType type, double x, double y)
    {
        GdkEvent* event = gdk_event_new(type);
        event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
        GtkAllocation allocation;
        gtk_widget_get_allocation(widget, &allocation);
        bool ownWindow = gtk_widget_get_has_window(widget);
        event->button.x = x + (ownWindow ? 0 : allocation.x);
        event->button.y = y + (ownWindow ? 0 : allocation.y);
        event->button.button = 1;
        event->button.time = GDK_CURRENT_TIME;
        gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
        gtk_main_do_event(event);
        gdk_event_free(event);
        GtkPresenter::processPendingEvents();
    }

    static GtkScrolledWindow* scrolledWindowIn(GtkWidget* widget)
    {
        if (GTK_IS_SCROLLED_WINDOW(widget))
            return GTK_SCROLLED_WINDOW(widget);
        GtkScrolledWindow* found = nullptr;
        if (GTK_IS_CONTAINER(widget)) {
            GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
            for (GList* child = children; child && !found; child = child->next)
                found = scrolledWindowIn(GTK_WIDGET(child->data));
            g_list_free(children);
        }
        return found;
    }

    static AttributeDictionaryPtr text(const Color& colour, std::optional<std::string> link = std::nullopt)
    {
        std::optional<Font> font = Font::fontWithName("DejaVu Sans", 28);
        std::vector<AttributeDictionary::Entry> entries{
            {std::string(kCTFontAttributeName), FontAttributeValue::make(*font)},
            {std::string(kCTForegroundColorAttributeName), ColorValue::make(colour)}};
        if (link)
            entries.emplace_back(std::string(TELinkAttribute), URLValue::make(*link));
        return AttributeDictionary::make(entries);
    }

    std::unique_ptr<GtkPresenter> m_presenter;
    std::shared_ptr<Window> m_window;
    GtkWidget* m_toplevel = nullptr;
};

constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kRed = 0xFF0000;

TEST_F(TEAttributedTextViewWindowTest, aTextTallerThanTheViewScrollsToItsLastLine)
{
    auto string = std::make_shared<MutableAttributedString>();
    for (int i = 0; i < 30; ++i)
        string->appendAttributedString(AttributedString(u"IIII\n", text(Color::colorWithWhite(0))));
    string->appendAttributedString(AttributedString(u"IIII", text(Color::colorWithRed(0, 0, 1))));
    auto view = std::make_shared<TEAttributedTextView>(makeRect(0, 0, 300, 200));
    view->setAttributedString(std::make_shared<const AttributedString>(*string));
    if (!show(view))
        return;

    GtkScrolledWindow* scroller = scrolledWindowIn(m_toplevel);
    ASSERT_TRUE(scroller);
    GtkAdjustment* vertical = gtk_scrolled_window_get_vadjustment(scroller);
    EXPECT_GT(gtk_adjustment_get_upper(vertical), 3 * gtk_adjustment_get_page_size(vertical));
    EXPECT_EQ(pixelsOfColour(kBlue), 0);
    gtk_adjustment_set_value(vertical, gtk_adjustment_get_upper(vertical) - gtk_adjustment_get_page_size(vertical));
    EXPECT_GT(pixelsOfColour(kBlue), 50);
}

TEST_F(TEAttributedTextViewWindowTest, afterEveryScrollTheScreenShowsTheTextThatBelongsThere)
{
    // Every line differs, so a strip left blank or left from before the
    // scroll differs from the text drawn for that place.
    auto string = std::make_shared<MutableAttributedString>();
    for (int i = 0; i < 40; ++i) {
        std::string line = "Line " + std::to_string(i) + " " + std::string(std::size_t(i % 7), 'W') + "\n";
        string->appendAttributedString(
            AttributedString(std::u16string(line.begin(), line.end()), text(Color::colorWithWhite(0))));
    }
    auto view = std::make_shared<TEAttributedTextView>(makeRect(0, 0, 300, 200));
    view->setAttributedString(std::make_shared<const AttributedString>(*string));
    if (!show(view))
        return;
    GtkScrolledWindow* scroller = scrolledWindowIn(m_toplevel);
    ASSERT_TRUE(scroller);
    GtkAdjustment* vertical = gtk_scrolled_window_get_vadjustment(scroller);
    const int width = gtk_widget_get_allocated_width(GTK_WIDGET(scroller)) - 20;  // less the scrollbar
    const int height = gtk_widget_get_allocated_height(GTK_WIDGET(scroller));
    ASSERT_GT(height, 100);
    int left = 0, top = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(GTK_WIDGET(scroller), m_toplevel, 0, 0, &left, &top));

    for (double offset : {100.0, 137.0, 400.0, 390.0, 20.0, 0.0}) {
        gtk_adjustment_set_value(vertical, offset);
        // The text view drawn by itself for that place.
        cairo_surface_t* expected = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        cairo_t* cr = cairo_create(expected);
        cairo_rectangle(cr, 0, 0, width, height);
        cairo_clip(cr);
        cairo_translate(cr, 0, -offset);
        if (auto context = GraphicsContext::contextDrawingInto(cr))
            view->attributedTextContentView()->drawLayer(*context, view->attributedTextContentView()->bounds());
        cairo_destroy(cr);
        cairo_surface_flush(expected);
        // The screen as it stands, with only what the scroll exposed drawn anew.
        int differing = 0, differingAtTop = 0;
        RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                differing = differingPixelsOnScreen(expected, left, top, width, height, differingAtTop);
                return differing == 0;
            },
            5);
        cairo_surface_destroy(expected);
        EXPECT_EQ(differing, 0) << "scrolled to " << offset << ", of them in the top 40 rows: " << differingAtTop;
    }
}

TEST_F(TEAttributedTextViewWindowTest, theWindowDrawsWithoutLinksWhenAskedAndRunsTheDelegatesDrawingHooks)
{
    auto string = std::make_shared<MutableAttributedString>();
    string->appendAttributedString(AttributedString(u"IIII ", text(Color::colorWithRed(0, 1, 0))));
    string->appendAttributedString(AttributedString(u"IIII", text(Color::colorWithRed(0, 0, 1), "https://example.org/")));
    auto view = std::make_shared<TEAttributedTextView>(makeRect(0, 0, 300, 200));
    view->setAttributedString(std::make_shared<const AttributedString>(*string));
    auto delegate = std::make_shared<TEAttributedTextContentViewDelegate>();
    int before = 0;
    delegate->willDrawLayoutFrame = [&](TEAttributedTextContentView&, TELayoutFrame&, GraphicsContext&) { ++before; };
    delegate->didDrawLayoutFrame = [](TEAttributedTextContentView&, TELayoutFrame&, GraphicsContext& context) {
        context.setFillColor(Color::colorWithRed(1, 0, 0));
        context.fillRect(makeRect(220, 5, 20, 20));
    };
    view->setTextDelegate(delegate);
    view->setShouldDrawLinks(false);
    if (!show(view))
        return;

    EXPECT_GT(pixelsOfColour(kGreen), 50);
    EXPECT_EQ(pixelsOfColour(kBlue), 0);
    EXPECT_GE(pixelsOfColour(kRed), 400);
    EXPECT_GT(before, 0);

    // Drawn with links again once asked.
    view->setShouldDrawLinks(true);
    EXPECT_GT(pixelsOfColour(kBlue), 50);
}

TEST_F(TEAttributedTextViewWindowTest, linkButtonsShowNoFrameAtRestAndLightUpTogetherWhilePressed)
{
    // One link over two lines: a button for each line, sharing the link's identifier.
    MutableAttributedString string(u"Go to ", text(Color::colorWithWhite(0)));
    std::vector<AttributeDictionary::Entry> entries{
        {std::string(kCTFontAttributeName), FontAttributeValue::make(*Font::fontWithName("DejaVu Sans", 28))},
        {std::string(kCTForegroundColorAttributeName), ColorValue::make(Color::colorWithRed(0, 0, 1))},
        {std::string(TELinkAttribute), URLValue::make("https://example.org/")},
        {std::string(TEGUIDAttribute), StringValue::make(u"link-1")}};
    string.appendAttributedString(AttributedString(u"example\nplace", AttributeDictionary::make(entries)));
    auto view = std::make_shared<TEAttributedTextView>(makeRect(0, 0, 300, 200));
    view->setAttributedString(std::make_shared<const AttributedString>(string));
    std::vector<std::shared_ptr<TELinkButton>> buttons;
    int taps = 0;
    auto delegate = std::make_shared<TEAttributedTextContentViewDelegate>();
    delegate->viewForLink = [&](TEAttributedTextContentView&, const std::string&, const std::u16string& guid, Rect frame) {
        auto button = std::make_shared<TELinkButton>(frame);
        button->setGUID(guid);
        button->addAction(ControlEvent::TouchUpInside, [&](Control&) { ++taps; });
        buttons.push_back(button);
        return button;
    };
    view->setTextDelegate(delegate);
    if (!show(view))
        return;
    ASSERT_EQ(buttons.size(), 2u);
    TELinkButton& first = *buttons[0];
    TELinkButton& second = *buttons[1];
    // The top corners of each button's box, above the letters: where a
    // framed button draws its frame and its face.
    auto corners = [&](TELinkButton& button) {
        return std::vector<std::uint32_t>{colourAt(button, Point{1, 1}),
                                          colourAt(button, Point{button.bounds().width() - 2, 1})};
    };
    const std::uint32_t white = 0xFFFFFF;
    EXPECT_EQ(corners(first), (std::vector<std::uint32_t>{white, white}));
    EXPECT_EQ(corners(second), (std::vector<std::uint32_t>{white, white}));

    // Gray 0.73 at alpha 0.4 over white.
    const std::uint32_t lit = 0xE3E3E3;
    GtkWidget* widget = GtkViewBuilder::widgetForView(m_toplevel, first);
    ASSERT_TRUE(widget);
    sendButtonEvent(widget, GDK_BUTTON_PRESS, 10, 10);
    EXPECT_EQ(corners(first), (std::vector<std::uint32_t>{lit, lit}));
    EXPECT_EQ(corners(second), (std::vector<std::uint32_t>{lit, lit})) << "the link's other button lights up with it";
    EXPECT_EQ(taps, 0);

    sendButtonEvent(widget, GDK_BUTTON_RELEASE, 10, 10);
    EXPECT_EQ(corners(first), (std::vector<std::uint32_t>{white, white}));
    EXPECT_EQ(corners(second), (std::vector<std::uint32_t>{white, white}));
    EXPECT_EQ(taps, 1);
}

TEST_F(TEAttributedTextViewWindowTest, aScreenReaderIsToldOfTheNewElementsWhenTheTextChanges)
{
    auto view = std::make_shared<TEAttributedTextView>(makeRect(0, 0, 300, 200));
    view->setAttributedString(std::make_shared<const AttributedString>(u"Before", text(Color::colorWithWhite(0))));
    if (!show(view))
        return;
    GtkWidget* area = GtkViewBuilder::widgetForView(m_toplevel, *view->attributedTextContentView());
    ASSERT_TRUE(area);
    // The text view may be drawn through a container standing for it.
    while (area && !GTK_IS_DRAWING_AREA(area)) {
        GList* children = GTK_IS_CONTAINER(area) ? gtk_container_get_children(GTK_CONTAINER(area)) : nullptr;
        area = children ? GTK_WIDGET(children->data) : nullptr;
        g_list_free(children);
    }
    ASSERT_TRUE(area);
    AtkObject* accessible = gtk_widget_get_accessible(area);
    ASSERT_EQ(atk_object_get_n_accessible_children(accessible), 1);
    AtkObject* before = atk_object_ref_accessible_child(accessible, 0);
    EXPECT_STREQ(atk_object_get_name(before), "Before");
    g_object_unref(before);

    std::vector<std::string> added;
    gulong handler = g_signal_connect(accessible, "children-changed::add",
                                      G_CALLBACK(+[](AtkObject*, guint, gpointer child, gpointer names) {
                                          static_cast<std::vector<std::string>*>(names)->push_back(
                                              atk_object_get_name(ATK_OBJECT(child)));
                                      }),
                                      &added);
    MutableAttributedString after(u"Now ", text(Color::colorWithWhite(0)));
    after.appendAttributedString(AttributedString(u"after", text(Color::colorWithRed(0, 0, 1))));
    view->setAttributedString(std::make_shared<const AttributedString>(after));
    GtkPresenter::processPendingEvents();
    g_signal_handler_disconnect(accessible, handler);
    EXPECT_EQ(added, (std::vector<std::string>{"Now ", "after"}));
    EXPECT_EQ(atk_object_get_n_accessible_children(accessible), 2);
}

TEST_F(TEAttributedTextViewWindowTest, aDictationPlaceholderInTheTextPulsesOnItsOwnOnceShown)
{
    test::VirtualClockScope clock;
    auto attachment = std::make_shared<TEDictationPlaceholderTextAttachment>();
    MutableAttributedString string(u"a", text(Color::colorWithWhite(0)));
    std::vector<AttributeDictionary::Entry> entries{
        {std::string(NSAttachmentAttributeName), attachment},
        {std::string(kCTRunDelegateAttributeName), createEmbeddedObjectRunDelegate(attachment)}};
    string.appendAttributedString(AttributedString(u"\uFFFC", AttributeDictionary::make(entries)));
    auto content = std::make_shared<TEAttributedTextContentView>(makeRect(0, 0, 300, 200));
    content->setAttributedString(std::make_shared<const AttributedString>(string));
    if (!show(content))
        return;

    ASSERT_EQ(content->customViews().size(), 1u);
    auto placeholder = std::dynamic_pointer_cast<TEDictationPlaceholderView>(*content->customViews().begin());
    ASSERT_TRUE(placeholder);
    const std::uint32_t dark = 0xBF33BF, light = 0xEE80EE;
    // The centres of the first and second dots.
    const Point first{8, 9}, second{20.5, 9};
    EXPECT_EQ(colourAt(*placeholder, first), dark);
    EXPECT_EQ(colourAt(*placeholder, second), light);
    RunLoop::main().advanceVirtualClock(TEDictationPlaceholderView::kPhaseInterval);
    EXPECT_EQ(colourAt(*placeholder, first), light);
    EXPECT_EQ(colourAt(*placeholder, second), dark);
}

TEST_F(TEAttributedTextViewWindowTest, aLazyImageViewOnScreenShowsTheRowsOfAProgressiveDownloadAsTheyArrive)
{
    // Every pixel differs, so the file's bytes arrive in step with its rows.
    std::vector<std::uint8_t> pixels(16 * 64 * 4);
    std::uint32_t state = 99;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        state = state * 1103515245u + 12345u;
        pixels[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>(state >> 16);
    }
    Image::Pointer source = *Image::imageWithPixels(16, 64, std::move(pixels));
    std::vector<std::uint8_t> png = *source->pngData();
    auto rgbOf = [](Rgba8 pixel) { return std::uint32_t(pixel.r) << 16 | std::uint32_t(pixel.g) << 8 | pixel.b; };

    auto view = std::make_shared<TELazyImageView>(nullptr, makeRect(10, 10, 16, 64));
    view->setShouldShowProgressiveDownload(true);
    if (!show(view))
        return;
    EXPECT_EQ(colourAt(*view, Point{5, 63}), 0xFFFFFFu);
    view->didReceiveResponse("image/png", static_cast<std::int64_t>(png.size()));
    view->didReceiveData(std::vector<std::uint8_t>(png.begin(), png.begin() + std::ptrdiff_t(png.size() / 2)));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return view->image() != nullptr; }, 10));
    EXPECT_EQ(colourAt(*view, Point{5, 0}), rgbOf(source->pixelAt(5, 0)));
    EXPECT_EQ(colourAt(*view, Point{5, 63}), 0xFFFFFFu) << "the last row has not arrived";

    view->didReceiveData(std::vector<std::uint8_t>(png.begin() + std::ptrdiff_t(png.size() / 2), png.end()));
    view->didFinishLoading();
    EXPECT_EQ(colourAt(*view, Point{5, 63}), rgbOf(source->pixelAt(5, 63)));
}

class OneCellSource final : public TableViewDataSource {
public:
    explicit OneCellSource(std::shared_ptr<TableViewCell> cell) : m_cell(std::move(cell)) {}
    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return 1; }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView&, IndexPath) override { return m_cell; }

private:
    std::shared_ptr<TableViewCell> m_cell;
};

TEST_F(TEAttributedTextViewWindowTest, aTableCellShowsItsAttributedText)
{
    auto cell = std::make_shared<TEAttributedTextCell>("text");
    cell->setAttributedString(std::make_shared<const AttributedString>(u"IIII", text(Color::colorWithRed(0, 0, 1))));
    auto source = std::make_shared<OneCellSource>(cell);
    auto table = std::make_shared<TableView>(TableViewStyle::Plain, makeRect(0, 0, 300, 200));
    table->setDataSource(source);
    table->reloadData();
    if (!show(table))
        return;
    EXPECT_GT(pixelsOfColour(kBlue), 50);
}

} // namespace
} // namespace folio
