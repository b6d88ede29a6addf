#include "platform/gtk/GtkDocumentGrid.h"

#include "platform/docframework/DKDocumentPicker.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/docframework/ODSScopeViewController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace folio {
namespace {

namespace fs = std::filesystem;

using test::labelTexts;

TEST(GtkDocumentGridTest, theBrowserWindowShowsTheDocumentsAndFollowsTheSearchField)
{
    auto created = GtkPresenter::create();
    if (!created)
        GTEST_SKIP() << created.error().message;
    std::unique_ptr<GtkPresenter> presenter = std::move(*created);
    fs::path folder = fs::temp_directory_path() / ("grid-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "Documents");
    for (const char* name : {"Holiday Letter.rtf", "Shopping.md", "Chapter One.qvtext"})
        std::ofstream(folder / "Documents" / name) << "x";

    auto picker = std::make_shared<DKDocumentPicker>(std::make_shared<ODSLocalDirectoryScope>((folder / "Documents").string()));
    auto grid = std::make_unique<GtkDocumentGrid>(*picker);
    auto window = std::make_shared<Window>(Rect{{0, 0}, {900, 600}});
    window->setRootViewController(picker);
    window->makeKeyAndVisible();
    GtkWidget* toplevel = presenter->widgetForWindow(*window);
    ASSERT_TRUE(toplevel);
    RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(grid->flowBox()); }, 20);
    std::vector<std::string> texts = labelTexts(toplevel);
    for (const char* name : {"Holiday Letter", "Shopping", "Chapter One"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), name), texts.end()) << name;
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("browser"));
    EXPECT_TRUE(shot);
    if (shot)
        g_object_unref(shot);

    gtk_entry_set_text(GTK_ENTRY(grid->searchEntry()), "shop");
    RunLoop::main().runUntil([&] { return picker->selectedScopeViewController().items().size() == 1; }, 20);
    texts = labelTexts(grid->flowBox());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Shopping"), texts.end());
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "Holiday Letter"), texts.end());

    window->close();
    grid.reset();
    fs::remove_all(folder);
}

} // namespace
} // namespace folio
