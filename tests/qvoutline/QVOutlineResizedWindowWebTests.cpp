#include "documents/DocumentSeeds.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "qvoutline/QVOutlineViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace folio {
namespace {

class QVOutlineResizedWindowTest : public test::EditorWindowTest<QVOutlineViewController> {
protected:
    QVOutlineResizedWindowTest() : EditorWindowTest(EditorKind::QVOutline, "qvoutline-resized") {}

    int number(const std::string& script) { return std::atoi(run(script).c_str()); }
};

// Made narrower, the window's outline tree narrows with it rather than
// keeping its width behind a horizontal scroll bar.
TEST_F(QVOutlineResizedWindowTest, theTreeNarrowsWithTheWindow)
{
    std::string path = folder.path("Narrow.qvoutline");
    Result<std::string> seed = DocumentSeeds::outlineSeedPage(std::chrono::system_clock::now(), "en_US");
    ASSERT_TRUE(seed.ok());
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(*seed)->stringView()));
    open(path, Size{1000, 600});
    if (HasFatalFailure())
        return;
    // The width the editor gives the tree's body, and how far the page would scroll sideways.
    const std::string treeWidth = "String(parseInt(tinymce.activeEditor.getBody().style.width) || 0)";
    const std::string overflow = "(function(){var d=document.getElementById('content');"
                                 "return String(d.scrollWidth - d.clientWidth);})()";
    gtk_window_resize(GTK_WINDOW(toplevel), 640, 600);
    ASSERT_TRUE(waitFor([&] { return gtk_widget_get_allocated_width(pageWidget) < 700; }));
    int shown = gtk_widget_get_allocated_width(pageWidget);
    EXPECT_TRUE(waitFor([&] { return number(treeWidth) > 0 && number(treeWidth) <= shown; }))
        << run(treeWidth) << " for a page " << shown << " wide";
    EXPECT_LE(number(overflow), 0) << "the tree is wider than the page shows";

    // And wider again with the window.
    gtk_window_resize(GTK_WINDOW(toplevel), 1100, 600);
    ASSERT_TRUE(waitFor([&] { return gtk_widget_get_allocated_width(pageWidget) > 1000; }));
    EXPECT_TRUE(waitFor([&] { return number(treeWidth) > shown; })) << run(treeWidth);
}

} // namespace
} // namespace folio
