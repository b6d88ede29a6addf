#include "platform/gtk/GtkDocumentGrid.h"

#include "platform/docframework/DKDocumentPicker.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/docframework/ODSScopeViewController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Window.h"
#include "support/WindowTestDisplay.h"

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
        return test::noDisplayForWindowTest(created.error().message);
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
    // The window draws each name: dark letters within its label, on a light
    // ground at its corners.
    auto drawnNames = [&] {
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("browser"));
        if (!shot)
            return 0;
        auto lightness = [&](int x, int y) {
            unsigned pixel = test::pixelAt(shot, x, y);
            return int((pixel >> 16) & 0xFF) + int((pixel >> 8) & 0xFF) + int(pixel & 0xFF);
        };
        int drawn = 0;
        for (GtkWidget* label : test::descendants(toplevel, GTK_TYPE_LABEL)) {
            std::string text = gtk_label_get_text(GTK_LABEL(label));
            if (text != "Holiday Letter" && text != "Shopping" && text != "Chapter One")
                continue;
            int x = 0;
            int y = 0;
            if (!gtk_widget_get_mapped(label) || !gtk_widget_translate_coordinates(label, toplevel, 0, 0, &x, &y))
                continue;
            int width = std::min(gtk_widget_get_allocated_width(label), gdk_pixbuf_get_width(shot) - x);
            int height = std::min(gtk_widget_get_allocated_height(label), gdk_pixbuf_get_height(shot) - y);
            int darkest = 3 * 255;
            for (int row = y; row < y + height; ++row) {
                for (int column = x; column < x + width; ++column)
                    darkest = std::min(darkest, lightness(column, row));
            }
            drawn += width > 0 && height > 0 && darkest < 3 * 0x60 && lightness(x, y) > 3 * 0xC0;
        }
        g_object_unref(shot);
        return drawn;
    };
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return drawnNames() == 3; }, 20)) << drawnNames() << " of the 3 names drawn";

    gtk_entry_set_text(GTK_ENTRY(grid->searchEntry()), "shop");
    RunLoop::main().runUntil([&] { return picker->selectedScopeViewController().items().size() == 1; }, 20);
    texts = labelTexts(grid->flowBox());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Shopping"), texts.end());
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "Holiday Letter"), texts.end());

    window->close();
    grid.reset();
    fs::remove_all(folder);
}

TEST(GtkDocumentGridTest, filesOfOneNameShowTheirKindsAndReturnConfirmsARename)
{
    test::usePrivateDisplay();
    auto created = GtkPresenter::create();
    if (!created)
        return test::noDisplayForWindowTest(created.error().message);
    std::unique_ptr<GtkPresenter> presenter = std::move(*created);
    fs::path folder = fs::temp_directory_path() / ("grid-kinds-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const char* name : {"Notes.md", "Notes.rtf", "Notes.tex", "Notes.txt", "Notes.qvtext"})
        std::ofstream(folder / name) << "x";

    auto picker = std::make_shared<DKDocumentPicker>(std::make_shared<ODSLocalDirectoryScope>(folder.string()));
    auto grid = std::make_unique<GtkDocumentGrid>(*picker);
    auto window = std::make_shared<Window>(Rect{{0, 0}, {900, 600}});
    window->setRootViewController(picker);
    window->makeKeyAndVisible();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(grid->flowBox()); }, 20));
    // Each tile names its file without the extension, and its kind.
    std::vector<std::vector<std::string>> tiles;
    for (GtkWidget* child : test::descendants(grid->flowBox(), GTK_TYPE_FLOW_BOX_CHILD))
        tiles.push_back(labelTexts(child));
    ASSERT_EQ(tiles.size(), 5u);
    std::vector<std::string> kinds;
    for (const auto& tile : tiles) {
        ASSERT_GE(tile.size(), 2u);
        EXPECT_EQ(tile[0], "Notes");
        kinds.push_back(tile[1]);
    }
    std::sort(kinds.begin(), kinds.end());
    EXPECT_EQ(kinds, (std::vector<std::string>{"Markdown Document", "Plain Text Document", "QV Text Document",
                                               "Rich Text Document", "TeX Document"}));

    // Renaming: the name typed, then Return, as a person does.
    auto item = picker->selectedScopeViewController().itemWithFileURL((folder / "Notes.md").string());
    ASSERT_TRUE(item);
    picker->renameItem(item);
    ASSERT_TRUE(picker->presentedViewController());
    GtkWidget* dialog = presenter->widgetForController(*picker->presentedViewController());
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(dialog); }, 20));
    auto entries = test::descendants(dialog, GTK_TYPE_ENTRY);
    ASSERT_EQ(entries.size(), 1u);
    gtk_entry_set_text(GTK_ENTRY(entries.front()), "");
    gtk_widget_grab_focus(entries.front());
    ASSERT_TRUE(test::focusWindow(dialog));
    ASSERT_TRUE(test::typeText("Journal"));
    ASSERT_TRUE(test::pressKeys("Return"));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return fs::exists(folder / "Journal.md"); }, 20));
    EXPECT_FALSE(fs::exists(folder / "Notes.md"));
    EXPECT_EQ(picker->presentedViewController(), nullptr);

    window->close();
    grid.reset();
    fs::remove_all(folder);
}

} // namespace
} // namespace folio
