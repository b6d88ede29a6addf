#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::ScratchFolder;
using testing_support::writeFile;

// The rich-text editor in a real window, typed into with key events as a
// person types: what reaches the file is what the person typed.
class RichTextWindowTest : public ::testing::Test {
protected:
    static constexpr double kEngineWaitSeconds = 60;

    void SetUp() override
    {
        auto created = GtkPresenter::create();
        if (!created)
            GTEST_SKIP() << created.error().message;
        presenter = std::move(created.value());
        EditorMakers::registerMaker(EditorKind::RichText, [](TextDocument& document) {
            return std::make_shared<TextViewController>(document);
        });
    }
    void TearDown() override
    {
        if (document)
            document->closeWithCompletionHandler({});
        if (window)
            window->close();
        presenter.reset();
        GtkPresenter::processPendingEvents();
        EditorMakers::unregisterAll();
    }

    // Opens the file in its editor in a window and waits for the page.
    void open(const std::string& path)
    {
        document = std::make_shared<TextDocument>(path);
        ASSERT_TRUE(document->readFromURL(path));
        document->makeDocumentViewController();
        editor = dynamic_cast<TextViewController*>(document->currentTextViewController().get());
        ASSERT_NE(editor, nullptr);
        window = std::make_shared<Window>(Rect{{0, 0}, {800, 600}});
        window->setRootViewController(document->currentTextViewController());
        window->makeKeyAndVisible();
        GtkPresenter::processPendingEvents();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds));
        auto views = test::descendants(presenter->widgetForWindow(*window), g_type_from_name("WebKitWebView"));
        ASSERT_EQ(views.size(), 1u);
        pageWidget = views.front();
        gtk_widget_grab_focus(pageWidget);
        GtkPresenter::processPendingEvents();
    }

    std::string run(const std::string& script) { return editor->webView()->stringByEvaluatingJavaScript(script); }

    void press(guint keyval, GdkModifierType modifiers = GdkModifierType(0))
    {
        GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
        event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(pageWidget)));
        event->key.keyval = keyval;
        event->key.state = modifiers;
        event->key.time = GDK_CURRENT_TIME;
        GdkKeymapKey* keys = nullptr;
        gint count = 0;
        if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gtk_widget_get_display(pageWidget)), keyval,
                                              &keys, &count) && count > 0)
            event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
        g_free(keys);
        GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(pageWidget));
        gdk_event_set_device(event, gdk_seat_get_keyboard(seat));
        gtk_widget_event(pageWidget, event);
        event->type = GDK_KEY_RELEASE;
        gtk_widget_event(pageWidget, event);
        gdk_event_free(event);
        GtkPresenter::processPendingEvents();
    }

    void type(std::string_view text)
    {
        for (char c : text)
            press(gdk_unicode_to_keyval(static_cast<guint32>(c)));
    }

    bool save()
    {
        auto result = std::make_shared<std::optional<bool>>();
        document->saveToURL(document->fileURL(), DKDocument::SaveOperation::ForOverwriting,
                            [result](bool success) { *result = success; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return result->has_value(); }, kEngineWaitSeconds));
        return result->value_or(false);
    }

    ScratchFolder folder{"rich-text-window"};
    std::unique_ptr<GtkPresenter> presenter;
    std::shared_ptr<TextDocument> document;
    TextViewController* editor = nullptr;
    std::shared_ptr<Window> window;
    GtkWidget* pageWidget = nullptr;
};

TEST_F(RichTextWindowTest, aSpaceTypedAfterABoldRunSavesAsAnOrdinarySpace)
{
    std::string path = folder.path("Bold.rtf");
    writeFile(path, "{\\rtf1\\ansi Start\\par}");
    open(path);
    if (HasFatalFailure())
        return;
    // The caret after the last word, as a click at the end of the text puts it.
    run("(function(){var p=document.getElementById('paragraph');var r=document.createRange();"
        "r.selectNodeContents(p);r.collapse(false);var s=getSelection();s.removeAllRanges();s.addRange(r);"
        "document.getElementById('content').focus();})()");

    press(GDK_KEY_b, GDK_CONTROL_MASK);
    type("bold");
    press(GDK_KEY_b, GDK_CONTROL_MASK);
    type(" x");
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return run("document.getElementById('content').textContent").find("x") != std::string::npos; },
        kEngineWaitSeconds))
        << "the keys did not reach the page";
    std::string page = run("document.getElementById('content').innerHTML");
    // What the engine made of the typing: a no-break space after the bold
    // run, which only kept the space visible while it ended the line.
    EXPECT_NE(page.find("bold</span>&nbsp;x"), std::string::npos) << page;

    ASSERT_TRUE(save());
    std::string rtf = readFile(path);
    EXPECT_EQ(rtf.find("\\'a0"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\~"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\b bold\\"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\b0  x"), std::string::npos) << "an ordinary space after the bold run: " << rtf;
}

} // namespace
} // namespace folio
