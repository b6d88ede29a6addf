#include "documents/DocumentSeeds.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Window.h"
#include "qvtext/QVTextAssistant.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "webeditor/EditorBarItems.h"
#include "support/WindowTestDisplay.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace folio {
namespace {

// The QV text editor as the application shows it, inside its document's
// navigation controller: its bar is the window's header bar.
TEST(QVTextToolbarWindowTest, theBarShowsInTheHeaderBarAndItsToolsButtonOpensTheToolsMenu)
{
    test::usePrivateDisplay();
    auto created = GtkPresenter::create();
    if (!created)
        return test::noDisplayForWindowTest(created.error().message);
    std::unique_ptr<GtkPresenter> presenter = std::move(created.value());
    EditorMakers::registerMaker(EditorKind::QVText, [](TextDocument& document) {
        return std::make_shared<QVTextViewController>(document);
    });
    testing_support::ScratchFolder folder{"qvtext-toolbar-window"};
    std::string path = folder.path("Bar.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Bar</p>")->stringView()));
    auto document = std::make_shared<TextDocument>(path);
    ASSERT_TRUE(document->readFromURL(path));
    document->makeDocumentViewController();
    auto* editor = dynamic_cast<QVTextViewController*>(document->currentTextViewController().get());
    ASSERT_NE(editor, nullptr);
    auto window = std::make_shared<Window>(Rect{{0, 0}, {1000, 700}});
    window->setRootViewController(document->viewControllerToPresent());
    window->makeKeyAndVisible();
    GtkPresenter::processPendingEvents();

    const std::shared_ptr<BarButtonItem>& tools = editor->tools().barItems().toolsBarButtonItem();
    GtkWidget* button = presenter->widgetForBarButtonItem(*tools);
    ASSERT_NE(button, nullptr) << "the tools item is in the header bar";
    GtkWidget* header = presenter->headerBarForWindow(*window);
    ASSERT_NE(header, nullptr);
    EXPECT_TRUE(gtk_widget_is_ancestor(button, header));
    for (const auto& item : {editor->tools().barItems().insertItemBarButtonItem(), editor->tools().barItems().textStyleBarButtonItem(),
                             editor->tools().assistant().wisperantBarButtonItem()}) {
        GtkWidget* shown = presenter->widgetForBarButtonItem(*item);
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(gtk_widget_get_visible(shown));
    }

    // Pictured, the header bar holds drawn buttons: its area is not one flat colour.
    RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(button); }, 60);
    GtkWidget* toplevel = presenter->widgetForWindow(*window);
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("qvtext-toolbar"));
    ASSERT_TRUE(shot);
    int x = 0;
    int y = 0;
    gtk_widget_translate_coordinates(button, toplevel, 0, 0, &x, &y);
    GtkAllocation size;
    gtk_widget_get_allocation(button, &size);
    unsigned edge = test::pixelAt(shot, x + 1, y + size.height / 2);
    bool drawn = false;
    for (int dx = 2; dx < size.width - 2 && !drawn; ++dx) {
        for (int dy = 2; dy < size.height - 2 && !drawn; ++dy)
            drawn = test::pixelAt(shot, x + dx, y + dy) != edge;
    }
    EXPECT_TRUE(drawn) << "the tools button shows its icon";
    g_object_unref(shot);

    // A click opens the tools menu: the tools picker's rows and the name generator.
    gtk_button_clicked(GTK_BUTTON(button));
    GtkPresenter::processPendingEvents();
    GtkWidget* menu = presenter->menuPopover();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(gtk_widget_get_visible(menu));
    std::vector<std::string> rows = test::labelTexts(menu);
    for (const char* row : {"Take Snapshot", "Find & Replace", "Read Aloud", "Web Research", "Name Generator"})
        EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << row;
    gtk_popover_popdown(GTK_POPOVER(menu));

    document->closeWithCompletionHandler({});
    window->close();
    GtkPresenter::processPendingEvents();
    EditorMakers::unregisterAll();
}

} // namespace
} // namespace folio
