#include "documents/DocumentSeeds.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/graphics/Image.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/ui/MenuController.h"
#include "qvtext/QVPictureCommands.h"
#include "platform/ui/UserResizableView.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/BarButtonItem.h"
#include "qvoutline/QVOutlineViewController.h"
#include "qvtext/QVTextTools.h"
#include "support/EditorWindowTest.h"
#include "webeditor/EditorBarItems.h"
#include "OutlineTree.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

class QVOutlineFindWindowTest : public test::EditorWindowTest<QVOutlineViewController> {
protected:
    QVOutlineFindWindowTest() : EditorWindowTest(EditorKind::QVOutline, "qvoutline-find-window") {}

    bool settle(const std::function<bool()>& done)
    {
        return RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return done();
            },
            kEngineWaitSeconds);
    }

    // Clicks the row of the tools menu that reads `title`, as a person does.
    void clickToolsRow(const std::string& title)
    {
        GtkWidget* button = presenter->widgetForBarButtonItem(*editor->tools().barItems().toolsBarButtonItem());
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(settle([&] { return gtk_widget_get_mapped(button) && gtk_widget_get_allocated_width(button) > 1; }));
        ASSERT_TRUE(test::clickWidget(button));
        GtkWidget* row = nullptr;
        ASSERT_TRUE(settle([&] {
            row = nullptr;
            GtkWidget* menu = presenter->menuPopover();
            if (!menu || !gtk_widget_get_mapped(menu))
                return false;
            for (GtkWidget* each : test::descendants(menu, GTK_TYPE_BUTTON)) {
                for (const std::string& text : test::labelTexts(each)) {
                    if (text == title)
                        row = each;
                }
            }
            return row != nullptr;
        })) << "no row " << title;
        ASSERT_TRUE(test::clickWidget(row));
    }
};

// Find shows its match in the outline as in the text: the page scrolls to
// the branch that holds it and marks the match, and the dialog stands in
// the middle of the window, not over the tree's corner.
TEST_F(QVOutlineFindWindowTest, findScrollsToTheBranchOfItsMatchAndMarksIt)
{
    std::string tree;
    for (int id = 1; id <= 80; ++id)
        tree += test::branch(id, 0, 1, id == 70 ? "The needle is here" : "Branch " + std::to_string(id));
    std::string path = folder.path("Find.qvoutline");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<ul id='left-tree'>" + tree + "</ul>")
                                                     ->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    const std::string shown = "(function(){var c=document.getElementById('content').getBoundingClientRect();"
                              "var r=document.getElementById('70').getBoundingClientRect();"
                              "return r.top>=c.top&&r.bottom<=c.bottom?'shown':'hidden at '+Math.round(r.top);})()";
    ASSERT_NE(run(shown), "shown") << "the branch is in view from the start";

    clickToolsRow("Find & Replace");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(settle([&] { return run("document.querySelectorAll('.tox-dialog').length") == "1"; }))
        << "the tools row opened no search";
    gtk_widget_grab_focus(pageWidget);
    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(settle([&] { return run("document.activeElement && document.activeElement.tagName") == "INPUT"; }));
    ASSERT_TRUE(test::typeText("needle"));
    ASSERT_TRUE(test::pressKeys("Return"));
    EXPECT_TRUE(settle([&] { return run(shown) == "shown"; })) << run(shown);
    // The match is marked in a colour of its own.
    const std::string marker = "(function(){var m=document.querySelector('#left-tree .mce-match-marker-selected');"
                               "if(!m)return 'none';return m.textContent+'@'+m.closest('.branch-title').id+' '+"
                               "getComputedStyle(m).backgroundColor;})()";
    std::string marked = run(marker);
    EXPECT_EQ(marked.rfind("needle@70 ", 0), 0u) << marked;
    EXPECT_EQ(marked.find("rgba(0, 0, 0, 0)"), std::string::npos) << marked;
    // The dialog lies over the middle of the window.
    std::string box = run("(function(){var r=document.querySelector('.tox-dialog').getBoundingClientRect();"
                          "return Math.round(r.left+r.width/2-innerWidth/2)+','+Math.round(r.left);})()");
    int offCentre = 0, left = 0;
    ASSERT_EQ(sscanf(box.c_str(), "%d,%d", &offCentre, &left), 2) << box;
    EXPECT_LE(std::abs(offCentre), 20) << box;
    EXPECT_GT(left, 20) << box;
}

// A click on a picture of a branch frames it and shows its menu; a click
// into the words of another branch takes both away, as in the text.
TEST_F(QVOutlineFindWindowTest, aClickIntoTheWordsTakesThePicturesFrameAndMenuAway)
{
    std::string path = folder.path("Picture.qvoutline");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(
                                                     "<ul id='left-tree'>" + test::branch(1, 0, 1, "Picture here") +
                                                     test::branch(2, 0, 1, "Words of the second branch") + "</ul>")
                                                     ->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.dom.get('1'),true);"
        "e.selection.collapse(false);})()");
    QVPictureCommands& pictures = editor->pictures();
    ASSERT_TRUE(pictures.insertImage(Image::imageWithPixels(120, 90, std::vector<std::uint8_t>(120 * 90 * 4, 90)).value()));
    ASSERT_TRUE(settle([&] { return run("document.querySelectorAll('#left-tree img').length") == "1"; }));
    auto clickAt = [&](const std::string& script) {
        Point at = test::pointFromAnswer(run(script));
        ASSERT_GE(at.x, 0) << run(script);
        ASSERT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, at));
        ASSERT_TRUE(test::runXdotool({"click", "1"}));
    };
    clickAt("(function(){var r=document.querySelector('#left-tree img');r.scrollIntoView({block:'center'});"
            "r=r.getBoundingClientRect();return Math.round(r.left+r.width/2)+','+Math.round(r.top+r.height/2);})()");
    ASSERT_TRUE(settle([&] { return pictures.currentlyImageResizableView() != nullptr; })) << "no frame on the picture";
    std::shared_ptr<UserResizableView> frame = pictures.currentlyImageResizableView();

    clickAt("(function(){var r=document.getElementById('2');r.scrollIntoView({block:'center'});"
            "r=r.getBoundingClientRect();return Math.round(r.left+20)+','+Math.round(r.top+r.height/2);})()");
    EXPECT_TRUE(settle([&] { return pictures.currentlyImageResizableView() == nullptr; })) << "the frame stayed";
    EXPECT_EQ(frame->superview(), nullptr) << "the frame is still over the page";
    EXPECT_FALSE(MenuController::shared().isMenuVisible()) << "the picture's menu stayed";
}

} // namespace
} // namespace folio
