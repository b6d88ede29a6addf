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
    const std::string bodyWidth = "String(tinymce.activeEditor.getBody().offsetWidth)";
    const std::string overflow = "(function(){var d=tinymce.activeEditor.getDoc().documentElement;"
                                 "return String(d.scrollWidth - d.clientWidth);})()";
    ASSERT_TRUE(waitFor([&] { return number(bodyWidth) > 700; })) << run(bodyWidth);
    int wide = number(bodyWidth);

    gtk_window_resize(GTK_WINDOW(toplevel), 640, 600);
    ASSERT_TRUE(waitFor([&] { return gtk_widget_get_allocated_width(pageWidget) < 700; }));
    ASSERT_TRUE(waitFor([&] { return number(bodyWidth) < wide - 250; })) << run(bodyWidth);
    EXPECT_LE(number(bodyWidth), gtk_widget_get_allocated_width(pageWidget));
    EXPECT_LE(number(overflow), 0) << "the tree is wider than the page shows";
}

} // namespace
} // namespace folio
