#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/web/DMWebView.h"
#include "platform/docframework/WebPageView.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

constexpr double kWaitSeconds = 30;

// An editor stand-in: its page, and a paste of its own that the menu offers.
class PageEditor : public ViewController {
public:
    explicit PageEditor(WebView* page) : m_page(page) {}
    int pastes = 0;

    bool respondsToAction(const std::string& action) const override { return action == "paste:"; }
    bool performAction(const std::string& action, const void*) override
    {
        pastes += action == "paste:";
        return action == "paste:";
    }

protected:
    void loadView() override { setView(std::make_shared<WebPageView>(makeRect(0, 0, 500, 300), m_page)); }

private:
    WebView* m_page;
};

GtkWidget* buttonLabelled(GtkWidget* root, const std::string& title)
{
    for (GtkWidget* button : test::descendants(root, GTK_TYPE_BUTTON)) {
        const char* label = gtk_button_get_label(GTK_BUTTON(button));
        if (label && title == label)
            return button;
    }
    return nullptr;
}

TEST(GtkContextMenuTest, aRightClickOnASelectionShowsTheEditMenuThereInsteadOfTheEngines)
{
    test::usePrivateDisplay();
    auto created = GtkPresenter::create();
    if (!created)
        return test::noDisplayForWindowTest(created.error().message);
    std::unique_ptr<GtkPresenter> presenter = std::move(created.value());
    auto made = DMWebView::create(makeRect(0, 0, 500, 300));
    ASSERT_TRUE(made) << made.error().message;
    std::unique_ptr<DMWebView> page = std::move(*made);
    page->loadHTMLString("<body contenteditable style='margin:0;font-size:40px'><p id=t>Folio writes</p></body>", "about:blank");
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return !page->isLoading() && page->stringByEvaluatingJavaScript("document.readyState") == "complete"; },
        kWaitSeconds));
    auto editor = std::make_shared<PageEditor>(page.get());
    auto window = std::make_shared<Window>(makeRect(0, 0, 500, 300));
    window->setRootViewController(editor);
    window->makeKeyAndVisible();
    GtkWidget* toplevel = presenter->widgetForWindow(*window);
    ASSERT_TRUE(toplevel);
    auto* pageWidget = static_cast<GtkWidget*>(page->nativeWidget());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(pageWidget); }, kWaitSeconds));
    ASSERT_TRUE(test::focusWindow(toplevel));
    page->stringByEvaluatingJavaScript("getSelection().selectAllChildren(document.getElementById('t'))");

    // The right button at a point of the selected words.
    int originX = 0;
    int originY = 0;
    gdk_window_get_origin(gtk_widget_get_window(pageWidget), &originX, &originY);
    int clickX = 60;
    int clickY = 40;
    ASSERT_TRUE(test::runXdotool({"mousemove", "--sync", std::to_string(originX + clickX), std::to_string(originY + clickY),
                                  "click", "3"}));
    // On screen at full strength: it fades in.
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkWidget* menu = presenter->editMenu();
            return menu && gtk_widget_get_mapped(menu) && gtk_widget_get_opacity(menu) >= 1.0
                && gtk_widget_get_allocated_height(menu) > 1;
        },
        kWaitSeconds));
    GtkWidget* copy = buttonLabelled(presenter->editMenu(), "Copy");
    ASSERT_TRUE(copy);
    EXPECT_TRUE(buttonLabelled(presenter->editMenu(), "Paste")) << "the editor's own paste is offered";
    EXPECT_FALSE(buttonLabelled(presenter->editMenu(), "Reload")) << "the engine's menu never shows";

    // Below the click, within the window.
    int itemX = 0;
    int itemY = 0;
    gtk_widget_translate_coordinates(copy, pageWidget, 0, 0, &itemX, &itemY);
    EXPECT_GT(itemY, clickY);
    EXPECT_LT(itemY, clickY + 200);
    EXPECT_LT(std::abs(itemX - clickX), 200);
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("context-menu-on-selection"));
    ASSERT_TRUE(shot);
    int windowX = 0;
    int windowY = 0;
    gtk_widget_translate_coordinates(copy, toplevel, gtk_widget_get_allocated_width(copy) - 4,
                                     gtk_widget_get_allocated_height(copy) / 2, &windowX, &windowY);
    // The page is white there; the menu is drawn over it.
    EXPECT_NE(test::pixelAt(shot, windowX, windowY), 0xFFFFFFu);
    g_object_unref(shot);

    // Copy puts the selected words on the clipboard and closes the menu.
    Pasteboard::general().setString(u"before");
    ASSERT_TRUE(test::clickWidget(copy));
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] { return Pasteboard::general().string() == std::optional<std::u16string>(u"Folio writes"); }, kWaitSeconds));
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] { return !presenter->editMenu() || !gtk_widget_get_mapped(presenter->editMenu()); }, kWaitSeconds));

    // The keyboard asks for the same menu: shift+F10 on the page.
    gtk_widget_grab_focus(pageWidget);
    ASSERT_TRUE(test::pressKeys("shift+F10"));
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkWidget* menu = presenter->editMenu();
            return menu && gtk_widget_get_mapped(menu) && buttonLabelled(menu, "Copy");
        },
        kWaitSeconds));

    window->close();
    presenter.reset();
    GtkPresenter::processPendingEvents();
}

} // namespace
} // namespace folio
