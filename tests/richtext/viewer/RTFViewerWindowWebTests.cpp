#include "richtext/viewer/RTFTextView.h"
#include "richtext/viewer/RTFTextViewController.h"

#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkKeyEvents.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "support/DocumentTestSupport.h"
#include "webeditor/DocumentContentsZoomInspectorSlice.h"
#include "webeditor/EditorFlags.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::ScratchFolder;
using testing_support::writeFile;

class ViewerAppController : public DKDocumentAppController {
public:
    std::shared_ptr<DKDocument> makeDocumentForURL(const std::string& url) override
    {
        return std::make_shared<TextDocument>(url);
    }
};

// A table document opened as the application opens it, in a real window.
class RTFViewerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Pictured from the screen: a display of its own keeps other tests' windows off it.
        test::usePrivateDisplay();
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(*created);
        EditorFlags::shared().reset();
        EditorMakers::registerMaker(EditorKind::RTFViewer,
                                    [](TextDocument& document) { return RTFTextViewController::make(document); });
    }
    void TearDown() override
    {
        if (app.document()) {
            bool closed = false;
            app.closeDocument([&](Status) { closed = true; });
            RunLoop::main().runUntil([&] { return closed; }, 60);
        }
        EditorMakers::unregisterAll();
        EditorFlags::shared().reset();
        presenter.reset();
        GtkPresenter::processPendingEvents();
    }

    GtkWidget* toplevel() { return presenter->widgetForWindow(*app.documentWindow()); }
    GtkTextView* shownTextView()
    {
        auto views = test::descendants(toplevel(), GTK_TYPE_TEXT_VIEW);
        return views.size() == 1 ? GTK_TEXT_VIEW(views.front()) : nullptr;
    }
    static std::string bufferText(GtkTextView* view)
    {
        GtkTextIter start;
        GtkTextIter end;
        gtk_text_buffer_get_bounds(gtk_text_view_get_buffer(view), &start, &end);
        gchar* text = gtk_text_buffer_get_text(gtk_text_view_get_buffer(view), &start, &end, FALSE);
        std::string copy = text;
        g_free(text);
        return copy;
    }
    // Where the text's character `offset` is drawn, in the window.
    GdkRectangle characterInWindow(GtkTextView* view, int offset)
    {
        GtkTextIter at;
        gtk_text_buffer_get_iter_at_offset(gtk_text_view_get_buffer(view), &at, offset);
        GdkRectangle place;
        gtk_text_view_get_iter_location(view, &at, &place);
        int x = 0;
        int y = 0;
        gtk_text_view_buffer_to_window_coords(view, GTK_TEXT_WINDOW_WIDGET, place.x, place.y, &x, &y);
        int left = 0;
        int top = 0;
        gtk_widget_translate_coordinates(GTK_WIDGET(view), toplevel(), x, y, &left, &top);
        return GdkRectangle{left, top, place.width, place.height};
    }

    ScratchFolder folder{"rtf-viewer-window"};
    std::unique_ptr<GtkPresenter> presenter;
    ViewerAppController app;
};

TEST_F(RTFViewerWindowTest, aTableDocumentShowsItsWholeTextZoomsAndClosesUntouched)
{
    const std::string path = folder.path("Timetable.rtf");
    const std::string bytes = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}{\\colortbl;\\red220\\green0\\blue0;}"
                              "\\f0\\fs32 \\pard The timetable:\\par"
                              "\\trowd\\cellx2500\\cellx5000\\pard\\intbl Monday\\cell Piano\\cell\\row"
                              "\\pard\\cf1\\b See you there.\\par}";
    writeFile(path, bytes);
    std::optional<Status> opened;
    app.openFileItem(std::make_shared<ODSFileItem>(path, nullptr), [&](Status status) { opened = status; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return opened.has_value(); }, 60));
    ASSERT_TRUE(*opened) << opened->error().message;
    auto* document = dynamic_cast<TextDocument*>(app.document().get());
    ASSERT_NE(document, nullptr);
    auto* viewer = dynamic_cast<RTFTextViewController*>(document->currentTextViewController().get());
    ASSERT_NE(viewer, nullptr);
    GtkPresenter::processPendingEvents();
    auto notice = std::dynamic_pointer_cast<AlertController>(viewer->presentedViewController());
    ASSERT_TRUE(notice) << "the viewer says why the document takes no typing";
    EXPECT_NE(presenter->widgetForController(*notice), nullptr) << "the notice is on screen";
    EXPECT_TRUE(notice->tapActionWithTitle(u"OK"));
    GtkPresenter::processPendingEvents();

    GtkTextView* view = shownTextView();
    ASSERT_NE(view, nullptr) << "the viewer's text view is in the window";
    const std::string shown = bufferText(view);
    for (const char* words : {"The timetable:", "Monday", "Piano", "See you there."})
        EXPECT_NE(shown.find(words), std::string::npos) << shown;
    EXPECT_FALSE(gtk_text_view_get_editable(view)) << "a document that refuses saves takes no typing";
    gtk_widget_grab_focus(GTK_WIDGET(view));
    for (guint key : {GDK_KEY_H, GDK_KEY_i, GDK_KEY_BackSpace})
        test::pressKey(GTK_WIDGET(view), key);
    EXPECT_EQ(bufferText(view), shown);
    EXPECT_FALSE(document->hasUnsavedChanges());

    // As drawn: dark text on the first line, red on the last, paper below.
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel(), test::screenshotPath("rtf-viewer"));
    ASSERT_TRUE(shot);
    const GdkRectangle first = characterInWindow(view, 0);
    int darkest = 0;
    for (int x = 0; x < 100; ++x) {
        for (int y = 0; y < first.height; ++y) {
            unsigned pixel = test::pixelAt(shot, first.x + x, first.y + y);
            darkest = std::max(darkest, 765 - int(pixel >> 16) - int((pixel >> 8) & 0xFF) - int(pixel & 0xFF));
        }
    }
    EXPECT_GT(darkest, 400) << "the first line is drawn";
    const GdkRectangle last = characterInWindow(view, static_cast<int>(g_utf8_strlen(shown.c_str(), -1)) - 5);
    int red = 0;
    for (int x = -60; x < 0; ++x) {
        for (int y = 0; y < last.height; ++y) {
            unsigned pixel = test::pixelAt(shot, std::max(0, last.x + x), last.y + y);
            if ((pixel >> 16) > 150 && ((pixel >> 8) & 0xFF) < 90 && (pixel & 0xFF) < 90)
                ++red;
        }
    }
    EXPECT_GT(red, 10) << "the closing line keeps the red of the file";
    g_object_unref(shot);

    // The zoom item's inspector, on screen, zooms the text the window shows.
    const int lineHeight = characterInWindow(view, 0).height;
    ASSERT_TRUE(viewer->showZoomInspector());
    GtkPresenter::processPendingEvents();
    std::shared_ptr<DKInspector> inspector = viewer->inspector();
    ASSERT_TRUE(inspector && inspector->isVisible());
    EXPECT_NE(presenter->widgetForController(*inspector->navigationController()), nullptr);
    ASSERT_FALSE(inspector->mainPane()->slices().empty());
    auto slice = std::dynamic_pointer_cast<DocumentContentsZoomInspectorSlice>(inspector->mainPane()->slices().front());
    ASSERT_TRUE(slice);
    for (int step = 0; step < 5; ++step)
        slice->zoomIncreaseStepperButton()->tap();
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(slice->zoomTextWell()->text(), u"150%");
    EXPECT_DOUBLE_EQ(document->scale(), 1.5);
    EXPECT_GT(characterInWindow(view, 0).height, lineHeight * 1.3) << "the window shows the zoomed text";
    EXPECT_EQ(bufferText(view), shown);

    // Shown again, the inspector tells the viewer's zoom, not a fresh 100 %.
    ASSERT_TRUE(viewer->showZoomInspector());
    GtkPresenter::processPendingEvents();
    EXPECT_FALSE(inspector->isVisible());
    ASSERT_TRUE(viewer->showZoomInspector());
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(slice->zoomTextWell()->text(), u"150%");

    bool closed = false;
    app.closeDocument([&](Status status) {
        EXPECT_TRUE(status);
        closed = true;
    });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed; }, 60));
    EXPECT_EQ(readFile(path), bytes) << "viewing and zooming leave the file as it was";
}

// Capitals, small capitals and outlined letters of a table document, as the
// viewer draws them: the text keeps its letters as typed.
TEST_F(RTFViewerWindowTest, capitalsSmallCapitalsAndOutlinesAreShownAsTheFileAsks)
{
    const std::string path = folder.path("Looks.rtf");
    const std::string bytes = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Liberation Serif;}\\f0\\fs48 "
                              "\\pard {\\caps Capital words} and plain\\par"
                              "\\pard {\\scaps Smalls} smalls\\par"
                              "\\pard {\\outl\\b HOHO} \\b HOHO\\b0\\par"
                              "\\trowd\\cellx2500\\pard\\intbl cell\\cell\\row}";
    writeFile(path, bytes);
    std::optional<Status> opened;
    app.openFileItem(std::make_shared<ODSFileItem>(path, nullptr), [&](Status status) { opened = status; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return opened.has_value(); }, 60));
    ASSERT_TRUE(*opened) << opened->error().message;
    auto* document = dynamic_cast<TextDocument*>(app.document().get());
    ASSERT_NE(document, nullptr);
    auto* viewer = dynamic_cast<RTFTextViewController*>(document->currentTextViewController().get());
    ASSERT_NE(viewer, nullptr);
    GtkPresenter::processPendingEvents();
    if (auto notice = std::dynamic_pointer_cast<AlertController>(viewer->presentedViewController()))
        notice->tapActionWithTitle(u"OK");
    GtkPresenter::processPendingEvents();
    GtkTextView* view = shownTextView();
    ASSERT_NE(view, nullptr);

    const std::string shown = bufferText(view);
    EXPECT_EQ(shown.find("CAPITAL WORDS and plain\nSmalls smalls\nHOHO HOHO"), 0u) << shown;
    ASSERT_TRUE(document->RTFtext().has_value());
    EXPECT_EQ(toUtf8(document->RTFtext()->string()).find("Capital words and plain"), 0u) << "the text is as typed";

    GdkPixbuf* shot = test::screenshotOfWindow(toplevel(), test::screenshotPath("rtf-viewer-looks"));
    ASSERT_TRUE(shot);
    // The dark pixels over characters [from, to) of the view's text, and
    // the highest row of the window that has one.
    struct Ink {
        int dark = 0;
        int top = 100000;
    };
    auto inkOf = [&](int from, int to) {
        const GdkRectangle first = characterInWindow(view, from);
        const GdkRectangle last = characterInWindow(view, to);
        Ink ink;
        for (int y = first.y; y < first.y + first.height; ++y) {
            for (int x = first.x; x < last.x; ++x) {
                unsigned pixel = test::pixelAt(shot, x, y);
                if (765 - int(pixel >> 16) - int((pixel >> 8) & 0xFF) - int(pixel & 0xFF) > 400) {
                    ++ink.dark;
                    ink.top = std::min(ink.top, y);
                }
            }
        }
        return ink;
    };
    const int smalls = static_cast<int>(g_utf8_strlen(shown.c_str(), static_cast<gssize>(shown.find("Smalls"))));
    const int hoho = static_cast<int>(g_utf8_strlen(shown.c_str(), static_cast<gssize>(shown.find("HOHO"))));
    // Small capitals stand no higher than the capital before them, lower
    // than the tall letters of the same word unmarked.
    const Ink smallCapitals = inkOf(smalls + 3, smalls + 5);
    const Ink lowerCase = inkOf(smalls + 10, smalls + 12);
    ASSERT_GT(smallCapitals.dark, 0);
    ASSERT_GT(lowerCase.dark, 0);
    EXPECT_GT(smallCapitals.top, lowerCase.top + 2) << "\"ll\" of \"Smalls\" is drawn as small capitals";
    // Outlined letters are drawn, with far less ink than the same letters
    // filled.
    const Ink outlined = inkOf(hoho, hoho + 4);
    const Ink filled = inkOf(hoho + 5, hoho + 9);
    EXPECT_GT(outlined.dark, filled.dark / 10) << "the outlined letters are drawn";
    EXPECT_LT(outlined.dark, filled.dark * 2 / 3) << "the outlined letters are not filled";
    g_object_unref(shot);

    bool closed = false;
    app.closeDocument([&](Status) { closed = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed; }, 60));
    EXPECT_EQ(readFile(path), bytes);
}

} // namespace
} // namespace folio
