#pragma once

#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Geometry.h"
#include "platform/gtk/GtkKeyEvents.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkSignals.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "support/DocumentTestSupport.h"
#include "support/WindowTestDisplay.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio::test {

// A web editor of one kind opened on a file in a real window, as a person
// meets it. The window is on a display of its own: real keys and the pointer
// go to the display's focus, the screen is pictured and the primary
// selection is the display's, so tests running beside it must not reach in.
template <class EditorViewController>
class EditorWindowTest : public ::testing::Test {
protected:
    static constexpr double kEngineWaitSeconds = 60;

    // What the window shows: the editor itself, or the document's navigation
    // controller around it as the program presents it.
    enum class Root { Editor, Navigation };

    EditorWindowTest(EditorKind kind, const std::string& folderName) : folder(folderName), m_kind(kind) {}

    void SetUp() override
    {
        test::usePrivateDisplay();
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(created.value());
        EditorMakers::registerMaker(m_kind, [](TextDocument& document) { return std::make_shared<EditorViewController>(document); });
    }

    void TearDown() override
    {
        closeDocument();
        presenter.reset();
        GtkPresenter::processPendingEvents();
        EditorMakers::unregisterAll();
    }

    // The close saves on the document's own thread: it is waited for, so
    // that no save runs on under the next test or the process's exit.
    void closeDocument()
    {
        if (document) {
            bool closed = false;
            document->closeWithCompletionHandler([&closed](bool) { closed = true; });
            RunLoop::main().runUntil([&closed] { return closed; }, kEngineWaitSeconds);
        }
        if (window)
            window->close();
        GtkPresenter::processPendingEvents();
        document.reset();
        window.reset();
        editor = nullptr;
        toplevel = nullptr;
        pageWidget = nullptr;
    }

    // Opens the file in its editor in a window, waits for the page to be
    // ready and gives it the display's keyboard focus.
    void open(const std::string& path, Size windowSize = {800, 600}, Root root = Root::Editor)
    {
        show(path, windowSize, root);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds));
        gtk_widget_grab_focus(pageWidget);
        ASSERT_TRUE(test::focusWindow(toplevel));
    }

    // Opens the file in its editor in a window and gives the page the
    // display's keyboard focus at once, while the page still loads.
    void openWithoutWaiting(const std::string& path)
    {
        show(path, {800, 600}, Root::Navigation);
        if (HasFatalFailure())
            return;
        gtk_widget_grab_focus(pageWidget);
        ASSERT_TRUE(test::focusWindow(toplevel));
    }

    // Keys typed while the page loads must have reached the window before
    // the page was ready, or a test of them proves nothing: this notes, for
    // each key the window gets from now on, whether the page was ready.
    void noteReadinessAtEachKey()
    {
        GtkSignals::connectKeyPress(toplevel, [this](const GdkEventKey&) {
            readyAtKey.push_back(editor->isPageReady());
            return false;
        });
    }
    void expectTheFirstKeyCameBeforeTheReadyPage()
    {
        ASSERT_FALSE(readyAtKey.empty()) << "no key reached the window";
        EXPECT_FALSE(readyAtKey.front()) << "the page was ready before the first key";
    }

    // Opens the file to be typed into while its page still loads, noting
    // from then on whether the page was ready at each key.
    void openToTypeWhileLoading(const std::string& path)
    {
        openWithoutWaiting(path);
        if (HasFatalFailure())
            return;
        noteReadinessAtEachKey();
    }

    // Sends keys (typed or pressed as a person does) before the page is
    // ready, checks that the first reached the window in time, and waits
    // for the page.
    void sendWhileThePageLoads(const std::function<bool()>& keys)
    {
        ASSERT_FALSE(editor->isPageReady());
        ASSERT_TRUE(keys());
        expectTheFirstKeyCameBeforeTheReadyPage();
        ASSERT_TRUE(waitFor([&] { return editor->isPageReady(); }));
    }

    void show(const std::string& path, Size windowSize, Root root)
    {
        document = std::make_shared<TextDocument>(path);
        ASSERT_TRUE(document->readFromURL(path));
        document->makeDocumentViewController();
        editor = dynamic_cast<EditorViewController*>(document->currentTextViewController().get());
        ASSERT_NE(editor, nullptr);
        window = std::make_shared<Window>(Rect{{0, 0}, windowSize});
        if (root == Root::Navigation)
            window->setRootViewController(document->viewControllerToPresent());
        else
            window->setRootViewController(document->currentTextViewController());
        window->makeKeyAndVisible();
        GtkPresenter::processPendingEvents();
        toplevel = presenter->widgetForWindow(*window);
        auto views = test::descendants(toplevel, g_type_from_name("WebKitWebView"));
        ASSERT_EQ(views.size(), 1u);
        pageWidget = views.front();
    }

    std::string run(const std::string& script) { return editor->webView()->stringByEvaluatingJavaScript(script); }

    bool waitFor(const std::function<bool()>& condition)
    {
        return RunLoop::main().runUntil(condition, kEngineWaitSeconds);
    }

    // A key handed to the page's widget, as GTK delivers a typed one.
    void press(guint keyval, GdkModifierType modifiers = GdkModifierType(0))
    {
        test::pressKey(pageWidget, keyval, modifiers);
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
        EXPECT_TRUE(waitFor([&] { return result->has_value(); }));
        return result->value_or(false);
    }

    testing_support::ScratchFolder folder;
    std::unique_ptr<GtkPresenter> presenter;
    std::shared_ptr<TextDocument> document;
    EditorViewController* editor = nullptr;
    std::shared_ptr<Window> window;
    GtkWidget* toplevel = nullptr;
    GtkWidget* pageWidget = nullptr;
    std::vector<bool> readyAtKey;

private:
    EditorKind m_kind;
};

} // namespace folio::test
