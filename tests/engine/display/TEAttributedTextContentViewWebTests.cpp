// The content view shown in a real GTK window through the presenter.
#include "engine/display/TEAttributedTextContentView.h"
#include "engine/display/TELayoutLine.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "support/WindowTestDisplay.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

TEST(TEAttributedTextContentViewWindowTest, theTextIsDrawnInTheWindowWhereItIsLaidOut)
{
    auto created = GtkPresenter::create();
    if (!created)
        return test::noDisplayForWindowTest(created.error().message);
    std::unique_ptr<GtkPresenter> presenter = std::move(created.value());
    std::optional<Font> font = Font::fontWithName("DejaVu Sans", 48);
    ASSERT_TRUE(font);
    auto text = std::make_shared<const AttributedString>(
        u"IIII", AttributeDictionary::make({{std::string(kCTFontAttributeName), FontAttributeValue::make(*font)},
                                            {std::string(kCTForegroundColorAttributeName),
                                             ColorValue::make(Color::colorWithRed(0, 0, 1))}}));
    auto controller = std::make_shared<ViewController>();
    auto root = std::make_shared<View>(makeRect(0, 0, 300, 200));
    root->setBackgroundColor(Color::colorWithWhite(1));
    auto content = std::make_shared<TEAttributedTextContentView>(makeRect(0, 0, 300, 200));
    content->setAttributedString(text);
    root->addSubview(content);
    controller->setView(root);
    auto window = std::make_shared<Window>(makeRect(0, 0, 300, 200));
    window->setRootViewController(controller);
    window->makeKeyAndVisible();
    GtkPresenter::processPendingEvents();

    GtkWidget* toplevel = presenter->widgetForWindow(*window);
    ASSERT_TRUE(toplevel);
    gtk_container_check_resize(GTK_CONTAINER(toplevel));
    GtkPresenter::processPendingEvents();
    int width = gtk_widget_get_allocated_width(toplevel), height = gtk_widget_get_allocated_height(toplevel);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(toplevel, cr);
    cairo_destroy(cr);
    std::filesystem::create_directories(std::string(FOLIO_BINARY_DIR) + "/screenshots");
    cairo_surface_write_to_png(surface, (std::string(FOLIO_BINARY_DIR) + "/screenshots/attributed-text.png").c_str());

    // Where the first "I" has ink, the window shows blue; far right of the text, none.
    auto frame = content->layoutFrame();
    ASSERT_TRUE(frame);
    Rect ink = frame->lines().front()->imageBounds();
    Point probe = content->convertPointToView(Point{ink.minX() + 3, ink.midY()}, nullptr);
    int blueCount = 0;
    // The window's own decorations may offset the content: look around the probe.
    cairo_surface_flush(surface);
    for (int dy = -40; dy <= 40; ++dy)
        for (int dx = -40; dx <= 40; ++dx) {
            int x = static_cast<int>(probe.x) + dx, y = static_cast<int>(probe.y) + dy;
            if (x < 0 || y < 0 || x >= width || y >= height)
                continue;
            std::uint32_t pixel = reinterpret_cast<const std::uint32_t*>(
                cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface))[x];
            if ((pixel & 0xFFFFFF) == 0x0000FF)
                ++blueCount;
        }
    cairo_surface_destroy(surface);
    EXPECT_GT(blueCount, 50);
    window->close();
    presenter.reset();
    GtkPresenter::processPendingEvents();
}

} // namespace
} // namespace folio
