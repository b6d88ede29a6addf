#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkKeyEvents.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::ScratchFolder;
using testing_support::writeFile;

constexpr double kEngineWaitSeconds = 60;

// The editor in a real window, typed into with key events that go through the
// window's own key handling to the page.
class RichTextReadOnlyWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(created.value());
        EditorMakers::registerMaker(EditorKind::RichText,
                                    [](TextDocument& document) { return std::make_shared<TextViewController>(document); });
    }
    void TearDown() override
    {
        if (window)
            window->close();
        EditorMakers::unregisterAll();
        presenter.reset();
        GtkPresenter::processPendingEvents();
    }

    TextViewController& show(const std::string& path)
    {
        document = std::make_shared<TextDocument>(path);
        EXPECT_TRUE(document->readFromURL(path));
        document->makeDocumentViewController();
        auto* editor = dynamic_cast<TextViewController*>(document->currentTextViewController().get());
        window = std::make_shared<Window>(Rect{{0, 0}, {800, 600}});
        window->setRootViewController(document->viewControllerToPresent());
        window->makeKeyAndVisible();
        GtkPresenter::processPendingEvents();
        return *editor;
    }

    GtkWidget* pageWidget()
    {
        auto pages = test::descendants(presenter->widgetForWindow(*window), g_type_from_name("WebKitWebView"));
        return pages.size() == 1 ? pages.front() : nullptr;
    }

    // Counts the keys the page has finished with, so that a test can wait for
    // all it typed before looking at the text.
    static void countKeysIn(WebView& page)
    {
        page.stringByEvaluatingJavaScript(
            "window.folioKeysSeen=0;document.addEventListener('keyup',function(){++window.folioKeysSeen;},true);");
    }
    static bool waitForKeys(WebView& page, int count)
    {
        return RunLoop::main().runUntil(
            [&] { return page.stringByEvaluatingJavaScript("window.folioKeysSeen") == std::to_string(count); },
            kEngineWaitSeconds);
    }

    void typeKey(guint keyval) { test::pressKey(pageWidget(), keyval); }

    ScratchFolder folder{"rich-text-read-only-window"};
    std::unique_ptr<GtkPresenter> presenter;
    std::shared_ptr<TextDocument> document;
    std::shared_ptr<Window> window;
};

TEST_F(RichTextReadOnlyWindowTest, aTableDocumentOpensReadOnlyTakesNoTypingAndClosesAsItWas)
{
    const std::string path = folder.path("Timetable.rtf");
    const std::string bytes = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 \\pard The timetable:\\par"
                              "\\trowd\\cellx2500\\cellx5000\\pard\\intbl Monday\\cell Piano\\cell\\row"
                              "\\trowd\\cellx2500\\cellx5000\\pard\\intbl Tuesday\\cell Chess\\cell\\row"
                              "\\pard See you there.\\par}";
    writeFile(path, bytes);
    TextViewController& editor = show(path);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor.isPageReady(); }, kEngineWaitSeconds));

    auto alert = std::dynamic_pointer_cast<AlertController>(editor.presentedViewController());
    ASSERT_NE(alert, nullptr) << "the notice is shown as the page becomes ready";
    EXPECT_EQ(alert->title(), u"Read Only Document");
    ASSERT_NE(presenter->widgetForController(*alert), nullptr) << "the notice is on screen";
    EXPECT_TRUE(alert->tapActionWithTitle(u"OK"));
    GtkPresenter::processPendingEvents();

    WebView& page = *editor.webView();
    const std::string shown = page.stringByEvaluatingJavaScript("document.getElementById('content').innerText");
    EXPECT_NE(shown.find("Piano"), std::string::npos) << shown;
    GtkWidget* view = pageWidget();
    ASSERT_NE(view, nullptr);
    gtk_widget_grab_focus(view);
    page.stringByEvaluatingJavaScript("document.getElementById('content').focus();");
    GtkPresenter::processPendingEvents();

    countKeysIn(page);
    for (guint key : {GDK_KEY_H, GDK_KEY_i, GDK_KEY_space, GDK_KEY_Return, GDK_KEY_BackSpace, GDK_KEY_Delete})
        typeKey(key);
    ASSERT_TRUE(waitForKeys(page, 6));
    EXPECT_TRUE(editor.isEditing()) << "the page reported the keys";
    EXPECT_EQ(page.stringByEvaluatingJavaScript("document.getElementById('content').innerText"), shown);
    EXPECT_FALSE(document->hasUnsavedChanges());

    std::optional<bool> closed;
    document->closeWithCompletionHandler([&](bool success) { closed = success; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed.has_value(); }, kEngineWaitSeconds));
    EXPECT_TRUE(*closed);
    EXPECT_EQ(readFile(path), bytes);
}

TEST_F(RichTextReadOnlyWindowTest, anEditableDocumentTakesTheSameKeys)
{
    // The same keys in a document without a table do reach its text, so the
    // test above sees a refusal, not keys that went nowhere.
    const std::string path = folder.path("Notes.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 \\pard Notes\\par}");
    TextViewController& editor = show(path);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor.isPageReady(); }, kEngineWaitSeconds));
    EXPECT_EQ(editor.presentedViewController(), nullptr);
    WebView& page = *editor.webView();
    GtkWidget* view = pageWidget();
    ASSERT_NE(view, nullptr);
    gtk_widget_grab_focus(view);
    page.stringByEvaluatingJavaScript("document.getElementById('content').focus();");
    GtkPresenter::processPendingEvents();
    countKeysIn(page);
    for (guint key : {GDK_KEY_H, GDK_KEY_i})
        typeKey(key);
    ASSERT_TRUE(waitForKeys(page, 2));
    std::string text = page.stringByEvaluatingJavaScript("document.getElementById('content').innerText");
    EXPECT_NE(text.find("Hi"), std::string::npos) << text;
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return document->hasUnsavedChanges(); }, kEngineWaitSeconds));
}

} // namespace
} // namespace folio
