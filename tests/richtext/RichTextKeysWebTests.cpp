#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

// The rich-text editor in a real window, driven by real key presses: the
// window's keys reach the editor's key commands before the page sees them.
class RichTextKeysWebTest : public ::testing::Test {
protected:
    static constexpr double kEngineWaitSeconds = 60;

    void SetUp() override
    {
        test::usePrivateDisplay();
        auto created = GtkPresenter::create();
        if (!created)
            GTEST_SKIP() << created.error().message;
        presenter = std::move(*created);
        EditorMakers::registerMaker(EditorKind::RichText, [](TextDocument& document) {
            return std::make_shared<TextViewController>(document);
        });
        std::string path = folder.path("Keys.rtf");
        writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs32 Amber lantern\\par}");
        document = std::make_shared<TextDocument>(path);
        ASSERT_TRUE(document->readFromURL(path));
        ASSERT_TRUE(document->makeDocumentViewController());
        editor = std::dynamic_pointer_cast<TextViewController>(document->currentTextViewController());
        ASSERT_TRUE(editor);
        window = std::make_shared<Window>(Rect{{0, 0}, {800, 600}});
        window->setRootViewController(document->viewControllerToPresent());
        window->makeKeyAndVisible();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds));
        page = editor->webView();
        ASSERT_TRUE(page);
        // The caret after the text, the page focused and the window given the keyboard.
        gtk_widget_grab_focus(static_cast<GtkWidget*>(page->nativeWidget()));
        page->stringByEvaluatingJavaScript(
            "(function(){var c=document.getElementById('content');c.focus();var r=document.createRange();"
            "r.selectNodeContents(c);r.collapse(false);var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
        ASSERT_TRUE(test::focusWindow(presenter->widgetForWindow(*window)));
    }
    void TearDown() override
    {
        if (document)
            document->closeWithCompletionHandler([](bool) {});
        if (window)
            window->close();
        EditorMakers::unregisterAll();
        presenter.reset();
    }

    std::string pageText() { return page->stringByEvaluatingJavaScript("document.getElementById('content').innerText"); }
    bool pageTextBecomes(const std::function<bool(const std::string&)>& wanted)
    {
        return RunLoop::main().runUntil([&] { return wanted(pageText()); }, kEngineWaitSeconds);
    }
    bool styleBecomes(const std::string& style, bool on)
    {
        std::string script = "document.queryCommandState('" + style + "')";
        return RunLoop::main().runUntil([&] { return page->stringByEvaluatingJavaScript(script) == (on ? "1" : "0"); },
                                        kEngineWaitSeconds);
    }

    ScratchFolder folder{"rich-text-keys"};
    std::unique_ptr<GtkPresenter> presenter;
    std::shared_ptr<TextDocument> document;
    std::shared_ptr<TextViewController> editor;
    std::shared_ptr<Window> window;
    WebView* page = nullptr;
};

TEST_F(RichTextKeysWebTest, controlZUndoesTheLastTypingAndControlShiftZRedoesIt)
{
    ASSERT_TRUE(test::typeText("Hello"));
    ASSERT_TRUE(pageTextBecomes([](const std::string& text) { return text.find("Amber lanternHello") != std::string::npos; }))
        << pageText();

    ASSERT_TRUE(test::pressKeys("ctrl+z"));
    EXPECT_TRUE(pageTextBecomes([](const std::string& text) {
        return text.find("Hello") == std::string::npos && text.find("Amber lantern") != std::string::npos;
    })) << pageText();
    EXPECT_TRUE(document->hasUnsavedChanges());

    ASSERT_TRUE(test::pressKeys("ctrl+shift+z"));
    EXPECT_TRUE(pageTextBecomes([](const std::string& text) { return text.find("Amber lanternHello") != std::string::npos; }))
        << pageText();
}

TEST_F(RichTextKeysWebTest, controlBIAndUToggleBoldItalicAndUnderlineOnTheSelection)
{
    page->stringByEvaluatingJavaScript(
        "(function(){var r=document.createRange();r.selectNodeContents(document.getElementById('content'));"
        "var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    ASSERT_TRUE(styleBecomes("bold", false));

    // Each key once: had the page also taken it, the style would be toggled
    // twice and stay off.
    ASSERT_TRUE(test::pressKeys("ctrl+b"));
    EXPECT_TRUE(styleBecomes("bold", true));
    ASSERT_TRUE(test::pressKeys("ctrl+i"));
    EXPECT_TRUE(styleBecomes("italic", true));
    ASSERT_TRUE(test::pressKeys("ctrl+u"));
    EXPECT_TRUE(styleBecomes("underline", true));
    EXPECT_TRUE(document->hasUnsavedChanges());

    ASSERT_TRUE(test::pressKeys("ctrl+b"));
    EXPECT_TRUE(styleBecomes("bold", false));
    EXPECT_EQ(page->stringByEvaluatingJavaScript("document.queryCommandState('italic')"), "1");
    EXPECT_NE(pageText().find("Amber lantern"), std::string::npos) << "the styles changed the text: " << pageText();
}

} // namespace
} // namespace folio
