#include "shell/AppController.h"

#include "platform/docframework/DKDocument.h"
#include "platform/docframework/DKDocumentPicker.h"
#include "platform/docframework/DKDocumentPreview.h"
#include "platform/docframework/DKWebViewController.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/docframework/ODSScopeViewController.h"
#include "platform/docframework/ReaderDocument.h"
#include "platform/docframework/ReaderViewController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "platform/web/WebView.h"
#include "platform/ui/Window.h"
#include "support/DocumentTestSupport.h"
#include "support/LoopbackServer.h"
#include "platform/foundation/Deflate.h"
#include "support/WindowTestDisplay.h"

#include <cairo-pdf.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace folio {
namespace {

using namespace testing_support;

class DesktopWindowsWebTest : public testing::Test {
protected:
    void SetUp() override
    {
        // Pictured from the screen: a display of its own keeps other tests' windows off it.
        test::usePrivateDisplay();
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(*created);
    }

    // Opens the file in its window; the page that shows it, or null.
    std::shared_ptr<DKWebViewController> openPage(const std::string& path)
    {
        std::optional<Status> opened;
        app.openFileItem(std::make_shared<ODSFileItem>(path, nullptr), [&](Status status) { opened = status; });
        if (!RunLoop::main().runUntil([&] { return opened.has_value(); }, 60) || !*opened) {
            ADD_FAILURE() << (opened ? opened->error().message : "not opened in time");
            return nullptr;
        }
        auto page = std::dynamic_pointer_cast<DKWebViewController>(
            app.document()->viewControllerToPresent()->topViewController());
        return page && page->webView() ? page : nullptr;
    }

    // The page's text once it shows `expected`, or what it shows when it never does.
    static std::string shownText(DKWebViewController& page, const std::string& expected)
    {
        std::string shown;
        RunLoop::main().runUntil([&] {
            shown = page.webView()->isLoading() ? "" : page.webView()->stringByEvaluatingJavaScript("document.body.innerText");
            return shown.find(expected) != std::string::npos;
        }, 60);
        return shown;
    }

    ScratchFolder folder{"desktop-windows-web"};
    std::unique_ptr<GtkPresenter> presenter;
    AppController app;
};

TEST_F(DesktopWindowsWebTest, anRTFDocumentOpensInItsWindowShowingItsTextAndClosesUntouched)
{
    std::string rtf = folder.path("Lantern.rtf");
    std::string bytes = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs32 Amber lantern by the copper kettle\\par}";
    writeFile(rtf, bytes);
    auto page = openPage(rtf);
    ASSERT_TRUE(page);
    ASSERT_TRUE(app.documentWindow());
    std::string shown = shownText(*page, "Amber lantern");
    EXPECT_NE(shown.find("Amber lantern by the copper kettle"), std::string::npos) << shown;
    GtkWidget* toplevel = presenter->widgetForWindow(*app.documentWindow());
    ASSERT_TRUE(toplevel);
    // The window draws the text where the page lays it out: dark letters in
    // the box of its first line, on a light page.
    GtkWidget* pageWidget = static_cast<GtkWidget*>(page->webView()->nativeWidget());
    ASSERT_TRUE(pageWidget);
    auto textIsDrawn = [&] {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        std::string box = page->webView()->stringByEvaluatingJavaScript(
            "(function(){var r=document.createRange();r.selectNodeContents(document.body);"
            "var b=[].filter.call(r.getClientRects(),function(q){return q.width>1&&q.height>1;})[0];"
            "return b?[b.left,b.top,b.width,b.height].map(Math.round).join(' '):'';})()");
        if (std::sscanf(box.c_str(), "%d %d %d %d", &left, &top, &width, &height) != 4)
            return false;
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("rtf-document"));
        if (!shot)
            return false;
        int x = 0;
        int y = 0;
        gtk_widget_translate_coordinates(pageWidget, toplevel, left, top, &x, &y);
        auto lightness = [&](int column, int row) {
            unsigned pixel = test::pixelAt(shot, column, row);
            return int((pixel >> 16) & 0xFF) + int((pixel >> 8) & 0xFF) + int(pixel & 0xFF);
        };
        int dark = 0;
        int light = 0;
        for (int row = y; row < y + height && row < gdk_pixbuf_get_height(shot); ++row) {
            for (int column = x; column < x + width && column < gdk_pixbuf_get_width(shot); ++column) {
                dark += lightness(column, row) < 3 * 0x60;
                light += lightness(column, row) > 3 * 0xE0;
            }
        }
        g_object_unref(shot);
        // Letters are strokes: some of the box is ink, most of it page.
        return dark > width && light > dark;
    };
    EXPECT_TRUE(RunLoop::main().runUntil(textIsDrawn, 60)) << "the text is not drawn where the page lays it out";

    std::optional<Status> closed;
    app.closeDocument([&](Status status) { closed = status; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed.has_value(); }, 60));
    EXPECT_TRUE(*closed);
    EXPECT_EQ(app.documentWindow(), nullptr);
    EXPECT_EQ(readFile(rtf), bytes);
    // The page as it was shown is the file's picture in the browser.
    Image::Pointer preview = DKDocumentPreview::cachedPreviewForFileItem(ODSFileItem(rtf, nullptr));
    ASSERT_TRUE(preview);
    EXPECT_GT(preview->pixelWidth(), 100);
}

// A QV document shown read-only is a page of the document's own: its
// scripts, remote pictures, style sheets and refreshes reach nobody.
TEST_F(DesktopWindowsWebTest, aHostileQVDocumentShownReadOnlyReachesNoServer)
{
    LoopbackServer server;
    ASSERT_TRUE(server.isListening());
    std::string remote = server.url("");
    std::string html = "<p>Visible words</p><script>fetch('" + remote + "/script')</script>"
        + "<img src=\"" + remote + "/img.png\"><link rel=\"stylesheet\" href=\"" + remote + "/sheet.css\">"
        + "<meta http-equiv=\"refresh\" content=\"0;url=" + remote + "/refresh\">"
        + "<img src=\"missing.png\" onerror=\"fetch('" + remote + "/onerror')\">";
    auto compressed = Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
    ASSERT_TRUE(compressed.ok());
    std::string path = folder.path("Hostile.qvtext");
    writeFile(path, std::string_view(reinterpret_cast<const char*>(compressed->bytes()), compressed->length()));
    auto page = openPage(path);
    ASSERT_TRUE(page);
    std::string shown = shownText(*page, "Visible words");
    EXPECT_NE(shown.find("Visible words"), std::string::npos) << shown;
    // The page has loaded, its pictures and style sheets with it; what it
    // holds names the server nowhere, so nothing of it can reach the server
    // later (a refresh, a handler, a script).
    std::string markup = page->webView()->stringByEvaluatingJavaScript("document.documentElement.outerHTML");
    EXPECT_EQ(markup.find(remote), std::string::npos) << markup;
    EXPECT_EQ(markup.find("127.0.0.1"), std::string::npos) << markup;
    EXPECT_EQ(server.connectionCount(), 0);
    std::optional<Status> closed;
    app.closeDocument([&](Status status) { closed = status; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed.has_value(); }, 60));
}

// Page one: a black square on white; page two: all red.
void writeTwoPagePDF(const std::string& pdf)
{
    cairo_surface_t* surface = cairo_pdf_surface_create(pdf.c_str(), 200, 200);
    cairo_t* cairo = cairo_create(surface);
    cairo_set_source_rgb(cairo, 0, 0, 0);
    cairo_rectangle(cairo, 50, 50, 100, 100);
    cairo_fill(cairo);
    cairo_show_page(cairo);
    cairo_set_source_rgb(cairo, 1, 0, 0);
    cairo_paint(cairo);
    cairo_show_page(cairo);
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
}

TEST_F(DesktopWindowsWebTest, aPDFTheBrowserListsOpensInTheReaderAndLeavesThePageItShowedAsItsPicture)
{
    std::string pdf = folder.path("Made-Copy.pdf");
    writeTwoPagePDF(pdf);
    auto picker = std::make_shared<DKDocumentPicker>(std::make_shared<ODSLocalDirectoryScope>(folder.root().string()));
    auto window = std::make_shared<Window>(Rect{{0, 0}, {600, 500}});
    window->setRootViewController(picker);
    window->makeKeyAndVisible();
    app.setCurrentWindow(window.get());
    app.setCurrentDocumentPicker(picker.get());
    std::shared_ptr<ODSFileItem> item = picker->selectedScopeViewController().itemWithFileURL(pdf);
    ASSERT_TRUE(item);
    // The browser pictures the file by its first page before it is ever opened.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return ODSScopeViewController::previewForItem(*item) != nullptr; }, 30));
    Image::Pointer before = ODSScopeViewController::previewForItem(*item);
    EXPECT_EQ(before->pixelAt(before->pixelWidth() / 2, before->pixelHeight() / 2).r, 0);

    picker->openItem(item);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return app.readerViewController() != nullptr; }, 20))
        << "the PDF did not open in the reader";
    std::shared_ptr<ReaderViewController> reader = app.readerViewController();
    EXPECT_FALSE(app.document()) << "the PDF was read as a document";
    EXPECT_EQ(reader->document()->pageCount(), 2u);
    EXPECT_EQ(reader->currentPage(), 0u);

    // Leaving the reader on the red page makes that page the file's picture.
    ASSERT_TRUE(reader->nextPage());
    reader->dismiss();
    ASSERT_TRUE(RunLoop::main().runUntil([&] {
        Image::Pointer after = ODSScopeViewController::previewForItem(*item);
        return after && after->pixelAt(after->pixelWidth() / 2, after->pixelHeight() / 2).r == 255
               && after->pixelAt(after->pixelWidth() / 2, after->pixelHeight() / 2).g == 0;
    }, 20)) << "the page the reader showed is not the file's picture";
    EXPECT_FALSE(app.readerViewController());
    app.setCurrentDocumentPicker(nullptr);
    app.setCurrentWindow(nullptr);
    window->close();
}

TEST_F(DesktopWindowsWebTest, thePDFReaderShowsPageOneAndPagesOnUntilDismissed)
{
    std::string pdf = folder.path("Pages.pdf");
    writeTwoPagePDF(pdf);

    auto browser = std::make_shared<ViewController>();
    auto window = std::make_shared<Window>(Rect{{0, 0}, {600, 500}});
    window->setRootViewController(browser);
    window->makeKeyAndVisible();
    app.setCurrentWindow(window.get());
    ASSERT_TRUE(app.presentPDFReader(pdf));
    std::shared_ptr<ReaderViewController> reader = app.readerViewController();
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->currentPage(), 0u);
    EXPECT_EQ(reader->document()->pageCount(), 2u);

    GtkWidget* toplevel = presenter->widgetForController(*reader->parentViewController());
    ASSERT_TRUE(toplevel);
    RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(toplevel); }, 20);
    auto pagePixelOnScreen = [&](double x, double y) -> std::optional<unsigned> {
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("pdf-reader-page-" + std::to_string(reader->currentPage() + 1)));
        std::vector<GtkWidget*> images = test::descendants(toplevel, GTK_TYPE_IMAGE);
        std::optional<unsigned> pixel;
        for (GtkWidget* image : images) {
            if (gtk_image_get_storage_type(GTK_IMAGE(image)) != GTK_IMAGE_SURFACE)
                continue;
            int left = 0;
            int top = 0;
            gtk_widget_translate_coordinates(image, toplevel, 0, 0, &left, &top);
            if (shot)
                pixel = test::pixelAt(shot, left + int(x), top + int(y));
        }
        if (shot)
            g_object_unref(shot);
        return pixel;
    };
    // The square's middle is black and the margin white, on the model's
    // picture and on screen alike.
    Image::Pointer page = reader->pageView()->image();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->pixelAt(100, 100).r, 0);
    EXPECT_EQ(page->pixelAt(10, 10).r, 255);
    // The display draws on its own time; each probe waits a bounded while for it.
    auto showsOnScreen = [&](double x, double y, unsigned colour) {
        return RunLoop::main().runUntil([&] { return pagePixelOnScreen(x, y) == colour; }, 20);
    };
    EXPECT_TRUE(showsOnScreen(100, 100, 0x000000u));
    EXPECT_TRUE(showsOnScreen(10, 10, 0xFFFFFFu));

    ASSERT_TRUE(reader->nextPage());
    EXPECT_FALSE(reader->nextPage());
    EXPECT_TRUE(showsOnScreen(10, 10, 0xFF0000u));
    ASSERT_TRUE(reader->zoomIn());
    EXPECT_GT(reader->pageView()->image()->pixelWidth(), 200);

    reader->dismiss();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !app.readerViewController(); }, 20));
    EXPECT_EQ(browser->presentedViewController(), nullptr);
    app.setCurrentWindow(nullptr);
    window->close();
}

} // namespace
} // namespace folio
